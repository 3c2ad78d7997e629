#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

#include "view/geometry.h"

namespace tikhomap {
namespace {

// A diamond with its corners on the lines x = 0, 5, 10 and y = 0, 5, 10, so
// that many test points have a vertex on their ray's line.
const std::vector<MapPoint> kDiamond = {{0, 5}, {5, 10}, {10, 5}, {5, 0}};

struct Row {
  float x, y;
  bool inside;
  const char* what;
};

const Row kDiamondRows[] = {
    {4, 4, true, "plain inside"},
    {9, 9, false, "plain outside, beside an edge"},
    {-1, 3, false, "south of the diamond"},
    {2, 5, true, "y line through two vertices: east ray"},
    {8, 5, true, "y line through two vertices, northern half"},
    {12, 5, false, "y line through vertices, north of the diamond"},
    {-3, 5, false, "y line through vertices, south of the diamond"},
    {5, 5, true, "both lines through vertices: moved north one step"},
    {10, 0, false, "both lines through vertices, outside"},
    {0, 0, false, "both lines through vertices, outside in the south-west"},
    {5, 20, false, "on the x line of two vertices, far east"},
};

TEST(PointInPolygon, DiamondRows) {
  for (const Row& r : kDiamondRows) {
    EXPECT_EQ(pointInPolygon(kDiamond, r.x, r.y), r.inside) << r.what;
  }
}

TEST(PointInPolygon, RepeatedLastVertexChangesNothing) {
  std::vector<MapPoint> closed = kDiamond;
  closed.push_back({0.0005f, 5.0009f});  // within a millimetre of the first
  for (const Row& r : kDiamondRows) {
    EXPECT_EQ(pointInPolygon(closed, r.x, r.y), r.inside) << r.what;
  }
  std::vector<MetrePoint> closed16 = {{0, 5}, {5, 10}, {10, 5}, {5, 0}, {0, 5}};
  for (const Row& r : kDiamondRows) {
    EXPECT_EQ(pointInMetrePolygon(closed16, r.x, r.y), r.inside) << r.what;
  }
}

TEST(PointInPolygon, ConcaveOutline) {
  // A U open to the north: the notch between y = 4 and y = 6 is outside.
  const std::vector<MapPoint> u = {{0, 0}, {0, 10}, {10, 10}, {10, 6},
                                   {3, 6}, {3, 4},  {10, 4},  {10, 0}};
  EXPECT_TRUE(pointInPolygon(u, 5, 2));
  EXPECT_TRUE(pointInPolygon(u, 5, 8));
  EXPECT_TRUE(pointInPolygon(u, 1.5f, 5));
  EXPECT_FALSE(pointInPolygon(u, 5, 5));
  EXPECT_FALSE(pointInPolygon(u, 5, 4.5f));
  // The line y = 6 meets vertices; moved along x it passes no vertex.
  EXPECT_TRUE(pointInPolygon(u, 1.5f, 6));
  EXPECT_FALSE(pointInPolygon(u, 11, 6));
}

TEST(PointInPolygon, FewVerticesAreNeverInside) {
  EXPECT_FALSE(pointInPolygon({}, 0, 0));
  const std::vector<MapPoint> one = {{3, 3}};
  EXPECT_FALSE(pointInPolygon(one, 3, 3));
  const std::vector<MapPoint> two = {{0, 0}, {10, 10}};
  EXPECT_FALSE(pointInPolygon(two, 5, 5));
  EXPECT_FALSE(pointInPolygon(two, 5, 4));
}

TEST(PointInPolygon, StepAlongXEndsWhenTheFloatCanNoLongerMove) {
  // At 2^25 a step of one metre is lost in float32; every x line the point
  // could move to keeps passing through the vertex.
  const float far = 33554432.0f;
  const std::vector<MapPoint> square = {{far, 0}, {far, 10}, {far + 8, 10}, {far + 8, 0}};
  EXPECT_FALSE(pointInPolygon(square, far, 0));
}

TEST(PointInPolygon, MovesPastARunOfVerticesOnConsecutiveLines) {
  // The southern side has vertices on x = 1, 2, 3, 4 and the western side a
  // vertex on y = 0: the point (1, 0) inside has to move four times before
  // its x line is free, and is still inside there.
  const std::vector<MapPoint> outline = {{0, -10},  {1, -5},  {2, -5}, {3, -5}, {4, -5},
                                         {10, -10}, {10, 10}, {0, 10}, {0, 0}};
  EXPECT_TRUE(pointInPolygon(outline, 1, 0));
  EXPECT_TRUE(pointInPolygon(outline, 2, 0));
  EXPECT_FALSE(pointInPolygon(outline, 11, 0));
  EXPECT_FALSE(pointInPolygon(outline, -1, 0));
}

TEST(PointInMetrePolygon, ReadsVerticesAsWholeMetresBeyondSignedSixteenBits) {
  const std::vector<MetrePoint> square = {
      {40000, 40000}, {40000, 40010}, {40010, 40010}, {40010, 40000}};
  EXPECT_TRUE(pointInMetrePolygon(square, 40005, 40005));
  EXPECT_FALSE(pointInMetrePolygon(square, 40015, 40005));
  EXPECT_FALSE(pointInMetrePolygon(square, -25531, -25531));
}

TEST(PointInPolygonPx, PixelVerticesIncludingNegativeAndExtremeValues) {
  const std::vector<ScreenPoint> tri = {{-100, -100}, {100, -100}, {0, 100}};
  EXPECT_TRUE(pointInPolygonPx(tri, 0, 0));
  EXPECT_FALSE(pointInPolygonPx(tri, 90, 90));
  const std::vector<ScreenPoint> diamond = {{0, 50}, {50, 100}, {100, 50}, {50, 0}};
  EXPECT_TRUE(pointInPolygonPx(diamond, 50, 50));  // both lines through vertices
  EXPECT_FALSE(pointInPolygonPx(diamond, 100, 0));
  constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
  const std::vector<ScreenPoint> edge = {{kMax, 0}, {kMax, 10}, {kMax - 8, 10}};
  EXPECT_FALSE(pointInPolygonPx(edge, kMax, 0));  // the step past INT32_MAX does not wrap
}

}  // namespace
}  // namespace tikhomap
