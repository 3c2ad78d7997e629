// The map container: the generated town survives writing and reading, the
// file is a GeoPackage at the SQLite level, and damaged, foreign or hostile
// files give problems naming the file, never a crash.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>

#include "citygen/city_generator.h"
#include "gpkg/container_limits.h"
#include "gpkg/geometry_blob.h"
#include "gpkg/geopackage.h"
#include "mapdata/limits.h"
#include "mapdata/loader.h"
#include "mapdata/tkm_writer.h"
#include "tkminfo/tkminfo_lib.h"

namespace tikhomap {
namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> fileBytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// Runs SQL on a container as another program would (writable, no limits).
void edit(const fs::path& file, const std::string& sql, std::span<const uint8_t> blob = {}) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
  // This connection lacks the ST_ functions the spatial index's triggers
  // call: an edit here leaves the index as it was.
  for (const char* t : {"update1", "update2", "update3", "update4"}) {
    sqlite3_exec(db, (std::string("DROP TRIGGER rtree_buildings_geom_") + t).c_str(), nullptr,
                 nullptr, nullptr);
  }
  sqlite3_stmt* s = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
  if (!blob.empty()) sqlite3_bind_blob(s, 1, blob.data(), static_cast<int>(blob.size()), nullptr);
  EXPECT_EQ(sqlite3_step(s), SQLITE_DONE) << sqlite3_errmsg(db);
  sqlite3_finalize(s);
  sqlite3_close(db);
}

template <typename T>
void expectSameRecords(const std::vector<T>& a, const std::vector<T>& b, const char* table,
                       const std::function<bool(const T&, const T&)>& same) {
  ASSERT_EQ(a.size(), b.size()) << table;
  for (size_t i = 0; i < a.size(); ++i) EXPECT_TRUE(same(a[i], b[i])) << table << " row " << i;
}

template <size_t N>
bool sameText(const char (&a)[N], const char (&b)[N]) {
  return std::memcmp(a, b, N) == 0;
}
bool sameText(const std::string& a, const std::string& b) {
  return a == b;
}

