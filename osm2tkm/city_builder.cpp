#include "osm2tkm/city_builder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "mapdata/map_readers.h"
#include "mapdata/table_order.h"
#include "mapdata/text_rules.h"
#include "mapdata/themes.h"
#include "mapdata/utf8_text.h"
#include "osm2tkm/build_context.h"
#include "osm2tkm/map_text.h"
#include "osm2tkm/tag_mapping.h"

namespace tikhomap::osm {

std::string BuildContext::text(std::string_view utf8) {
  bool repaired = false;
  std::string safe = sanitizedUtf8(utf8, kMaxTextBytes, &repaired);
  if (repaired)
    summary().add("names not valid UTF-8, with control characters or too long (repaired)");
  if (container) return safe;
  int replaced = 0;
  std::string out = mapText(utf8, &replaced);
  if (out.empty()) return out;
  TextNote& note = textNotes[out];
  note.transliterated |= replaced > 0;
  note.unknown |=
      std::count(out.begin(), out.end(), '?') > std::count(utf8.begin(), utf8.end(), '?');
  return out;
}

Polyline toDegrees(const Ring& ring) {
  Polyline out;
  out.reserve(ring.size());
  for (const LonLat& p : ring) out.push_back({p.lon, p.lat});
  return out;
}

std::string nearestPlaceName(const BuildContext& ctx, Vec at) {
  const NamedPlace* best = nullptr;
  double bestDistance = 1e300;
  for (const NamedPlace& p : ctx.places) {
    const double d = std::hypot(p.at.x - at.x, p.at.y - at.y);
    if (d < bestDistance) bestDistance = d, best = &p;
  }
  return best ? best->name : std::string();
}

namespace {

std::string metres(double m) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f km", m / 1000);
  return text;
}

// The grid: central meridian through the middle of the area, origin at the
// projected minimum of the area less the margin. The area's edges are
// sampled because its parallels curve in the grid.
bool placeGrid(BuildContext& ctx, std::string& refusal) {
  const GeoBox& a = ctx.area;
  ctx.grid = GridProjection{(a.min.lon + a.max.lon) / 2, 0, 0};
  Polyline edge;
  constexpr int kSamples = 32;
  for (int i = 0; i <= kSamples; ++i) {
    const double t = static_cast<double>(i) / kSamples;
    const double lon = a.min.lon + t * (a.max.lon - a.min.lon);
    const double lat = a.min.lat + t * (a.max.lat - a.min.lat);
    edge.push_back(ctx.project(LonLat{lon, a.min.lat}));
    edge.push_back(ctx.project(LonLat{lon, a.max.lat}));
    edge.push_back(ctx.project(LonLat{a.min.lon, lat}));
    edge.push_back(ctx.project(LonLat{a.max.lon, lat}));
  }
  const Bounds box = boundsOf(edge);
  const double north = box.xMax - box.xMin, east = box.yMax - box.yMin;
  if (north + 2 * kGridMargin > kGridRange || east + 2 * kGridMargin > kGridRange) {
    refusal = "the area is " + metres(north) + " north to south by " + metres(east) +
              " west to east; a map holds at most " + metres(kGridRange - 2 * kGridMargin) +
              " on each side. Choose a smaller area with --bbox LON0,LAT0,LON1,LAT1.";
    return false;
  }
  ctx.grid.northOrigin = box.xMin - kGridMargin;
  ctx.grid.eastOrigin = box.yMin - kGridMargin;
  ctx.out.map.cityExtent = {static_cast<float>(kGridMargin), static_cast<float>(kGridMargin),
                            static_cast<float>(kGridMargin + north),
                            static_cast<float>(kGridMargin + east)};
  return true;
}

void collectPlaces(BuildContext& ctx) {
  for (const Node& n : ctx.extract.nodes) {
    const std::string_view kind = tagValue(n.tags, "place");
    const std::string_view name = tagValue(n.tags, "name");
    if (kind.empty() || name.empty() || !ctx.area.contains(n.at)) continue;
    ctx.places.push_back({ctx.wrote(ctx.text(name)), std::string(kind), ctx.project(n.at)});
  }
}

void buildThemes(BuildContext& ctx) {
  MapData& map = ctx.out.map;
  std::set<std::string> used;
  for (const UserObject& o : map.userObjects) used.insert(std::string(o.theme, 2));
  ThemeListEnds ends;
  for (const Theme& t : themeTable()) {
    const bool group = t.code[1] == '1';
    // A group is listed when one of its themes has objects; a theme when it has.
    const bool wanted = group ? std::any_of(used.begin(), used.end(),
                                            [&](const std::string& c) { return c[0] == t.code[0]; })
                              : used.count(t.code) != 0;
    if (!wanted) continue;
    ThemeNode node;
    node.code[0] = t.code[0], node.code[1] = t.code[1];
    node.name = cp1251ToUtf8(cutName(mapText(t.name), 48));
    // Linked as tema.tkm's lines are; a theme's group always comes first.
    insertThemeNode(map, node, ends, nullptr);
  }
}

bool checkLimits(const CityImport& out, std::string& refusal) {
  const MapData& m = out.map;
  const std::pair<const char*, size_t> tables[] = {
      {"buildings", m.buildings.size()},
      {"street axes", m.streetLines.size()},
      {"street outline edges", m.streetOutlines.size()},
      {"street names", m.streetNames.size()},
      {"street label anchors", m.streetLabelPoints.size()},
      {"areas", m.areaFeatures.size()},
      {"lines", m.lineFeatures.size()},
      {"water features", m.waterFeatures.size()},
      {"district polygons", m.districtAreas.size()},
      {"microdistricts", m.microdistricts.size()},
      {"objects", m.userObjects.size()},
  };
  for (const auto& [name, n] : tables) {
    if (n > kTableLimit) {
      refusal = std::string("the area has ") + std::to_string(n) + " " + name +
                "; a map holds at most " + std::to_string(kTableLimit) +
                ". Choose a smaller area with --bbox LON0,LAT0,LON1,LAT1.";
      return false;
    }
  }
  return true;
}

std::string degrees(const GeoBox& b) {
  char text[96];
  std::snprintf(text, sizeof text, "%.4f,%.4f,%.4f,%.4f", b.min.lon, b.min.lat, b.max.lon,
                b.max.lat);
  return text;
}

bool overlaps(const GeoBox& a, const GeoBox& b) {
  return a.min.lon <= b.max.lon && b.min.lon <= a.max.lon && a.min.lat <= b.max.lat &&
         b.min.lat <= a.max.lat;
}

// Why an area with no building and no street in it is refused: where the
// data lies, and the box with longitude and latitude swapped when that box
// holds data.
std::string nothingInside(const Extract& extract, const GeoBox& area, bool given) {
  std::string why = "no building and no street lies in the area " + degrees(area) +
                    " (LON0,LAT0,LON1,LAT1" + (given ? ", from --bbox" : "") +
                    "); the data lies in " + degrees(extract.dataBox) + ".";
  const GeoBox swapped{{area.min.lat, area.min.lon}, {area.max.lat, area.max.lon}};
  if (given && swapped.valid() && swapped.max.lat <= 85 && swapped.min.lat >= -85 &&
      overlaps(swapped, extract.dataBox)) {
    char text[96];
    std::snprintf(text, sizeof text, "%.7g,%.7g,%.7g,%.7g", swapped.min.lon, swapped.min.lat,
                  swapped.max.lon, swapped.max.lat);
    why += std::string(" Longitude and latitude seem swapped: --bbox ") + text +
           " (longitude first) covers the data.";
  } else {
    why += " Give an area in it with --bbox LON0,LAT0,LON1,LAT1.";
  }
  return why;
}

// A file cut between two blocks cannot be told from a whole one; what can
// be checked is warned of: data that fills only a little of the box its
// header announces, and a town without the relations every town has.
constexpr size_t kTownBuildings = 100;

void warnOfACutFile(const Extract& extract, CityImport& out) {
  if (extract.hasHeaderBox && extract.headerBox.valid()) {
    const GeoBox& h = extract.headerBox;
    const GeoBox& d = extract.dataBox;
    const double w = std::min(h.max.lon, d.max.lon) - std::max(h.min.lon, d.min.lon);
    const double t = std::min(h.max.lat, d.max.lat) - std::max(h.min.lat, d.min.lat);
    const double share =
        w > 0 && t > 0 ? w * t / ((h.max.lon - h.min.lon) * (h.max.lat - h.min.lat)) : 0;
    if (share < 0.5) {
      char text[32];
      std::snprintf(text, sizeof text, "%.0f %%", share * 100);
      out.warnings.push_back(std::string("the data fills only ") + text +
                             " of the box in the file's header (" + degrees(h) +
                             "): the file may be cut short");
    }
  }
  const size_t buildings = out.map.buildings.size();
  if (buildings < kTownBuildings) return;
  if (extract.relationCount == 0) {
    out.warnings.push_back("the file holds no relations although the area has " +
                           std::to_string(buildings) +
                           " buildings: a file cut short after its ways looks like this. "
                           "Multipolygon buildings, the boundaries and the districts they "
                           "make may be missing.");
  } else if (out.summary.count("outline from the administrative boundary") == 0) {
    out.warnings.push_back(
        "no administrative boundary holds the middle of the area although it "
        "has " +
        std::to_string(buildings) +
        " buildings: the file may be cut short, or cut without its "
        "boundaries. The outline is the area's box.");
  }
}

}  // namespace

