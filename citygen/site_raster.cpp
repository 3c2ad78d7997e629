#include "citygen/site_raster.h"

#include <algorithm>
#include <unordered_map>

namespace tikhomap::citygen {

void SiteRaster::init(double extentX, double extentY, double cellSize) {
  cell = cellSize;
  rows = static_cast<int>(extentX / cell) + 1;
  cols = static_cast<int>(extentY / cell) + 1;
  use.assign(static_cast<size_t>(rows) * cols, kSea);
  zone.assign(use.size(), 0);
  waterDist.assign(use.size(), 0);
  bridge.assign(use.size(), 0);
}

bool SiteRaster::bridgeAt(Vec p) const {
  const int r = rowOf(p.x), c = colOf(p.y);
  if (p.x < 0 || p.y < 0 || !valid(r, c)) return false;
  return bridge[index(r, c)] != 0;
}

uint8_t SiteRaster::useAt(Vec p) const {
  const int r = rowOf(p.x), c = colOf(p.y);
  if (p.x < 0 || p.y < 0 || !valid(r, c)) return kSea;
  return use[index(r, c)];
}

uint8_t SiteRaster::zoneAt(Vec p) const {
  const int r = std::clamp(rowOf(p.x), 0, rows - 1), c = std::clamp(colOf(p.y), 0, cols - 1);
  return zone[index(r, c)];
}

double SiteRaster::waterDistanceAt(Vec p) const {
  const int r = rowOf(p.x), c = colOf(p.y);
  if (p.x < 0 || p.y < 0 || !valid(r, c)) return 0;
  return waterDist[index(r, c)];
}

void SiteRaster::fillPolygon(const Polyline& polygon, uint8_t value, int onlyOver) {
  if (onlyOver < 0) {
    fillMask(polygon, use, value);
    return;
  }
  std::vector<uint8_t> mask(use.size(), 0);
  fillMask(polygon, mask, 1);
  for (size_t i = 0; i < use.size(); ++i)
    if (mask[i] && use[i] == onlyOver) use[i] = value;
}

void SiteRaster::fillMask(const Polyline& polygon, std::vector<uint8_t>& target, uint8_t value) {
  const size_t n = polygon.size();
  if (n < 3) return;
  std::vector<std::vector<double>> crossings(static_cast<size_t>(rows));
  for (size_t i = 0; i < n; ++i) {
    const Vec a = polygon[i], b = polygon[(i + 1) % n];
    if (a.x == b.x) continue;
    const double lo = std::min(a.x, b.x), hi = std::max(a.x, b.x);
    int r0 = std::max(0, static_cast<int>(std::ceil(lo / cell - 0.5)));
    const int r1 = std::min(rows - 1, static_cast<int>(std::floor(hi / cell - 0.5)));
    for (int r = r0; r <= r1; ++r) {
      const double x = (r + 0.5) * cell;
      if (x < lo || x >= hi) continue;
      crossings[static_cast<size_t>(r)].push_back(a.y + (x - a.x) * (b.y - a.y) / (b.x - a.x));
    }
  }
  for (int r = 0; r < rows; ++r) {
    auto& ys = crossings[static_cast<size_t>(r)];
    std::sort(ys.begin(), ys.end());
    for (size_t k = 0; k + 1 < ys.size(); k += 2) {
      const int c0 = std::max(0, static_cast<int>(std::ceil(ys[k] / cell - 0.5)));
      const int c1 = std::min(cols - 1, static_cast<int>(std::floor(ys[k + 1] / cell - 0.5)));
      for (int c = c0; c <= c1; ++c) target[index(r, c)] = value;
    }
  }
}

void SiteRaster::computeWaterDistance() {
  const int orth = static_cast<int>(cell), diag = static_cast<int>(cell * 1.41421356);
  std::vector<int> d(use.size());
  for (size_t i = 0; i < use.size(); ++i)
    d[i] = (use[i] == kSea || use[i] == kInlandWater) ? 0 : 1 << 28;
  auto relax = [&](int r, int c, int dr, int dc, int w) {
    if (!valid(r + dr, c + dc)) return;
    int& cur = d[index(r, c)];
    cur = std::min(cur, d[index(r + dr, c + dc)] + w);
  };
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c) {
      relax(r, c, -1, 0, orth), relax(r, c, 0, -1, orth);
      relax(r, c, -1, -1, diag), relax(r, c, -1, 1, diag);
    }
  for (int r = rows - 1; r >= 0; --r)
    for (int c = cols - 1; c >= 0; --c) {
      relax(r, c, 1, 0, orth), relax(r, c, 0, 1, orth);
      relax(r, c, 1, 1, diag), relax(r, c, 1, -1, diag);
    }
  for (size_t i = 0; i < use.size(); ++i)
    waterDist[i] = static_cast<uint16_t>(std::min(d[i], 65535));
}

