#include "tools/insolation.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace tikhomap {
namespace {

constexpr double kRad = std::numbers::pi / 180.0;
constexpr double kDeg = 180.0 / std::numbers::pi;
// Rays longer than this are not followed (a 600 m tower at 7° of sun).
constexpr double kMaxReach = 5000;
// Stretches shorter than this, or ending nearer than this ahead of the
// start, only touch a footprint.
constexpr double kTouch = 1e-6;
// Cells per side at most, however large the city.
constexpr double kMaxCellsPerSide = 1024;

double storeys(const Building& b) {
  return std::clamp<int>(b.floors, 0, kMaxStoreys);
}

// The outline's vertex i, wrapping around.
const MapPoint& vertex(const Building& b, std::size_t i) {
  return b.outline[i % b.outline.size()];
}

SunlitTime summarise(const std::vector<bool>& lit, const std::vector<SunTrackPoint>& track) {
  SunlitTime t;
  int run = 0;
  for (std::size_t i = 0; i < lit.size(); ++i) {
    if (!lit[i]) {
      run = 0;
      continue;
    }
    t.minutes += kSunStepMinutes;
    run += kSunStepMinutes;
    t.longest = std::max(t.longest, run);
    if (t.first < 0) t.first = track[i].minute;
    t.last = track[i].minute;
  }
  return t;
}

}  // namespace

BuildingBlocks::BuildingBlocks(const MapData& map) : map_(map) {
  const auto& buildings = map.buildings;
  heights_.resize(buildings.size());
  seen_.assign(buildings.size(), 0);
  double xMin = std::numeric_limits<double>::max(), yMin = xMin;
  double xMax = std::numeric_limits<double>::lowest(), yMax = xMax;
  for (std::size_t i = 0; i < buildings.size(); ++i) {
    heights_[i] = storeys(buildings[i]) * kPhysicalStoreyHeight;
    tallest_ = std::max(tallest_, heights_[i]);
    if (buildings[i].outline.empty()) continue;
    const MapBounds& b = buildings[i].bounds;
    xMin = std::min<double>(xMin, b.xMin);
    yMin = std::min<double>(yMin, b.yMin);
    xMax = std::max<double>(xMax, b.xMax);
    yMax = std::max<double>(yMax, b.yMax);
  }
  if (xMax < xMin) return;  // no outlines at all
  x0_ = xMin;
  y0_ = yMin;
  cell_ = std::max({32.0, (xMax - xMin) / kMaxCellsPerSide, (yMax - yMin) / kMaxCellsPerSide});
  rows_ = static_cast<int>((xMax - xMin) / cell_) + 1;
  columns_ = static_cast<int>((yMax - yMin) / cell_) + 1;
  cells_.resize(static_cast<std::size_t>(rows_) * static_cast<std::size_t>(columns_));
  cellHeight_.assign(cells_.size(), 0);
  for (std::size_t i = 0; i < buildings.size(); ++i) {
    const Building& b = buildings[i];
    if (b.outline.size() < 3 || heights_[i] <= 0) continue;
    const int r0 = static_cast<int>((b.bounds.xMin - x0_) / cell_);
    const int r1 = static_cast<int>((b.bounds.xMax - x0_) / cell_);
    const int c0 = static_cast<int>((b.bounds.yMin - y0_) / cell_);
    const int c1 = static_cast<int>((b.bounds.yMax - y0_) / cell_);
    for (int r = std::max(r0, 0); r <= std::min(r1, rows_ - 1); ++r) {
      for (int c = std::max(c0, 0); c <= std::min(c1, columns_ - 1); ++c) {
        const std::size_t cell = static_cast<std::size_t>(r) * columns_ + c;
        cells_[cell].push_back(static_cast<int32_t>(i));
        cellHeight_[cell] = std::max(cellHeight_[cell], heights_[i]);
      }
    }
  }
}

template <typename Visit>
void BuildingBlocks::walkCells(double x, double y, double dx, double dy, double reach,
                               Visit&& visit) const {
  if (cells_.empty()) return;
  // Cell walk along the ray (Amanatides and Woo): the next row or column
  // boundary crossed is the nearer of the two.
  double fx = (x - x0_) / cell_;
  double fy = (y - y0_) / cell_;
  int r = static_cast<int>(std::floor(fx));
  int c = static_cast<int>(std::floor(fy));
  const int stepR = dx > 0 ? 1 : -1;
  const int stepC = dy > 0 ? 1 : -1;
  const double inf = std::numeric_limits<double>::infinity();
  const double tDeltaR = dx != 0 ? cell_ / std::abs(dx) : inf;
  const double tDeltaC = dy != 0 ? cell_ / std::abs(dy) : inf;
  double tMaxR = dx > 0 ? (r + 1 - fx) * cell_ / dx : dx < 0 ? (fx - r) * cell_ / -dx : inf;
  double tMaxC = dy > 0 ? (c + 1 - fy) * cell_ / dy : dy < 0 ? (fy - c) * cell_ / -dy : inf;
  double s = 0;
  const int maxSteps = rows_ + columns_ + 4;
  for (int step = 0; step < maxSteps && s <= reach; ++step) {
    if (r >= 0 && r < rows_ && c >= 0 && c < columns_) {
      if (!visit(static_cast<std::size_t>(r) * columns_ + c, s)) return;
    } else if ((r < 0 && stepR < 0) || (r >= rows_ && stepR > 0) || (c < 0 && stepC < 0) ||
               (c >= columns_ && stepC > 0)) {
      return;  // outside and moving away
    }
    if (tMaxR < tMaxC) {
      s = tMaxR;
      tMaxR += tDeltaR;
      r += stepR;
    } else {
      s = tMaxC;
      tMaxC += tDeltaC;
      c += stepC;
    }
  }
}

