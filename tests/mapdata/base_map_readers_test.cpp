// Reading 8.tkm, 3.tkm, 4.tkm and 5.tkm, intact and damaged.
#include <gtest/gtest.h>

#include <limits>

#include "mapdata/byte_writer.h"
#include "mapdata/map_readers.h"
#include "mapdata/table_order.h"
#include "mapdata/tkm_writer.h"
#include "sample_map.h"

namespace tikhomap {
namespace {

bool mentions(const std::vector<LoadProblem>& problems, const std::string& file,
              const std::string& part) {
  for (const LoadProblem& p : problems) {
    if (p.file == file && p.what.find(part) != std::string::npos) return true;
  }
  return false;
}

void featureHeader(ByteWriter& w, int16_t code, int16_t endValue) {
  w.i16(code);
  w.i16(endValue);
  for (int i = 0; i < 4; ++i) w.f32(0);
}

TEST(PointEncoding, DecodesInterleavedHalves) {
  // 3.tkm: bytes 10 02 20 01 are x = 0x0110, y = 0x0220.
  ByteWriter w;
  w.i16(1);
  for (const float edge : {0.0f, 0.0f, 1000.0f, 1000.0f}) w.f32(edge);
  w.i16(250);
  w.i16(251);
  for (int i = 0; i < 4; ++i) w.i32(0x12345 + i);
  w.raw(std::array<uint8_t, 4>{0x10, 0x02, 0x20, 0x01});
  MapData m;
  std::vector<LoadProblem> problems;
  ASSERT_TRUE(parseDistrictFile(w.bytes(), m, problems));
  ASSERT_EQ(m.districtAreas.size(), 1u);
  EXPECT_EQ(m.districtAreas[0].district, 0);  // 250: no district
  EXPECT_EQ(m.districtAreas[0].points[0], (MetrePoint{272, 544}));
  EXPECT_EQ(m.districtAreas[0].boundsLow[0], 0x2345);  // low 16 bits only
  EXPECT_EQ(m.maxPointCount, 1);

  // 4.tkm: 00 00 80 3F 00 00 20 41 is x = 10.0, y = 1.0.
  ByteWriter t;
  t.i16(2);
  t.i16(1);
  featureHeader(t, 7, 8);
  t.raw(std::array<uint8_t, 8>{0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x20, 0x41});
  ASSERT_TRUE(parseTopoFile(t.bytes(), m, problems));
  ASSERT_EQ(m.lineFeatures.size(), 1u);
  EXPECT_EQ(m.lineFeatures[0].points[0], (MapPoint{10.0f, 1.0f}));
  EXPECT_TRUE(problems.empty());
}

TEST(PolylineHeader, CountWrapsModulo65536) {
  // code 32767 with 3 vertices: the end value wraps to -32766.
  ByteWriter t;
  t.i16(1);
  t.i16(1);
  featureHeader(t, 32767, -32766);
  for (int i = 0; i < 3; ++i) t.raw(std::array<uint8_t, 8>{});
  MapData m;
  std::vector<LoadProblem> problems;
  parseTopoFile(t.bytes(), m, problems);
  ASSERT_EQ(m.areaFeatures.size(), 1u);
  EXPECT_EQ(m.areaFeatures[0].pointCount, 3);
  EXPECT_EQ(m.areaFeatures[0].code, 32767);
}

TEST(StreetFile, ZeroHeaderEndsTheAxesAndNamesFollowIt) {
  ByteWriter w;
  w.i16(5);
  for (int16_t i = 0; i < 3; ++i) {
    featureHeader(w, static_cast<int16_t>(i + 1), static_cast<int16_t>(i + 2));
    w.raw(std::array<uint8_t, 8>{});
  }
  w.i16(0);
  w.i16(0);
  w.i16(3);  // names: code 4 twice, the later row wins
  for (auto [code, name] : {std::pair<int16_t, const char*>{4, "A"}, {9, "B"}, {4, "C"}}) {
    w.i16(code);
    w.u8(0);
    w.u8(1);
    w.text(name);
  }
  w.i16(1);
  w.i16(9);
  w.u16(60000);
  w.u16(2);
  w.i16(-1);
  MapData m;
  std::vector<LoadProblem> problems;
  parseStreetFile(w.bytes(), m, problems);
  EXPECT_EQ(m.streetLines.size(), 3u);
  ASSERT_EQ(m.streetNames.size(), 3u);
  ASSERT_EQ(m.streetCodeIndex.size(), 10u);
  EXPECT_EQ(m.streetCodeIndex[4], 2);
  EXPECT_EQ(m.streetCodeIndex[9], 1);
  EXPECT_EQ(m.streetCodeIndex[5], 0);
  EXPECT_EQ(m.streetByCode(4)->name, "C");
  ASSERT_EQ(m.streetLabelPoints.size(), 1u);
  EXPECT_EQ(m.streetLabelPoints[0].x, 60000);
  EXPECT_EQ(m.streetLabelPoints[0].streetCode, 9);
  EXPECT_EQ(m.streetLabelPoints[0].level, -1);
  EXPECT_TRUE(problems.empty());
}

TEST(StreetFile, NegativeStreetCodeIsKeptButNotIndexed) {
  ByteWriter w;
  w.i16(0);
  w.i16(1);
  w.i16(-7);
  w.u8(0);
  w.u8(0);
  w.i16(0);
  MapData m;
  std::vector<LoadProblem> problems;
  parseStreetFile(w.bytes(), m, problems);
  EXPECT_EQ(m.streetNames.size(), 1u);
  EXPECT_EQ(m.streetCodeIndex.size(), 1u);
  EXPECT_EQ(m.streetByCode(-7), nullptr);
  EXPECT_TRUE(mentions(problems, "5.tkm", "negative street code"));
}

TEST(Microdistricts, LongNameIsCutToTheField) {
  ByteWriter w;
  w.i16(2);
  w.u16(1);
  w.u16(2);
  w.u8(40);
  w.text(std::string(40, '\xC0'));
  w.u16(3);
  w.u16(4);
  w.u8(1);
  w.text("z");
  MapData m;
  std::vector<LoadProblem> problems;
  ASSERT_TRUE(parseMicrodistrictFile(w.bytes(), m, problems));
  ASSERT_EQ(m.microdistricts.size(), 2u);
  std::string cut;
  for (int i = 0; i < 29; ++i) cut += "А";
  EXPECT_EQ(m.microdistricts[0].name, cut);
  EXPECT_EQ(m.microdistricts[1].name, "z");  // the next record is still in step
  EXPECT_TRUE(mentions(problems, "8.tkm", "cut"));
}

// Every prefix of a valid file loads without reading past its end and keeps
// a leading part of the records.
TEST(DamagedFiles, EveryTruncationKeepsCompletedRecords) {
  const MapData in = testing::sampleMap();
  const std::vector<uint8_t> files[] = {writeMicrodistrictFile(in), writeDistrictFile(in),
                                        writeTopoFile(in), writeStreetFile(in)};
  for (int f = 0; f < 4; ++f) {
    for (size_t len = 0; len < files[f].size(); ++len) {
      const std::vector<uint8_t> cut(files[f].begin(), files[f].begin() + static_cast<long>(len));
      MapData m;
      std::vector<LoadProblem> problems;
      switch (f) {
        case 0:
          parseMicrodistrictFile(cut, m, problems);
          break;
        case 1:
          parseDistrictFile(cut, m, problems);
          break;
        case 2:
          parseTopoFile(cut, m, problems);
          break;
        default:
          parseStreetFile(cut, m, problems);
          break;
      }
      // 4.tkm is a run of sections to the end of the file: a cut between
      // two sections leaves a valid, shorter file.
      if (f != 2) {
        EXPECT_FALSE(problems.empty()) << "file " << f << " cut at " << len;
      }
      EXPECT_LE(m.microdistricts.size(), in.microdistricts.size());
      EXPECT_LE(m.districtAreas.size(), in.districtAreas.size());
      EXPECT_LE(m.streetLines.size(), in.streetLines.size());
      for (const MapFeature& feature : m.streetLines) {
        EXPECT_EQ(static_cast<size_t>(feature.pointCount), feature.points.size());
      }
    }
  }
}

TEST(DamagedFiles, HugeCountsDoNotAllocateBeyondTheData) {
  ByteWriter w;
  w.i16(32767);
  w.u16(1);
  w.u16(2);
  w.u8(0);
  MapData m;
  std::vector<LoadProblem> problems;
  parseMicrodistrictFile(w.bytes(), m, problems);
  EXPECT_EQ(m.microdistricts.size(), 1u);
  EXPECT_LE(m.microdistricts.capacity(), 8u);
  EXPECT_TRUE(mentions(problems, "8.tkm", "1 of 32767"));
}

TEST(DamagedFiles, NegativeVertexCountEndsTheTable) {
  ByteWriter w;
  w.i16(2);
  for (int i = 0; i < 4; ++i) w.f32(0);
  w.i16(1);
  w.i16(2);
  for (int i = 0; i < 4; ++i) w.i32(0);
  w.raw(std::array<uint8_t, 4>{});
  w.i16(10);
  w.i16(5);  // -5 vertices
  MapData m;
  std::vector<LoadProblem> problems;
  parseDistrictFile(w.bytes(), m, problems);
  EXPECT_EQ(m.districtAreas.size(), 1u);
  EXPECT_TRUE(mentions(problems, "3.tkm", "negative vertex count -5"));
}

// The extent in the header of 3.tkm is the whole-city view; one that no
// scale can show (from a damaged header) gives way to the bounds of the
// district polygons, and the problem names the file.
TEST(DamagedFiles, AnExtentNoScaleCanShowGivesWayToTheDistrictBounds) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  const MapBounds unusable[] = {
      {0, 0, 1.66e35f, 1.66e35f}, {nan, 0, 100, 100}, {0, -inf, 100, 100}, {100, 100, 0, 0},
      {5, 5, 5.001f, 5.001f},     {0, 0, 0, 0},       {-2e6f, 0, 100, 100}};
  for (const MapBounds& extent : unusable) {
    MapData in;
    in.cityExtent = extent;
    in.districtAreas.push_back(
        districtAreaFrom(0, std::vector<MapPoint>{{100, 200}, {900, 200}, {900, 700}}));
    in.districtAreas.push_back(districtAreaFrom(1, std::vector<MapPoint>{{50, 300}, {60, 310}}));
    MapData out;
    std::vector<LoadProblem> problems;
    ASSERT_TRUE(parseDistrictFile(writeDistrictFile(in), out, problems));
    EXPECT_EQ(out.cityExtent, (MapBounds{50, 200, 900, 700})) << extent.xMax;
    EXPECT_TRUE(mentions(problems, "3.tkm", "city extent out of range"));
  }
  // A district table of one point still gives an extent of a metre a side.
  MapData in;
  in.cityExtent = {0, 0, inf, inf};
  in.districtAreas.push_back(districtAreaFrom(0, std::vector<MapPoint>{{400, 500}}));
  MapData out;
  std::vector<LoadProblem> problems;
  ASSERT_TRUE(parseDistrictFile(writeDistrictFile(in), out, problems));
  EXPECT_EQ(out.cityExtent, (MapBounds{400, 500, 401, 501}));

