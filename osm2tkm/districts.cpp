// The land outline, the districts and their borders, microdistricts, the
// ground layers and the title sheet.
//
// Districts come from the administrative boundaries. The outline is the
// boundary of the lowest admin_level that holds the middle of the area (the
// area's own box when none does). The units are the boundaries of finer
// levels whose middle lies in the outline (a closed way that repeats a ring
// of a boundary relation of its level is that relation's, counted once);
// the members are the units of the level with the most of them (ties to the
// coarser). A coarser level of two to five units covers the town when its
// units hold more than half of the buildings inside the outline; the finest
// such level frames the grouping: no district crosses a frame's border.
// Without one, the whole outline is one frame. Each frame has a district
// slot, and the rest of the five slots go one by one to the frame with the
// most buildings per slot that has more members than slots. Inside a
// frame, while there are more groups than slots, the group of the fewest
// buildings (ties: the smaller area) joins the group whose area-weighted
// centre is nearest to its own. Districts are numbered north to south; a
// group is named by its members' names, the most built first, joined by
// ", " and cut to 40 characters. Slots left over (fewer than five units)
// are named "—" and hold no polygon; with no unit at all, district 1 is the
// whole outline under the town's name.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numeric>
#include <optional>
#include <tuple>

#include "mapdata/district_names.h"
#include "mapdata/table_order.h"
#include "mapdata/utf8_text.h"
#include "osm2tkm/build_context.h"
#include "osm2tkm/map_text.h"
#include "osm2tkm/tag_mapping.h"

namespace tikhomap::osm {
namespace {

constexpr size_t kDistrictNameLength = 40;
constexpr size_t kMicrodistrictField = 29;
constexpr double kOutlineTolerance = 3;  // metres of simplification
constexpr double kLayerTolerance = 1;
constexpr double kTitleTolerance = 8;
constexpr double kRegionalShift = 16000;  // metres; the regional panel's own origin

struct Boundary {
  int level = 0;
  int64_t buildings = 0;  // address points inside
  std::string name;       // cp1251
  const Tags* tags = nullptr;
  std::vector<Polyline> rings;  // grid, clipped to the area
  double area = 0;
  Vec centre;
};

struct DistrictGroup {
  std::vector<size_t> members;
  int64_t buildings = 0;
  double area = 0;
  Vec centre;
  const Boundary* frame = nullptr;  // a whole frame in one district: named by it
};

// Simplified until it fits a record's vertex count.
Polyline fitted(const Polyline& ring, double tolerance) {
  Polyline out = simplify(ring, tolerance);
  while (out.size() > 32000) out = simplify(out, tolerance *= 2);
  return out;
}

Polyline closedPath(Polyline ring) {
  if (!ring.empty()) ring.push_back(ring.front());
  return ring;
}

int adminLevel(const Area& a) {
  if (tagValue(a.tags, "boundary") != "administrative") return 0;
  const std::string level(tagValue(a.tags, "admin_level"));
  char* end = nullptr;
  const long l = std::strtol(level.c_str(), &end, 10);
  return level.empty() || *end != 0 || l < 1 || l > 12 ? 0 : static_cast<int>(l);
}

// A ring as a set of points: the same ring from any start, either way round.
std::vector<std::pair<double, double>> ringKey(const Ring& ring) {
  std::vector<std::pair<double, double>> key;
  for (const LonLat& p : ring) key.emplace_back(p.lon, p.lat);
  std::sort(key.begin(), key.end());
  key.erase(std::unique(key.begin(), key.end()), key.end());
  return key;
}

std::vector<Boundary> collectBoundaries(BuildContext& ctx) {
  // An exclave is often tagged as a boundary of its own as well as being a
  // ring of its municipality's relation: it is the relation's.
  std::set<std::pair<int, std::vector<std::pair<double, double>>>> relationRings;
  for (const Area& a : ctx.extract.areas)
    if (const int level = adminLevel(a); level != 0 && a.fromRelation)
      for (const Ring& r : a.outers) relationRings.insert({level, ringKey(r)});
  std::vector<Boundary> out;
  for (const Area& a : ctx.extract.areas) {
    const int l = adminLevel(a);
    if (l == 0) continue;
    if (!a.fromRelation && a.outers.size() == 1 &&
        relationRings.count({l, ringKey(a.outers.front())}) != 0) {
      ctx.summary().add("boundary ways repeating a ring of a boundary relation (kept once)");
      continue;
    }
    Boundary b;
    b.level = l;
    std::string_view name = tagValue(a.tags, "name");
    b.name = ctx.text(name);
    b.tags = &a.tags;
    double cx = 0, cy = 0;
    for (const Ring& r : a.outers) {
      const Polyline clipped = clipRing(toDegrees(r), ctx.areaDegrees);
      if (clipped.empty()) continue;
      const Polyline ring = fitted(ctx.project(clipped), kOutlineTolerance);
      const double area = std::fabs(signedArea(ring));
      if (ring.size() < 3 || area < 1) continue;
      const Vec c = interiorPoint(ring);
      cx += c.x * area, cy += c.y * area;
      b.area += area;
      b.rings.push_back(ring);
    }
    if (b.rings.empty()) continue;
    b.centre = {cx / b.area, cy / b.area};
    out.push_back(std::move(b));
  }
  return out;
}

std::string groupName(BuildContext& ctx, const std::vector<Boundary>& all, const DistrictGroup& g) {
  std::vector<size_t> order = g.members;
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    return std::tie(all[a].buildings, all[a].area) > std::tie(all[b].buildings, all[b].area);
  });
  std::string name;
  for (size_t m : order) {
    if (all[m].name.empty()) continue;
    if (!name.empty()) name += ", ";
    name += all[m].name;
    ctx.wrote(all[m].name);
  }
  return ctx.modelName(name, kDistrictNameLength);
}

