// Which buildings the building passes visit: in view, and under the
// "отбор" choice large enough to be seen.
#pragma once

#include <algorithm>

#include "mapdata/records.h"
#include "render/frame_state.h"
#include "view/visibility.h"

namespace tikhomap {

inline constexpr int16_t kChoiceNone = 0;
inline constexpr int16_t kChoiceSelected = 2;  // "отбор"

// Under "отбор" a building whose larger side is under 2 mm on the screen is
// left out.
inline bool buildingTooSmall(const ViewState& view, const Building& b) {
  const float side = std::max(b.bounds.xMax - b.bounds.xMin, b.bounds.yMax - b.bounds.yMin);
  return side * view.mmPerMetre < 2.0;
}

inline bool buildingVisible(const RenderContext& ctx, const Building& b, bool applySelection) {
  if (!boundsInView(ctx.view, b.bounds)) return false;
  return !(applySelection && ctx.layers.buildingChoice == kChoiceSelected &&
           buildingTooSmall(ctx.view, b));
}

// Storeys a building is drawn with. A damaged record may claim tens of
// thousands (or a negative count); the tallest towers have about 160, so the
// count is kept within 0..200 and no frame spends minutes on one block.
inline constexpr int kMaxDrawnStoreys = 200;
inline int drawnStoreys(const Building& b) {
  return std::clamp<int>(b.floors, 0, kMaxDrawnStoreys);
}

inline bool hasHouseNumber(const Building& b) {
  return b.houseNumber[0] != '\0';
}

}  // namespace tikhomap