void BuildingBlocks::crossings(int32_t row, double x, double y, double dx, double dy,
                               std::vector<double>& out) const {
  out.clear();
  const Building& b = map_.buildings[static_cast<std::size_t>(row)];
  const std::size_t n = b.outline.size();
  // Which side of the ray's line a vertex lies on. A vertex on the line
  // counts as lying on the negative side, as if the ray ran an infinitely
  // small distance to the positive side: each vertex is counted once, a
  // grazed corner gives two equal crossings, and of two blocks that share a
  // wall along the ray exactly one stands over it.
  const auto side = [&](const MapPoint& v) { return dx * (v.y - y) - dy * (v.x - x); };
  double sa = side(vertex(b, 0));
  for (std::size_t i = 0; i < n; ++i) {
    const MapPoint& a = vertex(b, i);
    const MapPoint& e = vertex(b, i + 1);
    const double se = side(e);
    if ((sa > 0) != (se > 0)) {
      // The crossing point on the edge, exact at a vertex on the line.
      const double t = sa / (sa - se);
      const double cx = a.x + t * (e.x - a.x);
      const double cy = a.y + t * (e.y - a.y);
      out.push_back((cx - x) * dx + (cy - y) * dy);
    }
    sa = se;
  }
  std::sort(out.begin(), out.end());
}

double BuildingBlocks::firstInside(const std::vector<double>& hits) {
  // The crossings of the whole line pair up into the stretches over the
  // footprint; a stretch of no length only touches it.
  for (std::size_t i = 0; i + 1 < hits.size(); i += 2) {
    const double enter = hits[i];
    const double leave = hits[i + 1];
    if (leave - enter <= kTouch || leave <= kTouch) continue;
    return std::max(enter, 0.0);
  }
  return -1;
}

template <typename EnterCell, typename MeetBlock>
void BuildingBlocks::walkBlocks(double x, double y, double z, double dx, double dy, double reach,
                                EnterCell&& enterCell, MeetBlock&& meetBlock) const {
  ++ray_;
  walkCells(x, y, dx, dy, reach, [&](std::size_t cell, double sEnter) {
    const CellStep step = enterCell(cell, sEnter);
    if (step != CellStep::Look) return step == CellStep::Skip;
    for (const int32_t row : cells_[cell]) {
      if (seen_[static_cast<std::size_t>(row)] == ray_) continue;
      seen_[static_cast<std::size_t>(row)] = ray_;
      const double h = heights_[static_cast<std::size_t>(row)];
      if (h <= z) continue;
      crossings(row, x, y, dx, dy, hits_);
      const double first = firstInside(hits_);
      if (first < 0) continue;
      if (!meetBlock(h, first)) return false;
    }
    return true;
  });
}

bool BuildingBlocks::blocked(double x, double y, double z, double dx, double dy,
                             double slope) const {
  if (z >= tallest_) return false;
  const double reach = slope > 0 ? std::min(kMaxReach, (tallest_ - z) / slope) : kMaxReach;
  bool hit = false;
  walkBlocks(
      x, y, z, dx, dy, reach,
      [&](std::size_t cell, double sEnter) {
        const double zEnter = z + sEnter * slope;
        if (zEnter >= tallest_) return CellStep::Stop;
        return zEnter >= cellHeight_[cell] ? CellStep::Skip : CellStep::Look;
      },
      [&](double h, double first) {
        // The ray rises: where it first stands over the footprint it is lowest.
        hit = z + first * slope < h;
        return !hit;
      });
  return hit;
}

double BuildingBlocks::skyline(double x, double y, double z, double dx, double dy,
                               double reach) const {
  double best = 0;
  walkBlocks(
      x, y, z, dx, dy, reach,
      [&](std::size_t cell, double sEnter) {
        if (cellHeight_[cell] <= z) return CellStep::Skip;
        // Nothing farther can rise above what is already seen.
        if (sEnter > 0 && std::atan2(tallest_ - z, sEnter) * kDeg <= best) return CellStep::Stop;
        return CellStep::Look;
      },
      [&](double h, double first) {
        if (first <= reach)
          best = std::max(best, first <= 0 ? 90.0 : std::atan2(h - z, first) * kDeg);
        return true;
      });
  return best;
}

