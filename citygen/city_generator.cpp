#include "citygen/city_generator.h"

#include <algorithm>
#include <cmath>

#include "citygen/buildings.h"
#include "citygen/city_plan.h"
#include "citygen/land_use.h"
#include "citygen/map_records.h"
#include "citygen/reference_data.h"
#include "citygen/street_names.h"
#include "citygen/street_network.h"
#include "citygen/street_records.h"
#include "citygen/title_sheet.h"

namespace tikhomap {

using namespace citygen;

namespace {

size_t buildingLimit(CitySize size) {
  switch (size) {
    case CitySize::Tiny:
      return 3000;
    case CitySize::Default:
      return 30000;
    case CitySize::Large:
      return 32000;
    case CitySize::Huge:
      return 300000;
  }
  return 30000;
}

void addDistricts(const CityPlan& plan, CityLayers& layers, MapData& map) {
  map.districtAreas.push_back(makeDistrictArea(0, plan.coast));
  for (size_t s = 0; s < plan.seeds.size(); ++s) {
    Polyline piece = clipToConvex(plan.coast, plan.zoneCells[s]);
    if (piece.size() < 3 || std::fabs(signedArea(piece)) < 1) continue;
    map.districtAreas.push_back(makeDistrictArea(plan.seeds[s].district, piece));
  }
  // Districts listed by number, the land of no district last.
  std::stable_sort(map.districtAreas.begin() + 1, map.districtAreas.end(),
                   [](const DistrictArea& a, const DistrictArea& b) {
                     const int ka = a.district ? a.district : 99, kb = b.district ? b.district : 99;
                     return ka < kb;
                   });
  // Borders: the parts of the cell edges that run over land.
  for (const ZoneEdge& e : zoneEdges(plan)) {
    if (plan.seeds[e.a].district == 0 && plan.seeds[e.b].district == 0) continue;
    for (const Polyline& part : clipPolyline(resample({e.from, e.to}, 50), 10,
                                             [&](Vec p) { return pointInPolygon(plan.coast, p); }))
      if (polylineLength(part) > 50) layers.lines.push_back({9005, part});
  }
}

}  // namespace

GeneratedCity generateCity(const CityOptions& options) {
  CityRandom root(0x7469686F6D6170ull ^
                  (static_cast<uint64_t>(options.seed) * 0x9E3779B97F4A7C15ull));
  CityPlan plan = makePlan(options);
  CityLayers layers;
  buildCoast(plan, root.fork(1));
  buildZones(plan);
  buildWater(plan, layers, root.fork(2));
  buildGreen(plan, layers, root.fork(3));
  buildIndustry(plan, layers, root.fork(4));

  std::vector<Street> streets = buildStreets(plan, root.fork(5));
  nameStreets(plan, streets, root.fork(6));
  buildRailway(plan, layers, root.fork(12));

  std::vector<PlacedBuilding> placed = placeBuildings(plan, streets, root.fork(7), 400000);
  thinBuildings(placed, buildingLimit(options.size), root.fork(13));
  numberBuildings(placed, streets.size(), root.fork(8));

  GeneratedCity city;
  MapData& map = city.map;
  map.cityExtent = {0, 0, static_cast<float>(plan.extent), static_cast<float>(plan.extent)};
  addDistricts(plan, layers, map);
  addGroundDetail(plan, layers, placed, root.fork(9));
  addStreetRecords(plan, streets, map);
  addBuildingRecords(streets, placed, map);
  for (const Feature& f : layers.areas) map.areaFeatures.push_back(makeFeature(f.code, f.points));
  for (const Feature& f : layers.lines) map.lineFeatures.push_back(makeFeature(f.code, f.points));
  for (const Feature& f : layers.water) map.waterFeatures.push_back(makeFeature(f.code, f.points));
  addReferenceTables(plan, streets, placed, map, root.fork(10));
  sortNorthToSouth(map);
  sortStreetNames(map);

  int32_t maxPoints = 0;
  for (const auto& a : map.districtAreas) maxPoints = std::max<int32_t>(maxPoints, a.pointCount);
  for (const auto* table : {&map.areaFeatures, &map.lineFeatures, &map.waterFeatures,
                            &map.streetOutlines, &map.streetLines})
    for (const MapFeature& f : *table) maxPoints = std::max<int32_t>(maxPoints, f.pointCount);
  map.maxPointCount = maxPoints;

  city.regional = makeRegionalPanel(plan, root.fork(11));
  city.cityWater = makeCityWater(plan, layers);
  return city;
}

}  // namespace tikhomap
