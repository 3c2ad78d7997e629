// The map container of a town the eleven files cannot hold: the huge
// generated city (about 300,000 buildings) written once, then opened as the
// program opens it (base map, then buildings and reference tables). The peak
// resident memory of the process is reported as "peak_MB"; the city's own
// model is alive throughout, so the figure is an upper bound of one open.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "bench/peak_memory.h"
#include "citygen/city_generator.h"
#include "gpkg/geopackage.h"
#include "gpkg/map_location.h"

namespace {

namespace fs = std::filesystem;

using tikhomap::peakMegabytes;

const tikhomap::GeneratedCity& hugeCity() {
  static const tikhomap::GeneratedCity city = [] {
    tikhomap::CityOptions options;
    options.size = tikhomap::CitySize::Huge;
    return tikhomap::generateCity(options);
  }();
  return city;
}

fs::path containerPath() {
  return fs::temp_directory_path() /
         ("tikhomap-container-bench-" + std::to_string(::getpid()) + ".gpkg");
}

void BM_WriteHugeContainer(benchmark::State& state) {
  const tikhomap::GeneratedCity& city = hugeCity();
  const fs::path path = containerPath();
  for (auto _ : state) {
    std::string error;
    if (!tikhomap::writeGeoPackage(path, city.map, city.regional, city.cityWater, &error)) {
      state.SkipWithError(error.c_str());
      break;
    }
  }
  state.counters["buildings"] = static_cast<double>(city.map.buildings.size());
  state.counters["file_MB"] = static_cast<double>(fs::file_size(path)) / (1024 * 1024);
}
BENCHMARK(BM_WriteHugeContainer)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_OpenHugeContainer(benchmark::State& state) {
  const fs::path path = containerPath();
  size_t buildings = 0;
  for (auto _ : state) {
    tikhomap::MapData map;
    const bool ok =
        tikhomap::loadMapBase(path, map, {}).ok && tikhomap::loadMapBuildings(path, map, {}).ok;
    if (!ok) {
      state.SkipWithError("the container did not open");
      break;
    }
    buildings = map.buildings.size();
  }
  fs::remove(path);
  state.counters["buildings"] = static_cast<double>(buildings);
  state.counters["peak_MB"] = peakMegabytes();
}
BENCHMARK(BM_OpenHugeContainer)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
