#include "tools/measurement.h"

#include <gtest/gtest.h>

namespace tikhomap {
namespace {

MapFeature streetLine(int16_t code, std::vector<MapPoint> points) {
  MapFeature f;
  f.code = code;
  f.pointCount = static_cast<int16_t>(points.size());
  f.points = std::move(points);
  f.bounds = {f.points[0].x, f.points[0].y, f.points[0].x, f.points[0].y};
  for (const MapPoint& p : f.points) {
    f.bounds.xMin = std::min(f.bounds.xMin, p.x);
    f.bounds.yMin = std::min(f.bounds.yMin, p.y);
    f.bounds.xMax = std::max(f.bounds.xMax, p.x);
    f.bounds.yMax = std::max(f.bounds.yMax, p.y);
  }
  return f;
}

// A zigzag street running east, and a side street from the north that
// meets its vertex 3.
class MeasureFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    map.streetLines.push_back(
        streetLine(7, {{0, 0}, {10, 100}, {0, 200}, {10, 300}, {0, 400}}));       // row 0
    map.streetLines.push_back(streetLine(8, {{61, 290}, {31, 296}, {11, 301}}));  // row 1
    view.mmPerMetre = 0.5;                                                        // 1:2000
    view.detailLevel = 3;  // tolerance 2 * 3 / 0.5 = 12 m
  }

  // Points from `from` on.
  std::vector<MapPoint> pointsFrom(size_t from) const {
    return {state.measurePoints.begin() + static_cast<std::ptrdiff_t>(from),
            state.measurePoints.end()};
  }

  MapData map;
  ViewState view;
  MeasureState state;
  MeasureContext context{map, view, 0};
};

TEST_F(MeasureFixture, StraightTriangleReadsLengthAndAreaInTheUnitsOfTheDetailLevel) {
  view.detailLevel = 2;
  startMeasurement(state, false);
  AddPointResult r = addMeasurePoint(state, context, {0, 0});
  EXPECT_FALSE(r.readings.length.has_value());
  EXPECT_FALSE(r.readings.area.has_value());
  r = addMeasurePoint(state, context, {300, 0});
  EXPECT_EQ(r.readings.length, " 300.0 м");
  EXPECT_FALSE(r.readings.area.has_value());
  r = addMeasurePoint(state, context, {300, 400});
  EXPECT_FALSE(r.beep);
  EXPECT_EQ(r.readings.length, " 700.0 м");
  EXPECT_EQ(r.readings.area, " 6.0 га");

  view.detailLevel = 3;
  r = addMeasurePoint(state, context, {300, 400});  // a repeated point adds nothing
  EXPECT_EQ(r.readings.length, " 700.0 м");
  EXPECT_EQ(r.readings.area, " 60000.0 кв.м");
}

TEST_F(MeasureFixture, CoarseLevelsReadKilometres) {
  view.detailLevel = 1;
  startMeasurement(state, false);
  addMeasurePoint(state, context, {0, 0});
  const AddPointResult r = addMeasurePoint(state, context, {0, 1234});
  EXPECT_EQ(r.readings.length, " 1.2 км");
  const auto pointer = pointerReadings(state, {300, 1634}, view.detailLevel);
  ASSERT_TRUE(pointer.has_value());
  EXPECT_EQ(pointer->currentLength, " 0.500 км");
  // Easting difference first, then northing.
  EXPECT_EQ(pointer->offset, "400.0, 300.0");
  EXPECT_EQ(pointerReadings(state, {300, 1634}, 2)->currentLength, " 500.0 м");
}

TEST_F(MeasureFixture, PointerReadingsNeedAFixedPoint) {
  startMeasurement(state, false);
  EXPECT_FALSE(pointerReadings(state, {1, 1}, 3).has_value());
  addMeasurePoint(state, context, {10, 20});
  const auto r = pointerReadings(state, {10, 20}, 3);
  ASSERT_TRUE(r.has_value());
  EXPECT_EQ(r->currentLength, " 0.0 м");
  EXPECT_EQ(r->offset, "0.0, 0.0");
  EXPECT_EQ(pointerReadings(state, {7.5f, 21.25f}, 3)->offset, "1.2, -2.5");
}

