// Reading the map container without trusting it: the file is opened
// read-only with SQLite's defensive settings and limits, every statement is
// fixed text with bound values, and every value is checked against the
// container's caps and its model field's range before it is stored.
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string_view>

#include "gpkg/checked_narrowing.h"
#include "gpkg/container_limits.h"
#include "gpkg/geometry_blob.h"
#include "gpkg/geopackage.h"
#include "gpkg/schema.h"
#include "gpkg/sqlite_db.h"
#include "mapdata/city_info.h"
#include "mapdata/cp1251.h"
#include "mapdata/loader.h"
#include "mapdata/map_readers.h"
#include "mapdata/table_order.h"
#include "mapdata/utf8_text.h"

namespace tikhomap {
namespace {

using gpkg::Connection;
using gpkg::Statement;

// Problems reported for one table before the rest are only counted.
constexpr int kProblemsPerTable = 20;

void say(const LoadProgress& progress, const std::string& caption) {
  if (progress) progress(caption);
}

// One row of a result, read column by column; the first refused value
// stops the row with its reason.
class Row {
 public:
  Row(sqlite3_stmt* s, int64_t& totalVertices, int64_t& repairedTexts)
      : s_(s), totalVertices_(totalVertices), repairedTexts_(repairedTexts) {}

  const std::string& error() const { return error_; }
  bool refuse(const char* what, const char* why) { return fail(what, why); }

  template <typename Field>
  bool integer(int col, Field& field, const char* what) {
    if (sqlite3_column_type(s_, col) != SQLITE_INTEGER) return fail(what, "is not an integer");
    if (!narrowInto(field, sqlite3_column_int64(s_, col))) return fail(what, "is out of range");
    return true;
  }
  template <typename Field>
  bool real(int col, Field& field, const char* what) {
    const int type = sqlite3_column_type(s_, col);
    if (type != SQLITE_FLOAT && type != SQLITE_INTEGER) return fail(what, "is not a number");
    if (!narrowNumberInto(field, sqlite3_column_double(s_, col))) {
      return fail(what, "is out of range");
    }
    return true;
  }
  // UTF-8 text in the map's code page, at most maxBytes of it.
  bool text(int col, std::string& out, size_t maxBytes, const char* what) {
    std::string_view raw;
    if (!rawText(col, raw, what)) return false;
    out = utf8ToCp1251(raw);
    if (out.find('\0') != std::string::npos) return fail(what, "holds a NUL character");
    if (out.size() > maxBytes) return fail(what, "is too long");
    return true;
  }
  // A short text of the model (a house number, a title-sheet caption, a line
  // of the city description): UTF-8 made safe (mapdata/utf8_text.h), at
  // most maxChars characters.
  bool utf8Text(int col, std::string& out, size_t maxChars, const char* what) {
    std::string_view raw;
    if (!rawText(col, raw, what)) return false;
    if (raw.find('\0') != std::string_view::npos) return fail(what, "holds a NUL character");
    // Lines are made of the description: a text may not make another.
    if (raw.find_first_of("\r\n") != std::string_view::npos) return fail(what, "breaks its line");
    bool repaired = false;
    out = sanitizedUtf8(raw, kMaxTextBytes, &repaired);
    if (codePointCount(out) > maxChars) return fail(what, "is too long");
    if (repaired) ++repairedTexts_;
    return true;
  }
  // A name or other text of the model: UTF-8 made safe (mapdata/utf8_text.h)
  // and cut to kMaxTextBytes; what had to be repaired is counted.
  bool name(int col, std::string& out, const char* what) {
    std::string_view raw;
    if (!rawText(col, raw, what)) return false;
    bool repaired = false;
    out = sanitizedUtf8(raw, kMaxTextBytes, &repaired);
    if (repaired) ++repairedTexts_;
    return true;
  }
  // The column's text as SQLite holds it, valid until the row steps on.
  bool rawText(int col, std::string_view& raw, const char* what) {
    if (sqlite3_column_type(s_, col) != SQLITE_TEXT) return fail(what, "is not a text");
    const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(s_, col));
    const int bytes = sqlite3_column_bytes(s_, col);
    if (!data || bytes < 0) return fail(what, "cannot be read");
    raw = std::string_view(data, static_cast<size_t>(bytes));
    return true;
  }
  template <size_t N>
  bool field(int col, char (&out)[N], const char* what, bool terminated = true) {
    std::string s;
    if (!text(col, s, terminated ? N - 1 : N, what)) return false;
    std::memset(out, 0, N);
    std::memcpy(out, s.data(), s.size());
    return true;
  }
  bool geometry(int col, int32_t srs, DecodedGeometry& g, const char* what) {
    if (sqlite3_column_type(s_, col) != SQLITE_BLOB) return fail(what, "is not a geometry");
    const auto* data = static_cast<const uint8_t*>(sqlite3_column_blob(s_, col));
    const int bytes = sqlite3_column_bytes(s_, col);
    if (bytes < 0 || (bytes > 0 && !data)) return fail(what, "cannot be read");
    std::string why;
    if (!decodeGeometry(std::span<const uint8_t>(data, static_cast<size_t>(bytes)),
                        kContainerMaxVertices, g, why)) {
      return fail(what, why.c_str());
    }
    if (g.srsId != srs) return fail(what, "is in another spatial reference");
    totalVertices_ += static_cast<int64_t>(g.points.size());
    if (totalVertices_ > kContainerMaxTotalVertices) {
      return fail(what, "passes the vertex cap of the whole map");
    }
    return true;
  }
  // A line or polygon into model points (x northing, y easting).
  template <typename Point>
  bool shape(int col, int32_t srs, std::vector<Point>& out, const char* what) {
    DecodedGeometry g;
    if (!geometry(col, srs, g, what)) return false;
    if (g.kind == GeometryKind::Point) return fail(what, "is a point, not a shape");
    out.clear();
    out.reserve(g.points.size());
    for (const PlaneXY& p : g.points) {
      Point q;
      if (!narrowNumberInto(q.x, p.y) || !narrowNumberInto(q.y, p.x)) {
        return fail(what, "has a vertex outside the map's coordinates");
      }
      out.push_back(q);
    }
    return true;
  }
  template <typename FieldX, typename FieldY>
  bool point(int col, FieldX& x, FieldY& y, const char* what) {
    DecodedGeometry g;
    if (!geometry(col, kCityGridSrsId, g, what)) return false;
    if (g.kind != GeometryKind::Point || g.points.size() != 1) return fail(what, "is not a point");
    if (!narrowNumberInto(x, g.points[0].y) || !narrowNumberInto(y, g.points[0].x)) {
      return fail(what, "is outside the map's coordinates");
    }
    return true;
  }

