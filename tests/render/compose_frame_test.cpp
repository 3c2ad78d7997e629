#include "render/compose_frame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "compose_fixture.h"

namespace tikhomap {
namespace {

using testing::ComposeWorld;

// Pens of the polylines drawn, in order.
std::vector<Pen> polylinePens(const RecordingCanvas& dc) {
  std::vector<Pen> pens;
  for (const RecordedCall& c : dc.callsOf(CallKind::Polyline)) pens.push_back(c.state.pen);
  return pens;
}

TEST(ComposeFrame, SetsTheViewFromTheFrameAndTheLastRequest) {
  ComposeWorld w;
  w.ask(10000, 5000, 1000);
  composeFrame(w.ctx, w.dc);
  EXPECT_EQ(w.view.viewRight, 1000);
  EXPECT_EQ(w.view.viewBottom, 800);
  EXPECT_FLOAT_EQ(w.view.pixelsPerMmX, 4.0f);
  EXPECT_EQ(w.view.scaleDenominator, 5000);
  EXPECT_EQ(w.view.detailLevel, 1);
  EXPECT_EQ(w.cache.houseNumberMinSpan, 35);  // 7 mm at 0.2 mm per metre
  EXPECT_EQ(w.cache.storeyHeight, 4);         // 5 m = 1 mm = 4 px
  EXPECT_EQ(w.cache.frameRect, (Rect{-1, -1, 1003, 802}));

  // The layers are clipped to the map area; caption and edge are not.
  const auto clips = w.dc.callsOf(CallKind::SetClipRect);
  ASSERT_EQ(clips.size(), 1u);
  EXPECT_EQ(clips[0].rect, (Rect{1, 1, 1002, 801}));
  const auto texts = w.dc.callsOf(CallKind::TextOut);
  ASSERT_FALSE(texts.empty());
  EXPECT_FALSE(texts.back().state.clip.has_value());
}

TEST(ComposeFrame, CaptionAndEdgeCloseTheFrame) {
  for (int mode : {kViewFlat, kViewNight, kViewClockWindows}) {
    ComposeWorld w(mode);
    w.ask(10000, 5000, 1000);
    composeFrame(w.ctx, w.dc);
    const auto& calls = w.dc.calls();
    ASSERT_GE(calls.size(), 2u);
    const RecordedCall& edge = calls.back();
    EXPECT_EQ(edge.kind, CallKind::DrawEdge);
    EXPECT_EQ(edge.edge, EdgeKind::Sunken);
    EXPECT_EQ(edge.rect, w.cache.frameRect);
    const RecordedCall& caption = calls[calls.size() - 2];
    ASSERT_EQ(caption.kind, CallKind::TextOut);
    EXPECT_EQ(caption.text, "Масштаб 1:5000");
    EXPECT_EQ(caption.points[0], (ScreenPoint{12, 10}));
    EXPECT_EQ(caption.state.font, fixed::defaultFont);
    EXPECT_TRUE(caption.state.backgroundTransparent);
    const Rgb expected = mode == kViewNight ? Rgb{255, 255, 255} : Rgb{0, 0, 0};
    EXPECT_EQ(caption.state.textColor, expected) << mode;
  }
}

TEST(ComposeFrame, CaptionShowsTheRoundedDenominator) {
  ComposeWorld w;
  w.ask(10000, 5000, 333);  // 1:1665 rounds to 1:1670
  composeFrame(w.ctx, w.dc);
  const auto texts = w.dc.callsOf(CallKind::TextOut);
  ASSERT_FALSE(texts.empty());
  EXPECT_EQ(texts.back().text, scaleCaption(1670));
  EXPECT_EQ(w.view.scaleDenominator % 10, 0);
}

TEST(ComposeFrame, InlandViewIsOneLandFill) {
  ComposeWorld w;
  w.ask(5000, 5000, 1000);
  composeFrame(w.ctx, w.dc);
  const auto fills = w.dc.callsOf(CallKind::FillRect);
  ASSERT_EQ(fills.size(), 1u);
  EXPECT_EQ(fills[0].fillBrush, w.styles.land);
  EXPECT_EQ(fills[0].rect, w.cache.frameRect);
  for (const RecordedCall& p : w.dc.callsOf(CallKind::Polygon)) {
    EXPECT_NE(p.state.brush, w.styles.land) << "no land polygon over an inland view";
  }
  // The coastline is still drawn (all of it lies outside the view).
  EXPECT_EQ(polylinePens(w.dc).front(), w.styles.coastline);
}

TEST(ComposeFrame, CoastViewDrawsSeaLandAndCoastline) {
  ComposeWorld w;
  w.ask(2000, 5000, 1000);  // across the southern coast
  composeFrame(w.ctx, w.dc);
  const auto fills = w.dc.callsOf(CallKind::FillRect);
  ASSERT_EQ(fills.size(), 1u);
  EXPECT_EQ(fills[0].fillBrush, w.styles.sea);
  const auto polygons = w.dc.callsOf(CallKind::Polygon);
  ASSERT_FALSE(polygons.empty());
  EXPECT_EQ(polygons[0].state.brush, w.styles.land);
  EXPECT_EQ(polygons[0].state.pen, fixed::nullPen);
  const auto land = w.screen({{2000, 2000},
                              {18000, 2000},
                              {18000, 18000},
                              {11000, 18000},
                              {11000, 12000},
                              {9000, 12000},
                              {9000, 18000},
                              {2000, 18000}});
  EXPECT_EQ(polygons[0].points, land);
  const auto coast = w.callsAt(CallKind::Polyline, land);
  ASSERT_EQ(coast.size(), 1u);
  EXPECT_EQ(coast[0].state.pen, w.styles.coastline);
}

TEST(ComposeFrame, OpenWaterInsideTheLandsBoxIsSea) {
  // The whole view lies in the bay: no coast crosses it, yet it is water.
  ComposeWorld w;
  w.ask(10000, 15000, 1000);
  composeFrame(w.ctx, w.dc);
  const auto fills = w.dc.callsOf(CallKind::FillRect);
  ASSERT_EQ(fills.size(), 1u);
  EXPECT_EQ(fills[0].fillBrush, w.styles.sea);
}

TEST(ComposeFrame, ShownMarginReachingTheCoastIsNotInland) {
  // The asked rectangle ends 50 m short of the east coast, but the frame is
  // wider than it is and shows 300 m beyond the coast.
  ComposeWorld w;
  w.history.count = 1;
  pushView(w.history, 5000, 17400, 6000, 17950);
  composeFrame(w.ctx, w.dc);
  ASSERT_GT(w.view.viewYMax, 18000.0f);
  const auto fills = w.dc.callsOf(CallKind::FillRect);
  ASSERT_EQ(fills.size(), 1u);
  EXPECT_EQ(fills[0].fillBrush, w.styles.sea);
}

TEST(ComposeFrame, LayerOrderAndStyles) {
  ComposeWorld w;
  w.layers.showDistrictBorders = 1;
  auto& m = w.map;
  m.areaFeatures.push_back(ComposeWorld::box(1010, 5100, 5100, 50));
  m.waterFeatures.push_back(ComposeWorld::box(4912, 5000, 5000, 50));
  m.waterFeatures.push_back(ComposeWorld::feature(4000, {{4900, 4900}, {5100, 4910}}));
  m.lineFeatures.push_back(ComposeWorld::feature(9005, {{4700, 4950}, {5300, 4955}}));
  m.lineFeatures.push_back(ComposeWorld::feature(3035, {{4700, 4960}, {5300, 4965}}));
  m.lineFeatures.push_back(ComposeWorld::feature(3011, {{4700, 4970}, {5300, 4975}}));
  m.streetLines.push_back(ComposeWorld::feature(7, {{4700, 5100}, {5300, 5110}}));
  m.streetOutlines.push_back(ComposeWorld::feature(0, {{4700, 5120}, {5300, 5130}}));
  w.ask(5000, 5000, 300);  // level 3
  composeFrame(w.ctx, w.dc);
  ASSERT_EQ(w.view.detailLevel, 3);
  const StyleSet& s = w.styles;
  const std::vector<Pen> expected = {s.coastline, s.waterLine, s.waterLine,       s.railway[3],
                                     s.street[3], s.fence[2],  s.districtBoundary};
  EXPECT_EQ(polylinePens(w.dc), expected);
  const auto polygons = w.dc.callsOf(CallKind::Polygon);
  ASSERT_EQ(polygons.size(), 2u);  // inland view: the area and the water body
  EXPECT_EQ(polygons[0].state.brush, s.beach);
  EXPECT_EQ(polygons[1].state.brush, s.sea);
  EXPECT_EQ(polygons[1].state.pen, fixed::nullPen);
}

TEST(ComposeFrame, StreetsAreAxesUpToLevelThreeAndOutlinesAbove) {
  struct Row {
    float side;
    int level;
    bool outlines;
  };
  for (const Row row : {Row{4000, 0, false}, Row{1000, 1, false}, Row{600, 2, false},
                        Row{300, 3, false}, Row{150, 4, true}, Row{60, 5, true}}) {
    ComposeWorld w;
    const MapFeature axis = ComposeWorld::feature(7, {{4990, 4990}, {5010, 5010}});
    const MapFeature outline = ComposeWorld::feature(0, {{4990, 5010}, {5010, 4990}});
    w.map.streetLines.push_back(axis);
    w.map.streetOutlines.push_back(outline);
    w.ask(5000, 5000, row.side);
    composeFrame(w.ctx, w.dc);
    ASSERT_EQ(w.view.detailLevel, row.level);
    const auto axes = w.callsAt(CallKind::Polyline, w.screen(axis.points));
    const auto outlines = w.callsAt(CallKind::Polyline, w.screen(outline.points));
    EXPECT_EQ(axes.size(), row.outlines ? 0u : 1u) << row.level;
    EXPECT_EQ(outlines.size(), row.outlines ? 1u : 0u) << row.level;
    if (row.outlines) {
      EXPECT_EQ(outlines[0].state.pen, w.styles.streetOutline);
    } else {
      EXPECT_EQ(axes[0].state.pen, w.styles.street[row.level]);
    }
  }
}

TEST(ComposeFrame, LinePensFollowTheDetailLevel) {
  const float sides[6] = {4000, 1000, 600, 300, 150, 60};
  const int pen3011[6] = {0, 1, 2, 3, 3, 3};
  for (int level = 0; level < 6; ++level) {
    ComposeWorld w;
    const MapFeature l3011 = ComposeWorld::feature(3011, {{4990, 4995}, {5010, 5005}});
    const MapFeature l3035 = ComposeWorld::feature(3035, {{5010, 4995}, {4990, 5005}});
    w.map.lineFeatures = {l3011, l3035};
    w.ask(5000, 5000, sides[level]);
    composeFrame(w.ctx, w.dc);
    ASSERT_EQ(w.view.detailLevel, level);
    const auto a = w.callsAt(CallKind::Polyline, w.screen(l3011.points));
    const auto b = w.callsAt(CallKind::Polyline, w.screen(l3035.points));
    ASSERT_EQ(a.size(), 1u);
    ASSERT_EQ(b.size(), 1u);
    EXPECT_EQ(a[0].state.pen, w.styles.railway[pen3011[level]]) << level;
    const Pen expected3035 = level == 0 ? fixed::blackPen : w.styles.fence[std::min(level - 1, 2)];
    EXPECT_EQ(b[0].state.pen, expected3035) << level;
  }
}

TEST(ComposeFrame, AreaStyleChangesOnlyWithTheCode) {
  ComposeWorld w;
  w.map.areaFeatures = {
      ComposeWorld::box(750, 5100, 5100, 20),  ComposeWorld::box(750, 5000, 5000, 20),
      ComposeWorld::box(999, 4990, 4990, 20),  ComposeWorld::box(718, 4980, 4980, 20),
      ComposeWorld::box(2830, 4970, 4970, 20), ComposeWorld::box(6614, 9000, 9000, 20)};
  w.ask(5000, 5000, 1000);
  composeFrame(w.ctx, w.dc);
  const StyleSet& s = w.styles;
  const auto polygons = w.dc.callsOf(CallKind::Polygon);
  ASSERT_EQ(polygons.size(), 5u);  // the 6614 area is out of view
  EXPECT_EQ(polygons[0].state.brush, s.orchard);
  EXPECT_EQ(polygons[0].state.pen, s.hatchedAreaOutline);
  EXPECT_EQ(polygons[1].state.brush, s.orchard);
  EXPECT_EQ(polygons[2].state.brush, s.orchard);  // an unknown code keeps the style
  EXPECT_EQ(polygons[3].state.brush, s.forest);
  EXPECT_EQ(polygons[3].state.pen, fixed::nullPen);
  EXPECT_EQ(polygons[4].state.brush, fixed::oliveBrush);
  EXPECT_EQ(polygons[4].state.pen, s.edgePen(444));
  const auto brushes = w.dc.callsOf(CallKind::SelectBrush);
  EXPECT_EQ(std::count_if(brushes.begin(), brushes.end(),
                          [&](const RecordedCall& c) { return c.state.brush == s.orchard; }),
            1);
}

TEST(ComposeFrame, MarkedStreetUnlessBuildingsAreChosen) {
  for (int chosen : {0, 1}) {
    for (float side : {1000.0f, 600.0f}) {
      ComposeWorld w;
      const MapFeature marked = ComposeWorld::feature(7, {{4990, 4990}, {5010, 5010}});
      w.map.streetLines = {marked, ComposeWorld::feature(8, {{4990, 5010}, {5010, 4990}})};
      w.marking.markedStreet = 7;
      w.marking.chosenBuildings.assign(static_cast<size_t>(chosen), 0);
      w.ask(5000, 5000, side);
      composeFrame(w.ctx, w.dc);
      const auto calls = w.callsAt(CallKind::Polyline, w.screen(marked.points));
      ASSERT_EQ(calls.size(), chosen ? 1u : 2u);  // the street itself, then the mark
      if (!chosen) {
        const Pen expected = side == 1000.0f ? w.styles.marker : w.styles.markedStreet;
        EXPECT_EQ(calls[1].state.pen, expected);
      }
    }
  }
}

TEST(ComposeFrame, CityScaleBuildingFilters) {
  ComposeWorld w;
  w.ask(5000, 5000, 4000);  // 1:20000, 0.05 mm per metre
  for (int16_t purpose : {411, 657, 658, 659, 464, 555}) {
    w.map.buildings.push_back(ComposeWorld::building(purpose, 5000, 5000, 30));
  }
  w.map.buildings.push_back(ComposeWorld::building(411, 9000, 9000, 30));  // out of view
  w.map.buildings.push_back(ComposeWorld::building(444, 4800, 4800, 19));  // 1.9 mm
  w.map.buildings.push_back(ComposeWorld::building(461, 4700, 4700, 20));  // 2.0 mm
  const auto bodies = [&w] {
    std::vector<RecordedCall> out;
    for (const RecordedCall& c : w.dc.callsOf(CallKind::Polygon)) {
      if (c.state.brush != w.styles.land) out.push_back(c);
    }
    return out;
  };

  composeFrame(w.ctx, w.dc);
  ASSERT_EQ(w.view.detailLevel, 0);
  auto all = bodies();
  ASSERT_EQ(all.size(), 4u);  // 411, 555, and both small ones with the choice "все"
  EXPECT_EQ(all[0].state.pen, w.styles.edgePen(411));
  EXPECT_EQ(all[0].state.brush, w.styles.bodyBrush(411));
  EXPECT_EQ(all[1].state.brush, w.styles.bodyBrush(555));

  w.dc.clearCalls();
  w.layers.buildingChoice = 2;
  composeFrame(w.ctx, w.dc);
  all = bodies();
  ASSERT_EQ(all.size(), 3u);
  EXPECT_EQ(all[2].state.brush, w.styles.bodyBrush(461));

  w.dc.clearCalls();
  w.layers.buildingChoice = 0;
  composeFrame(w.ctx, w.dc);
  EXPECT_TRUE(bodies().empty());
}

TEST(ComposeFrame, ChoiceNoneDrawsNoBuildingsInAnyView) {
  for (int mode : {kViewFlat, kViewGraphic, kViewNight, kViewClockWindows, kViewFrame}) {
    for (float side : {4000.0f, 600.0f, 150.0f}) {
      ComposeWorld empty(mode);
      ComposeWorld built(mode);
      built.map.buildings.push_back(ComposeWorld::building(411, 5000, 5000, 10));
      built.map.buildings.back().floors = 5;
      built.map.buildings.back().houseNumber = "12";
      built.layers.buildingChoice = 0;
      empty.ask(5000, 5000, side);
      built.ask(5000, 5000, side);
      composeFrame(empty.ctx, empty.dc);
      composeFrame(built.ctx, built.dc);
      EXPECT_EQ(built.dc.drawingCalls().size(), empty.dc.drawingCalls().size())
          << mode << " " << side;
      // With the choice "все" the same building is drawn.
      built.layers.buildingChoice = 1;
      built.dc.clearCalls();
      composeFrame(built.ctx, built.dc);
      EXPECT_GT(built.dc.drawingCalls().size(), empty.dc.drawingCalls().size())
          << mode << " " << side;
    }
  }
}

TEST(ComposeFrame, RestoresFontAndTextColourBeforeTheBuildingPassOfTheMode) {
  ComposeWorld w(kViewNight);
  w.ask(5000, 5000, 600);
  composeFrame(w.ctx, w.dc);
  const auto& calls = w.dc.calls();
  // After the flat-pass slot: default font and black text, whatever came before.
  const auto black = std::find_if(calls.begin(), calls.end(), [](const RecordedCall& c) {
    return c.kind == CallKind::SetTextColor && c.state.textColor == Rgb{0, 0, 0};
  });
  ASSERT_NE(black, calls.end());
  EXPECT_EQ(black->state.font, fixed::defaultFont);
}

}  // namespace
}  // namespace tikhomap
