// Plane geometry of the generator, in double metres of the city grid
// (x northing, y easting, as in the map records).
#pragma once

#include <cmath>
#include <functional>
#include <vector>

namespace tikhomap::citygen {

struct Vec {
  double x = 0;
  double y = 0;
  friend Vec operator+(Vec a, Vec b) { return {a.x + b.x, a.y + b.y}; }
  friend Vec operator-(Vec a, Vec b) { return {a.x - b.x, a.y - b.y}; }
  friend Vec operator*(Vec a, double k) { return {a.x * k, a.y * k}; }
  friend bool operator==(const Vec&, const Vec&) = default;
};

using Polyline = std::vector<Vec>;

inline double dot(Vec a, Vec b) {
  return a.x * b.x + a.y * b.y;
}
inline double cross(Vec a, Vec b) {
  return a.x * b.y - a.y * b.x;
}
inline double length(Vec a) {
  return std::sqrt(dot(a, a));
}
inline double distance(Vec a, Vec b) {
  return length(a - b);
}
inline Vec normalized(Vec a) {
  const double l = length(a);
  return l > 0 ? a * (1.0 / l) : Vec{1, 0};
}
// Left of the direction of travel, with north up and east to the right.
inline Vec leftNormal(Vec d) {
  return {d.y, -d.x};
}
inline Vec lerp(Vec a, Vec b, double t) {
  return a + (b - a) * t;
}

double distanceToSegment(Vec p, Vec a, Vec b, double* t = nullptr);
double polylineLength(const Polyline& line);
// Point and tangent at arc length s (clamped to the line).
Vec pointAtArc(const Polyline& line, double s, Vec* tangent = nullptr);
// Crossing of segments ab and cd strictly inside both; parameters on each.
bool segmentCrossing(Vec a, Vec b, Vec c, Vec d, double* t, double* u);
bool pointInPolygon(const Polyline& polygon, Vec p);
double polygonArea(const Polyline& polygon);  // signed, shoelace
bool polygonIsSimple(const Polyline& polygon);

Polyline chaikin(const Polyline& line, int rounds, bool closed);
Polyline simplify(const Polyline& line, double tolerance);  // Douglas-Peucker
Polyline resample(const Polyline& line, double step);
// Keeps the part of a polygon inside a convex polygon (counter-clockwise
// or clockwise); pieces are joined along the clip edges.
Polyline clipToConvex(const Polyline& subject, const Polyline& convexClip);
// The parts of a polyline where inside() holds, ends found to within 0.2 m.
std::vector<Polyline> clipPolyline(const Polyline& line, double step,
                                   const std::function<bool(Vec)>& inside);

// An oriented rectangle: centre, unit axis along its length, half sizes.
struct Box {
  Vec centre;
  Vec axis;
  double halfLength = 0;
  double halfWidth = 0;
  Vec corner(int i) const;  // 0..3, counter-clockwise in the map plane
};
bool boxesOverlap(const Box& a, const Box& b);
double boxSegmentDistance(const Box& box, Vec a, Vec b);

}  // namespace tikhomap::citygen
