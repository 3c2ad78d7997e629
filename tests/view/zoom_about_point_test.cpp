#include <gtest/gtest.h>

#include <cstdlib>

#include "view/view_state.h"
#include "view/zoom_about_point.h"

namespace tikhomap {
namespace {

TEST(NextQuantisedDenominator, StepsToTheNextDifferentMultipleOfTen) {
  struct Row {
    int32_t d;
    int direction;
    int32_t next;
  };
  const Row rows[] = {
      {10000, +1, 8000}, {10000, -1, 12500}, {2000, +1, 1600}, {50, +1, 40},
      {40, +1, 30},      {30, +1, 0},        {30, -1, 40},     {20, -1, 30},
      {10, -1, 20},      {0, +1, 0},         {-10, -1, 0},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(nextQuantisedDenominator(r.d, r.direction), r.next) << r.d << " " << r.direction;
  }
}

// A 1000 x 800 pixel window 250 mm wide over a city 20 km square.
struct Shown {
  ViewHistory history;
  ViewState view;
  explicit Shown(MapBounds asked, MapBounds city = {0, 0, 20000, 20000}) {
    pushView(history, city.xMin, city.yMin, city.xMax, city.yMax);
    pushView(history, asked.xMin, asked.yMin, asked.xMax, asked.yMax);
    measureViewport(view, 1000, 800, 250.0f);
    const MapBounds last = history.last();
    fitView(view, history, last.xMin, last.yMin, last.xMax, last.yMax);
  }
};

TEST(ZoomAboutPixel, NextScaleWithThePointUnderThePointerKept) {
  struct Row {
    MapBounds asked;
    int px, py, direction;
    bool keeps;  // false: the view is wider than the city and stays on it
  };
  const Row rows[] = {
      {{9000, 9000, 11000, 11500}, 500, 400, +1, true},
      {{9000, 9000, 11000, 11500}, 13, 777, +1, true},
      {{9000, 9000, 11000, 11500}, 990, 5, -1, true},
      {{9900, 9900, 10060, 10100}, 321, 123, +1, true},
      {{9900, 9900, 10060, 10100}, 700, 650, -1, true},
      {{5000, 5000, 12000, 14000}, 250, 600, -1, true},
      // The whole city, 20 km square, is shown 25 km wide: the first step in
      // is asked no wider than the city.
      {{0, 0, 20000, 20000}, 300, 300, +1, false},
  };
  for (const Row& r : rows) {
    Shown s(r.asked);
    const int32_t before = s.view.scaleDenominator;
    float mx = 0;
    float my = 0;
    screenToMap(s.view, r.px, r.py, mx, my);
    const auto asked = zoomAboutPixel(s.view, s.history.entry(0), r.px, r.py, r.direction);
    ASSERT_TRUE(asked.has_value());
    ASSERT_EQ(replaceLastView(s.history, asked->xMin, asked->yMin, asked->xMax, asked->yMax), 1);
    const MapBounds last = s.history.last();
    fitView(s.view, s.history, last.xMin, last.yMin, last.xMax, last.yMax);
    EXPECT_EQ(s.view.scaleDenominator, nextQuantisedDenominator(before, r.direction));
    int32_t sx = 0;
    int32_t sy = 0;
    mapToScreen(s.view, mx, my, sx, sy);
    if (!r.keeps) continue;
    EXPECT_LE(std::abs(sx - r.px), 1) << r.px << "," << r.py;
    EXPECT_LE(std::abs(sy - r.py), 1) << r.px << "," << r.py;
  }
}

TEST(ZoomAboutPixel, AViewTallerThanTheCityIsFittedEastWestAndKeepsThePointsEasting) {
  // 10 km by 40 km, shown whole: 32 km north-south on the screen.
  const MapBounds wide{0, 0, 10000, 40000};
  Shown s(wide, wide);
  float mx = 0;
  float my = 0;
  screenToMap(s.view, 700, 300, mx, my);
  const auto asked = zoomAboutPixel(s.view, wide, 700, 300, +1);
  ASSERT_TRUE(asked.has_value());
  ASSERT_EQ(replaceLastView(s.history, asked->xMin, asked->yMin, asked->xMax, asked->yMax), 1);
  const int32_t before = s.view.scaleDenominator;
  const MapBounds last = s.history.last();
  fitView(s.view, s.history, last.xMin, last.yMin, last.xMax, last.yMax);
  EXPECT_EQ(s.view.scaleDenominator, nextQuantisedDenominator(before, +1));
  int32_t sx = 0;
  int32_t sy = 0;
  mapToScreen(s.view, mx, my, sx, sy);
  EXPECT_LE(std::abs(sx - 700), 1);
}

TEST(ZoomAboutPixel, NoStepUnderTheSmallestViewOrWithoutAScale) {
  // 1:80 shows 200 mm / 12.5 = 16 m north-south: the next step would be
  // narrower.
  Shown fine({10000, 10000, 10016, 10020});
  ASSERT_EQ(fine.view.scaleDenominator, 80);
  const MapBounds city = fine.history.entry(0);
  EXPECT_FALSE(zoomAboutPixel(fine.view, city, 500, 400, +1).has_value());
  EXPECT_TRUE(zoomAboutPixel(fine.view, city, 500, 400, -1).has_value());
  EXPECT_FALSE(zoomAboutPixel(ViewState{}, city, 500, 400, +1).has_value());
  // Out beyond the city both ways.
  Shown whole({0, 0, 20000, 20000});
  EXPECT_FALSE(zoomAboutPixel(whole.view, city, 500, 400, -1).has_value());
}

TEST(ReplaceLastView, ReplacesWithThePushClampsAndKeepsTheHistoryOnRefusal) {
  ViewHistory h;
  pushView(h, 0, 0, 10000, 8000);
  // On the title sheet the rectangle is appended.
  EXPECT_EQ(replaceLastView(h, 100, 100, 1100, 1100), 1);
  EXPECT_EQ(h.count, 2);
  pushView(h, 200, 200, 1200, 1200);
  EXPECT_EQ(replaceLastView(h, 9500, 7500, 10500, 8500), 1);  // overhang shifted back
  EXPECT_EQ(h.count, 3);
  EXPECT_EQ(h.last(), (MapBounds{9000, 7000, 10000, 8000}));
  EXPECT_EQ(h.entry(1), (MapBounds{100, 100, 1100, 1100}));
  EXPECT_EQ(replaceLastView(h, 100, 100, 102, 102), 1);  // a 16 m square
  EXPECT_EQ(h.last(), (MapBounds{93, 93, 109, 109}));
  EXPECT_EQ(replaceLastView(h, -1, 0, 10001, 100), 0);  // larger than the city
  EXPECT_EQ(h.count, 3);
  EXPECT_EQ(h.last(), (MapBounds{93, 93, 109, 109}));
  // A full history is not shortened by a replacement.
  while (h.count < 99) pushView(h, 300, 300, 400, 400);
  EXPECT_EQ(replaceLastView(h, 500, 500, 600, 600), 1);
  EXPECT_EQ(h.count, 99);
}

}  // namespace
}  // namespace tikhomap
