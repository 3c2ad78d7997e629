// The generated city written through the map writers reads back whole.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "citygen/city_generator.h"
#include "mapdata/load_result.h"
#include "mapdata/map_readers.h"
#include "mapdata/tkm_writer.h"

namespace tikhomap {
namespace {

TEST(CityFiles, EveryTableReadsBackWithoutProblems) {
  const GeneratedCity city = generateCity({3, CitySize::Tiny});
  const MapData& m = city.map;
  MapData back;
  std::vector<LoadProblem> problems;
  ASSERT_TRUE(parseMicrodistrictFile(writeMicrodistrictFile(m), back, problems));
  ASSERT_TRUE(parseDistrictFile(writeDistrictFile(m), back, problems));
  ASSERT_TRUE(parseTopoFile(writeTopoFile(m), back, problems));
  ASSERT_TRUE(parseStreetFile(writeStreetFile(m), back, problems));
  ASSERT_TRUE(parseBuildingFiles(writeBuildingAttributeFile(m), writeBuildingGeometryFile(m), back,
                                 problems));
  parseThemeFile(writeThemeFile(m), back, problems);
  ASSERT_TRUE(parseUserObjectFile(writeUserObjectFile(m), back, problems));
  ASSERT_TRUE(parseSignFile(writeSignFile(m), back, problems));
  EXPECT_TRUE(problems.empty());
  EXPECT_EQ(back.microdistricts.size(), m.microdistricts.size());
  EXPECT_EQ(back.districtAreas.size(), m.districtAreas.size());
  EXPECT_EQ(back.districtAreas[0].points, m.districtAreas[0].points);
  EXPECT_EQ(back.areaFeatures.size(), m.areaFeatures.size());
  EXPECT_EQ(back.streetLines.size(), m.streetLines.size());
  EXPECT_EQ(back.streetOutlines.size(), m.streetOutlines.size());
  EXPECT_EQ(back.streetNames.size(), m.streetNames.size());
  EXPECT_EQ(back.streetCodeIndex, m.streetCodeIndex);
  EXPECT_EQ(back.streetLabelPoints.size(), m.streetLabelPoints.size());
  ASSERT_EQ(back.buildings.size(), m.buildings.size());
  for (size_t i = 0; i < m.buildings.size(); i += 97) {
    EXPECT_EQ(back.buildings[i].houseNumber, m.buildings[i].houseNumber);
    EXPECT_EQ(back.buildings[i].description, m.buildings[i].description);
    EXPECT_EQ(back.buildings[i].outline, m.buildings[i].outline);
  }
  EXPECT_EQ(back.themeNodes.size(), m.themeNodes.size());
  ASSERT_EQ(back.userObjects.size(), m.userObjects.size());
  for (size_t i = 0; i < m.userObjects.size(); ++i) {
    EXPECT_EQ(back.userObjects[i].x, m.userObjects[i].x);
    EXPECT_EQ(back.userObjects[i].name, m.userObjects[i].name);
  }
  EXPECT_EQ(back.signRecords.size(), m.signRecords.size());
  const TitleSheetFile regional = parseTitleFile(writeTitleFile(city.regional), true);
  EXPECT_EQ(regional.shapes.size(), city.regional.shapes.size());
  EXPECT_EQ(regional.texts.size(), city.regional.texts.size());
  const TitleSheetFile water = parseTitleFile(writeTitleFile(city.cityWater), false);
  EXPECT_EQ(water.shapes.size(), city.cityWater.shapes.size());
}

TEST(CityFiles, FolderHoldsTheElevenFiles) {
  const GeneratedCity city = generateCity({1, CitySize::Tiny});
  const auto dir = std::filesystem::temp_directory_path() / "citygen_files_test";
  std::filesystem::remove_all(dir);
  ASSERT_TRUE(writeMapFolder(dir, city.map, city.regional, city.cityWater));
  for (const char* name : {"1.tkm", "2.tkm", "3.tkm", "4.tkm", "5.tkm", "6.tkm", "7.tkm", "8.tkm",
                           "tema.tkm", "user.tkm", "sign.tkm"})
    EXPECT_GT(std::filesystem::file_size(dir / name), 0u) << name;
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace tikhomap
