#include "mapdata/plane.h"

#include <algorithm>

namespace tikhomap {

Bounds boundsOf(const Polyline& points) {
  Bounds b{1e300, 1e300, -1e300, -1e300};
  for (const Vec& p : points) {
    b.xMin = std::min(b.xMin, p.x), b.yMin = std::min(b.yMin, p.y);
    b.xMax = std::max(b.xMax, p.x), b.yMax = std::max(b.yMax, p.y);
  }
  return b;
}

bool boundsNear(const Bounds& a, const Bounds& b, double gap) {
  return a.xMin - gap <= b.xMax && b.xMin - gap <= a.xMax && a.yMin - gap <= b.yMax &&
         b.yMin - gap <= a.yMax;
}

double distanceToSegment(Vec p, Vec a, Vec b, double* t) {
  const Vec d = b - a;
  const double len2 = dot(d, d);
  double k = len2 > 0 ? dot(p - a, d) / len2 : 0;
  k = std::clamp(k, 0.0, 1.0);
  if (t) *t = k;
  return distance(p, a + d * k);
}

double distanceToRing(const Polyline& ring, Vec p) {
  if (ring.size() >= 3 && pointInPolygon(ring, p)) return 0;
  double best = 1e300;
  for (size_t i = 0, n = ring.size(); i < n; ++i)
    best = std::min(best, distanceToSegment(p, ring[i], ring[(i + 1) % n]));
  return best;
}

double polylineLength(const Polyline& line) {
  double sum = 0;
  for (size_t i = 1; i < line.size(); ++i) sum += distance(line[i - 1], line[i]);
  return sum;
}

Vec pointAtArc(const Polyline& line, double s, Vec* tangent) {
  if (line.size() < 2) {
    if (tangent) *tangent = {1, 0};
    return line.empty() ? Vec{} : line[0];
  }
  for (size_t i = 1; i < line.size(); ++i) {
    const double l = distance(line[i - 1], line[i]);
    if (s <= l || i + 1 == line.size()) {
      if (tangent) *tangent = normalized(line[i] - line[i - 1]);
      const double t = l > 0 ? std::clamp(s / l, 0.0, 1.0) : 0;
      return lerp(line[i - 1], line[i], t);
    }
    s -= l;
  }
  return line.back();
}

bool segmentCrossing(Vec a, Vec b, Vec c, Vec d, double* t, double* u) {
  const Vec r = b - a;
  const Vec s = d - c;
  const double den = cross(r, s);
  if (std::fabs(den) < 1e-12) return false;
  const double tt = cross(c - a, s) / den;
  const double uu = cross(c - a, r) / den;
  if (tt <= 0 || tt >= 1 || uu <= 0 || uu >= 1) return false;
  if (t) *t = tt;
  if (u) *u = uu;
  return true;
}

bool pointInPolygon(const Polyline& polygon, Vec p) {
  bool inside = false;
  const size_t n = polygon.size();
  for (size_t i = 0, j = n - 1; i < n; j = i++) {
    const Vec a = polygon[i];
    const Vec b = polygon[j];
    if ((a.y > p.y) != (b.y > p.y)) {
      const double x = a.x + (p.y - a.y) * (b.x - a.x) / (b.y - a.y);
      if (p.x < x) inside = !inside;
    }
  }
  return inside;
}

double signedArea(const Polyline& ring) {
  double s = 0;
  for (size_t i = 0, n = ring.size(); i < n; ++i) {
    const Vec a = ring[i], b = ring[(i + 1) % n];
    s += a.y * b.x - b.y * a.x;  // x is north, y east: counter-clockwise on the map is positive
  }
  return s / 2;
}

bool polygonIsSimple(const Polyline& polygon) {
  const size_t n = polygon.size();
  if (n < 3) return false;
  // Segments bucketed by a coarse grid, so that long outlines stay cheap.
  double minX = polygon[0].x, minY = polygon[0].y, maxX = minX, maxY = minY;
  for (const Vec& p : polygon) {
    minX = std::min(minX, p.x), maxX = std::max(maxX, p.x);
    minY = std::min(minY, p.y), maxY = std::max(maxY, p.y);
  }
  const double cell = std::max({(maxX - minX) / 256.0, (maxY - minY) / 256.0, 1.0});
  const int cols = static_cast<int>((maxY - minY) / cell) + 1;
  const int rows = static_cast<int>((maxX - minX) / cell) + 1;
  std::vector<std::vector<int>> buckets(static_cast<size_t>(cols) * rows);
  for (size_t i = 0; i < n; ++i) {
    const Vec a = polygon[i], b = polygon[(i + 1) % n];
    const int r0 = static_cast<int>((std::min(a.x, b.x) - minX) / cell);
    const int r1 = static_cast<int>((std::max(a.x, b.x) - minX) / cell);
    const int c0 = static_cast<int>((std::min(a.y, b.y) - minY) / cell);
    const int c1 = static_cast<int>((std::max(a.y, b.y) - minY) / cell);
    for (int r = r0; r <= r1; ++r)
      for (int c = c0; c <= c1; ++c) {
        auto& bucket = buckets[static_cast<size_t>(r) * cols + c];
        for (int j : bucket) {
          const size_t k = static_cast<size_t>(j);
          if (k == i || (k + 1) % n == i || (i + 1) % n == k) continue;
          if (segmentCrossing(a, b, polygon[k], polygon[(k + 1) % n], nullptr, nullptr))
            return false;
        }
        bucket.push_back(static_cast<int>(i));
      }
  }
  return true;
}

Polyline openRing(const Polyline& ring) {
  Polyline out;
  for (const Vec& p : ring)
    if (out.empty() || !(out.back() == p)) out.push_back(p);
  while (out.size() >= 2 && out.front() == out.back()) out.pop_back();
  return out;
}

Vec interiorPoint(const Polyline& ring) {
  const Bounds box = boundsOf(ring);
  Vec best{(box.xMin + box.xMax) / 2, (box.yMin + box.yMax) / 2};
  double bestRun = -1;
  constexpr int kScans = 7;
  for (int k = 1; k <= kScans; ++k) {
    // Scan lines of constant x, spaced through the box, middle first.
    const int order = (k % 2 == 0 ? 1 : -1) * (k / 2);
    const double x = (box.xMin + box.xMax) / 2 + order * (box.xMax - box.xMin) / (kScans + 1);
    std::vector<double> cuts;
    for (size_t i = 0, n = ring.size(); i < n; ++i) {
      const Vec a = ring[i], b = ring[(i + 1) % n];
      if ((a.x > x) != (b.x > x)) cuts.push_back(a.y + (b.y - a.y) * (x - a.x) / (b.x - a.x));
    }
    std::sort(cuts.begin(), cuts.end());
    for (size_t i = 0; i + 1 < cuts.size(); i += 2) {
      const double run = cuts[i + 1] - cuts[i];
      if (run > bestRun) bestRun = run, best = {x, (cuts[i] + cuts[i + 1]) / 2};
    }
  }
  return best;
}

Polyline chaikin(const Polyline& line, int rounds, bool closed) {
  Polyline cur = line;
  for (int r = 0; r < rounds && cur.size() >= 3; ++r) {
    Polyline next;
    const size_t n = cur.size();
    if (!closed) next.push_back(cur.front());
    const size_t segs = closed ? n : n - 1;
    for (size_t i = 0; i < segs; ++i) {
      const Vec a = cur[i], b = cur[(i + 1) % n];
      next.push_back(lerp(a, b, 0.25));
      next.push_back(lerp(a, b, 0.75));
    }
    if (!closed) next.push_back(cur.back());
    cur = std::move(next);
  }
  return cur;
}

namespace {

void simplifyRange(const Polyline& line, size_t from, size_t to, double tol,
                   std::vector<bool>& keep) {
  // An explicit stack: a long line must not recurse deeply.
  std::vector<std::pair<size_t, size_t>> stack{{from, to}};
  while (!stack.empty()) {
    const auto [a, b] = stack.back();
    stack.pop_back();
    double worst = -1;
    size_t at = a;
    for (size_t i = a + 1; i < b; ++i) {
      const double d = distanceToSegment(line[i], line[a], line[b]);
      if (d > worst) worst = d, at = i;
    }
    if (worst > tol) {
      keep[at] = true;
      stack.push_back({a, at});
      stack.push_back({at, b});
    }
  }
}

}  // namespace

Polyline simplify(const Polyline& line, double tolerance) {
  if (line.size() < 3) return line;
  std::vector<bool> keep(line.size(), false);
  keep.front() = keep.back() = true;
  simplifyRange(line, 0, line.size() - 1, tolerance, keep);
  Polyline out;
  for (size_t i = 0; i < line.size(); ++i)
    if (keep[i]) out.push_back(line[i]);
  return out;
}

Polyline resample(const Polyline& line, double step) {
  Polyline out;
  if (line.size() < 2) return line;
  const double total = polylineLength(line);
  const int count = std::max(1, static_cast<int>(std::ceil(total / step)));
  for (int i = 0; i <= count; ++i) out.push_back(pointAtArc(line, total * i / count));
  return out;
}

Polyline offsetPolyline(const Polyline& line, double by) {
  Polyline out;
  const size_t n = line.size();
  auto normal = [&](size_t i, size_t j) {
    const double dx = line[j].x - line[i].x, dy = line[j].y - line[i].y;
    const double len = std::hypot(dx, dy);
    return len > 0 ? Vec{-dy / len, dx / len} : Vec{0, 0};
  };
  for (size_t i = 0; i < n; ++i) {
    Vec n1 = i > 0 ? normal(i - 1, i) : normal(0, std::min<size_t>(1, n - 1));
    Vec n2 = i + 1 < n ? normal(i, i + 1) : n1;
    if (i == 0) n1 = n2;
    Vec m{n1.x + n2.x, n1.y + n2.y};
    const double len = std::hypot(m.x, m.y);
    if (len < 1e-9) {
      m = n1;
    } else {
      m = {m.x / len, m.y / len};
    }
    const double miter = std::max(m.x * n1.x + m.y * n1.y, 0.5);
    out.push_back({line[i].x + m.x * by / miter, line[i].y + m.y * by / miter});
  }
  return out;
}

Polyline clipToConvex(const Polyline& subject, const Polyline& convexClip) {
  Polyline out = subject;
  const double orient = signedArea(convexClip) <= 0 ? 1.0 : -1.0;
  const size_t m = convexClip.size();
  for (size_t e = 0; e < m && !out.empty(); ++e) {
    const Vec a = convexClip[e], b = convexClip[(e + 1) % m];
    auto side = [&](Vec p) { return orient * cross(b - a, p - a); };
    Polyline in = std::move(out);
    out.clear();
    for (size_t i = 0; i < in.size(); ++i) {
      const Vec p = in[i], q = in[(i + 1) % in.size()];
      const double sp = side(p), sq = side(q);
      if (sp >= 0) out.push_back(p);
      if ((sp >= 0) != (sq >= 0)) out.push_back(lerp(p, q, sp / (sp - sq)));
    }
  }
  return out;
}

std::vector<Polyline> clipPolyline(const Polyline& line, double step,
                                   const std::function<bool(Vec)>& inside) {
  std::vector<Polyline> runs;
  Polyline cur;
  auto boundary = [&](Vec in, Vec out) {
    for (int k = 0; k < 12; ++k) {
      const Vec mid = lerp(in, out, 0.5);
      if (inside(mid))
        in = mid;
      else
        out = mid;
      if (distance(in, out) < 0.2) break;
    }
    return in;
  };
  if (line.empty()) return runs;
  bool wasIn = inside(line[0]);
  if (wasIn) cur.push_back(line[0]);
  for (size_t i = 1; i < line.size(); ++i) {
    const Vec a = line[i - 1], b = line[i];
    const int steps = std::max(1, static_cast<int>(std::ceil(distance(a, b) / step)));
    Vec prev = a;
    for (int k = 1; k <= steps; ++k) {
      const Vec p = k == steps ? b : lerp(a, b, static_cast<double>(k) / steps);
      const bool in = inside(p);
      if (in != wasIn) {
        if (in) {
          cur.push_back(boundary(p, prev));
        } else {
          cur.push_back(boundary(prev, p));
          if (cur.size() >= 2) runs.push_back(std::move(cur));
          cur.clear();
        }
        wasIn = in;
      }
      prev = p;
    }
    if (wasIn) cur.push_back(b);
  }
  if (wasIn && cur.size() >= 2) runs.push_back(std::move(cur));
  // Drop the repeated points that a boundary next to a vertex can leave.
  for (Polyline& run : runs) {
    Polyline clean;
    for (const Vec& p : run)
      if (clean.empty() || distance(clean.back(), p) > 0.05) clean.push_back(p);
    run = std::move(clean);
  }
  std::erase_if(runs, [](const Polyline& r) { return r.size() < 2; });
  return runs;
}

std::vector<Polyline> clipLine(const Polyline& line, const Bounds& box) {
  std::vector<Polyline> parts;
  Polyline current;
  auto flush = [&] {
    if (current.size() >= 2) parts.push_back(current);
    current.clear();
  };
  for (size_t i = 1; i < line.size(); ++i) {
    const Vec a = line[i - 1], b = line[i];
    // Liang–Barsky: the parameter range of the segment inside the box.
    double t0 = 0, t1 = 1;
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x - box.xMin, box.xMax - a.x, a.y - box.yMin, box.yMax - a.y};
    bool inside = true;
    for (int k = 0; k < 4 && inside; ++k) {
      if (p[k] == 0) {
        if (q[k] < 0) inside = false;
      } else {
        const double r = q[k] / p[k];
        if (p[k] < 0) {
          t0 = std::max(t0, r);
        } else {
          t1 = std::min(t1, r);
        }
        if (t0 > t1) inside = false;
      }
    }
    if (!inside) {
      flush();
      continue;
    }
    const Vec from{a.x + t0 * dx, a.y + t0 * dy};
    const Vec to{a.x + t1 * dx, a.y + t1 * dy};
    if (current.empty() || !(current.back() == from)) {
      flush();
      current.push_back(from);
    }
    current.push_back(to);
    if (t1 < 1) flush();
  }
  flush();
  return parts;
}

