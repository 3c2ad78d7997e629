// The import of the small hand-written town: what becomes of each kind of
// object, and that the folder reads back as the program reads it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <sstream>
#include <tuple>

#include "gpkg/map_location.h"
#include "mapdata/cp1251.h"
#include "mapdata/district_names.h"
#include "mapdata/loader.h"
#include "mapdata/text_rules.h"
#include "osm2tkm/city_builder.h"
#include "osm2tkm/import_command.h"
#include "osm2tkm/osm_input.h"
#include "search/name_matching.h"
#include "search/quick_search.h"
#include "search/street_search.h"
#include "tests/osm2tkm/osm_fixture.h"
#include "view/geometry.h"

namespace tikhomap::osm {
namespace {

using testing::TempDir;
using testing::writeFile;

class SmallTown : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new TempDir;
    const auto input = writeFile(dir_->path(), "town.osm", testing::smallTownXml());
    std::string error;
    ASSERT_TRUE(readExtract(input, extract_, error)) << error;
    city_ = new CityImport;
    std::string refusal;
    ASSERT_TRUE(buildCity(extract_, {}, *city_, refusal)) << refusal;
  }
  static void TearDownTestSuite() {
    delete city_;
    delete dir_;
  }

  static const StreetName* street(const char* utf8) {
    const std::string name = cp1251ToUtf8(utf8ToCp1251(utf8));  // as the files hold it
    for (const StreetName& s : city_->map.streetNames)
      if (name == s.name) return &s;
    return nullptr;
  }
  static const Building* house(const char* number, int streetCode) {
    for (const Building& b : city_->map.buildings)
      if (b.houseNumber == number && b.streetCode == streetCode) return &b;
    return nullptr;
  }
  static const Building* buildingAt(double lat, double lon) {
    const GridPoint p = geoToGrid(*city_->info.grid, lat, lon);
    for (const Building& b : city_->map.buildings)
      if (pointInPolygon(b.outline, static_cast<float>(p.x), static_cast<float>(p.y))) return &b;
    return nullptr;
  }

  static inline TempDir* dir_ = nullptr;
  static inline Extract extract_;
  static inline CityImport* city_ = nullptr;
};

TEST_F(SmallTown, StreetsKeepTheirNamesTransliteratedOrCyrillic) {
  EXPECT_NE(street("Stadtle"), nullptr);
  EXPECT_NE(street("Улица Мира"), nullptr);
  EXPECT_NE(street("Landstrasse"), nullptr);  // cut at the area's edge, still a street
  // The unnamed service road is drawn but has no name.
  EXPECT_EQ(city_->map.streetNames.size(), 6u);
}

TEST_F(SmallTown, TheSummaryAccountsForEveryObjectOnce) {
  const std::pair<const char*, int64_t> counts[] = {
      // "Städtle" (a street, and three addresses on it) and "Apotheke am
      // Städtle"; not "Außenweg", outside the area.
      {"names with letters transliterated", 2},
      {"names with letters the code page lacks (written as \"?\")", 1},  // "Ωmega"
      {"unnamed paths and tracks (not drawn)", 1},
      {"addresses on ways and relations that are not buildings (dropped)", 1},
      {"buildings across the area's edge (dropped)", 1},
      {"buildings outside the area", 1},
      {"roads outside the area", 1},
  };
  for (const auto& [line, n] : counts) EXPECT_EQ(city_->summary.count(line), n) << line;
}

