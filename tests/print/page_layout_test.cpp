// The page: printer pixels and millimetres, the asked rectangle filling the
// page height at a true scale, the width widened or narrowed around its
// centre, the detail level of the page's scale.
#include "print/page_layout.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tikhomap {
namespace {

TEST(PageLayoutTest, PortraitPageWidensATallViewAroundItsCentre) {
  const PrinterMetrics a4 = metricsAt(4960, 7016, 600);
  ViewState page;
  ASSERT_TRUE(layoutPage(a4, {1000, 2000, 2000, 2400}, page));
  EXPECT_EQ(page.viewLeft, 0);
  EXPECT_EQ(page.viewTop, 0);
  EXPECT_EQ(page.viewRight, 4960);
  EXPECT_EQ(page.viewBottom, 7016);
  EXPECT_FLOAT_EQ(page.pixelsPerMmX, 600 / 25.4f);
  EXPECT_FLOAT_EQ(page.screenHeightMm, 7016 * 25.4f / 600);
  // The north-south extent fills the height exactly ...
  EXPECT_FLOAT_EQ(page.viewXMin, 1000);
  EXPECT_FLOAT_EQ(page.viewXMax, 2000);
  EXPECT_DOUBLE_EQ(page.mmPerMetre, a4.vertSizeMm / 1000.0);
  // ... and the page is wider than the 400 m asked: w > 0 on both sides.
  const double widthMetres = a4.horzSizeMm / page.mmPerMetre;
  EXPECT_LT(page.viewYMin, 2000);
  EXPECT_GT(page.viewYMax, 2400);
  EXPECT_NEAR(page.viewYMax - page.viewYMin, widthMetres, 0.01);
  EXPECT_NEAR((page.viewYMin + page.viewYMax) / 2, 2200, 0.01);
  EXPECT_EQ(page.detailLevel, 2);
}

TEST(PageLayoutTest, LandscapePageCutsAVeryWideViewAtTheSides) {
  const PrinterMetrics landscape = metricsAt(7016, 4960, 600);
  ViewState page;
  ASSERT_TRUE(layoutPage(landscape, {1000, 0, 1200, 2000}, page));
  EXPECT_FLOAT_EQ(page.viewXMax - page.viewXMin, 200);
  // 297 mm at 1:190 hold about 283 m of the 2000 m asked: w < 0.
  EXPECT_GT(page.viewYMin, 0);
  EXPECT_LT(page.viewYMax, 2000);
  EXPECT_NEAR(page.viewYMax - page.viewYMin, landscape.horzSizeMm / page.mmPerMetre, 0.01);
  EXPECT_NEAR((page.viewYMin + page.viewYMax) / 2, 1000, 0.01);
  EXPECT_EQ(page.detailLevel, 4);
}

TEST(PageLayoutTest, DetailLevelFollowsThePageScaleAtTheScreenThresholds) {
  // A page 100 mm high: a rectangle of d metres north-south prints at
  // 100 / d mm per metre.
  const PrinterMetrics square = metricsAt(1000, 1000, 254);
  ASSERT_FLOAT_EQ(square.vertSizeMm, 100);
  const struct {
    float metres;
    int level;
  } rows[] = {{1001, 0}, {1000, 1}, {401, 1}, {400, 2}, {201, 2}, {200, 3},
              {101, 3},  {100, 4},  {46, 4},  {45, 5},  {16, 5}};
  for (const auto& row : rows) {
    ViewState page;
    ASSERT_TRUE(layoutPage(square, {0, 0, row.metres, 100}, page));
    EXPECT_EQ(page.detailLevel, row.level) << row.metres << " m";
  }
}

TEST(PageLayoutTest, RefusesWhatCannotBeLaidOutAndLeavesThePageAsItWas) {
  ViewState page;
  page.viewRight = 123;
  EXPECT_FALSE(layoutPage(metricsAt(800, 1000, 100), {500, 0, 500, 100}, page));
  EXPECT_FALSE(layoutPage(metricsAt(800, 1000, 100), {600, 0, 500, 100}, page));
  EXPECT_FALSE(layoutPage(metricsAt(800, 1000, 0), {0, 0, 500, 100}, page));
  EXPECT_FALSE(layoutPage(metricsAt(0, 1000, 100), {0, 0, 500, 100}, page));
  // Larger than 16-bit pixels can hold.
  EXPECT_FALSE(layoutPage(metricsAt(40000, 56000, 4800), {0, 0, 500, 100}, page));
  EXPECT_EQ(page.viewRight, 123);
}

TEST(PageLayoutTest, FrameIsHalfAMillimetreAndNumbersNeedFiveMillimetres) {
  ViewState page;
  ASSERT_TRUE(layoutPage(metricsAt(4960, 7016, 600), {0, 0, 1188, 100}, page));
  EXPECT_EQ(pageFrameWidth(page), 11);  // 23.6 pixels per mm
  ASSERT_TRUE(layoutPage(metricsAt(1000, 1000, 254), {0, 0, 400, 100}, page));
  EXPECT_EQ(labelMinSize(page), 20);  // 1:4000
  ASSERT_TRUE(layoutPage(metricsAt(1000, 1000, 254), {0, 0, 1000, 100}, page));
  EXPECT_EQ(labelMinSize(page), 50);  // 1:10000
  ASSERT_TRUE(layoutPage(metricsAt(250, 350, 30), {0, 0, 1188, 100}, page));
  EXPECT_EQ(pageFrameWidth(page), 1);  // never thinner than a pixel
}

}  // namespace
}  // namespace tikhomap
