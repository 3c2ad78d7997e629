#include "search/street_search.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "search/place_choice.h"

namespace tikhomap {
namespace {

void put(std::string& field, const char* utf8) {
  field = utf8;
}

StreetName street(int16_t code, const char* name, int16_t kind = 1) {
  StreetName s;
  s.streetCode = code;
  s.kind = kind;
  put(s.name, name);
  return s;
}

Building house(int16_t code, const char* number, float x, float y, const char* description = "") {
  Building b;
  b.streetCode = code;
  put(b.houseNumber, number);
  put(b.description, description);
  b.x = static_cast<uint16_t>(x + 5);
  b.y = static_cast<uint16_t>(y + 5);
  b.outline = {{x, y}, {x + 10, y}, {x + 10, y + 10}, {x, y + 10}};
  b.bounds = {x, y, x + 10, y + 10};
  return b;
}

MapFeature line(int16_t code, MapBounds b) {
  MapFeature f;
  f.code = code;
  f.pointCount = 2;
  f.points = {{b.xMin, b.yMin}, {b.xMax, b.yMax}};
  f.bounds = b;
  return f;
}

// A city 10 km square. Streets in folded name order; "Заречная" (code 3)
// has five houses, one with a description, and two lines; "Лесная" (code 5)
// is of kind 100 with one house; "Тупик" (code 7) is of kind 0.
struct SearchWorld {
  MapData map;
  MarkingState marking;
  ViewHistory history;
  ViewState view;
  StreetSearchState state;
  StreetSearchContext ctx{map, marking, history, view};

  SearchWorld() {
    map.streetNames = {street(3, "Заречная ул."), street(5, "Лесная ул.", 100),
                       street(4, "Морская ул./Порт"), street(7, "Тупик", 0)};
    map.buildings = {
        house(3, "10", 5000, 5000),
        house(3, "2", 5100, 5000, "  Школа № 5  "),
        house(4, "1", 6000, 6000),
        house(3, "10а", 5200, 5000),
        house(3, "", 5300, 5000),
        house(3, "7", 5400, 5000),
        house(5, "3", 7000, 7000),
        house(7, "1", 7100, 7100),
        house(3, "2б", 5500, 5000, "Очень длинное описание здания на всю строку"),
    };
    map.streetLines = {line(3, {4900, 4900, 5600, 5100}), line(3, {5600, 5000, 5800, 5200}),
                       line(4, {6000, 6000, 6100, 6100}), line(7, {7000, 7000, 7200, 7200})};
    pushView(history, 0, 0, 10000, 10000);
  }