void expectSameMap(const MapData& a, const MapData& b) {
  EXPECT_EQ(a.cityExtent, b.cityExtent);
  EXPECT_EQ(a.maxPointCount, b.maxPointCount);
  EXPECT_EQ(a.streetCodeIndex, b.streetCodeIndex);
  expectSameRecords<Microdistrict>(
      a.microdistricts, b.microdistricts, "microdistricts",
      [](auto& p, auto& q) { return p.x == q.x && p.y == q.y && sameText(p.name, q.name); });
  expectSameRecords<DistrictArea>(
      a.districtAreas, b.districtAreas, "districts", [](auto& p, auto& q) {
        return p.district == q.district && p.pointCount == q.pointCount && p.points == q.points &&
               std::memcmp(p.boundsLow, q.boundsLow, sizeof p.boundsLow) == 0;
      });
  const auto sameFeature = [](const MapFeature& p, const MapFeature& q) {
    return p.code == q.code && p.pointCount == q.pointCount && p.reserved == q.reserved &&
           p.points == q.points && p.bounds == q.bounds;
  };
  expectSameRecords<MapFeature>(a.areaFeatures, b.areaFeatures, "areas", sameFeature);
  expectSameRecords<MapFeature>(a.lineFeatures, b.lineFeatures, "lines", sameFeature);
  expectSameRecords<MapFeature>(a.waterFeatures, b.waterFeatures, "water", sameFeature);
  expectSameRecords<MapFeature>(a.streetOutlines, b.streetOutlines, "outlines", sameFeature);
  expectSameRecords<MapFeature>(a.streetLines, b.streetLines, "axes", sameFeature);
  expectSameRecords<StreetName>(a.streetNames, b.streetNames, "street names", [](auto& p, auto& q) {
    return p.kind == q.kind && p.streetCode == q.streetCode && sameText(p.name, q.name);
  });
  expectSameRecords<StreetLabelPoint>(
      a.streetLabelPoints, b.streetLabelPoints, "labels", [](auto& p, auto& q) {
        return p.x == q.x && p.y == q.y && p.level == q.level && p.streetCode == q.streetCode;
      });
  expectSameRecords<Building>(a.buildings, b.buildings, "buildings", [](auto& p, auto& q) {
    return p.reserved == q.reserved && p.x == q.x && p.y == q.y && p.purpose == q.purpose &&
           p.pointCount == q.pointCount && p.floors == q.floors && p.streetCode == q.streetCode &&
           p.state == q.state && sameText(p.houseNumber, q.houseNumber) &&
           sameText(p.description, q.description) && p.outline == q.outline && p.bounds == q.bounds;
  });
  expectSameRecords<FurtherAddress>(
      a.furtherAddresses, b.furtherAddresses, "further addresses", [](auto& p, auto& q) {
        return p.x == q.x && p.y == q.y && p.streetCode == q.streetCode && p.number == q.number &&
               p.building == q.building;
      });
  EXPECT_EQ(a.themeHead, b.themeHead);
  expectSameRecords<ThemeNode>(a.themeNodes, b.themeNodes, "themes", [](auto& p, auto& q) {
    return p.reserved1 == q.reserved1 && p.reserved2 == q.reserved2 && sameText(p.code, q.code) &&
           sameText(p.name, q.name) && p.children == q.children && p.next == q.next;
  });
  EXPECT_EQ(a.userObjectsDeclared, b.userObjectsDeclared);
  expectSameRecords<UserObject>(a.userObjects, b.userObjects, "user objects", [](auto& p, auto& q) {
    return p.reserved == q.reserved && p.x == q.x && p.y == q.y && p.foundMark == q.foundMark &&
           sameText(p.theme, q.theme) && sameText(p.name, q.name);
  });
  EXPECT_EQ(a.signRecordsDeclared, b.signRecordsDeclared);
  expectSameRecords<SignRecord>(a.signRecords, b.signRecords, "signs", [](auto& p, auto& q) {
    return p.id == q.id && p.a == q.a && p.b == q.b && p.spare == q.spare && p.p == q.p &&
           p.q == q.q && sameText(p.text, q.text);
  });
  EXPECT_EQ(writeCityInfo(a.city), writeCityInfo(b.city));
  EXPECT_EQ(a.city.present, b.city.present);
}

void expectSameSheet(const TitleSheetFile& a, const TitleSheetFile& b) {
  EXPECT_EQ(writeTitleFile(a), writeTitleFile(b));
}

class ContainerTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    root_ =
        new fs::path(fs::temp_directory_path() / ("tikhomap-gpkg-" + std::to_string(::getpid())));
    fs::remove_all(*root_);
    fs::create_directories(*root_);
    city_ = new GeneratedCity(generateCity({1, CitySize::Tiny}));
    // Names that break SQL built from text, and a city description.
    city_->map.streetNames[0].name = "O'Connell";
    city_->map.buildings[0].description = "'; DROP TABLE buildings; --";
    city_->map.city.present = true;
    // Letters cp1251 has no byte for, kept in the container and in city.txt.
    city_->map.city.name = "Zürich";
    city_->map.city.districtNames[1] = "Αθήνα";
    city_->map.city.credit = std::array<std::string, 2>{"Zürich — Αθήνα 北京", ""};
    city_->map.city.timeZone = "Asia/Vladivostok";
    const Building& b = city_->map.buildings[3];
    FurtherAddress more;
    more.x = static_cast<decltype(more.x)>(b.x);
    more.y = static_cast<decltype(more.y)>(b.y);
    more.streetCode = static_cast<decltype(more.streetCode)>(b.streetCode);
    more.number = "65/1 корп. 2";
    more.building = 3;
    city_->map.furtherAddresses.push_back(more);
    ASSERT_TRUE(writeMapFolder(folder(), city_->map, city_->regional, city_->cityWater));
    std::ofstream(folder() / kCityInfoFile) << writeCityInfo(city_->map.city);
    std::ofstream(folder() / kFurtherAddressFile)
        << writeFurtherAddresses(city_->map.furtherAddresses);
    std::string error;
    ASSERT_TRUE(writeGeoPackage(container(), city_->map, city_->regional, city_->cityWater, &error))
        << error;
  }
  static void TearDownTestSuite() {
    fs::remove_all(*root_);
    delete city_;
    delete root_;
  }
  static fs::path folder() { return *root_ / "folder"; }
  static fs::path container() { return *root_ / "town.gpkg"; }
  // A fresh copy of the container to damage.
  static fs::path copy(const std::string& name) {
    const fs::path p = *root_ / name;
    fs::copy_file(container(), p, fs::copy_options::overwrite_existing);
    return p;
  }

  static fs::path* root_;
  static GeneratedCity* city_;
};

