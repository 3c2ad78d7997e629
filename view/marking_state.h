// What the searches have marked on the map: chosen buildings, the marked
// street and the names waiting to flash at the next paint.
#pragma once

#include <cstdint>
#include <vector>

namespace tikhomap {

inline constexpr int kMaxChosenBuildings = 500;

struct MarkingState {
  std::vector<int32_t> chosenBuildings;  // rows of buildings
  int32_t chosenCount = 0;               // 0 = none
  int32_t markedStreet = -1;             // street code, -1 = none
  bool pendingNameFlash = false;
  bool pendingDistrictFlash = false;
};

}  // namespace tikhomap
