#include "osm2tkm/tag_mapping.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <iterator>
#include <string>

namespace tikhomap::osm {
namespace {

bool oneOf(std::string_view v, std::initializer_list<std::string_view> list) {
  for (std::string_view s : list)
    if (v == s) return true;
  return false;
}

// A decimal count of storeys: digits, optionally ".digits"; nothing else.
std::optional<double> parseLevels(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  if (text.empty() || text.size() > 8) return std::nullopt;
  int dots = 0;
  for (char c : text) {
    if (c == '.') {
      ++dots;
    } else if (c < '0' || c > '9') {
      return std::nullopt;
    }
  }
  if (dots > 1 || text.front() == '.' || text.back() == '.') return std::nullopt;
  double v = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return v;
}

std::string_view stripLink(std::string_view highway) {
  constexpr std::string_view kLink = "_link";
  if (highway.size() > kLink.size() && highway.substr(highway.size() - kLink.size()) == kLink)
    highway.remove_suffix(kLink.size());
  return highway;
}

}  // namespace

std::optional<RoadClass> roadClass(const Tags& tags) {
  const std::string_view h = stripLink(tagValue(tags, "highway"));
  if (h == "motorway") return RoadClass{24, 10, true};
  if (h == "trunk") return RoadClass{20, 10, true};
  if (h == "primary") return RoadClass{16, 10, true};
  if (h == "secondary") return RoadClass{14, 20, true};
  if (h == "tertiary") return RoadClass{12, 20, true};
  if (oneOf(h, {"residential", "unclassified", "living_street", "road"}))
    return RoadClass{10, 40, true};
  if (h == "pedestrian") return RoadClass{8, 40, false};
  if (h == "service") return RoadClass{6, 50, true};
  if (oneOf(h, {"track", "footway", "path", "cycleway", "bridleway", "steps"}))
    return RoadClass{3, 50, false};
  return std::nullopt;
}

int16_t defaultStoreys(std::string_view type) {
  if (oneOf(type, {"house", "detached", "semidetached_house", "terrace", "bungalow", "farm"}))
    return 2;
  if (oneOf(type, {"apartments", "residential", "dormitory", "hotel", "office", "commercial",
                   "retail", "hospital", "civic", "government"}))
    return 3;
  if (oneOf(type, {"garage", "garages", "shed", "hut", "carport", "barn", "stable", "cabin", "roof",
                   "greenhouse", "kiosk", "farm_auxiliary", "service", "industrial", "warehouse",
                   "manufacture"}))
    return 1;
  return 2;
}

Storeys buildingStoreys(const Tags& tags) {
  Storeys s;
  s.floors = defaultStoreys(tagValue(tags, "building"));
  const std::string_view levels = tagValue(tags, "building:levels");
  const std::string_view roof = tagValue(tags, "roof:levels");
  if (levels.empty() && roof.empty()) return s;
  const std::optional<double> body =
      levels.empty() ? std::optional<double>(0) : parseLevels(levels);
  const std::optional<double> top = roof.empty() ? std::optional<double>(0) : parseLevels(roof);
  const bool bodyOk = body && (levels.empty() || (*body >= 1 && *body <= 99));
  const bool topOk = top && *top <= 9;
  if (!bodyOk || !topOk) {
    s.absurd = true;
    return s;
  }
  const long total = std::lround(std::floor(*body + 0.5) + std::floor(*top + 0.5));
  if (levels.empty()) {
    // Only a roof storey count: on top of the type's default.
    s.floors = static_cast<int16_t>(s.floors + total);
  } else {
    s.floors = static_cast<int16_t>(std::max(1L, total));
  }
  s.fromTags = true;
  return s;
}

namespace {

// A house number of digits and an optional single small Latin letter.
struct SplitNumber {
  long value = 0;
  char letter = 0;
};
std::optional<SplitNumber> splitNumber(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  SplitNumber n;
  size_t digits = 0;
  while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') ++digits;
  if (digits == 0 || digits > 6) return std::nullopt;
  std::from_chars(text.data(), text.data() + digits, n.value);
  std::string_view rest = text.substr(digits);
  while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
  if (rest.size() == 1 && rest[0] >= 'a' && rest[0] <= 'z') n.letter = rest[0];
  if (rest.size() == 1 && rest[0] >= 'A' && rest[0] <= 'Z')
    n.letter = static_cast<char>(rest[0] + 32);
  if (!rest.empty() && n.letter == 0) return std::nullopt;
  return n;
}

}  // namespace

std::vector<std::string> interpolatedNumbers(std::string_view scheme, std::string_view from,
                                             std::string_view to) {
  constexpr long kLongestSpan = 1000;
  std::vector<std::string> out;
  const std::optional<SplitNumber> a = splitNumber(from), b = splitNumber(to);
  if (!a || !b) return out;
  if (scheme == "alphabetic") {
    if (a->value != b->value) return out;
    const char lo = a->letter == 0 ? '`' : a->letter;  // "12" .. "12c": a, b
    const char hi = b->letter;
    for (char c = static_cast<char>(std::min(lo, hi) + 1); c < std::max(lo, hi) && c <= 'z'; ++c)
      out.push_back(std::to_string(a->value) + c);
    if (lo > hi) std::reverse(out.begin(), out.end());
    return out;
  }
  if (a->letter != 0 || b->letter != 0) return out;
  long step = 0;
  if (scheme == "all" || scheme == "1") {
    step = 1;
  } else if (scheme == "odd" || scheme == "even" || scheme == "2") {
    const long parity = scheme == "odd" ? 1 : scheme == "even" ? 0 : a->value % 2;
    if (a->value % 2 != parity || b->value % 2 != parity) return out;
    step = 2;
  } else {
    return out;
  }
  const long span = b->value - a->value;
  if (span == 0 || std::labs(span) / step > kLongestSpan) return out;
  const long dir = span > 0 ? step : -step;
  for (long v = a->value + dir; v != b->value && (dir > 0 ? v < b->value : v > b->value); v += dir)
    out.push_back(std::to_string(v));
  return out;
}

bool isBuilding(const Tags& tags) {
  const std::string_view b = tagValue(tags, "building");
  return !b.empty() && b != "no";
}

std::optional<int16_t> usePurpose(const Tags& tags) {
  const std::string_view a = tagValue(tags, "amenity");
  if (oneOf(a, {"school", "college", "university", "music_school"})) return 444;
  if (a == "kindergarten") return 660;
  if (a == "hospital") return 555;
  if (oneOf(a, {"clinic", "doctors", "dentist", "pharmacy"})) return 661;
  if (oneOf(a, {"townhall", "police", "library", "place_of_worship", "community_centre", "theatre",
                "cinema", "courthouse", "post_office", "fire_station", "arts_centre", "bus_station",
                "monastery", "social_facility", "prison"}))
    return 461;
  if (oneOf(a, {"bank", "restaurant", "cafe", "fast_food", "bar", "pub", "marketplace"}))
    return 888;
  const std::string_view h = tagValue(tags, "healthcare");
  if (h == "hospital") return 555;
  if (!h.empty() && h != "no") return 661;
  const std::string_view t = tagValue(tags, "tourism");
  if (oneOf(t, {"museum", "gallery"})) return 461;
  if (oneOf(t, {"hotel", "guest_house", "hostel", "motel"})) return 888;
  const std::string_view office = tagValue(tags, "office");
  if (oneOf(office, {"government", "diplomatic"})) return 461;
  if (!office.empty() && office != "no") return 888;
  const std::string_view shop = tagValue(tags, "shop");
  if (!shop.empty() && shop != "no" && shop != "vacant") return 888;
  return std::nullopt;
}

int usePriority(int16_t purpose) {
  switch (purpose) {
    case 555:
      return 0;
    case 444:
      return 1;
    case 660:
      return 2;
    case 461:
      return 3;
    case 661:
      return 4;
    case 888:
      return 5;
    default:
      return 6;
  }
}

bool generalBuildingValue(const Tags& tags) {
  return oneOf(tagValue(tags, "building"), {"yes", "commercial", "civic", "public"});
}

int16_t buildingPurpose(const Tags& tags) {
  if (const std::optional<int16_t> use = usePurpose(tags)) return *use;
  const std::string_view b = tagValue(tags, "building");
  if (oneOf(b, {"school", "university", "college"})) return 444;
  if (b == "kindergarten") return 660;
  if (b == "hospital") return 555;
  if (oneOf(b, {"church", "chapel", "cathedral", "mosque", "synagogue", "temple", "civic", "public",
                "government", "townhall", "train_station", "transportation", "museum", "library",
                "fire_station", "sports_hall", "stadium"}))
    return 461;
  if (oneOf(b, {"commercial", "retail", "office", "hotel", "supermarket", "kiosk"})) return 888;
  if (oneOf(b, {"industrial", "warehouse", "manufacture", "factory", "hangar", "storage_tank",
                "service", "transformer_tower"}))
    return 777;
  if (oneOf(b, {"garage", "garages", "shed", "hut", "carport", "barn", "stable", "cabin", "roof",
                "greenhouse", "farm_auxiliary", "cowshed", "sty"}))
    return 413;
  return 411;
}

std::optional<std::string_view> objectTheme(const Tags& tags) {
  const std::string_view a = tagValue(tags, "amenity");
  if (!a.empty()) {
    if (a == "school") return "12";
    if (oneOf(a, {"kindergarten", "preschool", "childcare"})) return "13";
    if (oneOf(a, {"college", "university"})) return "15";
    if (a == "music_school") return "16";
    if (oneOf(a, {"clinic", "doctors"})) return "22";
    if (a == "hospital") return "23";
    if (a == "pharmacy") return "24";
    if (a == "dentist") return "25";
    if (a == "marketplace") return "37";
    if (a == "community_centre") return "42";
    if (a == "library") return "43";
    if (a == "cinema") return "44";
    if (oneOf(a, {"theatre", "arts_centre"})) return "45";
    if (a == "bus_station") return "63";
    if (oneOf(a, {"fuel", "car_wash", "car_repair"})) return "64";
    if (oneOf(a, {"parking", "car_sharing"})) return "65";
    if (oneOf(a, {"bank", "bureau_de_change", "atm"})) return "72";
    if (oneOf(a, {"townhall", "public_building", "embassy"})) return "82";
    if (a == "police") return "83";
    if (a == "courthouse") return "84";
    if (a == "post_office") return "85";
    if (a == "fire_station") return "87";
    if (oneOf(a, {"place_of_worship", "monastery"})) return "47";
    if (oneOf(a, {"gym", "swimming_pool"})) return "52";
    if (oneOf(a, {"social_facility", "nursing_home"})) return "22";
    if (oneOf(a, {"restaurant", "cafe", "fast_food", "bar", "pub", "biergarten", "ice_cream"}))
      return "95";
  }
  const std::string_view shop = tagValue(tags, "shop");
  if (!shop.empty() && shop != "no" && shop != "vacant") {
    if (oneOf(shop, {"supermarket"})) return "33";
    if (oneOf(shop, {"mall", "department_store"})) return "34";
    if (oneOf(shop, {"convenience", "bakery", "butcher", "greengrocer", "beverages", "alcohol",
                     "wine", "confectionery", "deli", "dairy", "cheese", "farm", "food"}))
      return "32";
    if (oneOf(shop, {"hardware", "doityourself", "garden_centre", "houseware", "furniture"}))
      return "35";
    if (oneOf(shop, {"clothes", "shoes", "boutique", "fashion"})) return "36";
    if (oneOf(shop, {"hairdresser", "beauty"})) return "92";
    if (oneOf(shop, {"car_repair", "car", "tyres"})) return "64";
    return "38";
  }
  const std::string_view office = tagValue(tags, "office");
  if (!office.empty() && office != "no") {
    if (office == "insurance") return "73";
    if (oneOf(office, {"lawyer", "notary"})) return "74";
    if (office == "government") return "82";
    return "B2";
  }
  if (!tagValue(tags, "healthcare").empty()) return "22";
  const std::string_view tourism = tagValue(tags, "tourism");
  if (oneOf(tourism, {"hotel", "guest_house", "hostel", "motel", "apartment", "chalet",
                      "alpine_hut", "camp_site", "caravan_site", "wilderness_hut"}))
    return "96";
  if (oneOf(tourism, {"museum", "gallery"})) return "45";
  if (oneOf(tourism, {"attraction", "artwork", "viewpoint", "zoo", "theme_park"})) return "46";
  if (tourism == "information") return "48";
  if (!tagValue(tags, "craft").empty()) return "93";
  if (oneOf(tagValue(tags, "historic"),
            {"castle", "ruins", "monument", "memorial", "archaeological_site", "fort", "church",
             "chapel", "city_gate", "tower", "manor", "building"}))
    return "46";
  if (oneOf(tagValue(tags, "leisure"), {"sports_centre", "stadium", "swimming_pool", "ice_rink",
                                        "water_park", "fitness_centre", "sports_hall"}))
    return "52";
  return std::nullopt;
}

bool isPointOfInterest(const Tags& tags) {
  for (const char* key :
       {"amenity", "shop", "office", "healthcare", "tourism", "craft", "historic"})
    if (!tagValue(tags, key).empty()) return !tagValue(tags, "name").empty();
  return false;
}

Layer areaLayer(const Tags& tags) {
  const std::string_view landuse = tagValue(tags, "landuse");
  const std::string_view natural = tagValue(tags, "natural");
  const std::string_view leisure = tagValue(tags, "leisure");
  if (landuse == "forest" || natural == "wood") return Layer::Forest;
  if (natural == "water" || oneOf(landuse, {"reservoir", "basin"}) ||
      tagValue(tags, "waterway") == "riverbank")
    return Layer::Water;
  if (oneOf(landuse, {"orchard", "vineyard", "allotments"})) return Layer::Orchard;
  if (oneOf(leisure, {"park", "garden", "pitch", "playground"}) ||
      oneOf(landuse, {"grass", "meadow", "village_green", "recreation_ground", "cemetery"}))
    return Layer::Green;
  return Layer::None;
}

Layer lineLayer(const Tags& tags) {
  if (oneOf(tagValue(tags, "waterway"), {"river", "stream", "canal", "drain", "ditch"}) ||
      tagValue(tags, "natural") == "coastline")
    return Layer::WaterLine;
  if (oneOf(tagValue(tags, "railway"), {"rail", "light_rail", "narrow_gauge"}))
    return Layer::Railway;
  return Layer::None;
}

int16_t layerCode(Layer layer) {
  switch (layer) {
    case Layer::Forest:
      return 718;
    case Layer::Green:
      return 6614;
    case Layer::Orchard:
      return 750;
    case Layer::Water:
      return 4912;
    case Layer::WaterLine:
      return 4950;
    case Layer::Railway:
      return 3011;
    case Layer::None:
      break;
  }
  return 0;
}

bool isMicrodistrictPlace(const Tags& tags) {
  return oneOf(tagValue(tags, "place"),
               {"suburb", "quarter", "neighbourhood", "village", "hamlet", "town"}) &&
         !tagValue(tags, "name").empty();
}

}  // namespace tikhomap::osm