 private:
  bool fail(const char* what, const char* why) {
    error_ = std::string(what) + " " + why;
    return false;
  }
  sqlite3_stmt* s_;
  int64_t& totalVertices_;
  int64_t& repairedTexts_;
  std::string error_;
};

class Reader {
 public:
  Reader(const std::filesystem::path& path, std::vector<LoadProblem>& problems)
      : path_(std::filesystem::absolute(path)),
        name_(path_.filename().string()),
        problems_(problems) {}

  const std::string& name() const { return name_; }

  void problem(const std::string& what) { problems_.push_back({name_, 0, what}); }

  // Opens the file as a container of this program; false (with a problem
  // saying why) for anything else.
  bool open() {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (!fs::is_regular_file(path_, ec)) {
      problem("is not a file that can be read");
      return false;
    }
    // The header is checked before SQLite sees the file: a foreign file
    // gets a plain answer, and a file left in write-ahead-log mode (which a
    // read-only reader would have to recover) is refused.
    char header[100] = {};
    std::ifstream in(path_, std::ios::binary);
    if (!in.read(header, sizeof header) || std::memcmp(header, "SQLite format 3", 16) != 0) {
      problem("is not a GeoPackage (not an SQLite database)");
      return false;
    }
    if (header[18] != 1 || header[19] != 1) {
      problem("is an SQLite database in write-ahead-log mode; it is read only in rollback mode");
      return false;
    }
    const sqlite3_int64 heap = sqlite3_hard_heap_limit64(-1);
    if (heap == 0 || heap > kContainerHeapLimit) sqlite3_hard_heap_limit64(kContainerHeapLimit);
    if (db_.open(path_.string(), SQLITE_OPEN_READONLY) != SQLITE_OK) {
      problem("cannot be opened: " + db_.message());
      return false;
    }
    sqlite3* db = db_.get();
    int off = 0;
    sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, &off);
    sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_VIEW, 0, &off);
    sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, 0, nullptr);
    sqlite3_limit(db, SQLITE_LIMIT_LENGTH, kContainerMaxValueBytes);
    sqlite3_limit(db, SQLITE_LIMIT_SQL_LENGTH, 100'000);
    sqlite3_limit(db, SQLITE_LIMIT_COLUMN, kContainerMaxColumns);
    sqlite3_limit(db, SQLITE_LIMIT_EXPR_DEPTH, kContainerMaxColumns);
    sqlite3_limit(db, SQLITE_LIMIT_COMPOUND_SELECT, 4);
    sqlite3_limit(db, SQLITE_LIMIT_VDBE_OP, 25'000);
    sqlite3_limit(db, SQLITE_LIMIT_FUNCTION_ARG, 8);
    sqlite3_limit(db, SQLITE_LIMIT_ATTACHED, 0);
    sqlite3_limit(db, SQLITE_LIMIT_LIKE_PATTERN_LENGTH, 64);
    sqlite3_limit(db, SQLITE_LIMIT_VARIABLE_NUMBER, 16);
    sqlite3_limit(db, SQLITE_LIMIT_TRIGGER_DEPTH, 1);
    if (!db_.exec("PRAGMA trusted_schema = OFF") || !db_.exec("PRAGMA query_only = ON") ||
        !db_.exec("PRAGMA cell_size_check = ON") ||
        // Sorting spills into memory under the heap limit, never into
        // temporary files of unbounded size.
        !db_.exec("PRAGMA temp_store = MEMORY")) {
      problem("cannot be read: " + db_.message());
      return false;
    }
    int64_t applicationId = 0;
    if (!pragmaValue("PRAGMA application_id", applicationId)) return false;
    if (static_cast<uint32_t>(applicationId) != gpkg::kApplicationId) {
      problem("is not a GeoPackage (its application id is not GPKG)");
      return false;
    }
    Statement s(db, "SELECT value FROM map_properties WHERE key = 'format'");
    if (!s.ok() || s.step() != SQLITE_ROW || sqlite3_column_type(s.get(), 0) != SQLITE_TEXT ||
        std::string_view(reinterpret_cast<const char*>(sqlite3_column_text(s.get(), 0))) !=
            gpkg::kFormatName) {
      problem("is a GeoPackage of another program, not a town map");
      return false;
    }
    int64_t version = 0;
    if (!property("format.version", version) || version < 1 || version > gpkg::kFormatVersion) {
      problem("is a town map of a later version of the program");
      return false;
    }
    return true;
  }

  // Runs a fixed query (bound values given by bind) and hands each row to
  // read, which answers false with Row::error() to skip the row. Answers
  // false when the table cannot be read at all.
  template <typename Bind, typename Read>
  bool rows(const char* table, const std::string& sql, Bind bind, Read read) {
    Statement s(db_.get(), sql);
    if (!s.ok()) {
      problem(std::string("table ") + table + " cannot be read: " + db_.message());
      return false;
    }
    bind(s);
    int64_t count = 0;
    int skipped = 0;
    int rc = SQLITE_ROW;
    while ((rc = s.step()) == SQLITE_ROW) {
      if (++count > kContainerMaxRecords) {
        problem(std::string("table ") + table + " has more than " +
                std::to_string(kContainerMaxRecords) + " records; the rest are not read");
        break;
      }
      Row row(s.get(), totalVertices_, repairedTexts_);
      if (read(row)) continue;
      if (++skipped <= kProblemsPerTable) {
        problem(std::string("table ") + table + ", record " + std::to_string(count) + ": " +
                row.error() + "; the record is skipped");
      }
    }
    if (skipped > kProblemsPerTable) {
      problem(std::string("table ") + table + ": " + std::to_string(skipped) +
              " records skipped in all");
    }
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
      problem(std::string("table ") + table + " is damaged: " + db_.message());
      return false;
    }
    return true;
  }
  template <typename Read>
  bool rows(const char* table, const std::string& sql, Read read) {
    return rows(
        table, sql, [](Statement&) {}, read);
  }

  bool property(const char* key, int64_t& value) {
    Statement s(db_.get(), "SELECT value FROM map_properties WHERE key = ?1");
    s.bindText(1, key);
    if (s.step() != SQLITE_ROW || sqlite3_column_type(s.get(), 0) != SQLITE_INTEGER) return false;
    value = sqlite3_column_int64(s.get(), 0);
    return true;
  }
  template <typename Field>
  bool realProperty(const char* key, Field& field) {
    Statement s(db_.get(), "SELECT value FROM map_properties WHERE key = ?1");
    s.bindText(1, key);
    if (s.step() != SQLITE_ROW) return false;
    const int type = sqlite3_column_type(s.get(), 0);
    if (type != SQLITE_FLOAT && type != SQLITE_INTEGER) return false;
    return narrowNumberInto(field, sqlite3_column_double(s.get(), 0));
  }
  template <typename Field>
  void integerProperty(const char* key, Field& field) {
    int64_t v = 0;
    if (!property(key, v) || !narrowInto(field, v)) {
      problem(std::string("map property ") + key + " is missing or out of range");
    }
  }

  sqlite3* db() { return db_.get(); }

  // Says how many texts had to be repaired or cut (none: nothing said).
  void reportRepairedTexts() {
    if (repairedTexts_ > 0) {
      problem(std::to_string(repairedTexts_) +
              " texts were not valid UTF-8, held control characters or were too long, and were "
              "repaired");
    }
    repairedTexts_ = 0;
  }

 private:
  bool pragmaValue(const char* sql, int64_t& value) {
    Statement s(db_.get(), sql);
    const int rc = s.step();
    if (rc != SQLITE_ROW) {
      problem("cannot be read: " + db_.message());
      return false;
    }
    value = sqlite3_column_int64(s.get(), 0);
    return true;
  }

  std::filesystem::path path_;
  std::string name_;
  std::vector<LoadProblem>& problems_;
  Connection db_;
  int64_t totalVertices_ = 0;
  int64_t repairedTexts_ = 0;
};

