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
float offset(uint16_t v, float p) {
  return static_cast<float>(v) - p;
}
float offset(int32_t v, int64_t p) {
  return static_cast<float>(static_cast<int64_t>(v) - p);
}

bool repeatsFirst(const MapPoint& last, const MapPoint& first) {
  return std::fabs(last.x - first.x) < 0.001f && std::fabs(last.y - first.y) < 0.001f;
}
bool repeatsFirst(const MapPoint16& last, const MapPoint16& first) {
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

// Ray along +x from the point; gives up when the line y = py meets a vertex.
template <typename Vertex, typename Coord>
RayResult northRay(std::span<const Vertex> pts, Coord px, Coord py) {
  bool inside = false;
  const size_t n = pts.size();
  for (size_t i = 0; i < n; ++i) {
    const Vertex& a = pts[i];
    const Vertex& b = pts[i + 1 < n ? i + 1 : 0];
    const float dx1 = offset(a.x, px);
    const float dy1 = offset(a.y, py);
    const float dx2 = offset(b.x, px);
    const float dy2 = offset(b.y, py);
    if (dy1 == 0.0f || dy2 == 0.0f) return RayResult::kThroughVertex;
    if ((dx1 < 0.0f && dx2 < 0.0f) || !(dy1 * dy2 < 0.0f)) continue;
    if ((dx2 * dy1 - dy2 * dx1) * (dy1 - dy2) >= 0.0f) inside = !inside;
  }
  return inside ? RayResult::kInside : RayResult::kOutside;
}

// Ray along +y; gives up when the line x = px meets a vertex.
template <typename Vertex, typename Coord>
RayResult eastRay(std::span<const Vertex> pts, Coord px, Coord py) {
  bool inside = false;
  const size_t n = pts.size();
  for (size_t i = 0; i < n; ++i) {
    const Vertex& a = pts[i];
    const Vertex& b = pts[i + 1 < n ? i + 1 : 0];
    const float dx1 = offset(a.x, px);
    const float dy1 = offset(a.y, py);
    const float dx2 = offset(b.x, px);
    const float dy2 = offset(b.y, py);
    if (dx1 == 0.0f || dx2 == 0.0f) return RayResult::kThroughVertex;
    if ((dy1 < 0.0f && dy2 < 0.0f) || !(dx1 * dx2 < 0.0f)) continue;
    if ((dy2 * dx1 - dx2 * dy1) * (dx1 - dx2) >= 0.0f) inside = !inside;
  }
  return inside ? RayResult::kInside : RayResult::kOutside;
}

template <typename Vertex, typename Coord>
bool evenOdd(std::span<const Vertex> pts, Coord px, Coord py) {
  if (pts.size() >= 2 && repeatsFirst(pts.back(), pts.front())) pts = pts.first(pts.size() - 1);
  const RayResult north = northRay(pts, px, py);
  if (north != RayResult::kThroughVertex) return north == RayResult::kInside;
  // The n vertices block at most n distinct lines x = px, so n + 1 distinct
  // positions always include a free one.
  for (size_t shifts = 0; shifts <= pts.size(); ++shifts) {
    const RayResult east = eastRay(pts, px, py);
    if (east != RayResult::kThroughVertex) return east == RayResult::kInside;
    if (!stepForward(px)) break;
  }
  return false;
}

}  // namespace

bool pointInPolygon(std::span<const MapPoint> points, float px, float py) {
  return evenOdd(points, px, py);
}

bool pointInPolygon16(std::span<const MapPoint16> points, float px, float py) {
  return evenOdd(points, px, py);
}

bool pointInPolygonPx(std::span<const ScreenPoint> points, int32_t px, int32_t py) {
  return evenOdd(points, static_cast<int64_t>(px), static_cast<int64_t>(py));
}

}  // namespace tikhomap
