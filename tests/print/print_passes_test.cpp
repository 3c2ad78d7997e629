// The layers of a printed page through RecordingCanvas: greys of black and
// white, colours that follow the codes, no district boundaries, cut street
// lines, street names only where the screen named them, windows, house
// numbers and flags.
#include <gtest/gtest.h>

#include <algorithm>

#include "print_fixture.h"
#include "render/compose_frame.h"

namespace tikhomap {
namespace {

using testing::ComposeWorld;
using testing::PrintWorld;

constexpr MapBounds kLevel2{8000, 8000, 8700, 8500};  // 1:2760 on the page
constexpr MapBounds kLevel1{7500, 7500, 9000, 9000};  // 1:5900
constexpr MapBounds kLevel4{8100, 8100, 8354, 8400};  // 1:1000

Building tower(int16_t purpose, float x, float y, int16_t floors) {
  Building b = ComposeWorld::building(purpose, x, y, 20);
  b.floors = floors;
  b.houseNumber = "12";
  return b;
}

std::vector<Brush> polygonBrushes(const RecordingCanvas& dc) {
  std::vector<Brush> out;
  for (const RecordedCall& c : dc.callsOf(CallKind::Polygon)) out.push_back(c.state.brush);
  return out;
}

TEST(PrintPassesTest, BlackAndWhiteDrawsInGreysAndKeepsTheSeaBrushForWater) {
  PrintWorld w(kViewFlat);
  w.colour = false;
  w.map.areaFeatures = {ComposeWorld::box(718, 8100, 8100, 30),
                        ComposeWorld::box(750, 8200, 8100, 30)};
  w.map.waterFeatures = {ComposeWorld::box(4912, 8600, 8400, 20)};
  w.map.streetLines = {ComposeWorld::feature(5, {{8300, 7000}, {8300, 9000}})};
  w.map.buildings = {tower(413, 8400, 8200, 1), tower(411, 8400, 8300, 1)};
  ASSERT_TRUE(w.print(kLevel2));
  ASSERT_EQ(w.page.view.detailLevel, 2);

  const std::vector<Brush> fills = polygonBrushes(w.paper);
  ASSERT_EQ(fills.size(), 5u);
  EXPECT_EQ(fills[0], fixed::grey240Brush);  // both areas one light grey
  EXPECT_EQ(fills[1], fixed::grey240Brush);
  EXPECT_EQ(fills[2], w.styles.sea);         // water keeps the palette's sea
  EXPECT_EQ(fills[3], fixed::grey180Brush);  // 413 darker
  EXPECT_EQ(fills[4], fixed::grey200Brush);

  // The street: a dark casing, then a white centre. At 3.94 pixels per mm
  // and level 2 the casing is trunc(1.5 * 7.87) = 11 and the centre
  // trunc(1.2 * 7.87) = 9, narrowed to 11 - 4.
  const auto lines = w.paper.callsOf(CallKind::Polyline);
  ASSERT_GE(lines.size(), 2u);
  const auto casing = std::find_if(lines.begin(), lines.end(), [](const RecordedCall& c) {
    return c.state.pen.color == Rgb{40, 40, 40};
  });
  ASSERT_NE(casing, lines.end());
  EXPECT_EQ(casing->state.pen.width, 11);
  const auto centre = std::next(casing);
  ASSERT_NE(centre, lines.end());
  EXPECT_EQ(centre->state.pen.color, (Rgb{255, 255, 255}));
  EXPECT_EQ(centre->state.pen.width, 7);
  EXPECT_EQ(centre->points, casing->points);
  // The city outline is black.
  EXPECT_TRUE(w.withPen(CallKind::Polyline, {0, 0, 200}).empty());
}

TEST(PrintPassesTest, ColourAreasChangeTheirFillOnlyWhereTheCodeHasAPrintFill) {
  PrintWorld w(kViewFlat);
  w.map.areaFeatures = {
      ComposeWorld::box(2830, 8100, 8100, 10), ComposeWorld::box(718, 8150, 8100, 10),
      ComposeWorld::box(1010, 8200, 8100, 10), ComposeWorld::box(6614, 8250, 8100, 10),
      ComposeWorld::box(750, 8300, 8100, 10),  ComposeWorld::box(1014, 8350, 8100, 10)};
  ASSERT_TRUE(w.print(kLevel2));
  const std::vector<Brush> fills = polygonBrushes(w.paper);
  ASSERT_EQ(fills.size(), 6u);
  EXPECT_EQ(fills[0], fixed::whiteBrush);  // nothing chosen yet: the paper's white
  EXPECT_EQ(fills[1], w.styles.printGreen);
  EXPECT_EQ(fills[2], w.styles.printGreen);  // 1010 has no print fill of its own
  EXPECT_EQ(fills[3], w.styles.forest);
  EXPECT_EQ(fills[4], w.styles.orchard);
  EXPECT_EQ(fills[5], w.styles.industry);
  for (const RecordedCall& c : w.paper.callsOf(CallKind::Polygon)) {
    EXPECT_EQ(c.state.pen.style, PenStyle::Null);
  }
  // Paper stays white under the map: no land or sea is filled.
  EXPECT_EQ(w.paper.count(CallKind::FillRect), 0u);
}

TEST(PrintPassesTest, DistrictBoundariesNeverReachThePaper) {
  PrintWorld w(kViewFlat);
  w.layers.showDistrictBorders = 1;
  w.map.lineFeatures = {ComposeWorld::feature(9005, {{8100, 8000}, {8600, 8400}}),
                        ComposeWorld::feature(3011, {{8100, 8400}, {8600, 8000}})};
  ASSERT_TRUE(w.print(kLevel2));
  const auto lines = w.withPen(CallKind::Polyline, {75, 75, 75});
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].points.front(), pagePixel(w.page.view, 8100, 8400));
  EXPECT_EQ(lines[0].state.pen.width, 3);
  EXPECT_TRUE(w.withPen(CallKind::Polyline, w.styles.districtBoundary.color).empty());
}

