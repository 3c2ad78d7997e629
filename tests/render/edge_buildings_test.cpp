// Buildings just outside the view whose walls, roofs, shadows or night
// storeys reach into it are drawn; buildings beyond their reach are not.
#include <gtest/gtest.h>

#include <algorithm>

#include "building_pass_fixture.h"
#include "render/layer_passes.h"

namespace tikhomap {
namespace {

using testing::PassFixture;
using testing::rectOutline;

// The fixtures' view is pixels 0..999 both ways; storeys are 20 pixels at
// 4 pixels per mm and 1 mm per metre.

bool meetsView(const RecordedCall& c) {
  if (c.points.empty()) return false;
  int left = c.points[0].x;
  int right = left;
  int top = c.points[0].y;
  int bottom = top;
  for (const ScreenPoint& p : c.points) {
    left = std::min(left, p.x);
    right = std::max(right, p.x);
    top = std::min(top, p.y);
    bottom = std::max(bottom, p.y);
  }
  return right >= 0 && left <= 999 && bottom >= 0 && top <= 999;
}

std::vector<RecordedCall> withOp(const std::vector<RecordedCall>& calls, RasterOp op) {
  std::vector<RecordedCall> out;
  for (const RecordedCall& c : calls) {
    if (c.state.rasterOp == op) out.push_back(c);
  }
  return out;
}

size_t countInView(const std::vector<RecordedCall>& calls) {
  return static_cast<size_t>(std::count_if(calls.begin(), calls.end(), meetsView));
}

// The highest row any polygon of the pass reaches.
int topRow(const std::vector<RecordedCall>& calls) {
  int top = 1 << 30;
  for (const RecordedCall& c : calls) {
    for (const ScreenPoint& p : c.points) top = std::min(top, p.y);
  }
  return top;
}

// Walls and roof rise F x H pixels: a block whose roof reaches the last row
// of the view from below is drawn, one a pixel further south is not.
TEST(EdgeBuildings, VolumetricBlockBelowTheViewIsDrawnWhileItsRoofReachesIn) {
  for (const int mode : {kViewClockWindows, kViewNewYear, kViewWideWindows, kViewFrame}) {
    for (const int floors : {1, 7}) {
      const int rise = floors * 20;
      for (const int past : {0, 1}) {
        PassFixture f(mode, 2, 4, 1);
        f.layers.showShadows = 0;
        const int top = 999 + rise + past;
        const auto block = rectOutline(400, top, 480, top + 40);
        f.addBuilding(block, 411, static_cast<int16_t>(floors));
        volumetricPass(f.ctx, f.dc);
        const auto polys = f.polygons();
        SCOPED_TRACE(::testing::Message() << "mode " << mode << " floors " << floors);
        if (past == 0) {
          ASSERT_FALSE(polys.empty());
          EXPECT_EQ(topRow(polys), 999);
          EXPECT_EQ(polys.back().points, testing::shifted(block, 0, -rise));  // the roof
        } else {
          EXPECT_TRUE(f.dc.drawingCalls().empty());
        }
      }
    }
  }
}

// Shadows by the clock fall up and sideways: at 20:00 to the right (a block
// west of the view casts into it), at 07:00 to the left (a block east of it).
// Only the shadow is drawn; the block itself stays out of the view.
TEST(EdgeBuildings, ClockShadowsReachInFromTheSides) {
  struct Case {
    ClockTime time;
    int left;  // of a 40 pixel wide block, 2 storeys
    bool reaches;
  };
  // 20:00: dx = 2 x 0.92 x 50 = 92 pixels right, 91 stamped.
  // 07:00: dx = -98 pixels, 97 stamped.
  const Case cases[] = {
      {{20, 0}, -130, true}, {{20, 0}, -132, false}, {{20, 0}, -400, false},
      {{7, 0}, 1096, true},  {{7, 0}, 1098, false},  {{7, 0}, 1400, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.time.hour << ":00 at " << c.left);
    PassFixture f(kViewClockWindows, 2, 4, 1);
    f.time = c.time;
    f.addBuilding(rectOutline(c.left, 500, c.left + 40, 530), 411, 2);
    volumetricPass(f.ctx, f.dc);
    const auto stamps = withOp(f.polygons(), RasterOp::MaskPen);
    EXPECT_EQ(countInView(stamps) > 0, c.reaches);
    EXPECT_EQ(stamps.empty(), !c.reaches);
    EXPECT_TRUE(withOp(f.polygons(), RasterOp::CopyPen).empty());
  }
}

// At 1 pixel per mm a storey is 5 pixels and a shadow at 14:00 10 pixels a
// storey straight up: a 2-storey block south of the view whose roof (10
// pixels up) stops short still casts its shadow (18 pixels stamped) in.
TEST(EdgeBuildings, ClockShadowReachesInFromBelowPastTheRoof) {
  for (const int top : {1017, 1018, 1030}) {
    PassFixture f(kViewClockWindows, 2, 1, 1);
    f.time = {14, 0};
    f.addBuilding(rectOutline(400, top, 440, top + 30), 411, 2);
    volumetricPass(f.ctx, f.dc);
    const auto stamps = withOp(f.polygons(), RasterOp::MaskPen);
    EXPECT_TRUE(withOp(f.polygons(), RasterOp::CopyPen).empty());
    if (top == 1017) {
      EXPECT_GT(countInView(stamps), 0u);
      EXPECT_EQ(topRow(stamps), 999);
    } else {
      EXPECT_TRUE(stamps.empty());
    }
  }
}

// The real sun in the north throws shadows down the screen: a tower north of
// the view, in the table after the start index, casts into the view in table
// order and is not drawn itself; a tower farther north casts nothing.
TEST(EdgeBuildings, RealSunShadowFromAboveInTableOrder) {
  for (const int bottom : {-100, -400}) {
    PassFixture f(kViewFrame, 2, 4, 1);
    f.ctx.realSun = RealSun{0, 30};  // 34.6 pixels a storey, down the screen
    f.addBuilding(rectOutline(500, 600, 540, 640), 411, 1);  // in view, first in the table
    f.addBuilding(rectOutline(500, bottom - 40, 540, bottom), 411, 8);
    volumetricPass(f.ctx, f.dc);
    const auto polys = f.polygons();
    const auto stamps = withOp(polys, RasterOp::MaskPen);
    if (bottom == -100) {
      ASSERT_GT(countInView(stamps), 0u);
      // Drawn after the block in view, as if the tower stood in view too.
      EXPECT_EQ(polys.back().state.rasterOp, RasterOp::MaskPen);
      EXPECT_GT(polys.back().points[0].y, 100);
    } else {
      EXPECT_EQ(countInView(stamps), stamps.size());  // the block's own shadow only
      EXPECT_EQ(polys.back().state.rasterOp, RasterOp::CopyPen);
    }
  }
}

// In "Окна по часам" a newly drawn edge block takes its window numbers in
// table order: the block in view after it lights up exactly as it would
// alone, continuing from where the edge block left the generator.
TEST(EdgeBuildings, EdgeBlockTakesItsWindowNumbersInTableOrder) {
  // 6 storeys: the roof rises to row 960. The block after it in the table
  // reaches further south but crosses into the view.
  const auto edgeBlock = rectOutline(300, 1080, 500, 1140);
  const auto inView = rectOutline(600, 900, 800, 1150);
  auto frame = [](PassFixture& f) {
    f.time = {19, 0};
    f.layers.showShadows = 0;
    volumetricPass(f.ctx, f.dc);
  };
  PassFixture both(kViewClockWindows, 2, 4, 1);
  both.random.setState(12345);
  both.addBuilding(edgeBlock, 411, 6);
  both.addBuilding(inView, 411, 3);
  frame(both);

  PassFixture edgeOnly(kViewClockWindows, 2, 4, 1);
  edgeOnly.random.setState(12345);
  edgeOnly.addBuilding(edgeBlock, 411, 6);
  frame(edgeOnly);
  ASSERT_NE(edgeOnly.random.state(), 12345u);  // its windows drew numbers

  PassFixture alone(kViewClockWindows, 2, 4, 1);
  alone.random.setState(edgeOnly.random.state());
  alone.addBuilding(inView, 411, 3);
  frame(alone);

  EXPECT_EQ(both.random.state(), alone.random.state());
  const auto all = both.polygons();
  const auto tail = alone.polygons();
  ASSERT_GT(all.size(), tail.size());
  for (size_t i = 0; i < tail.size(); ++i) {
    const RecordedCall& c = all[all.size() - tail.size() + i];
    EXPECT_EQ(c.points, tail[i].points);
    EXPECT_EQ(c.state.brush, tail[i].state.brush);
  }
}

// The night storeys stack up the screen by pixels of the detail level. For
// every kind of stack the highest outline drawn in view sets the reach: the
// same building placed so that its top lands on the last row is drawn, a
// pixel further south it is not.
TEST(EdgeBuildings, NightStoreysBelowTheViewAreDrawnWhileTheyReachIn) {
  for (const int level : {1, 2, 3, 5}) {
    for (const int16_t purpose : {int16_t{411}, int16_t{413}, int16_t{659}}) {
      for (const int16_t floors : {int16_t{1}, int16_t{2}, int16_t{6}}) {
        if (purpose == 659 && (floors < 2 || level == 1)) continue;  // nothing drawn
        SCOPED_TRACE(::testing::Message()
                     << "level " << level << " purpose " << purpose << " floors " << floors);
        PassFixture probe(kViewNight, level);
        probe.addBuilding(rectOutline(400, 500, 440, 530), purpose, floors);
        nightBuildingPass(probe.ctx, probe.dc);
        ASSERT_FALSE(probe.polygons().empty());
        const int rise = 500 - topRow(probe.polygons());
        for (const int past : {0, 1}) {
          PassFixture f(kViewNight, level);
          const int top = 999 + rise + past;
          f.addBuilding(rectOutline(400, top, 440, top + 30), purpose, floors);
          nightBuildingPass(f.ctx, f.dc);
          if (past == 0) {
            EXPECT_EQ(topRow(f.polygons()), 999);
          } else {
            EXPECT_TRUE(f.polygons().empty());
          }
        }
      }
    }
  }
}

// Night storeys rise straight up: nothing reaches in from the sides or from
// above, so blocks just outside there stay skipped.
TEST(EdgeBuildings, NightBlocksBesideOrAboveTheViewStaySkipped) {
  PassFixture f(kViewNight, 3);
  f.addBuilding(rectOutline(-50, 500, -1, 530), 411, 9);
  f.addBuilding(rectOutline(1001, 500, 1040, 530), 411, 9);
  f.addBuilding(rectOutline(400, -60, 440, -1), 411, 9);
  nightBuildingPass(f.ctx, f.dc);
  EXPECT_TRUE(f.polygons().empty());
}

// The drop shadow of "Плоский" lies 1.5 x level pixels right and down: a
// body just west or just north of the view (north before the start index,
// where the table keeps the rows wholly north of the view) casts it into
// the view, and the body itself is not drawn.
TEST(EdgeBuildings, FlatDropShadowsReachInFromTheWestAndNorth) {
  struct Case {
    std::vector<ScreenPoint> outline;
    bool north;
    bool reaches;
  };
  // Level 4: 6 pixels.
  const Case cases[] = {
      {rectOutline(-60, 500, -6, 530), false, true},
      {rectOutline(-60, 500, -7, 530), false, false},
      {rectOutline(400, -60, 440, -6), true, true},
      {rectOutline(400, -60, 440, -7), true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.outline[0].x << "," << c.outline[2].y);
    PassFixture f(kViewFlat, 4);
    f.addBuilding(c.outline, 411, 1);
    f.addBuilding(rectOutline(600, 600, 640, 640), 411, 1);
    f.cache.firstBuilding = c.north ? 1 : 0;
    flatBuildingPass(f.ctx, f.dc);
    std::vector<RecordedCall> shadows;
    for (const RecordedCall& p : f.polygons()) {
      if (p.state.brush == f.styles.dropShadow) shadows.push_back(p);
    }
    ASSERT_EQ(shadows.size(), c.reaches ? 2u : 1u);
    if (c.reaches) {
      EXPECT_TRUE(meetsView(shadows[0]));
    }
    EXPECT_EQ(f.polygons().size(), shadows.size() + 1);  // one body: the block in view
  }
}

}  // namespace
}  // namespace tikhomap
