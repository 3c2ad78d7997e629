// Writing the map container. Everything goes into a temporary file of the
// target's folder inside one transaction; the file is renamed over the
// target only once it is complete and closed.
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <string_view>
#include <system_error>

#include "gpkg/geometry_blob.h"
#include "gpkg/geopackage.h"
#include "gpkg/schema.h"
#include "gpkg/sqlite_db.h"
#include "mapdata/cp1251.h"

namespace tikhomap {
namespace {

using gpkg::Connection;
using gpkg::kTables;
using gpkg::Srs;
using gpkg::Statement;

// The built-in grid: map x + 4769000 m is the Gauss–Krüger northing and
// map y - 13250 m the distance east of the central meridian at 132° east.
constexpr GridProjection kBuiltInGrid{132.0, 4769000.0, -13250.0};

std::string number(double v) {
  char text[40];
  std::snprintf(text, sizeof text, "%.17g", v);
  return text;
}

// A cp1251 field up to its terminator, as UTF-8.
template <size_t N>
std::string utf8Field(const char (&field)[N]) {
  return cp1251ToUtf8(std::string_view(field, strnlen(field, N)));
}
// The model's texts are UTF-8 already and are stored as they are.
const std::string& utf8Field(const std::string& text) {
  return text;
}

const char* kWgs84Wkt =
    "GEOGCS[\"WGS 84\",DATUM[\"WGS_1984\",SPHEROID[\"WGS 84\",6378137,298.257223563,"
    "AUTHORITY[\"EPSG\",\"7030\"]],AUTHORITY[\"EPSG\",\"6326\"]],PRIMEM[\"Greenwich\",0,"
    "AUTHORITY[\"EPSG\",\"8901\"]],UNIT[\"degree\",0.0174532925199433,"
    "AUTHORITY[\"EPSG\",\"9122\"]],AXIS[\"Latitude\",NORTH],AXIS[\"Longitude\",EAST],"
    "AUTHORITY[\"EPSG\",\"4326\"]]";

int32_t srsIdOf(Srs srs) {
  return srs == Srs::CityGrid ? kCityGridSrsId : -1;
}

// Writes the tables of one container into an open connection; the first
// failure stops it with the reason in error_.
class Writer {
 public:
  Writer(Connection& db, const MapData& map) : db_(db), map_(map) {}

  bool write(const TitleSheetFile& regional, const TitleSheetFile& cityWater) {
    return pragmas() && exec("BEGIN") && coreTables() && featureTables() && districts() &&
           microdistricts() && features("area_features", map_.areaFeatures) &&
           features("line_features", map_.lineFeatures) &&
           features("water_features", map_.waterFeatures) &&
           features("street_outlines", map_.streetOutlines) &&
           features("street_axes", map_.streetLines) && streetNames() && labelPoints() &&
           buildings() && furtherAddresses() && themes() && userObjects() && signs() &&
           titleSheet(1, regional) && titleSheet(2, cityWater) && properties() &&
           cityDescription() && contents() && spatialIndexes() && exec("COMMIT");
  }

  const std::string& error() const { return error_; }

 private:
  bool exec(std::string_view sql) {
    if (db_.exec(sql)) return true;
    return failed(db_.message());
  }
  bool failed(const std::string& why) {
    if (error_.empty()) error_ = why;
    return false;
  }
  bool run(Statement& s) { return s.run() || failed(db_.message()); }

  bool pragmas() {
    return exec("PRAGMA application_id = " + std::to_string(gpkg::kApplicationId)) &&
           exec("PRAGMA user_version = " + std::to_string(gpkg::kUserVersion)) &&
           exec("PRAGMA journal_mode = DELETE");
  }

