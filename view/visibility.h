// Whether a map point or a record's bounds can be seen in the shown map
// rectangle. These run for every record of every layer in every frame, so
// they are plain inclusive comparisons on float32 values.
#pragma once

#include "mapdata/records.h"
#include "view/view_state.h"

namespace tikhomap {

// xMin <= px <= xMax and yMin <= py <= yMax: a point on an edge is inside.
inline bool pointInRect(float px, float py, float xMin, float yMin, float xMax, float yMax) {
  return xMin <= px && px <= xMax && yMin <= py && py <= yMax;
}

// Rectangles sharing at least one point overlap, so rectangles that only
// touch along an edge or at a corner do. Both are expected with min <= max.
inline bool rectsOverlap(float aXMin, float aYMin, float aXMax, float aYMax, float bXMin,
                         float bYMin, float bXMax, float bYMax) {
  return aXMin <= bXMax && bXMin <= aXMax && aYMin <= bYMax && bYMin <= aYMax;
}

inline bool rectsOverlap(const MapBounds& a, const MapBounds& b) {
  return rectsOverlap(a.xMin, a.yMin, a.xMax, a.yMax, b.xMin, b.yMin, b.xMax, b.yMax);
}

inline bool pointInView(const ViewState& view, float x, float y) {
  return pointInRect(x, y, view.viewXMin, view.viewYMin, view.viewXMax, view.viewYMax);
}

inline bool boundsInView(const ViewState& view, float xMin, float yMin, float xMax, float yMax) {
  return rectsOverlap(xMin, yMin, xMax, yMax, view.viewXMin, view.viewYMin, view.viewXMax,
                      view.viewYMax);
}

inline bool boundsInView(const ViewState& view, const MapBounds& b) {
  return boundsInView(view, b.xMin, b.yMin, b.xMax, b.yMax);
}

}  // namespace tikhomap
