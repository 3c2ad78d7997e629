// Buildings with their storeys, purposes and addresses, and the objects at
// their address points.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <unordered_map>
#include <unordered_set>

#include "mapdata/limits.h"
#include "mapdata/table_order.h"
#include "mapdata/utf8_text.h"
#include "osm2tkm/build_context.h"
#include "osm2tkm/map_text.h"
#include "osm2tkm/tag_mapping.h"

namespace tikhomap::osm {
namespace {

constexpr double kCell = 100;            // metres of the building lookup grid
constexpr double kSmallestBuilding = 2;  // square metres
constexpr size_t kHouseNumberField = 6;
// An address node this close outside a building is its entrance drawn just
// beside the wall; further out it may belong to a building the data lacks.
constexpr double kAddressReach = 5;
constexpr size_t kDescriptionField = 46;
constexpr size_t kObjectNameField = 64;

int64_t cellKey(long cx, long cy) {
  return (static_cast<int64_t>(cx) << 32) ^ static_cast<int64_t>(static_cast<uint32_t>(cy));
}

// Buildings by the grid cells their boxes touch.
class BuildingGrid {
 public:
  explicit BuildingGrid(const std::vector<BuiltBuilding>& buildings) : buildings_(buildings) {
    for (size_t i = 0; i < buildings.size(); ++i) {
      const Bounds& b = buildings[i].box;
      for (long cx = cell(b.xMin); cx <= cell(b.xMax); ++cx)
        for (long cy = cell(b.yMin); cy <= cell(b.yMax); ++cy) cells_[cellKey(cx, cy)].push_back(i);
    }
  }
  // The building whose outline holds p, else the nearest within reach; -1.
  long find(Vec p, double reach, double* distance = nullptr) const {
    long best = -1;
    double bestDistance = reach;
    std::unordered_set<size_t> seen;
    for (long cx = cell(p.x - reach); cx <= cell(p.x + reach); ++cx)
      for (long cy = cell(p.y - reach); cy <= cell(p.y + reach); ++cy) {
        const auto it = cells_.find(cellKey(cx, cy));
        if (it == cells_.end()) continue;
        for (size_t i : it->second) {
          if (!seen.insert(i).second) continue;
          const double d = distanceToRing(buildings_[i].ring, p);
          // Ties go to the lower index, so the answer does not depend on
          // the order of the cells.
          const bool better =
              best < 0 ? d <= reach
                       : d < bestDistance || (d == bestDistance && i < static_cast<size_t>(best));
          if (better) {
            bestDistance = d, best = static_cast<long>(i);
          }
        }
      }
    if (distance) *distance = bestDistance;
    return best;
  }

