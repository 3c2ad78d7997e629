// city.txt: what it says, what it refuses, and that a folder without it is
// read exactly as before.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "mapdata/city_info.h"
#include "mapdata/district_names.h"
#include "mapdata/further_addresses.h"
#include "mapdata/load_result.h"
#include "mapdata/loader.h"
#include "mapdata/tkm_writer.h"
#include "tests/mapdata/sample_map.h"

namespace tikhomap {
namespace {

CityInfo parse(const std::string& text, std::vector<LoadProblem>* problems = nullptr) {
  return parseCityInfo(
      std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), text.size()),
      problems);
}

TEST(CityInfo, EveryKeyIsRead) {
  const CityInfo info = parse(
      "# comment\n"
      "grid = transverse-mercator krassowsky-1940\r\n"
      "grid.central-meridian = 9.55\n"
      "grid.north-origin = 5209646.5\n"
      "grid.east-origin = -9274.25\n"
      "time-zone = Europe/Vaduz\n"
      "coast = no\n"
      "district.1 = Schaan, Vaduz\n"
      "district.5 = Städtle\n"
      "title.captions = none\n"
      "title.credit.1 = Лихтенштейн\n"
      "title.credit.2 =\n"
      "title.regional-outline = yes\n"
      "name = Vaduz\n");
  EXPECT_TRUE(info.present);
  EXPECT_TRUE(info.regionalOutline);
  EXPECT_EQ(cityTitle(info), "Vaduz. Адресный план города");
  // Without a name the built-in city's.
  EXPECT_EQ(cityTitle(CityInfo{}), "Тихоморск. Адресный план города");
  ASSERT_TRUE(info.grid.has_value());
  EXPECT_DOUBLE_EQ(info.grid->centralMeridian, 9.55);
  EXPECT_DOUBLE_EQ(info.grid->northOrigin, 5209646.5);
  EXPECT_DOUBLE_EQ(info.grid->eastOrigin, -9274.25);
  EXPECT_EQ(info.timeZone, "Europe/Vaduz");
  EXPECT_FALSE(info.coast);
  EXPECT_EQ(info.districtNames[0], "Schaan, Vaduz");
  EXPECT_EQ(info.districtNames[1], "");
  EXPECT_EQ(info.districtNames[4], "Städtle");  // kept as written
  EXPECT_FALSE(info.builtInCaptions);
  ASSERT_TRUE(info.credit.has_value());
  EXPECT_EQ((*info.credit)[0], "Лихтенштейн");
  EXPECT_EQ((*info.credit)[1], "");
}

TEST(CityInfo, BadLinesAreSkippedAndReported) {
  std::vector<LoadProblem> problems;
  const CityInfo info = parse(
      "coast = maybe\n"
      "time-zone = ../../etc/passwd\n"
      "district.6 = Sixth\n"
      "district.0 = None\n"
      "no equals sign\n"
      "grid.central-meridian = 1e999\n"
      "title.captions = some\n",
      &problems);
  EXPECT_TRUE(info.coast);
  EXPECT_TRUE(info.timeZone.empty());
  for (const std::string& n : info.districtNames) EXPECT_TRUE(n.empty());
  EXPECT_FALSE(info.grid.has_value());
  EXPECT_TRUE(info.builtInCaptions);
  EXPECT_GE(problems.size(), 7u);
}

// houses.txt: a line names a building by its address point; what is not a
// building's point, not a number or too long is skipped and reported.
TEST(FurtherAddresses, LinesNameBuildingsByTheirPointsAndBadOnesAreReported) {
  std::vector<Building> buildings(2);
  buildings[0].x = 10, buildings[0].y = 20;
  buildings[1].x = 30, buildings[1].y = 40;
  const std::string text =
      "# comment\n"
      "30 40 7 65\r\n"
      "10 20 0   12a Süd\n"
      "11 20 7 1\n"                  // no building there
      "10 20 7\n"                    // no number
      "10 20 7 \x01 \x02\n"          // nothing but control characters and blanks
      "10 x 7 1\n"                   // no point
      "10 20 40000 1\n"              // street code out of range
      "10 20 7 1234567890123456\n";  // longer than the field
  std::vector<LoadProblem> problems;
  const std::vector<FurtherAddress> a = parseFurtherAddresses(
      std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), text.size()),
      buildings, &problems);
  ASSERT_EQ(a.size(), 2u);
  EXPECT_EQ(a[0].building, 1);
  EXPECT_EQ(a[0].streetCode, 7);
  EXPECT_EQ(a[0].number, "65");
  EXPECT_EQ(a[1].building, 0);
  EXPECT_EQ(a[1].number, "12a Süd");
  EXPECT_EQ(problems.size(), 6u);
  const std::string written = writeFurtherAddresses(a);
  const std::vector<FurtherAddress> again = parseFurtherAddresses(
      std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(written.data()), written.size()),
      buildings);
  ASSERT_EQ(again.size(), 2u);
  EXPECT_EQ(again[1].number, "12a Süd");
}