TEST(PrintPassesTest, AStreetCrossingThePageBetweenFarVerticesIsDrawnCut) {
  PrintWorld w(kViewFlat);
  // Both vertices kilometres north and south of the page.
  w.map.streetLines = {ComposeWorld::feature(5, {{2000, 8250}, {17000, 8250}})};
  ASSERT_TRUE(w.print(kLevel2));
  const auto casing = w.withPen(CallKind::Polyline, {200, 150, 120});
  ASSERT_EQ(casing.size(), 1u);
  const auto& pts = casing[0].points;
  ASSERT_EQ(pts.size(), 2u);
  EXPECT_EQ(pts[0].x, pagePixel(w.page.view, 8350, 8250).x);
  EXPECT_GT(pts[0].y, w.page.view.viewBottom);
  EXPECT_LT(pts[1].y, 0);
  EXPECT_LT(std::abs(pts[0].y), 2000);  // cut near the page, not at far vertices
  EXPECT_LT(std::abs(pts[1].y), 2000);
}

TEST(PrintPassesTest, FlagsOnlyWithBuildingsAtTheOutlineOfFlatPrintsAndOnRoofsOtherwise) {
  for (const int mode : {kViewFlat, kViewGraphic, kViewClockWindows, kViewNight}) {
    for (const MapBounds& asked : {kLevel1, kLevel2}) {
      PrintWorld w(mode);
      w.map.buildings = {tower(411, 8300, 8250, 9)};
      w.marking.chosenBuildings = {0, 7};  // a row outside the table is skipped
      ASSERT_TRUE(w.print(asked));
      const auto flags = w.paper.callsOf(CallKind::Rectangle);
      ASSERT_EQ(flags.size(), 1u) << mode;
      const ScreenPoint corner = pagePixel(w.page.view, 8320, 8230);  // northernmost vertex
      const bool flat = mode == kViewFlat || mode == kViewGraphic;
      const int lift = flat ? 0 : 9 * w.page.printStoreyHeight;
      ASSERT_GT(w.page.printStoreyHeight, 0);
      const double e = w.page.view.pixelsPerMmX * 2.0;
      EXPECT_EQ(flags[0].rect.left, corner.x) << mode;
      EXPECT_EQ(flags[0].rect.bottom, static_cast<int>(corner.y - lift - e)) << mode;
      EXPECT_EQ(flags[0].rect.right, static_cast<int>(corner.x + 2 * e));
      EXPECT_EQ(flags[0].state.brush, fixed::grey240Brush);
      const auto stem = w.paper.callsOf(CallKind::LineTo);
      ASSERT_FALSE(stem.empty());
      EXPECT_EQ(stem.back().points.front(), (ScreenPoint{corner.x, corner.y - lift})) << mode;

      w.layers.buildingChoice = 0;
      ASSERT_TRUE(w.print(asked));
      EXPECT_EQ(w.paper.count(CallKind::Rectangle), 0u);
      EXPECT_EQ(w.paper.count(CallKind::TextOut), 0u);
    }
  }
}

