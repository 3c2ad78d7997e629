#include "citygen/street_network.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numeric>

#include "citygen/land_use.h"

namespace tikhomap::citygen {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kOvershoot = 6;   // so that an end meets the street it stops at
constexpr double kShortTail = 60;  // ends past the last junction shorter than this go

struct Candidate {
  StreetClass cls = StreetClass::Ordinary;
  StreetStyle style = StreetStyle::Grid;
  int district = 0;
  Polyline line;
  std::function<bool(Vec)> ok;
};

struct Run {
  size_t cand = 0;
  Polyline pts;
  double arc0 = 0;
  std::vector<char> junction;
  bool alive = true;
};

double arcOfPoint(const Polyline& line, Vec p) {
  double best = 1e300, bestArc = 0, acc = 0;
  for (size_t i = 1; i < line.size(); ++i) {
    double t = 0;
    const double d = distanceToSegment(p, line[i - 1], line[i], &t);
    const double l = distance(line[i - 1], line[i]);
    if (d < best) best = d, bestArc = acc + t * l;
    acc += l;
  }
  return bestArc;
}

Polyline extendEnds(Polyline line, double by) {
  if (line.size() < 2) return line;
  line.front() = line.front() + normalized(line[0] - line[1]) * by;
  const size_t n = line.size();
  line.back() = line.back() + normalized(line[n - 1] - line[n - 2]) * by;
  return line;
}

// Straight line from a to b, sampled every step metres, bent sideways by
// a gentle wave of the given amplitude.
Polyline wavyLine(Vec a, Vec b, double step, double amplitude, double phase, double wavelength) {
  Polyline out;
  const double len = distance(a, b);
  const int n = std::max(1, static_cast<int>(len / step));
  const Vec n0 = leftNormal(normalized(b - a));
  for (int i = 0; i <= n; ++i) {
    const double s = len * i / n;
    out.push_back(lerp(a, b, static_cast<double>(i) / n) +
                  n0 * (amplitude * std::sin(s / wavelength + phase)));
  }
  return out;
}

void addGrid(const CityPlan& plan, size_t seed, std::vector<Candidate>& out, CityRandom& rng,
             const std::function<bool(Vec)>& ordinaryOk) {
  const StreetPattern& pat = plan.patterns[seed];
  const Vec origin = plan.seeds[seed].at;
  const int district = plan.seeds[seed].district;
  auto inZone = [&plan, seed, ordinaryOk](Vec p) {
    return plan.raster.zoneAt(p) == seed && ordinaryOk(p);
  };
  double bbox[4] = {1e300, 1e300, -1e300, -1e300};
  for (const Vec& p : plan.zoneCells[seed]) {
    const Vec q{std::clamp(p.x, 0.0, plan.extent), std::clamp(p.y, 0.0, plan.extent)};
    bbox[0] = std::min(bbox[0], q.x), bbox[1] = std::min(bbox[1], q.y);
    bbox[2] = std::max(bbox[2], q.x), bbox[3] = std::max(bbox[3], q.y);
  }
  const Vec corners[4] = {
      {bbox[0], bbox[1]}, {bbox[0], bbox[3]}, {bbox[2], bbox[1]}, {bbox[2], bbox[3]}};
  for (int family = 0; family < 2; ++family) {
    const double angle = pat.angle + (family ? kPi / 2 : 0);
    const Vec u{std::cos(angle), std::sin(angle)};
    const Vec v = leftNormal(u);
    const double spacing = family ? pat.spacingB : pat.spacingA;
    const double across = family ? pat.spacingA : pat.spacingB;
    double umin = 1e300, umax = -1e300, vmin = 1e300, vmax = -1e300;
    for (const Vec& c : corners) {
      umin = std::min(umin, dot(c - origin, u)), umax = std::max(umax, dot(c - origin, u));
      vmin = std::min(vmin, dot(c - origin, v)), vmax = std::max(vmax, dot(c - origin, v));
    }
    const int k0 = static_cast<int>(std::floor(vmin / spacing)) - 1;
    const int k1 = static_cast<int>(std::ceil(vmax / spacing)) + 1;
    std::vector<double> offsets;
    for (int k = k0; k <= k1; ++k)
      offsets.push_back(k * spacing + rng.uniform(-0.12, 0.12) * spacing);
    for (size_t i = 0; i < offsets.size(); ++i) {
      const int k = k0 + static_cast<int>(i);
      Candidate c;
      c.cls = (k % 4 == 0) ? StreetClass::Main : StreetClass::Ordinary;
      c.style = StreetStyle::Grid;
      c.district = district;
      c.line = wavyLine(origin + u * umin + v * offsets[i], origin + u * umax + v * offsets[i], 40,
                        pat.warp, rng.uniform(0, 2 * kPi), rng.uniform(900, 1400) * plan.scale);
      c.ok = inZone;
      out.push_back(std::move(c));
      // Lanes across some blocks of this strip, halfway between two streets
      // of the other family.
      if (family == 1 || i + 1 >= offsets.size() || across < 200 * plan.scale) continue;
      const double lo = offsets[i], hi = offsets[i + 1];
      for (double s = std::floor(umin / across) * across + across * 0.5; s < umax; s += across) {
        if (!rng.chance(0.22)) continue;
        Candidate lane;
        lane.cls = StreetClass::Lane;
        lane.style = StreetStyle::Lane;
        lane.district = district;
        const double pad = pat.warp + 10;
        lane.line = {origin + u * s + v * (lo - pad), origin + u * s + v * (hi + pad)};
        lane.line = resample(lane.line, 40);
        lane.ok = inZone;
        out.push_back(std::move(lane));
      }
    }
  }
}

void addHill(const CityPlan& plan, size_t seed, std::vector<Candidate>& out, CityRandom& rng,
             const std::function<bool(Vec)>& ordinaryOk) {
  const StreetPattern& pat = plan.patterns[seed];
  const Vec hill = plan.hill;
  const int district = plan.seeds[seed].district;
  auto inZone = [&plan, seed, ordinaryOk](Vec p) {
    return plan.raster.zoneAt(p) == seed && ordinaryOk(p);
  };
  const double phase = rng.uniform(0, 2 * kPi), phase2 = rng.uniform(0, 2 * kPi);
  const double rmax = 5200 * plan.scale;
  auto shape = [&](double r, double a) {
    return r * (1 + 0.07 * std::sin(3 * a + phase) + 0.04 * std::sin(2 * a + phase2));
  };
  int ring = 0;
  for (double r = 240 * plan.scale + pat.spacingA * 0.6; r < rmax; r += pat.spacingA, ++ring) {
    Candidate c;
    c.cls = ring % 4 == 2 ? StreetClass::Main : StreetClass::Ordinary;
    c.style = StreetStyle::Ring;
    c.district = district;
    const int steps = std::max(24, static_cast<int>(2 * kPi * r / 30));
    const double start = kPi * 0.5;  // begins on the sea side, where rings break
    for (int i = 0; i <= steps; ++i) {
      const double a = start + 2 * kPi * i / steps;
      c.line.push_back(hill + Vec{std::cos(a), std::sin(a)} * shape(r, a));
    }
    c.ok = inZone;
    out.push_back(std::move(c));
  }
  const int radials = 16;
  for (int k = 0; k < radials; ++k) {
    Candidate c;
    c.cls = k % 4 == 0 ? StreetClass::Main : StreetClass::Ordinary;
    c.style = StreetStyle::Radial;
    c.district = district;
    const double a0 = 2 * kPi * k / radials + rng.uniform(-0.08, 0.08);
    const double first = 240 * plan.scale + pat.spacingA * 0.6 - 10;
    const double firstRing = k % 2 == 0 ? first : first + pat.spacingA;  // fewer near the top
    for (double r = firstRing; r < rmax; r += 30) {
      const double a = a0 + 0.00009 * r / plan.scale;
      c.line.push_back(hill + Vec{std::cos(a), std::sin(a)} * shape(r, a));
    }
    c.ok = inZone;
    out.push_back(std::move(c));
  }
}

struct UnionFind {
  std::vector<size_t> parent;
  explicit UnionFind(size_t n) : parent(n) { std::iota(parent.begin(), parent.end(), 0); }
  size_t find(size_t a) {
    while (parent[a] != a) a = parent[a] = parent[parent[a]];
    return a;
  }
  void join(size_t a, size_t b) { parent[find(a)] = find(b); }
};

}  // namespace

