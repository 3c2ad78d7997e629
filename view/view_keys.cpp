#include "view/view_keys.h"

#include <algorithm>

namespace tikhomap {

MapBounds panView(const ViewState& view, const MapBounds& city, PanDirection direction) {
  const float w = view.viewYMax - view.viewYMin;
  const float h = view.viewXMax - view.viewXMin;
  MapBounds r{view.viewXMin, view.viewYMin, view.viewXMax, view.viewYMax};
  switch (direction) {
    case PanDirection::Right:
      r.yMax = std::min(view.viewYMax + w / 2, city.yMax);
      r.yMin = r.yMax - w;
      break;
    case PanDirection::Left:
      r.yMin = std::max(view.viewYMin - w / 2, city.yMin);
      r.yMax = r.yMin + w;
      break;
    case PanDirection::Up:
      r.xMax = std::min(view.viewXMax + h / 2, city.xMax);
      r.xMin = r.xMax - h;
      break;
    case PanDirection::Down:
      r.xMin = std::max(view.viewXMin - h / 2, city.xMin);
      r.xMax = r.xMin + h;
      break;
  }
  return r;
}

bool zoomView(const ViewState& view, const MapBounds& city, char character, MapBounds& out) {
  const float w = view.viewYMax - view.viewYMin;
  const float h = view.viewXMax - view.viewXMin;
  float dx = 0;  // change of the northing sides
  float dy = 0;  // change of the easting sides
  bool outwards = false;
  switch (character) {
    case '*':
      dy = w / 3;
      dx = h / 3;
      break;
    case '+':
      dy = w / 4;
      dx = h / 4;
      break;
    case '-':
      dy = 0.2f * w;
      dx = 0.2f * h;
      outwards = true;
      break;
    case '/':
      dy = w;
      dx = h;
      outwards = true;
      break;
    default:
      return false;
  }
  if (!outwards) {
    out = {view.viewXMin + dx, view.viewYMin + dy, view.viewXMax - dx, view.viewYMax - dy};
    return true;
  }
  out = {std::max(view.viewXMin - dx, city.xMin), std::max(view.viewYMin - dy, city.yMin),
         std::min(view.viewXMax + dx, city.xMax), std::min(view.viewYMax + dy, city.yMax)};
  return true;
}

}  // namespace tikhomap
