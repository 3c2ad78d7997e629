#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "view/view_state.h"

namespace tikhomap {
namespace {

// The city: 10000 m north-south, 8000 m east-west.
ViewHistory city() {
  ViewHistory h;
  EXPECT_EQ(pushView(h, 0, 0, 10000, 8000), 1);
  return h;
}

TEST(PushView, FirstPushStoresTheCityExtentUnchanged) {
  ViewHistory h;
  EXPECT_EQ(pushView(h, 5, 6, 7, 8), 1);  // even one smaller than 16 m
  EXPECT_EQ(h.count, 1);
  EXPECT_EQ(h.entry(0), (MapBounds{5, 6, 7, 8}));
}

TEST(PushView, SmallRequestsBecomeA16MetreSquareOnTheirCentre) {
  struct Row {
    MapBounds asked;
    MapBounds stored;
  };
  const Row rows[] = {
      {{100, 200, 102, 202}, {93, 193, 109, 209}},             // 2 x 2
      {{100, 200, 116, 216}, {100, 200, 116, 216}},            // exactly 16: kept
      {{100, 200, 115.5f, 300}, {99.75f, 242, 115.75f, 258}},  // too short one way
      {{100, 200, 100, 200}, {92, 192, 108, 208}},             // a point
      {{110, 210, 100, 200}, {97, 197, 113, 213}},             // edges swapped
  };
  for (const Row& r : rows) {
    ViewHistory h = city();
    ASSERT_EQ(pushView(h, r.asked.xMin, r.asked.yMin, r.asked.xMax, r.asked.yMax), 1);
    EXPECT_EQ(h.count, 2);
    EXPECT_EQ(h.last(), r.stored) << r.asked.xMin << " " << r.asked.yMin;
  }
}

TEST(PushView, RefusesARectangleLargerThanTheCity) {
  struct Row {
    MapBounds asked;
    int accepted;
  };
  const Row rows[] = {
      {{0, 0, 10000, 8000}, 1}, {{-5, 0, 9995, 8000}, 1},   {{0, 0, 10001, 100}, 0},
      {{0, 0, 100, 8001}, 0},   {{-1, -1, 10001, 8001}, 0},
  };
  for (const Row& r : rows) {
    ViewHistory h = city();
    EXPECT_EQ(pushView(h, r.asked.xMin, r.asked.yMin, r.asked.xMax, r.asked.yMax), r.accepted);
    EXPECT_EQ(h.count, 1 + r.accepted);
  }
}

TEST(PushView, RefusesNonFiniteRectangles) {
  ViewHistory h = city();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  EXPECT_EQ(pushView(h, nan, 0, 100, 100), 0);
  EXPECT_EQ(pushView(h, 0, 0, 100, inf), 0);
  EXPECT_EQ(h.count, 1);
}

TEST(PushView, OverhangIsShiftedBackNotCut) {
  struct Row {
    MapBounds asked;
    MapBounds stored;
  };
  const Row rows[] = {
      {{1000, 7500, 2000, 8500}, {1000, 7000, 2000, 8000}},  // east
      {{1000, -300, 2000, 700}, {1000, 0, 2000, 1000}},      // west
      {{9900, 100, 10400, 600}, {9500, 100, 10000, 600}},    // north
      {{-50, 100, 450, 600}, {0, 100, 500, 600}},            // south
      {{0, 0, 10000, 8000}, {0, 0, 10000, 8000}},            // the city itself
      // Far beyond the city (a flung pan), where a float has no metres: a
      // point there becomes the smallest view at the city's edge.
      {{536870912, 100, 536870912, 600}, {9984, 342, 10000, 358}},
      {{100, -536870912, 600, -536870912}, {342, 0, 358, 16}},
  };
  for (const Row& r : rows) {
    ViewHistory h = city();
    ASSERT_EQ(pushView(h, r.asked.xMin, r.asked.yMin, r.asked.xMax, r.asked.yMax), 1);
    EXPECT_EQ(h.last(), r.stored) << r.asked.xMin << " " << r.asked.yMin;
  }
}

TEST(PushView, At99EntriesTheTenOldestRequestsAreForgotten) {
  ViewHistory h = city();
  for (int i = 1; i < 99; ++i) ASSERT_EQ(pushView(h, i, 0, i + 100.0f, 100), 1);
  ASSERT_EQ(h.count, 99);
  EXPECT_EQ(pushView(h, 5000, 5000, 6000, 6000), 1);
  EXPECT_EQ(h.count, 90);
  EXPECT_EQ(h.entry(0), (MapBounds{0, 0, 10000, 8000}));
  EXPECT_EQ(h.entry(1).xMin, 11.0f);
  EXPECT_EQ(h.entry(88).xMin, 98.0f);
  EXPECT_EQ(h.entry(89), (MapBounds{5000, 5000, 6000, 6000}));
}

TEST(PushView, CountNeverPassesTheHistorySize) {
  ViewHistory h = city();
  for (int i = 0; i < 1000; ++i) {
    ASSERT_EQ(pushView(h, 100, 100, 200, 200), 1);
    ASSERT_LT(h.count, kViewHistorySize);
  }
}

TEST(ViewBack, StopsAtTheFirstRequestAndWholeCityReturnsToTheTitle) {
  ViewHistory h = city();
  pushView(h, 0, 0, 100, 100);
  pushView(h, 0, 0, 200, 200);
  viewBack(h);
  EXPECT_EQ(h.count, 2);
  viewBack(h);
  EXPECT_EQ(h.count, 2);
  EXPECT_EQ(h.last(), (MapBounds{0, 0, 100, 100}));
  viewWholeCity(h);
  EXPECT_EQ(h.count, 1);
  viewWholeCity(h);
  EXPECT_EQ(h.count, 1);
  ViewHistory empty;
  viewWholeCity(empty);
  viewBack(empty);
  EXPECT_EQ(empty.count, 0);
  EXPECT_EQ(empty.last(), MapBounds{});  // no entry -1 is read
  EXPECT_EQ(h.entry(1), MapBounds{});    // beyond the count
}

// What the shell asks of the history as a person moves: nothing loaded, the
// title sheet, a first map view, a second one, back, and home.
TEST(ViewHistoryQuestions, TitleSheetAndGoingBackFollowTheSteps) {
  ViewHistory h;
  const auto answers = [&h] {
    return std::vector<bool>{h.hasWholeCity(), h.titleSheetShown(), h.canGoBack()};
  };
  EXPECT_EQ(answers(), (std::vector<bool>{false, true, false})) << "nothing loaded";
  pushView(h, 0, 0, 10000, 8000);
  EXPECT_EQ(answers(), (std::vector<bool>{true, true, false})) << "title sheet";
  pushView(h, 1000, 1000, 3000, 3000);
  EXPECT_EQ(answers(), (std::vector<bool>{true, false, false})) << "first map view";
  pushView(h, 1500, 1500, 2000, 2000);
  EXPECT_EQ(answers(), (std::vector<bool>{true, false, true})) << "second map view";
  viewBack(h);
  EXPECT_EQ(answers(), (std::vector<bool>{true, false, false})) << "back";
  viewWholeCity(h);
  EXPECT_EQ(answers(), (std::vector<bool>{true, true, false})) << "home";
}

}  // namespace
}  // namespace tikhomap
