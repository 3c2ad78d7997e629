#include "mapdata/district_names.h"

#include <string>

#include "mapdata/map_data.h"

namespace tikhomap {
namespace {

constexpr std::string_view kDistrictNames[kDistrictCount] = {"Северный", "Центральный", "Южный",
                                                             "Заречный", "Нагорный"};

}  // namespace

std::string_view districtName(int district) {
  if (district < 1 || district > kDistrictCount) return {};
  return kDistrictNames[static_cast<size_t>(district - 1)];
}

std::string_view districtName(const MapData& map, int district) {
  if (district >= 1 && district <= kDistrictCount) {
    const std::string& own = map.city.districtNames[static_cast<size_t>(district - 1)];
    if (!own.empty()) return own;
  }
  return districtName(district);
}

}  // namespace tikhomap
