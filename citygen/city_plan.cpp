#include "citygen/city_plan.h"

#include <algorithm>
#include <cmath>

namespace tikhomap::citygen {

namespace {

constexpr double kPi = 3.14159265358979323846;

// The coast in the metre grid of the default city, land on the left of the
// direction of travel: the mainland along the north and east edges, the
// peninsula reaching south-west between the western bay (north-west) and the
// eastern bay (south-east). `rough` = 0 keeps a stretch straight (the map
// edge, the harbour quays).
struct CoastPoint {
  double x, y, rough;
};
const CoastPoint kCoast[] = {
    {24400, 24400, 0},    {24400, 11800, 0.2},  {23000, 11200, 0.24}, {21600, 10300, 0.24},
    {20300, 10800, 0.22}, {19000, 9600, 0.24},  {17600, 9000, 0.24},  {16300, 7600, 0.22},
    {15000, 7000, 0.24},  {13700, 6100, 0.22},  {12400, 5100, 0.24},  {11100, 4700, 0.22},
    {9900, 3900, 0.24},   {8600, 3300, 0.24},   {7300, 3500, 0.22},   {6100, 2700, 0.24},
    {4800, 2600, 0.22},   {3600, 3100, 0.24},   {2600, 4300, 0.22},   {2300, 5900, 0.24},
    {2700, 7400, 0.22},   {3300, 8700, 0.2},    {4200, 9900, -1},     {5600, 11800, 0.2},
    {6900, 13100, 0.24},  {7900, 14000, 0.22},  {9200, 15400, 0.24},  {10300, 16400, 0.22},
    {11500, 17600, 0.24}, {12600, 18600, 0.22}, {13900, 20300, 0.24}, {14700, 22000, 0.2},
    {15400, 24400, 0},
};

void displace(Vec a, Vec b, double rough, double minLength, CityRandom& rng, Polyline& out) {
  const double len = distance(a, b);
  if (rough <= 0 || len < minLength) {
    out.push_back(b);
    return;
  }
  const Vec mid =
      lerp(a, b, 0.5) + leftNormal(normalized(b - a)) * (rng.uniform(-1, 1) * rough * len);
  displace(a, mid, rough * 1.02, minLength, rng, out);
  displace(mid, b, rough * 1.02, minLength, rng, out);
}

Polyline halfPlaneClip(const Polyline& poly, Vec a, Vec b) {
  // Keeps the side of the line through a, b where points are nearer to a.
  const Vec mid = lerp(a, b, 0.5), dir = b - a;
  Polyline out;
  for (size_t i = 0; i < poly.size(); ++i) {
    const Vec p = poly[i], q = poly[(i + 1) % poly.size()];
    const double sp = -dot(p - mid, dir), sq = -dot(q - mid, dir);
    if (sp >= 0) out.push_back(p);
    if ((sp >= 0) != (sq >= 0)) out.push_back(lerp(p, q, sp / (sp - sq)));
  }
  return out;
}

}  // namespace

CityPlan makePlan(const CityOptions& options) {
  CityPlan plan;
  plan.size = options.size;
  plan.scale = options.size == CitySize::Tiny ? 0.25 : options.size == CitySize::Huge ? 2.3 : 1.0;
  plan.density = options.size == CitySize::Large || options.size == CitySize::Huge ? 1.45 : 1.0;
  plan.extent = 24000 * plan.scale;
  plan.centre = plan.at(11800, 10700);
  plan.hill = plan.at(9700, 6100);
  const double d = 1.25 / std::sqrt(plan.density);
  // Seeds: the five districts, then the land outside the city.
  struct DistrictSeed {
    double x, y;
    int district;
    StreetPattern pattern;
  };
  const DistrictSeed seeds[] = {
      {16400, 12900, 1, {0.85, 230, 330, 25, false}},
      {11800, 10700, 2, {0.70, 170, 240, 0, false}},
      {6800, 8700, 3, {0.45, 220, 320, 30, false}},
      {11300, 15700, 4, {0.95, 240, 340, 35, false}},
      {9800, 6300, 5, {0, 190, 0, 0, true}},
      {21500, 20500, 0, {0, 0, 0, 0, false}},
      {3600, 4300, 0, {0, 0, 0, 0, false}},
  };
  for (const DistrictSeed& s : seeds) {
    plan.seeds.push_back({plan.at(s.x, s.y), s.district});
    StreetPattern p = s.pattern;
    p.spacingA *= d;
    p.spacingB *= d;
    p.warp *= plan.scale;
    plan.patterns.push_back(p);
  }
  const double cell = 10;
  plan.raster.init(plan.extent + 500 * plan.scale, plan.extent + 500 * plan.scale, cell);
  (void)kPi;
  return plan;
}

void buildCoast(CityPlan& plan, CityRandom rng) {
  const size_t n = std::size(kCoast);
  for (int attempt = 0; attempt < 12; ++attempt) {
    CityRandom local = rng.fork(static_cast<uint64_t>(attempt) + 1);
    const double damp = 1.0 - 0.06 * attempt;
    Polyline coast;
    for (size_t i = 0; i < n; ++i) {
      const CoastPoint& a = kCoast[i];
      const CoastPoint& b = kCoast[(i + 1) % n];
      if (coast.empty()) coast.push_back(plan.at(a.x, a.y));
      if (a.rough < 0) {
        // The harbour: a basin cut square into the shore, a pier down its
        // middle, quays without noise.
        const Vec from = plan.at(a.x, a.y), to = plan.at(b.x, b.y);
        const Vec along = normalized(to - from), inland = leftNormal(along);
        const double w = 900 * plan.scale, d = 750 * plan.scale, pier = 45 * plan.scale;
        const double s0 = distance(from, to) * 0.3;
        const double basin[][2] = {{s0, 0},
                                   {s0, d},
                                   {s0 + w / 2 - pier, d},
                                   {s0 + w / 2 - pier, d * 0.35},
                                   {s0 + w / 2 + pier, d * 0.35},
                                   {s0 + w / 2 + pier, d},
                                   {s0 + w, d},
                                   {s0 + w, 0}};
        displace(from, from + along * s0, 0.2 * damp, 14.0, local, coast);
        for (const auto& q : basin) coast.push_back(from + along * q[0] + inland * q[1]);
        displace(coast.back(), to, 0.2 * damp, 14.0, local, coast);
        plan.harbour = from + along * (s0 + w / 2) + inland * (d * 0.5);
        continue;
      }
      displace(plan.at(a.x, a.y), plan.at(b.x, b.y), a.rough * damp, 14.0, local, coast);
    }
    coast.pop_back();  // the walk ends where it started
    // Whole metres, as the outline is stored; neighbours that merge go.
    Polyline rounded;
    for (const Vec& p : coast) {
      const Vec q{std::round(std::clamp(p.x, 0.0, 65535.0)),
                  std::round(std::clamp(p.y, 0.0, 65535.0))};
      if (rounded.empty() || !(rounded.back() == q)) rounded.push_back(q);
    }
    if (rounded.front() == rounded.back()) rounded.pop_back();
    if (polygonIsSimple(rounded) || attempt == 11) {
      plan.coast = std::move(rounded);
      break;
    }
  }
  plan.raster.fillPolygon(plan.coast, kLand);
}

void buildZones(CityPlan& plan) {
  const double big = plan.extent * 3;
  for (size_t i = 0; i < plan.seeds.size(); ++i) {
    Polyline cell = {{-big, -big}, {big, -big}, {big, big}, {-big, big}};
    for (size_t j = 0; j < plan.seeds.size(); ++j)
      if (j != i) cell = halfPlaneClip(cell, plan.seeds[i].at, plan.seeds[j].at);
    plan.zoneCells.push_back(std::move(cell));
  }
  SiteRaster& r = plan.raster;
  for (int row = 0; row < r.rows; ++row)
    for (int col = 0; col < r.cols; ++col) {
      const Vec p{(row + 0.5) * r.cell, (col + 0.5) * r.cell};
      size_t best = 0;
      double bestD = 1e300;
      for (size_t i = 0; i < plan.seeds.size(); ++i) {
        const Vec d = p - plan.seeds[i].at;
        const double dd = dot(d, d);
        if (dd < bestD) bestD = dd, best = i;
      }
      r.zone[r.index(row, col)] = static_cast<uint8_t>(best);
    }
}

}  // namespace tikhomap::citygen
