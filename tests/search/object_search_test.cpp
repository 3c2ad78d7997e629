#include "search/object_search.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace tikhomap {
namespace {

void put(std::string& field, const char* utf8) {
  field = utf8;
}

ThemeNode node(const char code[3], const char* name, int32_t children, int32_t next) {
  ThemeNode n;
  n.code[0] = code[0];
  n.code[1] = code[1];
  put(n.name, name);
  n.children = children;
  n.next = next;
  return n;
}

Building building(uint16_t x, uint16_t y, int16_t street, const char* number) {
  Building b;
  b.x = x;
  b.y = y;
  b.streetCode = street;
  put(b.houseNumber, number);
  b.bounds = {x - 5.0f, y - 5.0f, x + 5.0f, y + 5.0f};
  return b;
}

UserObject object(int16_t x, int16_t y, const char theme[3], const char* name) {
  UserObject o;
  o.x = x;
  o.y = y;
  o.theme[0] = theme[0];
  o.theme[1] = theme[1];
  put(o.name, name);
  return o;
}

DistrictArea square(int16_t district, uint16_t lo, uint16_t hi) {
  DistrictArea a;
  a.district = district;
  a.points = {{lo, lo}, {lo, hi}, {hi, hi}, {hi, lo}, {lo, lo}};
  a.pointCount = 5;
  a.boundsLow[0] = a.boundsLow[1] = lo;
  a.boundsLow[2] = a.boundsLow[3] = hi;
  return a;
}

// Two theme groups; the themes "Лицеи" of both groups share a name.
struct ObjectWorld {
  MapData map;
  MarkingState marking;
  ViewHistory history;
  ViewState view;

  ObjectWorld() {
    map.themeNodes = {node("11", "Школы", 1, 3), node("12", "Гимназии", -1, 2),
                      node("13", "Лицеи", -1, -1), node("21", "Аптеки", 4, -1),
                      node("22", "Лицеи", -1, -1)};
    map.themeHead = 0;
    map.buildings = {building(100, 100, 1, "1"), building(200, 200, 2, "2а"),
                     building(5000, 5000, 1, "7")};
    map.userObjects = {
        object(100, 100, "12", "Школа № 1"), object(200, 200, "13", "СРЕДНЯЯ ШКОЛА № 2"),
        object(5000, 5000, "22", "Аптека Здоровье"), object(9, 9, "22", "Лицей Ёлка"),
        object(5000, 5000, "11", "школа-интернат")};
    map.districtAreas = {square(0, 0, 9000), square(1, 0, 1000), square(2, 4000, 6000)};
    map.microdistricts.resize(1);
    map.microdistricts[0].x = 150;
    map.microdistricts[0].y = 150;
    put(map.microdistricts[0].name, "Центр");
    StreetName s;
    s.streetCode = 1;
    put(s.name, "Лесная ул.");
    map.streetNames.push_back(s);
    s.streetCode = 2;
    put(s.name, "Морская ул.");
    map.streetNames.push_back(s);
    map.streetCodeIndex = {0, 0, 1};
    pushView(history, 0, 0, 10000, 10000);
  }

  // Every search runs twice: alone, and with the map's index (whose object
  // names are folded once); both find the same.
  std::vector<int32_t> find(const ObjectCriteria& c, int32_t street = -1) {
    filterObjects(map, marking, c, street);
    const std::vector<int32_t> alone = foundObjects(map);
    const AddressIndex index(map);
    filterObjects(map, marking, c, street, &index);
    EXPECT_EQ(foundObjects(map), alone);
    return alone;
  }
};

using Rows = std::vector<int32_t>;

TEST(ObjectSearch, ThemeLinesKeepTheirNodes) {
  ObjectWorld w;
  const std::vector<ThemeLine> lines = themeLines(w.map);
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0].text, " Школы");
  EXPECT_EQ(lines[2].text, "        Лицеи");
  EXPECT_EQ(lines[4].text, lines[2].text);
  EXPECT_EQ(lines[2].node, 2);
  EXPECT_EQ(lines[4].node, 4);
  // A damaged list that loops back on itself ends.
  w.map.themeNodes[4].next = 4;
  EXPECT_LE(themeLines(w.map).size(), 12u);
}

