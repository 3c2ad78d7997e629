#include "view/geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace tikhomap {
namespace {

TEST(PointDistance, TinyDistancesAreExactlyZero) {
  EXPECT_FLOAT_EQ(pointDistance(0, 0, 3, 4), 5.0f);
  EXPECT_FLOAT_EQ(pointDistance(3, 4, 0, 0), 5.0f);
  EXPECT_EQ(pointDistance(1000, 1000, 1000, 1000), 0.0f);
  EXPECT_EQ(pointDistance(0, 0, 1e-6f, 0), 0.0f);  // squared 1e-12
  EXPECT_GT(pointDistance(0, 0, 1e-4f, 0), 0.0f);  // squared 1e-8
}

TEST(Lines, CoefficientsValuesAndDistances) {
  const Line l = lineThrough(0, 0, 10, 0);  // the x axis: y = 0
  EXPECT_EQ(l.a, 0.0f);
  EXPECT_EQ(l.b, 10.0f);
  EXPECT_EQ(l.c, 0.0f);
  EXPECT_GT(lineValue(5, 3, l), 0.0f);
  EXPECT_LT(lineValue(5, -3, l), 0.0f);
  EXPECT_FLOAT_EQ(distanceToLine(5, -3, l), 3.0f);
  EXPECT_FLOAT_EQ(distanceToSegmentLine(100, 3, 0, 0, 10, 0), 3.0f);  // the line, not the segment
  const Line d = lineThrough(2, 1, 5, 4);
  EXPECT_FLOAT_EQ(lineValue(8, 7, d), 0.0f);
  EXPECT_FLOAT_EQ(d.c, (2.0f - 5.0f) * 1.0f + (4.0f - 1.0f) * 2.0f);
}

TEST(Lines, CoincidentPointsGiveTheDistanceToThatPoint) {
  EXPECT_FLOAT_EQ(distanceToSegmentLine(3, 4, 0, 0, 0, 0), 5.0f);
  EXPECT_TRUE(std::isinf(distanceToLine(1, 1, Line{0, 0, 0})));
  EXPECT_TRUE(pointNearSegment(7, 7, 7, 7, 7, 7, 0));
  EXPECT_TRUE(pointNearSegment(8, 7, 7, 7, 7, 7, 1.5f));
  EXPECT_FALSE(pointNearSegment(8, 8, 7, 7, 7, 7, 1.2f));  // round within the square box
}

TEST(Boxes, CornerOrderAndTolerance) {
  const CornerBox b = segmentBox(10, 2, 4, 8);
  EXPECT_EQ(b, (CornerBox{4, 8, 10, 2}));
  EXPECT_TRUE(pointInBox(3, 5, b, 1));
  EXPECT_FALSE(pointInBox(2.9f, 5, b, 1));
  EXPECT_TRUE(pointInBox(10, 8, b, 0));
  EXPECT_FALSE(pointInBox(10, 8.01f, b, 0));
  EXPECT_TRUE(boxesOverlap(b, CornerBox{11, 20, 12, 9}, 1));  // corner within tolerance
  EXPECT_FALSE(boxesOverlap(b, CornerBox{11, 20, 12, 9}, 0.5f));
  EXPECT_TRUE(boxesOverlap(b, CornerBox{10, 8, 12, 8}, 0));  // touching corner
}

TEST(PointNearSegment, ToleranceRows) {
  struct Row {
    float px, py, tol;
    bool near;
    const char* what;
  };
  // Segment along y from (0,0) to (0,20).
  const Row rows[] = {
      {3, 10, 5, true, "3 m beside the middle, tolerance 5"},
      {3, 10, 2, false, "3 m beside the middle, tolerance 2"},
      {0, 24, 5, true, "4 m beyond the end on its line: square cap"},
      {0, 25, 5, true, "5 m beyond the end: box edge"},
      {0, 25.1f, 5, false, "just past the widened box"},
      {4, 24, 5, true, "diagonal beyond the end is inside the square cap"},
      {0, 10, 0, true, "on the segment, tolerance 0"},
      {0.001f, 10, 0, false, "off the segment, tolerance 0"},
      {0, 20.001f, 0, false, "past the end, tolerance 0"},
      {0, 10, -3, true, "negative tolerance means epsilon"},
      {0.5f, 10, -3, false, "negative tolerance is no wider than epsilon"},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(pointNearSegment(r.px, r.py, 0, 0, 0, 20, r.tol), r.near) << r.what;
  }
}

TEST(PointNearPolyline, TriesEverySegmentAndNeedsTwoPoints) {
  const std::vector<MapPoint> pts = {{0, 0}, {0, 20}, {20, 20}};
  EXPECT_TRUE(pointNearPolyline(10, 21, pts, 2));   // second segment
  EXPECT_FALSE(pointNearPolyline(10, 10, pts, 2));  // inside the corner, far from both
  const std::vector<MapPoint> one = {{0, 0}};
  EXPECT_FALSE(pointNearPolyline(0, 0, one, 100));
  EXPECT_FALSE(pointNearPolyline(0, 0, {}, 100));
}

TEST(SegmentsCross, TouchingCollinearAndParallel) {
  struct Row {
    Segment s, t;
    bool cross;
    const char* what;
  };
  const Row rows[] = {
      {{0, 0, 10, 10}, {0, 10, 10, 0}, true, "an X"},
      {{0, 0, 10, 0}, {10, 0, 10, 10}, true, "meeting at an endpoint"},
      {{0, 0, 10, 0}, {5, 0, 5, 10}, true, "T junction"},
      {{0, 0, 10, 0}, {0, 1, 10, 1}, false, "parallel, not collinear"},
      {{0, 0, 10, 10}, {1, 0, 11, 10}, false, "parallel with overlapping boxes"},
      {{0, 0, 10, 0}, {5, 0, 15, 0}, true, "collinear and overlapping"},
      {{0, 0, 10, 0}, {11, 0, 15, 0}, false, "collinear, apart"},
      {{0, 0, 10, 10}, {0, 10, 4, 6}, false, "would cross if extended"},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(segmentsCross(r.s, r.t), r.cross) << r.what;
    EXPECT_EQ(segmentsCross(r.t, r.s), r.cross) << r.what << " (swapped)";
  }
}

}  // namespace
}  // namespace tikhomap
