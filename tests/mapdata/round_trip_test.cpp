// Every writer produces what its reader reads back, field by field.
#include <gtest/gtest.h>

#include <cstring>

#include "mapdata/map_readers.h"
#include "mapdata/tkm_writer.h"
#include "sample_map.h"

namespace tikhomap {
namespace {

void expectSameFeatures(const std::vector<MapFeature>& a, const std::vector<MapFeature>& b) {
  ASSERT_EQ(a.size(), b.size());
  for (size_t i = 0; i < a.size(); ++i) {
    EXPECT_EQ(a[i].code, b[i].code);
    EXPECT_EQ(a[i].pointCount, b[i].pointCount);
    EXPECT_EQ(a[i].points, b[i].points);
    EXPECT_EQ(a[i].bounds, b[i].bounds);
  }
}

TEST(RoundTrip, BaseMapFiles) {
  const MapData in = testing::sampleMap();
  MapData out;
  std::vector<LoadProblem> problems;
  ASSERT_TRUE(parseMicrodistrictFile(writeMicrodistrictFile(in), out, problems));
  ASSERT_TRUE(parseDistrictFile(writeDistrictFile(in), out, problems));
  ASSERT_TRUE(parseTopoFile(writeTopoFile(in), out, problems));
  ASSERT_TRUE(parseStreetFile(writeStreetFile(in), out, problems));
  EXPECT_TRUE(problems.empty());

  ASSERT_EQ(out.microdistricts.size(), 2u);
  EXPECT_EQ(out.microdistricts[0].x, 40000);
  EXPECT_EQ(out.microdistricts[1].y, 65535);
  EXPECT_EQ(out.microdistricts[0].name, in.microdistricts[0].name);

  EXPECT_EQ(out.cityExtent, in.cityExtent);
  ASSERT_EQ(out.districtAreas.size(), 2u);
  EXPECT_EQ(out.districtAreas[0].district, 0);
  EXPECT_EQ(out.districtAreas[1].district, 3);
  EXPECT_EQ(out.districtAreas[0].points, in.districtAreas[0].points);
  EXPECT_EQ(out.districtAreas[0].boundsLow[3], 65535);
  EXPECT_EQ(out.districtAreas[0].boundsLow[2], 41000);

  expectSameFeatures(out.areaFeatures, in.areaFeatures);
  expectSameFeatures(out.lineFeatures, in.lineFeatures);
  expectSameFeatures(out.waterFeatures, in.waterFeatures);
  expectSameFeatures(out.streetOutlines, in.streetOutlines);
  expectSameFeatures(out.streetLines, in.streetLines);
  EXPECT_EQ(out.maxPointCount, 5);

  ASSERT_EQ(out.streetNames.size(), 2u);
  EXPECT_EQ(out.streetNames[1].kind, 200);
  EXPECT_EQ(out.streetNames[1].name, in.streetNames[1].name);
  ASSERT_NE(out.streetByCode(200), nullptr);
  EXPECT_EQ(out.streetByCode(200)->name, in.streetNames[1].name);
  EXPECT_EQ(out.streetByCode(5)->name, in.streetNames[0].name);
  EXPECT_EQ(out.streetByCode(6), nullptr);
  ASSERT_EQ(out.streetLabelPoints.size(), 2u);
  EXPECT_EQ(out.streetLabelPoints[1].y, 65000);
  EXPECT_EQ(out.streetLabelPoints[1].level, -2);
  EXPECT_EQ(out.streetLabelPoints[1].streetCode, 200);
}

TEST(RoundTrip, BuildingFiles) {
  const MapData in = testing::sampleMap();
  MapData out;
  std::vector<LoadProblem> problems;
  ASSERT_TRUE(parseBuildingFiles(writeBuildingAttributeFile(in), writeBuildingGeometryFile(in), out,
                                 problems));
  EXPECT_TRUE(problems.empty());
  ASSERT_EQ(out.buildings.size(), 2u);
  const Building& b = out.buildings[0];
  EXPECT_EQ(b.x, 40001);
  EXPECT_EQ(b.y, 33333);
  EXPECT_EQ(b.purpose, 411);
  EXPECT_EQ(b.floors, 9);
  EXPECT_EQ(b.streetCode, 200);
  EXPECT_EQ(b.pointCount, 5);
  EXPECT_EQ(b.houseNumber, in.buildings[0].houseNumber);
  EXPECT_EQ(b.description, in.buildings[0].description);
  EXPECT_EQ(b.outline, in.buildings[0].outline);
  EXPECT_EQ(b.bounds, in.buildings[0].bounds);
  EXPECT_EQ(out.buildings[1].houseNumber, "");
  EXPECT_EQ(out.buildings[1].description, "");
  EXPECT_EQ(out.buildings[1].bounds, in.buildings[1].bounds);
}

TEST(RoundTrip, ReferenceFiles) {
  const MapData in = testing::sampleMap();
  MapData out;
  std::vector<LoadProblem> problems;
  parseThemeFile(writeThemeFile(in), out, problems);
  ASSERT_TRUE(parseUserObjectFile(writeUserObjectFile(in), out, problems));
  ASSERT_TRUE(parseSignFile(writeSignFile(in), out, problems));
  EXPECT_TRUE(problems.empty());

  ASSERT_EQ(out.themeNodes.size(), 2u);
  EXPECT_EQ(out.themeHead, 0);
  EXPECT_EQ(out.themeNodes[0].children, 1);
  EXPECT_EQ(out.themeNodes[0].next, -1);
  EXPECT_EQ(out.themeNodes[1].name, in.themeNodes[1].name);

  ASSERT_EQ(out.userObjects.size(), 1u);
  EXPECT_EQ(out.userObjectsDeclared, 1);
  const UserObject& o = out.userObjects[0];
  EXPECT_EQ(static_cast<uint16_t>(o.x), 40001);  // compared with Building.x as 16 bits
  EXPECT_EQ(o.theme[0], '3');
  EXPECT_EQ(o.theme[1], '2');
  EXPECT_EQ(o.name, in.userObjects[0].name);
  EXPECT_EQ(o.foundMark, 0);

  ASSERT_EQ(out.signRecords.size(), 1u);
  const SignRecord& s = out.signRecords[0];
  EXPECT_EQ(s.id, 70000);
  EXPECT_EQ(s.a, -5);
  EXPECT_EQ(s.b, 12);
  EXPECT_EQ(s.p, 40000.0f);
  EXPECT_EQ(s.q, -7.0f);
  EXPECT_EQ(s.text, in.signRecords[0].text);
}

TEST(RoundTrip, TitleFiles) {
  TitleSheetFile regional;
  regional.hasHeader = true;
  regional.extent[0] = 100;
  regional.extent[3] = 65000;
  regional.shapes.push_back({{{0x4010, 0x2030}, {40000, 50000}, {0x4010, 0x2030}}});
  regional.shapes.push_back({});  // an empty shape must not end the shapes
  regional.shapes.push_back({{{1, 2}, {3, 4}}});
  regional.texts.push_back({'e', 40000, 300, "Тихоморск"});
  regional.texts.push_back({'g', 1, 2, std::string(127, '\xE9')});
  const TitleSheetFile back = parseTitleFile(writeTitleFile(regional), true);
  ASSERT_TRUE(back.hasHeader);
  EXPECT_EQ(back.extent[3], 65000);
  ASSERT_EQ(back.shapes.size(), 3u);
  EXPECT_EQ(back.shapes[0].points, regional.shapes[0].points);
  EXPECT_TRUE(back.shapes[0].closed());
  EXPECT_TRUE(back.shapes[1].points.empty());
  EXPECT_FALSE(back.shapes[2].closed());
  ASSERT_EQ(back.texts.size(), 2u);
  EXPECT_EQ(back.texts[0].kind, 'e');
  EXPECT_EQ(back.texts[0].x, 40000);
  EXPECT_EQ(back.texts[0].text, regional.texts[0].text);
  EXPECT_EQ(back.texts[1].text.size(), 127u);

  TitleSheetFile water;
  water.shapes = regional.shapes;
  water.texts.push_back({'q', 5, 6, "x"});
  const TitleSheetFile w = parseTitleFile(writeTitleFile(water), false);
  EXPECT_FALSE(w.hasHeader);
  EXPECT_EQ(w.shapes.size(), 3u);
  ASSERT_EQ(w.texts.size(), 1u);
  EXPECT_EQ(w.texts[0].kind, 'q');
}

}  // namespace
}  // namespace tikhomap
