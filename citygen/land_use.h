// Water, green and open ground of the city, laid into the ground raster
// before the streets so that streets and buildings keep out of them.
#pragma once

#include "citygen/city_plan.h"
#include "citygen/layers.h"

namespace tikhomap::citygen {

struct ZoneEdge {
  size_t a = 0, b = 0;  // seed indexes, a < b
  Vec from, to;
};
std::vector<ZoneEdge> zoneEdges(const CityPlan& plan);

// A closed star-shaped outline around centre whose every ray keeps to the
// cells where ok() holds; empty when too little room is found.
Polyline makeBlob(Vec centre, double radius, CityRandom& rng, const std::function<bool(Vec)>& ok);

void buildWater(CityPlan& plan, CityLayers& layers, CityRandom rng);
void buildGreen(CityPlan& plan, CityLayers& layers, CityRandom rng);
// Industrial ground by the harbour and along the railway.
void buildIndustry(CityPlan& plan, CityLayers& layers, CityRandom rng);
// The railway from the mainland to the station by the harbour; its bed is
// kept free of buildings. Runs after the streets, which cross it.
void buildRailway(CityPlan& plan, CityLayers& layers, CityRandom rng);

struct PlacedBuilding;
// Beaches, lawns in yards and on boulevards, fences of the works.
void addGroundDetail(const CityPlan& plan, CityLayers& layers,
                     const std::vector<PlacedBuilding>& buildings, CityRandom rng);

}  // namespace tikhomap::citygen
