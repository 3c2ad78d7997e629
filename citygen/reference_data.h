// Microdistricts (8.tkm), themes (tema.tkm), addressed objects (user.tkm)
// and the sign table (sign.tkm).
#pragma once

#include <vector>

#include "citygen/buildings.h"
#include "citygen/city_plan.h"
#include "citygen/street_network.h"
#include "mapdata/map_data.h"

namespace tikhomap::citygen {

void addReferenceTables(const CityPlan& plan, const std::vector<Street>& streets,
                        const std::vector<PlacedBuilding>& buildings, MapData& map, CityRandom rng);

}  // namespace tikhomap::citygen