  void open() { openStreetSearch(state, ctx); }
  void typeStreet(const char* utf8) { streetTextChanged(state, ctx, utf8); }
  void typeHouse(const char* utf8) { houseTextChanged(state, utf8); }
  // The user moves to the house side after choosing a street.
  SearchOutcome toHouse() { return houseFocusGained(state, ctx); }
  std::vector<std::string> houseLines() const {
    std::vector<std::string> lines;
    for (const HouseListEntry& e : state.houseList) lines.push_back(e.text);
    return lines;
  }
  // The map shows the given rectangle at the given scale.
  void showing(MapBounds r, double mmPerMetre) {
    pushView(history, r.xMin, r.yMin, r.xMax, r.yMax);
    view.viewXMin = r.xMin;
    view.viewYMin = r.yMin;
    view.viewXMax = r.xMax;
    view.viewYMax = r.yMax;
    view.mmPerMetre = mmPerMetre;
  }
};

TEST(StreetSearch, OpeningClearsTheMarks) {
  SearchWorld w;
  w.marking.chosenBuildings = {1, 2};
  w.marking.markedStreet = 3;
  w.open();
  EXPECT_EQ(w.marking.chosenCount(), 0);
  EXPECT_EQ(w.marking.markedStreet, -1);
  EXPECT_EQ(w.state.streetRow, -1);
  EXPECT_FALSE(w.state.listMode);
}

TEST(StreetSearch, TypingSelectsByPrefixAndEmptyTextSelectsNothing) {
  SearchWorld w;
  w.open();
  w.typeStreet("лес");
  EXPECT_EQ(w.state.streetRow, 1);
  w.typeStreet("МОР");
  EXPECT_EQ(w.state.streetRow, 2);
  w.typeStreet("Н");  // sorts between "Морская" and "Тупик": the earlier one
  EXPECT_EQ(w.state.streetRow, 2);
  w.typeStreet("");
  EXPECT_EQ(w.state.streetRow, -1);
  // Only the first 31 bytes of a long paste are read; unmappable characters
  // arrive as '?' and select by the same rules, never crash.
  w.typeStreet(std::string(10000, 'z').c_str());
  EXPECT_EQ(w.state.streetRow, -1);  // Latin sorts before every Cyrillic name
  w.typeStreet("Zürich 😀");
  EXPECT_GE(w.state.streetRow, -1);
  EXPECT_EQ(fieldTyped(std::string(100, 'a')).size(), kTypedFieldLength);
}

TEST(StreetSearch, HouseListInHouseOrderWithDescriptions) {
  SearchWorld w;
  w.open();
  w.typeStreet("зар");
  const SearchOutcome out = w.toHouse();
  EXPECT_TRUE(out.houseListChanged);
  EXPECT_FALSE(out.beep);
  // The unnumbered house is left out; descriptions are trimmed and cut so
  // that the line holds at most 29 characters before the NUL.
  const std::vector<std::string> lines = w.houseLines();
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0], "2, Школа № 5");
  EXPECT_EQ(lines[1], "2б, Очень длинное описание здан");
  EXPECT_EQ(lines[2], "7");
  EXPECT_EQ(lines[3], "10");
  EXPECT_EQ(lines[4], "10а");
  EXPECT_EQ(w.state.houseList[3].building, 0);
  // Typing a number picks by the house order, ignoring the descriptions.
  w.typeHouse("1");
  EXPECT_EQ(w.state.houseRow, 0);  // "2" already sorts after "1"
  w.typeHouse("10");
  EXPECT_EQ(w.state.houseRow, 3);
  w.typeHouse("10А");
  EXPECT_EQ(w.state.houseRow, 4);
  w.typeHouse("99");
  EXPECT_EQ(w.state.houseRow, 4);  // past the highest: the last entry
  w.typeHouse("");
  EXPECT_EQ(w.state.houseRow, -1);
  // A second focus on the house side keeps the built list.
  EXPECT_FALSE(w.toHouse().houseListChanged);
}

TEST(StreetSearch, AStreetOfKindZeroHasNoHousesOneOfKindHundredHas) {
  SearchWorld w;
  w.open();
  w.typeStreet("Тупик");
  w.toHouse();
  EXPECT_TRUE(w.state.houseList.empty());
  // Enter without a house keeps the focus in the house text.
  const SearchOutcome out = enterCommand(w.state, w.ctx);
  EXPECT_EQ(out.focus, SearchFocus::HouseText);
  EXPECT_FALSE(out.close);
  // Kind 100 cannot be shown alone, but its house can.
  streetFocusGained(w.state);
  w.typeStreet("Лесная");
  w.toHouse();
  ASSERT_EQ(w.state.houseList.size(), 1u);
  w.typeHouse("3");
  EXPECT_TRUE(showCommand(w.state, w.ctx).close);
  EXPECT_EQ(w.marking.chosenBuildings, std::vector<int32_t>{6});
}

TEST(StreetSearch, FocusRules) {
  SearchWorld w;
  w.open();
  // No street: the house side beeps and sends the focus back.
  SearchOutcome out = w.toHouse();
  EXPECT_TRUE(out.beep);
  EXPECT_EQ(out.focus, SearchFocus::StreetText);
  w.typeStreet("зар");
  w.toHouse();
  w.typeHouse("7");
  ASSERT_EQ(w.state.houseRow, 2);
  // Back on the street side: the house side is emptied.
  out = streetFocusGained(w.state);
  EXPECT_TRUE(out.houseListChanged);
  EXPECT_TRUE(w.state.houseList.empty());
  EXPECT_EQ(w.state.houseRow, -1);
}