fs::path* ContainerTest::root_ = nullptr;
GeneratedCity* ContainerTest::city_ = nullptr;

TEST_F(ContainerTest, GeneratedTownReadsBackAsTheElevenFilesDo) {
  MapData files, packed;
  ASSERT_TRUE(loadBaseMap(folder(), files, {}).ok);
  ASSERT_TRUE(loadBuildingsAndReferences(folder(), files, {}).ok);
  std::vector<std::string> captions;
  const LoadResult base = loadContainerBaseMap(
      container(), packed, [&](const std::string& c) { captions.push_back(c); });
  const LoadResult rest = loadContainerBuildings(
      container(), packed, [&](const std::string& c) { captions.push_back(c); });
  ASSERT_TRUE(base.ok);
  ASSERT_TRUE(rest.ok);
  EXPECT_TRUE(base.problems.empty() && rest.problems.empty());
  EXPECT_EQ(captions.front(), "Загрузка: Гидрография");
  expectSameMap(files, packed);
  EXPECT_EQ(packed.streetNames[0].name, "O'Connell");
  for (const MapData* m : {&files, &packed}) {
    EXPECT_EQ(m->city.name, "Zürich");
    EXPECT_EQ(m->city.districtNames[1], "Αθήνα");
    EXPECT_EQ(m->city.credit, city_->map.city.credit);
  }
  // tkminfo reports the container as it reports the folder.
  std::ostringstream fromFiles, fromContainer, err;
  EXPECT_EQ(runTkminfo({folder().string()}, fromFiles, err), 0);
  EXPECT_EQ(runTkminfo({container().string()}, fromContainer, err), 0);
  EXPECT_EQ(fromFiles.str(), fromContainer.str());

  for (const bool regional : {true, false}) {
    TitleSheetFile sheet;
    ASSERT_TRUE(readContainerTitleSheet(container(), regional, sheet));
    expectSameSheet(sheet, regional ? city_->regional : city_->cityWater);
  }
}

