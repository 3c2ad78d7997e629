// The layout decisions shared by every stage of the generator: the size of
// the city, its coast, the district seeds, and the ground raster.
#pragma once

#include <string>
#include <vector>

#include "citygen/city_generator.h"
#include "citygen/random.h"
#include "citygen/site_raster.h"
#include "mapdata/plane.h"

namespace tikhomap::citygen {

struct DistrictSeed {
  Vec at;
  int district = 0;  // 1..5, 0 = land of no district
};

// How the streets of one part of the city are laid out.
struct StreetPattern {
  double angle = 0;       // radians, direction of the first street family
  double spacingA = 200;  // between streets of the first family
  double spacingB = 300;  // between streets of the second family
  double warp = 0;        // amplitude of the gentle bends, metres
  bool curved = false;    // hill streets: rings and radials
};

struct CityPlan {
  CitySize size = CitySize::Default;
  double scale = 1;       // of the geography
  double density = 1;     // of streets and buildings
  double extent = 24000;  // the square shown as the whole city
  Vec centre;
  std::vector<DistrictSeed> seeds;
  std::vector<StreetPattern> patterns;  // one per seed
  std::vector<Polyline> zoneCells;      // convex cell of each seed
  Polyline coast;                       // land outline
  Polyline riverLine;                   // centre line of the river
  Vec hill;                             // the top of the hill district
  Vec harbour;                          // the middle of the harbour basin
  SiteRaster raster;

  Vec at(double x, double y) const { return {x * scale, y * scale}; }
  int districtAt(Vec p) const { return seeds[raster.zoneAt(p)].district; }
};

CityPlan makePlan(const CityOptions& options);
void buildCoast(CityPlan& plan, CityRandom rng);
void buildZones(CityPlan& plan);

}  // namespace tikhomap::citygen
