#include "mapdata/district_names.h"

#include <string>
#include <vector>

#include "mapdata/cp1251.h"
#include "mapdata/map_data.h"

namespace tikhomap {
namespace {

constexpr std::string_view kDistrictNames[kDistrictCount] = {"Северный", "Центральный", "Южный",
                                                             "Заречный", "Нагорный"};

}  // namespace

std::string_view districtNameCp1251(int district) {
  static const auto names = [] {
    std::vector<std::string> converted;
    for (std::string_view name : kDistrictNames) converted.push_back(utf8ToCp1251(name));
    return converted;
  }();
  if (district < 1 || district > static_cast<int>(names.size())) return {};
  return names[static_cast<size_t>(district - 1)];
}

std::string_view districtNameCp1251(const MapData& map, int district) {
  if (district >= 1 && district <= kDistrictCount) {
    const std::string& own = map.city.districtNames[static_cast<size_t>(district - 1)];
    if (!own.empty()) return own;
  }
  return districtNameCp1251(district);
}

}  // namespace tikhomap
