#include "render/found_markers.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "building_pass_fixture.h"
#include "mapdata/district_names.h"
#include "mapdata/utf8_text.h"

namespace tikhomap {
namespace {

using testing::PassFixture;
using testing::rectOutline;

struct Flag {
  ScreenPoint foot;
  ScreenPoint poleTop;
  Rect cloth;
};

// The pole and cloth of each flag drawn, in order.
std::vector<Flag> flags(const RecordingCanvas& dc) {
  std::vector<Flag> out;
  const auto lines = dc.callsOf(CallKind::LineTo);
  const auto rects = dc.callsOf(CallKind::Rectangle);
  EXPECT_EQ(lines.size(), rects.size());
  for (size_t i = 0; i < std::min(lines.size(), rects.size()); ++i) {
    out.push_back({lines[i].points[0], lines[i].points[1], rects[i].rect});
  }
  return out;
}

// A 40 x 20 pixel building whose northern edge runs along screen row 300,
// its address point well inside.
Building& house(PassFixture& f, int left, const char* number, int16_t floors = 5,
                int16_t streetCode = 7) {
  Building& b = f.addBuilding(rectOutline(left, 300, left + 40, 320), 411, floors, number);
  b.streetCode = streetCode;
  return b;
}

struct FlagGeometry {
  int level;
  int width, height, pole;
  bool number;
};

class FlagSize : public ::testing::TestWithParam<FlagGeometry> {};

TEST_P(FlagSize, GrowsWithTheDetailLevel) {
  const FlagGeometry g = GetParam();
  PassFixture f(kViewFlat, g.level);
  house(f, 100, " 12а \r\n");
  f.marking.chosenBuildings = {0};
  drawFoundMarkers(f.ctx, f.dc);

  const auto drawn = flags(f.dc);
  ASSERT_EQ(drawn.size(), 1u);
  const ScreenPoint foot{100, 300};
  EXPECT_EQ(drawn[0].foot, foot);
  EXPECT_EQ(drawn[0].poleTop, (ScreenPoint{100, 300 - g.pole}));
  EXPECT_EQ(drawn[0].cloth, (Rect{100, 300 - 2 * g.height, 100 + g.width, 300 - g.height}));

  const auto rect = f.dc.callsOf(CallKind::Rectangle)[0];
  EXPECT_EQ(rect.state.pen, f.styles.marker);
  EXPECT_EQ(rect.state.brush, f.styles.markerBrush);
  EXPECT_TRUE(rect.state.backgroundTransparent);

  const auto texts = f.dc.callsOf(CallKind::TextOut);
  if (!g.number) {
    EXPECT_TRUE(texts.empty());
    return;
  }
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].text, "12а");
  EXPECT_EQ(texts[0].points[0], (ScreenPoint{104, 300 - 10 * g.level + 1}));
  EXPECT_EQ(texts[0].state.textColor, (Rgb{255, 0, 0}));
  EXPECT_EQ(texts[0].state.font, fixed::defaultFont);
}

INSTANTIATE_TEST_SUITE_P(Levels, FlagSize,
                         ::testing::Values(FlagGeometry{0, 10, 5, 6, false},
                                           FlagGeometry{1, 10, 5, 6, false},
                                           FlagGeometry{2, 20, 10, 11, false},
                                           FlagGeometry{3, 30, 15, 16, true},
                                           FlagGeometry{4, 40, 20, 21, true}));

struct RoofCase {
  int mode;
  int level;
  int16_t floors;
  int lift;  // in storeys
};

class FlagFoot : public ::testing::TestWithParam<RoofCase> {};

TEST_P(FlagFoot, StandsOnTheRoofOnlyWhereBuildingsHaveHeight) {
  const RoofCase c = GetParam();
  PassFixture f(c.mode, c.level);
  f.cache.storeyHeight = 3;
  house(f, 100, "1", c.floors);
  f.marking.chosenBuildings = {0};
  drawFoundMarkers(f.ctx, f.dc);
  const auto drawn = flags(f.dc);
  ASSERT_EQ(drawn.size(), 1u);
  EXPECT_EQ(drawn[0].foot, (ScreenPoint{100, 300 - 3 * c.lift}));
}