TEST(CityInfo, AnIncompleteOrUnknownGridIsNotUsed) {
  std::vector<LoadProblem> problems;
  EXPECT_FALSE(parse("grid = transverse-mercator krassowsky-1940\n"
                     "grid.central-meridian = 9\ngrid.north-origin = 5\n",
                     &problems)
                   .grid.has_value());
  EXPECT_FALSE(problems.empty());
  EXPECT_FALSE(parse("grid = utm wgs84\ngrid.central-meridian = 9\ngrid.north-origin = 5\n"
                     "grid.east-origin = 0\n")
                   .grid.has_value());
  // The numbers alone do not name the grid.
  EXPECT_FALSE(parse("grid.central-meridian = 9\ngrid.north-origin = 5\ngrid.east-origin = 0\n")
                   .grid.has_value());
}

TEST(CityInfo, WhatIsWrittenReadsBackTheSame) {
  CityInfo info;
  info.grid = GridProjection{-70.25, 4000123.125, -12345.5};
  info.timeZone = "America/Santiago";
  info.coast = true;
  info.districtNames[2] = "Центр";
  info.districtNames[3] = "bad\nname";
  info.builtInCaptions = false;
  info.credit = std::array<std::string, 2>{"© OpenStreetMap", "Αθήνα"};
  info.name = "Zürich";
  info.regionalOutline = true;
  const CityInfo again = parse(writeCityInfo(info));
  EXPECT_TRUE(again.regionalOutline);
  ASSERT_TRUE(again.grid.has_value());
  EXPECT_NEAR(again.grid->centralMeridian, -70.25, 1e-6);
  EXPECT_NEAR(again.grid->northOrigin, 4000123.125, 1e-6);
  EXPECT_NEAR(again.grid->eastOrigin, -12345.5, 1e-6);
  EXPECT_EQ(again.timeZone, info.timeZone);
  EXPECT_EQ(again.name, info.name);
  EXPECT_TRUE(again.coast);
  EXPECT_EQ(again.districtNames[2], info.districtNames[2]);
  EXPECT_EQ(again.districtNames[3], "bad name");  // one line stays one line
  // Control characters dropped on reading leave no blank at the edges.
  EXPECT_EQ(parse(std::string("district.1 = \x01\x02 = Vaduz \x03\n")).districtNames[0], "= Vaduz");
  EXPECT_FALSE(again.builtInCaptions);
  EXPECT_EQ(again.credit, info.credit);
}

class CityInfoFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = std::filesystem::temp_directory_path() /
          ("city-info-test-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir);
    ASSERT_TRUE(writeMapFolder(dir, tikhomap::testing::sampleMap(), {}, {}));
  }
  void TearDown() override { std::filesystem::remove_all(dir); }
  std::filesystem::path dir;
};

TEST_F(CityInfoFolder, WithoutTheFileTheBuiltInValuesHold) {
  MapData map;
  const LoadResult r = loadBaseMap(dir, map, {});
  ASSERT_TRUE(r.ok);
  EXPECT_TRUE(r.problems.empty());
  EXPECT_FALSE(map.city.present);
  EXPECT_TRUE(map.city.coast);
  EXPECT_FALSE(map.city.grid.has_value());
  for (int d = 1; d <= kDistrictCount; ++d) EXPECT_EQ(districtName(map, d), districtName(d));
}

TEST_F(CityInfoFolder, TheFileIsReadAndAFolderReloadedWithoutItForgetsIt) {
  std::ofstream(dir / kCityInfoFile) << "coast = no\ndistrict.2 = Vaduz\n";
  MapData map;
  ASSERT_TRUE(loadBaseMap(dir, map, {}).ok);
  EXPECT_TRUE(map.city.present);
  EXPECT_FALSE(map.city.coast);
  EXPECT_EQ(districtName(map, 2), "Vaduz");
  EXPECT_EQ(districtName(map, 1), districtName(1));  // not given: built in
  EXPECT_EQ(districtName(map, 6), "");
  std::filesystem::remove(dir / kCityInfoFile);
  ASSERT_TRUE(loadBaseMap(dir, map, {}).ok);
  EXPECT_FALSE(map.city.present);
  EXPECT_TRUE(map.city.coast);
}

TEST_F(CityInfoFolder, AHugeFileIsIgnoredAndReported) {
  std::ofstream(dir / kCityInfoFile) << "coast = no\n" << std::string(200000, '#') << "\n";
  MapData map;
  const LoadResult r = loadBaseMap(dir, map, {});
  ASSERT_TRUE(r.ok);
  EXPECT_TRUE(map.city.coast);
  ASSERT_FALSE(r.problems.empty());
  EXPECT_EQ(r.problems.front().file, kCityInfoFile);
}

}  // namespace
}  // namespace tikhomap
