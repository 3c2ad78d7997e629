// Entry points of the layer passes that the frame composition calls.
#pragma once

#include <string_view>

#include "mapdata/records.h"
#include "mapdata/text_rules.h"
#include "render/canvas.h"
#include "render/frame_state.h"

namespace tikhomap {

// Street names along the streets at the stored anchors.
void streetLabelPass(RenderContext& ctx, Canvas& dc);
// Buildings of "Плоский" and "Графический" at detail level 1 and above.
void flatBuildingPass(RenderContext& ctx, Canvas& dc);
// Buildings of "Ночной" at detail level 1 and above.
void nightBuildingPass(RenderContext& ctx, Canvas& dc);
// Blocks with shadows, walls, windows and roofs of the volumetric views.
void volumetricPass(RenderContext& ctx, Canvas& dc);
// Writes a building's house number centred above its address point, raised
// by offset pixels, with the font and colour selected in dc.
void houseNumberLabel(RenderContext& ctx, Canvas& dc, const Building& building, int offset);
// A building's house number as it is written on the map: leading spaces and
// trailing spaces, tabs, CR and LF removed. Points into the record.

}  // namespace tikhomap
