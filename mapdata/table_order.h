// The order and indexes every writer of a map gives its tables before they
// are written: district polygons in whole metres with their 16-bit bounds,
// the north-to-south order of the tables, and the street-code index.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "mapdata/map_data.h"

namespace tikhomap {

// A district polygon from points in metres (anything with x and y), rounded
// to whole metres inside 0..65535, with consecutive repeats dropped.
template <typename Points>
DistrictArea districtAreaFrom(int district, const Points& points) {
  DistrictArea a;
  a.district = static_cast<int16_t>(district);
  for (const auto& p : points) {
    const MapPoint16 q{static_cast<uint16_t>(std::clamp(std::lround(p.x), 0L, 65535L)),
                       static_cast<uint16_t>(std::clamp(std::lround(p.y), 0L, 65535L))};
    if (a.points.empty() || !(a.points.back() == q)) a.points.push_back(q);
  }
  a.pointCount = static_cast<int16_t>(a.points.size());
  uint16_t lo[2] = {65535, 65535}, hi[2] = {0, 0};
  for (const MapPoint16& p : a.points) {
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
// negative code, which cannot be indexed.
int indexStreetCodes(MapData& map);

}  // namespace tikhomap
