#include <algorithm>
#include <cmath>

#include "citygen/buildings.h"
#include "citygen/land_use.h"

namespace tikhomap::citygen {

namespace {

Polyline closedRing(Polyline p) {
  if (!p.empty()) p.push_back(p.front());
  return p;
}

Polyline rectangle(Vec centre, Vec axis, double halfLength, double halfWidth) {
  Box b{centre, axis, halfLength, halfWidth};
  return {b.corner(0), b.corner(1), b.corner(2), b.corner(3)};
}

}  // namespace

void buildIndustry(CityPlan& plan, CityLayers& layers, CityRandom rng) {
  SiteRaster& r = plan.raster;
  struct Site {
    double x, y, radius;
  };
  const Site sites[] = {
      {5300, 13300, 650}, {19800, 17600, 800}, {5200, 7300, 450}, {14600, 20600, 500}};
  for (const Site& s : sites) {
    const double radius = s.radius * plan.scale;
    if (radius < 100) continue;
    Polyline blob = makeBlob(plan.at(s.x, s.y), radius, rng, [&](Vec p) {
      return r.useAt(p) == kLand && r.waterDistanceAt(p) > 25;
    });
    if (blob.empty()) continue;
    r.fillPolygon(blob, kIndustry, kLand);
    layers.areas.push_back({1014, closedRing(blob)});
    layers.lines.push_back({3035, closedRing(blob)});  // the works' fence
  }
  // Sports grounds: a stadium in each district, turned to its streets.
  for (size_t s = 0; s < plan.seeds.size(); ++s) {
    if (plan.seeds[s].district == 0) continue;
    const double a = plan.patterns[s].angle;
    const Vec axis{std::cos(a), std::sin(a)};
    for (int tries = 0; tries < 30; ++tries) {
      const Vec c =
          plan.seeds[s].at + Vec{rng.uniform(-1, 1), rng.uniform(-1, 1)} * (1500 * plan.scale);
      const double hl = 85 * std::max(plan.scale, 0.6), hw = 55 * std::max(plan.scale, 0.6);
      const Polyline field = rectangle(c, axis, hl, hw);
      bool ok = true;
      for (const Vec& p : field) ok = ok && r.useAt(p) == kLand && r.waterDistanceAt(p) > 60;
      if (!ok || r.useAt(c) != kLand) continue;
      r.fillPolygon(field, kOpenGround, kLand);
      layers.areas.push_back({2830, closedRing(field)});
      break;
    }
  }
}

void buildRailway(CityPlan& plan, CityLayers& layers, CityRandom rng) {
  SiteRaster& r = plan.raster;
  const Vec start = plan.at(24400, 22400), station = plan.at(5900, 14600);
  // A gentle curve through the north-east and down the eastern side.
  Polyline coarse = {start, plan.at(19000, 19200), plan.at(12500, 16700), plan.at(8200, 15800),
                     station};
  Polyline line = chaikin(resample(coarse, 200), 3, false);
  (void)rng;
  Polyline kept;
  for (const Vec& p : line) {
    if (r.useAt(p) == kSea) break;
    kept.push_back(p);
  }
  if (kept.size() < 2) return;
  layers.railway = kept;
  layers.lines.push_back({3011, kept});
  layers.station = kept.back();
  layers.hasStation = true;
  // Keep the bed clear of buildings: a band of open ground.
  Polyline left, right;
  for (size_t i = 0; i < kept.size(); ++i) {
    const Vec a = kept[i > 0 ? i - 1 : 0], b = kept[std::min(i + 1, kept.size() - 1)];
    const Vec n = leftNormal(normalized(b - a));
    left.push_back(kept[i] + n * 14.0);
    right.push_back(kept[i] - n * 14.0);
  }
  std::reverse(right.begin(), right.end());
  left.insert(left.end(), right.begin(), right.end());
  r.fillPolygon(left, kOpenGround, kLand);
  r.fillPolygon(left, kOpenGround, kIndustry);
}

void addGroundDetail(const CityPlan& plan, CityLayers& layers,
                     const std::vector<PlacedBuilding>& buildings, CityRandom rng) {
  const SiteRaster& r = plan.raster;
  // Beaches along quiet stretches of the coast.
  const Polyline& coast = plan.coast;
  const size_t n = coast.size();
  int beaches = 0;
  for (int tries = 0; tries < 80 && beaches < 7; ++tries) {
    const size_t start = static_cast<size_t>(rng.range(0, static_cast<int>(n) - 1));
    const size_t len = static_cast<size_t>(rng.range(25, 45));
    Polyline outer, inner;
    bool ok = true;
    for (size_t k = 0; k < len && ok; ++k) {
      const size_t i = (start + k) % n;
      const Vec p = coast[i];
      if (p.x > plan.extent || p.y > plan.extent) ok = false;
      const Vec t = normalized(coast[(i + 6) % n] - coast[(i + n - 6) % n]);
      const double taper = std::sin(3.14159265 * (k + 0.5) / len);
      const Vec q = p + leftNormal(t) * (8 + 30 * taper * std::max(plan.scale, 0.5));
      if (r.useAt(q) != kLand) ok = false;
      outer.push_back(p);
      inner.push_back(q);
    }
    if (!ok) continue;
    std::reverse(inner.begin(), inner.end());
    outer.insert(outer.end(), inner.begin(), inner.end());
    if (!polygonIsSimple(outer)) continue;
    layers.areas.push_back({1010, closedRing(outer)});
    ++beaches;
  }
  // Lawns in the yards of the courtyard blocks.
  for (const PlacedBuilding& b : buildings) {
    if (b.yard.size() != 4) continue;
    const Vec c = lerp(b.yard[0], b.yard[2], 0.5);
    Polyline lawn;
    for (const Vec& p : b.yard) lawn.push_back(lerp(c, p, 0.8));
    if (std::fabs(signedArea(lawn)) > 60) layers.areas.push_back({6614, closedRing(lawn)});
  }
}

}  // namespace tikhomap::citygen