// Every layout of the same town reads as the town: ways before their nodes,
// ids out of order, negative ids, several versions of an object.
TEST(TownLayouts, AnyValidOrderAndIdReadsTheSameTown) {
  TempDir dir;
  const auto summary = [&](const testing::Layout& layout, const char* name) {
    const auto input = writeFile(dir.path(), name, testing::smallTownXml(layout));
    Extract extract;
    std::string error;
    EXPECT_TRUE(readExtract(input, extract, error)) << name << ": " << error;
    CityImport city;
    std::string refusal;
    EXPECT_TRUE(buildCity(extract, {}, city, refusal)) << name << ": " << refusal;
    return std::vector<size_t>{city.map.buildings.size(),      city.map.streetNames.size(),
                               city.map.streetLines.size(),    city.map.userObjects.size(),
                               city.map.microdistricts.size(), city.map.areaFeatures.size()};
  };
  const std::vector<size_t> plain = summary({}, "plain.osm");
  EXPECT_EQ(plain[0], 10u);
  const std::pair<testing::Layout, const char*> layouts[] = {
      {{.waysFirst = true}, "ways-first.osm"},
      {{.reversed = true}, "reversed.osm"},
      {{.negativeIds = true}, "negative.osm"},
      {{.oldVersions = true}, "versions.osm"},
      {{.negativeIds = true, .waysFirst = true, .reversed = true}, "all.osm"},
  };
  for (const auto& [layout, name] : layouts) EXPECT_EQ(summary(layout, name), plain) << name;
}

TEST_F(SmallTown, OneNameInTwoVillagesIsTwoStreetsQualifiedByPlace) {
  const StreetName* vaduz = street("Dorfstrasse/Vaduz");
  const StreetName* schaan = street("Dorfstrasse/Schaan");
  ASSERT_NE(vaduz, nullptr);
  ASSERT_NE(schaan, nullptr);
  EXPECT_NE(vaduz->streetCode, schaan->streetCode);
  // Each house is filed under the street it stands by.
  EXPECT_NE(house("12", vaduz->streetCode), nullptr);
  EXPECT_NE(house("2", schaan->streetCode), nullptr);
}

TEST_F(SmallTown, StreetNamesAreSortedAndIndexedByCode) {
  const auto& names = city_->map.streetNames;
  for (size_t i = 1; i < names.size(); ++i) {
    std::string a = names[i - 1].name, b = names[i].name;
    foldCase(a), foldCase(b);
    EXPECT_TRUE(std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                             [](char x, char y) {
                                               return static_cast<unsigned char>(x) <
                                                      static_cast<unsigned char>(y);
                                             }))
        << i;
  }
  for (const StreetName& s : names) EXPECT_EQ(city_->map.streetByCode(s.streetCode), &s);
}

TEST_F(SmallTown, StreetsWithHousesHaveAHouseListAndTheOthersNot) {
  EXPECT_EQ(street("Stadtle")->kind, 1);
  EXPECT_EQ(street("Улица Мира")->kind, 1);
  EXPECT_EQ(street("Landstrasse")->kind, 0);
  for (const StreetName& s : city_->map.streetNames) EXPECT_NE(s.kind, 100);
}

TEST_F(SmallTown, AddressesComeFromBuildingTagsAndFromNodesInside) {
  const int16_t stadtle = street("Stadtle")->streetCode;
  const Building* a = house("5", stadtle);
  const Building* b = house("7", stadtle);
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(a->floors, 3);
  EXPECT_EQ(b->floors, 2);  // building=yes without levels: the default
}

TEST_F(SmallTown, AnAddressOnAnUnknownStreetStaysWithoutStreet) {
  const Building* d = house("1", 0);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(
      city_->summary.count("addresses on a street that was not imported (kept without street)"), 1);
}

TEST_F(SmallTown, ATooLongHouseNumberIsKeptBesideTheRecordNotCut) {
  const Building* h = buildingAt(47.1097, 9.50615);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(h->houseNumber, "");
  const int16_t stadtle = street("Stadtle")->streetCode;
  EXPECT_EQ(h->streetCode, stadtle);
  const auto& further = city_->map.furtherAddresses;
  const bool kept = std::any_of(further.begin(), further.end(), [&](const FurtherAddress& a) {
    return a.x == h->x && a.y == h->y && a.number == "12345678" && a.streetCode == stadtle;
  });
  EXPECT_TRUE(kept);
}

TEST_F(SmallTown, ABuildingOfNoStatedUseTakesThePurposeOfWhatIsInIt) {
  EXPECT_EQ(buildingAt(47.1093, 9.50615)->purpose, 461);  // building=yes, a museum inside
  EXPECT_EQ(buildingAt(47.1085, 9.50615)->purpose, 411);  // a house with a kiosk
  EXPECT_EQ(buildingAt(47.1041, 9.50415)->purpose, 411);  // a house with a pharmacy
}

