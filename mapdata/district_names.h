// The built-in names of the city's five districts. District numbers in the
// map files are 1..5; the names are not in any file.
#pragma once

#include <string_view>

namespace tikhomap {

inline constexpr int kDistrictCount = 5;

// Name of district 1..5 (UTF-8); district 0 and any other number have the
// empty name.
std::string_view districtName(int district);

struct MapData;
// The name the loaded map gives district 1..5: its city description's name
// when it has one, else the built-in name.
std::string_view districtName(const MapData& map, int district);

}  // namespace tikhomap
