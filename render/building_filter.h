// Which buildings the building passes visit: in view, and under the
// "отбор" choice large enough to be seen.
#pragma once

#include "mapdata/records.h"
#include "render/frame_state.h"
#include "view/drawn_building.h"
#include "view/visibility.h"

namespace tikhomap {

inline bool buildingVisible(const RenderContext& ctx, const Building& b, bool applySelection) {
  if (!boundsInView(ctx.view, b.bounds)) return false;
  return !(applySelection && leftOutBySelection(ctx.view, ctx.layers.buildingChoice, b));
}

inline bool hasHouseNumber(const Building& b) {
  return !b.houseNumber.empty() && b.houseNumber[0] != '\0';
}

}  // namespace tikhomap
