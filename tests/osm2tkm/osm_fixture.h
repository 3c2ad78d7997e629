// A small hand-written town in OpenStreetMap XML, written into a fresh
// temporary folder: names in German and Russian, buildings with and without
// storeys, a multipolygon with a courtyard, addresses on buildings and on
// nodes inside them, a building of several entrances, an address on a street that does not exist,
// one street name in two villages, and references to nodes and ways that are missing.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace tikhomap::osm::testing {

namespace fs = std::filesystem;

class TempDir {
 public:
  TempDir() {
    static int serial = 0;
    path_ = fs::temp_directory_path() /
            ("osm2tkm-test-" + std::to_string(::getpid()) + "-" + std::to_string(serial++));
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

// How the XML lays its objects out: every layout is valid OpenStreetMap.
struct Layout {
  bool negativeIds = false;  // -1, -2, …: drawn in an editor, never uploaded
  bool waysFirst = false;    // ways, then relations, then nodes (query services)
  bool reversed = false;     // each kind in falling id order
  bool oldVersions = false;  // an older, untagged version before each way
};

// Builds the XML; ids are given out in order.
class OsmXml {
 public:
  explicit OsmXml(Layout layout = {}) : layout_(layout) {}
  long node(double lat, double lon,
            const std::vector<std::pair<std::string, std::string>>& tags = {}) {
    const long id = nextId();
    std::string n = "  <node id=\"" + std::to_string(id) + "\" version=\"1\" lat=\"" + num(lat) +
                    "\" lon=\"" + num(lon) + "\"";
    n += tags.empty() ? "/>\n" : ">\n" + tagText(tags) + "  </node>\n";
    nodes_.push_back(n);
    return id;
  }
  long way(const std::vector<long>& refs,
           const std::vector<std::pair<std::string, std::string>>& tags) {
    const long id = nextId();
    std::string refText;
    for (long r : refs) refText += "    <nd ref=\"" + std::to_string(r) + "\"/>\n";
    std::string w;
    if (layout_.oldVersions)
      w += "  <way id=\"" + std::to_string(id) + "\" version=\"1\">\n" + refText + "  </way>\n";
    w += "  <way id=\"" + std::to_string(id) + "\" version=\"" + (layout_.oldVersions ? "2" : "1") +
         "\">\n" + refText + tagText(tags) + "  </way>\n";
    ways_.push_back(w);
    return id;
  }
  // A closed way around a lat/lon rectangle.
  long box(double lat0, double lon0, double lat1, double lon1,
           const std::vector<std::pair<std::string, std::string>>& tags) {
    const long a = node(lat0, lon0), b = node(lat0, lon1), c = node(lat1, lon1),
               d = node(lat1, lon0);
    return way({a, b, c, d, a}, tags);
  }
  long relation(const std::vector<std::pair<long, std::string>>& wayMembers,
                const std::vector<std::pair<std::string, std::string>>& tags) {
    const long id = nextId();
    std::string r = "  <relation id=\"" + std::to_string(id) + "\" version=\"1\">\n";
    for (const auto& [ref, role] : wayMembers)
      r += "    <member type=\"way\" ref=\"" + std::to_string(ref) + "\" role=\"" + role + "\"/>\n";
    relations_.push_back(r + tagText(tags) + "  </relation>\n");
    return id;
  }
  std::string text(double lat0, double lon0, double lat1, double lon1) const {
    const auto join = [&](std::vector<std::string> v) {
      if (layout_.reversed) std::reverse(v.begin(), v.end());
      std::string s;
      for (const std::string& e : v) s += e;
      return s;
    };
    const std::string body = layout_.waysFirst ? join(ways_) + join(relations_) + join(nodes_)
                                               : join(nodes_) + join(ways_) + join(relations_);
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<osm version=\"0.6\" generator=\"test\">\n"
           "  <bounds minlat=\"" +
           num(lat0) + "\" minlon=\"" + num(lon0) + "\" maxlat=\"" + num(lat1) + "\" maxlon=\"" +
           num(lon1) + "\"/>\n" + body + "</osm>\n";
  }

 private:
  long nextId() { return layout_.negativeIds ? -++count_ : ++count_; }
  static std::string num(double v) {
    char t[32];
    std::snprintf(t, sizeof t, "%.7f", v);
    return t;
  }
  static std::string tagText(const std::vector<std::pair<std::string, std::string>>& tags) {
    std::string s;
    for (const auto& [k, v] : tags) s += "    <tag k=\"" + k + "\" v=\"" + v + "\"/>\n";
    return s;
  }
  Layout layout_;
  long count_ = 0;
  std::vector<std::string> nodes_, ways_, relations_;
};

// The town: 47.100..47.120 N, 9.500..9.530 E (about 2.2 by 2.3 km).
inline std::string smallTownXml(Layout layout = {}, double lat0 = 47.100, double lon0 = 9.500,
                                double lat1 = 47.120, double lon1 = 9.530) {
  OsmXml x(layout);
  x.node(47.1050, 9.5050, {{"place", "village"}, {"name", "Vaduz"}});
  x.node(47.1055, 9.5055, {{"place", "hamlet"}, {"name", "Vaduz"}});  // the same, drawn twice
  x.node(47.1180, 9.5250, {{"place", "village"}, {"name", "Schaan"}});
  x.node(47.1120, 9.5200, {{"place", "hamlet"}, {"name", "Ёлкино"}});

  const long s1 = x.node(47.1045, 9.5020), s2 = x.node(47.1045, 9.5050),
             s3 = x.node(47.1045, 9.5080);
  x.way({s1, s2, s3}, {{"highway", "residential"}, {"name", "Städtle"}});
  const long d1 = x.node(47.1060, 9.5020), d2 = x.node(47.1060, 9.5040);
  x.way({d1, d2}, {{"highway", "residential"}, {"name", "Dorfstrasse"}});
  const long d3 = x.node(47.1180, 9.5220), d4 = x.node(47.1180, 9.5240);
  x.way({d3, d4}, {{"highway", "residential"}, {"name", "Dorfstrasse"}});
  const long m1 = x.node(47.1120, 9.5100), m2 = x.node(47.1120, 9.5150);
  x.way({m1, m2}, {{"highway", "tertiary"}, {"name", "Улица Мира"}});
  const long u1 = x.node(47.1090, 9.5100), u2 = x.node(47.1090, 9.5150);
  x.way({u1, u2}, {{"highway", "service"}});
  // A road through a node that the extract does not have.
  const long b1 = x.node(47.1100, 9.5100), b2 = x.node(47.1100, 9.5150);
  x.way({b1, 999999, b2}, {{"highway", "residential"}, {"name", "Broken Road"}});
  // A road running out of the area: cut at its edge.
  const long o1 = x.node(47.1150, 9.5150), o2 = x.node(47.1250, 9.5150);
  x.way({o1, o2}, {{"highway", "primary"}, {"name", "Landstrasse"}});

  // Buildings. A: own address and three storeys, a pharmacy inside.
  x.box(47.1040, 9.5040, 47.1042, 9.5043,
        {{"building", "house"},
         {"building:levels", "3"},
         {"addr:housenumber", "5"},
         {"addr:street", "Städtle"}});
  x.node(47.1041, 9.50415, {{"amenity", "pharmacy"}, {"name", "Apotheke am Städtle"}});
  // B: no storeys, its address on a node inside it.
  x.box(47.1040, 9.5050, 47.1042, 9.5053, {{"building", "yes"}, {"name", "Ωmega"}});
  x.node(47.1041, 9.50515, {{"addr:housenumber", "7"}, {"addr:street", "Städtle"}});
  // Its further entrances, one of them tagged twice.
  x.node(47.10405, 9.5051, {{"addr:housenumber", "9"}, {"addr:street", "Städtle"}});
  x.node(47.10415, 9.5052, {{"addr:housenumber", "11"}, {"addr:street", "Städtle"}});
  x.node(47.10415, 9.5051, {{"addr:housenumber", "11"}, {"addr:street", "Städtle"}});
  // C: a multipolygon with a courtyard.
  const long outer = x.box(47.1070, 9.5050, 47.1075, 9.5058, {});
  const long inner = x.box(47.1072, 9.5053, 47.1073, 9.5055, {});
  x.relation({{outer, "outer"}, {inner, "inner"}}, {{"type", "multipolygon"},
                                                    {"building", "apartments"},
                                                    {"building:levels", "5"},
                                                    {"addr:housenumber", "12"},
                                                    {"addr:street", "Dorfstrasse"}});
  // D: an address on a street that is not in the extract.
  x.box(47.1080, 9.5060, 47.1082, 9.5063,
        {{"building", "house"}, {"addr:housenumber", "1"}, {"addr:street", "Nowhere Lane"}});
  // E, F, G: absurd storeys.
  x.box(47.1084, 9.5060, 47.1086, 9.5063, {{"building", "house"}, {"building:levels", "five"}});
  x.box(47.1088, 9.5060, 47.1090, 9.5063, {{"building", "garage"}, {"building:levels", "-3"}});
  x.box(47.1092, 9.5060, 47.1094, 9.5063, {{"building", "yes"}, {"building:levels", "200000"}});
  // A museum in G, and a shop in the house E that stays a dwelling.
  x.node(47.1093, 9.50615, {{"tourism", "museum"}});
  x.node(47.1085, 9.50615, {{"shop", "kiosk"}});
  // H: a house number too long for its field.
  x.box(47.1096, 9.5060, 47.1098, 9.5063,
        {{"building", "house"}, {"addr:housenumber", "12345678"}, {"addr:street", "Städtle"}});
  // I: a school with a Russian name.
  x.box(47.1121, 9.5110, 47.1124, 9.5116,
        {{"building", "school"},
         {"amenity", "school"},
         {"name", "Школа №1"},
         {"addr:housenumber", "3"},
         {"addr:street", "Улица Мира"}});
  // J: a building across the north edge of the area: dropped.
  x.box(47.1199, 9.5100, 47.1202, 9.5103, {{"building", "house"}});
  // K: a house of the Schaan Dorfstrasse.
  x.box(47.1182, 9.5225, 47.1184, 9.5228,
        {{"building", "house"}, {"addr:housenumber", "2"}, {"addr:street", "Dorfstrasse"}});
  // A bakery and a church far from every building, and a named bench.
  x.node(47.1150, 9.5290, {{"shop", "bakery"}, {"name", "Far Bakery"}});
  x.node(47.1150, 9.5280, {{"amenity", "place_of_worship"}, {"name", "St. Florin"}});
  x.node(47.1150, 9.5270, {{"amenity", "bench"}, {"name", "Bank"}});
  // The town hall's site around C, with no building tag.
  x.box(47.1068, 9.5048, 47.1077, 9.5060, {{"amenity", "townhall"}, {"name", "Rathaus"}});
  // A multipolygon building whose ways are missing.
  x.relation({{888888, "outer"}}, {{"type", "multipolygon"}, {"building", "yes"}});
  // Forest and a lake.
  x.box(47.1010, 9.5200, 47.1030, 9.5250, {{"landuse", "forest"}});
  x.box(47.1010, 9.5100, 47.1020, 9.5120, {{"natural", "water"}});
  // For the summary: an unnamed footpath, a house number on a way that is no
  // building, a building and a road named with an umlaut far outside.
  const long f1 = x.node(47.1030, 9.5100), f2 = x.node(47.1035, 9.5110);
  x.way({f1, f2}, {{"highway", "footway"}});
  const long p1 = x.node(47.1025, 9.5150), p2 = x.node(47.1027, 9.5155);
  x.way({p1, p2}, {{"amenity", "parking"}, {"addr:housenumber", "9"}});
  x.box(47.1500, 9.5100, 47.1502, 9.5103, {{"building", "house"}});
  const long a1 = x.node(47.1500, 9.5200), a2 = x.node(47.1500, 9.5250);
  x.way({a1, a2}, {{"highway", "residential"}, {"name", "Außenweg"}});
  return x.text(lat0, lon0, lat1, lon1);
}

inline fs::path writeFile(const fs::path& dir, const std::string& name, const std::string& text) {
  const fs::path p = dir / name;
  std::ofstream out(p, std::ios::binary);
  out << text;
  return p;
}

}  // namespace tikhomap::osm::testing
