// Arrow panning and the zoom characters computed from the visible window.
#include <gtest/gtest.h>

#include "view/view_keys.h"

namespace tikhomap {
namespace {

const MapBounds kCity{0, 0, 2000, 3000};

ViewState visible(float xMin, float yMin, float xMax, float yMax) {
  ViewState v;
  v.viewXMin = xMin;
  v.viewYMin = yMin;
  v.viewXMax = xMax;
  v.viewYMax = yMax;
  return v;
}

TEST(ViewKeysTest, PanningMovesHalfAViewAndStopsAtTheCityEdgeKeepingTheSize) {
  const ViewState v = visible(800, 1000, 1200, 1600);  // 400 high, 600 wide
  EXPECT_EQ(panView(v, kCity, PanDirection::Right), (MapBounds{800, 1300, 1200, 1900}));
  EXPECT_EQ(panView(v, kCity, PanDirection::Left), (MapBounds{800, 700, 1200, 1300}));
  EXPECT_EQ(panView(v, kCity, PanDirection::Up), (MapBounds{1000, 1000, 1400, 1600}));
  EXPECT_EQ(panView(v, kCity, PanDirection::Down), (MapBounds{600, 1000, 1000, 1600}));

  const ViewState edge = visible(1700, 2600, 1900, 2900);
  EXPECT_EQ(panView(edge, kCity, PanDirection::Right), (MapBounds{1700, 2700, 1900, 3000}));
  EXPECT_EQ(panView(edge, kCity, PanDirection::Up), (MapBounds{1800, 2600, 2000, 2900}));
  const ViewState west = visible(50, 40, 250, 340);
  EXPECT_EQ(panView(west, kCity, PanDirection::Left), (MapBounds{50, 0, 250, 300}));
  EXPECT_EQ(panView(west, kCity, PanDirection::Down), (MapBounds{0, 40, 200, 340}));
}

TEST(ViewKeysTest, ZoomCharactersMoveEachSideByTheirShare) {
  const ViewState v = visible(800, 900, 1400, 2100);  // 600 high, 1200 wide
  MapBounds r;
  ASSERT_TRUE(zoomView(v, kCity, '*', r));
  EXPECT_EQ(r, (MapBounds{1000, 1300, 1200, 1700}));
  ASSERT_TRUE(zoomView(v, kCity, '+', r));
  EXPECT_EQ(r, (MapBounds{950, 1200, 1250, 1800}));
  ASSERT_TRUE(zoomView(v, kCity, '-', r));
  EXPECT_EQ(r, (MapBounds{680, 660, 1520, 2340}));
  ASSERT_TRUE(zoomView(v, kCity, '/', r));
  EXPECT_EQ(r, (MapBounds{200, 0, 2000, 3000}));  // each side clamped on its own
  EXPECT_FALSE(zoomView(v, kCity, 'a', r));
  EXPECT_FALSE(zoomView(v, kCity, '=', r));
  EXPECT_TRUE(beepsOnRefusal('-'));
  EXPECT_TRUE(beepsOnRefusal('/'));
  EXPECT_FALSE(beepsOnRefusal('*'));
}

}  // namespace
}  // namespace tikhomap
