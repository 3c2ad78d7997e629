#include "citygen/map_records.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "mapdata/cp1251.h"
#include "mapdata/text_rules.h"
#include "search/name_fold.h"

namespace tikhomap::citygen {

namespace {

MapBounds boundsOf(const std::vector<MapPoint>& points) {
  MapBounds b{1e30f, 1e30f, -1e30f, -1e30f};
  for (const MapPoint& p : points) {
    b.xMin = std::min(b.xMin, p.x), b.yMin = std::min(b.yMin, p.y);
    b.xMax = std::max(b.xMax, p.x), b.yMax = std::max(b.yMax, p.y);
  }
  return b;
}

}  // namespace

MapFeature makeFeature(int code, const Polyline& points) {
  MapFeature f;
  f.code = static_cast<int16_t>(code);
  for (const Vec& p : points)
    f.points.push_back({static_cast<float>(p.x), static_cast<float>(p.y)});
  f.pointCount = static_cast<int16_t>(f.points.size());
  f.bounds = boundsOf(f.points);
  return f;
}

DistrictArea makeDistrictArea(int district, const Polyline& points) {
  return districtAreaFrom(district, points);
}

std::string fileText(const std::string& utf8, size_t bytes) {
  std::string text = utf8ToCp1251(utf8);
  if (text.size() > bytes) text.resize(bytes);
  return cp1251ToUtf8(text);
}

void sortStreetNames(MapData& map) {
  // The order the street look-up expects: the names' fold order.
  std::stable_sort(
      map.streetNames.begin(), map.streetNames.end(),
      [](const StreetName& a, const StreetName& b) { return foldOrderLess(a.name, b.name); });
  indexStreetCodes(map);
}

}  // namespace tikhomap::citygen
