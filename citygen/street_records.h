// Street and building tables of the map: axes split into records, street
// outlines, label anchors, names, and the buildings with their addresses.
#pragma once

#include <vector>

#include "citygen/buildings.h"
#include "citygen/city_plan.h"
#include "citygen/street_network.h"
#include "mapdata/map_data.h"

namespace tikhomap::citygen {

// Street codes are the street's index + 1.
void addStreetRecords(const CityPlan& plan, const std::vector<Street>& streets, MapData& map);
void addBuildingRecords(const std::vector<Street>& streets,
                        const std::vector<PlacedBuilding>& placed, MapData& map);
// Label level: the anchor is used from 100 × mmPerMetre ≥ level, so 10 is
// 1:10 000 and larger values need a closer view.
int labelLevel(StreetClass cls, int rank);

}  // namespace tikhomap::citygen