// A damaged map may put a chosen building millions of kilometres away: its
// corner then converts to the end of the pixel range, and its flag (raised
// by its storeys) must be left out without leaving that range.
TEST(PrintPassesTest, FlagsOfBuildingsFarOffThePageAreLeftOut) {
  for (const int mode : {kViewFlat, kViewClockWindows, kViewNight}) {
    PrintWorld w(mode);
    w.map.buildings = {tower(411, 8300, 8250, 9), tower(411, 1e12f, 8250, 9),
                       tower(411, -1e12f, 8250, 9), tower(411, 8300, 1e12f, 9),
                       tower(411, 8300, -1e12f, 9)};
    w.marking.chosenBuildings = {1, 2, 3, 4, 0};
    ASSERT_TRUE(w.print(kLevel2));
    const auto flags = w.paper.callsOf(CallKind::Rectangle);
    ASSERT_EQ(flags.size(), 1u) << mode;
    EXPECT_EQ(flags[0].rect.left, pagePixel(w.page.view, 8320, 8230).x) << mode;
  }
}

// A damaged building whose bounds lie on the page but whose outline reaches
// millions of kilometres south: its walls, windows and roof are drawn
// without leaving the pixel range and without stalling the print on the
// windows of a wall that long.
TEST(PrintPassesTest, ABuildingWithAnOutlineFarFromItsBoundsIsPrintedInBoundedTime) {
  for (const int mode : {kViewClockWindows, kViewWideWindows, kViewFlat}) {
    PrintWorld w(mode);
    Building b = tower(411, 8300, 8250, 9);
    b.outline = {{8300, 8230}, {-1e12f, 8230}, {-1e12f, 8270}, {8300, 8270}};
    b.pointCount = 4;
    w.map.buildings = {b, tower(411, 8400, 8250, 3)};
    w.marking.chosenBuildings = {0, 1};
    ASSERT_TRUE(w.print(kLevel2));
    EXPECT_LT(w.paper.drawingCalls().size(), 100000u) << mode;
    EXPECT_EQ(w.paper.count(CallKind::Rectangle), 2u) << mode;  // both flags
  }
}

// An object found without a building is flagged at its own point, as on the
// screen; a point off the page is left out, and the marked street waits.
TEST(PrintPassesTest, ObjectsWithoutABuildingAreFlaggedAtTheirOwnPoint) {
  for (const int mode : {kViewFlat, kViewNight}) {
    PrintWorld w(mode);
    w.map.buildings = {tower(411, 8300, 8250, 2)};
    w.map.buildings[0].streetCode = 4;
    w.marking.markedStreet = 4;
    w.marking.chosenPoints = {{8350, 8260}, {1e12f, 8260}};
    ASSERT_TRUE(w.print(kLevel2));
    const auto flags = w.paper.callsOf(CallKind::Rectangle);
    ASSERT_EQ(flags.size(), 1u) << mode;
    const ScreenPoint at = pagePixel(w.page.view, 8350, 8260);
    EXPECT_EQ(flags[0].rect.left, at.x) << mode;
    EXPECT_EQ(flags[0].rect.bottom, static_cast<int>(at.y - w.page.view.pixelsPerMmX * 2.0));
  }
}