TEST(StreetSearch, ShowCommandTable) {
  {  // no street
    SearchWorld w;
    w.open();
    const SearchOutcome out = showCommand(w.state, w.ctx);
    EXPECT_TRUE(out.beep);
    EXPECT_EQ(out.focus, SearchFocus::StreetText);
    EXPECT_FALSE(out.close);
  }
  {  // a street of kind 100 alone
    SearchWorld w;
    w.open();
    w.typeStreet("Лес");
    const SearchOutcome out = showCommand(w.state, w.ctx);
    EXPECT_TRUE(out.beep);
    EXPECT_EQ(out.focus, SearchFocus::StreetList);
    EXPECT_EQ(w.history.count, 1);
  }
  {  // a street without any line
    SearchWorld w;
    w.map.streetLines.clear();
    w.open();
    w.typeStreet("Зар");
    const SearchOutcome out = showCommand(w.state, w.ctx);
    EXPECT_TRUE(out.beep);
    EXPECT_EQ(out.focus, SearchFocus::StreetList);
    EXPECT_EQ(w.marking.markedStreet, -1);
  }
  {  // a house
    SearchWorld w;
    w.open();
    w.typeStreet("Зар");
    w.toHouse();
    w.typeHouse("10");
    const SearchOutcome out = showCommand(w.state, w.ctx);
    EXPECT_TRUE(out.close);
    EXPECT_TRUE(out.recompose);
    EXPECT_EQ(w.marking.chosenBuildings, std::vector<int32_t>{0});
    EXPECT_EQ(w.marking.markedStreet, 3);
    EXPECT_EQ(w.history.last(), (MapBounds{4800, 4800, 5210, 5210}));
  }
}

TEST(StreetSearch, ShowStreetLeavesTwoHistoryEntries) {
  SearchWorld w;
  w.open();
  w.typeStreet("Зар");
  const SearchOutcome out = showCommand(w.state, w.ctx);
  EXPECT_TRUE(out.close);
  EXPECT_TRUE(out.recompose);
  EXPECT_EQ(w.marking.markedStreet, 3);
  EXPECT_EQ(w.marking.chosenCount(), 0);
  ASSERT_EQ(w.history.count, 3);
  EXPECT_EQ(w.history.entry(1), (MapBounds{4400, 4400, 6300, 5700}));
  EXPECT_EQ(w.history.entry(2), (MapBounds{4800, 4800, 5900, 5300}));
}

TEST(StreetSearch, AHouseOnScreenAtAFineScaleIsOnlyMarked) {
  SearchWorld w;
  w.showing({4900, 4900, 5300, 5300}, 0.5);
  const int16_t count = w.history.count;
  w.open();
  EXPECT_FALSE(showBuilding(w.ctx, 0, 3));
  EXPECT_EQ(w.history.count, count);
  EXPECT_EQ(w.marking.chosenBuildings, std::vector<int32_t>{0});
  // At a coarser scale, or off screen, the view moves.
  w.view.mmPerMetre = 0.4;
  EXPECT_TRUE(showBuilding(w.ctx, 0, 3));
  EXPECT_EQ(w.history.count, count + 1);
  w.view.mmPerMetre = 1.0;
  EXPECT_TRUE(showBuilding(w.ctx, 2, 4));
  // On the title sheet the old shown rectangle does not count: the map opens.
  SearchWorld t;
  t.view.viewXMin = 0;
  t.view.viewYMin = 0;
  t.view.viewXMax = 10000;
  t.view.viewYMax = 10000;
  t.view.mmPerMetre = 1.0;
  EXPECT_TRUE(showBuilding(t.ctx, 0, 3));
  EXPECT_EQ(t.history.count, 2);
  // A building row outside the table changes nothing.
  EXPECT_FALSE(showBuilding(t.ctx, 99, 3));
  EXPECT_EQ(t.marking.chosenBuildings, std::vector<int32_t>{0});
}

TEST(StreetSearch, EnterAndDoubleClick) {
  SearchWorld w;
  w.open();
  SearchOutcome out = enterCommand(w.state, w.ctx);
  EXPECT_TRUE(out.beep);
  EXPECT_EQ(out.focus, SearchFocus::StreetText);
  w.typeStreet("Зар");
  out = enterCommand(w.state, w.ctx);
  EXPECT_EQ(out.focus, SearchFocus::HouseText);
  EXPECT_FALSE(out.beep);
  w.toHouse();
  out = houseDoubleClick(w.state, w.ctx);  // no house selected yet
  EXPECT_EQ(out.focus, SearchFocus::HouseList);
  houseListSelected(w.state, 2);
  out = houseDoubleClick(w.state, w.ctx);
  EXPECT_TRUE(out.close);
  EXPECT_TRUE(out.recompose);
  EXPECT_EQ(w.marking.chosenBuildings, std::vector<int32_t>{5});
}