// The time zone: the outline's own timezone tag, else the zone of its
// country code, else the whole-hour zone of the area's longitude (which
// knows no summer time).
std::string timeZoneOf(const Boundary* outline, double longitude) {
  if (outline) {
    const std::string_view own = tagValue(*outline->tags, "timezone");
    if (!own.empty()) return std::string(own);
    std::string_view code = tagValue(*outline->tags, "ISO3166-1");
    if (code.empty()) code = tagValue(*outline->tags, "ISO3166-1:alpha2");
    static const std::pair<std::string_view, std::string_view> kZones[] = {
        {"LI", "Europe/Vaduz"},      {"CH", "Europe/Zurich"},      {"AT", "Europe/Vienna"},
        {"DE", "Europe/Berlin"},     {"FR", "Europe/Paris"},       {"IT", "Europe/Rome"},
        {"ES", "Europe/Madrid"},     {"PT", "Europe/Lisbon"},      {"GB", "Europe/London"},
        {"IE", "Europe/Dublin"},     {"NL", "Europe/Amsterdam"},   {"BE", "Europe/Brussels"},
        {"LU", "Europe/Luxembourg"}, {"MC", "Europe/Monaco"},      {"DK", "Europe/Copenhagen"},
        {"NO", "Europe/Oslo"},       {"SE", "Europe/Stockholm"},   {"FI", "Europe/Helsinki"},
        {"PL", "Europe/Warsaw"},     {"CZ", "Europe/Prague"},      {"SK", "Europe/Bratislava"},
        {"HU", "Europe/Budapest"},   {"SI", "Europe/Ljubljana"},   {"HR", "Europe/Zagreb"},
        {"EE", "Europe/Tallinn"},    {"LV", "Europe/Riga"},        {"LT", "Europe/Vilnius"},
        {"BY", "Europe/Minsk"},      {"UA", "Europe/Kyiv"},        {"MD", "Europe/Chisinau"},
        {"RO", "Europe/Bucharest"},  {"BG", "Europe/Sofia"},       {"GR", "Europe/Athens"},
        {"RS", "Europe/Belgrade"},   {"SM", "Europe/San_Marino"},  {"AD", "Europe/Andorra"},
        {"MT", "Europe/Malta"},      {"IS", "Atlantic/Reykjavik"}, {"GE", "Asia/Tbilisi"},
        {"AM", "Asia/Yerevan"},
    };
    for (const auto& [c, zone] : kZones)
      if (c == code) return std::string(zone);
  }
  const long hours = std::lround(longitude / 15);
  if (hours == 0) return "Etc/GMT";
  // The Etc zones count the other way: Etc/GMT-1 is one hour east.
  return "Etc/GMT" + std::string(hours > 0 ? "-" : "+") + std::to_string(std::labs(hours));
}

}  // namespace