TEST(PrintPassesTest, MarkedStreetFlagsEveryHouseOfTheStreetOnThePageOnly) {
  PrintWorld w(kViewFlat);
  w.map.buildings = {tower(411, 8300, 8250, 2), tower(411, 8400, 8250, 2),
                     tower(411, 14000, 8250, 2), tower(411, 8500, 8250, 2)};
  for (Building& b : w.map.buildings) b.streetCode = 4;
  w.map.buildings[3].streetCode = 5;
  w.marking.markedStreet = 4;
  ASSERT_TRUE(w.print(kLevel2));
  EXPECT_EQ(w.paper.count(CallKind::Rectangle), 2u);
}

TEST(PrintPassesTest, HouseNumbersAreThreeMillimetreCharactersCentredOverTheAddress) {
  PrintWorld w(kViewFlat);
  w.map.buildings = {tower(411, 8300, 8250, 9)};
  w.map.buildings[0].houseNumber = " 12a ";
  ASSERT_TRUE(w.print(kLevel2));
  const auto texts = w.paper.callsOf(CallKind::TextOut);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].text, "12a");
  EXPECT_EQ(texts[0].state.font.height, -11);  // trunc(3.94 * -3): character height
  const ScreenPoint p = pagePixel(w.page.view, 8300, 8250);
  EXPECT_EQ(texts[0].points[0], (ScreenPoint{static_cast<int32_t>(p.x - 3 * 11 * 0.3), p.y - 5}));

  // Volumetric: on the roof.
  PrintWorld v(kViewNewYear);
  v.map.buildings = w.map.buildings;
  ASSERT_TRUE(v.print(kLevel2));
  const auto roofText = v.paper.callsOf(CallKind::TextOut);
  ASSERT_EQ(roofText.size(), 1u);
  EXPECT_EQ(roofText[0].points[0].y, p.y - 9 * v.page.printStoreyHeight - 5);

  // Under "отбор" a building under 5 mm on paper has none: 40 m at 1:5900
  // is 6.8 mm, 20 m is 3.4 mm.
  for (const auto& [half, numbered] : {std::pair{20.0f, true}, std::pair{10.0f, false}}) {
    PrintWorld s(kViewFlat);
    s.layers.houseNumberChoice = 2;
    s.map.buildings = {ComposeWorld::building(411, 8300, 8250, half)};
    s.map.buildings[0].houseNumber = "7";
    ASSERT_TRUE(s.print(kLevel1));
    EXPECT_EQ(s.paper.count(CallKind::TextOut), numbered ? 1u : 0u) << half;
  }
}

TEST(PrintPassesTest, HouseNumbersStandOutFromTheFillUnderThemInEveryMode) {
  // One building of each print group, numbered, in every view mode, in
  // colour and in black and white: each number has at least 4.5 : 1 of
  // contrast with the roof or body it is written on.
  for (const int mode : {kViewGraphic, kViewFlat, kViewNight, kViewClockWindows, kViewFrame}) {
    for (const bool colour : {true, false}) {
      PrintWorld w(mode);
      w.colour = colour;
      int16_t x = 8050;
      for (const int16_t purpose : {411, 444, 461, 555, 900, 413}) {
        w.map.buildings.push_back(tower(purpose, x, 8250, 3));
        w.map.buildings.back().houseNumber = "7";
        x = static_cast<int16_t>(x + 100);
      }
      ASSERT_TRUE(w.print(kLevel2));
      Rgb under{255, 255, 255};  // the paper
      int numbers = 0;
      const auto& calls = w.paper.calls();
      for (size_t i = 0; i < calls.size(); ++i) {
        const RecordedCall& c = calls[i];
        // The last fill before a number is its building's body or roof.
        if (c.kind == CallKind::Polygon && c.state.brush.style == BrushStyle::Solid) {
          under = c.state.brush.color;
        }
        if (c.kind != CallKind::TextOut) continue;
        // A rim is the same text written just before the number itself.
        size_t last = i;
        for (size_t j = i + 1; j < calls.size(); ++j) {
          if (!isDrawingCall(calls[j].kind)) continue;
          if (calls[j].kind != CallKind::TextOut || calls[j].text != c.text) break;
          last = j;
        }
        const Rgb number = calls[last].state.textColor;
        for (size_t rim = i; rim < last; ++rim) {
          if (calls[rim].kind != CallKind::TextOut) continue;
          EXPECT_GE(contrastRatio(calls[rim].state.textColor, number), 4.5) << mode;
        }
        ++numbers;
        EXPECT_GE(contrastRatio(number, under), 4.5)
            << mode << (colour ? " colour" : " grey") << " number " << numbers;
        i = last;
      }
      EXPECT_EQ(numbers, 6) << mode;
    }
  }
  EXPECT_EQ(houseNumberColour(Brush{BrushStyle::Solid, {40, 40, 40}}), (Rgb{255, 255, 255}));
  EXPECT_EQ(houseNumberColour(Brush{BrushStyle::Solid, {200, 200, 200}}), (Rgb{0, 0, 0}));
  EXPECT_NEAR(contrastRatio({0, 0, 0}, {255, 255, 255}), 21, 1e-9);
}