LoadResult failure(LoadResult& result, const Reader& reader) {
  result.ok = false;
  result.missingFile = reader.name();
  return result;
}

bool readFeatures(Reader& r, const char* table, std::vector<MapFeature>& out) {
  out.clear();
  return r.rows(
      table,
      std::string("SELECT geom, code, reserved, north_min, east_min, north_max, "
                  "east_max FROM \"") +
          table + "\" ORDER BY fid",
      [&](Row& row) {
        MapFeature f;
        if (!row.shape(0, kCityGridSrsId, f.points, "geometry") ||
            !narrowInto(f.pointCount, static_cast<int64_t>(f.points.size())) ||
            !row.integer(1, f.code, "code") || !row.integer(2, f.reserved, "reserved") ||
            !row.real(3, f.bounds.xMin, "north_min") || !row.real(4, f.bounds.yMin, "east_min") ||
            !row.real(5, f.bounds.xMax, "north_max") || !row.real(6, f.bounds.yMax, "east_max")) {
          return false;
        }
        out.push_back(std::move(f));
        return true;
      });
}

void readCityDescription(Reader& r, MapData& map, std::vector<LoadProblem>& problems) {
  map.city = CityInfo{};
  std::string text;
  bool any = false;
  r.rows("city_description", "SELECT key, value FROM city_description ORDER BY fid", [&](Row& row) {
    std::string key, value;
    if (!row.utf8Text(0, key, 64, "key") || !row.utf8Text(1, value, 1024, "value")) return false;
    // Lines are made here: a key may not hold the separator.
    if (key.find('=') != std::string::npos) return row.refuse("key", "holds '='");
    text += key + " = " + value + "\n";
    any = true;
    return true;
  });
  if (!any) return;
  std::vector<LoadProblem> found;
  map.city =
      parseCityInfo(std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()), &found);
  for (LoadProblem& p : found) problems.push_back({r.name(), 0, "city description: " + p.what});
}

}  // namespace