TEST_F(MeasureFixture, AreaIsTheShoelaceOfTheClosedPolygonWhateverTheWindingOrder) {
  const std::vector<MapPoint> square = {{0, 0}, {0, 100}, {100, 100}, {100, 0}};
  EXPECT_DOUBLE_EQ(measuredArea(square), 10000.0);
  const std::vector<MapPoint> reversed(square.rbegin(), square.rend());
  EXPECT_DOUBLE_EQ(measuredArea(reversed), 10000.0);
  EXPECT_DOUBLE_EQ(measuredLength(square), 300.0);  // not closed
  EXPECT_DOUBLE_EQ(measuredArea(std::vector<MapPoint>{{0, 0}, {5, 5}}), 0.0);
}

TEST_F(MeasureFixture, TheArrayGrowsByHundredsWithoutALimit) {
  startMeasurement(state, false);
  EXPECT_EQ(state.measureCapacity, 100);
  for (int i = 0; i < 250; ++i) addMeasurePoint(state, context, {0, static_cast<float>(i)});
  EXPECT_EQ(state.measureCount(), 250);
  EXPECT_EQ(state.measureCapacity, 300);
  EXPECT_DOUBLE_EQ(measuredLength(state.measurePoints), 249.0);
}

TEST_F(MeasureFixture, SnapPullsThePointOntoTheFootOnTheFirstQualifyingSegment) {
  MapPoint q{9, 50};  // 4 m beside segment 0 at easting 50 (the line is x = y / 10)
  int32_t segment = -1;
  ASSERT_EQ(snapToStreet(context, q, segment), 0);
  EXPECT_EQ(segment, 0);
  // Foot of the perpendicular: on the line, closer to the start.
  EXPECT_NEAR(q.x, 5.0396f, 0.001f);
  EXPECT_NEAR(q.y, 50.396f, 0.001f);

  MapPoint far{9, 50};
  view.detailLevel = 1;  // 4 m tolerance: 3.98 m away still snaps
  EXPECT_EQ(snapToStreet(context, far, segment), 0);
  view.detailLevel = 0;  // no tolerance at all: nothing snaps, not even on the line
  MapPoint on{5, 50};
  EXPECT_EQ(snapToStreet(context, on, segment), -1);
  EXPECT_EQ(on.x, 5);
}

TEST_F(MeasureFixture, SnapNeedsThePointNearTheLineBoxAndStopsAtTheFirstCandidate) {
  int32_t segment = 0;
  MapPoint outside{-13, 50};  // south of the bounds by more than the tolerance
  EXPECT_EQ(snapToStreet(context, outside, segment), -1);
  // A street running exactly east has a box without width; a click beside it
  // still snaps.
  map.streetLines.push_back(streetLine(11, {{500, 0}, {500, 400}}));
  MapPoint beside{504, 200};
  EXPECT_EQ(snapToStreet(context, beside, segment), 2);
  EXPECT_EQ(beside, (MapPoint{500, 200}));
  map.streetLines.pop_back();

  // A first line that passes near the point but whose foot falls beyond its
  // segment ends the search, although a later line runs through the point.
  MapFeature stub = streetLine(9, {{100, 100}, {110, 110}});
  stub.bounds = {100, 100, 120, 120};
  map.streetLines.insert(map.streetLines.begin(), stub);
  map.streetLines.push_back(streetLine(10, {{100, 126}, {126, 100}}));
  MapPoint beyond{113, 113};
  EXPECT_EQ(snapToStreet(context, beyond, segment), -1);

  // Records before firstStreetLine are not looked at.
  context.firstStreetLine = 1;
  MapPoint beyond2{113, 113};
  EXPECT_EQ(snapToStreet(context, beyond2, segment), 3);
}

