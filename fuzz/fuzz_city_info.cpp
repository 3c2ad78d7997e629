// Fuzz target: the readers of city.txt and houses.txt, and their writers
// read back.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "fuzz/fuzz_checks.h"
#include "mapdata/city_info.h"
#include "mapdata/further_addresses.h"
#include "mapdata/load_result.h"
#include "mapdata/utf8_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tikhomap;
  std::vector<LoadProblem> problems;
  const CityInfo info = parseCityInfo(std::span<const uint8_t>(data, size), &problems);
  for (const std::string& name : info.districtNames) fuzz::require(codePointCount(name) <= 60);
  const std::string text = writeCityInfo(info);
  const CityInfo again = parseCityInfo(
      std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
  fuzz::require(again.coast == info.coast);
  fuzz::require(again.builtInCaptions == info.builtInCaptions);
  fuzz::require(again.grid.has_value() == info.grid.has_value());
  fuzz::require(again.districtNames == info.districtNames);

  std::vector<Building> buildings(3);
  for (size_t i = 0; i < buildings.size(); ++i)
    buildings[i].x = static_cast<uint16_t>(i), buildings[i].y = static_cast<uint16_t>(i);
  const std::vector<FurtherAddress> further =
      parseFurtherAddresses(std::span<const uint8_t>(data, size), buildings, &problems);
  for (const FurtherAddress& a : further) {
    fuzz::require(a.building >= 0 && a.building < 3);
    fuzz::require(!a.number.empty() && codePointCount(a.number) <= kFurtherNumberLength);
  }
  const std::string houses = writeFurtherAddresses(further);
  fuzz::require(
      parseFurtherAddresses(
          std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(houses.data()), houses.size()),
          buildings)
          .size() == further.size());
  return 0;
}