FacadePoint facadePoint(const Building& b, int32_t edge) {
  FacadePoint p;
  const std::size_t n = b.outline.size();
  if (n < 3 || edge < 0) return p;
  // Orientation of the outline in the east-north plane.
  double area2 = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const MapPoint& a = vertex(b, i);
    const MapPoint& c = vertex(b, i + 1);
    area2 += static_cast<double>(a.y) * c.x - static_cast<double>(c.y) * a.x;
  }
  const MapPoint& a = vertex(b, static_cast<std::size_t>(edge));
  const MapPoint& c = vertex(b, static_cast<std::size_t>(edge) + 1);
  const double dN = c.x - a.x;
  const double dE = c.y - a.y;
  const double length = std::hypot(dN, dE);
  if (length <= 0) return p;
  // Counter-clockwise: the inside lies to the left, outward is the right.
  const double sign = area2 > 0 ? 1.0 : -1.0;
  p.ny = sign * dN / length;   // east component
  p.nx = -sign * dE / length;  // north component
  p.x = (a.x + c.x) / 2.0 + p.nx * kSampleOffset;
  p.y = (a.y + c.y) / 2.0 + p.ny * kSampleOffset;
  return p;
}

std::vector<SunTrackPoint> sunTrack(const CivilDate& date, const SunPlace& place, SunDay& day) {
  std::vector<SunTrackPoint> track;
  if (date.year < kFirstSunYear || date.year > kLastSunYear || !validDate(date)) {
    day = SunDay::OutOfRange;
    return track;
  }
  const int64_t localMidnight = daysFromCivil(date) * 86400;
  bool anyUp = false;
  bool anyDown = false;
  for (int minute = 0; minute < 24 * 60; minute += kSunStepMinutes) {
    const int64_t utc = place.zone.utcFromLocal(localMidnight + minute * 60);
    const SunPosition sun = sunPosition(static_cast<double>(utc), place.latitude, place.longitude);
    double azimuth = std::fmod(sun.azimuth - place.gridConvergence, 360.0);
    if (azimuth < 0) azimuth += 360.0;
    track.push_back({minute, azimuth, sun.elevation});
    (sun.elevation > 0 ? anyUp : anyDown) = true;
  }
  day = !anyDown ? SunDay::PolarDay : !anyUp ? SunDay::PolarNight : SunDay::Ordinary;
  return track;
}

Insolation insolation(const BuildingBlocks& blocks, int32_t building, const CivilDate& date,
                      const SunPlace& place) {
  Insolation out;
  out.track = sunTrack(date, place, out.day);
  const MapData& map = blocks.map();
  if (out.day == SunDay::OutOfRange || building < 0 ||
      building >= static_cast<int32_t>(map.buildings.size())) {
    return out;
  }
  const Building& b = map.buildings[static_cast<std::size_t>(building)];
  const double floors = storeys(b);
  if (b.outline.size() < 3 || floors <= 0) return out;
  const double heights[2] = {kPhysicalStoreyHeight / 2, (floors - 0.5) * kPhysicalStoreyHeight};
  const double grazing = std::cos(kGrazingIncidence * kRad);
  std::vector<bool> lit[2];
  for (std::size_t edge = 0; edge < b.outline.size(); ++edge) {
    const MapPoint& a = vertex(b, edge);
    const MapPoint& c = vertex(b, edge + 1);
    const double length = std::hypot(c.x - a.x, c.y - a.y);
    if (length <= 0) continue;
    const FacadePoint p = facadePoint(b, static_cast<int32_t>(edge));
    FacadeSun f;
    f.edge = static_cast<int32_t>(edge);
    f.length = length;
    f.facing = std::fmod(std::atan2(p.ny, p.nx) * kDeg + 360.0, 360.0);
    for (int level = 0; level < 2; ++level) lit[level].assign(out.track.size(), false);
    for (std::size_t i = 0; i < out.track.size(); ++i) {
      const SunTrackPoint& sun = out.track[i];
      if (sun.elevation <= 0) continue;
      const double el = sun.elevation * kRad;
      const double az = sun.azimuth * kRad;
      const double dx = std::cos(az);
      const double dy = std::sin(az);
      // Incidence on the wall: the angle between its normal and the sun.
      if (std::cos(el) * (dx * p.nx + dy * p.ny) <= grazing) continue;
      const double slope = std::tan(el);
      for (int level = 0; level < 2; ++level) {
        lit[level][i] = !blocks.blocked(p.x, p.y, heights[level], dx, dy, slope);
      }
    }
    f.ground = summarise(lit[0], out.track);
    f.top = summarise(lit[1], out.track);
    out.facades.push_back(f);
  }
  return out;
}

}  // namespace tikhomap
