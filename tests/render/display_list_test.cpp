// The display list: a replay makes the same calls as drawing directly, and a
// band's replay leaves out only drawing that cannot reach its rows, never a
// state change or a move of the current point.
#include "render/display_list.h"

#include <gtest/gtest.h>

#include "compose_fixture.h"
#include "mapdata/cp1251.h"
#include "render/compose_frame.h"
#include "render/recording_canvas.h"

namespace tikhomap {
namespace {

using testing::ComposeWorld;

// Counts the stamp sets and quads a surface is given, beside recording.
class CountingCanvas : public RecordingCanvas {
 public:
  using RecordingCanvas::RecordingCanvas;
  void quad(const std::array<ScreenPoint, 4>& points) override {
    ++quads;
    RecordingCanvas::quad(points);
  }
  void polygonStamps(std::span<const ScreenPoint> points,
                     std::span<const ScreenPoint> offsets) override {
    ++stampSets;
    RecordingCanvas::polygonStamps(points, offsets);
  }
  int quads = 0;
  int stampSets = 0;
};

// Text reaching rows y - 2 .. y + 12.
class FixedTextMeasure : public TextMeasure {
 public:
  Rect textBox(const Font&, int, bool, int32_t x, int32_t y, std::string_view) override {
    ++measured;
    return Rect{x, y - 2, x + 50, y + 12};
  }
  int measured = 0;
};

void expectSameCalls(const RecordingCanvas& a, const RecordingCanvas& b) {
  ASSERT_EQ(a.calls().size(), b.calls().size());
  for (size_t i = 0; i < a.calls().size(); ++i) {
    const RecordedCall& x = a.calls()[i];
    const RecordedCall& y = b.calls()[i];
    ASSERT_EQ(x.kind, y.kind) << i;
    EXPECT_EQ(x.points, y.points) << i;
    EXPECT_EQ(x.rect, y.rect) << i;
    EXPECT_EQ(x.text, y.text) << i;
    EXPECT_EQ(x.state.pen, y.state.pen) << i;
    EXPECT_EQ(x.state.brush, y.state.brush) << i;
    EXPECT_EQ(x.state.font, y.state.font) << i;
    EXPECT_EQ(x.state.clip, y.state.clip) << i;
    EXPECT_EQ(x.state.rasterOp, y.state.rasterOp) << i;
    EXPECT_EQ(x.state.textColor, y.state.textColor) << i;
    EXPECT_EQ(x.state.backgroundTransparent, y.state.backgroundTransparent) << i;
  }
}

TEST(DisplayListTest, ReplayMakesTheCallsOfTheDirectComposition) {
  for (int mode : {kViewFlat, kViewNight, kViewClockWindows, kViewFrame}) {
    ComposeWorld w(mode);
    w.layers.buildingChoice = 1;
    for (int i = 0; i < 12; ++i) {
      Building b = ComposeWorld::building(444, 4000.0f + 150.0f * i, 5000.0f + 40.0f * i, 40);
      b.floors = static_cast<int16_t>(3 + i % 9);
      w.map.buildings.push_back(b);
    }
    w.ask(4800, 5300, 600);
    const WindowRandom start = w.random;
    composeFrame(w.ctx, w.dc);

    w.random = start;
    DisplayList list;
    list.reset(w.dc.deviceCaps(), nullptr);
    composeFrame(w.ctx, list);
    RecordingCanvas replayed(w.dc.deviceCaps());
    list.replay(replayed);
    SCOPED_TRACE(mode);
    expectSameCalls(w.dc, replayed);
  }
}

TEST(DisplayListTest, KeepsQuadsAndStampSetsAsSingleCommands) {
  DisplayList list;
  list.reset(RecordingCanvas::defaultCaps(), nullptr);
  const std::vector<ScreenPoint> outline{{10, 10}, {30, 10}, {30, 30}, {10, 30}};
  std::vector<ScreenPoint> offsets;
  for (int i = 0; i < 300; ++i) offsets.push_back({i, i / 2});
  list.polygonStamps(outline, offsets);
  list.quad({ScreenPoint{1, 1}, {3, 1}, {3, 3}, {1, 3}});
  ASSERT_EQ(list.commands().size(), 2u);
  EXPECT_EQ(list.commands()[0].op, DisplayList::Op::PolygonStamps);
  // The stamp set reaches from its first copy's top to its last copy's bottom.
  EXPECT_LE(list.commands()[0].top, 10);
  EXPECT_GE(list.commands()[0].bottom, 30 + 149 + 1);
  EXPECT_LE(list.commands()[0].bottom, 30 + 149 + 4);
  CountingCanvas target;
  list.replay(target);
  EXPECT_EQ(target.stampSets, 1);
  EXPECT_EQ(target.quads, 1);
}

TEST(DisplayListTest, ABandLeavesOutOnlyDrawingOutsideItsRows) {
  DisplayList list;
  FixedTextMeasure measure;
  list.reset(RecordingCanvas::defaultCaps(), &measure);
  const Pen wide{PenStyle::Solid, 9, {0, 0, 255}, false};
  list.selectPen(wide);
  list.polyline(std::vector<ScreenPoint>{{0, 100}, {50, 100}});  // reaches 95..105
  list.selectBrush(Brush{BrushStyle::Solid, {1, 2, 3}});
  list.setClipRect(Rect{0, 0, 500, 500});
  list.moveTo(10, 10);
  list.lineTo(20, 20);   // far above the band
  list.lineTo(30, 200);  // from (20, 20) through the band
  list.selectFont(Font{"Arial Cyr", 30, 700, false, 0});
  list.textOut(5, 300, "far");   // rows 298..312
  list.textOut(5, 190, "near");  // rows 188..202
  list.clearClip();
  list.fillRect(Rect{0, 400, 10, 410}, Brush{BrushStyle::Solid, {9, 9, 9}});
  EXPECT_EQ(measure.measured, 2);

  RecordingCanvas band;
  list.replay(band, 150, 250);
  // Every state change arrives, in order.
  EXPECT_EQ(band.count(CallKind::SelectPen), 1u);
  EXPECT_EQ(band.count(CallKind::SelectBrush), 1u);
  EXPECT_EQ(band.count(CallKind::SetClipRect), 1u);
  EXPECT_EQ(band.count(CallKind::ClearClip), 1u);
  EXPECT_EQ(band.count(CallKind::SelectFont), 1u);
  EXPECT_EQ(band.state().pen, wide);
  EXPECT_FALSE(band.state().clip.has_value());
  // The wide line, the far text and the rectangle stay out.
  EXPECT_EQ(band.count(CallKind::Polyline), 0u);
  EXPECT_EQ(band.count(CallKind::FillRect), 0u);
  ASSERT_EQ(band.count(CallKind::TextOut), 1u);
  EXPECT_EQ(band.callsOf(CallKind::TextOut)[0].text, "near");
  // The first line is left out but its end is where the second starts.
  const auto lines = band.callsOf(CallKind::LineTo);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].points, (std::vector<ScreenPoint>{{20, 20}, {30, 200}}));
  EXPECT_EQ(band.count(CallKind::MoveTo), 2u);