INSTANTIATE_TEST_SUITE_P(
    Views, FlagFoot,
    ::testing::Values(RoofCase{kViewClockWindows, 2, 9, 9}, RoofCase{kViewFrame, 1, 9, 9},
                      RoofCase{kViewNight, 2, 9, 9}, RoofCase{kViewFlat, 2, 9, 0},
                      RoofCase{kViewGraphic, 2, 9, 0}, RoofCase{kViewClockWindows, 0, 9, 0},
                      // a damaged storey count is bounded as the building passes bound it
                      RoofCase{kViewClockWindows, 2, 30000, 200}, RoofCase{kViewNight, 2, -40, 0}));

TEST(FoundMarkers, FlagStandsOnTheFirstNorthernmostVertex) {
  PassFixture f(kViewFlat, 2);
  // Two vertices share the top row; the flag takes the first of them.
  f.addBuilding({{150, 320}, {160, 300}, {120, 300}, {110, 330}}, 411, 1, "3");
  f.marking.chosenBuildings = {0};
  drawFoundMarkers(f.ctx, f.dc);
  const auto drawn = flags(f.dc);
  ASSERT_EQ(drawn.size(), 1u);
  EXPECT_EQ(drawn[0].foot, (ScreenPoint{160, 300}));
}

TEST(FoundMarkers, AnObjectWithoutABuildingIsFlaggedAtItsPoint) {
  PassFixture f(kViewFlat, 2);
  f.addBuilding({{150, 320}, {160, 300}, {120, 300}, {110, 330}}, 411, 1, "3");
  f.marking.chosenPoints = {{150, 320}};
  f.marking.markedStreet = 1;  // the point's flag stands instead of the street's
  drawFoundMarkers(f.ctx, f.dc);
  const auto drawn = flags(f.dc);
  ASSERT_EQ(drawn.size(), 1u);
  int32_t sx = 0, sy = 0;
  mapToScreen(f.ctx.view, 150, 320, sx, sy);
  EXPECT_EQ(drawn[0].foot, (ScreenPoint{sx, sy}));
}

TEST(FoundMarkers, AddressPointOutOfViewHidesTheFlag) {
  PassFixture f(kViewFlat, 2);
  Building& b = house(f, 100, "1");
  // The outline is on screen, but the address point lies south of the view.
  f.view.viewXMin = static_cast<float>(b.x) + 1;
  f.marking.chosenBuildings = {0};
  drawFoundMarkers(f.ctx, f.dc);
  EXPECT_TRUE(f.dc.drawingCalls().empty());
}

TEST(FoundMarkers, MarkedStreetFlagsItsBuildingsFromTheFirstBuildingOn) {
  PassFixture f(kViewFlat, 2);
  house(f, 100, "1", 1, 7);  // before firstBuilding
  house(f, 200, "2", 1, 7);
  house(f, 300, "3", 1, 8);  // another street
  house(f, 400, "4", 1, 7);
  f.cache.firstBuilding = 1;
  f.marking.markedStreet = 7;
  drawFoundMarkers(f.ctx, f.dc);
  auto drawn = flags(f.dc);
  ASSERT_EQ(drawn.size(), 2u);
  EXPECT_EQ(drawn[0].foot.x, 200);
  EXPECT_EQ(drawn[1].foot.x, 400);

  // A stale start index past the table end flags nothing and reads nothing.
  f.dc.clearCalls();
  f.cache.firstBuilding = 99;
  drawFoundMarkers(f.ctx, f.dc);
  EXPECT_TRUE(f.dc.drawingCalls().empty());
}

TEST(FoundMarkers, ChosenBuildingsOverrideTheMarkedStreet) {
  PassFixture f(kViewFlat, 2);
  house(f, 100, "1", 1, 7);
  house(f, 200, "2", 1, 7);
  house(f, 300, "3", 1, 8);
  f.marking.markedStreet = 7;
  f.marking.chosenBuildings = {2, 0};
  drawFoundMarkers(f.ctx, f.dc);
  const auto drawn = flags(f.dc);
  ASSERT_EQ(drawn.size(), 2u);
  EXPECT_EQ(drawn[0].foot.x, 300);
  EXPECT_EQ(drawn[1].foot.x, 100);
}

