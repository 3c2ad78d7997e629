#include "render/canvas.h"

#include <vector>

namespace tikhomap {

void Canvas::polygonStamps(std::span<const ScreenPoint> points,
                           std::span<const ScreenPoint> offsets) {
  std::vector<ScreenPoint> moved(points.size());
  for (const ScreenPoint o : offsets) {
    for (size_t v = 0; v < points.size(); ++v) moved[v] = {points[v].x + o.x, points[v].y + o.y};
    polygon(moved);
  }
}

}  // namespace tikhomap