void buildDistricts(BuildContext& ctx) {
  MapData& map = ctx.out.map;
  // Microdistricts: the named places.
  // Two place nodes of one name within a kilometre (a village drawn twice)
  // are one microdistrict, at the first.
  constexpr double kSamePlace = 1000;
  std::set<std::string> taken;
  std::vector<std::pair<std::string, Vec>> seen;
  for (const Node& n : ctx.extract.nodes) {
    if (!isMicrodistrictPlace(n.tags) || !ctx.area.contains(n.at)) continue;
    const Vec p = ctx.project(n.at);
    const std::string text = ctx.text(tagValue(n.tags, "name"));
    const bool repeated = std::any_of(seen.begin(), seen.end(), [&](const auto& s) {
      return s.first == text && std::hypot(s.second.x - p.x, s.second.y - p.y) <= kSamePlace;
    });
    if (repeated) {
      ctx.summary().add("place nodes repeating a place of that name nearby (kept once)");
      continue;
    }
    seen.push_back({text, p});
    Microdistrict m;
    m.x = wholeMetres(p.x);
    m.y = wholeMetres(p.y);
    m.name = ctx.modelText(fitName(ctx.wrote(ctx.text(tagValue(n.tags, "name"))),
                                   ctx.field(kMicrodistrictField), taken));
    map.microdistricts.push_back(m);
  }

  std::vector<Boundary> all = collectBoundaries(ctx);
  const MapBounds& e = map.cityExtent;
  const Vec middle{(e.xMin + e.xMax) / 2.0, (e.yMin + e.yMax) / 2.0};

  // The outline.
  const Boundary* outline = nullptr;
  const Polyline* outlineRing = nullptr;
  for (const Boundary& b : all) {
    if (outline && b.level >= outline->level) continue;
    for (const Polyline& r : b.rings)
      if (pointInPolygon(r, middle)) outline = &b, outlineRing = &r;
  }
  Polyline land;
  if (outlineRing) {
    // Its largest ring stands for the land.
    for (const Polyline& r : outline->rings)
      if (std::fabs(signedArea(r)) > std::fabs(signedArea(land))) land = r;
    ctx.summary().add("outline from the administrative boundary");
  } else {
    land = {{e.xMin, e.yMin}, {e.xMax, e.yMin}, {e.xMax, e.yMax}, {e.xMin, e.yMax}};
    ctx.summary().add("outline from the area's box (no boundary holds its middle)");
  }
  map.districtAreas.push_back(districtAreaFrom(0, closedPath(land)));
  if (ctx.title.empty() && outline) {
    std::string_view title = tagValue(*outline->tags, "name:ru");
    if (title.empty()) title = tagValue(*outline->tags, "name");
    ctx.title = ctx.text(title);
  }
  if (ctx.title.empty()) ctx.title = ctx.text("OpenStreetMap");
  ctx.wrote(ctx.title);
  const GeoPoint centre = gridToGeo(ctx.grid, middle.x, middle.y);
  ctx.timeZone = timeZoneOf(outline, centre.longitude);

  // The units, by level, and the buildings in each.
  const int outlineLevel = outline ? outline->level : 0;
  std::vector<Vec> points;  // the buildings' address points
  int64_t inOutline = 0;
  const Bounds landBox = boundsOf(land);
  for (const Building& b : map.buildings) {
    const Vec p{double(b.x), double(b.y)};
    if (landBox.contains(p) && pointInPolygon(land, p)) ++inOutline;
    points.push_back(p);
  }
  std::map<int, std::vector<size_t>> byLevel;
  for (size_t i = 0; i < all.size(); ++i) {
    Boundary& b = all[i];
    if (b.level <= outlineLevel || !pointInPolygon(land, b.centre)) continue;
    byLevel[b.level].push_back(i);
    for (const Polyline& r : b.rings) {
      const Bounds box = boundsOf(r);
      for (const Vec& p : points)
        if (box.contains(p) && pointInPolygon(r, p)) ++b.buildings;
    }
  }
  std::vector<size_t> members;
  int memberLevel = 0;
  for (const auto& [level, list] : byLevel)
    if (list.size() > members.size()) members = list, memberLevel = level;
  auto inside = [&](const Boundary& b, Vec p) {
    return std::any_of(b.rings.begin(), b.rings.end(),
                       [&](const Polyline& r) { return pointInPolygon(r, p); });
  };
  auto distance = [](Vec a, Vec b) { return std::hypot(a.x - b.x, a.y - b.y); };

  // The frames: the finest coarser level of two to five units that covers.
  std::vector<size_t> frames;
  for (auto it = byLevel.rbegin(); it != byLevel.rend(); ++it) {
    const auto& [level, list] = *it;
    if (level >= memberLevel || list.size() < 2 || list.size() > size_t(kDistrictCount)) continue;
    int64_t held = 0;
    for (size_t u : list) held += all[u].buildings;
    if (2 * held > inOutline) {
      frames = list;
      break;
    }
  }
  // Each member in the frame holding its middle (else the nearest); a frame
  // with no member is a member of its own.
  std::vector<std::vector<size_t>> framed(std::max<size_t>(frames.size(), 1));
  for (size_t m : members) {
    size_t f = 0;
    double best = 1e300;
    for (size_t i = 0; i < frames.size(); ++i) {
      if (inside(all[frames[i]], all[m].centre)) {
        f = i;
        break;
      }
      if (const double d = distance(all[frames[i]].centre, all[m].centre); d < best)
        best = d, f = i;
    }
    framed[f].push_back(m);
  }
  for (size_t i = 0; i < frames.size(); ++i)
    if (framed[i].empty()) framed[i].push_back(frames[i]);
  if (!frames.empty())
    ctx.summary().add("district frames (a coarser level that covers the town)",
                      static_cast<int64_t>(frames.size()));

  std::vector<DistrictGroup> groups;
  if (!members.empty()) {
    std::vector<int64_t> built(framed.size(), 0);
    for (size_t f = 0; f < framed.size(); ++f)
      for (size_t m : framed[f]) built[f] += all[m].buildings;
    std::vector<size_t> slots(framed.size(), 1);
    for (size_t left = kDistrictCount - framed.size(); left > 0; --left) {
      std::optional<size_t> pick;
      for (size_t f = 0; f < framed.size(); ++f) {
        if (framed[f].size() <= slots[f]) continue;
        // Most buildings per slot: built[f] / slots[f] > built[p] / slots[p].
        if (!pick || built[f] * int64_t(slots[*pick]) > built[*pick] * int64_t(slots[f])) pick = f;
      }
      if (!pick) break;
      ++slots[*pick];
    }
    for (size_t f = 0; f < framed.size(); ++f) {
      std::vector<DistrictGroup> inFrame;
      for (size_t m : framed[f])
        inFrame.push_back({{m}, all[m].buildings, all[m].area, all[m].centre});
      while (inFrame.size() > slots[f]) {
        size_t small = 0;
        for (size_t g = 1; g < inFrame.size(); ++g)
          if (std::tie(inFrame[g].buildings, inFrame[g].area) <
              std::tie(inFrame[small].buildings, inFrame[small].area))
            small = g;
        size_t target = small == 0 ? 1 : 0;
        double best = 1e300;
        for (size_t g = 0; g < inFrame.size(); ++g) {
          if (g == small) continue;
          if (const double d = distance(inFrame[g].centre, inFrame[small].centre); d < best)
            best = d, target = g;
        }
        DistrictGroup& t = inFrame[target];
        const DistrictGroup& s = inFrame[small];
        const double area = t.area + s.area;
        t.centre = {(t.centre.x * t.area + s.centre.x * s.area) / area,
                    (t.centre.y * t.area + s.centre.y * s.area) / area};
        t.area = area;
        t.buildings += s.buildings;
        t.members.insert(t.members.end(), s.members.begin(), s.members.end());
        inFrame.erase(inFrame.begin() + static_cast<long>(small));
      }
      if (inFrame.size() == 1 && f < frames.size() && !all[frames[f]].name.empty())
        inFrame.front().frame = &all[frames[f]];
      groups.insert(groups.end(), inFrame.begin(), inFrame.end());
    }
    ctx.summary().add("administrative boundaries grouped into districts",
                      static_cast<int64_t>(members.size()));
  }
  std::stable_sort(
      groups.begin(), groups.end(),
      [](const DistrictGroup& a, const DistrictGroup& b) { return a.centre.x > b.centre.x; });
  for (size_t g = 0; g < groups.size(); ++g) {
    const int district = static_cast<int>(g) + 1;
    ctx.out.info.districtNames[g] =
        groups[g].frame ? ctx.modelName(ctx.wrote(groups[g].frame->name), kDistrictNameLength)
                        : groupName(ctx, all, groups[g]);
    for (size_t m : groups[g].members)
      for (const Polyline& r : all[m].rings) {
        map.districtAreas.push_back(districtAreaFrom(district, closedPath(r)));
        map.lineFeatures.push_back(makeFeature(9005, closedPath(r)));
      }
  }
  if (groups.empty()) {
    // No unit at all: the town is one district.
    map.districtAreas.push_back(districtAreaFrom(1, closedPath(land)));
    ctx.out.info.districtNames[0] = ctx.modelName(ctx.title, kDistrictNameLength);
    ctx.summary().add("no administrative units inside the outline: one district, the whole town");
  }
  const size_t used = std::max<size_t>(groups.size(), 1);
  for (size_t g = used; g < size_t(kDistrictCount); ++g) ctx.out.info.districtNames[g] = "\u2014";
  ctx.summary().add("districts", static_cast<int64_t>(used));
  if (used < size_t(kDistrictCount))
    ctx.summary().add("district slots left empty (named \"\u2014\")",
                      static_cast<int64_t>(kDistrictCount - used));
}

