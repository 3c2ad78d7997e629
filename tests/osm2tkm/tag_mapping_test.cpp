// Tags to storeys, purposes, themes, roads and layers: what a person sees of
// an imported object, and the table rows at and just past their limits.
#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "mapdata/themes.h"
#include "osm2tkm/city_builder.h"
#include "osm2tkm/tag_mapping.h"
#include "render/compose_frame.h"
#include "tests/render/compose_fixture.h"
#include "tools/building_info.h"

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

// What the building information says of an imported building: what is in
// it decides before its building value.
TEST(BuildingPurpose, TheInformationNamesWhatIsInTheBuilding) {
  const char* const dwelling = "жилое";
  const char* const works = "нежилое или производственное";
  const char* const school = "образовательное учреждение";
  const char* const publicUse = "общественного назначения";
  const char* const medical = "медицинское учреждение";
  const struct {
    Tags tags;
    const char* said;
  } rows[] = {
      {tags({{"building", "house"}}), dwelling},
      {tags({{"building", "yes"}}), dwelling},
      {tags({{"building", "garage"}}), works},
      {tags({{"building", "industrial"}}), works},
      {tags({{"building", "school"}}), school},
      {tags({{"building", "church"}}), publicUse},
      {tags({{"building", "retail"}}), publicUse},
      {tags({{"building", "hospital"}}), medical},
      {tags({{"building", "yes"}, {"amenity", "kindergarten"}}), school},
      {tags({{"building", "retail"}, {"amenity", "pharmacy"}}), medical},
      {tags({{"building", "house"}, {"amenity", "townhall"}}), publicUse},
      {tags({{"building", "yes"}, {"tourism", "museum"}}), publicUse},
      {tags({{"building", "yes"}, {"shop", "bakery"}}), publicUse},
      {tags({{"building", "yes"}, {"office", "government"}}), publicUse},
      {tags({{"building", "yes"}, {"healthcare", "hospital"}}), medical},
      {tags({{"building", "yes"}, {"healthcare", "physiotherapist"}}), medical},
      {tags({{"building", "yes"}, {"shop", "vacant"}}), dwelling},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(purposeText(buildingPurpose(r.tags)), r.said)
        << r.tags.back().first << "=" << r.tags.back().second;
  }
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
  EXPECT_EQ(objectTheme(tags({{"amenity", "fire_station"}})), "87");
  EXPECT_EQ(objectTheme(tags({{"historic", "castle"}})), "46");
  EXPECT_EQ(objectTheme(tags({{"leisure", "sports_centre"}})), "52");
  EXPECT_EQ(objectTheme(tags({{"leisure", "park"}})), std::nullopt);
  // Every theme lies in a group listed before it, and the themes the
  // generator and the importer share name what is filed under them.
  char group = 0;
  std::map<std::string, std::string> names;
  for (const Theme& t : themeTable()) {
    names[t.code] = t.name;
    if (t.code[1] == '1')
      group = t.code[0];
    else
      EXPECT_EQ(t.code[0], group) << t.code;
  }
  const std::pair<const char*, const char*> named[] = {{"fire_station", "Пожарные части"},
                                                       {"courthouse", "Налоги и суды"},
                                                       {"cafe", "Кафе и столовые"},
                                                       {"place_of_worship", "Храмы"}};
  for (const auto& [amenity, name] : named)
    EXPECT_EQ(names[std::string(*objectTheme(tags({{"amenity", amenity}})))], name) << amenity;
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

// An imported area or line is drawn as what it is: a park in the park's
// green, a wood in the forest's, a lake in the sea's blue, a railway with the
// railway's pen. Each row imports a small town with the object and without
// it; the object adds one drawing of its style to the whole-town frame.
TEST(Layers, ImportedAreasAndLinesAreDrawnAsWhatTheyAre) {
  enum Style { kNothing, kGreen, kForest, kOrchard, kSea, kWaterLine, kRailway };
  const struct {
    Tags tags;
    bool area;
    Style style;
  } rows[] = {
      {tags({{"leisure", "park"}}), true, kGreen},
      {tags({{"leisure", "pitch"}}), true, kGreen},
      {tags({{"landuse", "cemetery"}}), true, kGreen},
      {tags({{"landuse", "forest"}}), true, kForest},
      {tags({{"natural", "wood"}}), true, kForest},
      {tags({{"landuse", "vineyard"}}), true, kOrchard},
      {tags({{"natural", "water"}}), true, kSea},
      {tags({{"landuse", "residential"}}), true, kNothing},
      {tags({{"waterway", "river"}}), false, kWaterLine},
      {tags({{"railway", "rail"}}), false, kRailway},
      {tags({{"railway", "abandoned"}}), false, kNothing},
  };
  const auto at = [](double dLat, double dLon) { return LonLat{9.5 + dLon, 47.1 + dLat}; };
  const auto frameOf = [&](const Tags* object, bool area) {
    Extract e;
    e.ways.push_back(
        {1, {{"highway", "residential"}, {"name", "Gasse"}}, {at(0, 0), at(0, 0.01)}, 0});
    if (object != nullptr && area) {
      e.areas.push_back({2,
                         false,
                         *object,
                         {{at(0.001, 0.002), at(0.001, 0.006), at(0.003, 0.006), at(0.003, 0.002),
                           at(0.001, 0.002)}},
                         {}});
    } else if (object != nullptr) {
      e.ways.push_back({3, *object, {at(-0.001, 0.001), at(0.002, 0.009)}, 0});
    }
    e.nodeCount = 40, e.wayCount = 4;
    e.hasHeaderBox = true;
    e.headerBox = {at(-0.004, -0.002), at(0.004, 0.012)};
    CityImport city;
    std::string refusal;
    EXPECT_TRUE(buildCity(e, {}, city, refusal)) << refusal;
    auto w = std::make_unique<tikhomap::testing::ComposeWorld>(kViewFlat);
    w->map = std::move(city.map);
    const MapBounds x = w->map.cityExtent;
    w->history = ViewHistory{};
    pushView(w->history, x.xMin, x.yMin, x.xMax, x.yMax);
    pushView(w->history, x.xMin, x.yMin, x.xMax, x.yMax);
    composeFrame(w->ctx, w->dc);
    return w;
  };
  const auto drawnWith = [](const tikhomap::testing::ComposeWorld& w, Style style) {
    const StyleSet& st = w.styles;
    size_t n = 0;
    for (const RecordedCall& c : w.dc.calls()) {
      const bool filled = c.kind == CallKind::Polygon;
      const bool stroked = c.kind == CallKind::Polyline;
      switch (style) {
        case kGreen:
          n += filled && c.state.brush == st.green;
          break;
        case kForest:
          n += filled && c.state.brush == st.forest;
          break;
        case kOrchard:
          n += filled && c.state.brush == st.orchard;
          break;
        case kSea:
          n += filled && c.state.brush == st.sea;
          break;
        case kWaterLine:
          n += stroked && c.state.pen == st.waterLine;
          break;
        case kRailway:
          n += stroked && c.state.pen == st.railway[std::min<int>(w.view.detailLevel, 3)];
          break;
        case kNothing:
          n += filled || stroked;
          break;
      }
    }
    return n;
  };
  const auto without = frameOf(nullptr, true);
  for (const auto& r : rows) {
    const auto with = frameOf(&r.tags, r.area);
    const std::string what = r.tags.front().first + "=" + r.tags.front().second;
    if (r.style == kNothing) {
      EXPECT_EQ(drawnWith(*with, kNothing), drawnWith(*without, kNothing)) << what;
    } else {
      EXPECT_EQ(drawnWith(*with, r.style), drawnWith(*without, r.style) + 1) << what;
    }
  }
}

TEST(Places, NamedSuburbsAndVillagesBecomeMicrodistricts) {
  EXPECT_TRUE(isMicrodistrictPlace(tags({{"place", "hamlet"}, {"name", "X"}})));
  EXPECT_FALSE(isMicrodistrictPlace(tags({{"place", "hamlet"}})));
  EXPECT_FALSE(isMicrodistrictPlace(tags({{"place", "city"}, {"name", "X"}})));
}

}  // namespace
}  // namespace tikhomap::osm