// An odd addr:interpolation way from 1 to 9 in front of a row of five
// houses, 1 and 9 drawn as address nodes in the end houses: 3, 5 and 7 fall
// in the three between; an even way whose middle number 4 misses every
// building is counted.
TEST(Interpolation, TheNumbersOfAWayFallInTheBuildingsAlongIt) {
  Extract e;
  const auto at = [](double dLat, double dLon) { return LonLat{9.5 + dLon, 47.1 + dLat}; };
  e.ways.push_back(
      {1, {{"highway", "residential"}, {"name", "Gasse"}}, {at(0, 0), at(0, 0.01)}, 0});
  for (int i = 0; i < 5; ++i) {
    const double lon = 0.001 + i * 0.0015;
    e.areas.push_back({100 + i,
                       false,
                       {{"building", "house"}},
                       {{at(0.0002, lon), at(0.0002, lon + 0.0005), at(0.0004, lon + 0.0005),
                         at(0.0004, lon), at(0.0002, lon)}},
                       {}});
  }
  const LonLat first = at(0.0003, 0.00125), last = at(0.0003, 0.00725);
  e.nodes.push_back({10, first, {{"addr:housenumber", "1"}, {"addr:street", "Gasse"}}});
  e.nodes.push_back({11, last, {{"addr:housenumber", "9"}, {"addr:street", "Gasse"}}});
  e.ways.push_back({2, {{"addr:interpolation", "odd"}}, {first, last}, 0});
  const LonLat low = at(-0.0003, 0.001), high = at(-0.0003, 0.002);
  e.nodes.push_back({12, low, {{"addr:housenumber", "2"}, {"addr:street", "Gasse"}}});
  e.nodes.push_back({13, high, {{"addr:housenumber", "6"}, {"addr:street", "Gasse"}}});
  e.ways.push_back({3, {{"addr:interpolation", "even"}}, {low, high}, 0});
  e.nodeCount = 40, e.wayCount = 8;
  e.hasHeaderBox = true;
  e.headerBox = {at(-0.002, -0.002), at(0.002, 0.012)};
  CityImport city;
  std::string refusal;
  ASSERT_TRUE(buildCity(e, {}, city, refusal)) << refusal;
  std::vector<std::string> numbers;
  std::vector<Building> row = city.map.buildings;  // west to east
  std::sort(row.begin(), row.end(), [](auto& a, auto& b) { return a.y < b.y; });
  for (const Building& b : row) numbers.emplace_back(b.houseNumber);
  EXPECT_EQ(numbers, (std::vector<std::string>{"1", "3", "5", "7", "9"}));
  EXPECT_EQ(city.summary.count("interpolated house numbers placed in buildings"), 3);
  EXPECT_EQ(city.summary.count("interpolated house numbers outside every building (dropped)"), 1);
}

