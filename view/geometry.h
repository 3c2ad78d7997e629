// Plane geometry in map metres (and pixels for one point-in-polygon variant):
// distances, lines, boxes with a tolerance, segment crossing and the
// even-odd point-in-polygon test. Every comparison is inclusive. Nothing
// here allocates.
#pragma once

#include <cstdint>
#include <span>

#include "mapdata/records.h"

namespace tikhomap {

// Below this a product of line values counts as zero; also the tolerance
// used when a caller passes none.
inline constexpr float kGeometryEpsilon = 1e-20f;

// A·x + B·y + C = 0.
struct Line {
  float a = 0;
  float b = 0;
  float c = 0;
};

struct Segment {
  float x1 = 0;
  float y1 = 0;
  float x2 = 0;
  float y2 = 0;
};

// Two corners: (minX, maxY) followed by (maxX, minY). Every box test takes
// this order.
struct CornerBox {
  float minX = 0;
  float maxY = 0;
  float maxX = 0;
  float minY = 0;
  friend bool operator==(const CornerBox&, const CornerBox&) = default;
};

// Euclidean distance; exactly 0 when the squared distance is not above 1e-10.
float pointDistance(float x1, float y1, float x2, float y2);

Line lineThrough(float x1, float y1, float x2, float y2);
// Signed value A·x + B·y + C: its sign tells the side of the line.
float lineValue(float x, float y, const Line& line);
// |A·x + B·y + C| / √(A² + B²); infinite for the empty line A = B = 0.
float distanceToLine(float x, float y, const Line& line);
// Distance to the line through two points; when the two points coincide
// there is no line and the distance to that point is returned.
float distanceToSegmentLine(float px, float py, float x1, float y1, float x2, float y2);

CornerBox segmentBox(float x1, float y1, float x2, float y2);
bool pointInBox(float px, float py, const CornerBox& box, float t);
bool boxesOverlap(const CornerBox& a, const CornerBox& b, float t);

// Within tol of the segment: inside its box widened by tol and within tol
// of its line (so the ends have square, not round, caps). tol <= 0 means ε.
bool pointNearSegment(float px, float py, float x1, float y1, float x2, float y2, float tol);
// pointNearSegment for some consecutive pair; false for fewer than 2 points.
bool pointNearPolyline(float px, float py, std::span<const MapPoint> points, float tol);

// Touching and collinear overlapping segments cross.
bool segmentsCross(const Segment& s, const Segment& t);

// Even-odd test; the polygon is closed implicitly and a last vertex that
// repeats the first is ignored. A point whose horizontal line passes through
// a vertex is decided by a ray along +y; if that ray's line passes through a
// vertex too, the point is moved one unit along +x until it does not.
bool pointInPolygon(std::span<const MapPoint> points, float px, float py);
bool pointInMetrePolygon(std::span<const MetrePoint> points, float px, float py);
bool pointInPolygonPx(std::span<const ScreenPoint> points, int32_t px, int32_t py);

}  // namespace tikhomap