TEST(PrintPassesTest, StreetNamesOnlyWhereTheLastScreenFrameNamedThem) {
  PrintWorld w(kViewFlat);
  w.map.streetLines = {ComposeWorld::feature(1, {{8300, 7800}, {8300, 8700}}),
                       ComposeWorld::feature(2, {{8000, 8200}, {8600, 8200}})};
  w.addName(1, "Морская");
  w.addName(2, "Южная");
  // The first anchor is named from 1:10000, the second only from 1:500.
  w.map.streetLabelPoints = {{8300, 8250, 10, 1}, {8250, 8200, 200, 2}};

  // The screen shows 1:1500 (600 m over 1000 pixels at 4 per mm).
  w.ask(8250, 8250, 300);
  composeFrame(w.ctx, w.dc);
  ASSERT_EQ(w.cache.labelledAnchors, (std::vector<uint8_t>{1, 0}));

  ASSERT_TRUE(w.print(kLevel4));
  EXPECT_EQ(w.textWritten(), "Морская");
  const auto letters = w.paper.callsOf(CallKind::TextOut);
  for (const RecordedCall& c : letters) {
    EXPECT_EQ(c.state.font.height, 31);  // trunc(4 * 3.94 * 2): a cell height
    EXPECT_EQ(c.state.font.weight, 700);
    EXPECT_EQ(c.state.textColor, (Rgb{100, 100, 100}));
  }
  // The screen's marks are read, never changed.
  EXPECT_EQ(w.cache.labelledAnchors, (std::vector<uint8_t>{1, 0}));

  // A frame at a scale too small for names clears the marks: the page then
  // names nothing.
  w.ask(8250, 8250, 4000);
  composeFrame(w.ctx, w.dc);
  ASSERT_EQ(w.view.detailLevel, 0);
  EXPECT_EQ(w.cache.labelledAnchors, (std::vector<uint8_t>{0, 0}));
  ASSERT_TRUE(w.print(kLevel4));
  EXPECT_EQ(w.paper.count(CallKind::TextOut), 0u);
}

// The window fills of the volumetric passes, one per grid window, in order.
std::vector<Brush> windowFills(const RecordingCanvas& dc) {
  std::vector<Brush> out;
  for (const RecordedCall& c : dc.callsOf(CallKind::Polygon)) {
    if (c.state.pen.style == PenStyle::Null && c.points.size() == 4) out.push_back(c.state.brush);
  }
  return out;
}

