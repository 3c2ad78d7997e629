// The importer on the whole: the Liechtenstein extract (when it is on this
// machine), and generated towns at the building limit of the map files and
// beyond it.
// The peak resident memory of the process is reported as the counter
// "peak_MB" (the generated town runs last, so its figure is the importer's
// peak at the limit).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "bench/osm_town/osm_town.h"
#include "bench/peak_memory.h"
#include "osm2tkm/import_command.h"

namespace {

namespace fs = std::filesystem;

using tikhomap::peakMegabytes;

fs::path scratch(const char* name) {
  return fs::temp_directory_path() /
         ("tikhomap-import-bench-" + std::to_string(::getpid()) + "-" + name);
}

void importOnce(benchmark::State& state, const fs::path& input) {
  const fs::path out = scratch("out");
  for (auto _ : state) {
    fs::remove_all(out);
    std::ostringstream said, errors;
    if (tikhomap::osm::runImport({input.string(), out.string()}, said, errors) != 0) {
      state.SkipWithError(errors.str().c_str());
      break;
    }
  }
  fs::remove_all(out);
  state.counters["peak_MB"] = peakMegabytes();
}

void BM_ImportLiechtenstein(benchmark::State& state) {
  const char* given = std::getenv("TIKHOMAP_OSM_EXTRACT");
  const fs::path input =
      given ? fs::path(given)
            : fs::path(TIKHOMAP_SOURCE_DIR) / "../shared/data/osm/liechtenstein-2013-08-03.osm.pbf";
  if (!fs::exists(input)) {
    state.SkipWithError(("no extract at " + input.string()).c_str());
    return;
  }
  importOnce(state, input);
}
BENCHMARK(BM_ImportLiechtenstein)->Unit(benchmark::kMillisecond)->Iterations(3);

// A generated town (bench/osm_town): houses of five storeys in rows along
// named streets, an address on each, a shop in every tenth, boundaries and
// places. At the building limit of the map files it is about 9 by 9 km.
void importTown(benchmark::State& state, int houses) {
  const fs::path input = scratch(("town-" + std::to_string(houses) + ".osm.pbf").c_str());
  std::string error;
  if (!tikhomap::bench::writeOsmTown(input, houses, &error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  importOnce(state, input);
  fs::remove(input);
}

void BM_ImportAtTheBuildingLimit(benchmark::State& state) {
  importTown(state, 32767);
}
BENCHMARK(BM_ImportAtTheBuildingLimit)->Unit(benchmark::kMillisecond)->Iterations(2);

// 300,000 houses, about 28 by 28 km: written as the map container. It runs
// last, so its peak is the importer's at that size.
void BM_ImportThreeHundredThousand(benchmark::State& state) {
  importTown(state, 300000);
}
BENCHMARK(BM_ImportThreeHundredThousand)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