double streetWidth(StreetClass cls) {
  switch (cls) {
    case StreetClass::Avenue:
      return 32;
    case StreetClass::Main:
      return 22;
    case StreetClass::Ordinary:
      return 15;
    case StreetClass::Lane:
      return 10;
  }
  return 15;
}

double Street::length() const {
  double sum = 0;
  for (const StreetPiece& p : pieces) sum += polylineLength(p.points);
  return sum;
}

double townReach(const CityPlan& plan) {
  return 5000 * plan.scale * (plan.density > 1 ? 1.3 : 1.0);
}

bool urbanAt(const CityPlan& plan, Vec p) {
  const Vec d = p - plan.centre;
  const double a = std::atan2(d.y, d.x);
  const double reach = plan.density > 1 ? 1.25 : 1.0;
  const double r =
      7400 * plan.scale * reach * (1 + 0.16 * std::sin(3 * a + 0.7) + 0.07 * std::sin(5 * a + 2.1));
  // The port quarter by the harbour belongs to the town as well.
  const Vec port = plan.harbour + (plan.centre - plan.harbour) * 0.12;
  return length(d) <= r || distance(p, port) < 1900 * plan.scale;
}

namespace {

// The streets the town may have: avenues along the district borders and out
// from the centre, the highways, each district's own pattern and the
// embankments, each with the ground it may use.
std::vector<Candidate> streetCandidates(const CityPlan& plan, CityRandom& rng) {
  const SiteRaster& r = plan.raster;
  auto ground = [&r](Vec p, double clearance) {
    const uint8_t u = r.useAt(p);
    return (u == kLand || u == kIndustry) && r.waterDistanceAt(p) >= clearance;
  };
  auto bridge = [&r](Vec p) {
    const uint8_t u = r.useAt(p);
    return r.bridgeAt(p) && (u == kLand || u == kInlandWater || u == kIndustry);
  };
  const double coastGap = 45 * std::max(plan.scale, 0.7);
  std::function<bool(Vec)> ordinaryOk = [&plan, ground, coastGap](Vec p) {
    return ground(p, coastGap) && plan.districtAt(p) != 0 && urbanAt(plan, p);
  };
  std::function<bool(Vec)> avenueOk = [&plan, ground, bridge](Vec p) {
    return (ground(p, 30) || bridge(p)) && plan.districtAt(p) != 0 &&
           urbanAt(plan, p + (plan.centre - p) * 0.06);
  };
  std::function<bool(Vec)> highwayOk = [&r, ground, bridge](Vec p) {
    return ground(p, 30) || bridge(p) || (r.useAt(p) == kGreen && r.waterDistanceAt(p) >= 30);
  };

  std::vector<Candidate> cands;
  // Avenues along the borders between districts (not where the river runs).
  for (const ZoneEdge& e : zoneEdges(plan)) {
    const int da = plan.seeds[e.a].district, db = plan.seeds[e.b].district;
    if (da == 0 && db == 0) continue;
    if (db == 4 && (da == 1 || da == 2)) continue;
    Candidate c;
    c.cls = StreetClass::Avenue;
    c.style = StreetStyle::Avenue;
    c.district = da ? da : db;
    c.line = resample({e.from, e.to}, 40);
    c.ok = avenueOk;
    cands.push_back(std::move(c));
  }
  // Avenues out from the centre, and highways on into the country.
  for (size_t s = 0; s < plan.seeds.size(); ++s) {
    const Vec dir = normalized(plan.seeds[s].at - plan.centre);
    if (plan.seeds[s].district == 2) continue;
    const bool country = plan.seeds[s].district == 0;
    if (country && plan.seeds[s].at.x < plan.centre.x) continue;  // the south-west tip is parkland
    Candidate c;
    c.cls = StreetClass::Avenue;
    c.style = StreetStyle::Avenue;
    c.district = plan.seeds[s].district ? plan.seeds[s].district : 1;
    const Vec far = plan.centre + dir * (country ? plan.extent * 0.9
                                                 : distance(plan.seeds[s].at, plan.centre) * 1.6);
    c.line = wavyLine(plan.centre + dir * (120 * plan.scale), far, 40, 70 * plan.scale,
                      rng.uniform(0, 2 * kPi), 1500 * plan.scale);
    c.ok = country ? highwayOk : avenueOk;
    if (country) c.style = StreetStyle::Highway;
    cands.push_back(std::move(c));
  }
  // The coastal highway to the north.
  {
    Candidate c;
    c.cls = StreetClass::Avenue;
    c.style = StreetStyle::Highway;
    c.district = 1;
    c.line = wavyLine(plan.centre + Vec{600 * plan.scale, 1200 * plan.scale},
                      Vec{plan.extent + 300 * plan.scale, plan.centre.y + 3500 * plan.scale}, 40,
                      120 * plan.scale, rng.uniform(0, 2 * kPi), 1800 * plan.scale);
    c.ok = highwayOk;
    cands.push_back(std::move(c));
  }
  // District street patterns.
  for (size_t s = 0; s < plan.seeds.size(); ++s) {
    if (plan.seeds[s].district == 0) continue;
    if (plan.patterns[s].curved)
      addHill(plan, s, cands, rng, ordinaryOk);
    else
      addGrid(plan, s, cands, rng, ordinaryOk);
  }
  // Embankments along the sea, the river and the lakes.
  {
    const double level = 62 * std::max(plan.scale, 0.7);
    std::function<bool(Vec)> shoreOk = [&plan, &r](Vec p) {
      const uint8_t u = r.useAt(p);
      return (u == kLand || u == kIndustry) && plan.districtAt(p) != 0 &&
             urbanAt(plan, p + (plan.centre - p) * 0.04);
    };
    for (const Polyline& contour : r.waterDistanceContours(level)) {
      if (polylineLength(contour) < 300 * plan.scale) continue;
      Candidate c;
      c.cls = StreetClass::Main;
      c.style = StreetStyle::Embankment;
      c.line = chaikin(simplify(contour, 3), 2, false);
      c.district = plan.districtAt(c.line[c.line.size() / 2]);
      c.ok = shoreOk;
      cands.push_back(std::move(c));
    }
  }

  return cands;
}

// Every candidate cut to the ground it may use, in runs long enough to keep.
std::vector<Run> runsOnGround(const CityPlan& plan, const std::vector<Candidate>& cands) {
  std::vector<Run> runs;
  for (size_t ci = 0; ci < cands.size(); ++ci) {
    const Candidate& c = cands[ci];
    const double minRun = c.cls == StreetClass::Lane ? 40 : 90 * std::max(plan.scale, 0.5);
    for (Polyline& piece : clipPolyline(c.line, 10, c.ok)) {
      if (polylineLength(piece) < minRun) continue;
      Run run;
      run.cand = ci;
      run.arc0 = arcOfPoint(c.line, piece.front());
      run.pts = extendEnds(std::move(piece), kOvershoot);
      run.arc0 -= kOvershoot;
      runs.push_back(std::move(run));
    }
  }

  return runs;
}

// Crossings, found once in the grid cell that holds them and inserted into
// both runs as the same vertex, marked as a junction.
void insertCrossings(const CityPlan& plan, std::vector<Run>& runs) {
  const double cellSize = 120;
  const int gridN = static_cast<int>(plan.extent * 1.1 / cellSize) + 2;
  std::vector<std::vector<std::pair<uint32_t, uint32_t>>> grid(static_cast<size_t>(gridN) * gridN);
  auto cellOf = [&](double v) { return std::clamp(static_cast<int>(v / cellSize), 0, gridN - 1); };
  for (size_t ri = 0; ri < runs.size(); ++ri)
    for (size_t k = 0; k + 1 < runs[ri].pts.size(); ++k) {
      const Vec a = runs[ri].pts[k], b = runs[ri].pts[k + 1];
      for (int gx = cellOf(std::min(a.x, b.x)); gx <= cellOf(std::max(a.x, b.x)); ++gx)
        for (int gy = cellOf(std::min(a.y, b.y)); gy <= cellOf(std::max(a.y, b.y)); ++gy)
          grid[static_cast<size_t>(gx) * gridN + gy].push_back(
              {static_cast<uint32_t>(ri), static_cast<uint32_t>(k)});
    }
  struct Cut {
    size_t seg;
    double t;
    Vec p;
  };
  std::vector<std::vector<Cut>> cuts(runs.size());
  for (int gx = 0; gx < gridN; ++gx)
    for (int gy = 0; gy < gridN; ++gy) {
      const auto& bucket = grid[static_cast<size_t>(gx) * gridN + gy];
      for (size_t i = 0; i < bucket.size(); ++i)
        for (size_t j = i + 1; j < bucket.size(); ++j) {
          const auto [ra, sa] = bucket[i];
          const auto [rb, sb] = bucket[j];
          if (ra == rb && (sa + 1 >= sb && sb + 1 >= sa)) continue;
          double t = 0, u = 0;
          const Polyline& A = runs[ra].pts;
          const Polyline& B = runs[rb].pts;
          if (!segmentCrossing(A[sa], A[sa + 1], B[sb], B[sb + 1], &t, &u)) continue;
          const Vec p = lerp(A[sa], A[sa + 1], t);
          if (cellOf(p.x) != gx || cellOf(p.y) != gy) continue;
          cuts[ra].push_back({sa, t, p});
          cuts[rb].push_back({sb, u, p});
        }
    }
  for (size_t ri = 0; ri < runs.size(); ++ri) {
    auto& cs = cuts[ri];
    std::sort(cs.begin(), cs.end(), [](const Cut& a, const Cut& b) {
      return a.seg != b.seg ? a.seg < b.seg : a.t < b.t;
    });
    Polyline pts;
    std::vector<char> junction;
    size_t next = 0;
    for (size_t k = 0; k < runs[ri].pts.size(); ++k) {
      pts.push_back(runs[ri].pts[k]);
      junction.push_back(0);
      while (next < cs.size() && cs[next].seg == k) {
        pts.push_back(cs[next].p);
        junction.push_back(1);
        ++next;
      }
    }
    runs[ri].pts = std::move(pts);
    runs[ri].junction = std::move(junction);
  }
}

// Short ends past the last junction go; runs without any junction too.
void dropLooseEnds(std::vector<Run>& runs) {
  for (Run& run : runs) {
    const auto& j = run.junction;
    const auto first = std::find(j.begin(), j.end(), 1);
    if (first == j.end()) {
      run.alive = false;
      continue;
    }
    const size_t jf = static_cast<size_t>(first - j.begin());
    const size_t jl =
        j.size() - 1 - static_cast<size_t>(std::find(j.rbegin(), j.rend(), 1) - j.rbegin());
    const Polyline head(run.pts.begin(), run.pts.begin() + static_cast<long>(jf) + 1);
    const Polyline tail(run.pts.begin() + static_cast<long>(jl), run.pts.end());
    size_t from = polylineLength(head) < kShortTail ? jf : 0;
    size_t to = polylineLength(tail) < kShortTail ? jl : run.pts.size() - 1;
    if (to <= from) {
      run.alive = false;
      continue;
    }
    double cut = 0;
    for (size_t k = 1; k <= from; ++k) cut += distance(run.pts[k - 1], run.pts[k]);
    run.arc0 += cut;
    run.pts = Polyline(run.pts.begin() + static_cast<long>(from),
                       run.pts.begin() + static_cast<long>(to) + 1);
    run.junction = std::vector<char>(run.junction.begin() + static_cast<long>(from),
                                     run.junction.begin() + static_cast<long>(to) + 1);
  }
}

// Only the largest connected network of runs stays.
void keepLargestNetwork(std::vector<Run>& runs) {
  std::map<std::pair<double, double>, size_t> nodeOf;
  UnionFind uf(runs.size());
  for (size_t ri = 0; ri < runs.size(); ++ri) {
    if (!runs[ri].alive) continue;
    for (size_t k = 0; k < runs[ri].pts.size(); ++k) {
      if (!runs[ri].junction[k]) continue;
      const auto key = std::make_pair(runs[ri].pts[k].x, runs[ri].pts[k].y);
      const auto [it, fresh] = nodeOf.emplace(key, ri);
      if (!fresh) uf.join(ri, it->second);
    }
  }
  // A junction whose partner was dropped no longer joins anything; the
  // count of live runs per node tells.
  std::map<std::pair<double, double>, int> uses;
  for (const Run& run : runs)
    if (run.alive)
      for (size_t k = 0; k < run.pts.size(); ++k)
        if (run.junction[k]) ++uses[{run.pts[k].x, run.pts[k].y}];
  for (Run& run : runs)
    if (run.alive)
      for (size_t k = 0; k < run.pts.size(); ++k)
        if (run.junction[k] && uses[{run.pts[k].x, run.pts[k].y}] < 2) run.junction[k] = 0;
  std::vector<double> weight(runs.size(), 0);
  for (size_t ri = 0; ri < runs.size(); ++ri)
    if (runs[ri].alive) weight[uf.find(ri)] += polylineLength(runs[ri].pts);
  const size_t main =
      static_cast<size_t>(std::max_element(weight.begin(), weight.end()) - weight.begin());
  for (size_t ri = 0; ri < runs.size(); ++ri)
    if (runs[ri].alive && uf.find(ri) != main) runs[ri].alive = false;
}

// Named streets: a long candidate is several streets, changing name at a
// junction once it has run long enough.
std::vector<Street> namedStreets(const CityPlan& plan, const std::vector<Candidate>& cands,
                                 const std::vector<Run>& runs, CityRandom& rng) {
  std::vector<Street> streets;
  std::vector<std::vector<size_t>> runsOf(cands.size());
  for (size_t ri = 0; ri < runs.size(); ++ri)
    if (runs[ri].alive) runsOf[runs[ri].cand].push_back(ri);
  for (size_t ci = 0; ci < cands.size(); ++ci) {
    auto& list = runsOf[ci];
    if (list.empty()) continue;
    std::sort(list.begin(), list.end(),
              [&](size_t a, size_t b) { return runs[a].arc0 < runs[b].arc0; });
    const Candidate& c = cands[ci];
    double minLen = 900, maxLen = 2400;
    if (c.style == StreetStyle::Avenue || c.style == StreetStyle::Highway)
      minLen = 2500, maxLen = 6000;
    if (c.style == StreetStyle::Embankment) minLen = 1500, maxLen = 3500;
    if (c.style == StreetStyle::Lane) minLen = maxLen = 1e9;
    minLen *= std::max(plan.scale, 0.4), maxLen *= std::max(plan.scale, 0.4);
    Street cur;
    double target = rng.uniform(minLen, maxLen), acc = 0, lastEnd = -1e300;
    auto flush = [&]() {
      if (!cur.pieces.empty()) streets.push_back(std::move(cur));
      cur = Street{};
      cur.cls = c.cls, cur.style = c.style, cur.district = c.district;
      cur.width = streetWidth(c.cls);
      acc = 0;
      target = rng.uniform(minLen, maxLen);
    };
    flush();
    for (size_t ri : list) {
      const Run& run = runs[ri];
      if (run.arc0 - lastEnd > 400 * plan.scale && acc > 0) flush();
      StreetPiece piece;
      piece.arc0 = run.arc0;
      double arc = run.arc0;
      for (size_t k = 0; k < run.pts.size(); ++k) {
        if (k > 0) {
          const double step = distance(run.pts[k - 1], run.pts[k]);
          arc += step, acc += step;
        }
        piece.points.push_back(run.pts[k]);
        piece.junction.push_back(run.junction[k]);
        const bool last = k + 1 == run.pts.size();
        if (!last && run.junction[k] && acc >= target && piece.points.size() >= 2) {
          cur.pieces.push_back(piece);
          flush();
          piece = StreetPiece{};
          piece.arc0 = arc;
          piece.points.push_back(run.pts[k]);
          piece.junction.push_back(1);
        }
      }
      if (piece.points.size() >= 2) cur.pieces.push_back(std::move(piece));
      lastEnd = arc;
    }
    flush();
  }
  return streets;
}

}  // namespace

std::vector<Street> buildStreets(CityPlan& plan, CityRandom rng) {
  const std::vector<Candidate> cands = streetCandidates(plan, rng);
  std::vector<Run> runs = runsOnGround(plan, cands);
  insertCrossings(plan, runs);
  dropLooseEnds(runs);
  keepLargestNetwork(runs);
  return namedStreets(plan, cands, runs, rng);
}

}  // namespace tikhomap::citygen
