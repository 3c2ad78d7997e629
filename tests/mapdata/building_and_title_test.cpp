// Reading 7.tkm with 6.tkm, and the title-sheet files.
#include <gtest/gtest.h>

#include <cstdio>

#include "mapdata/byte_writer.h"
#include "mapdata/cp1251.h"
#include "mapdata/map_readers.h"
#include "mapdata/tkm_writer.h"
#include "sample_map.h"

namespace tikhomap {
namespace {

MapData housesOnly(int n, int vertices) {
  MapData m;
  for (int i = 0; i < n; ++i) {
    Building b;
    b.x = static_cast<uint16_t>(i);
    b.outline.assign(static_cast<size_t>(vertices), MapPoint{1, 2});
    b.pointCount = static_cast<int16_t>(vertices);
    m.buildings.push_back(b);
  }
  return m;
}

TEST(BuildingFiles, ProgressEvery200Buildings) {
  const MapData in = housesOnly(450, 1);
  MapData out;
  std::vector<LoadProblem> problems;
  std::vector<std::pair<int, int>> calls;
  parseBuildingFiles(writeBuildingAttributeFile(in), writeBuildingGeometryFile(in), out, problems,
                     [&calls](int done, int total) { calls.emplace_back(done, total); });
  EXPECT_EQ(out.buildings.size(), 450u);
  EXPECT_EQ(calls, (std::vector<std::pair<int, int>>{{0, 450}, {200, 450}, {400, 450}}));
}

TEST(BuildingFiles, ShortGeometryKeepsTheCompletedBuildings) {
  const MapData in = housesOnly(3, 4);
  std::vector<uint8_t> geometry = writeBuildingGeometryFile(in);
  geometry.pop_back();  // the third outline loses a byte
  MapData out;
  std::vector<LoadProblem> problems;
  parseBuildingFiles(writeBuildingAttributeFile(in), geometry, out, problems);
  EXPECT_EQ(out.buildings.size(), 2u);
  ASSERT_FALSE(problems.empty());
  EXPECT_EQ(problems[0].file, "6.tkm");
}

TEST(BuildingFiles, OverlongTextsAreCutAndTheRecordStaysInStep) {
  ByteWriter a;
  a.i16(2);
  for (int i = 0; i < 2; ++i) {
    a.u16(100);
    a.i16(0);  // vertices
    a.i16(5);  // floors
    a.u16(200);
    a.i16(7);  // street
    a.i16(411);
    a.u8(10);
    a.u8(60);
    a.text(std::string(10, '1'));
    a.text(std::string(60, '\xE4'));
  }
  ByteWriter g;
  for (int i = 0; i < 8; ++i) g.f32(1);
  MapData out;
  std::vector<LoadProblem> problems;
  parseBuildingFiles(a.bytes(), g.bytes(), out, problems);
  ASSERT_EQ(out.buildings.size(), 2u);
  EXPECT_EQ(std::string(out.buildings[1].houseNumber), "111111");
  EXPECT_EQ(out.buildings[1].description, cp1251ToUtf8(std::string(46, '\xE4')));
  EXPECT_EQ(out.buildings[1].purpose, 411);
}

TEST(BuildingFiles, AnAttributeFileCutInsideTheLastTextLosesThatBuildingAndSaysSo) {
  MapData in = housesOnly(2, 1);
  for (Building& b : in.buildings) {
    b.houseNumber = "12";
    b.description = "school";
  }
  const std::vector<uint8_t> whole = writeBuildingAttributeFile(in);
  // Cut inside the house number, then inside the description, of the last record.
  for (const size_t cut : {size_t{7}, size_t{2}}) {
    const std::vector<uint8_t> attributes(whole.begin(), whole.end() - static_cast<long>(cut));
    MapData out;
    std::vector<LoadProblem> problems;
    parseBuildingFiles(attributes, writeBuildingGeometryFile(in), out, problems);
    EXPECT_EQ(out.buildings.size(), 1u) << cut;
    ASSERT_FALSE(problems.empty()) << cut;
    EXPECT_EQ(problems[0].file, "7.tkm");
  }
}

TEST(BuildingFiles, NegativeVertexCountStops) {
  ByteWriter a;
  a.i16(1);
  a.u16(1);
  a.i16(-3);
  for (int i = 0; i < 4; ++i) a.i16(0);
  a.u8(0);
  a.u8(0);
  MapData out;
  std::vector<LoadProblem> problems;
  parseBuildingFiles(a.bytes(), std::vector<uint8_t>(100, 0), out, problems);
  EXPECT_TRUE(out.buildings.empty());
  EXPECT_FALSE(problems.empty());
}

TEST(TitleFile, ShapeCountUsesTheLowByteOfTheCorrection) {
  ByteWriter w;
  w.u16(0x0103);
  w.u16(5);  // 5 - 3 = 2 points
  w.raw(std::array<uint8_t, 4>{0x10, 0x20, 0x30, 0x40});
  w.raw(std::array<uint8_t, 4>{});
  w.u16(0x0500);  // low byte 0 and W2 0: the terminator
  w.u16(0);
  w.u8('p');
  w.u8(2);
  w.u16(7);
  w.u16(8);
  w.text("\xC0\xC1");
  std::vector<LoadProblem> problems;
  const TitleSheetFile f = parseTitleFile(w.bytes(), false, &problems);
  ASSERT_EQ(f.shapes.size(), 1u);
  ASSERT_EQ(f.shapes[0].points.size(), 2u);
  EXPECT_EQ(f.shapes[0].points[0], (MetrePoint{0x4010, 0x2030}));
  ASSERT_EQ(f.texts.size(), 1u);
  EXPECT_EQ(f.texts[0].text, "АБ");  // cp1251 read as UTF-8
  EXPECT_TRUE(problems.empty());
}

TEST(TitleFile, DamageKeepsWhatCameBefore) {
  ByteWriter w;
  for (int i = 0; i < 4; ++i) w.u16(1);
  w.u16(0);
  w.u16(1);
  w.raw(std::array<uint8_t, 4>{1, 2, 3, 4});
  w.u16(0);
  w.u16(0xFFFF);  // 65535 points announced, none there
  std::vector<LoadProblem> problems;
  TitleSheetFile f = parseTitleFile(w.bytes(), true, &problems);
  EXPECT_EQ(f.shapes.size(), 1u);
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_EQ(problems[0].file, "1.tkm");
  EXPECT_EQ(problems[0].offset, 16u);

  ByteWriter t;
  t.u16(0);
  t.u16(0);
  t.u8('o');
  t.u8(3);
  t.u16(1);
  t.u16(2);
  t.text("ab");  // one byte short
  problems.clear();
  f = parseTitleFile(t.bytes(), false, &problems);
  EXPECT_TRUE(f.texts.empty());
  EXPECT_EQ(problems.size(), 1u);

  ByteWriter n;
  n.u16(0);
  n.u16(0);
  n.u8('o');
  n.u8(0x90);  // a negative signed length
  n.u16(1);
  n.u16(2);
  problems.clear();
  f = parseTitleFile(n.bytes(), false, &problems);
  EXPECT_TRUE(f.texts.empty());
  EXPECT_EQ(problems.size(), 1u);
}

}  // namespace
}  // namespace tikhomap