Polyline clipRing(const Polyline& ring, const Bounds& box) {
  Polyline out = openRing(ring);
  // One box edge at a time: keep the side where keep(p) holds.
  auto cut = [&out](auto keep, auto cross) {
    if (out.empty()) return;
    Polyline next;
    for (size_t i = 0; i < out.size(); ++i) {
      const Vec a = out[i], b = out[(i + 1) % out.size()];
      const bool ka = keep(a), kb = keep(b);
      if (ka) next.push_back(a);
      if (ka != kb) next.push_back(cross(a, b));
    }
    out.swap(next);
  };
  auto atX = [](Vec a, Vec b, double x) {
    return Vec{x, a.y + (b.y - a.y) * (x - a.x) / (b.x - a.x)};
  };
  auto atY = [](Vec a, Vec b, double y) {
    return Vec{a.x + (b.x - a.x) * (y - a.y) / (b.y - a.y), y};
  };
  cut([&](Vec p) { return p.x >= box.xMin; }, [&](Vec a, Vec b) { return atX(a, b, box.xMin); });
  cut([&](Vec p) { return p.x <= box.xMax; }, [&](Vec a, Vec b) { return atX(a, b, box.xMax); });
  cut([&](Vec p) { return p.y >= box.yMin; }, [&](Vec a, Vec b) { return atY(a, b, box.yMin); });
  cut([&](Vec p) { return p.y <= box.yMax; }, [&](Vec a, Vec b) { return atY(a, b, box.yMax); });
  out = openRing(out);
  if (out.size() < 3) out.clear();
  return out;
}

