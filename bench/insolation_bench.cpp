// Hours of sun on every facade of one building for a whole day: a building
// of the densest quarter of the default sample city (the one with the most
// neighbours within 150 m), at midwinter and midsummer; and every building
// of that quarter in turn.
#include <benchmark/benchmark.h>

#include "citygen/city_generator.h"
#include "tools/insolation.h"
#include "tools/insolation_report.h"

namespace tikhomap {
namespace {

struct Scene {
  GeneratedCity city = generateCity(CityOptions{});
  int32_t densest = 0;
  std::vector<int32_t> quarter;  // the buildings within 150 m of it

  Scene() {
    const auto& b = city.map.buildings;
    // Neighbour counts on a coarse grid are enough to find the densest spot.
    int best = -1;
    for (std::size_t i = 0; i < b.size(); i += 37) {
      int n = 0;
      for (const Building& o : b) {
        const float dx = o.x - b[i].x;
        const float dy = o.y - b[i].y;
        n += dx * dx + dy * dy < 150.0f * 150.0f ? 1 : 0;
      }
      if (n > best) {
        best = n;
        densest = static_cast<int32_t>(i);
      }
    }
    for (std::size_t i = 0; i < b.size(); ++i) {
      const float dx = b[i].x - b[static_cast<std::size_t>(densest)].x;
      const float dy = b[i].y - b[static_cast<std::size_t>(densest)].y;
      if (dx * dx + dy * dy < 150.0f * 150.0f) quarter.push_back(static_cast<int32_t>(i));
    }
  }
};

Scene& scene() {
  static Scene s;
  return s;
}

SunPlace tikhomorsk() {
  SunPlace p;
  p.latitude = 43.1;
  p.longitude = 131.9;
  p.zone = TimeZone::load(kBuiltInTimeZone).value_or(TimeZone::fixed(kBuiltInUtcOffset));
  return p;
}

void BM_OneBuildingsDay(benchmark::State& state) {
  Scene& s = scene();
  const BuildingBlocks blocks(s.city.map);
  const SunPlace place = tikhomorsk();
  const CivilDate date = state.range(0) == 0 ? CivilDate{2026, 12, 21} : CivilDate{2026, 6, 21};
  for (auto _ : state) benchmark::DoNotOptimize(insolation(blocks, s.densest, date, place));
  state.counters["neighbours"] = static_cast<double>(s.quarter.size());
}
BENCHMARK(BM_OneBuildingsDay)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_DensestQuarter(benchmark::State& state) {
  Scene& s = scene();
  const BuildingBlocks blocks(s.city.map);
  const SunPlace place = tikhomorsk();
  for (auto _ : state) {
    for (const int32_t row : s.quarter) {
      benchmark::DoNotOptimize(insolation(blocks, row, {2026, 6, 21}, place));
    }
  }
  state.counters["buildings"] = static_cast<double>(s.quarter.size());
}
BENCHMARK(BM_DensestQuarter)->Unit(benchmark::kMillisecond);

void BM_IndexTheCity(benchmark::State& state) {
  Scene& s = scene();
  for (auto _ : state) benchmark::DoNotOptimize(BuildingBlocks(s.city.map));
}
BENCHMARK(BM_IndexTheCity)->Unit(benchmark::kMillisecond);

// The norm's full check of one 9-storey slab 60 m long with close
// neighbours: a 12-storey slab 30 m south, 5-storey houses 15 m east and
// west, a 9-storey one 25 m north; both boundary dates, every storey.
void BM_NormOneSlab(benchmark::State& state) {
  const auto block = [](float x0, float y0, float x1, float y1, int16_t floors) {
    Building b;
    b.floors = floors;
    b.purpose = 411;
    b.outline = {{x0, y0}, {x0, y1}, {x1, y1}, {x1, y0}};
    b.pointCount = 4;
    b.bounds = {x0, y0, x1, y1};
    return b;
  };
  MapData map;
  map.buildings = {block(1000, 1000, 1012, 1060, 9), block(958, 990, 970, 1070, 12),
                   block(990, 1075, 1030, 1087, 5), block(990, 973, 1030, 985, 5),
                   block(1037, 1000, 1049, 1060, 9)};
  const BuildingBlocks blocks(map);
  const SunPlace place = tikhomorsk();
  for (auto _ : state) benchmark::DoNotOptimize(checkInsolationNorm(blocks, 0, 2026, place));
}
BENCHMARK(BM_NormOneSlab)->Unit(benchmark::kMillisecond);

// The report of every dwelling of the sample city on 2 threads.
void BM_NormWholeCity(benchmark::State& state) {
  Scene& s = scene();
  int dwellings = 0;
  for (auto _ : state) {
    const CityScreening c = screenCity(s.city.map, 2026, {}, 2);
    dwellings = static_cast<int>(c.buildings.size());
  }
  state.counters["dwellings"] = dwellings;
}
BENCHMARK(BM_NormWholeCity)->Unit(benchmark::kSecond)->Iterations(1);

// The dwellings of the densest quarter, as the map colours a view.
void BM_NormDensestQuarter(benchmark::State& state) {
  Scene& s = scene();
  const BuildingBlocks blocks(s.city.map);
  const SunPlace place = tikhomorsk();
  int n = 0;
  for (auto _ : state) {
    n = 0;
    for (const int32_t row : s.quarter) {
      if (!isDwelling(s.city.map.buildings[static_cast<std::size_t>(row)].purpose)) continue;
      benchmark::DoNotOptimize(checkInsolationNorm(blocks, row, 2026, place));
      ++n;
    }
  }
  state.counters["dwellings"] = n;
}
BENCHMARK(BM_NormDensestQuarter)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tikhomap

BENCHMARK_MAIN();
