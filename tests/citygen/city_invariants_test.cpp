// Invariants of the generated city that the readers, the drawing and the
// searches rely on. They are checked on the small town, which is made the
// same way as the full city.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <numeric>
#include <set>
#include <string>

#include "citygen/city_generator.h"
#include "mapdata/cp1251.h"
#include "mapdata/text_rules.h"
#include "mapdata/tkm_writer.h"

namespace tikhomap {
namespace {

const GeneratedCity& town() {
  static const GeneratedCity city = generateCity({7, CitySize::Tiny});
  return city;
}

template <typename P>
bool inside(const std::vector<P>& poly, double x, double y) {
  bool in = false;
  for (size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++) {
    const double ax = poly[i].x, ay = poly[i].y, bx = poly[j].x, by = poly[j].y;
    if ((ay > y) != (by > y) && x < ax + (y - ay) * (bx - ax) / (by - ay)) in = !in;
  }
  return in;
}

// Leading whole number of a house number ("12а" -> 12).
int leadingNumber(const char* s) {
  return std::atoi(s);
}

TEST(CityGenerator, SameOptionsGiveTheSameFilesAndSeedsDiffer) {
  const GeneratedCity again = generateCity({7, CitySize::Tiny});
  const GeneratedCity other = generateCity({8, CitySize::Tiny});
  const MapData& a = town().map;
  EXPECT_EQ(writeDistrictFile(a), writeDistrictFile(again.map));
  EXPECT_EQ(writeTopoFile(a), writeTopoFile(again.map));
  EXPECT_EQ(writeStreetFile(a), writeStreetFile(again.map));
  EXPECT_EQ(writeBuildingAttributeFile(a), writeBuildingAttributeFile(again.map));
  EXPECT_EQ(writeBuildingGeometryFile(a), writeBuildingGeometryFile(again.map));
  EXPECT_EQ(writeUserObjectFile(a), writeUserObjectFile(again.map));
  EXPECT_EQ(writeTitleFile(town().regional), writeTitleFile(again.regional));
  EXPECT_EQ(writeTitleFile(town().cityWater), writeTitleFile(again.cityWater));
  EXPECT_NE(writeBuildingGeometryFile(a), writeBuildingGeometryFile(other.map));
  EXPECT_NE(writeDistrictFile(a), writeDistrictFile(other.map));
}

TEST(CityGenerator, TablesRunNorthToSouthAndStayWithinSixteenBits) {
  const MapData& m = town().map;
  auto north = [](const auto& table) {
    for (size_t i = 1; i < table.size(); ++i)
      if (table[i].bounds.xMin > table[i - 1].bounds.xMin) return false;
    return true;
  };
  EXPECT_TRUE(north(m.areaFeatures));
  EXPECT_TRUE(north(m.waterFeatures));
  EXPECT_TRUE(north(m.streetOutlines));
  EXPECT_TRUE(north(m.streetLines));
  EXPECT_TRUE(north(m.buildings));
  for (size_t i = 1; i < m.streetLabelPoints.size(); ++i)
    ASSERT_LE(m.streetLabelPoints[i].x, m.streetLabelPoints[i - 1].x);
  for (size_t n : {m.areaFeatures.size(), m.lineFeatures.size(), m.waterFeatures.size(),
                   m.streetOutlines.size(), m.streetLines.size(), m.streetNames.size(),
                   m.streetLabelPoints.size(), m.buildings.size(), m.userObjects.size(),
                   m.districtAreas.size(), m.microdistricts.size()})
    EXPECT_LE(n, 32767u);
  for (const auto* t :
       {&m.areaFeatures, &m.lineFeatures, &m.waterFeatures, &m.streetOutlines, &m.streetLines})
    for (const MapFeature& f : *t) {
      ASSERT_EQ(static_cast<size_t>(f.pointCount), f.points.size());
      ASSERT_GE(f.pointCount, 2);
      ASSERT_LE(f.pointCount, m.maxPointCount);
    }
  for (const Building& b : m.buildings) {
    ASSERT_EQ(static_cast<size_t>(b.pointCount), b.outline.size());
    ASSERT_LE(utf8ToCp1251(b.houseNumber).size(), 6u);
    ASSERT_LE(utf8ToCp1251(b.description).size(), 46u);
    ASSERT_GE(b.floors, 1);
    ASSERT_LE(b.floors, 25);
  }
}

TEST(CityGenerator, StreetNamesAscendInFoldedByteOrderAndAreUnique) {
  const MapData& m = town().map;
  std::set<std::string> seen;
  for (size_t i = 0; i < m.streetNames.size(); ++i) {
    const std::string name = m.streetNames[i].name;
    ASSERT_FALSE(name.empty());
    ASSERT_LE(utf8ToCp1251(name).size(), 29u);
    EXPECT_TRUE(seen.insert(name).second) << "repeated street name";
    if (i == 0) continue;
    std::string a = utf8ToCp1251(m.streetNames[i - 1].name), b = utf8ToCp1251(name);
    foldCase(a), foldCase(b);
    EXPECT_LE(std::memcmp(a.c_str(), b.c_str(), std::min(a.size(), b.size()) + 1), 0);
  }
  for (const StreetName& s : m.streetNames) {
    const StreetName* found = m.streetByCode(s.streetCode);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->streetCode, s.streetCode);
  }
}

TEST(CityGenerator, StreetAxesFormOneNetworkJoinedAtSharedVertices) {
  const MapData& m = town().map;
  std::map<std::pair<float, float>, std::vector<size_t>> linesAt;
  for (size_t i = 0; i < m.streetLines.size(); ++i)
    for (const MapPoint& p : m.streetLines[i].points) linesAt[{p.x, p.y}].push_back(i);
  std::vector<size_t> parent(m.streetLines.size());
  std::iota(parent.begin(), parent.end(), 0);
  auto find = [&](size_t a) {
    while (parent[a] != a) a = parent[a] = parent[parent[a]];
    return a;
  };
  size_t junctions = 0;
  for (const auto& [point, lines] : linesAt) {
    if (lines.size() > 1) ++junctions;
    for (size_t k = 1; k < lines.size(); ++k) parent[find(lines[k])] = find(lines[0]);
  }
  std::set<size_t> components;
  for (size_t i = 0; i < parent.size(); ++i) components.insert(find(i));
  EXPECT_EQ(components.size(), 1u);
  EXPECT_GT(junctions, m.streetNames.size());
  // Every street has a line, or is a name used only for addresses.
  std::set<int> withLines;
  for (const MapFeature& f : m.streetLines) withLines.insert(f.code);
  for (const StreetName& s : m.streetNames)
    if (s.kind != 100) {
      EXPECT_TRUE(withLines.count(s.streetCode)) << s.streetCode;
    }
}

TEST(CityGenerator, BuildingsHaveNamedStreetsAndAddressesOnLand) {
  const MapData& m = town().map;
  const auto& land = m.districtAreas[0].points;
  std::set<std::pair<int, int>> addresses;
  for (const Building& b : m.buildings) {
    ASSERT_NE(m.streetByCode(b.streetCode), nullptr);
    EXPECT_TRUE(inside(land, b.x, b.y)) << b.x << "," << b.y;
    EXPECT_TRUE(
        inside(b.outline, b.x + 0.0, b.y + 0.0) ||
        std::any_of(b.outline.begin(), b.outline.end(),
                    [&](const MapPoint& p) { return std::hypot(p.x - b.x, p.y - b.y) < 12; }))
        << "purpose " << b.purpose << " points " << b.pointCount << " at " << b.x << "," << b.y
        << " first " << b.outline[0].x << "," << b.outline[0].y;
    EXPECT_TRUE(addresses.insert({b.x, b.y}).second) << "two buildings share an address point";
  }
}

TEST(CityGenerator, BuildingsDoNotOverlapEachOther) {
  const MapData& m = town().map;
  // A vertex of one footprint strictly inside another footprint means they
  // overlap; the tables are sorted by xMin, so only near neighbours are tried.
  for (size_t i = 0; i < m.buildings.size(); ++i)
    for (size_t j = i + 1; j < m.buildings.size(); ++j) {
      const Building& a = m.buildings[i];
      const Building& b = m.buildings[j];
      if (b.bounds.xMax < a.bounds.xMin - 200) break;
      if (b.bounds.xMin > a.bounds.xMax || b.bounds.yMin > a.bounds.yMax ||
          b.bounds.yMax < a.bounds.yMin || b.bounds.xMax < a.bounds.xMin)
        continue;
      const MapPoint c{(b.bounds.xMin + b.bounds.xMax) / 2, (b.bounds.yMin + b.bounds.yMax) / 2};
      for (const MapPoint& p : b.outline) {
        // Pull the vertex a little towards its own centre, off shared edges.
        const double x = p.x + (c.x - p.x) * 0.05, y = p.y + (c.y - p.y) * 0.05;
        ASSERT_FALSE(inside(a.outline, x, y)) << "buildings " << i << " and " << j;
      }
    }
}

TEST(CityGenerator, HouseNumbersRiseAlongEachSideOfAStreet) {
  const MapData& m = town().map;
  // For each street and side (odd or even), the houses in number order
  // must not run backwards along the axis record they face.
  std::map<std::pair<int, int>, std::vector<const Building*>> sides;
  for (const Building& b : m.buildings)
    if (!b.houseNumber.empty())
      sides[{b.streetCode, leadingNumber(b.houseNumber.c_str()) % 2}].push_back(&b);
  size_t checked = 0;
  for (auto& [key, houses] : sides) {
    std::stable_sort(houses.begin(), houses.end(), [](const Building* a, const Building* b) {
      const int na = leadingNumber(a->houseNumber.c_str());
      const int nb = leadingNumber(b->houseNumber.c_str());
      if (na != nb) return na < nb;
      return a->houseNumber < b->houseNumber;
    });
    auto project = [&](const Building* b, size_t* line, double* arc) {
      double best = 1e30;
      for (size_t i = 0; i < m.streetLines.size(); ++i) {
        const MapFeature& f = m.streetLines[i];
        if (f.code != key.first) continue;
        double acc = 0;
        for (size_t k = 1; k < f.points.size(); ++k) {
          const double ax = f.points[k - 1].x, ay = f.points[k - 1].y;
          const double dx = f.points[k].x - ax, dy = f.points[k].y - ay;
          const double len = std::hypot(dx, dy);
          double t = len > 0 ? ((b->x - ax) * dx + (b->y - ay) * dy) / (len * len) : 0;
          t = std::clamp(t, 0.0, 1.0);
          const double d = std::hypot(ax + dx * t - b->x, ay + dy * t - b->y);
          if (d < best) best = d, *line = i, *arc = acc + t * len;
          acc += len;
        }
      }
    };
    for (size_t k = 1; k < houses.size(); ++k) {
      size_t l0 = 0, l1 = 1;
      double a0 = 0, a1 = 0;
      project(houses[k - 1], &l0, &a0);
      project(houses[k], &l1, &a1);
      if (l0 != l1) continue;
      ++checked;
      EXPECT_GE(a1, a0 - 45) << houses[k - 1]->houseNumber << " then " << houses[k]->houseNumber;
    }
  }
  EXPECT_GT(checked, m.buildings.size() / 3);
}

TEST(CityGenerator, DistrictsAreFiveAndDoNotOverlap) {
  const MapData& m = town().map;
  std::set<int> numbers;
  for (size_t i = 1; i < m.districtAreas.size(); ++i)
    if (m.districtAreas[i].district) {
      EXPECT_TRUE(numbers.insert(m.districtAreas[i].district).second);
    }
  EXPECT_EQ(numbers, (std::set<int>{1, 2, 3, 4, 5}));
  const MapBounds& e = m.cityExtent;
  size_t inDistrict = 0;
  for (double x = e.xMin + 17; x < e.xMax; x += 61)
    for (double y = e.yMin + 29; y < e.yMax; y += 61) {
      int hits = 0;
      for (size_t i = 1; i < m.districtAreas.size(); ++i)
        hits += inside(m.districtAreas[i].points, x, y);
      ASSERT_LE(hits, 1) << x << "," << y;
      inDistrict += hits;
    }
  EXPECT_GT(inDistrict, 0u);
  // Every building's address point lies in some district polygon.
  for (const Building& b : m.buildings) {
    bool found = false;
    for (size_t i = 1; i < m.districtAreas.size() && !found; ++i)
      found = m.districtAreas[i].district != 0 &&
              inside(m.districtAreas[i].points, b.x + 0.0, b.y + 0.0);
    EXPECT_TRUE(found) << b.x << "," << b.y;
  }
}

TEST(CityGenerator, ObjectsStandOnBuildingsThatSuitThem) {
  const MapData& m = town().map;
  std::map<std::pair<int, int>, const Building*> byAddress;
  for (const Building& b : m.buildings) byAddress[{b.x, b.y}] = &b;
  std::set<std::string> themes;
  for (const ThemeNode& t : m.themeNodes) themes.insert(std::string(t.code, 2));
  ASSERT_FALSE(m.userObjects.empty());
  EXPECT_EQ(m.userObjectsDeclared, static_cast<int32_t>(m.userObjects.size()));
  for (const UserObject& o : m.userObjects) {
    const auto it = byAddress.find({o.x, o.y});
    ASSERT_NE(it, byAddress.end()) << o.name;
    const std::string theme(o.theme, 2);
    EXPECT_TRUE(themes.count(theme)) << theme;
    const int p = it->second->purpose;
    if (theme == "12" || theme == "13" || theme == "14") {
      EXPECT_TRUE(p == 444 || p == 660) << o.name;
    }
    if (theme == "22" || theme == "23") {
      EXPECT_TRUE(p == 555 || p == 661) << o.name;
    }
    EXPECT_GT(o.name.size(), 3u);
  }
  // Theme list: groups with '1' as second character, each with its themes.
  int groups = 0, children = 0;
  for (int32_t g = m.themeHead; g >= 0; g = m.themeNodes[static_cast<size_t>(g)].next) {
    EXPECT_EQ(m.themeNodes[static_cast<size_t>(g)].code[1], '1');
    ++groups;
    for (int32_t c = m.themeNodes[static_cast<size_t>(g)].children; c >= 0;
         c = m.themeNodes[static_cast<size_t>(c)].next) {
      EXPECT_EQ(m.themeNodes[static_cast<size_t>(c)].code[0],
                m.themeNodes[static_cast<size_t>(g)].code[0]);
      ++children;
    }
  }
  EXPECT_GE(groups, 8);
  EXPECT_GE(children, 40);
}

TEST(CityGenerator, TitleFilesHoldShapesAndCaptionsOfTheirKinds) {
  const TitleSheetFile& r = town().regional;
  EXPECT_TRUE(r.hasHeader);
  EXPECT_LT(r.extent[0], r.extent[2]);
  EXPECT_FALSE(r.shapes.empty());
  std::set<char> kinds;
  for (const TitleText& t : r.texts) {
    kinds.insert(t.kind);
    EXPECT_GE(t.text.size(), 1u);
    EXPECT_LE(t.text.size(), 127u);
  }
  EXPECT_EQ(kinds, (std::set<char>{'e', 'f', 'g'}));
  const TitleSheetFile& w = town().cityWater;
  EXPECT_FALSE(w.hasHeader);
  bool closed = false, open = false;
  for (const TitleShape& s : w.shapes) (s.closed() ? closed : open) = true;
  EXPECT_TRUE(closed);
  EXPECT_TRUE(open);
  for (const TitleText& t : w.texts) EXPECT_TRUE(t.kind == 'o' || t.kind == 'p' || t.kind == 'q');
}

}  // namespace
}  // namespace tikhomap
