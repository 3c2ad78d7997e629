// What of a building the views and the page draw: whether the "отбор" choice
// leaves it out, and how many storeys it stands. The passes that draw and
// the pick under the pointer ask the same questions here, so a press can
// only land on a building that is drawn.
#pragma once

#include <algorithm>

#include "mapdata/codes.h"
#include "mapdata/records.h"
#include "view/view_state.h"

namespace tikhomap {

// A building whose larger side is under 2 mm on the screen (or the paper).
inline bool buildingTooSmall(const ViewState& view, const Building& b) {
  const float side = std::max(b.bounds.xMax - b.bounds.xMin, b.bounds.yMax - b.bounds.yMin);
  return side * view.mmPerMetre < 2.0;
}

// Under "отбор" the buildings too small to see are left out.
inline bool leftOutBySelection(const ViewState& view, int16_t buildingChoice, const Building& b) {
  return buildingChoice == kChoiceSelected && buildingTooSmall(view, b);
}

// Storeys a building is drawn with. A damaged record may claim tens of
// thousands (or a negative count); the tallest towers have about 160, so the
// count is kept within 0..200 and no frame spends minutes on one block.
inline constexpr int kMaxDrawnStoreys = 200;
inline int drawnStoreys(const Building& b) {
  return std::clamp<int>(b.floors, 0, kMaxDrawnStoreys);
}

}  // namespace tikhomap
