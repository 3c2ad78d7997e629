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

// Pixels a record's drawing reaches past its bounds on each side of the
// screen (walls and roofs rise upwards, shadows fall at an angle); each >= 0.
struct ScreenReach {
  int left = 0;
  int up = 0;
  int right = 0;
  int down = 0;
};

// Map metres of one screen pixel, east-west (across) and north-south (down).
struct PixelMetres {
  float across = 0;
  float down = 0;
};

inline PixelMetres pixelMetres(const ViewState& view) {
  PixelMetres m;
  if (view.mmPerMetre > 0 && view.pixelsPerMmX > 0) {
    m.across = static_cast<float>(1.0 / (view.pixelsPerMmX * view.mmPerMetre));
  }
  if (view.mmPerMetre > 0 && view.pixelsPerMmY > 0) {
    m.down = static_cast<float>(1.0 / (view.pixelsPerMmY * view.mmPerMetre));
  }
  return m;
}

// Whether bounds grown on the screen by `reach` overlap the view: up the
// screen is north (+x), right is east (+y). The same inclusive comparison as
// boundsInView, which it equals for a reach of nothing.
inline bool reachInView(const ViewState& view, const PixelMetres& m, const MapBounds& b,
                        const ScreenReach& reach) {
  return boundsInView(view, b.xMin - static_cast<float>(reach.down) * m.down,
                      b.yMin - static_cast<float>(reach.left) * m.across,
                      b.xMax + static_cast<float>(reach.up) * m.down,
                      b.yMax + static_cast<float>(reach.right) * m.across);
}

}  // namespace tikhomap