  bool coreTables() {
    if (!exec("CREATE TABLE gpkg_spatial_ref_sys (srs_name TEXT NOT NULL, srs_id INTEGER "
              "PRIMARY KEY, organization TEXT NOT NULL, organization_coordsys_id INTEGER NOT "
              "NULL, definition TEXT NOT NULL, description TEXT)") ||
        !exec("CREATE TABLE gpkg_contents (table_name TEXT NOT NULL PRIMARY KEY, data_type TEXT "
              "NOT NULL, identifier TEXT UNIQUE, description TEXT DEFAULT '', last_change "
              "DATETIME NOT NULL DEFAULT (strftime('%Y-%m-%dT%H:%M:%fZ','now')), min_x DOUBLE, "
              "min_y DOUBLE, max_x DOUBLE, max_y DOUBLE, srs_id INTEGER, CONSTRAINT fk_gc_r_srs_id "
              "FOREIGN KEY (srs_id) REFERENCES gpkg_spatial_ref_sys(srs_id))") ||
        !exec("CREATE TABLE gpkg_geometry_columns (table_name TEXT NOT NULL, column_name TEXT NOT "
              "NULL, geometry_type_name TEXT NOT NULL, srs_id INTEGER NOT NULL, z TINYINT NOT "
              "NULL, m TINYINT NOT NULL, CONSTRAINT pk_geom_cols PRIMARY KEY (table_name, "
              "column_name), CONSTRAINT fk_gc_tn FOREIGN KEY (table_name) REFERENCES "
              "gpkg_contents(table_name), CONSTRAINT fk_gc_srs FOREIGN KEY (srs_id) REFERENCES "
              "gpkg_spatial_ref_sys (srs_id))") ||
        !exec("CREATE TABLE gpkg_extensions (table_name TEXT, column_name TEXT, extension_name "
              "TEXT NOT NULL, definition TEXT NOT NULL, scope TEXT NOT NULL, CONSTRAINT "
              "ge_tce UNIQUE (table_name, column_name, extension_name))")) {
      return false;
    }
    Statement s(db_.get(), "INSERT INTO gpkg_spatial_ref_sys VALUES (?1, ?2, ?3, ?4, ?5, ?6)");
    auto row = [&](const char* name, int64_t id, const char* org, int64_t orgId,
                   const std::string& wkt, const char* what) {
      s.bindText(1, name).bind(2, id).bindText(3, org).bind(4, orgId).bindText(5, wkt);
      s.bindText(6, what);
      return run(s);
    };
    return row("Undefined cartesian SRS", -1, "NONE", -1, "undefined",
               "undefined cartesian coordinate reference system") &&
           row("Undefined geographic SRS", 0, "NONE", 0, "undefined",
               "undefined geographic coordinate reference system") &&
           row("WGS 84 geodetic", 4326, "EPSG", 4326, kWgs84Wkt,
               "longitude/latitude coordinates in decimal degrees on the WGS 84 spheroid") &&
           row("Town grid", kCityGridSrsId, "tikhomap", 1, cityGridWkt(map_.city),
               "the town's plane grid: map x is the northing, map y the easting, in metres");
  }

  bool featureTables() {
    for (const auto& t : kTables) {
      std::string sql = std::string("CREATE TABLE \"") + t.name +
                        "\" (fid INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL, ";
      if (t.geometryType) sql += "geom " + std::string(t.geometryType) + ", ";
      sql += t.columns;
      sql += ")";
      if (!exec(sql)) return false;
    }
    return true;
  }

  // A geometry blob of model points (x northing, y easting): a closed ring
  // of four or more points is a polygon, any other sequence a line. With
  // closeRing an open sequence of three or more points (a building outline,
  // which the model keeps open) is closed into a polygon, and *closed says
  // so.
  template <typename Points>
  std::vector<uint8_t> shape(const Points& points, int32_t srs, Envelope* envelope,
                             bool closeRing = false, bool* closed = nullptr) {
    std::vector<PlaneXY> xy;
    xy.reserve(points.size() + 1);
    for (const auto& p : points) {
      xy.push_back({static_cast<double>(p.y), static_cast<double>(p.x)});
      if (!std::isfinite(xy.back().x) || !std::isfinite(xy.back().y)) badCoordinate_ = true;
    }
    const auto isRing = [&] {
      return xy.size() >= 4 && xy.front().x == xy.back().x && xy.front().y == xy.back().y;
    };
    if (closed) *closed = false;
    if (closeRing && xy.size() >= 3 && !isRing()) {
      xy.push_back(xy.front());
      if (closed) *closed = isRing();
      if (!isRing()) xy.pop_back();
    }
    const bool ring = isRing();
    if (envelope && !xy.empty()) *envelope = envelopeOf(xy);
    hasEnvelope_ = !xy.empty();
    return encodeGeometry(ring ? GeometryKind::Polygon : GeometryKind::LineString, srs, xy);
  }
  std::vector<uint8_t> point(double north, double east) {
    const PlaneXY p{east, north};
    if (!std::isfinite(east) || !std::isfinite(north)) badCoordinate_ = true;
    hasEnvelope_ = true;
    lastEnvelope_ = envelopeOf(std::span(&p, 1));
    return encodeGeometry(GeometryKind::Point, kCityGridSrsId, std::span(&p, 1));
  }
  bool coordinatesOk(const char* table) {
    if (!badCoordinate_) return true;
    return failed(std::string("a coordinate of ") + table + " is not a finite number");
  }

