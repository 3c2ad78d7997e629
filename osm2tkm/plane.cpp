#include "osm2tkm/plane.h"

#include <algorithm>
#include <cmath>

namespace tikhomap::osm {

Box2 boxOf(const Path& points) {
  Box2 b{1e300, 1e300, -1e300, -1e300};
  for (const Vec2& p : points) {
    b.xMin = std::min(b.xMin, p.x), b.yMin = std::min(b.yMin, p.y);
    b.xMax = std::max(b.xMax, p.x), b.yMax = std::max(b.yMax, p.y);
  }
  return b;
}

bool boxesNear(const Box2& a, const Box2& b, double gap) {
  return a.xMin - gap <= b.xMax && b.xMin - gap <= a.xMax && a.yMin - gap <= b.yMax &&
         b.yMin - gap <= a.yMax;
}

std::vector<Path> clipLine(const Path& line, const Box2& box) {
  std::vector<Path> parts;
  Path current;
  auto flush = [&] {
    if (current.size() >= 2) parts.push_back(current);
    current.clear();
  };
  for (size_t i = 1; i < line.size(); ++i) {
    const Vec2 a = line[i - 1], b = line[i];
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
    const Vec2 from{a.x + t0 * dx, a.y + t0 * dy};
    const Vec2 to{a.x + t1 * dx, a.y + t1 * dy};
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

Path clipRing(const Path& ring, const Box2& box) {
  Path out = openRing(ring);
  // One box edge at a time: keep the side where keep(p) holds.
  auto cut = [&out](auto keep, auto cross) {
    if (out.empty()) return;
    Path next;
    for (size_t i = 0; i < out.size(); ++i) {
      const Vec2 a = out[i], b = out[(i + 1) % out.size()];
      const bool ka = keep(a), kb = keep(b);
      if (ka) next.push_back(a);
      if (ka != kb) next.push_back(cross(a, b));
    }
    out.swap(next);
  };
  auto atX = [](Vec2 a, Vec2 b, double x) {
    return Vec2{x, a.y + (b.y - a.y) * (x - a.x) / (b.x - a.x)};
  };
  auto atY = [](Vec2 a, Vec2 b, double y) {
    return Vec2{a.x + (b.x - a.x) * (y - a.y) / (b.y - a.y), y};
  };
  cut([&](Vec2 p) { return p.x >= box.xMin; }, [&](Vec2 a, Vec2 b) { return atX(a, b, box.xMin); });
  cut([&](Vec2 p) { return p.x <= box.xMax; }, [&](Vec2 a, Vec2 b) { return atX(a, b, box.xMax); });
  cut([&](Vec2 p) { return p.y >= box.yMin; }, [&](Vec2 a, Vec2 b) { return atY(a, b, box.yMin); });
  cut([&](Vec2 p) { return p.y <= box.yMax; }, [&](Vec2 a, Vec2 b) { return atY(a, b, box.yMax); });
  out = openRing(out);
  if (out.size() < 3) out.clear();
  return out;
}

namespace {

void simplifyRange(const Path& line, size_t from, size_t to, double tol, std::vector<bool>& keep) {
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

Path simplify(const Path& line, double tolerance) {
  if (line.size() <= 2) return line;
  std::vector<bool> keep(line.size(), false);
  keep.front() = keep.back() = true;
  simplifyRange(line, 0, line.size() - 1, tolerance, keep);
  Path out;
  for (size_t i = 0; i < line.size(); ++i)
    if (keep[i]) out.push_back(line[i]);
  return out;
}

Path openRing(const Path& ring) {
  Path out;
  for (const Vec2& p : ring)
    if (out.empty() || !(out.back() == p)) out.push_back(p);
  while (out.size() >= 2 && out.front() == out.back()) out.pop_back();
  return out;
}

double signedArea(const Path& ring) {
  double s = 0;
  for (size_t i = 0, n = ring.size(); i < n; ++i) {
    const Vec2 a = ring[i], b = ring[(i + 1) % n];
    s += a.y * b.x - b.y * a.x;  // x is north, y east: counter-clockwise on the map is positive
  }
  return s / 2;
}

double pathLength(const Path& line) {
  double s = 0;
  for (size_t i = 1; i < line.size(); ++i)
    s += std::hypot(line[i].x - line[i - 1].x, line[i].y - line[i - 1].y);
  return s;
}

bool insideRing(const Path& ring, Vec2 p) {
  bool in = false;
  for (size_t i = 0, n = ring.size(), j = n - 1; i < n; j = i++) {
    const Vec2 a = ring[i], b = ring[j];
    if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x) in = !in;
  }
  return in;
}

double distanceToSegment(Vec2 p, Vec2 a, Vec2 b) {
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double len2 = dx * dx + dy * dy;
  double t = len2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / len2 : 0;
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

double distanceToRing(const Path& ring, Vec2 p) {
  if (ring.size() >= 3 && insideRing(ring, p)) return 0;
  double best = 1e300;
  for (size_t i = 0, n = ring.size(); i < n; ++i)
    best = std::min(best, distanceToSegment(p, ring[i], ring[(i + 1) % n]));
  return best;
}

double distanceToPath(const Path& line, Vec2 p) {
  if (line.size() == 1) return std::hypot(p.x - line[0].x, p.y - line[0].y);
  double best = 1e300;
  for (size_t i = 1; i < line.size(); ++i)
    best = std::min(best, distanceToSegment(p, line[i - 1], line[i]));
  return best;
}

Vec2 pointAlong(const Path& line, double at) {
  for (size_t i = 1; i < line.size(); ++i) {
    const double seg = std::hypot(line[i].x - line[i - 1].x, line[i].y - line[i - 1].y);
    if (at <= seg && seg > 0) {
      const double t = at / seg;
      return {line[i - 1].x + t * (line[i].x - line[i - 1].x),
              line[i - 1].y + t * (line[i].y - line[i - 1].y)};
    }
    at -= seg;
  }
  return line.empty() ? Vec2{} : line.back();
}

Vec2 interiorPoint(const Path& ring) {
  const Box2 box = boxOf(ring);
  Vec2 best{(box.xMin + box.xMax) / 2, (box.yMin + box.yMax) / 2};
  double bestRun = -1;
  constexpr int kScans = 7;
  for (int k = 1; k <= kScans; ++k) {
    // Scan lines of constant x, spaced through the box, middle first.
    const int order = (k % 2 == 0 ? 1 : -1) * (k / 2);
    const double x = (box.xMin + box.xMax) / 2 + order * (box.xMax - box.xMin) / (kScans + 1);
    std::vector<double> cuts;
    for (size_t i = 0, n = ring.size(); i < n; ++i) {
      const Vec2 a = ring[i], b = ring[(i + 1) % n];
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

Path offsetPath(const Path& line, double by) {
  Path out;
  const size_t n = line.size();
  auto normal = [&](size_t i, size_t j) {
    const double dx = line[j].x - line[i].x, dy = line[j].y - line[i].y;
    const double len = std::hypot(dx, dy);
    return len > 0 ? Vec2{-dy / len, dx / len} : Vec2{0, 0};
  };
  for (size_t i = 0; i < n; ++i) {
    Vec2 n1 = i > 0 ? normal(i - 1, i) : normal(0, std::min<size_t>(1, n - 1));
    Vec2 n2 = i + 1 < n ? normal(i, i + 1) : n1;
    if (i == 0) n1 = n2;
    Vec2 m{n1.x + n2.x, n1.y + n2.y};
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

}  // namespace tikhomap::osm
