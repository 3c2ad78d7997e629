// The order and indexes every writer of a map gives its tables before they
// are written: district polygons in whole metres with their bounds,
// the north-to-south order of the tables, and the street-code index.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "mapdata/limits.h"
#include "mapdata/map_data.h"

namespace tikhomap {

// Whole metres inside 0..kMaxCoordinate.
inline int32_t wholeMetres(double v) {
  return static_cast<int32_t>(std::clamp(std::lround(v), 0L, static_cast<long>(kMaxCoordinate)));
}

// A district polygon from points in metres (anything with x and y), rounded
// to whole metres inside 0..kMaxCoordinate, with consecutive repeats dropped.
template <typename Points>
DistrictArea districtAreaFrom(int district, const Points& points) {
  DistrictArea a;
  a.district = district;
  for (const auto& p : points) {
    const MetrePoint q{wholeMetres(p.x), wholeMetres(p.y)};
    if (a.points.empty() || !(a.points.back() == q)) a.points.push_back(q);
  }
  a.pointCount = static_cast<int32_t>(a.points.size());
  int32_t lo[2] = {kMaxCoordinate, kMaxCoordinate}, hi[2] = {0, 0};
  for (const MetrePoint& p : a.points) {
    lo[0] = std::min(lo[0], p.x), lo[1] = std::min(lo[1], p.y);
    hi[0] = std::max(hi[0], p.x), hi[1] = std::max(hi[1], p.y);
  }
  a.boundsLow[0] = lo[0], a.boundsLow[1] = lo[1], a.boundsLow[2] = hi[0], a.boundsLow[3] = hi[1];
  return a;
}

// North to south: decreasing bounds.xMin (label points: decreasing x), the
// order the drawing's start indexes rely on.
void sortNorthToSouth(MapData& map);

// Rebuilds streetCodeIndex from streetNames; answers how many names carry a
// code outside 0..kMaxStreetCode, which cannot be indexed.
int indexStreetCodes(MapData& map);
// A code that streetCodeIndex (and the searches' street indexes) can hold.
bool indexableStreetCode(int32_t code);

}  // namespace tikhomap