LoadResult loadContainerBaseMap(const std::filesystem::path& path, MapData& map,
                                const LoadProgress& progress) {
  LoadResult result;
  clearBaseMap(map);
  map.city = CityInfo{};
  map.maxPointCount = 0;
  Reader r(path, result.problems);
  if (!r.open()) return failure(result, r);
  readCityDescription(r, map, result.problems);
  MapBounds extent;
  if (!r.realProperty("extent.north_min", extent.xMin) ||
      !r.realProperty("extent.east_min", extent.yMin) ||
      !r.realProperty("extent.north_max", extent.xMax) ||
      !r.realProperty("extent.east_max", extent.yMax)) {
    r.problem("the city extent is missing or out of range");
    return failure(result, r);
  }
  map.cityExtent = extent;

  say(progress, "Загрузка: Гидрография");
  r.rows("microdistricts", "SELECT geom, name FROM microdistricts ORDER BY fid", [&](Row& row) {
    Microdistrict m;
    if (!row.point(0, m.x, m.y, "point") || !row.name(1, m.name, "name")) return false;
    map.microdistricts.push_back(m);
    return true;
  });

  say(progress, "Загрузка:  Береговая");
  r.rows("districts",
         "SELECT geom, district, bounds_north_min, bounds_east_min, bounds_north_max, "
         "bounds_east_max FROM districts ORDER BY fid",
         [&](Row& row) {
           DistrictArea a;
           if (!row.shape(0, kCityGridSrsId, a.points, "geometry") ||
               !narrowInto(a.pointCount, static_cast<int64_t>(a.points.size())) ||
               !row.integer(1, a.district, "district")) {
             return false;
           }
           for (int i = 0; i < 4; ++i) {
             if (!row.integer(2 + i, a.boundsLow[i], "bounds")) return false;
           }
           map.districtAreas.push_back(std::move(a));
           return true;
         });
  if (map.districtAreas.empty()) {
    r.problem("no district areas");
    return failure(result, r);
  }
  for (const DistrictArea& a : map.districtAreas) {
    map.maxPointCount = std::max<int32_t>(map.maxPointCount, a.pointCount);
  }

  say(progress, "Загрузка:  Топооснова");
  readFeatures(r, "area_features", map.areaFeatures);
  readFeatures(r, "line_features", map.lineFeatures);
  readFeatures(r, "water_features", map.waterFeatures);
  readFeatures(r, "street_outlines", map.streetOutlines);

  say(progress, "Загрузка:  Улицы и проезды");
  readFeatures(r, "street_axes", map.streetLines);
  r.rows("street_names", "SELECT kind, street_code, name FROM street_names ORDER BY fid",
         [&](Row& row) {
           StreetName n;
           if (!row.integer(0, n.kind, "kind") || !row.integer(1, n.streetCode, "street code") ||
               !row.name(2, n.name, "name")) {
             return false;
           }
           map.streetNames.push_back(n);
           return true;
         });
  r.rows("street_label_points",
         "SELECT geom, level, street_code FROM street_label_points ORDER BY fid", [&](Row& row) {
           StreetLabelPoint p;
           if (!row.point(0, p.x, p.y, "point") || !row.integer(1, p.level, "level") ||
               !row.integer(2, p.streetCode, "street code")) {
             return false;
           }
           map.streetLabelPoints.push_back(p);
           return true;
         });
  for (const auto* table : {&map.areaFeatures, &map.lineFeatures, &map.waterFeatures,
                            &map.streetOutlines, &map.streetLines}) {
    for (const MapFeature& f : *table) {
      map.maxPointCount = std::max<int32_t>(map.maxPointCount, f.pointCount);
    }
  }
  if (const int outside = indexStreetCodes(map); outside > 0) {
    r.problem(std::to_string(outside) + " street names with a code that cannot be indexed");
  }
  result.ok = true;
  r.reportRepairedTexts();
  return result;
}

