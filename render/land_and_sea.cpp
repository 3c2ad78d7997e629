#include "render/land_and_sea.h"

#include <algorithm>

#include "render/feature_draw.h"
#include "render/style_set.h"
#include "view/geometry.h"

namespace tikhomap {

namespace {

bool strictlyInside(const MapBounds& r, const MapBounds& outer) {
  return r.xMin > outer.xMin && r.xMax < outer.xMax && r.yMin > outer.yMin && r.yMax < outer.yMax;
}

bool boxHolds(const MapBounds& box, const MapBounds& r) {
  return box.xMin <= r.xMin && r.xMax <= box.xMax && box.yMin <= r.yMin && r.yMax <= box.yMax;
}

MapBounds boxOf(std::span<const MetrePoint> points) {
  const auto x0 = static_cast<float>(points[0].x);
  const auto y0 = static_cast<float>(points[0].y);
  MapBounds box{x0, y0, x0, y0};
  for (const MetrePoint& p : points) {
    box.xMin = std::min<float>(box.xMin, p.x);
    box.xMax = std::max<float>(box.xMax, p.x);
    box.yMin = std::min<float>(box.yMin, p.y);
    box.yMax = std::max<float>(box.yMax, p.y);
  }
  return box;
}

// Whether some segment of the closed outline crosses a side of r.
bool outlineCrosses(std::span<const MetrePoint> outline, const MapBounds& r) {
  // The sides clockwise from the north edge.
  const Segment sides[4] = {{r.xMax, r.yMin, r.xMax, r.yMax},
                            {r.xMax, r.yMax, r.xMin, r.yMax},
                            {r.xMin, r.yMax, r.xMin, r.yMin},
                            {r.xMin, r.yMin, r.xMax, r.yMin}};
  const size_t n = outline.size();
  for (size_t i = 0; i < n; ++i) {
    const MetrePoint& a = outline[i];
    const MetrePoint& b = outline[(i + 1) % n];
    const Segment s{static_cast<float>(a.x), static_cast<float>(a.y), static_cast<float>(b.x),
                    static_cast<float>(b.y)};
    for (const Segment& side : sides) {
      if (segmentsCross(s, side)) return true;
    }
  }
  return false;
}

}  // namespace

bool viewIsInland(const MapData& map, const ViewState& view, const MapBounds& city) {
  // The outline of an inland city is no coast: there is land on both sides.
  if (!map.city.coast) return true;
  if (map.districtAreas.empty()) return false;
  const std::span<const MetrePoint> outline = areaPoints(map.districtAreas[0]);
  if (outline.size() < 3) return false;
  const MapBounds shown{view.viewXMin, view.viewYMin, view.viewXMax, view.viewYMax};
  if (!strictlyInside(shown, city)) return false;
  if (!boxHolds(boxOf(outline), shown)) return false;
  if (outlineCrosses(outline, shown)) return false;
  // Nothing of the coast is in view, so the view is all land or all water.
  return pointInMetrePolygon(outline, (shown.xMin + shown.xMax) * 0.5f,
                             (shown.yMin + shown.yMax) * 0.5f);
}

void drawLandAndSea(RenderContext& ctx, Canvas& dc) {
  const Rect& frame = ctx.cache.frameRect;
  const MapBounds city = ctx.history.count > 0 ? ctx.history.entry(0) : MapBounds{};
  if (viewIsInland(ctx.map, ctx.view, city)) {
    dc.fillRect(frame, ctx.styles.land);
  } else {
    dc.fillRect(frame, ctx.styles.sea);
    dc.selectPen(fixed::nullPen);
    dc.selectBrush(ctx.styles.land);
    if (!ctx.map.districtAreas.empty()) {
      dc.polygon(convertMetrePoints(ctx, areaPoints(ctx.map.districtAreas[0])));
    }
    return;
  }
  dc.selectPen(fixed::nullPen);
  dc.selectBrush(ctx.styles.land);
}

}  // namespace tikhomap
