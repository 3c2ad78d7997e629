// What the importer keeps of an OpenStreetMap extract: plain values with
// positions in degrees, free of the reading library, so that everything
// after the reading is ordinary code that tests can feed by hand.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tikhomap::osm {

struct LonLat {
  double lon = 0;
  double lat = 0;
};

struct GeoBox {
  LonLat min;
  LonLat max;
  bool valid() const { return min.lon < max.lon && min.lat < max.lat; }
  bool contains(LonLat p) const {
    return p.lon >= min.lon && p.lon <= max.lon && p.lat >= min.lat && p.lat <= max.lat;
  }
};

using Tags = std::vector<std::pair<std::string, std::string>>;

// The value of a tag, or an empty view when the object does not have it.
inline std::string_view tagValue(const Tags& tags, std::string_view key) {
  for (const auto& [k, v] : tags)
    if (k == key) return v;
  return {};
}

using Ring = std::vector<LonLat>;

struct Node {
  int64_t id = 0;
  LonLat at;
  Tags tags;
};

// A way with the positions of its nodes; nodes missing from the extract
// are left out of points and counted.
struct Way {
  int64_t id = 0;
  Tags tags;
  Ring points;
  int missingNodes = 0;
};

// A closed way or a multipolygon relation assembled into rings.
struct Area {
  int64_t id = 0;
  bool fromRelation = false;
  Tags tags;
  std::vector<Ring> outers;
  std::vector<Ring> inners;
};

struct Extract {
  bool hasHeaderBox = false;
  GeoBox headerBox;
  GeoBox dataBox;  // of every node read
  uint64_t nodeCount = 0;
  uint64_t wayCount = 0;
  uint64_t relationCount = 0;
  uint64_t waysWithMissingNodes = 0;
  uint64_t areasNotAssembled = 0;        // rings that could not be closed or nodes missing
  uint64_t addressesOnOtherObjects = 0;  // house numbers on ways and relations not buildings
  std::vector<Node> nodes;               // nodes with tags the importer may use
  std::vector<Way> ways;                 // linear ways the importer may use
  std::vector<Area> areas;
};

}  // namespace tikhomap::osm