Vec Box::corner(int i) const {
  const Vec n = leftNormal(axis);
  const double sl = (i == 0 || i == 3) ? -halfLength : halfLength;
  const double sw = (i == 0 || i == 1) ? -halfWidth : halfWidth;
  return centre + axis * sl + n * sw;
}

namespace {

bool separated(const Box& a, const Box& b, Vec axis) {
  double minA = 1e300, maxA = -1e300, minB = 1e300, maxB = -1e300;
  for (int i = 0; i < 4; ++i) {
    const double pa = dot(a.corner(i), axis), pb = dot(b.corner(i), axis);
    minA = std::min(minA, pa), maxA = std::max(maxA, pa);
    minB = std::min(minB, pb), maxB = std::max(maxB, pb);
  }
  return maxA <= minB || maxB <= minA;
}

}  // namespace

bool boxesOverlap(const Box& a, const Box& b) {
  if (distance(a.centre, b.centre) > a.halfLength + a.halfWidth + b.halfLength + b.halfWidth)
    return false;
  return !(separated(a, b, a.axis) || separated(a, b, leftNormal(a.axis)) ||
           separated(a, b, b.axis) || separated(a, b, leftNormal(b.axis)));
}

double boxSegmentDistance(const Box& box, Vec a, Vec b) {
  Polyline corners;
  for (int i = 0; i < 4; ++i) corners.push_back(box.corner(i));
  if (pointInPolygon(corners, a) || pointInPolygon(corners, b)) return 0;
  double best = 1e300;
  for (int i = 0; i < 4; ++i) {
    const Vec c = corners[i], d = corners[(i + 1) % 4];
    if (segmentCrossing(a, b, c, d, nullptr, nullptr)) return 0;
    best = std::min(
        {best, distanceToSegment(c, a, b), distanceToSegment(a, c, d), distanceToSegment(b, c, d)});
  }
  return best;
}

}  // namespace tikhomap
