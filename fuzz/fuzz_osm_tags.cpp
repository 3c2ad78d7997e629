// Fuzz target: the importer's mapping from OpenStreetMap tags to records.
// The input is "key=value" lines; the tags go onto a building, a point of
// interest inside it, a road through it and a boundary around it, and the
// whole extract is built into a city.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_checks.h"
#include "osm2tkm/city_builder.h"
#include "osm2tkm/tag_mapping.h"

namespace {

using namespace tikhomap;
using namespace tikhomap::osm;

Tags parseTags(std::string_view text) {
  Tags tags;
  while (!text.empty() && tags.size() < 64) {
    const size_t end = std::min(text.find('\n'), text.size());
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) continue;
    tags.emplace_back(std::string(line.substr(0, eq)), std::string(line.substr(eq + 1)));
  }
  return tags;
}

Ring square(double lon, double lat, double side) {
  return {{lon, lat}, {lon + side, lat}, {lon + side, lat + side}, {lon, lat + side}, {lon, lat}};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const Tags tags = parseTags(std::string_view(reinterpret_cast<const char*>(data), size));

  const Storeys s = buildingStoreys(tags);
  fuzz::require(s.floors >= 1 && s.floors <= 108);
  fuzz::require(defaultStoreys(tagValue(tags, "building")) >= 1);
  (void)buildingPurpose(tags);
  if (const auto theme = objectTheme(tags)) fuzz::require(theme->size() == 2);
  if (const auto road = roadClass(tags)) fuzz::require(road->width > 0);
  (void)layerCode(areaLayer(tags));
  (void)layerCode(lineLayer(tags));

  Extract extract;
  extract.nodeCount = 3;
  extract.wayCount = 2;
  extract.hasHeaderBox = true;
  extract.headerBox = {{9.50, 47.10}, {9.52, 47.12}};
  Tags building = tags;
  building.emplace_back("building", "yes");
  extract.areas.push_back({1, false, building, {square(9.505, 47.105, 0.0003)}, {}});
  extract.areas.push_back({2, true, tags, {square(9.501, 47.101, 0.018)}, {}});
  extract.nodes.push_back({3, {9.50515, 47.10515}, tags});
  Tags road = tags;
  road.emplace_back("highway", "residential");
  extract.ways.push_back({4, road, {{9.49, 47.1051}, {9.53, 47.1052}}, 0});
  extract.ways.push_back({5, tags, {{9.506, 47.09}, {9.506, 47.13}}, 1});

  CityImport city;
  std::string refusal;
  if (buildCity(extract, {}, city, refusal)) {
    MapData& m = city.map;
    m.userObjectsDeclared = static_cast<int32_t>(m.userObjects.size());
    int32_t most = 0;
    for (const DistrictArea& a : m.districtAreas) most = std::max<int32_t>(most, a.pointCount);
    for (const auto* t :
         {&m.areaFeatures, &m.lineFeatures, &m.waterFeatures, &m.streetOutlines, &m.streetLines})
      for (const MapFeature& f : *t) most = std::max<int32_t>(most, f.pointCount);
    m.maxPointCount = most;
    fuzz::checkMap(m);
    for (const Building& b : m.buildings) fuzz::require(b.floors >= 1 && b.floors <= 108);
  }
  return 0;
}