TEST(ObjectSearch, EachCriterionAloneAndCombined) {
  ObjectWorld w;
  EXPECT_EQ(w.find({}), (Rows{0, 1, 2, 3, 4}));
  // A group takes every theme beginning with its first character.
  EXPECT_EQ(w.find({.themeNode = 0}), (Rows{0, 1, 4}));
  // Two themes of the same name stay apart.
  EXPECT_EQ(w.find({.themeNode = 2}), (Rows{1}));
  EXPECT_EQ(w.find({.themeNode = 4}), (Rows{2, 3}));
  // Names: case folding of Cyrillic letters in both modes.
  EXPECT_EQ(w.find({.nameText = "ШКОЛА", .nameMode = 1}), (Rows{0, 1, 4}));
  EXPECT_EQ(w.find({.nameText = "  школа ", .nameMode = 0}), (Rows{0, 4}));
  EXPECT_EQ(w.find({.nameText = "школа"}), (Rows{0, 1, 4}));  // no mode: "содержит"
  EXPECT_EQ(w.find({.nameText = "ёлка"}), (Rows{3}));
  // The street filter needs a building at the object's point.
  EXPECT_EQ(w.find({}, 1), (Rows{0, 2, 4}));
  EXPECT_EQ(w.find({.districtRow = 1}), (Rows{2, 4}));
  EXPECT_EQ(w.find({.districtRow = 4}), Rows{});  // no polygon
  EXPECT_EQ(w.find({.microRow = 0}), (Rows{0, 1}));
  EXPECT_EQ(w.find({.nameText = "школа", .nameMode = 1}, 1), (Rows{0, 4}));
  EXPECT_EQ(w.find({.districtRow = 0, .themeNode = 3}), Rows{});
  EXPECT_EQ(w.marking.objectResultCount, 0);
}

TEST(ObjectSearch, AtMost500AndTheCountTexts) {
  ObjectWorld w;
  w.map.userObjects.assign(620, object(1, 1, "12", "Аптека"));
  EXPECT_EQ(filterObjects(w.map, w.marking, {}, -1), 500);
  EXPECT_EQ(objectCountText(500), "Всего более 500");
  EXPECT_EQ(objectCountText(499), "Всего: 499");
  EXPECT_EQ(w.map.userObjects[499].foundMark, 1);
  EXPECT_EQ(w.map.userObjects[500].foundMark, 0);
  // A long pasted name is read to its first 39 bytes; nothing breaks.
  EXPECT_EQ(filterObjects(w.map, w.marking, {.nameText = std::string(10000, 'x')}, -1), 0);
}

TEST(ObjectSearch, AnEmptyResultLeavesTheMapAsItWas) {
  ObjectWorld w;
  w.marking.markedStreet = 2;
  w.marking.chosenBuildings = {1};
  const ObjectSearchOutcome out = runObjectSearch(w.map, w.marking, w.history, w.view,
                                                  {.nameText = "вокзал", .microRow = 0}, false);
  EXPECT_TRUE(out.beep);
  EXPECT_EQ(w.marking.markedStreet, 2);
  EXPECT_EQ(w.marking.chosenBuildings, Rows{1});
  EXPECT_FALSE(w.marking.pendingNameFlash);
  EXPECT_EQ(w.history.count, 1);
}