TEST(StreetSearch, ListModeCollectsHousesOfSeveralStreets) {
  SearchWorld w;
  w.open();
  SearchOutcome out = listModeToggled(w.state, w.ctx);
  EXPECT_TRUE(out.openChosenList);
  EXPECT_EQ(out.focus, SearchFocus::StreetText);
  // "Показать" with nothing chosen beeps and keeps the window.
  out = showCommand(w.state, w.ctx);
  EXPECT_TRUE(out.beep);
  EXPECT_FALSE(out.close);

  w.typeStreet("Зар");
  w.toHouse();
  w.typeHouse("2");
  EXPECT_TRUE(enterCommand(w.state, w.ctx).chosenLinesChanged);
  EXPECT_FALSE(enterCommand(w.state, w.ctx).chosenLinesChanged);  // twice: one line
  w.typeHouse("7");
  houseDoubleClick(w.state, w.ctx);
  streetFocusGained(w.state);
  w.typeStreet("Мор");
  w.toHouse();
  w.typeHouse("1");
  enterCommand(w.state, w.ctx);
  EXPECT_EQ(w.marking.chosenBuildings, (std::vector<int32_t>{1, 5, 2}));
  EXPECT_EQ(w.state.chosenLines,
            (std::vector<std::string>{"Заречная ул., 2", "Заречная ул., 7", "Морская ул., 1"}));

  // A double click on the middle line deletes it and its building.
  deleteChosenLine(w.state, w.ctx, 1);
  deleteChosenLine(w.state, w.ctx, 7);  // no such line
  EXPECT_EQ(w.marking.chosenBuildings, (std::vector<int32_t>{1, 2}));
  EXPECT_EQ(w.state.chosenLines.size(), 2u);

  out = showCommand(w.state, w.ctx);
  EXPECT_TRUE(out.close);
  EXPECT_TRUE(out.closeChosenList);
  EXPECT_TRUE(out.recompose);
  EXPECT_EQ(w.marking.markedStreet, 4);
  EXPECT_EQ(w.history.last(), (MapBounds{4900, 4800, 6210, 6210}));
}

TEST(StreetSearch, ListModeOffAndOnStartsEmpty) {
  SearchWorld w;
  w.open();
  listModeToggled(w.state, w.ctx);
  w.typeStreet("Зар");
  w.toHouse();
  w.typeHouse("7");
  enterCommand(w.state, w.ctx);
  ASSERT_EQ(w.marking.chosenCount(), 1);
  SearchOutcome out = listModeToggled(w.state, w.ctx);
  EXPECT_TRUE(out.closeChosenList);
  EXPECT_EQ(out.focus, SearchFocus::HouseText);
  EXPECT_EQ(w.marking.chosenCount(), 0);
  listModeToggled(w.state, w.ctx);
  EXPECT_TRUE(w.state.chosenLines.empty());
  EXPECT_EQ(w.marking.chosenCount(), 0);
}

TEST(StreetSearch, TheChosenListHoldsAtMost500Houses) {
  SearchWorld w;
  for (int i = 0; i < 600; ++i) {
    w.map.buildings.push_back(house(4, std::to_string(100 + i).c_str(), 8000, 100 + 10.0f * i));
  }
  w.open();
  listModeToggled(w.state, w.ctx);
  w.typeStreet("Мор");
  w.toHouse();
  ASSERT_EQ(w.state.houseList.size(), 601u);  // more than 300: all listed
  int beeps = 0;
  for (int32_t row = 0; row < 601; ++row) {
    houseListSelected(w.state, row);
    beeps += addChosenHouse(w.state, w.ctx).beep ? 1 : 0;
  }
  EXPECT_EQ(w.marking.chosenCount(), kMaxChosenBuildings);
  EXPECT_EQ(w.state.chosenLines.size(), static_cast<size_t>(kMaxChosenBuildings));
  EXPECT_EQ(beeps, 101);
}