  // The wide line's half width and round end bring it into a band that
  // starts below its axis.
  RecordingCanvas edge;
  list.replay(edge, 104, 120);
  EXPECT_EQ(edge.count(CallKind::Polyline), 1u);
  RecordingCanvas past;
  list.replay(past, 110, 120);
  EXPECT_EQ(past.count(CallKind::Polyline), 0u);
}

TEST(DisplayListTest, TextWithoutAMeasureReachesEveryBand) {
  DisplayList list;
  list.reset(RecordingCanvas::defaultCaps(), nullptr);
  list.textOut(0, 0, "x");
  for (int top : {-1000, 0, 500, 100000}) {
    RecordingCanvas band;
    list.replay(band, top, top + 10);
    EXPECT_EQ(band.count(CallKind::TextOut), 1u) << top;
  }
}

TEST(DisplayListTest, BandEdgesCoverTheFrameAndFollowTheWork) {
  DisplayList list;
  list.reset(RecordingCanvas::defaultCaps(), nullptr);
  list.selectPen(Pen{});
  // One large figure over the whole frame, many small ones in rows 600..700.
  list.polygon(std::vector<ScreenPoint>{{0, 0}, {999, 0}, {999, 999}, {0, 999}});
  for (int i = 0; i < 5000; ++i) {
    const int y = 600 + i % 100;
    list.quad({ScreenPoint{i % 900, y}, {i % 900 + 3, y}, {i % 900 + 3, y + 2}, {i % 900, y + 2}});
  }
  for (int n : {1, 2, 3, 8}) {
    const auto edges = list.bandEdges(n, 1000);
    ASSERT_EQ(edges.size(), static_cast<size_t>(n) + 1);
    EXPECT_EQ(edges.front(), 0);
    EXPECT_EQ(edges.back(), 1000);
    for (size_t i = 1; i < edges.size(); ++i) EXPECT_LT(edges[i - 1], edges[i]) << n;
    if (n > 1) {
      // The busy rows are split between the bands.
      EXPECT_GT(edges[1], 550) << n;
      EXPECT_LT(edges[n - 1], 720) << n;
    }
  }
  // More bands than rows: the edges still ascend and end at the height.
  const auto tiny = list.bandEdges(8, 3);
  EXPECT_EQ(tiny.front(), 0);
  EXPECT_EQ(tiny.back(), 3);
  for (size_t i = 1; i < tiny.size(); ++i) EXPECT_LE(tiny[i - 1], tiny[i]);
}

// The edges weigh commands by what they cost to draw: one wide, long shadow
// costs more than thousands of window quads.
TEST(DisplayListTest, BandEdgesWeighAShadowByTheAreaItSweeps) {
  DisplayList list;
  list.reset(RecordingCanvas::defaultCaps(), nullptr);
  list.selectPen(Pen{});
  list.setRasterOp(RasterOp::MaskPen);
  std::vector<ScreenPoint> offsets;
  for (int i = 1; i < 200; ++i) offsets.push_back({-i, i / 2});
  list.polygonStamps(std::vector<ScreenPoint>{{300, 100}, {900, 100}, {900, 300}, {300, 300}},
                     offsets);
  list.setRasterOp(RasterOp::CopyPen);
  for (int i = 0; i < 3000; ++i) {
    const int y = 800 + i % 100;
    list.quad({ScreenPoint{i % 900, y}, {i % 900 + 3, y}, {i % 900 + 3, y + 2}, {i % 900, y + 2}});
  }
  const auto edges = list.bandEdges(2, 1000);
  // The shadow reaches rows 99..402: the bands share it.
  EXPECT_GT(edges[1], 150);
  EXPECT_LT(edges[1], 400);
}

}  // namespace
}  // namespace tikhomap
