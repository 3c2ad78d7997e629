// Streets: named roads grouped by name and nearness, their axes, outline
// edges, label anchors and names; unnamed roads as axes without a name.
#include <algorithm>
#include <cmath>
#include <numeric>

#include "mapdata/cp1251.h"
#include "mapdata/table_order.h"
#include "mapdata/text_rules.h"
#include "osm2tkm/build_context.h"
#include "osm2tkm/map_text.h"
#include "osm2tkm/tag_mapping.h"
#include "search/name_fold.h"

namespace tikhomap::osm {
namespace {

// Axes of roads without a name: drawn, never named, never searched.
constexpr int32_t kUnnamedRoadCode = 32767;
constexpr double kLabelSpacing = 450;  // metres between anchors
constexpr double kShortestLabelled = 60;
constexpr size_t kStreetNameField = 29;

struct RoadPiece {
  std::string name;  // as BuildContext::text gives it, empty for unnamed
  RoadClass cls;
  Polyline axis;  // grid
  Bounds box;
};

size_t findRoot(std::vector<size_t>& parent, size_t i) {
  while (parent[i] != i) i = parent[i] = parent[parent[i]];
  return i;
}

}  // namespace

MapFeature makeFeature(int32_t code, const Polyline& points) {
  MapFeature f;
  f.code = code;
  MapBounds b{1e30f, 1e30f, -1e30f, -1e30f};
  for (const Vec& p : points) {
    const MapPoint q{static_cast<float>(p.x), static_cast<float>(p.y)};
    f.points.push_back(q);
    b.xMin = std::min(b.xMin, q.x), b.yMin = std::min(b.yMin, q.y);
    b.xMax = std::max(b.xMax, q.x), b.yMax = std::max(b.yMax, q.y);
  }
  f.pointCount = static_cast<int32_t>(f.points.size());
  f.bounds = b;
  return f;
}

namespace {

// The name with the "/" qualifier of the place it lies in, fitted so that
// the qualifier survives: the base name is cut before the place's name is.
std::string qualified(const BuildContext& ctx, const std::string& base, const std::string& place) {
  if (place.empty()) return base;
  const std::string q = "/" + cutName(place, ctx.container ? 64 : 12);
  const size_t field = ctx.field(kStreetNameField);
  if (base.size() + q.size() <= field) return base + q;
  return cutName(base, field - std::min(q.size(), field)) + q;
}

}  // namespace

void buildStreets(BuildContext& ctx) {
  std::vector<RoadPiece> pieces;
  for (const Way& w : ctx.extract.ways) {
    const std::optional<RoadClass> cls = roadClass(w.tags);
    if (!cls) continue;
    if (w.missingNodes > 0) ctx.summary().add("roads with nodes missing from the extract");
    const std::string_view rawName = tagValue(w.tags, "name");
    const std::string name = rawName.empty() ? std::string() : ctx.text(rawName);
    if (name.empty() && !cls->drivable) {
      ctx.summary().add("unnamed paths and tracks (not drawn)");
      continue;
    }
    bool inside = false;
    for (const Polyline& part : clipLine(toDegrees(w.points), ctx.areaDegrees)) {
      RoadPiece p{name, *cls, ctx.project(part), {}};
      p.box = boundsOf(p.axis);
      pieces.push_back(std::move(p));
      inside = true;
    }
    if (!inside) ctx.summary().add("roads outside the area");
  }

  MapData& map = ctx.out.map;
  // Unnamed roads: axes and edges only.
  for (const RoadPiece& p : pieces) {
    if (!p.name.empty()) continue;
    map.streetLines.push_back(makeFeature(kUnnamedRoadCode, p.axis));
    ctx.summary().add("unnamed road pieces (drawn, not named)");
  }

  // Named pieces: one street per name and connected neighbourhood.
  std::map<std::string, std::vector<size_t>> byName;
  for (size_t i = 0; i < pieces.size(); ++i)
    if (!pieces[i].name.empty()) byName[pieces[i].name].push_back(i);
  std::vector<StreetGroup> groups;
  for (const auto& [name, members] : byName) {
    std::vector<size_t> parent(members.size());
    std::iota(parent.begin(), parent.end(), 0);
    for (size_t a = 0; a < members.size(); ++a)
      for (size_t b = a + 1; b < members.size(); ++b)
        if (boundsNear(pieces[members[a]].box, pieces[members[b]].box, kStreetGap))
          parent[findRoot(parent, a)] = findRoot(parent, b);
    std::map<size_t, size_t> groupOfRoot;
    const size_t first = groups.size();
    for (size_t a = 0; a < members.size(); ++a) {
      const size_t root = findRoot(parent, a);
      auto [it, fresh] = groupOfRoot.emplace(root, groups.size());
      if (fresh) {
        StreetGroup g;
        g.baseName = name;
        g.box = pieces[members[a]].box;
        groups.push_back(g);
      }
      StreetGroup& g = groups[it->second];
      const RoadPiece& p = pieces[members[a]];
      g.axes.push_back(p.axis);
      g.levels.push_back(p.cls.level);
      g.widths.push_back(p.cls.width);
      g.box.xMin = std::min(g.box.xMin, p.box.xMin), g.box.yMin = std::min(g.box.yMin, p.box.yMin);
      g.box.xMax = std::max(g.box.xMax, p.box.xMax), g.box.yMax = std::max(g.box.yMax, p.box.yMax);
    }
    const bool several = groups.size() - first > 1;
    if (several)
      ctx.summary().add("streets told apart by a place qualifier", groups.size() - first);
    for (size_t g = first; g < groups.size(); ++g) {
      const Vec centre{(groups[g].box.xMin + groups[g].box.xMax) / 2,
                       (groups[g].box.yMin + groups[g].box.yMax) / 2};
      groups[g].name = several ? qualified(ctx, name, nearestPlaceName(ctx, centre)) : name;
    }
  }

  // Names distinct and fitted, then listed in the fold order the street
  // look-up expects, with codes in that order.
  std::set<std::string> taken;
  for (StreetGroup& g : groups) {
    bool shortened = false;
    g.name = fitName(g.name, ctx.field(kStreetNameField), taken, &shortened);
    if (shortened) ctx.summary().add("street names shortened or numbered to stay distinct");
  }
  // The order the street look-up expects: the names' fold order. Names for
  // the map files are held in their code page until the model takes them.
  const auto key = [&ctx](const StreetGroup& g) {
    return ctx.container ? g.name : cp1251ToUtf8(g.name);
  };
  std::stable_sort(groups.begin(), groups.end(), [&](const StreetGroup& a, const StreetGroup& b) {
    return foldOrderLess(key(a), key(b));
  });
  for (size_t i = 0; i < groups.size(); ++i) {
    StreetGroup& g = groups[i];
    // Named streets are numbered 1, 2, ... past the unnamed roads' code.
    const auto number = static_cast<int32_t>(i + 1);
    g.code = number < kUnnamedRoadCode ? number : number + 1;
    ctx.streetsByName[g.baseName].push_back(i);
    std::vector<Vec> placed;
    for (size_t k = 0; k < g.axes.size(); ++k) {
      const Polyline& axis = g.axes[k];
      map.streetLines.push_back(makeFeature(g.code, axis));
      for (double side : {0.5, -0.5}) {
        const MapFeature edge = makeFeature(g.code, offsetPolyline(axis, side * g.widths[k]));
        map.streetOutlines.push_back(edge);
      }
      const double len = polylineLength(axis);
      if (len < kShortestLabelled) continue;
      const int count = std::max(1, static_cast<int>(len / kLabelSpacing));
      const double step = len / count;
      for (int a = 0; a < count; ++a) {
        const Vec p = pointAtArc(axis, step * (a + 0.5));
        // A street of many short ways would be named at every joint: an
        // anchor keeps the spacing clear of the street's others.
        const bool crowded = std::any_of(placed.begin(), placed.end(), [&](Vec q) {
          return std::hypot(q.x - p.x, q.y - p.y) < kLabelSpacing;
        });
        if (crowded) continue;
        placed.push_back(p);
        StreetLabelPoint anchor;
        anchor.x = static_cast<int32_t>(std::lround(p.x));
        anchor.y = static_cast<int32_t>(std::lround(p.y));
        anchor.level = g.levels[k];
        anchor.streetCode = g.code;
        map.streetLabelPoints.push_back(anchor);
      }
    }
  }
  ctx.streets = std::move(groups);
}

// Street names are written once the buildings have told which streets have
// houses: those get kind 1, the others kind 0 (no house list).
void writeStreetNames(BuildContext& ctx) {
  MapData& map = ctx.out.map;
  int maxCode = 0;
  for (const StreetGroup& g : ctx.streets) {
    ctx.wrote(g.baseName);
    StreetName n;
    n.kind = g.hasHouses ? 1 : 0;
    n.streetCode = g.code;
    n.name = ctx.modelText(g.name);
    map.streetNames.push_back(n);
    maxCode = std::max<int>(maxCode, g.code);
  }
  indexStreetCodes(map);
}

}  // namespace tikhomap::osm