  // Statement of an insert into table with n values after fid.
  Statement insert(const char* table, int n) {
    std::string sql = std::string("INSERT INTO \"") + table + "\" VALUES (NULL";
    for (int i = 1; i <= n; ++i) sql += ", ?" + std::to_string(i);
    return Statement(db_.get(), sql + ")");
  }
  bool prepared(const Statement& s) { return s.ok() || failed(db_.message()); }

  // Keeps the envelope of a geometry row for the spatial index and the
  // table's extent.
  void indexRow(const char* table) {
    if (!hasEnvelope_) return;
    auto& rows = envelopes_[table];
    rows.push_back({sqlite3_last_insert_rowid(db_.get()), lastEnvelope_});
  }

  bool districts() {
    Statement s = insert("districts", 6);
    if (!prepared(s)) return false;
    for (const DistrictArea& a : map_.districtAreas) {
      s.bindBlob(1, shape(a.points, kCityGridSrsId, &lastEnvelope_)).bind(2, int64_t{a.district});
      for (int i = 0; i < 4; ++i) s.bind(3 + i, int64_t{a.boundsLow[i]});
      if (!run(s)) return false;
      indexRow("districts");
    }
    return coordinatesOk("districts");
  }

  bool microdistricts() {
    Statement s = insert("microdistricts", 2);
    if (!prepared(s)) return false;
    for (const Microdistrict& m : map_.microdistricts) {
      s.bindBlob(1, point(m.x, m.y)).bindText(2, utf8Field(m.name));
      if (!run(s)) return false;
      indexRow("microdistricts");
    }
    return coordinatesOk("microdistricts");
  }

  bool features(const char* table, const std::vector<MapFeature>& rows) {
    Statement s = insert(table, 7);
    if (!prepared(s)) return false;
    for (const MapFeature& f : rows) {
      s.bindBlob(1, shape(f.points, kCityGridSrsId, &lastEnvelope_));
      s.bind(2, int64_t{f.code}).bind(3, int64_t{f.reserved});
      s.bind(4, double{f.bounds.xMin}).bind(5, double{f.bounds.yMin});
      s.bind(6, double{f.bounds.xMax}).bind(7, double{f.bounds.yMax});
      if (!run(s)) return false;
      indexRow(table);
    }
    return coordinatesOk(table);
  }

  bool streetNames() {
    Statement s = insert("street_names", 3);
    if (!prepared(s)) return false;
    for (const StreetName& n : map_.streetNames) {
      s.bind(1, int64_t{n.kind}).bind(2, int64_t{n.streetCode}).bindText(3, utf8Field(n.name));
      if (!run(s)) return false;
    }
    return true;
  }

  bool labelPoints() {
    Statement s = insert("street_label_points", 3);
    if (!prepared(s)) return false;
    for (const StreetLabelPoint& p : map_.streetLabelPoints) {
      s.bindBlob(1, point(p.x, p.y)).bind(2, int64_t{p.level}).bind(3, int64_t{p.streetCode});
      if (!run(s)) return false;
      indexRow("street_label_points");
    }
    return coordinatesOk("street_label_points");
  }

  bool buildings() {
    Statement s = insert("buildings", 15);
    if (!prepared(s)) return false;
    for (const Building& b : map_.buildings) {
      bool closed = false;
      s.bindBlob(1, shape(b.outline, kCityGridSrsId, &lastEnvelope_, true, &closed));
      s.bind(15, int64_t{closed});
      s.bind(2, int64_t{b.x}).bind(3, int64_t{b.y}).bind(4, int64_t{b.purpose});
      s.bind(5, int64_t{b.floors}).bind(6, int64_t{b.streetCode}).bind(7, int64_t{b.state});
      s.bindText(8, utf8Field(b.houseNumber)).bindText(9, utf8Field(b.description));
      s.bind(10, int64_t{b.reserved});
      s.bind(11, double{b.bounds.xMin}).bind(12, double{b.bounds.yMin});
      s.bind(13, double{b.bounds.xMax}).bind(14, double{b.bounds.yMax});
      if (!run(s)) return false;
      indexRow("buildings");
      if (badCoordinate_) break;
    }
    return coordinatesOk("buildings");
  }