TEST_F(MeasureFixture, StreetsRunningExactlyNorthOrEastSnapWhereverTheyLie) {
  // Far from the origin the foot on such a street is a rounding step off
  // its line unless it is worked out carefully.
  const struct {
    MapPoint a, b, click, foot;
  } rows[] = {
      {{1000, 0}, {1000, 8599}, {1004, 4299.5f}, {1000, 4299.5f}},
      {{1000, 0}, {1000, 14065}, {996, 7032.5f}, {1000, 7032.5f}},
      {{0, 1000}, {8599, 1000}, {4299.5f, 1004}, {4299.5f, 1000}},
  };
  for (const auto& row : rows) {
    map.streetLines = {streetLine(12, {row.a, row.b})};
    MapPoint q = row.click;
    int32_t segment = -1;
    EXPECT_EQ(snapToStreet(context, q, segment), 0) << row.b.y;
    EXPECT_EQ(segment, 0);
    EXPECT_EQ(q, row.foot) << row.b.y;
  }
}

TEST_F(MeasureFixture, AlongAStreetThePathTakesEveryVertexInTheDirectionOfTravel) {
  startMeasurement(state, true);
  EXPECT_FALSE(addMeasurePoint(state, context, {5, 50}).beep);
  const AddPointResult r = addMeasurePoint(state, context, {5, 350});
  EXPECT_FALSE(r.beep);
  const std::vector<MapPoint> east = {{5, 50}, {10, 100}, {0, 200}, {10, 300}, {5, 350}};
  EXPECT_EQ(pointsFrom(0), east);
  EXPECT_EQ(state.snapLine, 0);
  EXPECT_EQ(state.snapSegment, 3);
  // The length follows the zigzag, not the straight 300 m.
  EXPECT_NEAR(measuredLength(state.measurePoints), 2 * 100.499 + 2 * 50.249, 0.01);

  // And back west to segment 1.
  addMeasurePoint(state, context, {5, 150});
  const std::vector<MapPoint> back = pointsFrom(5);
  const std::vector<MapPoint> west = {{10, 300}, {0, 200}, {5, 150}};
  EXPECT_EQ(back, west);

  // Two clicks on the same segment: only the new point.
  addMeasurePoint(state, context, {7.5f, 125});
  EXPECT_EQ(state.measureCount(), 9);
}

TEST_F(MeasureFixture, AnotherStreetIsReachedThroughTheirJunction) {
  startMeasurement(state, true);
  addMeasurePoint(state, context, {5, 50});    // street 7, segment 0
  addMeasurePoint(state, context, {46, 293});  // street 8, segment 0
  const std::vector<MapPoint> expected = {{5, 50},   {10, 100}, {0, 200}, {10, 300},
                                          {11, 301}, {31, 296}, {46, 293}};
  ASSERT_EQ(state.measureCount(), 7);
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_NEAR(state.measurePoints[i].x, expected[i].x, 0.01f) << i;
    EXPECT_NEAR(state.measurePoints[i].y, expected[i].y, 0.01f) << i;
  }
  EXPECT_EQ(state.snapLine, 1);
  EXPECT_EQ(state.snapSegment, 0);

  // Back onto the first street: the old line is walked up to the junction
  // vertex; the click lies on the segment that starts at the junction, so
  // nothing of the new line comes before it.
  addMeasurePoint(state, context, {5, 350});
  const std::vector<MapPoint> tail = pointsFrom(7);
  const std::vector<MapPoint> path = {{31, 296}, {11, 301}, {5, 350}};
  EXPECT_EQ(tail, path);
}

TEST_F(MeasureFixture, StreetsWithoutAJunctionMakeThePathJump) {
  // Same code and vertex count as street 7, but elsewhere: a different line.
  map.streetLines.push_back(
      streetLine(7, {{1000, 0}, {1010, 100}, {1000, 200}, {1010, 300}, {1000, 400}}));
  startMeasurement(state, true);
  addMeasurePoint(state, context, {5, 50});
  addMeasurePoint(state, context, {1005, 350});
  const std::vector<MapPoint> expected = {{5, 50}, {1005, 350}};
  EXPECT_EQ(pointsFrom(0), expected);
  EXPECT_EQ(state.snapLine, 2);
}

