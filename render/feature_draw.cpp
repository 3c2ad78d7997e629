#include "render/feature_draw.h"

#include <algorithm>

#include "view/visibility.h"

namespace tikhomap {

namespace {

// Room for n converted points in the frame's scratch; it only grows.
ScreenPoint* screenBuffer(FrameCache& cache, size_t n) {
  if (cache.screenPoints.size() < n + 1) cache.screenPoints.resize(n + 1);
  return cache.screenPoints.data();
}

template <typename Point>
std::span<const Point> declaredPoints(const std::vector<Point>& points, int32_t pointCount) {
  const size_t declared = pointCount > 0 ? static_cast<size_t>(pointCount) : 0;
  return std::span<const Point>(points).first(std::min(declared, points.size()));
}

}  // namespace

std::span<const MapPoint> featurePoints(const MapFeature& feature) {
  return declaredPoints(feature.points, feature.pointCount);
}

std::span<const MapPoint> outlinePoints(const Building& building) {
  return declaredPoints(building.outline, building.pointCount);
}

std::span<const MetrePoint> areaPoints(const DistrictArea& area) {
  return declaredPoints(area.points, area.pointCount);
}

void selectEdgePen(const StyleSet& styles, Canvas& dc, int32_t purpose) {
  dc.selectPen(styles.edgePen(purpose));
}

void selectGlowPen(const StyleSet& styles, Canvas& dc, int32_t purpose) {
  dc.selectPen(styles.glowPen(purpose));
}

void selectBodyBrush(const StyleSet& styles, Canvas& dc, int32_t purpose) {
  dc.selectBrush(styles.bodyBrush(purpose));
}

std::span<ScreenPoint> convertPoints(RenderContext& ctx, std::span<const MapPoint> points) {
  ScreenPoint* out = screenBuffer(ctx.cache, points.size());
  const int n = projectPoints(ctx.view, points, out);
  return {out, static_cast<size_t>(std::max(n, 0))};
}

std::span<ScreenPoint> convertMetrePoints(RenderContext& ctx, std::span<const MetrePoint> points) {
  ScreenPoint* out = screenBuffer(ctx.cache, points.size());
  const int n = projectMetrePoints(ctx.view, points, out);
  return {out, static_cast<size_t>(std::max(n, 0))};
}

void drawFeaturePolyline(RenderContext& ctx, Canvas& dc, const MapFeature& feature) {
  if (!boundsInView(ctx.view, feature.bounds)) return;
  dc.polyline(convertPoints(ctx, featurePoints(feature)));
}

}  // namespace tikhomap