  bool furtherAddresses() {
    Statement s = insert("further_addresses", 5);
    if (!prepared(s)) return false;
    for (const FurtherAddress& a : map_.furtherAddresses) {
      s.bind(1, int64_t{a.x}).bind(2, int64_t{a.y}).bind(3, int64_t{a.streetCode});
      s.bindText(4, a.number).bind(5, int64_t{a.building});
      if (!run(s)) return false;
    }
    return true;
  }

  bool themes() {
    Statement s = insert("themes", 6);
    if (!prepared(s)) return false;
    for (const ThemeNode& n : map_.themeNodes) {
      s.bindText(1, utf8Field(n.code)).bindText(2, utf8Field(n.name));
      s.bind(3, int64_t{n.children}).bind(4, int64_t{n.next});
      s.bind(5, int64_t{n.reserved1}).bind(6, int64_t{n.reserved2});
      if (!run(s)) return false;
    }
    return true;
  }

  bool userObjects() {
    Statement s = insert("user_objects", 5);
    if (!prepared(s)) return false;
    for (const UserObject& o : map_.userObjects) {
      s.bindBlob(1, point(o.x, o.y)).bindText(2, utf8Field(o.theme)).bindText(3, utf8Field(o.name));
      s.bind(4, int64_t{o.foundMark}).bind(5, int64_t{o.reserved});
      if (!run(s)) return false;
      indexRow("user_objects");
    }
    return coordinatesOk("user_objects");
  }

  bool signs() {
    Statement s = insert("signs", 7);
    if (!prepared(s)) return false;
    for (const SignRecord& r : map_.signRecords) {
      s.bind(1, int64_t{r.id}).bind(2, int64_t{r.a}).bind(3, int64_t{r.b});
      s.bind(4, int64_t{r.spare}).bind(5, double{r.p}).bind(6, double{r.q});
      s.bindText(7, utf8Field(r.text));
      if (!run(s)) return false;
    }
    return true;
  }

  bool titleSheet(int sheet, const TitleSheetFile& file) {
    Statement head = insert("title_sheets", 6);
    Statement shapes = insert("title_shapes", 2);
    Statement texts = insert("title_texts", 5);
    if (!prepared(head) || !prepared(shapes) || !prepared(texts)) return false;
    head.bind(1, int64_t{sheet}).bind(2, int64_t{file.hasHeader});
    for (int i = 0; i < 4; ++i) head.bind(3 + i, int64_t{file.extent[i]});
    if (!run(head)) return false;
    for (const TitleShape& t : file.shapes) {
      shapes.bindBlob(1, shape(t.points, -1, &lastEnvelope_)).bind(2, int64_t{sheet});
      if (!run(shapes)) return false;
      indexRow("title_shapes");
    }
    for (const TitleText& t : file.texts) {
      texts.bind(1, int64_t{sheet}).bindText(2, cp1251ToUtf8(std::string_view(&t.kind, 1)));
      texts.bind(3, int64_t{t.x}).bind(4, int64_t{t.y}).bindText(5, t.text);
      if (!run(texts)) return false;
    }
    return true;
  }

  bool properties() {
    Statement s = insert("map_properties", 2);
    if (!prepared(s)) return false;
    auto text = [&](const char* key, const char* value) {
      s.bindText(1, key).bindText(2, value);
      return run(s);
    };
    auto integer = [&](const char* key, int64_t value) {
      s.bindText(1, key).bind(2, value);
      return run(s);
    };
    auto real = [&](const char* key, double value) {
      s.bindText(1, key).bind(2, value);
      return run(s);
    };
    const MapBounds& e = map_.cityExtent;
    return text("format", gpkg::kFormatName) && integer("format.version", gpkg::kFormatVersion) &&
           real("extent.north_min", e.xMin) && real("extent.east_min", e.yMin) &&
           real("extent.north_max", e.xMax) && real("extent.east_max", e.yMax) &&
           integer("theme_head", map_.themeHead) &&
           integer("user_objects_declared", map_.userObjectsDeclared) &&
           integer("signs_declared", map_.signRecordsDeclared);
  }

