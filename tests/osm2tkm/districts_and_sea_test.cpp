// Districts from the administrative levels, and the sea from the coastline,
// on extracts written by hand in memory.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "osm2tkm/city_builder.h"
#include "view/geometry.h"

namespace tikhomap::osm {
namespace {

// The area: 47.100..47.120 N, 9.500..9.530 E.
constexpr double kLat0 = 47.100, kLon0 = 9.500, kLat1 = 47.120, kLon1 = 9.530;

Ring box(double lat0, double lon0, double lat1, double lon1) {
  return {{lon0, lat0}, {lon1, lat0}, {lon1, lat1}, {lon0, lat1}, {lon0, lat0}};
}

struct Town {
  Extract e;
  int64_t id = 1;
  Town() {
    e.nodeCount = 100, e.wayCount = 10;
    e.hasHeaderBox = true;
    e.headerBox = {{kLon0, kLat0}, {kLon1, kLat1}};
    // A street, so that the area is never empty.
    e.ways.push_back({id++,
                      {{"highway", "residential"}, {"name", "Gasse"}},
                      {{kLon0 + 0.001, kLat0 + 0.001}, {kLon0 + 0.002, kLat0 + 0.001}},
                      0});
  }
  void unit(int level, const std::string& name, std::vector<Ring> outers, bool relation = true) {
    Tags tags{{"boundary", "administrative"}, {"admin_level", std::to_string(level)}};
    if (!name.empty()) tags.push_back({"name", name});
    e.areas.push_back({id++, relation, tags, std::move(outers), {}});
  }
  // `n` small houses in a row from a corner point, eastwards.
  void houses(double lat, double lon, int n) {
    for (int i = 0; i < n; ++i)
      e.areas.push_back({id++,
                         false,
                         {{"building", "house"}},
                         {box(lat, lon + i * 0.0004, lat + 0.0002, lon + i * 0.0004 + 0.0002)},
                         {}});
  }
  CityImport build() const {
    CityImport city;
    std::string refusal;
    EXPECT_TRUE(buildCity(e, {}, city, refusal)) << refusal;
    return city;
  }
};

std::vector<std::string> districtNames(const CityImport& city) {
  std::vector<std::string> names;
  for (const std::string& n : city.info.districtNames) names.push_back(n);
  return names;
}

// A country of two electoral districts (W, E), their six municipalities,
// an exclave of W1 tagged as a boundary of its own too, and beyond the
// border a neighbour's district and municipalities full of houses.
TEST(Districts, TheCoveringLevelFramesTheGroupsAndAnExclaveCountsOnce) {
  Town t;
  t.unit(2, "Land", {box(kLat0, kLon0, kLat1, 9.525)});
  t.unit(6, "West", {box(kLat0, kLon0, kLat1, 9.515)});
  t.unit(6, "East", {box(kLat0, 9.515, kLat1, 9.525)});
  const Ring exclave = box(47.1060, 9.5200, 47.1065, 9.5205);
  t.unit(8, "W1", {box(kLat0, kLon0, 47.106, 9.515), exclave});
  t.unit(8, "", {exclave}, false);
  t.unit(8, "W2", {box(47.106, kLon0, 47.110, 9.515)});
  t.unit(8, "W3", {box(47.110, kLon0, 47.113, 9.515)});
  t.unit(8, "W4", {box(47.113, kLon0, kLat1, 9.515)});
  t.unit(8, "E1", {box(kLat0, 9.515, 47.110, 9.525)});
  t.unit(8, "E2", {box(47.110, 9.515, kLat1, 9.525)});
  t.unit(6, "Beyond", {box(kLat0, 9.525, kLat1, 9.540)});
  t.unit(8, "B1", {box(kLat0, 9.525, 47.110, 9.540)});
  t.unit(8, "B2", {box(47.110, 9.525, kLat1, 9.540)});
  t.houses(47.102, 9.501, 5);   // W1
  t.houses(47.108, 9.501, 1);   // W2
  t.houses(47.111, 9.501, 2);   // W3
  t.houses(47.115, 9.501, 3);   // W4
  t.houses(47.104, 9.516, 3);   // E1
  t.houses(47.115, 9.516, 1);   // E2
  t.houses(47.105, 9.526, 10);  // B1
  t.houses(47.115, 9.526, 10);  // B2
  const CityImport city = t.build();
  // West holds 11 houses, East 4: West gets three slots, East two; in West
  // the least built W2 joins its nearest neighbour W3. North to south.
  EXPECT_EQ(districtNames(city), (std::vector<std::string>{"W4", "E2", "W3, W2", "E1", "W1"}));
  // Every ring of the six municipalities once, and the outline.
  EXPECT_EQ(city.map.districtAreas.size(), 8u);
  EXPECT_EQ(city.summary.count("boundary ways repeating a ring of a boundary relation (kept once)"),
            1);
}

// Fewer units than districts: the rest of the slots hold no polygon and a
// dash; no unit at all makes the whole town one district.
TEST(Districts, SlotsLeftOverAreDashedAndATownWithoutUnitsIsOneDistrict) {
  Town three;
  three.unit(2, "Land", {box(kLat0, kLon0, kLat1, kLon1)});
  three.unit(8, "A", {box(kLat0, kLon0, 47.105, kLon1)});
  three.unit(8, "B", {box(47.105, kLon0, 47.110, kLon1)});
  three.unit(8, "C", {box(47.110, kLon0, kLat1, kLon1)});
  three.houses(47.101, 9.501, 1);
  const CityImport a = three.build();
  EXPECT_EQ(districtNames(a), (std::vector<std::string>{"C", "B", "A", "—", "—"}));
  EXPECT_EQ(a.map.districtAreas.size(), 4u);

  Town none;
  none.unit(2, "Land", {box(kLat0, kLon0, kLat1, kLon1)});
  const CityImport b = none.build();
  EXPECT_EQ(districtNames(b), (std::vector<std::string>{"Land", "—", "—", "—", "—"}));
  ASSERT_EQ(b.map.districtAreas.size(), 2u);
  EXPECT_EQ(b.map.districtAreas[1].district, 1);
  EXPECT_EQ(b.map.districtAreas[1].points.size(), b.map.districtAreas[0].points.size());
}

// The sea lies right of the coastline walked on the ground: a coast running
// west at 47.110 N has the sea to its north. An island in it is left dry,
// and inside the area the sea's outline runs only along the coast.
TEST(Sea, TheSeaLiesRightOfTheCoastWithItsIslandsAndOnlyTheCoastIsDrawn) {
  Town t;
  const Ring coast{{9.535, 47.110}, {9.515, 47.1102}, {9.495, 47.110}};
  const Ring island = box(47.115, 9.510, 47.116, 9.512);  // anticlockwise: land inside
  t.e.ways.push_back({t.id++, {{"natural", "coastline"}}, coast, 0});
  t.e.ways.push_back({t.id++, {{"natural", "coastline"}}, island, 0});
  const CityImport city = t.build();
  const GridProjection& grid = *city.info.grid;
  auto inSea = [&](double lat, double lon) {
    const GridPoint p = geoToGrid(grid, lat, lon);
    return std::any_of(city.map.waterFeatures.begin(), city.map.waterFeatures.end(),
                       [&](const MapFeature& f) {
                         return f.code == 4912 && pointInPolygon(f.points, float(p.x), float(p.y));
                       });
  };
  EXPECT_TRUE(inSea(47.118, 9.520));
  EXPECT_TRUE(inSea(47.1155, 9.505));
  EXPECT_FALSE(inSea(47.105, 9.520));
  EXPECT_FALSE(inSea(47.1155, 9.511));  // the island
  EXPECT_FALSE(city.info.coast);
  EXPECT_EQ(city.summary.count("islands in the sea"), 1);
  // Every point of the sea's outline inside the area lies on the coast or
  // the island.
  std::vector<std::vector<GridPoint>> shores;
  for (const Ring* r : {&coast, &island}) {
    shores.emplace_back();
    for (const LonLat& p : *r) shores.back().push_back(geoToGrid(grid, p.lat, p.lon));
  }
  const MapBounds& e = city.map.cityExtent;
  for (const MapFeature& f : city.map.waterFeatures)
    for (const MapPoint& p : f.points) {
      if (p.x <= e.xMin + 1 || p.x >= e.xMax - 1 || p.y <= e.yMin + 1 || p.y >= e.yMax - 1)
        continue;
      double nearest = 1e9;
      for (const auto& shore : shores)
        for (size_t i = 1; i < shore.size(); ++i) {
          const double ax = shore[i - 1].x, ay = shore[i - 1].y;
          const double bx = shore[i].x - ax, by = shore[i].y - ay;
          const double u =
              std::clamp(((p.x - ax) * bx + (p.y - ay) * by) / (bx * bx + by * by), 0.0, 1.0);
          nearest = std::min(nearest, std::hypot(p.x - ax - u * bx, p.y - ay - u * by));
        }
      EXPECT_LT(nearest, 3) << p.x << " " << p.y;
    }
}

// A coastline of two ways: joined where they meet, a gap within a kilometre
// closed, a wider one leaving the map without a sea and saying why.
TEST(Sea, AGapInTheCoastIsClosedWhenNarrowAndReportedWhenWide) {
  const struct {
    double westEnd, eastStart;  // longitudes of the gap's ends
    bool sea;
    int gaps;
  } cases[] = {{9.515, 9.515, true, 0}, {9.516, 9.514, true, 1}, {9.528, 9.502, false, 0}};
  for (const auto& c : cases) {
    Town t;
    t.e.ways.push_back(
        {t.id++, {{"natural", "coastline"}}, {{9.535, 47.110}, {c.westEnd, 47.110}}, 0});
    t.e.ways.push_back(
        {t.id++, {{"natural", "coastline"}}, {{c.eastStart, 47.110}, {9.495, 47.110}}, 0});
    const CityImport city = t.build();
    const bool sea = std::any_of(city.map.waterFeatures.begin(), city.map.waterFeatures.end(),
                                 [](const MapFeature& f) { return f.code == 4912; });
    EXPECT_EQ(sea, c.sea) << c.westEnd;
    EXPECT_EQ(city.summary.count("coastline gaps within 1 km closed"), c.gaps);
    bool said = false, warned = false;
    for (const auto& [line, n] : city.summary.lines())
      said |= line.find("cannot be closed: no sea is drawn") != std::string::npos;
    for (const std::string& w : city.warnings)
      warned |= w.find("cannot be closed") != std::string::npos;
    EXPECT_EQ(said, !c.sea);
    EXPECT_EQ(warned, !c.sea);
  }
}

// The regional panel: land, the town's outline as its last shape, and names
// that never cover one another (the area's name first, then towns before
// villages); with a sea, the land is what the coast bounds.
TEST(RegionalPanel, NamesDoNotCoverEachOtherAndTheOutlineComesLast) {
  Town t;
  t.e.nodes.push_back({t.id++, {9.510, 47.110}, {{"place", "village"}, {"name", "Unterdorf"}}});
  t.e.nodes.push_back({t.id++, {9.511, 47.1101}, {{"place", "town"}, {"name", "Oberstadt"}}});
  t.e.nodes.push_back({t.id++, {9.512, 47.1099}, {{"place", "village"}, {"name", "Gamprin"}}});
  t.e.nodes.push_back({t.id++, {9.520, 47.103}, {{"place", "village"}, {"name", "Fern"}}});
  CityImport inland = t.build();
  std::vector<std::string> names;
  for (const TitleText& text : inland.regional.texts)
    if (text.kind == 'e') names.push_back(text.text);
  EXPECT_EQ(names, (std::vector<std::string>{"Oberstadt", "Fern"}));
  EXPECT_EQ(
      inland.summary.count("place names left off the regional panel (they would cover another)"),
      2);
  EXPECT_TRUE(inland.info.regionalOutline);
  ASSERT_EQ(inland.regional.shapes.size(), 2u);  // land everywhere, the outline
  EXPECT_EQ(inland.regional.shapes.back().points.size(),
            inland.map.districtAreas.front().points.size());

  t.e.ways.push_back({t.id++,
                      {{"natural", "coastline"}},
                      {{9.535, 47.110}, {9.515, 47.1102}, {9.495, 47.110}},
                      0});
  t.e.ways.push_back({t.id++, {{"natural", "coastline"}}, box(47.115, 9.510, 47.116, 9.512), 0});
  const CityImport coastal = t.build();
  // The mainland south of the coast, the island, the outline.
  ASSERT_EQ(coastal.regional.shapes.size(), 3u);
  const GridPoint south = geoToGrid(*coastal.info.grid, 47.105, 9.515);
  const GridPoint north = geoToGrid(*coastal.info.grid, 47.118, 9.515);
  std::vector<MapPoint> mainland;
  for (const MetrePoint& p : coastal.regional.shapes[0].points)
    mainland.push_back({float(p.x) - 16000, float(p.y) - 16000});
  EXPECT_TRUE(pointInPolygon(mainland, float(south.x), float(south.y)));
  EXPECT_FALSE(pointInPolygon(mainland, float(north.x), float(north.y)));
}

}  // namespace
}  // namespace tikhomap::osm