LoadResult loadContainerBuildings(const std::filesystem::path& path, MapData& map,
                                  const LoadProgress& progress) {
  LoadResult result;
  clearBuildingsAndReferences(map);
  Reader r(path, result.problems);
  if (!r.open()) return failure(result, r);

  int64_t total = 0;
  {
    Statement count(r.db(), "SELECT count(*) FROM buildings");
    if (count.step() == SQLITE_ROW) total = sqlite3_column_int64(count.get(), 0);
  }
  auto caption = [&](int64_t done) {
    char text[96];
    std::snprintf(text, sizeof text, "Загрузка: Здания  %lld (%lld)", static_cast<long long>(done),
                  static_cast<long long>(total));
    say(progress, text);
  };
  int64_t seen = 0;
  const bool buildingsRead = r.rows(
      "buildings",
      "SELECT geom, address_north, address_east, purpose, floors, street_code, state, "
      "house_number, description, reserved, north_min, east_min, north_max, east_max, "
      "closing_vertex_added FROM buildings ORDER BY fid",
      [&](Row& row) {
        if (seen++ % 200 == 0) caption(seen - 1);
        Building b;
        int64_t closingAdded = 0;
        if (!row.shape(0, kCityGridSrsId, b.outline, "outline") ||
            !row.integer(14, closingAdded, "closing_vertex_added")) {
          return false;
        }
        // The model keeps an outline open; the container closed its ring.
        if (closingAdded != 0) {
          if (b.outline.size() < 4 || !(b.outline.front() == b.outline.back())) {
            return row.refuse("outline", "is not the closed ring it is said to be");
          }
          b.outline.pop_back();
        }
        if (!narrowInto(b.pointCount, static_cast<int64_t>(b.outline.size())) ||
            !row.integer(1, b.x, "address_north") || !row.integer(2, b.y, "address_east") ||
            !row.integer(3, b.purpose, "purpose") || !row.integer(4, b.floors, "floors") ||
            !row.integer(5, b.streetCode, "street code") || !row.integer(6, b.state, "state") ||
            !row.name(7, b.houseNumber, "house number") ||
            !row.name(8, b.description, "description") || !row.integer(9, b.reserved, "reserved") ||
            !row.real(10, b.bounds.xMin, "north_min") || !row.real(11, b.bounds.yMin, "east_min") ||
            !row.real(12, b.bounds.xMax, "north_max") || !row.real(13, b.bounds.yMax, "east_max")) {
          return false;
        }
        map.buildings.push_back(std::move(b));
        return true;
      });
  if (!buildingsRead) return failure(result, r);

  r.rows("further_addresses",
         "SELECT address_north, address_east, street_code, number, building FROM "
         "further_addresses ORDER BY fid",
         [&](Row& row) {
           FurtherAddress a;
           if (!row.integer(0, a.x, "address_north") || !row.integer(1, a.y, "address_east") ||
               !row.integer(2, a.streetCode, "street code") ||
               !row.utf8Text(3, a.number, kFurtherNumberLength, "number") ||
               !row.integer(4, a.building, "building")) {
             return false;
           }
           // The row must be the building whose address point it names.
           if (a.building < 0 || static_cast<size_t>(a.building) >= map.buildings.size() ||
               map.buildings[static_cast<size_t>(a.building)].x != a.x ||
               map.buildings[static_cast<size_t>(a.building)].y != a.y) {
             return row.refuse("building", "is not the building of that address point");
           }
           map.furtherAddresses.push_back(std::move(a));
           return true;
         });
  result.ok = true;

  r.rows("themes",
         "SELECT code, name, children, next, reserved1, reserved2 FROM themes ORDER BY fid",
         [&](Row& row) {
           ThemeNode n;
           if (!row.field(0, n.code, "code", false) || !row.name(1, n.name, "name") ||
               !row.integer(2, n.children, "children") || !row.integer(3, n.next, "next") ||
               !row.integer(4, n.reserved1, "reserved1") ||
               !row.integer(5, n.reserved2, "reserved2")) {
             return false;
           }
           map.themeNodes.push_back(n);
           return true;
         });
  r.integerProperty("theme_head", map.themeHead);
  // The list is walked by every search: its links must form a tree inside
  // the table, each node reached once.
  {
    const auto n = static_cast<int64_t>(map.themeNodes.size());
    std::vector<bool> seenNode(map.themeNodes.size(), false);
    std::vector<int32_t> pending = {map.themeHead};
    bool sound = map.themeHead >= -1 && map.themeHead < n;
    while (sound && !pending.empty()) {
      const int32_t k = pending.back();
      pending.pop_back();
      if (k == -1) continue;
      if (k < -1 || k >= n || seenNode[static_cast<size_t>(k)]) {
        sound = false;
        break;
      }
      seenNode[static_cast<size_t>(k)] = true;
      pending.push_back(map.themeNodes[static_cast<size_t>(k)].children);
      pending.push_back(map.themeNodes[static_cast<size_t>(k)].next);
    }
    if (!sound) {
      r.problem("the links of the theme list are broken; the theme list is not read");
      map.themeNodes.clear();
      map.themeHead = -1;
    }
  }

  r.rows("user_objects",
         "SELECT geom, theme, name, found_mark, reserved FROM user_objects ORDER BY fid",
         [&](Row& row) {
           UserObject o;
           if (!row.point(0, o.x, o.y, "point") || !row.field(1, o.theme, "theme", false) ||
               !row.name(2, o.name, "name") || !row.integer(3, o.foundMark, "found_mark") ||
               !row.integer(4, o.reserved, "reserved")) {
             return false;
           }
           map.userObjects.push_back(o);
           return true;
         });
  r.integerProperty("user_objects_declared", map.userObjectsDeclared);

  r.rows("signs", "SELECT sign_id, a, b, spare, p, q, text FROM signs ORDER BY fid", [&](Row& row) {
    SignRecord s;
    if (!row.integer(0, s.id, "sign_id") || !row.integer(1, s.a, "a") ||
        !row.integer(2, s.b, "b") || !row.integer(3, s.spare, "spare") || !row.real(4, s.p, "p") ||
        !row.real(5, s.q, "q") || !row.name(6, s.text, "text")) {
      return false;
    }
    map.signRecords.push_back(s);
    return true;
  });
  r.integerProperty("signs_declared", map.signRecordsDeclared);
  r.reportRepairedTexts();
  return result;
}