bool buildCity(const Extract& extract, const BuildOptions& options, CityImport& out,
               std::string& refusal, const std::function<void(const std::string&)>& progress) {
  out = CityImport{};
  auto say = [&](const char* stage) {
    if (progress) progress(stage);
  };
  if (extract.nodeCount > 0 && extract.wayCount == 0) {
    refusal = "the extract has " + std::to_string(extract.nodeCount) +
              " nodes and no ways: it is cut short or not a map of a town";
    return false;
  }
  if (extract.nodeCount == 0) {
    refusal = "the extract holds no nodes";
    return false;
  }
  GeoBox area = options.bbox                                        ? *options.bbox
                : extract.hasHeaderBox && extract.headerBox.valid() ? extract.headerBox
                                                                    : extract.dataBox;
  if (!area.valid() || area.min.lat < -85 || area.max.lat > 85 || area.min.lon < -180 ||
      area.max.lon > 180) {
    refusal = "the area has no extent; give one with --bbox LON0,LAT0,LON1,LAT1";
    return false;
  }
  out.area = area;
  BuildContext ctx{extract, out, area};
  ctx.container = options.container;
  ctx.areaDegrees = {area.min.lon, area.min.lat, area.max.lon, area.max.lat};
  if (!placeGrid(ctx, refusal)) return false;
  if (!options.title.empty()) ctx.title = ctx.wrote(ctx.text(options.title));

  say("places");
  collectPlaces(ctx);
  say("streets");
  buildStreets(ctx);
  say("buildings and addresses");
  buildBuildings(ctx);
  say("objects");
  buildObjects(ctx);
  say("districts and microdistricts");
  buildDistricts(ctx);
  say("areas, water and lines");
  buildLayers(ctx);
  say("sea");
  buildSea(ctx);
  say("title sheet");
  buildTitleSheet(ctx);
  buildThemes(ctx);
  sortNorthToSouth(out.map);
  if (out.map.buildings.empty() && out.map.streetLines.empty()) {
    refusal = nothingInside(extract, area, options.bbox.has_value());
    return false;
  }
  if (!checkLimits(out, refusal)) return false;

  out.info.present = true;
  out.info.grid = ctx.grid;
  out.info.timeZone = ctx.timeZone;
  out.info.name = ctx.modelName(ctx.title, 40);
  // The land outline is never a coast: the sea is drawn as water areas.
  out.info.coast = false;
  out.info.builtInCaptions = false;
  out.info.credit = std::array<std::string, 2>{ctx.modelName(ctx.title, 40),
                                               "\u00a9 OpenStreetMap contributors, ODbL"};
  int transliterated = 0, unknown = 0;
  for (const std::string& name : ctx.writtenNames) {
    const auto it = ctx.textNotes.find(name);
    if (it == ctx.textNotes.end()) continue;
    transliterated += it->second.transliterated;
    unknown += it->second.unknown;
  }
  out.summary.add("names with letters transliterated", transliterated);
  out.summary.add("names with letters the code page lacks (written as \"?\")", unknown);
  out.summary.add("addresses on ways and relations that are not buildings (dropped)",
                  static_cast<int64_t>(extract.addressesOnOtherObjects));
  warnOfACutFile(extract, out);
  return true;
}

}  // namespace tikhomap::osm
