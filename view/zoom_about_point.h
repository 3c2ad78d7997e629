// Zooming by one step of the quantised scale about a window pixel: the map
// point under the pixel stays under it (as long as the city's edges do not
// push the view aside).
#pragma once

#include <cstdint>
#include <optional>

#include "mapdata/records.h"
#include "view/view_state.h"

namespace tikhomap {

// The next scale denominator (a multiple of ten) about a quarter finer
// (direction > 0) or coarser (direction < 0) than d, and always a different
// one. 0 when no finer scale can be shown.
int32_t nextQuantisedDenominator(int32_t d, int direction);

// The rectangle to ask for so that the fitted view has the next quantised
// scale and keeps the map point under (px, py) in place. Where the view is
// wider (or taller) than the city, the rectangle asked for is cut to the
// city that way and the other way sets the scale; the view then stays on
// the city and the point moves with it. Nothing when the view has no scale
// yet, when no finer scale can be shown, when the rectangle would be
// narrower than the smallest view the history stores, or when it would be
// larger than the city both ways.
std::optional<MapBounds> zoomAboutPixel(const ViewState& shown, const MapBounds& city, int32_t px,
                                        int32_t py, int direction);

}  // namespace tikhomap
