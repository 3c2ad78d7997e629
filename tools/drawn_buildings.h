// Which building a press lands on where buildings are drawn standing up.
// In the volumetric and night views a building is drawn lifted by its
// storeys, so its roof may cover the footprint of a neighbour behind it; the
// press belongs to the building whose drawn block is in front under the
// pointer. Everything here is in window pixels of the current view.
#pragma once

#include <cstdint>
#include <vector>

#include "mapdata/map_data.h"
#include "view/view_state.h"

namespace tikhomap {

// How the building pass of the view stacks its buildings.
enum class BlockStyle {
  Volumetric,  // one block each, in table order, roof lifted by storeys
  Night,       // storey by storey: ground storeys first, upper ones later
};

// A vertical run of a building's drawing: its outline drawn at every lift
// from low to high pixels above the ground, painted in `order` (higher
// orders lie over lower ones).
struct DrawnSlab {
  int low = 0;
  int high = 0;
  int64_t order = 0;
};

// The runs the building pass draws for building row `row`. storeyHeight is
// the pixels of one storey in the volumetric views; the night view stacks
// by its detail level.
std::vector<DrawnSlab> drawnSlabs(const Building& b, int32_t row, BlockStyle style,
                                  int storeyHeight, int detailLevel);

// True when the outline, moved up by some lift in [low, high] pixels, covers
// window pixel (px, py).
bool liftedOutlineCovers(const ViewState& view, const Building& b, int low, int high, int px,
                         int py);

// Row of the building drawn in front at window pixel (px, py), or -1 where
// no building is drawn. buildingChoice is the layer choice (0 none, 1 all,
// 2 only those large enough on the screen).
int32_t findDrawnBuildingAt(const MapData& map, const ViewState& view, int32_t firstBuilding,
                            BlockStyle style, int storeyHeight, int buildingChoice, int px, int py);

}  // namespace tikhomap
