#include <gtest/gtest.h>

#include <cmath>

#include "building_pass_fixture.h"
#include "render/building_walls.h"
#include "render/layer_passes.h"
#include "render/volumetric_sun.h"

namespace tikhomap {
namespace {

using testing::PassFixture;
using testing::rectOutline;
using testing::shifted;

// Storeys are 20 pixels in these views: 4 pixels per mm at 1 mm per metre.

// A trapezoid wider at the bottom. Its top wall is hidden, its right wall
// starts at the top of the screen after the others in index order, so the
// left wall and the bottom wall are drawn, in that order.
const std::vector<ScreenPoint> kBlock{{100, 100}, {300, 100}, {310, 200}, {90, 200}};

std::vector<RecordedCall> withOp(const std::vector<RecordedCall>& calls, RasterOp op) {
  std::vector<RecordedCall> out;
  for (const RecordedCall& c : calls) {
    if (c.state.rasterOp == op) out.push_back(c);
  }
  return out;
}

std::vector<RecordedCall> withBrush(const std::vector<RecordedCall>& calls, const Brush& brush) {
  std::vector<RecordedCall> out;
  for (const RecordedCall& c : calls) {
    if (c.state.brush == brush && c.state.pen == fixed::nullPen) out.push_back(c);
  }
  return out;
}

TEST(VolumetricShadow, FollowsTheClock) {
  const auto square = rectOutline(400, 400, 440, 430);
  {  // 06:00: long shadow to the left, 6 x 10 px per storey at 1 mm/m.
    PassFixture f(kViewFrame, 2, 4, 1);
    f.time = {6, 0};
    f.addBuilding(square, 411, 1);
    volumetricPass(f.ctx, f.dc);
    const auto stamps = withOp(f.polygons(), RasterOp::MaskPen);
    ASSERT_EQ(stamps.size(), 58u);  // dx = -59: offsets 1..58
    EXPECT_EQ(stamps.front().points, shifted(square, -1, 0));
    EXPECT_EQ(stamps.back().points, shifted(square, -58, 0));
    EXPECT_EQ(stamps.front().state.brush, fixed::grey195Brush);
    EXPECT_EQ(stamps.front().state.pen, fixed::nullPen);
  }
  {  // 14:00: straight up, 10 px per storey.
    PassFixture f(kViewFrame, 2, 4, 1);
    f.time = {14, 0};
    f.addBuilding(square, 411, 3);
    volumetricPass(f.ctx, f.dc);
    const auto stamps = withOp(f.polygons(), RasterOp::MaskPen);
    // In single precision sin θ falls just short of 1: dy = trunc(-29.99..) = -29.
    ASSERT_EQ(stamps.size(), 28u);
    EXPECT_EQ(stamps.front().points, shifted(square, 0, -1));
    EXPECT_EQ(stamps.back().points, shifted(square, 0, -28));
  }
  {  // 20:00: late sun from the left, the shadow falls right.
    PassFixture f(kViewFrame, 2, 4, 1);
    f.time = {20, 0};
    f.addBuilding(square, 411, 1);
    volumetricPass(f.ctx, f.dc);
    const auto stamps = withOp(f.polygons(), RasterOp::MaskPen);
    ASSERT_FALSE(stamps.empty());
    EXPECT_GT(stamps.back().points[0].x, square[0].x + 30);
  }
  for (int hour : {22, 23, 5}) {
    PassFixture f(kViewFrame, 2, 4, 1);
    f.time = {hour, 30};
    f.addBuilding(square, 411, 5);
    volumetricPass(f.ctx, f.dc);
    EXPECT_TRUE(withOp(f.polygons(), RasterOp::MaskPen).empty()) << hour;
  }
}

// Keeps the stamp offsets a surface is given instead of filling copies.
struct StampCanvas : RecordingCanvas {
  std::vector<ScreenPoint> offsets;
  void polygonStamps(std::span<const ScreenPoint>, std::span<const ScreenPoint> o) override {
    offsets.assign(o.begin(), o.end());
  }
};

// A tall tower at the finest scale early in the morning casts a shadow of
// tens of thousands of pixels; its stamps still run evenly to the full length.
TEST(VolumetricShadow, VeryLongShadowStepsEvenly) {
  StampCanvas dc;
  std::vector<ScreenPoint> scratch;
  const auto square = rectOutline(400, 400, 440, 430);
  drawShadow(dc, square, -60000, 30000, scratch);
  ASSERT_EQ(dc.offsets.size(), 59999u);
  EXPECT_EQ(dc.offsets.front(), (ScreenPoint{-1, 0}));
  EXPECT_EQ(dc.offsets[1], (ScreenPoint{-2, 1}));
  EXPECT_EQ(dc.offsets.back(), (ScreenPoint{-59999, 29999}));
}

TEST(VolumetricShadow, NoShadowWhenSwitchedOffOrTooShort) {
  const auto square = rectOutline(400, 400, 440, 430);
  PassFixture off(kViewFrame, 2, 4, 1);
  off.time = {14, 0};
  off.layers.showShadows = 0;
  off.addBuilding(square, 411, 3);
  volumetricPass(off.ctx, off.dc);
  EXPECT_TRUE(withOp(off.polygons(), RasterOp::MaskPen).empty());

  PassFixture flat(kViewFrame, 2, 4, 1);
  flat.time = {14, 0};
  flat.addBuilding(square, 411, 0);
  volumetricPass(flat.ctx, flat.dc);
  EXPECT_TRUE(withOp(flat.polygons(), RasterOp::MaskPen).empty());
  // Degenerate walls of no height, and the roof on the footprint.
  EXPECT_EQ(flat.polygons().back().points, square);
}

TEST(VolumetricShadow, SelectionDropsTheBlockButKeepsItsShadow) {
  PassFixture f(kViewFrame, 2, 4, 1);
  f.time = {14, 0};
  f.layers.buildingChoice = 2;
  Building& small = f.addBuilding(rectOutline(400, 400, 404, 404), 411, 3);
  small.bounds.xMax = small.bounds.xMin + 1.9f;
  small.bounds.yMax = small.bounds.yMin + 1.0f;
  volumetricPass(f.ctx, f.dc);
  EXPECT_EQ(f.polygons().size(), 28u);
  EXPECT_EQ(withOp(f.polygons(), RasterOp::MaskPen).size(), 28u);
}

TEST(VolumetricWalls, ConcaveOutlineHidesBackWallsAndDrawsTopDown) {
  // A chevron with a notch in its top: both notch walls face away.
  PassFixture f(kViewFrame, 2, 1, 1);  // storey 5 px
  f.layers.showShadows = 0;
  const std::vector<ScreenPoint> chevron{{100, 120}, {150, 140}, {200, 100}, {210, 200}, {90, 200}};
  f.addBuilding(chevron, 411, 2);
  volumetricPass(f.ctx, f.dc);
  const auto polys = f.polygons();
  ASSERT_EQ(polys.size(), 3u);
  EXPECT_EQ(polys[0].points,
            (std::vector<ScreenPoint>{{100, 120}, {90, 200}, {90, 190}, {100, 110}}));
  EXPECT_EQ(polys[1].points,
            (std::vector<ScreenPoint>{{90, 200}, {210, 200}, {210, 190}, {90, 190}}));
  EXPECT_EQ(polys[0].state.pen, fixed::greyPen);
  EXPECT_EQ(polys[0].state.brush, f.styles.bodyBrush(411));
  EXPECT_EQ(polys[2].points, shifted(chevron, 0, -10));
  EXPECT_EQ(polys[2].state.brush, f.styles.roofBrush(411));
  EXPECT_EQ(f.dc.state().brush, fixed::hollowBrush);
  EXPECT_EQ(f.dc.state().pen, fixed::blackPen);
  EXPECT_EQ(f.dc.state().rasterOp, RasterOp::CopyPen);
}

TEST(VolumetricWalls, OrderOfAConcaveOutline) {
  const std::vector<ScreenPoint> chevron{{100, 120}, {150, 140}, {200, 100}, {210, 200}, {90, 200}};
  WallOrder walls;
  orderWalls(chevron, 5, walls);
  // The notch walls are hidden; the left wall (top at 120) before the bottom.
  EXPECT_EQ(walls.order, (std::vector<int>{4, 3}));
  EXPECT_EQ(walls.upper[3], (ScreenPoint{90, 200}));  // level wall: its second vertex
  EXPECT_EQ(walls.lower[3], (ScreenPoint{210, 200}));
  // With a storey taller than the building, no foot stays inside: nothing is
  // hidden, and from wall 0 on the walls reaching the top come first.
  orderWalls(chevron, 100, walls);
  EXPECT_EQ(walls.order, (std::vector<int>{1, 2, 0, 4, 3}));
}

TEST(VolumetricWindows, CountsPerStyle) {
  {  // Grid: 220 px wall holds 11 windows of a 20 px storey, the 100 px side 5.
    PassFixture f(kViewNewYear, 2, 4, 1);
    f.layers.showShadows = 0;
    f.addBuilding(kBlock, 411, 3);
    volumetricPass(f.ctx, f.dc);
    const auto lit = withBrush(f.polygons(), f.styles.litWindowBrush);
    EXPECT_EQ(lit.size(), (11u + 5u) * 3u);
    EXPECT_TRUE(withBrush(f.polygons(), f.styles.darkWindowBrush).empty());
    // The first window of the bottom wall: 4 px in, 5 px up, 12 wide, 10 high.
    const std::vector<ScreenPoint> first{{94, 195}, {106, 195}, {106, 185}, {94, 185}};
    EXPECT_EQ(lit[15].points, first);
    EXPECT_EQ(f.dc.count(CallKind::Polyline), 2u);  // each wall's edge after its windows
  }
  {  // Bands: one per storey and wall.
    PassFixture f(kViewWideWindows, 2, 4, 1);
    f.layers.showShadows = 0;
    f.addBuilding(kBlock, 411, 3);
    volumetricPass(f.ctx, f.dc);
    const auto bands = withBrush(f.polygons(), f.styles.litWindowBrush);
    ASSERT_EQ(bands.size(), 6u);
    EXPECT_EQ(bands[3].points,
              (std::vector<ScreenPoint>{{95, 195}, {305, 195}, {305, 185}, {95, 185}}));
    EXPECT_EQ(bands[5].points[0], (ScreenPoint{95, 155}));
  }
  {  // Lines at level 1: two lines every 4 px up to the wall height.
    PassFixture f(kViewClockWindows, 1, 4, 1);
    f.layers.showShadows = 0;
    f.addBuilding(kBlock, 411, 3);
    volumetricPass(f.ctx, f.dc);
    const auto lines = f.dc.callsOf(CallKind::LineTo);
    ASSERT_EQ(lines.size(), 2u * 2u * 15u);
    // Bottom wall, first pair: ends moved one pixel inward.
    EXPECT_EQ(lines[30].points, (std::vector<ScreenPoint>{{91, 198}, {309, 198}}));
    EXPECT_EQ(lines[31].points, (std::vector<ScreenPoint>{{91, 197}, {309, 197}}));
    EXPECT_EQ(lines[0].state.pen, f.styles.litWindowPen);
    EXPECT_EQ(f.random.state(), 1u);  // lines draw no random numbers
  }
  {  // Warehouses get dark bands, and lines in the power cut are dark.
    PassFixture f(kViewNewYear, 2, 4, 1);
    f.layers.showShadows = 0;
    f.addBuilding(kBlock, 777, 1);
    volumetricPass(f.ctx, f.dc);
    EXPECT_EQ(withBrush(f.polygons(), f.styles.darkWindowBrush).size(), 2u);
    PassFixture g(kViewPowerCut, 1, 4, 1);
    g.addBuilding(kBlock, 411, 1);
    volumetricPass(g.ctx, g.dc);
    EXPECT_EQ(g.dc.callsOf(CallKind::LineTo).front().state.pen, g.styles.darkWindowPen);
  }
}

TEST(VolumetricWindows, ShortWallHasNoGridWindowsButABand) {
  const auto narrow = std::vector<ScreenPoint>{{100, 100}, {110, 100}, {112, 200}, {98, 200}};
  PassFixture grid(kViewNewYear, 2, 4, 1);
  grid.addBuilding(narrow, 411, 2);
  volumetricPass(grid.ctx, grid.dc);
  // The side wall (100 px) keeps its 5 windows a storey; the 14 px bottom none.
  EXPECT_EQ(withBrush(grid.polygons(), grid.styles.litWindowBrush).size(), 10u);
  PassFixture bands(kViewWideWindows, 2, 4, 1);
  bands.addBuilding(narrow, 411, 2);
  volumetricPass(bands.ctx, bands.dc);
  EXPECT_EQ(withBrush(bands.polygons(), bands.styles.litWindowBrush).size(), 4u);
}

TEST(VolumetricWindows, ClockWindowsFollowTheGeneratorSequence) {
  // The generator's first numbers from state 1.
  const int kSequence[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464};
  PassFixture f(kViewClockWindows, 2, 4, 1);
  f.time = {20, 0};
  f.layers.showShadows = 0;
  f.addBuilding(std::vector<ScreenPoint>{{100, 200}, {100, 100}, {310, 200}}, 411, 1);
  volumetricPass(f.ctx, f.dc);
  std::vector<bool> lit;
  for (const RecordedCall& c : f.polygons()) {
    if (c.state.pen != fixed::nullPen) continue;
    lit.push_back(c.state.brush == f.styles.litWindowBrush);
  }
  ASSERT_GE(lit.size(), 10u);
  for (size_t i = 0; i < 10; ++i) {
    // At 20:00 a dwelling's window is dark when r mod 4 = 0.
    EXPECT_EQ(lit[i], kSequence[i] % 4 != 0) << i;
  }
}

TEST(VolumetricWindows, ClockWindowTable) {
  EXPECT_TRUE(clockWindowLit(3, 411, 60));
  EXPECT_FALSE(clockWindowLit(3, 411, 61));
  EXPECT_TRUE(clockWindowLit(3, 555, 62));
  EXPECT_FALSE(clockWindowLit(3, 555, 63));
  EXPECT_TRUE(clockWindowLit(7, 411, 9));   // r mod 3 = 0: lit dwelling
  EXPECT_FALSE(clockWindowLit(7, 444, 9));  // ... dark office
  EXPECT_TRUE(clockWindowLit(7, 444, 10));
  EXPECT_FALSE(clockWindowLit(12, 411, 11));
  EXPECT_TRUE(clockWindowLit(12, 411, 20));
  EXPECT_FALSE(clockWindowLit(12, 555, 25));
  EXPECT_TRUE(clockWindowLit(12, 555, 26));
  EXPECT_TRUE(clockWindowLit(18, 444, 4));  // r mod 2 = 0
  EXPECT_FALSE(clockWindowLit(18, 444, 5));
  EXPECT_FALSE(clockWindowLit(18, 411, 4));
  EXPECT_TRUE(clockWindowLit(23, 777, 14));  // one in seven
  EXPECT_FALSE(clockWindowLit(23, 777, 15));
  int litCount = 0;
  for (int r = 0; r < 700; ++r) litCount += clockWindowLit(23, 461, r) ? 1 : 0;
  EXPECT_EQ(litCount, 100);
}

TEST(VolumetricBuildings, OpenGroundStoreyAndFullHeightRoof) {
  // The three twins on columns: two flat walls a storey up, no windows,
  // the roof. Kindergartens and clinics stand on the ground.
  for (const int16_t purpose : {657, 658, 659, 660, 661}) {
    PassFixture f(kViewNewYear, 2, 4, 1);
    f.layers.showShadows = 0;
    f.addBuilding(kBlock, purpose, 1);
    volumetricPass(f.ctx, f.dc);
    const auto polys = f.polygons();
    ASSERT_GE(polys.size(), 3u) << purpose;
    const bool columns = purpose <= 659;
    EXPECT_EQ(polys.size() == 3u, columns) << purpose;
    EXPECT_EQ(polys[0].points,
              columns ? (std::vector<ScreenPoint>{{100, 80}, {90, 180}, {90, 180}, {100, 80}})
                      : (std::vector<ScreenPoint>{{100, 100}, {90, 200}, {90, 180}, {100, 80}}))
        << purpose;
    EXPECT_EQ(polys.back().points, shifted(kBlock, 0, -20)) << purpose;
  }

  PassFixture g(kViewNewYear, 2, 4, 1);
  g.layers.showShadows = 0;
  g.addBuilding(kBlock, 659, 2);
  volumetricPass(g.ctx, g.dc);
  EXPECT_EQ(withBrush(g.polygons(), g.styles.litWindowBrush).size(), 16u);
  EXPECT_EQ(g.polygons().back().points, shifted(kBlock, 0, -40));
}

TEST(VolumetricBuildings, WindowlessCases) {
  const auto windows = [](int mode, int16_t purpose, int16_t floors, const char* description) {
    PassFixture f(mode, 2, 4, 1);
    f.layers.showShadows = 0;
    f.addBuilding(kBlock, purpose, floors, "", description);
    volumetricPass(f.ctx, f.dc);
    return withBrush(f.polygons(), f.styles.litWindowBrush).size() +
           withBrush(f.polygons(), f.styles.darkWindowBrush).size();
  };
  EXPECT_EQ(windows(kViewFrame, 411, 3, ""), 0u);
  EXPECT_EQ(windows(kViewNewYear, 413, 1, ""), 0u);
  EXPECT_EQ(windows(kViewNewYear, 413, 2, "гаражи"), 0u);
  EXPECT_EQ(windows(kViewNewYear, 413, 2, "склад"), 32u);
  EXPECT_EQ(windows(kViewNewYear, 464, 2, ""), 0u);
}

TEST(VolumetricBuildings, GlassIsMaskedWhenColouredAndOpaqueOtherwise) {
  PassFixture f(kViewNewYear, 2, 4, 1);
  f.layers.showShadows = 0;
  f.addBuilding(kBlock, 464, 2);
  volumetricPass(f.ctx, f.dc);
  const auto polys = f.polygons();
  ASSERT_EQ(polys.size(), 3u);
  for (const auto& p : polys) {
    EXPECT_EQ(p.state.rasterOp, RasterOp::MaskPen);
    EXPECT_EQ(p.state.brush.color, (Rgb{200, 225, 245}));
  }
  EXPECT_EQ(f.dc.state().rasterOp, RasterOp::CopyPen);

  PassFixture g(kViewNewYear, 2, 4, 1);
  g.layers.showShadows = 0;
  g.layers.colouredHouses = 0;
  g.addBuilding(kBlock, 464, 2);
  g.addBuilding(rectOutline(500, 500, 540, 530), 555, 1);
  volumetricPass(g.ctx, g.dc);
  const auto plain = g.polygons();
  ASSERT_GT(plain.size(), 3u);
  EXPECT_EQ(plain[0].state.rasterOp, RasterOp::CopyPen);
  EXPECT_EQ(plain[0].state.brush.color, (Rgb{190, 180, 160}));
  EXPECT_EQ(plain[2].state.brush.color, (Rgb{170, 160, 130}));
  EXPECT_EQ(plain.back().state.brush.color, (Rgb{170, 160, 130}));
}

TEST(VolumetricBuildings, HouseNumberStandsOnTheRoof) {
  PassFixture f(kViewFrame, 2, 4, 1);
  f.layers.houseNumberChoice = 1;
  f.addBuilding(kBlock, 411, 4, "15");
  volumetricPass(f.ctx, f.dc);
  const auto texts = f.dc.callsOf(CallKind::TextOut);
  ASSERT_EQ(texts.size(), 1u);
  int32_t sx = 0;
  int32_t sy = 0;
  mapToScreen(f.view, f.map.buildings[0].x, f.map.buildings[0].y, sx, sy);
  EXPECT_EQ(texts[0].points[0], (ScreenPoint{sx - 6, sy - 80 - 6}));

  PassFixture g(kViewFrame, 1, 4, 1);
  g.layers.houseNumberChoice = 1;
  g.addBuilding(kBlock, 411, 4, "15");
  volumetricPass(g.ctx, g.dc);
  EXPECT_EQ(g.dc.count(CallKind::TextOut), 0u);
}

TEST(VolumetricBuildings, LargeOutlinesNeedNoVertexLimit) {
  PassFixture f(kViewNewYear, 2, 4, 1);
  f.layers.showShadows = 0;
  std::vector<ScreenPoint> outline;
  for (int i = 0; i < 300; ++i) outline.push_back({100 + i * 2, 100 + (i % 2)});
  outline.push_back({700, 400});
  outline.push_back({100, 400});
  f.addBuilding(outline, 411, 1);
  volumetricPass(f.ctx, f.dc);
  EXPECT_EQ(f.polygons().back().points, shifted(outline, 0, -20));
}

}  // namespace
}  // namespace tikhomap