TEST(ObjectSearch, ResultsMarkTheStreetAndFlashTheMicrodistrict) {
  ObjectWorld w;
  const ObjectSearchOutcome out =
      runObjectSearch(w.map, w.marking, w.history, w.view, {.streetRow = 0, .microRow = 0}, true);
  EXPECT_EQ(out.count, 1);  // only "Школа № 1" is on Лесная near Центр
  EXPECT_EQ(w.marking.markedStreet, 1);
  EXPECT_EQ(w.marking.pendingNameFlash, (NameFlash{NameFlash::Source::Microdistrict, 0}));
  // One result: its building is marked and shown; the box set closes the
  // window and discards the result.
  EXPECT_EQ(w.marking.chosenBuildings, Rows{0});
  EXPECT_TRUE(out.viewMoved);
  EXPECT_EQ(w.history.last(), (MapBounds{0, 0, 510, 510}));  // kept inside the city
  EXPECT_TRUE(out.closeWindow);
  EXPECT_EQ(w.marking.objectResultCount, 0);
  EXPECT_TRUE(foundObjects(w.map).empty());
}

// A landmark whose building the map lacks is flagged at its own point, and
// the view goes there; the building marks of before are gone.
TEST(ObjectSearch, ASingleResultWithoutABuildingIsFlaggedAtItsPoint) {
  ObjectWorld w;
  w.marking.chosenBuildings = {2};
  const ObjectSearchOutcome out =
      runObjectSearch(w.map, w.marking, w.history, w.view, {.nameText = "Лицей"}, false);
  EXPECT_EQ(out.count, 1);
  EXPECT_TRUE(out.viewMoved);
  EXPECT_TRUE(w.marking.chosenBuildings.empty());
  EXPECT_EQ(w.marking.chosenPoints, (std::vector<MarkingState::Point>{{9, 9}}));
  EXPECT_EQ(w.marking.objectResultCount, 1);
  w.marking.clearMarks();
  EXPECT_FALSE(w.marking.hasMarks());
}

TEST(ObjectSearch, ShowingMarksTheBuildingOfEachSelectedObject) {
  ObjectWorld w;
  // A second "Школа № 1" at another building: each line is its own object.
  w.map.userObjects.push_back(object(200, 200, "12", "Школа № 1"));
  filterObjects(w.map, w.marking, {}, -1);
  ObjectSearchOutcome out = showObjectResults(w.map, w.marking, w.history, w.view, Rows{});
  EXPECT_TRUE(out.beep);
  const Rows selected{0, 5, 4, 2};  // objects 4 and 2 share a building
  out = showObjectResults(w.map, w.marking, w.history, w.view, selected);
  EXPECT_FALSE(out.beep);
  EXPECT_EQ(w.marking.chosenBuildings, (Rows{0, 1, 2}));
  EXPECT_TRUE(out.viewMoved);
  EXPECT_EQ(w.history.last(), (MapBounds{0, 0, 5410, 5410}));
  EXPECT_TRUE(w.marking.chosenPoints.empty());
  // An object without a building is flagged at its own point.
  out = showObjectResults(w.map, w.marking, w.history, w.view, Rows{3, 0});
  EXPECT_EQ(w.marking.chosenBuildings, Rows{0});
  EXPECT_EQ(w.marking.chosenPoints, (std::vector<MarkingState::Point>{{9, 9}}));
  EXPECT_TRUE(out.viewMoved);
}

TEST(ObjectSearch, TheAddressOfAResult) {
  ObjectWorld w;
  ObjectAddress a = objectAddress(w.map, 0);
  ASSERT_TRUE(a.found);
  EXPECT_EQ(a.street, "Лесная ул.");
  EXPECT_EQ(a.house, "1");
  EXPECT_EQ(a.district, "Северный");
  EXPECT_EQ(a.microdistrict, "Центр");
  a = objectAddress(w.map, 2);
  EXPECT_EQ(a.district, "Центральный");
  EXPECT_EQ(a.microdistrict, "");  // the nearest is 6 km away
  EXPECT_FALSE(objectAddress(w.map, 3).found);
  EXPECT_FALSE(objectAddress(w.map, 99).found);
}

}  // namespace
}  // namespace tikhomap