std::vector<Polyline> SiteRaster::waterDistanceContours(double level) const {
  auto value = [&](int r, int c) { return static_cast<double>(waterDist[index(r, c)]); };
  auto centre = [&](int r, int c) { return Vec{(r + 0.5) * cell, (c + 0.5) * cell}; };
  // Edge ids: 2k for the edge from centre k to its east neighbour, 2k+1 to
  // its north neighbour.
  auto edgePoint = [&](int64_t id) {
    const int64_t k = id / 2;
    const int r = static_cast<int>(k / cols), c = static_cast<int>(k % cols);
    const int r2 = (id & 1) ? r + 1 : r, c2 = (id & 1) ? c : c + 1;
    const double a = value(r, c), b = value(r2, c2);
    const double t = (a == b) ? 0.5 : std::clamp((level - a) / (b - a), 0.0, 1.0);
    return lerp(centre(r, c), centre(r2, c2), t);
  };
  std::vector<std::pair<int64_t, int64_t>> segments;
  for (int r = 0; r + 1 < rows; ++r)
    for (int c = 0; c + 1 < cols; ++c) {
      const bool b0 = value(r, c) >= level, b1 = value(r, c + 1) >= level;
      const bool b2 = value(r + 1, c + 1) >= level, b3 = value(r + 1, c) >= level;
      const int mask = b0 | (b1 << 1) | (b2 << 2) | (b3 << 3);
      if (mask == 0 || mask == 15) continue;
      const int64_t k = static_cast<int64_t>(r) * cols + c;
      const int64_t south = 2 * k, west = 2 * k + 1;
      const int64_t north = 2 * (k + cols), east = 2 * (k + 1) + 1;
      auto add = [&](int64_t e1, int64_t e2) { segments.push_back({e1, e2}); };
      switch (mask) {
        case 1:
        case 14:
          add(west, south);
          break;
        case 2:
        case 13:
          add(south, east);
          break;
        case 3:
        case 12:
          add(west, east);
          break;
        case 4:
        case 11:
          add(east, north);
          break;
        case 6:
        case 9:
          add(south, north);
          break;
        case 7:
        case 8:
          add(west, north);
          break;
        case 5:
          add(west, south), add(east, north);
          break;
        case 10:
          add(south, east), add(west, north);
          break;
        default:
          break;
      }
    }
  std::unordered_map<int64_t, std::vector<size_t>> byEdge;
  byEdge.reserve(segments.size() * 2);
  for (size_t i = 0; i < segments.size(); ++i) {
    byEdge[segments[i].first].push_back(i);
    byEdge[segments[i].second].push_back(i);
  }
  std::vector<char> used(segments.size(), 0);
  std::vector<Polyline> out;
  auto other = [&](size_t seg, int64_t edge) {
    return segments[seg].first == edge ? segments[seg].second : segments[seg].first;
  };
  auto nextSeg = [&](int64_t edge, size_t from) -> long {
    for (size_t s : byEdge[edge])
      if (s != from && !used[s]) return static_cast<long>(s);
    return -1;
  };
  for (size_t start = 0; start < segments.size(); ++start) {
    if (used[start]) continue;
    used[start] = 1;
    std::vector<int64_t> chain = {segments[start].first, segments[start].second};
    for (int dir = 0; dir < 2; ++dir) {
      size_t seg = start;
      int64_t edge = chain.back();
      for (;;) {
        const long n = nextSeg(edge, seg);
        if (n < 0) break;
        seg = static_cast<size_t>(n);
        used[seg] = 1;
        edge = other(seg, edge);
        chain.push_back(edge);
      }
      std::reverse(chain.begin(), chain.end());
    }
    Polyline line;
    for (int64_t e : chain) line.push_back(edgePoint(e));
    out.push_back(std::move(line));
  }
  return out;
}

}  // namespace tikhomap::citygen