// The file as a GIS program sees it, read with SQLite alone.
TEST_F(ContainerTest, IsAGeoPackageWithSpatialIndexes) {
  const std::vector<uint8_t> bytes = fileBytes(container());
  ASSERT_GT(bytes.size(), 100u);
  EXPECT_EQ(bytes[18], 1);  // rollback journal (journal_mode DELETE), not WAL
  EXPECT_EQ(bytes[19], 1);
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open_v2(container().c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
  auto integer = [&](const std::string& sql) {
    sqlite3_stmt* s = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr), SQLITE_OK) << sql;
    int64_t v = -999;
    if (sqlite3_step(s) == SQLITE_ROW) v = sqlite3_column_int64(s, 0);
    sqlite3_finalize(s);
    return v;
  };
  EXPECT_EQ(integer("PRAGMA application_id"), 0x47504B47);
  EXPECT_EQ(integer("PRAGMA user_version"), 10300);
  EXPECT_EQ(integer("SELECT count(*) FROM gpkg_spatial_ref_sys WHERE srs_id IN (-1, 0, 4326) OR "
                    "(srs_id = 100001 AND definition LIKE 'PROJCS[%Transverse_Mercator%')"),
            4);
  EXPECT_EQ(integer("SELECT count(*) FROM gpkg_contents c JOIN gpkg_geometry_columns g USING "
                    "(table_name) WHERE c.data_type = 'features'"),
            11);
  EXPECT_EQ(integer("SELECT count(*) FROM gpkg_contents WHERE data_type = 'attributes'"), 8);
  EXPECT_EQ(integer("SELECT count(*) FROM buildings"),
            static_cast<int64_t>(city_->map.buildings.size()));
  EXPECT_EQ(integer("SELECT count(*) FROM buildings WHERE description = "
                    "'''; DROP TABLE buildings; --'"),
            1);
  // Names are UTF-8 in the file.
  EXPECT_EQ(integer("SELECT count(*) FROM city_description WHERE key = 'name' AND value = "
                    "'Zürich'"),
            1);

  // Every building's index entry holds its outline's envelope (the R-tree
  // stores 32-bit bounds rounded outwards).
  sqlite3_stmt* s = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(db,
                               "SELECT b.geom, r.minx, r.maxx, r.miny, r.maxy FROM buildings b "
                               "LEFT JOIN rtree_buildings_geom r ON r.id = b.fid ORDER BY b.fid",
                               -1, &s, nullptr),
            SQLITE_OK);
  size_t rows = 0;
  while (sqlite3_step(s) == SQLITE_ROW) {
    DecodedGeometry g;
    std::string why;
    ASSERT_TRUE(decodeGeometry({static_cast<const uint8_t*>(sqlite3_column_blob(s, 0)),
                                static_cast<size_t>(sqlite3_column_bytes(s, 0))},
                               100000, g, why))
        << why;
    EXPECT_EQ(g.kind, GeometryKind::Polygon) << "building " << rows;  // a GIS draws an area
    const Envelope e = envelopeOf(g.points);
    const double got[4] = {sqlite3_column_double(s, 1), sqlite3_column_double(s, 2),
                           sqlite3_column_double(s, 3), sqlite3_column_double(s, 4)};
    const double want[4] = {e.minX, e.maxX, e.minY, e.maxY};
    ASSERT_EQ(sqlite3_column_type(s, 1), SQLITE_FLOAT) << "building " << rows;
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(got[i], want[i], 0.01) << "building " << rows;
    EXPECT_LE(got[0], want[0]);
    EXPECT_GE(got[1], want[1]);
    ++rows;
  }
  sqlite3_finalize(s);
  EXPECT_EQ(rows, city_->map.buildings.size());
  sqlite3_close(db);
}

TEST_F(ContainerTest, FailedWriteLeavesTheOldFileAlone) {
  const fs::path target = copy("kept.gpkg");
  const std::vector<uint8_t> before = fileBytes(target);
  MapData broken = city_->map;
  broken.buildings.back().outline[1].x = NAN;  // the buildings are written late
  std::string error;
  EXPECT_FALSE(writeGeoPackage(target, broken, city_->regional, city_->cityWater, &error));
  EXPECT_NE(error.find("kept.gpkg"), std::string::npos) << error;
  EXPECT_EQ(fileBytes(target), before);
  for (const auto& entry : fs::directory_iterator(*root_)) {
    EXPECT_EQ(entry.path().filename().string().find(".part"), std::string::npos) << entry.path();
  }
}

// A geometry blob of the given body after a valid little-endian header.
std::vector<uint8_t> blob(std::initializer_list<uint8_t> wkb) {
  std::vector<uint8_t> b = {'G', 'P', 0, 0x01, 0xA1, 0x86, 0x01, 0x00};  // srs 100001
  b.insert(b.end(), wkb);
  return b;
}

