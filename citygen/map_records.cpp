#include "citygen/map_records.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "mapdata/cp1251.h"
#include "mapdata/text_rules.h"

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

template <typename T>
void sortByXMin(std::vector<T>& table) {
  std::stable_sort(table.begin(), table.end(),
                   [](const T& a, const T& b) { return a.bounds.xMin > b.bounds.xMin; });
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
  DistrictArea a;
  a.district = static_cast<int16_t>(district);
  for (const Vec& p : points) {
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

std::string toCp1251(const std::string& utf8) {
  return utf8ToCp1251(utf8);
}

void copyText(char* field, size_t size, const std::string& utf8) {
  const std::string bytes = utf8ToCp1251(utf8);
  const size_t n = std::min(bytes.size(), size - 1);
  std::memcpy(field, bytes.data(), n);
  field[n] = 0;
}

void sortNorthToSouth(MapData& map) {
  sortByXMin(map.areaFeatures);
  sortByXMin(map.waterFeatures);
  sortByXMin(map.streetOutlines);
  sortByXMin(map.streetLines);
  sortByXMin(map.buildings);
  std::stable_sort(map.streetLabelPoints.begin(), map.streetLabelPoints.end(),
                   [](const StreetLabelPoint& a, const StreetLabelPoint& b) { return a.x > b.x; });
}

void sortStreetNames(MapData& map) {
  auto folded = [](const StreetName& s) {
    std::string text(s.name);
    foldCase(text);
    return text;
  };
  std::stable_sort(map.streetNames.begin(), map.streetNames.end(),
                   [&](const StreetName& a, const StreetName& b) {
                     const std::string fa = folded(a), fb = folded(b);
                     return std::lexicographical_compare(
                         fa.begin(), fa.end(), fb.begin(), fb.end(), [](char x, char y) {
                           return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
                         });
                   });
  int maxCode = 0;
  for (const StreetName& s : map.streetNames) maxCode = std::max<int>(maxCode, s.streetCode);
  map.streetCodeIndex.assign(static_cast<size_t>(maxCode) + 1, 0);
  for (size_t row = 0; row < map.streetNames.size(); ++row)
    map.streetCodeIndex[static_cast<size_t>(map.streetNames[row].streetCode)] =
        static_cast<int16_t>(row);
}

}  // namespace tikhomap::citygen
