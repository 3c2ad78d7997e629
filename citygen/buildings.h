// Buildings along the streets: set back from the street, turned to it, not
// touching each other or any street, numbered along each side.
#pragma once

#include <string>
#include <vector>

#include "citygen/city_plan.h"
#include "citygen/street_network.h"

namespace tikhomap::citygen {

struct PlacedBuilding {
  Polyline outline;  // closed: the first point is not repeated
  Vec address;       // inside the footprint, near the street front
  int purpose = 411;
  int floors = 1;
  size_t street = 0;
  int side = 0;             // 0 left of the street's direction (odd numbers), 1 right
  double arc = 0;           // position along the street
  int rank = 0;             // 0 front row, 1 behind it
  std::string number;       // UTF-8
  std::string description;  // UTF-8
  Polyline yard;            // the open yard of a courtyard block
};

std::vector<PlacedBuilding> placeBuildings(CityPlan& plan, const std::vector<Street>& streets,
                                           CityRandom rng, size_t maxCount);
// Leaves at most limit buildings, taking plain ones evenly from everywhere.
void thinBuildings(std::vector<PlacedBuilding>& buildings, size_t limit, CityRandom rng);
void numberBuildings(std::vector<PlacedBuilding>& buildings, size_t streetCount, CityRandom rng);

}  // namespace tikhomap::citygen