TEST(PrintPassesTest, ClockWindowsComeFromACopyOfTheGeneratorTakenForTheJob) {
  PrintWorld w(kViewClockWindows);
  w.map.buildings = {tower(411, 8300, 8250, 9), tower(555, 8200, 8150, 5)};
  for (int i = 0; i < 5; ++i) w.random.next();
  const uint32_t before = w.random.state();
  ASSERT_TRUE(w.print(kLevel2));
  const std::vector<Brush> first = windowFills(w.paper);
  ASSERT_GT(first.size(), 20u);
  EXPECT_EQ(w.random.state(), before);  // the screen's generator is not advanced
  const auto lit = std::count(first.begin(), first.end(), w.styles.litWindowBrush);
  const auto dark = std::count(first.begin(), first.end(), w.styles.darkWindowBrush);
  EXPECT_EQ(static_cast<size_t>(lit + dark), first.size());
  EXPECT_GT(lit, 0);
  EXPECT_GT(dark, 0);
  ASSERT_TRUE(w.print(kLevel2));
  EXPECT_EQ(windowFills(w.paper), first);  // every page of the job alike
  w.random.next();
  ASSERT_TRUE(w.print(kLevel2));
  EXPECT_NE(windowFills(w.paper), first);

  w.colour = false;
  ASSERT_TRUE(w.print(kLevel2));
  const std::vector<Brush> grey = windowFills(w.paper);
  ASSERT_EQ(grey.size(), first.size());
  EXPECT_TRUE(std::all_of(grey.begin(), grey.end(),
                          [](const Brush& b) { return b == fixed::grey180Brush; }));
}

TEST(PrintPassesTest, NightViewPrintsNightFillsAndLitWindows) {
  PrintWorld w(kViewNight);
  w.map.buildings = {tower(411, 8300, 8250, 4)};
  w.map.waterFeatures = {ComposeWorld::box(4925, 8600, 8400, 20)};
  ASSERT_TRUE(w.print(kLevel2));
  const std::vector<Brush> windows = windowFills(w.paper);
  // The water is a null-pen polygon of 4 points too; the windows follow it.
  ASSERT_GT(windows.size(), 1u);
  EXPECT_EQ(windows.front(), w.styles.sea);
  EXPECT_EQ(w.styles.sea.color, (Rgb{0, 0, 100}));
  EXPECT_TRUE(std::all_of(windows.begin() + 1, windows.end(),
                          [&](const Brush& b) { return b == w.styles.litWindowBrush; }));
  const std::vector<Brush> fills = polygonBrushes(w.paper);
  EXPECT_NE(std::find(fills.begin(), fills.end(), w.styles.body[0]), fills.end());
  EXPECT_NE(std::find(fills.begin(), fills.end(), w.styles.roof[0]), fills.end());
}

TEST(PrintPassesTest, WallsStandOnOpenGroundAndCarryWindowsByTheirOwnRules) {
  // 888 is "other" on paper and gets grid windows like any building;
  // "Каркас" never has windows.
  PrintWorld w(kViewNewYear);
  w.map.buildings = {tower(888, 8300, 8250, 3)};
  ASSERT_TRUE(w.print(kLevel2));
  const std::vector<Brush> fills = polygonBrushes(w.paper);
  EXPECT_EQ(fills.front(), w.styles.body[static_cast<int>(PurposeGroup::Other)]);
  EXPECT_GT(windowFills(w.paper).size(), 3u);

  PrintWorld frame(kViewFrame);
  frame.map.buildings = w.map.buildings;
  ASSERT_TRUE(frame.print(kLevel2));
  EXPECT_TRUE(windowFills(frame.paper).empty());

  // A public building on columns stands a storey up; a pharmacy (661)
  // stands on the ground, as on the screen.
  for (const int16_t purpose : {659, 661}) {
    PrintWorld ground(kViewNewYear);
    ground.map.buildings = {tower(purpose, 8300, 8250, 1)};
    ASSERT_TRUE(ground.print(kLevel2));
    const int h = ground.page.printStoreyHeight;
    const ScreenPoint south = pagePixel(ground.page.view, 8280, 8230);
    bool raisedWall = false;
    for (const RecordedCall& c : ground.paper.callsOf(CallKind::Polygon)) {
      // One storey on open ground: a wall of no height one storey up.
      if (c.points.size() == 4 && c.points[0] == c.points[3] && c.points[1] == c.points[2] &&
          c.points[0].y == south.y - h) {
        raisedWall = true;
      }
    }
    EXPECT_EQ(raisedWall, purpose == 659) << purpose;
    EXPECT_EQ(windowFills(ground.paper).empty(), purpose == 659) << purpose;
  }
}

