// The real extract of Liechtenstein beside the project, when it is there:
// the whole import, the folder read back, the grid against a known place,
// and the extract cut short.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>

#include "mapdata/cp1251.h"
#include "mapdata/district_names.h"
#include "mapdata/loader.h"
#include "osm2tkm/import_command.h"
#include "search/name_matching.h"
#include "search/quick_search.h"
#include "tests/osm2tkm/osm_fixture.h"
#include "tkminfo/tkminfo_lib.h"
#include "tools/coordinates.h"
#include "view/geometry.h"

namespace tikhomap::osm {
namespace {

using testing::TempDir;
namespace fs = std::filesystem;

fs::path extractPath() {
  if (const char* env = std::getenv("TIKHOMAP_OSM_EXTRACT")) return env;
  return TIKHOMAP_OSM_EXTRACT;
}

class Liechtenstein : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!fs::exists(extractPath())) return;
    dir_ = new TempDir;
    std::ostringstream out, err;
    status_ = runImport({extractPath().string(), (dir_->path() / "li").string()}, out, err);
    report_ = out.str() + err.str();
  }
  static void TearDownTestSuite() { delete dir_; }
  void SetUp() override {
    if (dir_ == nullptr)
      GTEST_SKIP() << "no extract at " << extractPath() << " (set TIKHOMAP_OSM_EXTRACT)";
    ASSERT_EQ(status_, 0) << report_;
  }
  static fs::path folder() { return dir_->path() / "li"; }

  static inline TempDir* dir_ = nullptr;
  static inline int status_ = -1;
  static inline std::string report_;
};

TEST_F(Liechtenstein, TkminfoReadsTheFolderWithoutProblems) {
  std::ostringstream out, err;
  ASSERT_EQ(runTkminfo({folder().string()}, out, err), 0) << err.str();
  // Every line is "table: count", "extent: …" or "maxPointCount: …"; a
  // problem would add a "file:offset: what" line.
  std::istringstream lines(out.str());
  std::string line;
  while (std::getline(lines, line)) EXPECT_EQ(line.find(".tkm:"), std::string::npos) << line;
}

TEST_F(Liechtenstein, TheTablesHoldTheTown) {
  MapData map;
  ASSERT_TRUE(loadBaseMap(folder(), map, {}).ok);
  ASSERT_TRUE(loadBuildingsAndReferences(folder(), map, {}).ok);
  EXPECT_GT(map.buildings.size(), 3500u);
  EXPECT_GT(map.streetNames.size(), 500u);
  EXPECT_GT(map.userObjects.size(), 50u);
  const size_t numbered = std::count_if(map.buildings.begin(), map.buildings.end(),
                                        [](const Building& b) { return b.houseNumber[0] != 0; });
  EXPECT_GT(numbered, 120u);
  // Five districts, named from the municipalities.
  EXPECT_EQ(map.city.timeZone, "Europe/Vaduz");
  for (int d = 1; d <= 5; ++d) EXPECT_FALSE(map.city.districtNames[d - 1].empty()) << d;
  EXPECT_NE(districtName(map, 1), districtName(1));
  bool vaduz = false;
  for (const std::string& n : map.city.districtNames) vaduz |= n.find("Vaduz") != std::string::npos;
  EXPECT_TRUE(vaduz);
  // The two electoral districts (Oberland, Unterland) frame the grouping:
  // Unterland, the less built, is one district, and Planken stays with the
  // Oberland. Each municipality's rings once: 31 polygons and the outline.
  EXPECT_EQ(map.city.districtNames[0], "Wahlkreis Unterland");
  for (const std::string& n : map.city.districtNames) {
    if (n.find("Planken") != std::string::npos) {
      EXPECT_NE(n.find("Schaan"), std::string::npos) << n;
    }
  }
  EXPECT_EQ(map.districtAreas.size(), 31u);
}

