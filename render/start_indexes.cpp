#include "render/start_indexes.h"

#include <vector>

namespace tikhomap {

namespace {

float northOf(const MapFeature& feature) {
  return feature.bounds.xMin;
}
float northOf(const Building& building) {
  return building.bounds.xMin;
}
float northOf(const StreetLabelPoint& label) {
  return static_cast<float>(label.x);
}

// First index from start whose record reaches down to northEdge; the start
// itself when none does. An index past the table (a table reloaded smaller)
// is brought back to its end.
template <typename Record>
int32_t firstReaching(const std::vector<Record>& table, int32_t start, float northEdge) {
  const auto size = static_cast<int32_t>(table.size());
  if (start < 0) start = 0;
  if (start > size) start = size;
  for (int32_t i = start; i < size; ++i) {
    if (northOf(table[static_cast<size_t>(i)]) <= northEdge) return i;
  }
  return start;
}

}  // namespace

void updateStartIndexes(const MapData& map, float northEdge, FrameCache& cache) {
  if (northEdge == cache.cachedNorthEdge) return;
  const bool movedSouth = cache.cachedNorthEdge > northEdge;
  cache.cachedNorthEdge = northEdge;
  const auto from = [movedSouth](int32_t current) { return movedSouth ? current : 0; };
  cache.firstBuilding = firstReaching(map.buildings, from(cache.firstBuilding), northEdge);
  cache.firstWaterFeature =
      firstReaching(map.waterFeatures, from(cache.firstWaterFeature), northEdge);
  cache.firstStreetOutline =
      firstReaching(map.streetOutlines, from(cache.firstStreetOutline), northEdge);
  cache.firstAreaFeature = firstReaching(map.areaFeatures, from(cache.firstAreaFeature), northEdge);
  cache.firstStreetLine = firstReaching(map.streetLines, from(cache.firstStreetLine), northEdge);
  cache.firstLabelPoint =
      firstReaching(map.streetLabelPoints, from(cache.firstLabelPoint), northEdge);
}

void resetStartIndexes(FrameCache& cache, float cityNorthEdge) {
  cache.cachedNorthEdge = cityNorthEdge;
  cache.firstAreaFeature = 0;
  cache.firstWaterFeature = 0;
  cache.firstStreetOutline = 0;
  cache.firstStreetLine = 0;
  cache.firstBuilding = 0;
  cache.firstLabelPoint = 0;
}

}  // namespace tikhomap
