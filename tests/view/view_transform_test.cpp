#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <vector>

#include "view/view_state.h"

namespace tikhomap {
namespace {

ViewHistory cityHistory(float xMin, float yMin, float xMax, float yMax) {
  ViewHistory h;
  EXPECT_EQ(pushView(h, xMin, yMin, xMax, yMax), 1);
  return h;
}

// A 1000 x 800 pixel window 250 mm wide: 4 pixels per millimetre both ways.
ViewState screen1000x800() {
  ViewState v;
  measureViewport(v, 1000, 800, 250.0f);
  return v;
}

TEST(MeasureViewport, DerivesHeightAndPixelDensityFromWidth) {
  const ViewState v = screen1000x800();
  EXPECT_EQ(v.viewLeft, 0);
  EXPECT_EQ(v.viewTop, 0);
  EXPECT_EQ(v.viewRight, 1000);
  EXPECT_EQ(v.viewBottom, 800);
  EXPECT_FLOAT_EQ(v.screenWidthMm, 250.0f);
  EXPECT_FLOAT_EQ(v.screenHeightMm, 200.0f);
  EXPECT_FLOAT_EQ(v.pixelsPerMmX, 4.0f);
  EXPECT_FLOAT_EQ(v.pixelsPerMmY, 4.0f);
}

TEST(MeasureViewport, WindowWithoutWidthHasNoScaleAndFitKeepsTheView) {
  ViewState v;
  measureViewport(v, 0, 600, 300.0f);
  EXPECT_EQ(v.screenHeightMm, 0.0f);
  EXPECT_EQ(v.pixelsPerMmY, 0.0f);
  EXPECT_TRUE(std::isfinite(v.pixelsPerMmX));
  v.mmPerMetre = 0.5;
  v.viewXMin = 7;
  const ViewHistory h = cityHistory(0, 0, 10000, 10000);
  fitView(v, h, 0, 0, 1000, 1000);
  EXPECT_EQ(v.mmPerMetre, 0.5);
  EXPECT_EQ(v.viewXMin, 7.0f);
}

TEST(MeasureViewport, ClientLargerThan16BitsIsCutNotWrapped) {
  ViewState v;
  measureViewport(v, 40000, 20000, 1000.0f);
  EXPECT_EQ(v.viewRight, 32767);
  EXPECT_EQ(v.viewBottom, 20000);
  EXPECT_FLOAT_EQ(v.pixelsPerMmX, 40.0f);
  EXPECT_FLOAT_EQ(v.pixelsPerMmY, 40.0f);
}

TEST(DetailLevel, ScaleBoundaries) {
  struct Row {
    int denominator;
    int level;
  };
  const Row rows[] = {{10010, 0}, {10000, 1}, {4010, 1}, {4000, 2}, {2010, 2}, {2000, 3},
                      {1010, 3},  {1000, 4},  {460, 4},  {450, 5},  {20, 5}};
  for (const Row& r : rows) {
    EXPECT_EQ(detailLevelFor(1000.0 / r.denominator), r.level) << "1:" << r.denominator;
  }
}

// A square 100 mm screen fits the east-west extent of a square rectangle, so
// the scale is 100 mm over dy metres.
ViewState squareScreen() {
  ViewState v;
  measureViewport(v, 400, 400, 100.0f);
  return v;
}

TEST(FitView, QuantisesTheDenominatorToTensHalvesUp) {
  struct Row {
    float dy;         // metres shown across 100 mm: 1000/k = 10 * dy
    int denominator;  // expected D
  };
  const Row rows[] = {{1000.0f, 10000}, {1000.4f, 10000}, {1000.6f, 10010}, {45.0f, 450},
                      {45.4f, 450},     {45.6f, 460},     {2.01f, 20},      {1.0e6f, 10000000}};
  const ViewHistory h = cityHistory(-1e7f, -1e7f, 1e7f, 1e7f);
  for (const Row& r : rows) {
    ViewState v = squareScreen();
    fitView(v, h, 0, 0, r.dy, r.dy);
    EXPECT_EQ(v.scaleDenominator, r.denominator) << r.dy;
    EXPECT_DOUBLE_EQ(v.mmPerMetre, 1000.0 / r.denominator) << r.dy;
    EXPECT_EQ(v.detailLevel, detailLevelFor(v.mmPerMetre));
  }
}

TEST(FitView, RefusesFiftyMillimetresPerMetreAndFiner) {
  const ViewHistory h = cityHistory(0, 0, 10000, 10000);
  ViewState v = squareScreen();
  fitView(v, h, 0, 0, 1000, 1000);
  const ViewState before = v;
  fitView(v, h, 0, 0, 2.0f, 2.0f);  // k = 50 exactly
  EXPECT_EQ(v.mmPerMetre, before.mmPerMetre);
  EXPECT_EQ(v.viewYMax, before.viewYMax);
  EXPECT_EQ(v.scaleDenominator, before.scaleDenominator);
  fitView(v, h, 5, 5, 5, 5);  // no extent at all
  EXPECT_EQ(v.mmPerMetre, before.mmPerMetre);
}

TEST(FitView, RefusesARectangleWithEdgesTheWrongWayRound) {
  const ViewHistory h = cityHistory(0, 0, 10000, 10000);
  ViewState v = squareScreen();
  fitView(v, h, 0, 0, 1000, 1000);
  const double mm = v.mmPerMetre;
  fitView(v, h, 1000, 1000, 0, 0);
  EXPECT_EQ(v.mmPerMetre, mm);
  EXPECT_EQ(v.viewXMin, 0.0f);
  EXPECT_GT(v.mmPerMetre, 0.0);
}

TEST(FitView, TallRectangleKeepsSouthEdgeAndCentresEastWest) {
  const ViewHistory h = cityHistory(0, 0, 10000, 10000);
  ViewState v = screen1000x800();         // 250 x 200 mm
  fitView(v, h, 1000, 4000, 2000, 5000);  // 1000 x 1000 m: relatively taller
  EXPECT_EQ(v.scaleDenominator, 5000);    // 200 mm / 1000 m
  EXPECT_FLOAT_EQ(v.viewXMin, 1000.0f);
  EXPECT_FLOAT_EQ(v.viewXMax, 2000.0f);
  EXPECT_FLOAT_EQ(v.viewYMin, 4500.0f - 625.0f);
  EXPECT_FLOAT_EQ(v.viewYMax, 4500.0f + 625.0f);
  EXPECT_EQ(v.detailLevel, 1);
}

TEST(FitView, WideRectangleKeepsWestEdgeAndCentresNorthSouth) {
  const ViewHistory h = cityHistory(0, 0, 10000, 10000);
  ViewState v = screen1000x800();
  fitView(v, h, 1000, 4000, 1200, 5000);  // 200 x 1000 m: relatively wider
  EXPECT_EQ(v.scaleDenominator, 4000);    // 250 mm / 1000 m
  EXPECT_FLOAT_EQ(v.viewYMin, 4000.0f);
  EXPECT_FLOAT_EQ(v.viewYMax, 5000.0f);
  EXPECT_FLOAT_EQ(v.viewXMin, 1100.0f - 400.0f);
  EXPECT_FLOAT_EQ(v.viewXMax, 1100.0f + 400.0f);
  EXPECT_EQ(v.detailLevel, 2);
}

TEST(FitView, ShownRectangleIsShiftedBackIntoTheCityWithItsSize) {
  const ViewHistory h = cityHistory(0, 0, 10000, 10000);
  ViewState v = screen1000x800();
  fitView(v, h, 5000, 9500, 6000, 10000);  // 1250 m shown across, centred at 9750
  EXPECT_FLOAT_EQ(v.viewYMax, 10000.0f);
  EXPECT_FLOAT_EQ(v.viewYMin, 8750.0f);
  fitView(v, h, 5000, 0, 6000, 500);
  EXPECT_FLOAT_EQ(v.viewYMin, 0.0f);
  EXPECT_FLOAT_EQ(v.viewYMax, 1250.0f);
  fitView(v, h, 0, 1000, 100, 5000);  // north-south centred on 50
  EXPECT_FLOAT_EQ(v.viewXMin, 0.0f);
  EXPECT_NEAR(v.viewXMax - v.viewXMin, 200.0f / v.mmPerMetre, 1e-3);
}

TEST(FitView, HighEdgeWinsWhenTheCityIsNarrowerThanTheView) {
  const ViewHistory h = cityHistory(0, 0, 10000, 1000);
  ViewState v = screen1000x800();
  fitView(v, h, 0, 0, 1000, 1000);  // 1250 m across in a 1000 m wide city
  EXPECT_FLOAT_EQ(v.viewYMax, 1000.0f);
  EXPECT_FLOAT_EQ(v.viewYMin, -250.0f);
}

TEST(FitView, WithoutACityExtentNothingIsClamped) {
  ViewState v = screen1000x800();
  fitView(v, ViewHistory{}, 0, -5000, 1000, -4000);
  EXPECT_EQ(v.scaleDenominator, 5000);
  EXPECT_FLOAT_EQ(v.viewYMin, -4500.0f - 625.0f);
}

// 1 metre per pixel: 0.25 mm per metre at 4 pixels per millimetre.
ViewState onePixelPerMetre() {
  ViewState v = screen1000x800();
  v.mmPerMetre = 0.25;
  v.viewXMin = 1000;
  v.viewYMin = 2000;
  v.viewXMax = 1800;
  v.viewYMax = 3000;
  return v;
}

TEST(MapToScreen, RoundsHalfAndFlipsNorthUp) {
  const ViewState v = onePixelPerMetre();
  int32_t sx = 0, sy = 0;
  mapToScreen(v, 1100, 2050, sx, sy);
  EXPECT_EQ(sx, 50);
  EXPECT_EQ(sy, 699);  // trunc(800 - 100.5)
  mapToScreen(v, 1000, 2000.6f, sx, sy);
  EXPECT_EQ(sx, 1);
  EXPECT_EQ(sy, 799);
}

TEST(MapToScreen, TruncatesTowardZeroNotDown) {
  const ViewState v = onePixelPerMetre();
  int32_t sx = 0, sy = 0;
  mapToScreen(v, 1800.7f, 1989.3f, sx, sy);  // -10.7 + 0.5 and 800 - 801.2
  EXPECT_EQ(sx, -10);
  EXPECT_EQ(sy, -1);
}

TEST(MapToScreen, ClampsToPlusMinus32000) {
  const ViewState v = onePixelPerMetre();
  struct Row {
    float y;
    int32_t sx;
  };
  const Row rows[] = {{2000.0f + 31999.0f, 31999},
                      {2000.0f + 32000.0f, 32000},
                      {2000.0f + 32001.0f, 32000},
                      {2000.0f - 32000.0f, -31999},
                      {2000.0f - 32001.0f, -32000},
                      {2000.0f - 32003.0f, -32000},
                      {1e30f, 32000},
                      {-1e30f, -32000},
                      // Fractions next to the limits truncate towards zero.
                      {2000.0f + 32000.375f, 32000},
                      {2000.0f - 32000.375f, -31999},
                      {2000.0f - 32000.625f, -32000},
                      {2000.0f - 32001.625f, -32000},
                      {2000.0f - 0.75f, 0},
                      {std::numeric_limits<float>::quiet_NaN(), 0},
                      {std::numeric_limits<float>::infinity(), 32000}};
  for (const Row& r : rows) {
    int32_t sx = 0, sy = 0;
    mapToScreen(v, 1000, r.y, sx, sy);
    EXPECT_EQ(sx, r.sx) << r.y;
  }
  int32_t sx = 0, sy = 0;
  mapToScreen(v, 1e30f, 2000, sx, sy);
  EXPECT_EQ(sy, -32000);
  mapToScreen(v, -1e30f, 2000, sx, sy);
  EXPECT_EQ(sy, 32000);
}

TEST(ScreenToMap, InvertsTheConversion) {
  const ViewState v = onePixelPerMetre();
  float x = 0, y = 0;
  screenToMap(v, 50, 699, x, y);
  EXPECT_FLOAT_EQ(x, 1101.0f);
  EXPECT_FLOAT_EQ(y, 2050.0f);
  screenToMap(v, 0, 800, x, y);
  EXPECT_FLOAT_EQ(x, 1000.0f);
  EXPECT_FLOAT_EQ(y, 2000.0f);
}

TEST(ScreenToMap, ExtremePixelsDoNotOverflow) {
  ViewState v = onePixelPerMetre();
  v.viewLeft = 10;  // a printed page's drawing area need not start at 0
  constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
  float x = 0, y = 0;
  screenToMap(v, kMin, kMin, x, y);
  EXPECT_GT(x, 2.0e9f);
  EXPECT_LT(y, -2.0e9f);
}

TEST(ProjectPoints, DropsOnlyConsecutiveDuplicatePixels) {
  const ViewState v = onePixelPerMetre();
  const std::vector<MapPoint> pts = {
      {1100, 2050}, {1100.2f, 2050.1f}, {1100, 2060}, {1100, 2050}, {1100, 2050}};
  std::vector<ScreenPoint> out(pts.size());
  const int n = projectPoints(v, pts, out.data());
  ASSERT_EQ(n, 3);
  EXPECT_EQ(out[0], (ScreenPoint{50, 699}));
  EXPECT_EQ(out[1], (ScreenPoint{60, 699}));
  EXPECT_EQ(out[2], (ScreenPoint{50, 699}));
  EXPECT_EQ(projectPoints(v, std::span<const MapPoint>(), out.data()), 0);
}

TEST(ProjectPoints, BoundedOutputStopsAtItsSize) {
  const ViewState v = onePixelPerMetre();
  const std::vector<MapPoint> pts = {{1100, 2050}, {1100, 2060}, {1100, 2070}};
  std::array<ScreenPoint, 3> out{};
  EXPECT_EQ(projectPoints(v, pts, std::span<ScreenPoint>(out.data(), 2)), 2);
  EXPECT_EQ(out[2], (ScreenPoint{}));
}

TEST(ProjectMetrePoints, ReadsCoordinatesAsWholeMetresBeyondSignedSixteenBits) {
  ViewState v = onePixelPerMetre();
  v.viewXMin = 39000;
  v.viewYMin = 40000;
  const std::vector<MetrePoint> pts = {{40000, 40100}, {40000, 40100}, {33000, 40000}};
  std::vector<ScreenPoint> out(pts.size());
  const int n = projectMetrePoints(v, pts, out.data());
  ASSERT_EQ(n, 2);
  EXPECT_EQ(out[0], (ScreenPoint{100, -200}));  // trunc(800 - 1000.5)
  EXPECT_EQ(out[1], (ScreenPoint{0, 6799}));
}

}  // namespace
}  // namespace tikhomap