TEST_F(Liechtenstein, TheCoordinatesReadTheTruePosition) {
  MapData map;
  ASSERT_TRUE(loadBaseMap(folder(), map, {}).ok);
  ASSERT_TRUE(map.city.grid.has_value());
  // Vaduz Castle, 47°08'23" N 9°31'28" E: the grid point of that position
  // reads back the same degrees, minutes and seconds.
  const double lat = 47 + 8 / 60.0 + 23 / 3600.0, lon = 9 + 31 / 60.0 + 28 / 3600.0;
  const GridPoint p = geoToGrid(*map.city.grid, lat, lon);
  EXPECT_GT(p.x, map.cityExtent.xMin);
  EXPECT_LT(p.x, map.cityExtent.xMax);
  const LatLongTexts t = latLongAtMapPoint(map, static_cast<float>(p.x), static_cast<float>(p.y));
  EXPECT_EQ(t.latitude, " 47\u00b008'20\"");  // 23" in steps of ten
  EXPECT_EQ(t.longitude, " 9\u00b031'30\"");  // 28" in steps of ten
}

TEST_F(Liechtenstein, TheUmlautTypedFindsTheStreetAndItsHouses) {
  MapData map;
  ASSERT_TRUE(loadBaseMap(folder(), map, {}).ok);
  ASSERT_TRUE(loadBuildingsAndReferences(folder(), map, {}).ok);
  const int row = findStreetRow(map.streetNames, utf8ToCp1251("Städtle"));
  ASSERT_GE(row, 0);
  const StreetName& s = map.streetNames[static_cast<size_t>(row)];
  EXPECT_TRUE(s.name.starts_with("Stadtle")) << s.name;
  EXPECT_EQ(s.kind, 1);
  const bool housed = std::any_of(map.buildings.begin(), map.buildings.end(),
                                  [&](const Building& b) { return b.streetCode == s.streetCode; });
  EXPECT_TRUE(housed);
}

// Im Pardiel 65, 67 and 69 are three entrances of one building: each is
// found by the quick search at that building, none reported missing.
TEST_F(Liechtenstein, EveryEntranceOfABuildingIsFoundAndTheMuseumIsPublic) {
  MapData map;
  ASSERT_TRUE(loadBaseMap(folder(), map, {}).ok);
  const LoadResult rest = loadBuildingsAndReferences(folder(), map, {});
  ASSERT_TRUE(rest.ok);
  EXPECT_TRUE(rest.problems.empty()) << rest.problems.front().what;
  std::set<int32_t> buildings;
  for (const char* number : {"65", "67", "69"}) {
    const QuickSearchResult r = quickSearch(map, std::string("Im Pardiel ") + number);
    EXPECT_FALSE(r.miss.has_value()) << number;
    ASSERT_FALSE(r.matches.empty()) << number;
    EXPECT_EQ(r.matches.front().kind, QuickMatch::House) << number;
    buildings.insert(r.matches.front().building);
  }
  EXPECT_EQ(buildings.size(), 1u);
  // Städtle 32, the Kunstmuseum (building=yes, tourism=museum): public.
  const QuickSearchResult museum = quickSearch(map, "Städtle 32");
  ASSERT_FALSE(museum.matches.empty());
  EXPECT_EQ(map.buildings[static_cast<size_t>(museum.matches.front().building)].purpose, 461);
  // Of the 186 distinct street-and-number pairs in the extract (counted with
  // pyosmium), 13 address nodes lie far from any building and 2 numbers are
  // on ways that are no building; the other 171 are all findable.
  std::set<std::pair<int, std::string>> numbers;
  for (const Building& b : map.buildings)
    if (b.houseNumber[0] != 0) numbers.insert({b.streetCode, b.houseNumber});
  for (const FurtherAddress& a : map.furtherAddresses) numbers.insert({a.streetCode, a.number});
  EXPECT_EQ(numbers.size(), 171u);
}

