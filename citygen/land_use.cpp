#include "citygen/land_use.h"

#include <algorithm>
#include <cmath>

namespace tikhomap::citygen {

namespace {

constexpr double kTau = 6.28318530717958647692;

Polyline closed(Polyline p) {
  if (!p.empty()) p.push_back(p.front());
  return p;
}

// A smooth centre line with meanders, sampled every 25 m.
Polyline meander(const Polyline& line, double amplitude, CityRandom& rng) {
  Polyline base = resample(line, 25);
  const double p1 = rng.uniform(0, kTau), p2 = rng.uniform(0, kTau);
  const double w1 = rng.uniform(600, 900), w2 = rng.uniform(200, 300);
  Polyline out;
  double s = 0;
  for (size_t i = 0; i < base.size(); ++i) {
    if (i > 0) s += distance(base[i - 1], base[i]);
    const Vec a = base[i > 0 ? i - 1 : 0], b = base[std::min(i + 1, base.size() - 1)];
    const Vec n = leftNormal(normalized(b - a));
    const double off = amplitude * (std::sin(s / w1 + p1) + 0.35 * std::sin(s / w2 + p2));
    out.push_back(base[i] + n * off);
  }
  return chaikin(out, 1, false);
}

// Outline of a band of the given width around a centre line.
Polyline band(const Polyline& centre, double width) {
  Polyline left, right;
  for (size_t i = 0; i < centre.size(); ++i) {
    const Vec a = centre[i > 0 ? i - 1 : 0], b = centre[std::min(i + 1, centre.size() - 1)];
    const Vec n = leftNormal(normalized(b - a));
    left.push_back(centre[i] + n * (width * 0.5));
    right.push_back(centre[i] - n * (width * 0.5));
  }
  std::reverse(right.begin(), right.end());
  left.insert(left.end(), right.begin(), right.end());
  return left;
}

void addStream(CityPlan& plan, CityLayers& layers, Vec from, CityRandom& rng) {
  // Down the distance field to the nearest water, with a little wander.
  const SiteRaster& r = plan.raster;
  Polyline line = {from};
  Vec p = from;
  for (int step = 0; step < 800; ++step) {
    if (r.waterDistanceAt(p) <= 0) break;
    Vec best = p;
    double bestD = r.waterDistanceAt(p);
    for (int k = 0; k < 16; ++k) {
      const double a = kTau * k / 16;
      const Vec q = p + Vec{std::cos(a), std::sin(a)} * 20.0;
      const double d = r.waterDistanceAt(q) + rng.uniform(0, 6);
      if (d < bestD) bestD = d, best = q;
    }
    if (best == p) break;
    p = best;
    line.push_back(p);
  }
  if (line.size() < 8) return;
  line = chaikin(simplify(line, 6), 2, false);
  layers.streams.push_back(line);
  layers.water.push_back({4950, line});
}

}  // namespace

std::vector<ZoneEdge> zoneEdges(const CityPlan& plan) {
  std::vector<ZoneEdge> edges;
  for (size_t i = 0; i < plan.seeds.size(); ++i) {
    const Polyline& cell = plan.zoneCells[i];
    for (size_t k = 0; k < cell.size(); ++k) {
      const Vec a = cell[k], b = cell[(k + 1) % cell.size()];
      if (distance(a, b) < 1) continue;
      const Vec m = lerp(a, b, 0.5);
      const double di = distance(m, plan.seeds[i].at);
      for (size_t j = i + 1; j < plan.seeds.size(); ++j)
        if (std::fabs(distance(m, plan.seeds[j].at) - di) < 1e-3 * (1 + di))
          edges.push_back({i, j, a, b});
    }
  }
  return edges;
}

Polyline makeBlob(Vec centre, double radius, CityRandom& rng, const std::function<bool(Vec)>& ok) {
  if (!ok(centre)) return {};
  const int rays = 40;
  const double p1 = rng.uniform(0, kTau), p2 = rng.uniform(0, kTau), p3 = rng.uniform(0, kTau);
  const double stretch = rng.uniform(0.7, 1.0), tilt = rng.uniform(0, kTau);
  Polyline out;
  double total = 0;
  for (int k = 0; k < rays; ++k) {
    const double a = kTau * k / rays;
    double want = radius * (1 + 0.18 * std::sin(2 * a + p1) + 0.1 * std::sin(3 * a + p2) +
                            0.06 * std::sin(5 * a + p3));
    want *= 1 - (1 - stretch) * std::fabs(std::sin(a - tilt));
    const Vec dir{std::cos(a), std::sin(a)};
    double got = 0;
    for (double s = 10; s <= want; s += 10) {
      if (!ok(centre + dir * s)) break;
      got = s;
    }
    got = std::max(got - 5, 2.0);
    total += got;
    out.push_back(centre + dir * got);
  }
  if (total / rays < radius * 0.35) return {};
  return chaikin(out, 2, true);
}

void buildWater(CityPlan& plan, CityLayers& layers, CityRandom rng) {
  SiteRaster& r = plan.raster;
  // The river runs along the western edge of the district beyond it.
  Polyline course;
  for (const ZoneEdge& e : zoneEdges(plan)) {
    const bool riverSide = plan.seeds[e.b].district == 4 &&
                           (plan.seeds[e.a].district == 1 || plan.seeds[e.a].district == 2);
    if (!riverSide) continue;
    course.push_back(e.from);
    course.push_back(e.to);
  }
  std::sort(course.begin(), course.end(), [](Vec a, Vec b) { return a.x < b.x; });
  course.erase(
      std::unique(course.begin(), course.end(), [](Vec a, Vec b) { return distance(a, b) < 1; }),
      course.end());
  if (course.size() >= 2) {
    const double top = plan.extent + 400 * plan.scale;
    const Vec dir = normalized(course.back() - course[course.size() - 2]);
    if (course.back().x < top)
      course.push_back(course.back() + dir * ((top - course.back().x) / std::max(dir.x, 0.2)));
    auto inFrame = [&](Vec p) {
      return p.x > -50 && p.y > 0 && p.x < top && p.y < plan.extent + 400;
    };
    auto framed = clipPolyline(course, 50, inFrame);
    if (!framed.empty()) {
      Polyline centre = meander(framed.front(), 110 * plan.scale, rng);
      // Keep what flows over land, plus a short mouth into the bay.
      auto onLand = clipPolyline(centre, 10, [&](Vec p) { return r.useAt(p) == kLand; });
      if (!onLand.empty()) {
        Polyline river = *std::max_element(
            onLand.begin(), onLand.end(),
            [](const auto& a, const auto& b) { return polylineLength(a) < polylineLength(b); });
        const Vec mouthDir = normalized(river[0] - river[1]);
        river.insert(river.begin(), river[0] + mouthDir * 40.0);
        plan.riverLine = river;
        const Polyline outline = band(river, std::max(20.0, 48 * plan.scale));
        r.fillPolygon(outline, kInlandWater, kLand);
        r.fillMask(band(river, std::max(20.0, 48 * plan.scale) + 160), r.bridge, 1);
        layers.water.push_back({4912, closed(outline)});
        layers.waterNames.push_back({pointAtArc(river, polylineLength(river) * 0.55), "р. Тиха"});
      }
    }
  }
  r.computeWaterDistance();
  // Lakes and a reservoir, well inland.
  struct LakeSpec {
    double x, y, radius;
    int code;
    const char* name;
  };
  const LakeSpec lakes[] = {
      {14700, 9300, 230, 4912, "оз. Круглое"},      {8300, 10300, 180, 4912, "оз. Светлое"},
      {13700, 15900, 200, 4912, "оз. Утиное"},      {19600, 14600, 280, 4912, "оз. Лесное"},
      {21600, 18700, 600, 4925, "Тихинское вдхр."}, {5400, 5900, 160, 4912, "оз. Малое"},
  };
  for (const LakeSpec& l : lakes) {
    const Vec c = plan.at(l.x, l.y);
    const double clearance = 120 * plan.scale + 40;
    Polyline lake = makeBlob(c, l.radius * plan.scale, rng, [&](Vec p) {
      return r.useAt(p) == kLand && r.waterDistanceAt(p) > clearance;
    });
    if (lake.empty()) continue;
    r.fillPolygon(lake, kInlandWater, kLand);
    layers.lakes.push_back(closed(lake));
    layers.water.push_back({l.code, closed(lake)});
    layers.waterNames.push_back({c, l.name});
  }
  r.computeWaterDistance();
  // Streams from the lakes down to the river or the sea.
  for (const Polyline& lake : layers.lakes) {
    Vec lowest = lake[0];
    double best = 1e300;
    // Start just outside the lake, on its side nearest other water.
    Vec centre{0, 0};
    for (const Vec& p : lake) centre = centre + p;
    centre = centre * (1.0 / lake.size());
    for (const Vec& p : lake) {
      const Vec q = p + normalized(p - centre) * 25.0;
      if (r.useAt(q) != kLand) continue;
      // Distance from this lake itself is small everywhere on its rim, so
      // look a little further out for the direction of the other water.
      const Vec far = p + normalized(p - centre) * 400.0;
      const double dFar = r.waterDistanceAt(far);
      if (r.useAt(far) == kLand && dFar < best) best = dFar, lowest = q;
    }
    if (best < 1e300) addStream(plan, layers, lowest + normalized(lowest - centre) * 200.0, rng);
  }
}

void buildGreen(CityPlan& plan, CityLayers& layers, CityRandom rng) {
  SiteRaster& r = plan.raster;
  auto free = [&](double clearance) {
    return
        [&r, clearance](Vec p) { return r.useAt(p) == kLand && r.waterDistanceAt(p) > clearance; };
  };
  auto addArea = [&](int code, const Polyline& blob, uint8_t use) {
    if (blob.empty()) return;
    r.fillPolygon(blob, use, kLand);
    layers.areas.push_back({code, closed(blob)});
  };
  // Forests around the city and woods in its outer parts.
  struct Patch {
    double x, y, radius;
    int code;
    double clearance;
  };
  const Patch patches[] = {
      {21000, 16000, 1300, 750, 40}, {22700, 21800, 1200, 750, 40}, {18700, 21300, 900, 750, 40},
      {22600, 13800, 700, 750, 40},  {4000, 4700, 900, 750, 30},    {5600, 3900, 500, 750, 30},
      {16700, 9900, 450, 750, 80},   {8700, 14100, 380, 750, 80},   {16900, 17000, 450, 750, 80},
      {12300, 9800, 300, 718, 90},   {10700, 12100, 240, 718, 90},  {15300, 12100, 330, 718, 90},
      {6900, 8300, 320, 718, 90},    {12600, 14600, 280, 718, 90},  {9000, 6600, 280, 718, 90},
      {13900, 10600, 220, 718, 90},  {5900, 9900, 240, 718, 90},    {17600, 14600, 330, 718, 90},
  };
  for (const Patch& s : patches) {
    const double radius = s.radius * plan.scale;
    if (radius < 80) continue;
    addArea(s.code, makeBlob(plan.at(s.x, s.y), radius, rng, free(s.clearance * plan.scale)),
            kGreen);
  }
}

}  // namespace tikhomap::citygen
