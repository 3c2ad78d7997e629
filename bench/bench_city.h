// The map folder the frame and print benchmarks draw: TIKHOMAP_BENCH_CITY
// when it names one, otherwise the default generated city, written once per
// program into a temporary folder of the given name.
#pragma once

#include <cstdlib>
#include <filesystem>

#include "citygen/city_generator.h"
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

}  // namespace tikhomap