TEST_F(ContainerTest, NamesOfEveryScriptComeBackAsWrittenTheFilesTransliterate) {
  MapData map = city_->map;
  map.streetNames[1].name = "Städtle";
  map.microdistricts[0].name = "Οδός Ερμού";
  map.userObjects[0].name = "北京路 «O'Brien»";
  map.buildings[1].description = "Øster Allé'); DELETE FROM buildings; --";
  map.signRecords[0].text = "Ærø, Ελλάδα, 中国";
  const fs::path file = *root_ / "scripts.gpkg";
  std::string error;
  ASSERT_TRUE(writeGeoPackage(file, map, city_->regional, city_->cityWater, &error)) << error;
  MapData packed;
  const LoadResult base = loadContainerBaseMap(file, packed, {});
  const LoadResult rest = loadContainerBuildings(file, packed, {});
  ASSERT_TRUE(base.ok && rest.ok);
  EXPECT_TRUE(base.problems.empty() && rest.problems.empty());
  expectSameMap(map, packed);

  // The eleven files hold cp1251: Latin letters lose their accents, other
  // scripts their letters.
  const fs::path dir = *root_ / "scripts";
  ASSERT_TRUE(writeMapFolder(dir, map, city_->regional, city_->cityWater));
  MapData files;
  ASSERT_TRUE(loadBaseMap(dir, files, {}).ok);
  ASSERT_TRUE(loadBuildingsAndReferences(dir, files, {}).ok);
  EXPECT_EQ(files.streetNames[1].name, "Stadtle");
  EXPECT_EQ(files.microdistricts[0].name, "???? ?????");
  EXPECT_EQ(files.userObjects[0].name, "??? «O'Brien»");
  EXPECT_EQ(files.buildings[1].description, "Oster Alle'); DELETE FROM buildings; --");
  EXPECT_EQ(files.signRecords[0].text, "AEro, ??????, ??");
}

TEST_F(ContainerTest, HostileNamesComeBackMadeSafe) {
  const fs::path file = copy("names.gpkg");
  edit(file, "UPDATE street_names SET name = CAST(X'41C328C0AF4E' AS TEXT) WHERE fid = 1");
  edit(file, "UPDATE themes SET name = 'evil' || char(0x202E) || 'txt' WHERE fid = 1");
  edit(file,
       "UPDATE buildings SET description = replace(hex(zeroblob(2500)), '0', 'Ж') "
       "WHERE fid = 1");
  edit(file,
       "UPDATE signs SET text = 'a' || char(0) || 'b' || char(10, 0x85) || 'c' "
       "WHERE fid = 1");
  MapData map;
  const LoadResult base = loadContainerBaseMap(file, map, {});
  const LoadResult rest = loadContainerBuildings(file, map, {});
  ASSERT_TRUE(base.ok && rest.ok);
  const std::string fffd = "\xEF\xBF\xBD";
  EXPECT_EQ(map.streetNames[0].name, "A" + fffd + "(" + fffd + fffd + "N");
  EXPECT_EQ(map.themeNodes[0].name, "eviltxt");
  std::string cut;
  for (size_t i = 0; i < kMaxTextBytes / 2; ++i) cut += "Ж";
  EXPECT_EQ(map.buildings[0].description, cut);
  EXPECT_EQ(map.signRecords[0].text, "abc");
  std::vector<LoadProblem> all = base.problems;
  all.insert(all.end(), rest.problems.begin(), rest.problems.end());
  int repaired = 0;
  for (const LoadProblem& p : all) {
    EXPECT_NE(p.what.find("repaired"), std::string::npos) << p.what;
    repaired += std::stoi(p.what);
  }
  EXPECT_EQ(repaired, 4);
}

