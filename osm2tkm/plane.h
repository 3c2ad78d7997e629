// Plane geometry of the importer in double precision: clipping to a box,
// simplification, areas and distances. Used on degrees (clipping to the
// extent) and on grid metres (everything after projection) alike.
#pragma once

#include <vector>

namespace tikhomap::osm {

struct Vec2 {
  double x = 0;
  double y = 0;
  friend bool operator==(const Vec2&, const Vec2&) = default;
};

using Path = std::vector<Vec2>;

struct Box2 {
  double xMin = 0, yMin = 0, xMax = 0, yMax = 0;
  bool contains(Vec2 p) const { return p.x >= xMin && p.x <= xMax && p.y >= yMin && p.y <= yMax; }
};

Box2 boxOf(const Path& points);
bool boxesNear(const Box2& a, const Box2& b, double gap);

// The parts of an open line inside the box, each with its cut points on the
// box's edge; parts of a single point are dropped.
std::vector<Path> clipLine(const Path& line, const Box2& box);
// A ring cut to the box (Sutherland–Hodgman). The ring is taken as closed
// whether or not its last point repeats the first; the result does not
// repeat it, and is empty when nothing of the ring is inside.
Path clipRing(const Path& ring, const Box2& box);

// Douglas–Peucker with the given tolerance; the ends are kept.
Path simplify(const Path& line, double tolerance);
// Without the closing repeat and without consecutive duplicates.
Path openRing(const Path& ring);

double signedArea(const Path& ring);  // positive when counter-clockwise with x north, y east
double pathLength(const Path& line);
bool insideRing(const Path& ring, Vec2 p);
double distanceToSegment(Vec2 p, Vec2 a, Vec2 b);
double distanceToRing(const Path& ring, Vec2 p);  // 0 inside
double distanceToPath(const Path& line, Vec2 p);
// The point at a distance along the line (its end beyond its length).
Vec2 pointAlong(const Path& line, double at);
// A point inside the ring, as central as a few scan lines find: the middle
// of the longest inside run of the scan lines through the ring.
Vec2 interiorPoint(const Path& ring);
// The line moved sideways by `by` (left of its direction when positive),
// with mitred corners.
Path offsetPath(const Path& line, double by);

}  // namespace tikhomap::osm
