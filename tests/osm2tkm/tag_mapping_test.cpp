// Tags to storeys, purposes, themes, roads and layers: the table rows at and
// just past their limits.
#include <gtest/gtest.h>

#include "osm2tkm/tag_mapping.h"

namespace tikhomap::osm {
namespace {

Tags tags(std::initializer_list<std::pair<const char*, const char*>> list) {
  Tags t;
  for (const auto& [k, v] : list) t.emplace_back(k, v);
  return t;
}

struct StoreyRow {
  const char* building;
  const char* levels;  // nullptr: no tag
  const char* roof;
  int floors;
  bool fromTags;
  bool absurd;
};

TEST(BuildingStoreys, LevelsRoofLevelsAndDefaults) {
  const StoreyRow rows[] = {
      {"house", nullptr, nullptr, 2, false, false},
      {"apartments", nullptr, nullptr, 3, false, false},
      {"garage", nullptr, nullptr, 1, false, false},
      {"yes", nullptr, nullptr, 2, false, false},
      {"yes", "4", nullptr, 4, true, false},
      {"yes", "4", "1", 5, true, false},
      {"yes", "2.5", nullptr, 3, true, false},  // half rounds up
      {"yes", "1", nullptr, 1, true, false},
      {"yes", "99", nullptr, 99, true, false},
      {"yes", "100", nullptr, 2, false, true},
      {"yes", "0", nullptr, 2, false, true},
      {"yes", "-3", nullptr, 2, false, true},
      {"yes", "200000", nullptr, 2, false, true},
      {"house", "five", nullptr, 2, false, true},
      {"yes", "3;4", nullptr, 2, false, true},
      {"yes", ".5", nullptr, 2, false, true},
      {"yes", "", nullptr, 2, false, false},
      {"house", nullptr, "1", 3, true, false},  // roof storey on the default
      {"yes", "3", "10", 2, false, true},
      {"yes", "3", "x", 2, false, true},
  };
  for (const StoreyRow& r : rows) {
    Tags t = tags({{"building", r.building}});
    if (r.levels) t.emplace_back("building:levels", r.levels);
    if (r.roof) t.emplace_back("roof:levels", r.roof);
    const Storeys s = buildingStoreys(t);
    EXPECT_EQ(s.floors, r.floors) << r.building << " " << (r.levels ? r.levels : "-");
    EXPECT_EQ(s.fromTags, r.fromTags) << (r.levels ? r.levels : "-");
    EXPECT_EQ(s.absurd, r.absurd) << (r.levels ? r.levels : "-");
  }
}

TEST(BuildingPurpose, TheAmenityDecidesBeforeTheBuildingValue) {
  EXPECT_EQ(buildingPurpose(tags({{"building", "house"}})), 411);
  EXPECT_EQ(buildingPurpose(tags({{"building", "yes"}})), 411);
  EXPECT_EQ(buildingPurpose(tags({{"building", "garage"}})), 413);
  EXPECT_EQ(buildingPurpose(tags({{"building", "industrial"}})), 777);
  EXPECT_EQ(buildingPurpose(tags({{"building", "school"}})), 444);
  EXPECT_EQ(buildingPurpose(tags({{"building", "church"}})), 461);
  EXPECT_EQ(buildingPurpose(tags({{"building", "retail"}})), 888);
  EXPECT_EQ(buildingPurpose(tags({{"building", "hospital"}})), 555);
  EXPECT_EQ(buildingPurpose(tags({{"building", "yes"}, {"amenity", "kindergarten"}})), 660);
  EXPECT_EQ(buildingPurpose(tags({{"building", "retail"}, {"amenity", "pharmacy"}})), 661);
  EXPECT_EQ(buildingPurpose(tags({{"building", "house"}, {"amenity", "townhall"}})), 461);
  // What is in the building decides before its building value.
  EXPECT_EQ(buildingPurpose(tags({{"building", "yes"}, {"tourism", "museum"}})), 461);
  EXPECT_EQ(buildingPurpose(tags({{"building", "yes"}, {"shop", "bakery"}})), 888);
  EXPECT_EQ(buildingPurpose(tags({{"building", "yes"}, {"office", "company"}})), 888);
  EXPECT_EQ(buildingPurpose(tags({{"building", "yes"}, {"office", "government"}})), 461);
  EXPECT_EQ(buildingPurpose(tags({{"building", "yes"}, {"healthcare", "hospital"}})), 555);
  EXPECT_EQ(buildingPurpose(tags({{"building", "yes"}, {"healthcare", "physiotherapist"}})), 661);
  EXPECT_EQ(buildingPurpose(tags({{"building", "yes"}, {"tourism", "hotel"}})), 888);
  EXPECT_EQ(buildingPurpose(tags({{"building", "yes"}, {"shop", "vacant"}})), 411);
  EXPECT_FALSE(isBuilding(tags({{"building", "no"}})));
  EXPECT_FALSE(isBuilding(tags({{"amenity", "school"}})));
  EXPECT_TRUE(isBuilding(tags({{"building", "ruins"}})));
}

TEST(ObjectTheme, PointsOfInterestFallIntoTheSampleCitysGroups) {
  EXPECT_EQ(objectTheme(tags({{"amenity", "pharmacy"}})), "24");
  EXPECT_EQ(objectTheme(tags({{"amenity", "school"}})), "12");
  EXPECT_EQ(objectTheme(tags({{"shop", "supermarket"}})), "33");
  EXPECT_EQ(objectTheme(tags({{"shop", "bakery"}})), "32");
  EXPECT_EQ(objectTheme(tags({{"shop", "jewelry"}})), "38");
  EXPECT_EQ(objectTheme(tags({{"shop", "vacant"}})), std::nullopt);
  EXPECT_EQ(objectTheme(tags({{"office", "insurance"}})), "73");
  EXPECT_EQ(objectTheme(tags({{"office", "company"}})), "B2");
  EXPECT_EQ(objectTheme(tags({{"healthcare", "physiotherapist"}})), "22");
  EXPECT_EQ(objectTheme(tags({{"tourism", "hotel"}})), "96");
  EXPECT_EQ(objectTheme(tags({{"craft", "carpenter"}})), "93");
  EXPECT_EQ(objectTheme(tags({{"amenity", "bench"}})), std::nullopt);
  EXPECT_EQ(objectTheme(tags({{"tourism", "information"}})), "48");
  EXPECT_EQ(objectTheme(tags({{"amenity", "place_of_worship"}})), "47");
  EXPECT_EQ(objectTheme(tags({{"amenity", "fire_station"}})), "86");
  EXPECT_EQ(objectTheme(tags({{"historic", "castle"}})), "46");
  EXPECT_EQ(objectTheme(tags({{"leisure", "sports_centre"}})), "52");
  EXPECT_EQ(objectTheme(tags({{"leisure", "park"}})), std::nullopt);
  // Every theme lies in a group listed before it.
  char group = 0;
  for (const ThemeEntry& t : themeTable()) {
    if (t.code[1] == '1')
      group = t.code[0];
    else
      EXPECT_EQ(t.code[0], group) << t.code;
  }
}

TEST(Interpolation, EachSchemeGivesTheNumbersBetweenItsEnds) {
  using V = std::vector<std::string>;
  const struct {
    const char *scheme, *from, *to;
    V numbers;
  } cases[] = {
      {"odd", "1", "9", {"3", "5", "7"}},
      {"even", "10", "4", {"8", "6"}},  // a way drawn against the numbers
      {"all", "5", "8", {"6", "7"}},
      {"2", "4", "8", {"6"}},
      {"alphabetic", "12a", "12d", {"12b", "12c"}},
      {"alphabetic", "12", "12C", {"12a", "12b"}},
      {"odd", "2", "8", {}},     // the ends are even
      {"all", "1", "5000", {}},  // more than 1000 numbers
      {"all", "3", "3", {}},
      {"all", "1/2", "9", {}},
      {"alphabetic", "12a", "13c", {}},
      {"street", "1", "9", {}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(interpolatedNumbers(c.scheme, c.from, c.to), c.numbers)
        << c.scheme << " " << c.from << ".." << c.to;
}

TEST(RoadClass, WidthsByClassAndLinksAsTheirRoad) {
  EXPECT_EQ(roadClass(tags({{"highway", "primary"}}))->width, 16);
  EXPECT_EQ(roadClass(tags({{"highway", "primary_link"}}))->width, 16);
  EXPECT_EQ(roadClass(tags({{"highway", "residential"}}))->width, 10);
  EXPECT_FALSE(roadClass(tags({{"highway", "footway"}}))->drivable);
  EXPECT_FALSE(roadClass(tags({{"highway", "proposed"}})).has_value());
  EXPECT_FALSE(roadClass(tags({{"highway", "_link"}})).has_value());
  EXPECT_FALSE(roadClass(tags({{"railway", "rail"}})).has_value());
}

TEST(Layers, AreasAndLinesGetTheirCodes) {
  EXPECT_EQ(layerCode(areaLayer(tags({{"landuse", "forest"}}))), 718);
  EXPECT_EQ(layerCode(areaLayer(tags({{"natural", "wood"}}))), 718);
  EXPECT_EQ(layerCode(areaLayer(tags({{"leisure", "park"}}))), 6614);
  EXPECT_EQ(layerCode(areaLayer(tags({{"landuse", "vineyard"}}))), 750);
  EXPECT_EQ(layerCode(areaLayer(tags({{"natural", "water"}}))), 4912);
  EXPECT_EQ(areaLayer(tags({{"landuse", "residential"}})), Layer::None);
  EXPECT_EQ(layerCode(lineLayer(tags({{"waterway", "river"}}))), 4950);
  EXPECT_EQ(layerCode(lineLayer(tags({{"railway", "rail"}}))), 3011);
  EXPECT_EQ(lineLayer(tags({{"railway", "abandoned"}})), Layer::None);
  EXPECT_TRUE(isMicrodistrictPlace(tags({{"place", "hamlet"}, {"name", "X"}})));
  EXPECT_FALSE(isMicrodistrictPlace(tags({{"place", "hamlet"}})));
  EXPECT_FALSE(isMicrodistrictPlace(tags({{"place", "city"}, {"name", "X"}})));
}

}  // namespace
}  // namespace tikhomap::osm
