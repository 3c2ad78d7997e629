// Fuzz target: the reader of city.txt, and its writer read back.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "fuzz/fuzz_checks.h"
#include "mapdata/city_info.h"
#include "mapdata/load_result.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tikhomap;
  std::vector<LoadProblem> problems;
  const CityInfo info = parseCityInfo(std::span<const uint8_t>(data, size), &problems);
  for (const std::string& name : info.districtNames) fuzz::require(name.size() <= 60);
  const std::string text = writeCityInfo(info);
  const CityInfo again = parseCityInfo(
      std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
  fuzz::require(again.coast == info.coast);
  fuzz::require(again.builtInCaptions == info.builtInCaptions);
  fuzz::require(again.grid.has_value() == info.grid.has_value());
  fuzz::require(again.districtNames == info.districtNames);
  return 0;
}
