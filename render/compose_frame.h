// Composition of one whole frame of the current view.
#pragma once

#include "render/canvas.h"
#include "render/frame_state.h"

namespace tikhomap {

// Draws the current view into frame, the off-screen image the shell shows
// with one copy. The drawing area is the frame's device size; its physical
// width is ctx.screenWidthMm (the device's own width when that is not set).
// A history of one entry draws the title sheet and resets the start
// indexes; otherwise the map layers are drawn bottom to top, then the scale
// caption and the sunken frame edge. The map data must be loaded already.
void composeFrame(RenderContext& ctx, Canvas& frame);

// "Масштаб 1:D".
std::string scaleCaption(int32_t denominator);

}  // namespace tikhomap
