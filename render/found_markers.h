// What a search leaves on the map: flags on the found buildings, and the
// large names flashed for a found microdistrict, object or district. All
// three are overlays, drawn over the copied frame and never into it.
#pragma once

#include <cstdint>

#include "render/canvas.h"
#include "render/frame_state.h"
#include "view/marking_state.h"

namespace tikhomap {

// A flag on every chosen building, or, while none is chosen, on every
// building of the marked street from the frame's first building on. The flag
// stands on the building's northernmost vertex, on the roof in the night and
// volumetric views. Rows outside the building table are skipped.
void drawFoundMarkers(const RenderContext& ctx, Canvas& dc);

// The name of a microdistrict or an addressed object in large letters over
// its point, with a black shadow. A row outside its table, or an empty name,
// draws nothing.
void drawNameFlash(const RenderContext& ctx, Canvas& dc, const NameFlash& flash);

// The boundary of a district (row of districtAreas) and its name over the
// centre of its bounds. A row outside the table draws nothing.
void drawDistrictFlash(const RenderContext& ctx, Canvas& dc, int32_t districtRow);

}  // namespace tikhomap
