// The even-odd point-in-polygon test, one walk for float, integer-metre and
// pixel vertices.
#include <cmath>
#include <cstdint>
#include <span>

#include "view/geometry.h"

namespace tikhomap {
namespace {

// Offsets of a vertex from the test point, in float as the crossing
// arithmetic expects. Integer points are held in int64 so that moving the
// point along +x can never overflow.
float offset(float v, float p) {
  return v - p;
}
float offset(int32_t v, float p) {
  return static_cast<float>(v) - p;
}
float offset(int32_t v, int64_t p) {
  return static_cast<float>(static_cast<int64_t>(v) - p);
}

bool repeatsFirst(const MapPoint& last, const MapPoint& first) {
  return std::fabs(last.x - first.x) < 0.001f && std::fabs(last.y - first.y) < 0.001f;
}
bool repeatsFirst(const MetrePoint& last, const MetrePoint& first) {
  return last == first;
}
bool repeatsFirst(const ScreenPoint& last, const ScreenPoint& first) {
  return last == first;
}

// One unit along +x; false when the coordinate can no longer move (a float
// too large for a step of one).
bool stepForward(float& p) {
  const float next = p + 1.0f;
  if (!(next > p)) return false;
  p = next;
  return true;
}
bool stepForward(int64_t& p) {
  ++p;
  return true;
}

enum class RayResult { kOutside, kInside, kThroughVertex };

// Ray from the point along +x (north) or, with the roles of x and y
// exchanged, along +y (east); gives up when the line across the ray through
// the point meets a vertex.
template <bool kNorth, typename Vertex, typename Coord>
RayResult castRay(std::span<const Vertex> pts, Coord px, Coord py) {
  bool inside = false;
  const size_t n = pts.size();
  for (size_t i = 0; i < n; ++i) {
    const Vertex& a = pts[i];
    const Vertex& b = pts[i + 1 < n ? i + 1 : 0];
    const float ax = offset(a.x, px);
    const float ay = offset(a.y, py);
    const float bx = offset(b.x, px);
    const float by = offset(b.y, py);
    // u runs along the ray, w across it.
    const float u1 = kNorth ? ax : ay;
    const float w1 = kNorth ? ay : ax;
    const float u2 = kNorth ? bx : by;
    const float w2 = kNorth ? by : bx;
    if (w1 == 0.0f || w2 == 0.0f) return RayResult::kThroughVertex;
    if ((u1 < 0.0f && u2 < 0.0f) || !(w1 * w2 < 0.0f)) continue;
    if ((u2 * w1 - w2 * u1) * (w1 - w2) >= 0.0f) inside = !inside;
  }
  return inside ? RayResult::kInside : RayResult::kOutside;
}

template <typename Vertex, typename Coord>
bool evenOdd(std::span<const Vertex> pts, Coord px, Coord py) {
  if (pts.size() >= 2 && repeatsFirst(pts.back(), pts.front())) pts = pts.first(pts.size() - 1);
  const RayResult north = castRay<true>(pts, px, py);
  if (north != RayResult::kThroughVertex) return north == RayResult::kInside;
  // The n vertices block at most n distinct lines x = px, so n + 1 distinct
  // positions always include a free one.
  for (size_t shifts = 0; shifts <= pts.size(); ++shifts) {
    const RayResult east = castRay<false>(pts, px, py);
    if (east != RayResult::kThroughVertex) return east == RayResult::kInside;
    if (!stepForward(px)) break;
  }
  return false;
}

}  // namespace

bool pointInPolygon(std::span<const MapPoint> points, float px, float py) {
  return evenOdd(points, px, py);
}

bool pointInMetrePolygon(std::span<const MetrePoint> points, float px, float py) {
  return evenOdd(points, px, py);
}

bool pointInPolygonPx(std::span<const ScreenPoint> points, int32_t px, int32_t py) {
  return evenOdd(points, static_cast<int64_t>(px), static_cast<int64_t>(py));
}

}  // namespace tikhomap