TEST_F(MeasureFixture, AClickAwayFromStreetsBeepsAndDropsTheStreetWalk) {
  startMeasurement(state, true);
  addMeasurePoint(state, context, {5, 50});
  const AddPointResult r = addMeasurePoint(state, context, {500, 500});
  EXPECT_TRUE(r.beep);
  EXPECT_EQ(state.measurePoints.back(), (MapPoint{500, 500}));
  EXPECT_EQ(state.snapLine, -1);
  EXPECT_EQ(state.snapSegment, 0);
  // The next snapped point starts fresh: no vertices are walked.
  addMeasurePoint(state, context, {5, 350});
  EXPECT_EQ(state.measureCount(), 3);
}

TEST_F(MeasureFixture, UndoShrinksThePolylineAndItsReadings) {
  view.detailLevel = 2;
  startMeasurement(state, false);
  addMeasurePoint(state, context, {0, 0});
  addMeasurePoint(state, context, {300, 0});
  addMeasurePoint(state, context, {300, 400});

  auto r = undoLastMeasurePoint(state, context);
  ASSERT_TRUE(r.has_value());
  EXPECT_EQ(r->length, " 300.0 м");
  EXPECT_EQ(r->area, "");  // emptied below three points
  r = undoLastMeasurePoint(state, context);
  EXPECT_EQ(r->length, " 0.0 м");
  r = undoLastMeasurePoint(state, context);
  ASSERT_TRUE(r.has_value());
  EXPECT_EQ(r->length, " 0.0 м");
  EXPECT_EQ(state.measureCount(), 0);
  // Nothing left to undo: the popup acts as "Отменить измерение".
  EXPECT_FALSE(undoLastMeasurePoint(state, context).has_value());
  EXPECT_TRUE(state.active);
}

TEST_F(MeasureFixture, UndoReanchorsTheStreetWalkWithoutMovingTheStoredPoint) {
  startMeasurement(state, false);
  addMeasurePoint(state, context, {8, 50});  // 3 m off street 7: straight mode keeps it
  addMeasurePoint(state, context, {500, 500});
  undoLastMeasurePoint(state, context);
  EXPECT_EQ(state.measurePoints.back(), (MapPoint{8, 50}));
  EXPECT_EQ(state.snapLine, 0);
  EXPECT_EQ(state.snapSegment, 0);

  startMeasurement(state, true);
  addMeasurePoint(state, context, {5, 50});
  addMeasurePoint(state, context, {5, 350});
  undoLastMeasurePoint(state, context);  // last is now vertex 3, the end of segment 2
  EXPECT_EQ(state.snapLine, 0);
  EXPECT_EQ(state.snapSegment, 2);
  undoLastMeasurePoint(state, context);
  undoLastMeasurePoint(state, context);
  undoLastMeasurePoint(state, context);
  undoLastMeasurePoint(state, context);
  EXPECT_EQ(state.measureCount(), 0);
  EXPECT_EQ(state.snapLine, -1);
}

TEST_F(MeasureFixture, ClearingKeepsTheToolAndStartsAFreshWalk) {
  startMeasurement(state, true);
  addMeasurePoint(state, context, {5, 50});
  clearMeasurement(state);
  EXPECT_TRUE(state.active);
  EXPECT_TRUE(state.measureAlongStreets);
  EXPECT_EQ(state.measureCount(), 0);
  // Without a reset the first point after the clear would drag in the
  // vertices between the old segment and the new one.
  addMeasurePoint(state, context, {5, 350});
  EXPECT_EQ(state.measureCount(), 1);

  endMeasurement(state);
  EXPECT_FALSE(state.active);
  EXPECT_EQ(state.measureCount(), 0);
}

}  // namespace
}  // namespace tikhomap
