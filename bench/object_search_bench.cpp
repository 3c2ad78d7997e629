// The object search over every object of the large sample city: with a
// district filter (each object's building is looked up and tested against
// the district polygon), and by name alone.
#include <benchmark/benchmark.h>

#include "citygen/city_generator.h"
#include "mapdata/cp1251.h"
#include "search/object_search.h"

namespace tikhomap {
namespace {

MapData& largeCity() {
  static GeneratedCity city = [] {
    CityOptions options;
    options.size = CitySize::Large;
    return generateCity(options);
  }();
  return city.map;
}

void BM_ObjectSearchByDistrict(benchmark::State& state) {
  MapData& map = largeCity();
  MarkingState marking;
  ObjectCriteria criteria;
  criteria.districtRow = 1;  // "Центральный"
  int32_t found = 0;
  for (auto _ : state) {
    found = filterObjects(map, marking, criteria, -1);
    benchmark::DoNotOptimize(found);
  }
  state.counters["objects"] = static_cast<double>(map.userObjects.size());
  state.counters["found"] = found;
}
BENCHMARK(BM_ObjectSearchByDistrict)->Unit(benchmark::kMillisecond);

void BM_ObjectSearchByName(benchmark::State& state) {
  MapData& map = largeCity();
  MarkingState marking;
  ObjectCriteria criteria;
  criteria.nameText = utf8ToCp1251("школа");
  criteria.nameMode = 1;
  for (auto _ : state) benchmark::DoNotOptimize(filterObjects(map, marking, criteria, -1));
}
BENCHMARK(BM_ObjectSearchByName)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tikhomap

BENCHMARK_MAIN();