namespace tikhomap {
namespace {

// A damaged record's storey count is drawn within 0..200 storeys: the roof of
// a 32767-storey block stands 200 storeys up, and the night view paints 200
// storeys, not 32767; a negative count draws a block of no height.
TEST(DamagedStoreys, AreDrawnWithinTwoHundredStoreys) {
  const auto square = rectOutline(400, 400, 440, 430);
  {
    PassFixture f(kViewFrame, 2, 4, 1);
    f.time = {23, 0};
    f.addBuilding(square, 411, 32767);
    volumetricPass(f.ctx, f.dc);
    EXPECT_EQ(f.polygons().back().points, shifted(square, 0, -200 * f.cache.storeyHeight));
  }
  {
    PassFixture f(kViewFrame, 2, 4, 1);
    f.time = {14, 0};
    f.addBuilding(square, 411, -5);
    volumetricPass(f.ctx, f.dc);
    EXPECT_TRUE(withOp(f.polygons(), RasterOp::MaskPen).empty());
    EXPECT_EQ(f.polygons().back().points, square);
  }
  {
    PassFixture tall(kViewNight, 2, 4, 1);
    tall.addBuilding(square, 411, 32767);
    nightBuildingPass(tall.ctx, tall.dc);
    PassFixture limit(kViewNight, 2, 4, 1);
    limit.addBuilding(square, 411, 200);
    nightBuildingPass(limit.ctx, limit.dc);
    EXPECT_EQ(tall.polygons().size(), limit.polygons().size());
    EXPECT_LT(tall.polygons().size(), 1000u);
  }
}

}  // namespace
}  // namespace tikhomap