bool readContainerTitleSheet(const std::filesystem::path& path, bool regional, TitleSheetFile& out,
                             std::vector<LoadProblem>* problems) {
  std::vector<LoadProblem> local;
  Reader r(path, problems ? *problems : local);
  out = TitleSheetFile{};
  if (!r.open()) return false;
  const int64_t sheet = regional ? 1 : 2;
  auto bindSheet = [&](Statement& s) { s.bind(1, sheet); };
  bool found = false;
  r.rows("title_sheets",
         "SELECT has_header, extent_north_min, extent_east_min, extent_north_max, extent_east_max "
         "FROM title_sheets WHERE sheet = ?1",
         bindSheet, [&](Row& row) {
           int64_t header = 0;
           if (!row.integer(0, header, "has_header")) return false;
           for (int i = 0; i < 4; ++i) {
             if (!row.integer(1 + i, out.extent[i], "extent")) return false;
           }
           out.hasHeader = header != 0;
           found = true;
           return true;
         });
  if (!found) return false;
  r.rows("title_shapes", "SELECT geom FROM title_shapes WHERE sheet = ?1 ORDER BY fid", bindSheet,
         [&](Row& row) {
           TitleShape s;
           if (!row.shape(0, -1, s.points, "geometry")) return false;
           out.shapes.push_back(std::move(s));
           return true;
         });
  r.rows("title_texts",
         "SELECT kind, north, east, text FROM title_texts WHERE sheet = ?1 ORDER BY fid", bindSheet,
         [&](Row& row) {
           TitleText t;
           std::string kind;
           if (!row.text(0, kind, 1, "kind") || kind.size() != 1 || !row.integer(1, t.x, "north") ||
               !row.integer(2, t.y, "east") || !row.utf8Text(3, t.text, 127, "text") ||
               t.text.empty()) {
             return row.refuse("kind or text", "is empty");
           }
           t.kind = kind[0];
           out.texts.push_back(std::move(t));
           return true;
         });
  return true;
}

}  // namespace tikhomap
