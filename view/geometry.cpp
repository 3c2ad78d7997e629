#include "view/geometry.h"

#include <cmath>
#include <limits>

namespace tikhomap {

float pointDistance(float x1, float y1, float x2, float y2) {
  const float ddx = x2 - x1;
  const float ddy = y2 - y1;
  const float sum = ddx * ddx + ddy * ddy;
  if (!(sum > 1e-10)) return 0.0f;
  return static_cast<float>(std::sqrt(static_cast<double>(sum)));
}

Line lineThrough(float x1, float y1, float x2, float y2) {
  return {y1 - y2, x2 - x1, (x1 - x2) * y1 + (y2 - y1) * x1};
}

float lineValue(float x, float y, const Line& line) {
  return line.a * x + line.b * y + line.c;
}

float distanceToLine(float x, float y, const Line& line) {
  const float norm = line.a * line.a + line.b * line.b;
  if (norm == 0.0f) return std::numeric_limits<float>::infinity();
  return static_cast<float>(std::fabs(lineValue(x, y, line)) /
                            std::sqrt(static_cast<double>(norm)));
}

float distanceToSegmentLine(float px, float py, float x1, float y1, float x2, float y2) {
  if (x1 == x2 && y1 == y2) return pointDistance(px, py, x1, y1);
  return distanceToLine(px, py, lineThrough(x1, y1, x2, y2));
}

CornerBox segmentBox(float x1, float y1, float x2, float y2) {
  return {std::fmin(x1, x2), std::fmax(y1, y2), std::fmax(x1, x2), std::fmin(y1, y2)};
}

bool pointInBox(float px, float py, const CornerBox& box, float t) {
  return box.minX - t <= px && px <= box.maxX + t && box.minY - t <= py && py <= box.maxY + t;
}

bool boxesOverlap(const CornerBox& a, const CornerBox& b, float t) {
  return a.minX <= b.maxX + t && a.maxY >= b.minY - t && a.maxX >= b.minX - t &&
         a.minY <= b.maxY + t;
}

bool pointNearSegment(float px, float py, float x1, float y1, float x2, float y2, float tol) {
  const float t = tol > 0 ? tol : kGeometryEpsilon;
  if (!pointInBox(px, py, segmentBox(x1, y1, x2, y2), t)) return false;
  return distanceToSegmentLine(px, py, x1, y1, x2, y2) <= t;
}

bool pointNearPolyline(float px, float py, std::span<const MapPoint> points, float tol) {
  for (size_t i = 1; i < points.size(); ++i) {
    const MapPoint& a = points[i - 1];
    const MapPoint& b = points[i];
    if (pointNearSegment(px, py, a.x, a.y, b.x, b.y, tol)) return true;
  }
  return false;
}

bool segmentsCross(const Segment& s, const Segment& t) {
  if (!boxesOverlap(segmentBox(s.x1, s.y1, s.x2, s.y2), segmentBox(t.x1, t.y1, t.x2, t.y2),
                    kGeometryEpsilon)) {
    return false;
  }
  const Line lineS = lineThrough(s.x1, s.y1, s.x2, s.y2);
  const Line lineT = lineThrough(t.x1, t.y1, t.x2, t.y2);
  if (lineValue(s.x1, s.y1, lineT) * lineValue(s.x2, s.y2, lineT) > kGeometryEpsilon) return false;
  if (lineValue(t.x1, t.y1, lineS) * lineValue(t.x2, t.y2, lineS) > kGeometryEpsilon) return false;
  return true;
}

}  // namespace tikhomap