namespace tikhomap {
namespace {

// Windows beyond the right edge of the drawing area are not filled, but each
// still draws its number, so the windows in view light up exactly as they
// would if the whole wall were in view.
TEST(VolumetricWindows, WindowsBeyondTheViewAreSkippedButKeepTheSequence) {
  const std::vector<ScreenPoint> across{{800, 600}, {1400, 600}, {1400, 700}, {800, 700}};
  PassFixture edge(kViewClockWindows, 2, 4, 1);
  edge.time = {20, 0};
  edge.layers.showShadows = 0;
  edge.addBuilding(across, 411, 3);
  volumetricPass(edge.ctx, edge.dc);

  PassFixture wide(kViewClockWindows, 2, 4, 1);
  wide.time = {20, 0};
  wide.layers.showShadows = 0;
  wide.view.viewRight = 2000;
  wide.addBuilding(across, 411, 3);
  volumetricPass(wide.ctx, wide.dc);

  auto windows = [](const PassFixture& f) {
    std::vector<RecordedCall> out;
    for (const RecordedCall& c : f.polygons()) {
      if (c.state.pen == fixed::nullPen) out.push_back(c);
    }
    return out;
  };
  const auto inView = windows(edge);
  const auto all = windows(wide);
  ASSERT_LT(inView.size(), all.size());
  EXPECT_EQ(edge.random.state(), wide.random.state());
  // The windows that are drawn are the same, lit or dark alike.
  size_t matched = 0;
  for (const RecordedCall& w : all) {
    if (w.points[0].x > 1002) continue;
    ASSERT_LT(matched, inView.size());
    EXPECT_EQ(inView[matched].points, w.points);
    EXPECT_EQ(inView[matched].state.brush, w.state.brush);
    ++matched;
  }
  EXPECT_EQ(matched, inView.size());
}

}  // namespace
}  // namespace tikhomap

