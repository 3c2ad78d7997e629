// What the parts of one import share: the area, the grid, the counts, and
// the places and streets that later parts refer to.
#pragma once

#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "mapdata/cp1251.h"
#include "mapdata/grid_projection.h"
#include "mapdata/limits.h"
#include "mapdata/plane.h"
#include "osm2tkm/city_builder.h"
#include "osm2tkm/map_text.h"

namespace tikhomap::osm {

struct NamedPlace {
  std::string name;  // as BuildContext::text gives it
  std::string kind;  // place=*
  Vec at;            // grid
};

// One street: the ways of one name that lie together.
struct StreetGroup {
  std::string baseName;  // as BuildContext::text gives it, as the addresses name it
  std::string name;      // as written: qualified, fitted
  int32_t code = 0;
  std::vector<Polyline> axes;  // grid
  std::vector<int> levels;
  std::vector<float> widths;
  Bounds box;
  bool hasHouses = false;
};

struct BuiltBuilding {
  Polyline ring;  // grid, open
  Bounds box;
  Tags const* tags = nullptr;
  Building record;
};

struct BuildContext {
  BuildContext(const Extract& e, CityImport& o, GeoBox a) : extract(e), out(o), area(a) {}
  const Extract& extract;
  CityImport& out;
  GeoBox area;
  Bounds areaDegrees;  // x = lon, y = lat
  GridProjection grid;
  std::vector<NamedPlace> places;
  std::vector<StreetGroup> streets;
  std::map<std::string, std::vector<size_t>> streetsByName;
  std::vector<BuiltBuilding> buildings;
  // The further addresses already kept: point, street code, number.
  std::set<std::tuple<int32_t, int32_t, int32_t, std::string>> furtherSeen;
  // What the conversion of each name did, by the converted name, and the
  // names that went into the map: counted once each at the end.
  struct TextNote {
    bool transliterated = false;
    bool unknown = false;  // a letter the code page lacks became "?"
  };
  std::map<std::string, TextNote> textNotes;
  std::set<std::string> writtenNames;
  // With a sea: the land of the regional panel (grid), all sea without it.
  bool hasSea = false;
  std::vector<Polyline> regionalLand;
  std::string title;     // as text() gives it: --title, else the area's name
  std::string timeZone;  // IANA name, empty when unknown

  ImportSummary& summary() { return out.summary; }
  Vec project(LonLat p) const {
    const GridPoint g = geoToGrid(grid, p.lat, p.lon);
    return {g.x, g.y};
  }
  Polyline project(const Polyline& degrees) const {
    Polyline out;
    out.reserve(degrees.size());
    for (const Vec& p : degrees) out.push_back(project(LonLat{p.x, p.y}));
    return out;
  }
  bool container = false;  // BuildOptions::container
  // A name of the extract as the import handles it: for the container UTF-8
  // made safe (mapdata/utf8_text.h), else mapText (cp1251), noting what the
  // conversion changed; names that had to be repaired are counted.
  std::string text(std::string_view utf8);
  // A name of text() cut to limit characters with "…" (osm2tkm/map_text.h),
  // as the model holds it (UTF-8): the city description's and the title
  // sheet's texts.
  std::string modelName(const std::string& name, size_t limit) const {
    return container ? cutUtf8Name(name, limit) : cp1251ToUtf8(cutName(name, limit));
  }
  // A name of text() as the model holds it (UTF-8).
  std::string modelText(const std::string& name) const {
    return container ? name : cp1251ToUtf8(name);
  }
  // The bytes a field of the eleven files holds; for the container, a name
  // is kept whole.
  size_t field(size_t bytes) const { return container ? kMaxTextBytes + 16 : bytes; }
  // A converted name that the map holds; returns it.
  const std::string& wrote(const std::string& cp1251) {
    writtenNames.insert(cp1251);
    return cp1251;
  }
};

Polyline toDegrees(const Ring& ring);
// The name of the place nearest to a grid point, or empty.
std::string nearestPlaceName(const BuildContext& ctx, Vec at);

// A feature record of the grid points (bounds and count filled in).
MapFeature makeFeature(int32_t code, const Polyline& points);

void buildStreets(BuildContext& ctx);
void writeStreetNames(BuildContext& ctx);
void buildBuildings(BuildContext& ctx);
void buildObjects(BuildContext& ctx);
void buildDistricts(BuildContext& ctx);
void buildLayers(BuildContext& ctx);
// Water areas of the sea beyond the coastline; after the layers.
void buildSea(BuildContext& ctx);
void buildTitleSheet(BuildContext& ctx);

}  // namespace tikhomap::osm