  // The description's lines as written to city.txt, a row per key.
  bool cityDescription() {
    // A description not read from a file but holding values (a grid, a
    // name) is written all the same.
    if (!map_.city.present && writeCityInfo(map_.city) == writeCityInfo(CityInfo{})) return true;
    Statement s = insert("city_description", 2);
    if (!prepared(s)) return false;
    const std::string text = writeCityInfo(map_.city);
    size_t start = 0;
    while (start < text.size()) {
      size_t end = text.find('\n', start);
      if (end == std::string::npos) end = text.size();
      const std::string_view line(text.data() + start, end - start);
      start = end + 1;
      const size_t eq = line.find(" = ");
      if (line.empty() || line[0] == '#' || eq == std::string_view::npos) continue;
      s.bindText(1, line.substr(0, eq)).bindText(2, line.substr(eq + 3));
      if (!run(s)) return false;
    }
    return true;
  }

  bool contents() {
    Statement c(db_.get(),
                "INSERT INTO gpkg_contents (table_name, data_type, identifier, description, "
                "min_x, min_y, max_x, max_y, srs_id) VALUES (?1, ?2, ?1, ?3, ?4, ?5, ?6, ?7, ?8)");
    Statement g(db_.get(), "INSERT INTO gpkg_geometry_columns VALUES (?1, 'geom', ?2, ?3, 0, 0)");
    if (!prepared(c) || !prepared(g)) return false;
    for (const auto& t : kTables) {
      c.bindText(1, t.name).bindText(2, t.geometryType ? "features" : "attributes");
      c.bindText(3, t.description);
      const auto rows = envelopes_.find(t.name);
      if (t.geometryType && rows != envelopes_.end() && !rows->second.empty()) {
        Envelope all = rows->second.front().second;
        for (const auto& [fid, e] : rows->second) {
          all.minX = std::min(all.minX, e.minX), all.maxX = std::max(all.maxX, e.maxX);
          all.minY = std::min(all.minY, e.minY), all.maxY = std::max(all.maxY, e.maxY);
        }
        c.bind(4, all.minX).bind(5, all.minY).bind(6, all.maxX).bind(7, all.maxY);
      }
      if (t.geometryType) c.bind(8, int64_t{srsIdOf(t.srs)});
      if (!run(c)) return false;
      if (!t.geometryType) continue;
      g.bindText(1, t.name).bindText(2, t.geometryType).bind(3, int64_t{srsIdOf(t.srs)});
      if (!run(g)) return false;
    }
    return true;
  }

