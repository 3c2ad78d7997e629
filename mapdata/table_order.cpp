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

bool indexableStreetCode(int32_t code) {
  return code >= 0 && code <= kMaxStreetCode;
}

int indexStreetCodes(MapData& map) {
  // The index is sized by the largest code it holds, so a code beyond the
  // cap (a hostile 2^31) is left out instead of allocating for it.
  int32_t maxCode = 0;
  for (const StreetName& n : map.streetNames) {
    if (indexableStreetCode(n.streetCode)) maxCode = std::max(maxCode, n.streetCode);
  }
  map.streetCodeIndex.assign(static_cast<size_t>(maxCode) + 1, 0);
  int outside = 0;
  for (size_t k = 0; k < map.streetNames.size(); ++k) {
    const int32_t code = map.streetNames[k].streetCode;
    if (!indexableStreetCode(code)) {
      ++outside;
      continue;
    }
    map.streetCodeIndex[static_cast<size_t>(code)] = static_cast<int32_t>(k);
  }
  return outside;
}

}  // namespace tikhomap