 private:
  static long cell(double v) { return static_cast<long>(std::floor(v / kCell)); }
  const std::vector<BuiltBuilding>& buildings_;
  std::unordered_map<int64_t, std::vector<size_t>> cells_;
};

// An address point inside the outline that no other building has: the
// interior point rounded to whole metres, else the nearest free whole-metre
// point inside.
bool placeAddress(const Polyline& ring, std::set<std::pair<long, long>>& used, MetrePoint& at) {
  const Vec c = interiorPoint(ring);
  const long x0 = std::lround(c.x), y0 = std::lround(c.y);
  for (long r = 0; r <= 6; ++r)
    for (long dx = -r; dx <= r; ++dx)
      for (long dy = -r; dy <= r; ++dy) {
        if (std::max(std::labs(dx), std::labs(dy)) != r) continue;
        const long x = x0 + dx, y = y0 + dy;
        if (x < 0 || y < 0 || x > kMaxCoordinate || y > kMaxCoordinate) continue;
        if (used.count({x, y}) ||
            !pointInPolygon(ring, {static_cast<double>(x), static_cast<double>(y)}))
          continue;
        used.insert({x, y});
        at = {static_cast<int32_t>(x), static_cast<int32_t>(y)};
        return true;
      }
  return false;
}

struct Address {
  std::string number;  // cp1251
  std::string street;  // cp1251
};

Address addressOf(BuildContext& ctx, const Tags& tags) {
  Address a;
  a.number = ctx.text(tagValue(tags, "addr:housenumber"));
  std::string_view street = tagValue(tags, "addr:street");
  if (street.empty()) street = tagValue(tags, "addr:place");
  a.street = ctx.text(street);
  return a;
}

// The street of that name nearest to the building; -1 when no imported
// street has the name.
long streetFor(const BuildContext& ctx, const std::string& name, const Bounds& box) {
  const auto it = ctx.streetsByName.find(name);
  if (it == ctx.streetsByName.end()) return -1;
  long best = -1;
  double bestDistance = 1e300;
  const Vec c{(box.xMin + box.xMax) / 2, (box.yMin + box.yMax) / 2};
  for (size_t g : it->second) {
    const Bounds& s = ctx.streets[g].box;
    const double dx = std::max({s.xMin - c.x, 0.0, c.x - s.xMax});
    const double dy = std::max({s.yMin - c.y, 0.0, c.y - s.yMax});
    const double d = std::hypot(dx, dy);
    if (d < bestDistance) bestDistance = d, best = static_cast<long>(g);
  }
  return best;
}

// The code of the street an address names, 0 without one (counted).
int32_t streetCodeOf(BuildContext& ctx, const BuiltBuilding& b, const Address& a) {
  if (a.street.empty()) {
    ctx.summary().add("addresses without a street");
    return 0;
  }
  const long street = streetFor(ctx, a.street, b.box);
  if (street < 0) {
    ctx.summary().add("addresses on a street that was not imported (kept without street)");
    return 0;
  }
  ctx.streets[static_cast<size_t>(street)].hasHouses = true;
  return ctx.streets[static_cast<size_t>(street)].code;
}

// Gives a building an address: the first one goes into its record; a
// further one, and a number too long for the record's field, go to the
// further addresses (houses.txt), so that every number stays findable.
void applyAddress(BuildContext& ctx, BuiltBuilding& b, const Address& a) {
  const int32_t code = streetCodeOf(ctx, b, a);
  Building& r = b.record;
  const std::string& own = r.houseNumber;
  const std::string number = ctx.modelText(a.number);
  if (own == number && (r.streetCode == code || code == 0)) {
    ctx.summary().add("addresses repeated on one building (kept once)");
    return;
  }
  const bool recordFree = own.empty() && (r.streetCode == 0 || r.streetCode == code);
  if (recordFree && a.number.size() <= ctx.field(kHouseNumberField)) {
    r.houseNumber = ctx.modelText(ctx.wrote(a.number));
    if (code != 0) r.streetCode = code;
    return;
  }
  const std::string further = ctx.modelText(a.number);
  if (codePointCount(further) > kFurtherNumberLength) {
    ctx.summary().add("house numbers longer than 15 characters (left out)");
    return;
  }
  if (recordFree && code != 0) r.streetCode = code;
  if (!ctx.furtherSeen.insert({r.x, r.y, code, further}).second) {
    ctx.summary().add("addresses repeated on one building (kept once)");
    return;
  }
  ctx.summary().add(a.number.size() > ctx.field(kHouseNumberField)
                        ? "house numbers too long for the building's field (kept in houses.txt)"
                        : "further addresses of a building (kept in houses.txt)");
  ctx.wrote(a.number);
  ctx.out.map.furtherAddresses.push_back({r.x, r.y, code, further, -1});
}

// The point at fraction t of a line's length.
Vec alongLine(const Polyline& line, double t) {
  double total = 0;
  for (size_t i = 1; i < line.size(); ++i)
    total += std::hypot(line[i].x - line[i - 1].x, line[i].y - line[i - 1].y);
  double left = t * total;
  for (size_t i = 1; i < line.size(); ++i) {
    const double d = std::hypot(line[i].x - line[i - 1].x, line[i].y - line[i - 1].y);
    if (d > 0 && left <= d) {
      const double f = left / d;
      return {line[i - 1].x + f * (line[i].x - line[i - 1].x),
              line[i - 1].y + f * (line[i].y - line[i - 1].y)};
    }
    left -= d;
  }
  return line.back();
}

// addr:interpolation ways: the numbers between each two numbered nodes of
// the way, spaced evenly along the way between them, each given to the
// building it falls in (or within 5 m of).
void interpolateAddresses(BuildContext& ctx, const BuildingGrid& grid) {
  std::map<std::pair<double, double>, const Node*> numbered;
  for (const Node& n : ctx.extract.nodes)
    if (!tagValue(n.tags, "addr:housenumber").empty()) numbered[{n.at.lon, n.at.lat}] = &n;
  for (const Way& w : ctx.extract.ways) {
    const std::string_view scheme = tagValue(w.tags, "addr:interpolation");
    if (scheme.empty()) continue;
    ctx.summary().add("addr:interpolation ways");
    // The numbered nodes of the way, with their places along it.
    std::vector<std::pair<size_t, const Node*>> stops;
    for (size_t i = 0; i < w.points.size(); ++i) {
      const auto it = numbered.find({w.points[i].lon, w.points[i].lat});
      if (it != numbered.end()) stops.push_back({i, it->second});
    }
    if (stops.size() < 2) {
      ctx.summary().add("addr:interpolation ways without two numbered ends (skipped)");
      continue;
    }
    for (size_t s = 1; s < stops.size(); ++s) {
      const Node& from = *stops[s - 1].second;
      const Node& to = *stops[s].second;
      const std::vector<std::string> numbers = interpolatedNumbers(
          scheme, tagValue(from.tags, "addr:housenumber"), tagValue(to.tags, "addr:housenumber"));
      if (numbers.empty()) {
        ctx.summary().add("addr:interpolation spans that fit no scheme (skipped)");
        continue;
      }
      Ring part(w.points.begin() + static_cast<long>(stops[s - 1].first),
                w.points.begin() + static_cast<long>(stops[s].first) + 1);
      const Polyline line = ctx.project(toDegrees(part));
      std::string_view street = tagValue(w.tags, "addr:street");
      if (street.empty()) street = tagValue(from.tags, "addr:street");
      if (street.empty()) street = tagValue(to.tags, "addr:street");
      for (size_t k = 0; k < numbers.size(); ++k) {
        const Vec at = alongLine(line, static_cast<double>(k + 1) / (numbers.size() + 1));
        const long building = grid.find(at, kAddressReach);
        if (building < 0) {
          ctx.summary().add("interpolated house numbers outside every building (dropped)");
          continue;
        }
        Address a;
        a.number = ctx.text(numbers[k]);
        a.street = ctx.text(street);
        applyAddress(ctx, ctx.buildings[static_cast<size_t>(building)], a);
        ctx.summary().add("interpolated house numbers placed in buildings");
      }
    }
  }
}

}  // namespace

void buildBuildings(BuildContext& ctx) {
  std::set<std::pair<long, long>> usedAddresses;
  for (const Area& area : ctx.extract.areas) {
    if (!isBuilding(area.tags)) continue;
    // The file holds one ring: the largest outer ring; courtyards are left
    // to the ground around the building.
    const Ring* outer = &area.outers.front();
    for (const Ring& r : area.outers)
      if (std::fabs(signedArea(toDegrees(r))) > std::fabs(signedArea(toDegrees(*outer))))
        outer = &r;
    if (area.outers.size() > 1) ctx.summary().add("buildings with parts beyond their largest ring");
    if (!area.inners.empty()) ctx.summary().add("building courtyards filled in");
    const auto inArea = [&](const LonLat& p) { return ctx.area.contains(p); };
    if (std::none_of(outer->begin(), outer->end(), inArea)) {
      ctx.summary().add("buildings outside the area");
      continue;
    }
    if (!std::all_of(outer->begin(), outer->end(), inArea)) {
      ctx.summary().add("buildings across the area's edge (dropped)");
      continue;
    }
    BuiltBuilding b;
    b.ring = openRing(ctx.project(toDegrees(*outer)));
    if (b.ring.size() < 3 || std::fabs(signedArea(b.ring)) < kSmallestBuilding ||
        b.ring.size() > 32766) {
      ctx.summary().add("buildings too small or degenerate (dropped)");
      continue;
    }
    b.box = boundsOf(b.ring);
    b.tags = &area.tags;
    MetrePoint address;
    if (!placeAddress(b.ring, usedAddresses, address)) {
      ctx.summary().add("buildings without room for an address point (dropped)");
      continue;
    }
    b.record.x = address.x;
    b.record.y = address.y;
    const Storeys storeys = buildingStoreys(area.tags);
    if (storeys.absurd) ctx.summary().add("absurd building:levels (type default used)");
    if (storeys.fromTags) ctx.summary().add("buildings with storeys from their tags");
    b.record.floors = storeys.floors;
    b.record.purpose = buildingPurpose(area.tags);
    const std::string_view name = tagValue(area.tags, "name");
    if (!name.empty()) {
      b.record.description =
          ctx.modelText(cutName(ctx.wrote(ctx.text(name)), ctx.field(kDescriptionField)));
    }
    MapBounds bounds{1e30f, 1e30f, -1e30f, -1e30f};
    for (const Vec& p : b.ring) {
      const MapPoint q{static_cast<float>(p.x), static_cast<float>(p.y)};
      b.record.outline.push_back(q);
      bounds.xMin = std::min(bounds.xMin, q.x), bounds.yMin = std::min(bounds.yMin, q.y);
      bounds.xMax = std::max(bounds.xMax, q.x), bounds.yMax = std::max(bounds.yMax, q.y);
    }
    b.record.pointCount = static_cast<int32_t>(b.record.outline.size());
    b.record.bounds = bounds;
    ctx.buildings.push_back(std::move(b));
  }

  // Addresses: the building's own tags first, then address nodes inside it.
  for (BuiltBuilding& b : ctx.buildings) {
    if (!tagValue(*b.tags, "addr:housenumber").empty()) {
      applyAddress(ctx, b, addressOf(ctx, *b.tags));
      ctx.summary().add("addresses from building tags");
    }
  }
  const BuildingGrid grid(ctx.buildings);
  for (const Node& n : ctx.extract.nodes) {
    if (tagValue(n.tags, "addr:housenumber").empty() || !ctx.area.contains(n.at)) continue;
    double distance = 0;
    const long within = grid.find(ctx.project(n.at), kAddressReach, &distance);
    if (within < 0) {
      ctx.summary().add("address nodes with no building within 5 m (dropped)");
      continue;
    }
    if (distance > 0) ctx.summary().add("address nodes beside a building's wall (filed at it)");
    BuiltBuilding& b = ctx.buildings[static_cast<size_t>(within)];
    applyAddress(ctx, b, addressOf(ctx, n.tags));
    ctx.summary().add("addresses from nodes inside buildings");
  }
  interpolateAddresses(ctx, grid);
  // A building whose tags say nothing of its use takes the purpose of what
  // is in it: the museum in a building=yes is a public building.
  for (const Node& n : ctx.extract.nodes) {
    const std::optional<int16_t> use = usePurpose(n.tags);
    if (!use || !ctx.area.contains(n.at)) continue;
    const long within = grid.find(ctx.project(n.at), 0.0);
    if (within < 0) continue;
    BuiltBuilding& b = ctx.buildings[static_cast<size_t>(within)];
    if (!generalBuildingValue(*b.tags) || usePurpose(*b.tags)) continue;
    const int32_t now = b.record.purpose;
    if (now == 411 || usePriority(*use) < usePriority(now)) {
      if (now != *use && now == buildingPurpose(*b.tags))
        ctx.summary().add("buildings with their purpose from what is in them");
      b.record.purpose = *use;
    }
  }
  writeStreetNames(ctx);
  for (BuiltBuilding& b : ctx.buildings) ctx.out.map.buildings.push_back(b.record);
}

void buildObjects(BuildContext& ctx) {
  const BuildingGrid grid(ctx.buildings);
  std::set<std::string> taken;
  // Files an object at a building's address point, or (building < 0) at its
  // own point: a landmark whose building the data lacks stays findable.
  auto file = [&](const Tags& tags, std::string_view theme, long building, Vec at) {
    UserObject o;
    if (building >= 0) {
      const Building& b = ctx.buildings[static_cast<size_t>(building)].record;
      o.x = b.x;
      o.y = b.y;
    } else {
      o.x = wholeMetres(at.x);
      o.y = wholeMetres(at.y);
      ctx.summary().add("objects without a building, kept at their own point");
    }
    o.theme[0] = theme[0], o.theme[1] = theme[1];
    bool shortened = false;
    o.name = ctx.modelText(fitName(ctx.wrote(ctx.text(tagValue(tags, "name"))),
                                   ctx.field(kObjectNameField), taken, &shortened));
    if (shortened) ctx.summary().add("object names shortened or numbered to stay distinct");
    ctx.out.map.userObjects.push_back(o);
  };
  auto themeOf = [&](const Tags& tags) -> std::optional<std::string_view> {
    if (tagValue(tags, "name").empty()) return std::nullopt;
    const std::optional<std::string_view> theme = objectTheme(tags);
    if (!theme && isPointOfInterest(tags))
      ctx.summary().add("named points of interest of a kind without a theme (dropped)");
    return theme;
  };
  for (const Node& n : ctx.extract.nodes) {
    if (!ctx.area.contains(n.at)) continue;
    const std::optional<std::string_view> theme = themeOf(n.tags);
    if (!theme) continue;
    const Vec at = ctx.project(n.at);
    file(n.tags, *theme, grid.find(at, kObjectReach), at);
  }
  for (const Area& a : ctx.extract.areas) {
    const std::optional<std::string_view> theme = themeOf(a.tags);
    if (!theme) continue;
    const Polyline ring = clipRing(toDegrees(a.outers.front()), ctx.areaDegrees);
    if (ring.empty()) continue;
    const Polyline grid2 = ctx.project(ring);
    const Vec middle = interiorPoint(grid2);
    if (isBuilding(a.tags)) {
      file(a.tags, *theme, grid.find(middle, 0.0), middle);
      continue;
    }
    // A site (a school's grounds, a town hall's plot) is filed at the
    // building on it that holds its middle, else at the one on it nearest
    // to its middle; a site with no building on it keeps its own point.
    const Bounds box = boundsOf(grid2);
    long best = -1;
    double bestDistance = 1e300;
    for (size_t i = 0; i < ctx.buildings.size(); ++i) {
      const BuiltBuilding& b = ctx.buildings[i];
      if (b.box.xMin > box.xMax || b.box.xMax < box.xMin || b.box.yMin > box.yMax ||
          b.box.yMax < box.yMin)
        continue;
      const Vec p{static_cast<double>(b.record.x), static_cast<double>(b.record.y)};
      if (!pointInPolygon(grid2, p)) continue;
      const double d = distanceToRing(b.ring, middle);
      if (d < bestDistance) bestDistance = d, best = static_cast<long>(i);
    }
    if (best >= 0) ctx.summary().add("sites filed at a building on them");
    file(a.tags, *theme, best, middle);
  }
}

}  // namespace tikhomap::osm