  // An R-tree per geometry table, filled from the envelopes kept while the
  // rows were written; its triggers, which keep it current when another
  // program edits the table, are added after the filling.
  bool spatialIndexes() {
    Statement ext(db_.get(),
                  "INSERT INTO gpkg_extensions VALUES (?1, 'geom', 'gpkg_rtree_index', "
                  "'http://www.geopackage.org/spec120/#extension_rtree', 'write-only')");
    if (!prepared(ext)) return false;
    for (const auto& t : kTables) {
      if (!t.geometryType) continue;
      const std::string tn = t.name;
      const std::string rt = "rtree_" + tn + "_geom";
      if (!exec("CREATE VIRTUAL TABLE \"" + rt + "\" USING rtree(id, minx, maxx, miny, maxy)")) {
        return false;
      }
      Statement s(db_.get(), "INSERT INTO \"" + rt + "\" VALUES (?1, ?2, ?3, ?4, ?5)");
      if (!prepared(s)) return false;
      for (const auto& [fid, e] : envelopes_[t.name]) {
        s.bind(1, fid).bind(2, e.minX).bind(3, e.maxX).bind(4, e.minY).bind(5, e.maxY);
        if (!run(s)) return false;
      }
      const std::string values =
          "(NEW.fid, ST_MinX(NEW.geom), ST_MaxX(NEW.geom), ST_MinY(NEW.geom), ST_MaxY(NEW.geom))";
      const std::string on = " ON \"" + tn + "\"";
      const std::string into = "INSERT OR REPLACE INTO \"" + rt + "\" VALUES " + values + ";";
      const std::string del = "DELETE FROM \"" + rt + "\" WHERE id = OLD.fid;";
      if (!exec("CREATE TRIGGER \"" + rt + "_insert\" AFTER INSERT" + on +
                " WHEN (NEW.geom NOT NULL AND NOT ST_IsEmpty(NEW.geom)) BEGIN " + into + " END") ||
          !exec("CREATE TRIGGER \"" + rt + "_update1\" AFTER UPDATE OF geom" + on +
                " WHEN OLD.fid = NEW.fid AND (NEW.geom NOTNULL AND NOT ST_IsEmpty(NEW.geom)) "
                "BEGIN " +
                into + " END") ||
          !exec("CREATE TRIGGER \"" + rt + "_update2\" AFTER UPDATE OF geom" + on +
                " WHEN OLD.fid = NEW.fid AND (NEW.geom ISNULL OR ST_IsEmpty(NEW.geom)) BEGIN " +
                del + " END") ||
          !exec("CREATE TRIGGER \"" + rt + "_update3\" AFTER UPDATE" + on +
                " WHEN OLD.fid != NEW.fid AND (NEW.geom NOTNULL AND NOT ST_IsEmpty(NEW.geom)) "
                "BEGIN " +
                del + " " + into + " END") ||
          !exec("CREATE TRIGGER \"" + rt + "_update4\" AFTER UPDATE" + on +
                " WHEN OLD.fid != NEW.fid AND (NEW.geom ISNULL OR ST_IsEmpty(NEW.geom)) BEGIN "
                "DELETE FROM \"" +
                rt + "\" WHERE id IN (OLD.fid, NEW.fid); END") ||
          !exec("CREATE TRIGGER \"" + rt + "_delete\" AFTER DELETE" + on +
                " WHEN OLD.geom NOT NULL BEGIN " + del + " END")) {
        return false;
      }
      ext.bindText(1, t.name);
      if (!run(ext)) return false;
    }
    return true;
  }

  Connection& db_;
  const MapData& map_;
  std::string error_;
  bool badCoordinate_ = false;
  bool hasEnvelope_ = false;
  Envelope lastEnvelope_;
  std::map<std::string, std::vector<std::pair<int64_t, Envelope>>> envelopes_;
};

}  // namespace

std::string cityGridWkt(const CityInfo& city) {
  const GridProjection g = city.grid ? *city.grid : kBuiltInGrid;
  // Map x and y are the projected northing and easting less their origins,
  // which the false easting and northing take back out.
  return "PROJCS[\"Town grid\",GEOGCS[\"Krassowsky 1940\",DATUM[\"Town_datum_Krassowsky_1940\","
         "SPHEROID[\"Krassowsky 1940\",6378245,298.3]],PRIMEM[\"Greenwich\",0],"
         "UNIT[\"degree\",0.0174532925199433]],PROJECTION[\"Transverse_Mercator\"],"
         "PARAMETER[\"latitude_of_origin\",0],PARAMETER[\"central_meridian\"," +
         number(g.centralMeridian) +
         "],PARAMETER[\"scale_factor\",1],PARAMETER[\"false_easting\"," + number(-g.eastOrigin) +
         "],PARAMETER[\"false_northing\"," + number(-g.northOrigin) +
         "],UNIT[\"metre\",1],AXIS[\"Easting\",EAST],AXIS[\"Northing\",NORTH]]";
}

bool writeGeoPackage(const std::filesystem::path& path, const MapData& map,
                     const TitleSheetFile& regional, const TitleSheetFile& cityWater,
                     std::string* error) {
  namespace fs = std::filesystem;
  const fs::path target = fs::absolute(path);
  const fs::path temporary = target.parent_path() / ("." + target.filename().string() + ".part-" +
                                                     std::to_string(::getpid()));
  std::error_code ec;
  fs::remove(temporary, ec);
  auto fail = [&](const std::string& why) {
    fs::remove(temporary, ec);
    fs::path journal = temporary;
    journal += "-journal";
    fs::remove(journal, ec);
    if (error) *error = target.string() + ": " + why;
    return false;
  };
  {
    Connection db;
    if (db.open(temporary.string(), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE) != SQLITE_OK) {
      return fail(db.message());
    }
    Writer writer(db, map);
    if (!writer.write(regional, cityWater)) return fail(writer.error());
    if (db.close() != SQLITE_OK) return fail(db.message());
  }
  fs::rename(temporary, target, ec);
  if (ec) return fail(ec.message());
  return true;
}

}  // namespace tikhomap
