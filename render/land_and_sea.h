// The bottom of every map frame: the sea, the land inside the city outline,
// and the shortcut for a view that lies wholly on land.
#pragma once

#include "mapdata/map_data.h"
#include "render/canvas.h"
#include "render/frame_state.h"
#include "view/view_state.h"

namespace tikhomap {

// True when the shown rectangle lies strictly inside the city extent and
// wholly on the land: the land outline's box holds it, no outline segment
// crosses one of its sides and its centre is inside the outline. Such a view
// is one land fill, with no sea and no land polygon.
bool viewIsInland(const MapData& map, const ViewState& view, const MapBounds& city);

// Fills frameRect with land for an inland view; otherwise with sea and draws
// the land outline filled with the land brush over it. Leaves the null pen
// and the land brush selected either way.
void drawLandAndSea(RenderContext& ctx, Canvas& dc);

}  // namespace tikhomap
