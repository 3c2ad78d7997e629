// The map folder the frame and print benchmarks draw: TIKHOMAP_BENCH_CITY
// when it names one, otherwise the default generated city, written once per
// program into a temporary folder of the given name.
#pragma once

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "citygen/city_generator.h"
#include "mapdata/map_data.h"
#include "mapdata/records.h"
#include "mapdata/tkm_writer.h"

namespace tikhomap {

inline std::filesystem::path benchCityFolder(const char* generatedName) {
  if (const char* dir = std::getenv("TIKHOMAP_BENCH_CITY"); dir != nullptr && *dir != 0) {
    return dir;
  }
  static const std::filesystem::path generated = [generatedName] {
    const auto dir = std::filesystem::temp_directory_path() / generatedName;
    std::filesystem::remove_all(dir);
    const GeneratedCity city = generateCity(CityOptions{});
    writeMapFolder(dir, city.map, city.regional, city.cityWater);
    return dir;
  }();
  return generated;
}

// The street scene: 250 m across and 440 m down around the street label
// anchor nearest the point (x, y) (the point itself without anchors).
inline MapBounds streetSceneAround(const MapData& map, float x, float y) {
  float best = 1e30f;
  float ax = x;
  float ay = y;
  for (const StreetLabelPoint& p : map.streetLabelPoints) {
    const float d = std::hypot(p.x - x, p.y - y);
    if (d < best) {
      best = d;
      ax = p.x;
      ay = p.y;
    }
  }
  return {ax - 125, ay - 220, ax + 125, ay + 220};
}

}  // namespace tikhomap