TEST_F(ContainerTest, DamagedForeignAndHostileFilesAreNamedNeverTrusted) {
  const auto le32 = [](uint32_t v) {
    return std::vector<uint8_t>{static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8),
                                static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 24)};
  };
  auto line = [&](uint32_t count, size_t pointsGiven) {
    std::vector<uint8_t> b = blob({1, 2, 0, 0, 0});
    for (uint8_t x : le32(count)) b.push_back(x);
    b.resize(b.size() + 16 * pointsGiven, 0x40);
    return b;
  };
  std::vector<uint8_t> nanLine = line(2, 2);
  std::fill(nanLine.end() - 8, nanLine.end(), 0xFF);
  const uint64_t size = fs::file_size(container());
  enum Outcome {
    BaseFails,
    BuildingsFail,
    Damaged,
    RowSkipped,
    ListDropped,
    TableCapped,
    Reported
  };
  struct Case {
    const char* name;
    std::function<void(const fs::path&)> damage;
    Outcome outcome;
  };
  const auto cut = [](uint64_t at) { return [at](const fs::path& p) { fs::resize_file(p, at); }; };
  const auto sql = [](std::string text, std::vector<uint8_t> b = {}) {
    return [text, b](const fs::path& p) { edit(p, text, b); };
  };
  const std::vector<Case> cases = {
      {"empty", cut(0), BaseFails},
      {"header only", cut(100), BaseFails},
      {"cut at 4 KiB", cut(4096), BaseFails},
      {"cut in half", cut(size / 2), BaseFails},
      {"cut short by a page", cut(size - 4096), Damaged},
      {"not SQLite", [](const fs::path& p) { std::ofstream(p) << "hello, world\n"; }, BaseFails},
      {"plain SQLite",
       [](const fs::path& p) {
         fs::remove(p);
         edit(p, "CREATE TABLE t (x)");
       },
       BaseFails},
      {"application id", sql("PRAGMA application_id = 0"), BaseFails},
      {"another program", sql("UPDATE map_properties SET value = 'other' WHERE key = 'format'"),
       BaseFails},
      {"later version", sql("UPDATE map_properties SET value = 99 WHERE key = 'format.version'"),
       BaseFails},
      {"no districts", sql("DELETE FROM districts"), BaseFails},
      {"districts a view",
       sql("ALTER TABLE districts RENAME TO d2; CREATE VIEW districts AS SELECT * FROM d2"),
       BaseFails},
      {"no buildings table", sql("DROP TABLE buildings"), BuildingsFail},
      {"lying blob size", sql("UPDATE buildings SET geom = ?1 WHERE fid = 2", line(5, 2)),
       RowSkipped},
      {"huge point count", sql("UPDATE buildings SET geom = ?1 WHERE fid = 2", line(~0u, 1)),
       RowSkipped},
      {"NaN coordinate", sql("UPDATE buildings SET geom = ?1 WHERE fid = 2", nanLine), RowSkipped},
      {"byte order 7", sql("UPDATE buildings SET geom = ?1 WHERE fid = 2", blob({7, 2, 0, 0, 0})),
       RowSkipped},
      {"geometry type", sql("UPDATE buildings SET geom = ?1 WHERE fid = 2", blob({1, 7, 0, 0, 0})),
       RowSkipped},
      {"text for floors", sql("UPDATE buildings SET floors = 'nine' WHERE fid = 2"), RowSkipped},
      {"floors past 32 bits", sql("UPDATE buildings SET floors = 1099511627776 WHERE fid = 2"),
       RowSkipped},
      {"theme loop", sql("UPDATE themes SET next = 0 WHERE fid = 2"), ListDropped},
      {"signs past the record cap",
       sql("WITH RECURSIVE n(k) AS (SELECT 1 UNION ALL SELECT k + 1 FROM n LIMIT " +
           std::to_string(kContainerMaxRecords + 1) +
           ") INSERT INTO signs SELECT NULL, k, 0, 0, 0, 0, 0, '' FROM n"),
       TableCapped},
      {"declared count past 32 bits",
       sql("UPDATE map_properties SET value = 1099511627776 WHERE key = 'signs_declared'"),
       Reported},
  };
  // Those edits that only change values leave the rest of the file read.
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path file = copy("hostile.gpkg");
    c.damage(file);
    MapData map;
    const LoadResult base = loadContainerBaseMap(file, map, {});
    LoadResult rest;
    if (base.ok) rest = loadContainerBuildings(file, map, {});
    if (c.outcome == Damaged) {
      EXPECT_TRUE(!base.ok || !rest.ok);
      if (!base.ok) {
        EXPECT_EQ(base.missingFile, "hostile.gpkg");
      }
    } else if (c.outcome == BaseFails) {
      EXPECT_FALSE(base.ok);
      EXPECT_EQ(base.missingFile, "hostile.gpkg");
      EXPECT_TRUE(map.districtAreas.empty());
    } else {
      ASSERT_TRUE(base.ok) << (base.problems.empty() ? "" : base.problems[0].what);
      EXPECT_EQ(rest.ok, c.outcome != BuildingsFail);
    }
    std::vector<LoadProblem> all = base.problems;
    all.insert(all.end(), rest.problems.begin(), rest.problems.end());
    ASSERT_FALSE(all.empty());
    for (const LoadProblem& p : all) EXPECT_EQ(p.file, "hostile.gpkg") << p.what;
    if (c.outcome == RowSkipped) {
      EXPECT_EQ(map.buildings.size(), city_->map.buildings.size() - 1) << all[0].what;
      EXPECT_NE(all[0].what.find("buildings, record 2"), std::string::npos) << all[0].what;
    }
    if (c.outcome == TableCapped) {
      EXPECT_EQ(static_cast<int64_t>(map.signRecords.size()), kContainerMaxRecords);
    }
    if (c.outcome == ListDropped) {
      EXPECT_TRUE(map.themeNodes.empty());
      EXPECT_EQ(map.themeHead, -1);
    }
  }
}