// A town 72 km across, beyond both the 16-bit points of the eleven files and
// the 32,767 m the importer's grid once stopped at: the map is built with
// whole coordinates and, as the eleven files cannot hold it, written as the
// map container alone, which reads back the far building where it stands.
TEST(WideArea, IsBuiltWithWholeCoordinatesAndWrittenAsTheContainer) {
  Extract e;
  const double lon0 = 9.0, lon1 = 9.95, lat = 47.1;
  e.ways.push_back(
      {1, {{"highway", "residential"}, {"name", "Gasse"}}, {{lon0, lat}, {lon1, lat}}, 0});
  for (const double lon : {lon0 + 0.001, lon1 - 0.001}) {
    e.areas.push_back({static_cast<int64_t>(lon * 1000),
                       false,
                       {{"building", "house"}, {"addr:housenumber", "1"}, {"addr:street", "Gasse"}},
                       {{{lon, lat + 0.0002},
                         {lon + 0.0003, lat + 0.0002},
                         {lon + 0.0003, lat + 0.0004},
                         {lon, lat + 0.0004},
                         {lon, lat + 0.0002}}},
                       {}});
  }
  e.nodeCount = 12, e.wayCount = 3;
  e.hasHeaderBox = true;
  e.headerBox = {{lon0 - 0.001, lat - 0.001}, {lon1 + 0.001, lat + 0.001}};
  CityImport city;
  std::string refusal;
  ASSERT_TRUE(buildCity(e, {}, city, refusal)) << refusal;
  ASSERT_EQ(city.map.buildings.size(), 2u);
  std::vector<Building> row = city.map.buildings;
  std::sort(row.begin(), row.end(), [](auto& a, auto& b) { return a.y < b.y; });
  // 0.948 degrees of longitude at 47.1 degrees north: 71.9 km.
  const double across = 0.948 * 111320 * std::cos(lat * 3.14159265358979 / 180);
  EXPECT_GT(row[1].y, 65535);
  EXPECT_NEAR(row[1].y - row[0].y, across, across * 0.005);
  EXPECT_EQ(row[0].streetCode, row[1].streetCode);

  TempDir dir;
  std::string error;
  bool container = false;
  ASSERT_TRUE(writeCityFolder(city, dir.path() / "map", dir.path() / "in.osm", false, false,
                              container, error))
      << error;
  EXPECT_TRUE(container);
  std::vector<std::string> written;
  for (const auto& f : std::filesystem::directory_iterator(dir.path() / "map"))
    written.push_back(f.path().filename().string());
  EXPECT_EQ(written, std::vector<std::string>{"map.gpkg"});
  MapData back;
  ASSERT_TRUE(loadMapBase(dir.path() / "map", back, {}).ok);
  ASSERT_TRUE(loadMapBuildings(dir.path() / "map", back, {}).ok);
  ASSERT_EQ(back.buildings.size(), 2u);
  EXPECT_EQ(std::max(back.buildings[0].y, back.buildings[1].y), row[1].y);
}

TEST_F(SmallTown, AbsurdStoreysFallBackToTheTypeDefault) {
  EXPECT_EQ(buildingAt(47.1085, 9.50615)->floors, 2);  // "five" on a house
  EXPECT_EQ(buildingAt(47.1089, 9.50615)->floors, 1);  // "-3" on a garage
  EXPECT_EQ(buildingAt(47.1093, 9.50615)->floors, 2);  // "200000"
  EXPECT_EQ(city_->summary.count("absurd building:levels (type default used)"), 3);
}

TEST_F(SmallTown, AMultipolygonWithACourtyardIsOneBuildingOfItsOuterRing) {
  const Building* c = buildingAt(47.1071, 9.5051);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->floors, 5);
  EXPECT_EQ(c->purpose, 411);
  EXPECT_EQ(c->outline.size(), 4u);
  EXPECT_EQ(city_->summary.count("building courtyards filled in"), 1);
}

TEST_F(SmallTown, BuildingsNotWhollyInsideAreDroppedAndAddressPointsAreUniqueAndInside) {
  EXPECT_EQ(buildingAt(47.11995, 9.51015), nullptr);
  EXPECT_EQ(city_->summary.count("buildings across the area's edge (dropped)"), 1);
  std::set<std::pair<int, int>> seen;
  for (const Building& b : city_->map.buildings) {
    EXPECT_TRUE(pointInPolygon(b.outline, b.x, b.y)) << b.x << "," << b.y;
    EXPECT_TRUE(seen.insert({b.x, b.y}).second);
  }
  // Records run north to south.
  for (size_t i = 1; i < city_->map.buildings.size(); ++i)
    EXPECT_GE(city_->map.buildings[i - 1].bounds.xMin, city_->map.buildings[i].bounds.xMin);
}