TEST(FoundMarkers, RowsOutsideTheTableAreSkipped) {
  PassFixture f(kViewFlat, 2);
  house(f, 100, "1");
  f.addBuilding({}, 411, 1, "2");  // no outline: nothing to stand on
  f.marking.chosenBuildings = {-1, 5, 1, 0, 1'000'000};
  drawFoundMarkers(f.ctx, f.dc);
  const auto drawn = flags(f.dc);
  ASSERT_EQ(drawn.size(), 1u);
  EXPECT_EQ(drawn[0].foot.x, 100);

  f.dc.clearCalls();
  f.marking.chosenBuildings.clear();
  f.marking.markedStreet = -1;
  drawFoundMarkers(f.ctx, f.dc);
  EXPECT_TRUE(f.dc.drawingCalls().empty());
}

void addMicrodistrict(MapData& map, MapPoint at, const char* utf8) {
  Microdistrict m;
  m.x = static_cast<uint16_t>(at.x);
  m.y = static_cast<uint16_t>(at.y);
  m.name = utf8;
  map.microdistricts.push_back(m);
}

struct FlashCase {
  const char* name;
  int level;
  int fontHeight;
  int a;
};

class NameFlashFont : public ::testing::TestWithParam<FlashCase> {};

TEST_P(NameFlashFont, HeightAndPlaceFollowTheNameLength) {
  const FlashCase c = GetParam();
  PassFixture f(kViewClockWindows, c.level);
  addMicrodistrict(f.map, {500, 400}, c.name);
  drawNameFlash(f.ctx, f.dc, NameFlash{NameFlash::Source::Microdistrict, 0});

  int32_t sx = 0;
  int32_t sy = 0;
  mapToScreen(f.view, 500, 400, sx, sy);
  const int n = static_cast<int>(codePointCount(c.name));
  const auto texts = f.dc.callsOf(CallKind::TextOut);
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0].text, c.name);
  EXPECT_EQ(texts[0].state.font, (Font{"Arial Cyr", c.fontHeight, 800, false, 0}));
  EXPECT_EQ(texts[0].state.textColor, (Rgb{0, 0, 0}));
  EXPECT_EQ(texts[1].state.textColor, (Rgb{240, 160, 160}));
  EXPECT_TRUE(texts[1].state.backgroundTransparent);
  const ScreenPoint face{sx - (c.a / 4) * c.level * n, sy - c.a * c.level};
  EXPECT_EQ(texts[1].points[0], face);
  EXPECT_EQ(texts[0].points[0], (ScreenPoint{face.x + 1, face.y + 1}));
  EXPECT_EQ(f.dc.state().font, fixed::defaultFont);
}

INSTANTIATE_TEST_SUITE_P(Names, NameFlashFont,
                         ::testing::Values(FlashCase{"Лазурный-1", 2, 80, 40},
                                           FlashCase{"Бухта", 2, 120, 60},
                                           FlashCase{"Я", 1, 300, 300},
                                           // a height of 0 asks for the default size
                                           FlashCase{"Бухта", 0, Font{}.height, 60}));

TEST(NameFlash, NamesAnObjectAtItsPoint) {
  PassFixture f(kViewFlat, 3);
  UserObject o;
  o.x = 600;
  o.y = 250;
  const std::string name = "Морской вокзал, пассажирский терминал";
  o.name = name;
  f.map.userObjects.push_back(o);
  drawNameFlash(f.ctx, f.dc, NameFlash{NameFlash::Source::Object, 0});

  int32_t sx = 0;
  int32_t sy = 0;
  mapToScreen(f.view, 600, 250, sx, sy);
  const int n = static_cast<int>(codePointCount(name));  // 37: a = 300 / 37 is raised to 40
  const auto texts = f.dc.callsOf(CallKind::TextOut);
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[1].text, name);
  EXPECT_EQ(texts[1].state.font.height, 120);
  EXPECT_EQ(texts[1].points[0], (ScreenPoint{sx - 10 * 3 * n, sy - 120}));
}

