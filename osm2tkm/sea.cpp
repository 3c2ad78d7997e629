// The sea from the coastline ways. A coastline has the land on its left.
// The ways are joined end to end into chains; a chain whose end stops
// inside the area is joined to the nearest chain start within
// kCoastGap (a gap in the data), and when one still stops inside, the
// coastline cannot be closed and no sea is drawn (its lines still are).
// The chains are cut to the area; each sea is bounded by the coast walked
// backwards (sea on the left) and by the area's edge walked anticlockwise
// to the next piece of coast. Everything is done in degrees, east and
// north, so that "left" is the left on the ground.
//
// The map draws the sea as water areas over land: the land outline stays
// no coast, and each water area's outline is drawn. So that only the coast
// is drawn, a sea leaves the area at right angles where the coast meets the
// area's edge and runs round outside it, in the margin. An island is a hole
// of its sea, joined to the sea's nearest point by a seam of no width.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <optional>

#include "osm2tkm/build_context.h"
#include "osm2tkm/tag_mapping.h"

namespace tikhomap::osm {
namespace {

constexpr double kCoastGap = 1000;    // metres
constexpr double kSeaTolerance = 2;   // metres of simplification
constexpr double kMarginShare = 0.8;  // of the grid's margin, for the sea beyond the area
constexpr int16_t kSeaCode = 4912;
constexpr double kRegionalReach = 20000;  // metres: past every edge of the regional panel    // a
                                          // water body: filled with the sea's colour

// The position of a point on the edge of the box, anticlockwise from the
// south-west corner: 0..1 the south edge, 1..2 the east, 2..3 the north,
// 3..4 the west.
double edgePosition(const Bounds& b, Vec p) {
  const double w = b.xMax - b.xMin, h = b.yMax - b.yMin;
  const double d[4] = {std::fabs(p.y - b.yMin), std::fabs(p.x - b.xMax), std::fabs(p.y - b.yMax),
                       std::fabs(p.x - b.xMin)};
  const int side = static_cast<int>(std::min_element(d, d + 4) - d);
  switch (side) {
    case 0:
      return std::clamp((p.x - b.xMin) / w, 0.0, 1.0);
    case 1:
      return 1 + std::clamp((p.y - b.yMin) / h, 0.0, 1.0);
    case 2:
      return 2 + std::clamp((b.xMax - p.x) / w, 0.0, 1.0);
    default:
      return 3 + std::clamp((b.yMax - p.y) / h, 0.0, 1.0);
  }
}

// The point of the outer box straight out from a point on the edge.
Vec outward(const Bounds& inner, const Bounds& outer, double position) {
  const double f = position - std::floor(position);
  const double w = inner.xMax - inner.xMin, h = inner.yMax - inner.yMin;
  switch (static_cast<int>(position) % 4) {
    case 0:
      return Vec{inner.xMin + f * w, outer.yMin};
    case 1:
      return Vec{outer.xMax, inner.yMin + f * h};
    case 2:
      return Vec{inner.xMax - f * w, outer.yMax};
    default:
      return Vec{outer.xMin, inner.yMax - f * h};
  }
}

// The outer box's corner ending side k (k = 1: south-east, … 4: south-west).
Vec outerCorner(const Bounds& o, int k) {
  switch (k % 4) {
    case 1:
      return {o.xMax, o.yMin};
    case 2:
      return {o.xMax, o.yMax};
    case 3:
      return {o.xMin, o.yMax};
    default:
      return {o.xMin, o.yMin};
  }
}

// Twice the area, positive when anticlockwise on the ground, of a ring in
// degrees (x east, y north; the map's own order is the other way round).
double groundArea(const Polyline& ring) {
  double s = 0;
  for (size_t i = 0, n = ring.size(); i < n; ++i) {
    const Vec a = ring[i], b = ring[(i + 1) % n];
    s += a.x * b.y - b.x * a.y;
  }
  return s;
}

bool strictlyInside(const Bounds& b, Vec p) {
  return p.x > b.xMin && p.x < b.xMax && p.y > b.yMin && p.y < b.yMax;
}

struct Coast {
  std::vector<Polyline> chains;  // open, from an end outside the area to one outside
  std::vector<Polyline> rings;   // closed, without the repeat
  int joined = 0;                // ways joined into chains
  int gapsClosed = 0;
  std::optional<Vec> danglingEnd;  // where the coastline stops inside the area
};

double metresBetween(const BuildContext& ctx, Vec a, Vec b) {
  const Vec p = ctx.project(LonLat{a.x, a.y}), q = ctx.project(LonLat{b.x, b.y});
  return std::hypot(p.x - q.x, p.y - q.y);
}

Coast assemble(const BuildContext& ctx, std::vector<Polyline> pieces) {
  Coast coast;
  // Join a piece's end to the piece starting there until nothing joins
  // (starts looked up by their point: a coast has thousands of ways).
  std::map<std::pair<double, double>, size_t> starts;
  for (size_t i = 0; i < pieces.size(); ++i)
    if (!(pieces[i].front() == pieces[i].back()))
      starts.emplace(std::pair{pieces[i].front().x, pieces[i].front().y}, i);
  for (size_t i = 0; i < pieces.size(); ++i) {
    Polyline& a = pieces[i];
    while (a.size() >= 2 && !(a.front() == a.back())) {
      const auto found = starts.find({a.back().x, a.back().y});
      if (found == starts.end() || found->second == i || pieces[found->second].empty()) break;
      Polyline& b = pieces[found->second];
      starts.erase(found);
      a.insert(a.end(), b.begin() + 1, b.end());
      b.clear();
      ++coast.joined;
    }
  }
  std::erase_if(pieces, [](const Polyline& p) { return p.size() < 2; });
  // Gaps: an end inside the area takes the nearest start inside it.
  for (bool again = true; again;) {
    again = false;
    for (size_t i = 0; i < pieces.size() && !again; ++i) {
      Polyline& a = pieces[i];
      if (a.front() == a.back() || !strictlyInside(ctx.areaDegrees, a.back())) continue;
      std::optional<size_t> best;
      double bestDistance = kCoastGap;
      for (size_t j = 0; j < pieces.size(); ++j) {
        const Polyline& b = pieces[j];
        if (b.front() == b.back() || !strictlyInside(ctx.areaDegrees, b.front())) continue;
        const double d = metresBetween(ctx, a.back(), b.front());
        if (d <= bestDistance) bestDistance = d, best = j;
      }
      if (!best) continue;
      ++coast.gapsClosed, again = true;
      if (*best == i) {
        a.push_back(a.front());
      } else {
        a.insert(a.end(), pieces[*best].begin(), pieces[*best].end());
        pieces.erase(pieces.begin() + static_cast<long>(*best));
      }
    }
  }
  for (Polyline& p : pieces) {
    if (p.front() == p.back()) {
      p.pop_back();
      if (p.size() >= 3) coast.rings.push_back(std::move(p));
      continue;
    }
    for (const Vec end : {p.front(), p.back()})
      if (strictlyInside(ctx.areaDegrees, end)) coast.danglingEnd = end;
    coast.chains.push_back(std::move(p));
  }
  return coast;
}

// The parts of a ring inside the box, as chains from the edge to the edge;
// empty when the ring is wholly inside or wholly outside.
std::vector<Polyline> ringAcrossEdge(const Polyline& ring, const Bounds& box) {
  const auto outside =
      std::find_if(ring.begin(), ring.end(), [&](const Vec& p) { return !box.contains(p); });
  if (outside == ring.end()) return {};
  Polyline line(outside, ring.end());
  line.insert(line.end(), ring.begin(), outside + 1);
  return clipLine(line, box);
}

// Pieces from the area's edge to its edge, each with what it bounds on its
// left, closed into rings: from a piece's end anticlockwise round the edge
// to the next piece's start. The rings leave the area at right angles and
// run round the outer box.
std::vector<Polyline> closeRound(const std::vector<Polyline>& pieces, const Bounds& area,
                                 const Bounds& outer) {
  const size_t n = pieces.size();
  std::vector<double> startAt(n), endAt(n);
  for (size_t i = 0; i < n; ++i) {
    startAt[i] = edgePosition(area, pieces[i].front());
    endAt[i] = edgePosition(area, pieces[i].back());
  }
  std::vector<Polyline> rings;
  std::vector<bool> used(n, false);
  for (size_t first = 0; first < n; ++first) {
    if (used[first]) continue;
    Polyline ring;
    size_t i = first;
    while (!used[i]) {
      used[i] = true;
      ring.insert(ring.end(), pieces[i].begin(), pieces[i].end());
      // The next start anticlockwise from this end (a start at the end
      // itself comes first).
      size_t next = i;
      double best = 5;
      for (size_t j = 0; j < n; ++j) {
        double d = startAt[j] - endAt[i];
        if (d < 0) d += 4;
        if (d < best) best = d, next = j;
      }
      const double from = endAt[i], to = from + best;
      ring.push_back(outward(area, outer, from));
      for (int k = static_cast<int>(std::floor(from)) + 1; k <= to; ++k)
        ring.push_back(outerCorner(outer, k));
      ring.push_back(outward(area, outer, std::fmod(to, 4)));
      i = next;
    }
    if (ring.size() >= 3) rings.push_back(std::move(ring));
  }
  return rings;
}

}  // namespace

void buildSea(BuildContext& ctx) {
  std::vector<Polyline> pieces;
  for (const Way& w : ctx.extract.ways)
    if (tagValue(w.tags, "natural") == "coastline" && w.points.size() >= 2)
      pieces.push_back(toDegrees(w.points));
  if (pieces.empty()) return;
  ctx.summary().add("coastline ways", static_cast<int64_t>(pieces.size()));
  const Bounds& area = ctx.areaDegrees;
  Coast coast = assemble(ctx, std::move(pieces));
  if (coast.gapsClosed > 0)
    ctx.summary().add("coastline gaps within 1 km closed", coast.gapsClosed);
  if (coast.danglingEnd) {
    const Vec at = *coast.danglingEnd;
    char where[64];
    std::snprintf(where, sizeof where, "%.5f,%.5f", at.x, at.y);
    const std::string why = std::string("the coastline stops inside the area at ") + where +
                            " (lon,lat) and cannot be closed: no sea is drawn, the coast is a line";
    ctx.summary().add(why);
    ctx.out.warnings.push_back(why);
    return;
  }

  // The coast inside the area, from edge to edge, and the islands in it.
  std::vector<Polyline> across;
  std::vector<Polyline> islands;
  int wrongWay = 0;
  for (const Polyline& c : coast.chains)
    for (Polyline& part : clipLine(c, area)) across.push_back(std::move(part));
  for (const Polyline& r : coast.rings) {
    if (std::all_of(r.begin(), r.end(), [&](const Vec& p) { return area.contains(p); })) {
      // An island has its land on the left: anticlockwise.
      if (groundArea(r) > 0)
        islands.push_back(r);
      else
        ++wrongWay;
      continue;
    }
    for (Polyline& part : ringAcrossEdge(r, area)) across.push_back(std::move(part));
  }
  if (wrongWay > 0)
    ctx.summary().add("coastline rings with the land on their right (ignored)", wrongWay);

  // The box the seas run round outside the area.
  const double lat = (area.yMin + area.yMax) / 2;
  const double margin = kGridMargin * kMarginShare;
  const double dy = margin / 111320, dx = margin / (111320 * std::cos(lat * M_PI / 180));
  const Bounds outer{area.xMin - dx, area.yMin - dy, area.xMax + dx, area.yMax + dy};

  std::vector<Polyline> seas;
  if (across.empty()) {
    // No coast crosses the area: it is all sea when it holds islands only.
    if (islands.empty()) return;
    seas.push_back({outerCorner(outer, 0), outerCorner(outer, 1), outerCorner(outer, 2),
                    outerCorner(outer, 3)});
  } else {
    std::vector<Polyline> backwards = across;
    for (Polyline& piece : backwards) std::reverse(piece.begin(), piece.end());
    seas = closeRound(backwards, area, outer);
  }
  // The land for the regional panel: the coast walked forwards closed
  // round far outside the panel, and the islands.
  const double far = kRegionalReach;
  const Bounds farBox{
      area.xMin - far / (111320 * std::cos(lat * M_PI / 180)), area.yMin - far / 111320,
      area.xMax + far / (111320 * std::cos(lat * M_PI / 180)), area.yMax + far / 111320};
  ctx.regionalLand.clear();
  for (const Polyline& land : closeRound(across, area, farBox))
    ctx.regionalLand.push_back(ctx.project(land));
  for (const Polyline& island : islands) ctx.regionalLand.push_back(ctx.project(island));
  ctx.hasSea = true;

  // Islands become holes of the sea that holds them.
  int holes = 0;
  for (const Polyline& island : islands) {
    for (Polyline& sea : seas) {
      if (!pointInPolygon(sea, island.front())) continue;
      // The seam: from the sea's point nearest the island's first point to
      // the island's point nearest that.
      size_t best = 0, from = 0;
      double bestDistance = 1e300;
      for (size_t k = 0; k < sea.size(); ++k)
        if (const double d = std::hypot(sea[k].x - island[0].x, sea[k].y - island[0].y);
            d < bestDistance)
          bestDistance = d, best = k;
      bestDistance = 1e300;
      for (size_t k = 0; k < island.size(); ++k)
        if (const double d = std::hypot(sea[best].x - island[k].x, sea[best].y - island[k].y);
            d < bestDistance)
          bestDistance = d, from = k;
      Polyline hole;
      for (size_t k = 0; k <= island.size(); ++k)
        hole.push_back(island[(from + island.size() - k % island.size()) % island.size()]);
      hole.push_back(sea[best]);
      sea.insert(sea.begin() + static_cast<long>(best) + 1, hole.begin(), hole.end());
      ++holes;
      break;
    }
  }

  int written = 0;
  for (const Polyline& sea : seas) {
    Polyline ring = simplify(ctx.project(sea), kSeaTolerance);
    if (ring.size() < 3 || std::fabs(signedArea(ring)) < 1) continue;
    while (ring.size() > 32000) ring = simplify(ring, kSeaTolerance * 4);
    ring.push_back(ring.front());
    ctx.out.map.waterFeatures.push_back(makeFeature(kSeaCode, ring));
    ++written;
  }
  ctx.summary().add("seas from the coastline (water areas)", written);
  if (holes > 0) ctx.summary().add("islands in the sea", holes);
}

}  // namespace tikhomap::osm