// Buildings stand up the paper: a tower just south of the page whose roof
// rises onto it is printed, a tower beyond its own height is not, and on a
// flat plan, which stands nothing up, neither is.
TEST(PrintPassesTest, TowersJustSouthOfThePageRiseOntoIt) {
  for (const int mode : {kViewNewYear, kViewNight, kViewFlat}) {
    PrintWorld w(mode);
    ASSERT_TRUE(w.print(kLevel2));
    const ViewState v = w.page.view;
    const int h = w.page.printStoreyHeight;
    ASSERT_GT(h, 0);
    constexpr int16_t kFloors = 20;
    const double rise = kFloors * h / (v.pixelsPerMmY * v.mmPerMetre);
    const Brush roof = w.styles.roof[static_cast<int>(printPurposeGroup(411))];
    const Brush body = w.styles.body[static_cast<int>(printPurposeGroup(411))];
    for (const double gap : {rise / 2, rise * 1.5}) {
      SCOPED_TRACE(::testing::Message() << "mode " << mode << " gap " << gap);
      // The tower is 40 m square, its northern side `gap` south of the page.
      const float x = static_cast<float>(v.viewXMin - gap - 20);
      w.map.buildings = {tower(411, x, (v.viewYMin + v.viewYMax) / 2, kFloors)};
      ASSERT_TRUE(w.print(kLevel2));
      std::vector<RecordedCall> drawn;
      for (const RecordedCall& c : w.paper.callsOf(CallKind::Polygon)) {
        if (c.state.brush == roof || c.state.brush == body) drawn.push_back(c);
      }
      if (gap < rise && mode != kViewFlat) {
        ASSERT_FALSE(drawn.empty());
        EXPECT_EQ(drawn.back().state.brush, roof);
        const auto& pts = drawn.back().points;
        const auto top =
            std::min_element(pts.begin(), pts.end(), [](auto a, auto b) { return a.y < b.y; });
        EXPECT_LT(top->y, v.viewBottom);
      } else {
        EXPECT_TRUE(drawn.empty());
      }
    }
  }
}

TEST(PrintPageTest, ClipsTheMapInsideAHalfMillimetreFrameAndTitlesThePage) {
  PrintWorld w(kViewFlat);
  w.map.areaFeatures = {ComposeWorld::box(718, 8100, 8100, 30)};
  RecordingCanvas& dc = w.paper;
  ASSERT_TRUE(printPage(w.scene(), w.printer, kLevel2, w.random, dc));
  const auto& calls = dc.calls();
  const auto area = std::find_if(calls.begin(), calls.end(),
                                 [](const RecordedCall& c) { return c.kind == CallKind::Polygon; });
  ASSERT_NE(area, calls.end());
  ASSERT_TRUE(area->state.clip.has_value());
  EXPECT_EQ(*area->state.clip, (Rect{1, 1, 799, 999}));  // f = trunc(3.94 / 2)

  const auto frames = dc.callsOf(CallKind::Rectangle);
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].rect, (Rect{1, 1, 799, 999}));
  EXPECT_EQ(frames[0].state.pen.width, 1);
  EXPECT_EQ(frames[0].state.brush.style, BrushStyle::Null);
  EXPECT_FALSE(frames[0].state.clip.has_value());

  const auto texts = dc.callsOf(CallKind::TextOut);
  ASSERT_FALSE(texts.empty());
  const RecordedCall& title = texts.back();
  EXPECT_EQ(title.text, printTitle(CityInfo{}));
  EXPECT_EQ(title.text, "Тихоморск. Адресный план города");
  // An imported town's own name heads its pages.
  CityInfo named;
  named.name = "Vaduz";
  EXPECT_EQ(printTitle(named), "Vaduz. Адресный план города");
  EXPECT_EQ(title.state.font.height, -15);  // 4 mm characters
  EXPECT_TRUE(title.state.font.italic);
  EXPECT_FALSE(title.state.backgroundTransparent);
  EXPECT_EQ(title.points[0], (ScreenPoint{7, 7}));
  // A title longer than the page ends with "…" inside it: 800 pixels hold
  // 87 letters of 0.6 x 15 pixels.
  w.map.city.name = std::string(120, 'x');
  dc.clearCalls();
  ASSERT_TRUE(printPage(w.scene(), w.printer, kLevel2, w.random, dc));
  EXPECT_EQ(dc.callsOf(CallKind::TextOut).back().text, std::string(86, 'x') + "…");

  EXPECT_FALSE(printPage(w.scene(), w.printer, {5, 5, 5, 5}, w.random, dc));
}