void buildLayers(BuildContext& ctx) {
  MapData& map = ctx.out.map;
  for (const Area& a : ctx.extract.areas) {
    if (isBuilding(a.tags)) continue;
    const Layer layer = areaLayer(a.tags);
    if (layer == Layer::None) continue;
    for (const Ring& r : a.outers) {
      const Polyline clipped = clipRing(toDegrees(r), ctx.areaDegrees);
      if (clipped.empty()) continue;
      const Polyline ring = closedPath(fitted(ctx.project(clipped), kLayerTolerance));
      if (ring.size() < 4) continue;
      const MapFeature f = makeFeature(layerCode(layer), ring);
      (layer == Layer::Water ? map.waterFeatures : map.areaFeatures).push_back(f);
    }
  }
  for (const Way& w : ctx.extract.ways) {
    const Layer layer = lineLayer(w.tags);
    if (layer == Layer::None) continue;
    for (const Polyline& part : clipLine(toDegrees(w.points), ctx.areaDegrees)) {
      const MapFeature f =
          makeFeature(layerCode(layer), fitted(ctx.project(part), kLayerTolerance));
      (layer == Layer::WaterLine ? map.waterFeatures : map.lineFeatures).push_back(f);
    }
  }
}

void buildTitleSheet(BuildContext& ctx) {
  const MapBounds& e = ctx.out.map.cityExtent;
  auto wholePoint = [](Vec p) { return MetrePoint{wholeMetres(p.x), wholeMetres(p.y)}; };
  auto shape = [&](const Polyline& path) {
    TitleShape s;
    for (const Vec& p : path) {
      const MetrePoint q = wholePoint(p);
      if (s.points.empty() || !(s.points.back() == q)) s.points.push_back(q);
    }
    return s;
  };
  // The regional panel: the area with its margin, all land (an inland
  // town), the outline standing on its shadow, the towns and villages named
  // in the style every screen shows; the area's name large, on large screens.
  // The panel is a picture of its own: its coordinates are the grid's moved
  // by kRegionalShift, so that the land can run on past the area on every
  // side of a panel wider or taller than the area.
  TitleSheetFile& regional = ctx.out.regional;
  regional.hasHeader = true;
  auto moved = [](Vec p) { return Vec{p.x + kRegionalShift, p.y + kRegionalShift}; };
  const MetrePoint low = wholePoint(moved({e.xMin - kGridMargin, e.yMin - kGridMargin}));
  const MetrePoint high = wholePoint(moved({e.xMax + kGridMargin, e.yMax + kGridMargin}));
  regional.extent[0] = low.x, regional.extent[1] = low.y;
  regional.extent[2] = high.x, regional.extent[3] = high.y;
  if (!ctx.hasSea)
    regional.shapes.push_back(shape({{0, 0}, {65535, 0}, {65535, 65535}, {0, 65535}, {0, 0}}));
  for (const Polyline& land : ctx.regionalLand) {
    Polyline ring;
    for (const Vec& p : simplify(land, kTitleTolerance)) ring.push_back(moved(p));
    if (ring.size() >= 3) regional.shapes.push_back(shape(closedPath(ring)));
  }
  const DistrictArea& land = ctx.out.map.districtAreas.front();
  Polyline outline;
  for (const MetrePoint& p : land.points) outline.push_back(moved({double(p.x), double(p.y)}));
  regional.shapes.push_back(shape(outline));
  ctx.out.info.regionalOutline = true;
  // The names: the area's first, then cities, towns and villages; a name
  // that would cover one already placed is left out. The panel's scale is
  // the one a 1920 by 1080 screen gives it, as the title sheet fits it.
  const double north = e.xMax - e.xMin, east = e.yMax - e.yMin;
  const double cityScale = std::min(0.6 * 1920 / east, 1080 / north);  // pixels a metre
  const double panelWide = std::max(1920 - east * cityScale - 94, 100.0);
  const double panelHigh = std::max(north * cityScale - 40, 100.0);
  const double metresPerPixel =
      std::max((north + 2 * kGridMargin) / panelHigh, (east + 2 * kGridMargin) / panelWide);
  std::vector<Bounds> taken;  // x north, y east, of the names placed
  auto place = [&](char kind, MetrePoint at, const std::string& text) {
    const int height = kind == 'g' ? 24 : 16;
    const double w =
        (static_cast<double>(codePointCount(text)) * height * 0.6 + 4) * metresPerPixel;
    const double h = (height + 2) * metresPerPixel;
    // The text hangs below and right of its point.
    const Bounds box{at.x - h, double(at.y), double(at.x), at.y + w};
    for (const Bounds& t : taken)
      if (box.xMin < t.xMax && t.xMin < box.xMax && box.yMin < t.yMax && t.yMin < box.yMax)
        return false;
    taken.push_back(box);
    regional.texts.push_back({kind, at.x, at.y, text});
    return true;
  };
  if (!ctx.title.empty())
    place('g', {high.x, wholePoint(moved({0, e.yMin})).y}, ctx.modelName(ctx.title, 127));
  int covered = 0;
  for (const char* kind : {"city", "town", "village"})
    for (const NamedPlace& p : ctx.places) {
      if (p.kind != kind || p.name.empty() || p.name.size() > 127) continue;
      if (!place('e', wholePoint(moved(p.at)), ctx.modelName(p.name, 127))) ++covered;
    }
  if (covered > 0)
    ctx.summary().add("place names left off the regional panel (they would cover another)",
                      covered);

  // The city panel's hydrography: lakes filled, rivers as lines.
  TitleSheetFile& water = ctx.out.cityWater;
  for (const MapFeature& f : ctx.out.map.waterFeatures) {
    Polyline path;
    for (const MapPoint& p : f.points) path.push_back({p.x, p.y});
    const bool lake = f.code == 4912;
    if (!lake && polylineLength(path) < 500) continue;
    TitleShape s = shape(simplify(path, kTitleTolerance));
    if (lake) {
      if (s.points.size() < 4 || std::fabs(signedArea(path)) < 20000) continue;
      if (!(s.points.front() == s.points.back())) s.points.push_back(s.points.front());
    } else if (s.points.size() >= 2 && s.points.front() == s.points.back()) {
      s.points.pop_back();
    }
    if (s.points.size() >= 2) water.shapes.push_back(std::move(s));
  }
}

}  // namespace tikhomap::osm