TEST(NameFlash, BadRowsAndEmptyNamesDrawNothing) {
  PassFixture f(kViewFlat, 2);
  addMicrodistrict(f.map, {500, 400}, "");
  drawNameFlash(f.ctx, f.dc, NameFlash{NameFlash::Source::Microdistrict, 0});
  drawNameFlash(f.ctx, f.dc, NameFlash{NameFlash::Source::Microdistrict, 1});
  drawNameFlash(f.ctx, f.dc, NameFlash{NameFlash::Source::Microdistrict, -1});
  drawNameFlash(f.ctx, f.dc, NameFlash{NameFlash::Source::Object, 0});
  EXPECT_TRUE(f.dc.drawingCalls().empty());
}

DistrictArea district(int16_t number, std::vector<MetrePoint> points, uint16_t xMin, uint16_t yMin,
                      uint16_t xMax, uint16_t yMax) {
  DistrictArea d;
  d.district = number;
  d.pointCount = static_cast<int16_t>(points.size());
  d.points = std::move(points);
  d.boundsLow[0] = xMin;
  d.boundsLow[1] = yMin;
  d.boundsLow[2] = xMax;
  d.boundsLow[3] = yMax;
  return d;
}

TEST(DistrictFlash, OutlineAndNameOverTheCentreOfTheBounds) {
  PassFixture f(kViewNight, 2);
  f.map.districtAreas.push_back(district(0, {}, 0, 0, 0, 0));  // land outline
  // Odd sums: the centre is halved in whole metres, (301, 401) -> (150, 200).
  f.map.districtAreas.push_back(
      district(2, {{100, 100}, {201, 100}, {201, 301}, {100, 301}}, 100, 100, 201, 301));
  drawDistrictFlash(f.ctx, f.dc, 1);

  const auto lines = f.dc.callsOf(CallKind::Polyline);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].points.size(), 4u);
  EXPECT_EQ(lines[0].state.pen, f.styles.districtBoundary);
  int32_t px = 0;
  int32_t py = 0;
  mapToScreen(f.view, 201, 301, px, py);
  EXPECT_EQ(lines[0].points[2], (ScreenPoint{px, py}));

  int32_t sx = 0;
  int32_t sy = 0;
  mapToScreen(f.view, 150, 200, sx, sy);
  const std::string name = std::string(districtName(2));
  const int n = static_cast<int>(codePointCount(name));
  const auto texts = f.dc.callsOf(CallKind::TextOut);
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0].text, name);
  EXPECT_EQ(texts[0].points[0], (ScreenPoint{sx - 15 * n + 1, sy - 59}));
  EXPECT_EQ(texts[0].state.textColor, (Rgb{0, 0, 0}));
  EXPECT_EQ(texts[1].points[0], (ScreenPoint{sx - 15 * n, sy - 60}));
  EXPECT_EQ(texts[1].state.textColor, (Rgb{255, 255, 0}));
  EXPECT_EQ(texts[1].state.font, (Font{"Arial Cyr", 60, 800, false, 0}));
  EXPECT_TRUE(texts[1].state.backgroundTransparent);
}

TEST(DistrictFlash, BadRowsDrawNothingAndUnnamedAreasOnlyTheirOutline) {
  PassFixture f(kViewFlat, 2);
  f.map.districtAreas.push_back(
      district(0, {{100, 100}, {300, 100}, {300, 300}}, 100, 100, 300, 300));
  drawDistrictFlash(f.ctx, f.dc, -1);
  drawDistrictFlash(f.ctx, f.dc, 1);
  EXPECT_TRUE(f.dc.drawingCalls().empty());

  drawDistrictFlash(f.ctx, f.dc, 0);
  EXPECT_EQ(f.dc.count(CallKind::Polyline), 1u);
  EXPECT_EQ(f.dc.count(CallKind::TextOut), 0u);
}

}  // namespace
}  // namespace tikhomap