TEST(PrintPageTest, TheScaleStandsInAnOpaqueBoxWithARoundBar) {
  PrintWorld w(kViewFlat);
  w.map.areaFeatures = {ComposeWorld::box(718, 8000, 8000, 700)};
  RecordingCanvas& dc = w.paper;
  ASSERT_TRUE(printPage(w.scene(), w.printer, kLevel2, w.random, dc));
  // 700 m on 254 mm: 1:2755.9, said as the screen says it, and 100 m of bar.
  const auto texts = dc.callsOf(CallKind::TextOut);
  std::vector<std::string> written;
  for (const RecordedCall& c : texts) written.push_back(c.text);
  ASSERT_GE(written.size(), 3u);
  EXPECT_EQ(written[written.size() - 3], "Масштаб 1:2 760");
  EXPECT_EQ(written[written.size() - 2], "100 м");
  // The box is the first thing over the map: white, in the bottom-left
  // corner inside the frame, holding both texts.
  const auto fills = dc.callsOf(CallKind::FillRect);
  ASSERT_EQ(fills.size(), 2u);
  const Rect box = fills[0].rect;
  EXPECT_EQ(fills[0].fillBrush.color, (Rgb{255, 255, 255}));
  EXPECT_EQ(box.left, 1);
  EXPECT_EQ(box.bottom, 999);
  for (size_t i = texts.size() - 3; i + 1 < texts.size(); ++i) {
    const ScreenPoint at = texts[i].points[0];
    EXPECT_TRUE(at.x > box.left && at.x < box.right && at.y > box.top && at.y < box.bottom);
  }
  // Half the bar is black; the bar is 100 m at the page's true scale.
  const Rect half = fills[1].rect;
  EXPECT_EQ(fills[1].fillBrush.color, (Rgb{0, 0, 0}));
  const double bar = 100 * 254.0 / 700 * 100 / 25.4;
  EXPECT_NEAR(2 * (half.right - half.left), bar, 2);
  EXPECT_GT(half.left, box.left);
  EXPECT_LT(half.left + bar, box.right);
}

TEST(PrintPageTest, ScaleBarsAreRoundAndCaptionsGroupThousands) {
  const std::pair<double, int32_t> bars[] = {
      {0.028, 1000},  // a city of 10 km on the page: 28 mm
      {0.3629, 100}, {0.19, 200}, {0.09, 200}, {0.079, 500}, {17.5, 2}, {100, 1},
  };
  for (const auto& [mmPerMetre, metres] : bars) {
    EXPECT_EQ(scaleBarMetres(mmPerMetre, 40), metres) << mmPerMetre;
  }
  EXPECT_EQ(scaleBarLabel(500), "500 м");
  EXPECT_EQ(scaleBarLabel(2000), "2 км");
  EXPECT_EQ(pageScaleCaption(450), "Масштаб 1:450");
  EXPECT_EQ(pageScaleCaption(3450), "Масштаб 1:3 450");
  EXPECT_EQ(pageScaleCaption(1234560), "Масштаб 1:1 234 560");
  ViewState page;
  page.mmPerMetre = 1000.0 / 3454.9;
  EXPECT_EQ(pageScaleDenominator(page), 3450);
  page.mmPerMetre = 1000.0 / 3455.0;
  EXPECT_EQ(pageScaleDenominator(page), 3460);
}

}  // namespace
}  // namespace tikhomap
