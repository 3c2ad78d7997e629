#include "mapdata/table_order.h"

namespace tikhomap {
namespace {

template <typename T>
void sortByXMin(std::vector<T>& table) {
  std::stable_sort(table.begin(), table.end(),
                   [](const T& a, const T& b) { return a.bounds.xMin > b.bounds.xMin; });
}

}  // namespace

void sortNorthToSouth(MapData& map) {
  sortByXMin(map.areaFeatures);
  sortByXMin(map.waterFeatures);
  sortByXMin(map.streetOutlines);
  sortByXMin(map.streetLines);
  sortByXMin(map.buildings);
  std::stable_sort(map.streetLabelPoints.begin(), map.streetLabelPoints.end(),
                   [](const StreetLabelPoint& a, const StreetLabelPoint& b) { return a.x > b.x; });
}

int indexStreetCodes(MapData& map) {
  int16_t maxCode = 0;
  for (const StreetName& n : map.streetNames) maxCode = std::max(maxCode, n.streetCode);
  map.streetCodeIndex.assign(static_cast<size_t>(maxCode) + 1, 0);
  int negative = 0;
  for (size_t k = 0; k < map.streetNames.size(); ++k) {
    const int16_t code = map.streetNames[k].streetCode;
    if (code < 0) {
      ++negative;
      continue;
    }
    map.streetCodeIndex[static_cast<size_t>(code)] = static_cast<int16_t>(k);
  }
  return negative;
}

}  // namespace tikhomap
