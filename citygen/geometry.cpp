#include "citygen/geometry.h"

#include <algorithm>

namespace tikhomap::citygen {

double distanceToSegment(Vec p, Vec a, Vec b, double* t) {
  const Vec d = b - a;
  const double len2 = dot(d, d);
  double k = len2 > 0 ? dot(p - a, d) / len2 : 0;
  k = std::clamp(k, 0.0, 1.0);
  if (t) *t = k;
  return distance(p, a + d * k);
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

double polygonArea(const Polyline& polygon) {
  double sum = 0;
  const size_t n = polygon.size();
  for (size_t i = 0, j = n - 1; i < n; j = i++) sum += cross(polygon[j], polygon[i]);
  return sum * 0.5;
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

static void simplifyRange(const Polyline& line, size_t a, size_t b, double tol,
                          std::vector<char>& keep) {
  if (b <= a + 1) return;
  double best = -1;
  size_t index = a;
  for (size_t i = a + 1; i < b; ++i) {
    const double d = distanceToSegment(line[i], line[a], line[b]);
    if (d > best) best = d, index = i;
  }
  if (best > tol) {
    keep[index] = 1;
    simplifyRange(line, a, index, tol, keep);
    simplifyRange(line, index, b, tol, keep);
  }
}

Polyline simplify(const Polyline& line, double tolerance) {
  if (line.size() < 3) return line;
  std::vector<char> keep(line.size(), 0);
  keep.front() = keep.back() = 1;
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

Polyline clipToConvex(const Polyline& subject, const Polyline& convexClip) {
  Polyline out = subject;
  const double orient = polygonArea(convexClip) >= 0 ? 1.0 : -1.0;
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

Vec Box::corner(int i) const {
  const Vec n = leftNormal(axis);
  const double sl = (i == 0 || i == 3) ? -halfLength : halfLength;
  const double sw = (i == 0 || i == 1) ? -halfWidth : halfWidth;
  return centre + axis * sl + n * sw;
}

static bool separated(const Box& a, const Box& b, Vec axis) {
  double minA = 1e300, maxA = -1e300, minB = 1e300, maxB = -1e300;
  for (int i = 0; i < 4; ++i) {
    const double pa = dot(a.corner(i), axis), pb = dot(b.corner(i), axis);
    minA = std::min(minA, pa), maxA = std::max(maxA, pa);
    minB = std::min(minB, pb), maxB = std::max(maxB, pb);
  }
  return maxA <= minB || maxB <= minA;
}

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

}  // namespace tikhomap::citygen