TEST_F(Liechtenstein, AnExtractCutInsideABlockIsAnErrorAndWritesNothing) {
  std::ifstream in(extractPath(), std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  TempDir dir;
  const fs::path cut =
      testing::writeFile(dir.path(), "cut.osm.pbf", bytes.substr(0, bytes.size() / 2));
  std::ostringstream out, err;
  EXPECT_EQ(runImport({cut.string(), (dir.path() / "map").string()}, out, err), 1);
  EXPECT_NE(err.str().find("nothing was written"), std::string::npos) << err.str();
  EXPECT_FALSE(fs::exists(dir.path() / "map"));
}

// Offsets just past each whole block of a PBF file: a 4-byte big-endian
// header length, the header (whose field 3 is the block's size), the block.
std::vector<size_t> blockEnds(const std::string& pbf) {
  std::vector<size_t> ends;
  size_t at = 0;
  while (at + 4 <= pbf.size()) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(pbf[i]); };
    const size_t headerLength = (size_t{byte(at)} << 24) | (size_t{byte(at + 1)} << 16) |
                                (size_t{byte(at + 2)} << 8) | byte(at + 3);
    size_t i = at + 4, end = i + headerLength, dataSize = 0;
    if (end > pbf.size()) break;
    while (i < end) {
      const unsigned key = byte(i++);
      if ((key & 7) == 2) {  // length-delimited: skip
        size_t len = 0;
        for (int shift = 0; i < end; shift += 7) {
          len |= (size_t{byte(i)} & 0x7F) << shift;
          if (!(byte(i++) & 0x80)) break;
        }
        i += len;
      } else {  // varint; field 3 is the block size
        size_t v = 0;
        for (int shift = 0; i < end; shift += 7) {
          v |= (size_t{byte(i)} & 0x7F) << shift;
          if (!(byte(i++) & 0x80)) break;
        }
        if ((key >> 3) == 3) dataSize = v;
      }
    }
    at = end + dataSize;
    if (at > pbf.size()) break;
    ends.push_back(at);
  }
  return ends;
}

TEST_F(Liechtenstein, AnExtractCutBetweenBlocksAfterItsNodesIsRefused) {
  std::ifstream in(extractPath(), std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::vector<size_t> ends = blockEnds(bytes);
  ASSERT_GE(ends.size(), 3u);
  TempDir dir;
  // The file header and the first data block, which holds nodes only.
  const fs::path cut = testing::writeFile(dir.path(), "cut.osm.pbf", bytes.substr(0, ends[1]));
  std::ostringstream out, err;
  EXPECT_EQ(runImport({cut.string(), (dir.path() / "map").string()}, out, err), 1);
  EXPECT_NE(err.str().find("no ways"), std::string::npos) << err.str() << out.str();
  EXPECT_FALSE(fs::exists(dir.path() / "map"));
}

TEST_F(Liechtenstein, AnExtractCutBetweenBlocksBeforeItsRelationsIsWarnedOf) {
  std::ifstream in(extractPath(), std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::vector<size_t> ends = blockEnds(bytes);
  ASSERT_GE(ends.size(), 3u);
  TempDir dir;
  // Without the last block, which holds the relations: every node and way
  // is there, the outline and the districts are not. Imported, loudly.
  const fs::path cut =
      testing::writeFile(dir.path(), "cut.osm.pbf", bytes.substr(0, ends[ends.size() - 2]));
  std::ostringstream out, err;
  EXPECT_EQ(runImport({cut.string(), (dir.path() / "map").string()}, out, err), 0) << err.str();
  EXPECT_NE(out.str().find(" 0 relations"), std::string::npos) << out.str();
  EXPECT_NE(out.str().find("WARNING: the file holds no relations"), std::string::npos) << out.str();
  EXPECT_NE(err.str().find("cut short"), std::string::npos) << err.str();
  // The whole extract warns of nothing.
  EXPECT_EQ(report_.find("WARNING"), std::string::npos) << report_;
}

}  // namespace
}  // namespace tikhomap::osm
