#include <gtest/gtest.h>

#include "building_pass_fixture.h"
#include "render/layer_passes.h"

namespace tikhomap {
namespace {

using testing::PassFixture;
using testing::rectOutline;
using testing::shifted;

const std::vector<ScreenPoint> kHouse = rectOutline(100, 100, 140, 130);

TEST(FlatBuildings, GraphicViewAtLevelOneDrawsGreyOutlinesOnly) {
  PassFixture f(kViewGraphic, 1);
  f.addBuilding(kHouse, 411, 5, "12", "школа");
  f.addBuilding(rectOutline(300, 300, 320, 320), 464, 1);
  flatBuildingPass(f.ctx, f.dc);
  const auto polys = f.polygons();
  ASSERT_EQ(polys.size(), 2u);
  for (const auto& p : polys) {
    EXPECT_EQ(p.state.pen, fixed::greyPen);
    EXPECT_EQ(p.state.brush, fixed::hollowBrush);
  }
  EXPECT_EQ(polys[0].points, kHouse);
  EXPECT_EQ(f.dc.count(CallKind::TextOut), 0u);
}

TEST(FlatBuildings, FlatViewDropShadowShiftGrowsWithLevel) {
  struct Row {
    int level;
    int shift;
    Pen bodyPen;
  };
  for (const Row& row :
       {Row{1, 1, fixed::nullPen}, Row{2, 3, fixed::greyPen}, Row{4, 6, fixed::greyPen}}) {
    PassFixture f(kViewFlat, row.level);
    f.layers.houseNumberChoice = 0;
    f.addBuilding(kHouse, 411, 1);
    flatBuildingPass(f.ctx, f.dc);
    const auto polys = f.polygons();
    ASSERT_EQ(polys.size(), 2u) << "level " << row.level;
    EXPECT_EQ(polys[0].points, shifted(kHouse, row.shift, row.shift)) << "level " << row.level;
    EXPECT_EQ(polys[0].state.pen, fixed::nullPen);
    EXPECT_EQ(polys[0].state.brush, f.styles.dropShadow);
    EXPECT_EQ(polys[1].points, kHouse);
    EXPECT_EQ(polys[1].state.pen, row.bodyPen) << "level " << row.level;
    EXPECT_EQ(polys[1].state.brush, f.styles.bodyBrush(411));
  }
}

TEST(FlatBuildings, GlassBuildingHasNoDropShadowButABody) {
  PassFixture f(kViewFlat, 2);
  f.addBuilding(kHouse, 464, 1);
  flatBuildingPass(f.ctx, f.dc);
  const auto polys = f.polygons();
  ASSERT_EQ(polys.size(), 1u);
  EXPECT_EQ(polys[0].points, kHouse);
  EXPECT_EQ(polys[0].state.brush, f.styles.bodyBrush(464));
}

TEST(FlatBuildings, BodiesTakeTheirPurposeGroupBrush) {
  PassFixture f(kViewFlat, 1);
  f.addBuilding(kHouse, 555, 1);
  f.addBuilding(rectOutline(200, 100, 240, 130), 660, 1);
  flatBuildingPass(f.ctx, f.dc);
  const auto polys = f.polygons();
  ASSERT_EQ(polys.size(), 4u);
  EXPECT_EQ(polys[2].state.brush.color, (Rgb{107, 150, 140}));
  EXPECT_EQ(polys[3].state.brush.color, (Rgb{167, 140, 110}));
}

TEST(FlatBuildings, DescriptionsAboveOrBelowTheLabelPointFromLevelFour) {
  for (int level : {3, 4}) {
    PassFixture f(kViewGraphic, level);
    f.addBuilding(kHouse, 411, 1, "7", "abc");
    f.addBuilding(rectOutline(300, 300, 340, 330), 411, 1, "", "zz");
    flatBuildingPass(f.ctx, f.dc);
    const auto texts = f.dc.callsOf(CallKind::TextOut);
    if (level == 3) {
      ASSERT_EQ(texts.size(), 1u);
      EXPECT_EQ(texts[0].text, "7");
      continue;
    }
    ASSERT_EQ(texts.size(), 3u);
    int32_t sx = 0;
    int32_t sy = 0;
    const Building& numbered = f.map.buildings[0];
    mapToScreen(f.view, numbered.x, numbered.y, sx, sy);
    EXPECT_EQ(texts[0].text, "7");
    EXPECT_EQ(texts[0].points[0], (ScreenPoint{sx - 3, sy - 6}));
    EXPECT_EQ(texts[1].text, "abc");
    EXPECT_EQ(texts[1].points[0], (ScreenPoint{sx - 9, sy + 6}));
    EXPECT_EQ(texts[1].state.textColor, (Rgb{0, 0, 0}));
    const Building& plain = f.map.buildings[1];
    mapToScreen(f.view, plain.x, plain.y, sx, sy);
    EXPECT_EQ(texts[2].text, "zz");
    EXPECT_EQ(texts[2].points[0], (ScreenPoint{sx - 6, sy - 6}));
  }
}

TEST(FlatBuildings, SelectionLeavesOutBuildingsUnderTwoMillimetres) {
  // 1 pixel per mm and 1 mm per metre: 1.9 mm and 2 mm on the screen.
  PassFixture f(kViewGraphic, 2);
  f.layers.buildingChoice = 2;
  f.layers.houseNumberChoice = 1;
  f.addBuilding(kHouse, 411, 1, "1");
  Building& tiny = f.addBuilding(rectOutline(300, 300, 301, 301), 411, 1, "2");
  tiny.bounds = {500, 500, 501.9f, 501.5f};
  Building& small = f.addBuilding(rectOutline(400, 400, 402, 402), 411, 1, "3");
  small.bounds = {600, 600, 602, 601};
  flatBuildingPass(f.ctx, f.dc);
  EXPECT_EQ(f.polygons().size(), 2u);
  const auto texts = f.dc.callsOf(CallKind::TextOut);
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[1].text, "3");
}

TEST(FlatBuildings, BuildingsOutsideTheViewOrBeforeTheStartIndexAreSkipped) {
  PassFixture f(kViewGraphic, 1);
  f.addBuilding(kHouse, 411, 1);
  f.addBuilding(rectOutline(200, 100, 240, 130), 411, 1);
  Building& away = f.addBuilding(rectOutline(300, 100, 340, 130), 411, 1);
  away.bounds = {5000, 5000, 5100, 5100};
  f.cache.firstBuilding = 1;
  flatBuildingPass(f.ctx, f.dc);
  const auto polys = f.polygons();
  ASSERT_EQ(polys.size(), 1u);
  EXPECT_EQ(polys[0].points, rectOutline(200, 100, 240, 130));
}

}  // namespace
}  // namespace tikhomap