  // Any extent of the sample cities is kept as it is.
  for (const MapBounds& extent : {MapBounds{1000.5f, 2000.25f, 45000, 52000},
                                  MapBounds{-500, -500, 70000, 70000}, MapBounds{0, 0, 1, 1}}) {
    in.cityExtent = extent;
    problems.clear();
    ASSERT_TRUE(parseDistrictFile(writeDistrictFile(in), out, problems));
    EXPECT_EQ(out.cityExtent, extent);
    EXPECT_TRUE(problems.empty());
  }
}

TEST(TopoFile, UnknownAndRepeatedClassesAreReadOver) {
  ByteWriter w;
  const auto section = [&w](int16_t featureClass, int16_t code) {
    w.i16(featureClass);
    w.i16(1);
    featureHeader(w, code, static_cast<int16_t>(code + 2));
    w.raw(std::array<uint8_t, 8>{});
    w.raw(std::array<uint8_t, 8>{});
  };
  section(3, 30);
  section(7, 70);  // unknown class
  section(3, 31);  // repeated class: the first one stays
  section(4, 40);
  MapData m;
  std::vector<LoadProblem> problems;
  parseTopoFile(w.bytes(), m, problems);
  ASSERT_EQ(m.waterFeatures.size(), 1u);
  EXPECT_EQ(m.waterFeatures[0].code, 30);
  ASSERT_EQ(m.streetOutlines.size(), 1u);
  EXPECT_EQ(m.streetOutlines[0].code, 40);
  EXPECT_TRUE(mentions(problems, "4.tkm", "unknown class 7"));
  EXPECT_TRUE(mentions(problems, "4.tkm", "repeated class 3"));
}

TEST(TopoFile, NegativeSectionCountStopsTheFile) {
  ByteWriter w;
  w.i16(1);
  w.i16(-1);
  w.i16(2);
  w.i16(0);
  MapData m;
  std::vector<LoadProblem> problems;
  parseTopoFile(w.bytes(), m, problems);
  EXPECT_TRUE(m.areaFeatures.empty());
  EXPECT_TRUE(mentions(problems, "4.tkm", "negative record count"));
}

}  // namespace
}  // namespace tikhomap