TEST(StreetSearch, CancelRemovesTheMarksOnlyAfterAStreetWasSelected) {
  {
    SearchWorld w;
    w.marking.markedStreet = 3;  // the frame shows this street
    w.open();
    w.typeStreet("Зар");
    const SearchOutcome out = cancelCommand(w.state, w.ctx);
    EXPECT_TRUE(out.close);
    EXPECT_TRUE(out.recompose);
    EXPECT_FALSE(w.marking.hasMarks());
  }
  {  // nothing selected, nothing marked before: nothing changes
    SearchWorld w;
    w.open();
    const SearchOutcome out = cancelCommand(w.state, w.ctx);
    EXPECT_TRUE(out.close);
    EXPECT_FALSE(out.recompose);
    EXPECT_FALSE(out.closeChosenList);
  }
  {  // nothing selected, but the frame carries the highlight of a street the
     // opening unmarked: it is composed again, so no highlight stays alone
    SearchWorld w;
    w.marking.markedStreet = 3;
    w.open();
    const SearchOutcome out = cancelCommand(w.state, w.ctx);
    EXPECT_TRUE(out.recompose);
  }
  {  // in list mode the chosen-list window closes too
    SearchWorld w;
    w.open();
    listModeToggled(w.state, w.ctx);
    EXPECT_TRUE(cancelCommand(w.state, w.ctx).closeChosenList);
  }
}

TEST(PlaceChoice, DistrictGoesToItsFirstPolygonAndAsksForItsFlash) {
  MapData map;
  map.districtAreas.resize(4);
  map.districtAreas[1].district = 2;
  map.districtAreas[2].district = 3;
  map.districtAreas[2].boundsLow[0] = 1000;
  map.districtAreas[2].boundsLow[1] = 2000;
  map.districtAreas[2].boundsLow[2] = 4000;
  map.districtAreas[2].boundsLow[3] = 6000;
  map.districtAreas[3].district = 3;
  map.districtAreas[0].district = 1;  // the land outline never counts
  MarkingState marking;
  marking.chosenBuildings = {4};
  ViewHistory history;
  pushView(history, 0, 0, 10000, 10000);
  EXPECT_TRUE(chooseDistrict(map, marking, history, 2));  // "Южный"
  EXPECT_EQ(marking.pendingDistrictFlash, 2);
  EXPECT_EQ(history.last(), (MapBounds{1000, 2000, 4000, 6000}));
  EXPECT_EQ(marking.chosenBuildings, std::vector<int32_t>{4});  // untouched
  // District 1 has only the land outline, district 5 nothing: no move.
  marking.pendingDistrictFlash.reset();
  for (int32_t row : {0, 4, -1, 99}) {
    EXPECT_FALSE(chooseDistrict(map, marking, history, row)) << row;
  }
  EXPECT_EQ(history.count, 2);
  EXPECT_FALSE(marking.pendingDistrictFlash);
}

TEST(PlaceChoice, MicrodistrictSquareIsKeptInsideTheCity) {
  MapData map;
  map.microdistricts.resize(2);
  map.microdistricts[0].x = 5000;
  map.microdistricts[0].y = 5000;
  map.microdistricts[1].x = 9900;  // near the north-east corner
  map.microdistricts[1].y = 200;
  put(map.microdistricts[0].name, "Ивановка");
  put(map.microdistricts[1].name, "Иволга");
  MarkingState marking;
  ViewHistory history;
  pushView(history, 0, 0, 10000, 10000);
  EXPECT_TRUE(chooseMicrodistrict(map, marking, history, 1));
  EXPECT_EQ(history.last(), (MapBounds{9000, 0, 10000, 1000}));
  EXPECT_EQ(marking.pendingNameFlash, (NameFlash{NameFlash::Source::Microdistrict, 1}));
  EXPECT_TRUE(chooseMicrodistrict(map, marking, history, 0));
  EXPECT_EQ(history.last(), (MapBounds{4500, 4500, 5500, 5500}));
  EXPECT_FALSE(chooseMicrodistrict(map, marking, history, 2));
  EXPECT_EQ(history.count, 3);

  EXPECT_EQ(findMicrodistrictRow(map, "ив"), 0);
  EXPECT_EQ(findMicrodistrictRow(map, "ИВО"), 1);
  EXPECT_EQ(findMicrodistrictRow(map, "иванов"), 0);
  EXPECT_EQ(findMicrodistrictRow(map, "Ж"), -1);
  EXPECT_EQ(findMicrodistrictRow(map, ""), -1);
}

}  // namespace
}  // namespace tikhomap