TEST_F(SmallTown, ObjectsSitAtTheAddressPointOfTheirBuilding) {
  const auto& objects = city_->map.userObjects;
  auto find = [&](const char* utf8) -> const UserObject* {
    const std::string name = cp1251ToUtf8(utf8ToCp1251(utf8));  // as the files hold it
    for (const UserObject& o : objects)
      if (name == o.name) return &o;
    return nullptr;
  };
  const UserObject* pharmacy = find("Apotheke am Stadtle");
  ASSERT_NE(pharmacy, nullptr);
  EXPECT_EQ(std::string(pharmacy->theme, 2), "24");
  const Building* a = house("5", street("Stadtle")->streetCode);
  EXPECT_EQ(pharmacy->x, a->x);
  EXPECT_EQ(pharmacy->y, a->y);
  const UserObject* school = find("Школа №1");
  ASSERT_NE(school, nullptr);
  EXPECT_EQ(std::string(school->theme, 2), "12");
  // A site is filed at the building on it.
  const UserObject* hall = find("Rathaus");
  ASSERT_NE(hall, nullptr);
  EXPECT_EQ(std::string(hall->theme, 2), "82");
  const Building* c = house("12", street("Dorfstrasse/Vaduz")->streetCode);
  EXPECT_EQ(hall->x, c->x);
  EXPECT_EQ(hall->y, c->y);
  // Objects without a building stay at their own point; a bench is no landmark.
  for (const auto& [name, lat, lon, theme] : {std::tuple{"Far Bakery", 47.1150, 9.5290, "32"},
                                              std::tuple{"St. Florin", 47.1150, 9.5280, "47"}}) {
    const UserObject* o = find(name);
    ASSERT_NE(o, nullptr) << name;
    EXPECT_EQ(std::string(o->theme, 2), theme) << name;
    const GridPoint p = geoToGrid(*city_->info.grid, lat, lon);
    EXPECT_NEAR(o->x, p.x, 1) << name;
    EXPECT_NEAR(o->y, p.y, 1) << name;
  }
  EXPECT_EQ(find("Bank"), nullptr);
  EXPECT_EQ(city_->summary.count("objects without a building, kept at their own point"), 2);
  EXPECT_EQ(city_->summary.count("named points of interest of a kind without a theme (dropped)"),
            1);
}

TEST_F(SmallTown, ThemesListOnlyWhatHasObjectsGroupsFirst) {
  const auto& nodes = city_->map.themeNodes;
  ASSERT_GE(city_->map.themeHead, 0);
  std::set<std::string> codes;
  for (const ThemeNode& n : nodes) codes.insert(std::string(n.code, 2));
  EXPECT_EQ(codes,
            (std::set<std::string>{"11", "12", "21", "24", "31", "32", "41", "47", "81", "82"}));
  EXPECT_EQ(nodes[static_cast<size_t>(city_->map.themeHead)].code[1], '1');
}

TEST_F(SmallTown, BrokenReferencesAreCountedNotFatal) {
  EXPECT_GE(extract_.waysWithMissingNodes, 1u);
  EXPECT_EQ(city_->summary.count("roads with nodes missing from the extract"), 1);
  EXPECT_NE(street("Broken Road"), nullptr);
}

TEST_F(SmallTown, GridStartsAtTheMarginAndNothingFallsBelowIt) {
  const MapBounds& e = city_->map.cityExtent;
  EXPECT_FLOAT_EQ(e.xMin, kGridMargin);
  EXPECT_FLOAT_EQ(e.yMin, kGridMargin);
  EXPECT_NEAR(e.xMax - e.xMin, 2224, 10);  // 0.02° of latitude
  EXPECT_NEAR(e.yMax - e.yMin, 2272, 10);  // 0.03° of longitude at 47.11°
  for (const MapFeature& f : city_->map.streetLines)
    for (const MapPoint& p : f.points) {
      EXPECT_GE(p.x, e.xMin - 0.5f);
      EXPECT_LE(p.x, e.xMax + 0.5f);
    }
}

TEST_F(SmallTown, PlacesBecomeMicrodistrictsAndTheOutlineIsNoCoast) {
  EXPECT_EQ(city_->map.microdistricts.size(), 3u);  // "Vaduz" drawn twice is one
  EXPECT_EQ(city_->summary.count("place nodes repeating a place of that name nearby (kept once)"),
            1);
  EXPECT_FALSE(city_->info.coast);
  EXPECT_FALSE(city_->info.builtInCaptions);
  ASSERT_TRUE(city_->info.credit.has_value());
  EXPECT_NE((*city_->info.credit)[1].find("OpenStreetMap"), std::string::npos);
  EXPECT_EQ(city_->map.districtAreas.size(), 2u);  // no boundaries: the box, one district
  EXPECT_EQ(city_->map.areaFeatures.size(), 1u);
  EXPECT_EQ(city_->map.areaFeatures[0].code, 718);
}