// Both byte orders decode alike; a blob cut anywhere is refused.
TEST(GeometryBlob, DecodesBothByteOrdersAndRefusesEveryCut) {
  const std::vector<PlaneXY> pts = {{1.5, 2}, {3, 4.25}, {5, 6}, {1.5, 2}};
  const std::vector<uint8_t> little = encodeGeometry(GeometryKind::Polygon, 100001, pts);
  std::vector<uint8_t> big = {'G', 'P', 0, 0x02, 0, 0x01, 0x86, 0xA1};  // envelope, big-endian
  const auto put = [&](uint64_t v, int n) {
    for (int i = n - 1; i >= 0; --i) big.push_back(static_cast<uint8_t>(v >> (8 * i)));
  };
  const Envelope e = envelopeOf(pts);
  for (double d : {e.minX, e.maxX, e.minY, e.maxY}) put(std::bit_cast<uint64_t>(d), 8);
  big.push_back(0);
  put(3, 4), put(1, 4), put(pts.size(), 4);
  for (const PlaneXY& p : pts)
    put(std::bit_cast<uint64_t>(p.x), 8), put(std::bit_cast<uint64_t>(p.y), 8);
  for (const std::vector<uint8_t>* bytes :
       {&little, const_cast<const std::vector<uint8_t>*>(&big)}) {
    DecodedGeometry g;
    std::string why;
    ASSERT_TRUE(decodeGeometry(*bytes, 10, g, why)) << why;
    EXPECT_EQ(g.kind, GeometryKind::Polygon);
    EXPECT_EQ(g.srsId, 100001);
    ASSERT_EQ(g.points.size(), pts.size());
    for (size_t i = 0; i < pts.size(); ++i) EXPECT_EQ(g.points[i].y, pts[i].y);
    EXPECT_FALSE(decodeGeometry(*bytes, 3, g, why));  // over the vertex cap
    for (size_t n = 0; n < bytes->size(); ++n) {
      EXPECT_FALSE(decodeGeometry(std::span(bytes->data(), n), 10, g, why)) << n;
    }
  }
}

}  // namespace
}  // namespace tikhomap
