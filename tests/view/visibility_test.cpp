#include <gtest/gtest.h>

#include "view/visibility.h"

namespace tikhomap {
namespace {

ViewState viewOf(float xMin, float yMin, float xMax, float yMax) {
  ViewState v;
  v.viewXMin = xMin;
  v.viewYMin = yMin;
  v.viewXMax = xMax;
  v.viewYMax = yMax;
  return v;
}

TEST(PointInView, EdgesAreInside) {
  const ViewState v = viewOf(100, 200, 300, 400);
  struct Row {
    float x, y;
    bool in;
  };
  const Row rows[] = {{300, 250, true},     {300.01f, 250, false}, {100, 200, true},
                      {99.99f, 200, false}, {200, 400, true},      {200, 400.01f, false},
                      {100, 400, true},     {200, 199.99f, false}};
  for (const Row& r : rows) EXPECT_EQ(pointInView(v, r.x, r.y), r.in) << r.x << "," << r.y;
}

TEST(BoundsInView, OverlapIncludesTouchingAndCrossing) {
  const ViewState v = viewOf(100, 200, 300, 400);
  struct Row {
    MapBounds b;
    bool in;
    const char* what;
  };
  const Row rows[] = {
      {{0, 250, 1000, 260}, true, "thin feature crossing north to south, no corner inside"},
      {{150, 100, 160, 200}, true, "touching the western edge"},
      {{150, 100, 160, 199.9f}, false, "just west of the view"},
      {{300, 400, 310, 410}, true, "touching the north-east corner"},
      {{300.1f, 250, 500, 260}, false, "entirely north of the view"},
      {{0, 0, 1000, 1000}, true, "covering the whole view"},
      {{150, 250, 160, 260}, true, "inside"},
  };
  for (const Row& r : rows) EXPECT_EQ(boundsInView(v, r.b), r.in) << r.what;
}

TEST(RectsOverlap, IsSymmetricAndInclusive) {
  const MapBounds a{0, 0, 10, 10};
  const MapBounds cases[] = {
      {10, 10, 20, 20}, {-5, 3, 0, 4}, {10.001f, 0, 20, 10}, {2, 2, 3, 3}, {-1, -1, 11, 11}};
  const bool expected[] = {true, true, false, true, true};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(rectsOverlap(a, cases[i]), expected[i]) << i;
    EXPECT_EQ(rectsOverlap(cases[i], a), expected[i]) << i;
  }
}

TEST(PointInRect, Inclusive) {
  EXPECT_TRUE(pointInRect(0, 5, 0, 0, 10, 10));
  EXPECT_TRUE(pointInRect(10, 10, 0, 0, 10, 10));
  EXPECT_FALSE(pointInRect(10, 10.5f, 0, 0, 10, 10));
  EXPECT_FALSE(pointInRect(-0.5f, 5, 0, 0, 10, 10));
}

// Up the screen is north (+x) and right is east (+y), each axis at its own
// pixel size: 2 m a pixel across, 4 m a pixel down.
TEST(ReachInView, GrowsEachSideByItsOwnAxisScale) {
  ViewState v = viewOf(100, 100, 200, 200);
  v.mmPerMetre = 0.25;
  v.pixelsPerMmX = 2;
  v.pixelsPerMmY = 1;
  const PixelMetres m = pixelMetres(v);
  EXPECT_FLOAT_EQ(m.across, 2);
  EXPECT_FLOAT_EQ(m.down, 4);
  const MapBounds south{60, 140, 80, 160};  // 20 m short of the southern edge
  EXPECT_FALSE(reachInView(v, m, south, ScreenReach{}));
  EXPECT_TRUE(reachInView(v, m, south, ScreenReach{0, 5, 0, 0}));
  EXPECT_FALSE(reachInView(v, m, south, ScreenReach{0, 4, 0, 0}));
  EXPECT_FALSE(reachInView(v, m, south, ScreenReach{10, 0, 10, 10}));  // the other sides
  const MapBounds west{140, 60, 160, 80};  // 20 m short of the western edge
  EXPECT_TRUE(reachInView(v, m, west, ScreenReach{0, 0, 10, 0}));
  EXPECT_FALSE(reachInView(v, m, west, ScreenReach{0, 0, 9, 0}));
  EXPECT_FALSE(reachInView(v, m, west, ScreenReach{10, 10, 0, 10}));
  const MapBounds north{220, 140, 240, 160};
  EXPECT_TRUE(reachInView(v, m, north, ScreenReach{0, 0, 0, 5}));
  const MapBounds east{140, 220, 160, 240};
  EXPECT_TRUE(reachInView(v, m, east, ScreenReach{10, 0, 0, 0}));
  EXPECT_FALSE(reachInView(v, m, east, ScreenReach{9, 0, 0, 0}));
  // Without a scale nothing grows.
  const PixelMetres none = pixelMetres(ViewState{});
  EXPECT_FALSE(reachInView(v, none, south, ScreenReach{0, 1000, 0, 0}));
}

}  // namespace
}  // namespace tikhomap
