#include "tkminfo/tkminfo_lib.h"

#include <charconv>
#include <cstring>
#include <functional>
#include <map>

#include "gpkg/map_location.h"
#include "mapdata/cp1251.h"
#include "mapdata/text_rules.h"

namespace tikhomap {
namespace {

constexpr const char* kHelp =
    "usage: tkminfo DIR\n"
    "       tkminfo --dump TABLE DIR\n"
    "       tkminfo --help\n"
    "\n"
    "Reads the map files of DIR (8.tkm, 3.tkm, 4.tkm, 5.tkm, then 7.tkm with 6.tkm,\n"
    "tema.tkm, user.tkm, sign.tkm) the way the map program does. DIR may also be a\n"
    "map container (.gpkg) or a folder holding one.\n"
    "\n"
    "Without --dump it prints one line 'name: count' per table, then\n"
    "'extent: xMin yMin xMax yMax' (the header of 3.tkm), 'maxPointCount: N',\n"
    "and one line 'FILE:OFFSET: what' per damaged or unexpected place found.\n"
    "\n"
    "--dump TABLE prints the records of one table, one per line, fields\n"
    "separated by tabs in the order of the record. Text is converted from\n"
    "cp1251 to UTF-8 (control characters become spaces). A vertex array is one\n"
    "field: its points as 'x,y' pairs separated by spaces. A bounding box is four\n"
    "fields xMin yMin xMax yMax. Theme nodes are listed in storage order; their\n"
    "children and next fields are indexes into that order (-1 = none).\n"
    "\n"
    "Tables: microdistricts, districtAreas, areaFeatures, lineFeatures,\n"
    "waterFeatures, streetOutlines, streetLines, streetNames, streetLabelPoints,\n"
    "buildings, themes, userObjects, signRecords.\n"
    "\n"
    "Exit status: 0 when the base map was read, 1 when not, 2 for bad usage.\n";

std::string number(float v) {
  char buf[32];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

// A text of the model (UTF-8) on one line: control characters become spaces.
std::string text(std::string_view utf8) {
  std::string s(upToNul(utf8));
  for (char& c : s) {
    if (static_cast<unsigned char>(c) < 0x20) c = ' ';
  }
  return s;
}

template <size_t N>
std::string text(const char (&field)[N]) {
  return text(cp1251ToUtf8(fieldText(field)));
}

template <typename Point>
std::string points(const std::vector<Point>& pts) {
  std::string s;
  for (const Point& p : pts) {
    if (!s.empty()) s += ' ';
    if constexpr (std::is_same_v<Point, MapPoint>) {
      s += number(p.x) + ',' + number(p.y);
    } else {
      s += std::to_string(p.x) + ',' + std::to_string(p.y);
    }
  }
  return s;
}

std::string bounds(const MapBounds& b) {
  return number(b.xMin) + '\t' + number(b.yMin) + '\t' + number(b.xMax) + '\t' + number(b.yMax);
}

// Joins fields with tabs.
class Line {
 public:
  template <typename T>
  Line& operator<<(const T& v) {
    if (!first_) s_ += '\t';
    first_ = false;
    if constexpr (std::is_arithmetic_v<T>) {
      s_ += std::to_string(v);
    } else {
      s_ += v;
    }
    return *this;
  }
  Line& operator<<(float v) { return *this << number(v); }
  const std::string& str() const { return s_; }

 private:
  std::string s_;
  bool first_ = true;
};

void features(const std::vector<MapFeature>& table, std::ostream& out) {
  for (const MapFeature& f : table) {
    out << (Line() << f.code << f.pointCount << f.reserved << points(f.points) << bounds(f.bounds))
               .str()
        << '\n';
  }
}

size_t tableSize(const MapData& m, const std::string& name) {
  const std::map<std::string, size_t> sizes = {
      {"microdistricts", m.microdistricts.size()},
      {"districtAreas", m.districtAreas.size()},
      {"areaFeatures", m.areaFeatures.size()},
      {"lineFeatures", m.lineFeatures.size()},
      {"waterFeatures", m.waterFeatures.size()},
      {"streetOutlines", m.streetOutlines.size()},
      {"streetLines", m.streetLines.size()},
      {"streetNames", m.streetNames.size()},
      {"streetLabelPoints", m.streetLabelPoints.size()},
      {"buildings", m.buildings.size()},
      {"themes", m.themeNodes.size()},
      {"userObjects", m.userObjects.size()},
      {"signRecords", m.signRecords.size()},
  };
  return sizes.at(name);
}

bool loadFolder(const std::string& dir, MapData& map, std::vector<LoadProblem>& problems) {
  const LoadResult base = loadMapBase(dir, map, {});
  problems = base.problems;
  if (!base.ok) return false;
  const LoadResult rest = loadMapBuildings(dir, map, {});
  problems.insert(problems.end(), rest.problems.begin(), rest.problems.end());
  return true;
}

}  // namespace

const std::vector<std::string>& tkminfoTableNames() {
  static const std::vector<std::string> kNames = {
      "microdistricts", "districtAreas", "areaFeatures", "lineFeatures",      "waterFeatures",
      "streetOutlines", "streetLines",   "streetNames",  "streetLabelPoints", "buildings",
      "themes",         "userObjects",   "signRecords"};
  return kNames;
}

bool dumpTable(const MapData& m, const std::string& table, std::ostream& out) {
  if (table == "microdistricts") {
    for (const Microdistrict& r : m.microdistricts) {
      out << (Line() << r.x << r.y << text(r.name)).str() << '\n';
    }
  } else if (table == "districtAreas") {
    for (const DistrictArea& r : m.districtAreas) {
      out << (Line() << r.district << r.pointCount << points(r.points) << r.boundsLow[0]
                     << r.boundsLow[1] << r.boundsLow[2] << r.boundsLow[3])
                 .str()
          << '\n';
    }
  } else if (table == "areaFeatures") {
    features(m.areaFeatures, out);
  } else if (table == "lineFeatures") {
    features(m.lineFeatures, out);
  } else if (table == "waterFeatures") {
    features(m.waterFeatures, out);
  } else if (table == "streetOutlines") {
    features(m.streetOutlines, out);
  } else if (table == "streetLines") {
    features(m.streetLines, out);
  } else if (table == "streetNames") {
    for (const StreetName& r : m.streetNames) {
      out << (Line() << r.kind << r.streetCode << text(r.name)).str() << '\n';
    }
  } else if (table == "streetLabelPoints") {
    for (const StreetLabelPoint& r : m.streetLabelPoints) {
      out << (Line() << r.x << r.y << r.level << r.streetCode).str() << '\n';
    }
  } else if (table == "buildings") {
    for (const Building& r : m.buildings) {
      out << (Line() << r.reserved << r.x << r.y << r.purpose << r.pointCount << r.floors
                     << r.streetCode << r.state << text(r.houseNumber) << text(r.description)
                     << points(r.outline) << bounds(r.bounds))
                 .str()
          << '\n';
    }
  } else if (table == "themes") {
    for (const ThemeNode& r : m.themeNodes) {
      out << (Line() << r.reserved1 << r.reserved2 << text(r.code) << text(r.name) << r.children
                     << r.next)
                 .str()
          << '\n';
    }
  } else if (table == "userObjects") {
    for (const UserObject& r : m.userObjects) {
      out << (Line() << r.reserved << r.x << r.y << r.foundMark << text(r.theme) << text(r.name))
                 .str()
          << '\n';
    }
  } else if (table == "signRecords") {
    for (const SignRecord& r : m.signRecords) {
      out << (Line() << r.id << r.a << r.b << r.spare << r.p << r.q << text(r.text)).str() << '\n';
    }
  } else {
    return false;
  }
  return true;
}

int runTkminfo(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    out << kHelp;
    return 0;
  }
  const bool dump = args.size() == 3 && args[0] == "--dump";
  if (!dump && (args.size() != 1 || args[0].starts_with("-"))) {
    err << kHelp;
    return 2;
  }
  const std::string& dir = args.back();
  if (dump) {
    const auto& names = tkminfoTableNames();
    if (std::find(names.begin(), names.end(), args[1]) == names.end()) {
      err << "tkminfo: unknown table '" << args[1] << "'\n";
      return 2;
    }
  }
  MapData map;
  std::vector<LoadProblem> problems;
  const bool ok = loadFolder(dir, map, problems);
  if (dump) {
    if (ok) dumpTable(map, args[1], out);
  } else {
    for (const std::string& name : tkminfoTableNames()) {
      out << name << ": " << tableSize(map, name) << '\n';
    }
    const MapBounds& e = map.cityExtent;
    out << "extent: " << number(e.xMin) << ' ' << number(e.yMin) << ' ' << number(e.xMax) << ' '
        << number(e.yMax) << '\n';
    out << "maxPointCount: " << map.maxPointCount << '\n';
    for (const LoadProblem& p : problems)
      out << p.file << ':' << p.offset << ": " << p.what << '\n';
  }
  if (!ok) err << "tkminfo: the base map of " << dir << " cannot be read\n";
  return ok ? 0 : 1;
}

}  // namespace tikhomap