TEST(SmallTownFolder, ReadsBackAsTheProgramReadsItAndTheUmlautTypedFindsTheStreet) {
  TempDir dir;
  const auto input = writeFile(dir.path(), "town.osm", testing::smallTownXml());
  std::ostringstream out, err;
  ASSERT_EQ(runImport({input.string(), (dir.path() / "map").string()}, out, err), 0) << err.str();
  MapData map;
  const LoadResult base = loadBaseMap(dir.path() / "map", map, {});
  ASSERT_TRUE(base.ok);
  EXPECT_TRUE(base.problems.empty()) << base.problems.front().what;
  const LoadResult rest = loadBuildingsAndReferences(dir.path() / "map", map, {});
  ASSERT_TRUE(rest.ok);
  EXPECT_TRUE(rest.problems.empty()) << rest.problems.front().file;
  EXPECT_EQ(map.buildings.size(), 10u);
  EXPECT_EQ(map.userObjects.size(), 5u);
  EXPECT_TRUE(map.city.present);
  EXPECT_FALSE(map.city.coast);
  ASSERT_TRUE(map.city.grid.has_value());
  // What a person types, umlaut and all, meets the transliterated name.
  const int row = findStreetRow(map.streetNames, utf8ToCp1251("Städtle"));
  ASSERT_GE(row, 0);
  EXPECT_EQ(map.streetNames[static_cast<size_t>(row)].name, "Stadtle");
  EXPECT_NE(out.str().find("buildings (6.tkm, 7.tkm): 10"), std::string::npos) << out.str();
}

// A building of several entrances keeps every number: one in its record, the
// others in houses.txt, and each is found by both searches at that building.
TEST(SmallTownFolder, EveryNumberOfABuildingIsFoundByBothSearches) {
  TempDir dir;
  const auto input = writeFile(dir.path(), "town.osm", testing::smallTownXml());
  std::ostringstream out, err;
  ASSERT_EQ(runImport({input.string(), (dir.path() / "map").string()}, out, err), 0) << err.str();
  MapData map;
  ASSERT_TRUE(loadBaseMap(dir.path() / "map", map, {}).ok);
  const LoadResult rest = loadBuildingsAndReferences(dir.path() / "map", map, {});
  ASSERT_TRUE(rest.ok);
  EXPECT_TRUE(rest.problems.empty()) << rest.problems.front().what;
  EXPECT_EQ(map.furtherAddresses.size(), 3u);  // 9 and 11 of one house, 12345678
  const int row = findStreetRow(map.streetNames, utf8ToCp1251("Städtle"));
  ASSERT_GE(row, 0);
  MarkingState marking;
  ViewHistory history;
  ViewState view;
  StreetSearchContext ctx{map, marking, history, view};
  StreetSearchState state;
  state.streetRow = row;
  buildHouseList(state, ctx);
  std::vector<std::string> listed;
  for (const HouseListEntry& e : state.houseList) listed.push_back(e.text);
  EXPECT_EQ(listed,
            (std::vector<std::string>{"5", "7, ?mega", "9, ?mega", "11, ?mega", "12345678"}));
  int32_t seven = -1;
  for (const HouseListEntry& e : state.houseList)
    if (e.text == "7, ?mega") seven = e.building;
  ASSERT_GE(seven, 0);
  for (const char* number : {"7", "9", "11"}) {
    const QuickSearchResult r = quickSearch(map, std::string("Städtle ") + number);
    EXPECT_FALSE(r.miss.has_value()) << number;
    ASSERT_FALSE(r.matches.empty()) << number;
    EXPECT_EQ(r.matches.front().building, seven) << number;
    EXPECT_EQ(r.matches.front().label, std::string("Stadtle, ") + number);
  }
  EXPECT_NE(out.str().find("further addresses of a building (kept in houses.txt): 2"),
            std::string::npos)
      << out.str();
}

}  // namespace
}  // namespace tikhomap::osm
