// The object search over every object of the large sample city: with a
// district filter (each object's building is looked up and tested against
// the district polygon), and by name alone (each name folded per search, or
// once in the map's index); and one keystroke of the quick
// search. The district filter and the keystroke are timed with the map's
// index sorted per search (as before the index was kept with the map) and
// with the index built once.
#include <benchmark/benchmark.h>

#include "citygen/city_generator.h"
#include "mapdata/text_rules.h"
#include "search/object_search.h"
#include "search/quick_search.h"

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

void BM_ObjectSearchByDistrictIndexed(benchmark::State& state) {
  MapData& map = largeCity();
  const AddressIndex index(map);
  MarkingState marking;
  ObjectCriteria criteria;
  criteria.districtRow = 1;
  for (auto _ : state) benchmark::DoNotOptimize(filterObjects(map, marking, criteria, -1, &index));
}
BENCHMARK(BM_ObjectSearchByDistrictIndexed)->Unit(benchmark::kMillisecond);

// "<name of a street with houses> 1", as typed.
std::string streetQuery(const MapData& map) {
  for (const StreetName& s : map.streetNames) {
    if (s.kind != 0) return s.name + " 1";
  }
  return "1";
}

void BM_QuickSearchKeystroke(benchmark::State& state) {
  const MapData& map = largeCity();
  const std::string query = streetQuery(map);
  for (auto _ : state) benchmark::DoNotOptimize(quickSearch(map, query));
  state.counters["buildings"] = static_cast<double>(map.buildings.size());
}
BENCHMARK(BM_QuickSearchKeystroke)->Unit(benchmark::kMillisecond);

void BM_QuickSearchKeystrokeIndexed(benchmark::State& state) {
  const MapData& map = largeCity();
  const QuickSearchIndex index(map);
  const std::string query = streetQuery(map);
  for (auto _ : state) benchmark::DoNotOptimize(quickSearch(map, index, query));
}
BENCHMARK(BM_QuickSearchKeystrokeIndexed)->Unit(benchmark::kMillisecond);

void BM_ObjectSearchByName(benchmark::State& state) {
  MapData& map = largeCity();
  MarkingState marking;
  ObjectCriteria criteria;
  criteria.nameText = "школа";
  criteria.nameMode = 1;
  for (auto _ : state) benchmark::DoNotOptimize(filterObjects(map, marking, criteria, -1));
}
BENCHMARK(BM_ObjectSearchByName)->Unit(benchmark::kMillisecond);

// The same with the map's index, whose object names are folded once.
void BM_ObjectSearchByNameIndexed(benchmark::State& state) {
  MapData& map = largeCity();
  const AddressIndex index(map);
  MarkingState marking;
  ObjectCriteria criteria;
  criteria.nameText = "школа";
  criteria.nameMode = 1;
  for (auto _ : state) {
    benchmark::DoNotOptimize(filterObjects(map, marking, criteria, -1, &index));
  }
}
BENCHMARK(BM_ObjectSearchByNameIndexed)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tikhomap

BENCHMARK_MAIN();
