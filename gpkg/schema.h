// The tables of the map container, shared by its writer and reader. Table
// and column names are fixed here: no name read from a file ever reaches SQL.
#pragma once

#include <array>
#include <cstdint>

namespace tikhomap::gpkg {

inline constexpr uint32_t kApplicationId = 0x47504B47;  // "GPKG"
inline constexpr int kUserVersion = 10300;              // GeoPackage 1.3.0
// The mark of a container written by this program, and its version.
inline constexpr const char* kFormatName = "tikhomap-map";
inline constexpr int64_t kFormatVersion = 1;

// Spatial reference of a table's geometries.
enum class Srs { CityGrid, Undefined };

struct TableSchema {
  const char* name;
  const char* geometryType;  // nullptr: an attribute table
  Srs srs;
  const char* columns;  // after "fid INTEGER PRIMARY KEY AUTOINCREMENT" (and "geom")
  const char* description;
};

// The five feature tables of the base map share one column layout: the
// model's bounds are kept beside the geometry because the map files store
// them of their own.
#define TIKHOMAP_FEATURE_COLUMNS                                                \
  "code INTEGER NOT NULL, reserved INTEGER NOT NULL, north_min REAL NOT NULL, " \
  "east_min REAL NOT NULL, north_max REAL NOT NULL, east_max REAL NOT NULL"

inline constexpr std::array<TableSchema, 19> kTables = {{
    {"districts", "GEOMETRY", Srs::CityGrid,
     "district INTEGER NOT NULL, bounds_north_min INTEGER NOT NULL, "
     "bounds_east_min INTEGER NOT NULL, bounds_north_max INTEGER NOT NULL, "
     "bounds_east_max INTEGER NOT NULL",
     "District polygons; the first row is the land outline of the town"},
    {"microdistricts", "POINT", Srs::CityGrid, "name TEXT NOT NULL", "Microdistrict names"},
    {"area_features", "GEOMETRY", Srs::CityGrid, TIKHOMAP_FEATURE_COLUMNS, "Areas"},
    {"line_features", "GEOMETRY", Srs::CityGrid, TIKHOMAP_FEATURE_COLUMNS, "Lines"},
    {"water_features", "GEOMETRY", Srs::CityGrid, TIKHOMAP_FEATURE_COLUMNS, "Water"},
    {"street_outlines", "GEOMETRY", Srs::CityGrid, TIKHOMAP_FEATURE_COLUMNS, "Street outlines"},
    {"street_axes", "GEOMETRY", Srs::CityGrid, TIKHOMAP_FEATURE_COLUMNS,
     "Street axes; code is the street code"},
    {"street_names", nullptr, Srs::Undefined,
     "kind INTEGER NOT NULL, street_code INTEGER NOT NULL, name TEXT NOT NULL", "Street names"},
    {"street_label_points", "POINT", Srs::CityGrid,
     "level INTEGER NOT NULL, street_code INTEGER NOT NULL", "Street label anchors"},
    {"buildings", "GEOMETRY", Srs::CityGrid,
     "address_north INTEGER NOT NULL, address_east INTEGER NOT NULL, "
     "purpose INTEGER NOT NULL, floors INTEGER NOT NULL, street_code INTEGER NOT NULL, "
     "state INTEGER NOT NULL, house_number TEXT NOT NULL, description TEXT NOT NULL, "
     "reserved INTEGER NOT NULL, north_min REAL NOT NULL, east_min REAL NOT NULL, "
     "north_max REAL NOT NULL, east_max REAL NOT NULL, closing_vertex_added INTEGER NOT NULL",
     "Buildings: outline and attributes"},
    {"further_addresses", nullptr, Srs::Undefined,
     "address_north INTEGER NOT NULL, address_east INTEGER NOT NULL, "
     "street_code INTEGER NOT NULL, number TEXT NOT NULL, building INTEGER NOT NULL",
     "House numbers of buildings beyond their own"},
    {"themes", nullptr, Srs::Undefined,
     "code TEXT NOT NULL, name TEXT NOT NULL, children INTEGER NOT NULL, "
     "next INTEGER NOT NULL, reserved1 INTEGER NOT NULL, reserved2 INTEGER NOT NULL",
     "Theme list of the object search"},
    {"user_objects", "POINT", Srs::CityGrid,
     "theme TEXT NOT NULL, name TEXT NOT NULL, found_mark INTEGER NOT NULL, "
     "reserved INTEGER NOT NULL",
     "Objects of the object search"},
    {"signs", nullptr, Srs::Undefined,
     "sign_id INTEGER NOT NULL, a INTEGER NOT NULL, b INTEGER NOT NULL, "
     "spare INTEGER NOT NULL, p REAL NOT NULL, q REAL NOT NULL, text TEXT NOT NULL",
     "Sign records"},
    {"title_sheets", nullptr, Srs::Undefined,
     "sheet INTEGER NOT NULL UNIQUE, has_header INTEGER NOT NULL, "
     "extent_north_min INTEGER NOT NULL, extent_east_min INTEGER NOT NULL, "
     "extent_north_max INTEGER NOT NULL, extent_east_max INTEGER NOT NULL",
     "Title sheet: 1 = regional panel, 2 = the town's water"},
    {"title_shapes", "GEOMETRY", Srs::Undefined, "sheet INTEGER NOT NULL",
     "Shapes of the title sheet, in its own coordinates"},
    {"title_texts", nullptr, Srs::Undefined,
     "sheet INTEGER NOT NULL, kind TEXT NOT NULL, north INTEGER NOT NULL, "
     "east INTEGER NOT NULL, text TEXT NOT NULL",
     "Captions of the title sheet"},
    {"map_properties", nullptr, Srs::Undefined, "key TEXT NOT NULL UNIQUE, value NOT NULL",
     "Values of the map beside its tables: the format mark, the city extent, counts"},
    {"city_description", nullptr, Srs::Undefined, "key TEXT NOT NULL, value TEXT NOT NULL",
     "The city description: its keys and values, in order"},
}};
#undef TIKHOMAP_FEATURE_COLUMNS

}  // namespace tikhomap::gpkg
