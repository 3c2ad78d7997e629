// Small drawing routines shared by the frame composition and the building
// passes: the purpose style selectors, the conversion of a vertex array into
// the shared screen-point buffer, and the drawing of one feature polyline.
#pragma once

#include <cstdint>
#include <span>

#include "mapdata/records.h"
#include "render/canvas.h"
#include "render/frame_state.h"
#include "render/style_set.h"

namespace tikhomap {

// Select the pen or brush of the building purpose's group from the current
// style set into dc.
void selectEdgePen(const StyleSet& styles, Canvas& dc, int32_t purpose);
void selectGlowPen(const StyleSet& styles, Canvas& dc, int32_t purpose);
void selectBodyBrush(const StyleSet& styles, Canvas& dc, int32_t purpose);

// Convert a vertex array into the frame cache's screenPoints (grown when a
// record has more vertices than the buffer holds) and return
// the converted points, consecutive duplicate pixels dropped. The span stays
// valid until the next conversion; callers may move the points in place.
std::span<ScreenPoint> convertPoints(RenderContext& ctx, std::span<const MapPoint> points);
std::span<ScreenPoint> convertMetrePoints(RenderContext& ctx, std::span<const MetrePoint> points);

// The vertices a record declares, never more than it holds.
std::span<const MapPoint> featurePoints(const MapFeature& feature);
std::span<const MapPoint> outlinePoints(const Building& building);
std::span<const MetrePoint> areaPoints(const DistrictArea& area);

// Draws the feature as one polyline with the pen selected in dc when its
// bounds can be seen; nothing otherwise.
void drawFeaturePolyline(RenderContext& ctx, Canvas& dc, const MapFeature& feature);

}  // namespace tikhomap
