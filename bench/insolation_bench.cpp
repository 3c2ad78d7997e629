// Hours of sun on every facade of one building for a whole day: a building
// of the densest quarter of the default sample city (the one with the most
// neighbours within 150 m), at midwinter and midsummer; and every building
// of that quarter in turn.
#include <benchmark/benchmark.h>

#include "citygen/city_generator.h"
#include "tools/insolation.h"

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

}  // namespace
}  // namespace tikhomap

BENCHMARK_MAIN();