namespace tikhomap::testing {
namespace {

TEST(RealSunShadow, AwayFromTheSunAsLongAsADrawnStoreyCasts) {
  const auto square = rectOutline(400, 400, 440, 430);
  {  // Sun in the south at 45°: the shadow runs north (up), a storey long.
    PassFixture f(kViewFrame, 2, 4, 1);  // 20 pixels a storey
    f.ctx.realSun = RealSun{180, 45};
    f.addBuilding(square, 411, 3);
    volumetricPass(f.ctx, f.dc);
    const auto stamps = withOp(f.polygons(), RasterOp::MaskPen);
    ASSERT_GE(stamps.size(), 57u);
    EXPECT_LE(stamps.size(), 59u);
    EXPECT_EQ(stamps.back().points[0].x, square[0].x);
    EXPECT_LT(stamps.back().points[0].y, square[0].y - 55);
  }
  {  // A summer morning sun in the north-east: the shadow falls south-west,
     // which the clock never makes.
    PassFixture f(kViewFrame, 2, 4, 1);
    f.ctx.realSun = RealSun{45, 30};
    f.addBuilding(square, 411, 2);
    volumetricPass(f.ctx, f.dc);
    const auto stamps = withOp(f.polygons(), RasterOp::MaskPen);
    ASSERT_FALSE(stamps.empty());
    EXPECT_LT(stamps.back().points[0].x, square[0].x - 20);
    EXPECT_GT(stamps.back().points[0].y, square[0].y + 20);
  }
  // Near the horizon: none below 2°, and no longer than at 7° above it.
  const SunShadow low = realSunShadow({90, 1.5}, 20);
  EXPECT_FALSE(low.daylight);
  const SunShadow capped = realSunShadow({90, 3}, 20);
  EXPECT_TRUE(capped.daylight);
  EXPECT_NEAR(capped.lengthPerStorey, 20 / std::tan(7 * 3.14159265 / 180), 0.01);
  EXPECT_LT(capped.cosTheta, -0.99);  // sun in the east: the shadow falls west
}

TEST(RealSunShadow, ABuildingNorthOfTheViewCastsItsShadowIntoIt) {
  // A 10-storey tower 100 pixels above the view's top edge, the sun in the
  // north at 30°: its shadow, 346 pixels long, reaches down into the view.
  const auto tower = rectOutline(500, -100, 540, -60);
  for (const bool real : {false, true}) {
    PassFixture f(kViewFrame, 2, 4, 1);
    f.time = {14, 0};
    if (real) f.ctx.realSun = RealSun{0, 30};
    f.addBuilding(tower, 411, 10);
    f.cache.firstBuilding = 1;  // the tower lies north of the first visible row
    volumetricPass(f.ctx, f.dc);
    const auto stamps = withOp(f.polygons(), RasterOp::MaskPen);
    if (!real) {
      EXPECT_TRUE(stamps.empty());
      continue;
    }
    ASSERT_FALSE(stamps.empty());
    EXPECT_GT(stamps.back().points[0].y, 200);
    // Only the shadow: the tower itself is not drawn.
    EXPECT_EQ(withOp(f.polygons(), RasterOp::CopyPen).size(), 0u);
  }
}

}  // namespace
}  // namespace tikhomap::testing
