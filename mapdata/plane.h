// Plane geometry of the two map writers (the sample-city generator and the
// importer), in double precision: x northing, y easting, as in the map
// records. Used on grid metres and, for clipping to an extract's extent, on
// degrees alike.
#pragma once

#include <cmath>
#include <functional>
#include <vector>

namespace tikhomap {

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

// An axis-parallel box.
struct Bounds {
  double xMin = 0, yMin = 0, xMax = 0, yMax = 0;
  bool contains(Vec p) const { return p.x >= xMin && p.x <= xMax && p.y >= yMin && p.y <= yMax; }
};
Bounds boundsOf(const Polyline& points);
bool boundsNear(const Bounds& a, const Bounds& b, double gap);

double distanceToSegment(Vec p, Vec a, Vec b, double* t = nullptr);
double distanceToRing(const Polyline& ring, Vec p);  // 0 inside
double polylineLength(const Polyline& line);
// Point and tangent at arc length s (clamped to the line).
Vec pointAtArc(const Polyline& line, double s, Vec* tangent = nullptr);
// Crossing of segments ab and cd strictly inside both; parameters on each.
bool segmentCrossing(Vec a, Vec b, Vec c, Vec d, double* t, double* u);
bool pointInPolygon(const Polyline& polygon, Vec p);
// Shoelace; positive when counter-clockwise on the map (north up, east right).
double signedArea(const Polyline& ring);
bool polygonIsSimple(const Polyline& polygon);
// Without the closing repeat and without consecutive duplicates.
Polyline openRing(const Polyline& ring);
// A point inside the ring, as central as a few scan lines find: the middle
// of the longest inside run of the scan lines through the ring.
Vec interiorPoint(const Polyline& ring);

Polyline chaikin(const Polyline& line, int rounds, bool closed);
// Douglas–Peucker with the given tolerance; the ends are kept.
Polyline simplify(const Polyline& line, double tolerance);
Polyline resample(const Polyline& line, double step);
// The line moved sideways by `by` (left of its direction when positive),
// with mitred corners.
Polyline offsetPolyline(const Polyline& line, double by);

// Keeps the part of a polygon inside a convex polygon (counter-clockwise
// or clockwise); pieces are joined along the clip edges.
Polyline clipToConvex(const Polyline& subject, const Polyline& convexClip);
// The parts of a polyline where inside() holds, ends found to within 0.2 m.
std::vector<Polyline> clipPolyline(const Polyline& line, double step,
                                   const std::function<bool(Vec)>& inside);
// The parts of an open line inside the box, each with its cut points on the
// box's edge; parts of a single point are dropped.
std::vector<Polyline> clipLine(const Polyline& line, const Bounds& box);
// A ring cut to the box (Sutherland–Hodgman). The ring is taken as closed
// whether or not its last point repeats the first; the result does not
// repeat it, and is empty when nothing of the ring is inside.
Polyline clipRing(const Polyline& ring, const Bounds& box);

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

}  // namespace tikhomap
