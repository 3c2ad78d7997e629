#include <gtest/gtest.h>

#include "building_pass_fixture.h"
#include "render/layer_passes.h"

namespace tikhomap {
namespace {

using testing::PassFixture;
using testing::rectOutline;
using testing::shifted;

const std::vector<ScreenPoint> kHouse = rectOutline(100, 500, 140, 530);

// The vertical offset of each drawn polygon against the outline.
std::vector<int> raises(const std::vector<RecordedCall>& polys, const std::vector<ScreenPoint>& o) {
  std::vector<int> out;
  for (const RecordedCall& p : polys) {
    EXPECT_EQ(p.points.size(), o.size());
    EXPECT_EQ(p.points[0].x, o[0].x);
    out.push_back(o[0].y - p.points[0].y);
  }
  return out;
}

TEST(NightBuildings, LevelOneDrawsSimpleGlowsAndNoNumbers) {
  PassFixture f(kViewNight, 1);
  f.layers.houseNumberChoice = 1;
  f.addBuilding(kHouse, 411, 1, "5");
  const auto tall = rectOutline(300, 500, 340, 530);
  f.addBuilding(tall, 444, 2, "6");
  f.addBuilding(rectOutline(500, 500, 540, 530), 658, 3, "7");
  nightBuildingPass(f.ctx, f.dc);
  const auto polys = f.polygons();
  ASSERT_EQ(polys.size(), 2u + 4u);
  EXPECT_EQ(raises({polys.begin(), polys.begin() + 2}, kHouse), (std::vector<int>{0, 4}));
  EXPECT_EQ(polys[0].state.pen, f.styles.glowPen(411));
  EXPECT_EQ(raises({polys.begin() + 2, polys.end()}, tall), (std::vector<int>{0, 3, 6, 9}));
  EXPECT_EQ(polys[2].state.pen, f.styles.edgePen(444));
  EXPECT_EQ(polys[3].state.pen, f.styles.glowPen(444));
  EXPECT_EQ(polys[5].state.pen, f.styles.edgePen(444));
  EXPECT_EQ(polys[5].state.brush, f.styles.bodyBrush(444));
  EXPECT_EQ(f.dc.count(CallKind::TextOut), 0u);
}

TEST(NightBuildings, LevelTwoOneStoreyIsThreeFillsTwoPixelsApart) {
  PassFixture f(kViewNight, 2);
  f.addBuilding(kHouse, 411, 1);
  nightBuildingPass(f.ctx, f.dc);
  const auto polys = f.polygons();
  ASSERT_EQ(polys.size(), 3u);
  EXPECT_EQ(raises(polys, kHouse), (std::vector<int>{0, 2, 4}));
  EXPECT_EQ(polys[0].state.pen, f.styles.edgePen(411));
  EXPECT_EQ(polys[1].state.pen, f.styles.glowPen(411));
  EXPECT_EQ(polys[2].state.pen, f.styles.edgePen(411));
}

TEST(NightBuildings, OutbuildingGlowsOncePerPixelAndNumbersSitOnTop) {
  PassFixture f(kViewNight, 3);
  f.layers.houseNumberChoice = 1;
  f.addBuilding(kHouse, 413, 1, "9");
  f.addBuilding(rectOutline(300, 500, 340, 530), 411, 1, "10");
  nightBuildingPass(f.ctx, f.dc);
  const auto polys = f.polygons();
  ASSERT_EQ(polys.size(), 7u + 4u);
  EXPECT_EQ(raises({polys.begin(), polys.begin() + 7}, kHouse),
            (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));
  const auto texts = f.dc.callsOf(CallKind::TextOut);
  ASSERT_EQ(texts.size(), 2u);
  int32_t sx = 0;
  int32_t sy = 0;
  mapToScreen(f.view, f.map.buildings[0].x, f.map.buildings[0].y, sx, sy);
  EXPECT_EQ(texts[0].points[0].y, sy - 7 - 6);  // offset L(L-1)+1
  mapToScreen(f.view, f.map.buildings[1].x, f.map.buildings[1].y, sx, sy);
  EXPECT_EQ(texts[1].points[0].y, sy - 12 - 6);  // offset L(L+1)
  EXPECT_EQ(texts[1].state.textColor, (Rgb{255, 255, 255}));
}

TEST(NightBuildings, LevelTwoStoreysAreStackedStoreyByStorey) {
  PassFixture f(kViewNight, 2);
  f.layers.houseNumberChoice = 1;
  f.addBuilding(kHouse, 411, 5, "12");
  const auto low = rectOutline(300, 500, 340, 530);
  f.addBuilding(low, 461, 2);
  nightBuildingPass(f.ctx, f.dc);
  const auto polys = f.polygons();
  // Ground storeys: 1 + L fills each. Upper storeys interleave the buildings.
  ASSERT_EQ(polys.size(), 3u + 3u + 4 * 2 + 1 + 2 + 1);
  EXPECT_EQ(raises({polys.begin(), polys.begin() + 3}, kHouse), (std::vector<int>{0, 2, 4}));
  EXPECT_EQ(raises({polys.begin() + 3, polys.begin() + 6}, low), (std::vector<int>{0, 2, 4}));
  // Storey 2: the five-storey building at 7 and 9, then the two-storey one
  // ends at 7, 9 and its edge at 9.
  EXPECT_EQ(raises({polys.begin() + 6, polys.begin() + 8}, kHouse), (std::vector<int>{7, 9}));
  EXPECT_EQ(raises({polys.begin() + 8, polys.begin() + 11}, low), (std::vector<int>{7, 9, 9}));
  EXPECT_EQ(polys[10].state.pen, f.styles.edgePen(461));
  // Storeys 3, 4 and 5 of the tall one: 12, 17, 22, each two fills, and the top edge.
  EXPECT_EQ(raises({polys.begin() + 11, polys.end()}, kHouse),
            (std::vector<int>{12, 14, 17, 19, 22, 24, 24}));
  EXPECT_EQ(polys.back().state.pen, f.styles.edgePen(411));
  EXPECT_EQ(f.dc.count(CallKind::TextOut), 0u);  // numbers only above level 2
}

TEST(NightBuildings, TopStoreyNumberAtLevelThree) {
  PassFixture f(kViewNight, 3);
  f.layers.houseNumberChoice = 1;
  f.addBuilding(kHouse, 411, 2, "4");
  nightBuildingPass(f.ctx, f.dc);
  const auto texts = f.dc.callsOf(CallKind::TextOut);
  ASSERT_EQ(texts.size(), 1u);
  int32_t sx = 0;
  int32_t sy = 0;
  mapToScreen(f.view, f.map.buildings[0].x, f.map.buildings[0].y, sx, sy);
  // d = trunc(9 + 4.5) = 13 for the second storey, plus L(L-1) = 6.
  EXPECT_EQ(texts[0].points[0].y, sy - 19 - 6);
}

TEST(NightBuildings, OpenGroundBuildingStartsAtItsSecondStoreyEvenAlone) {
  PassFixture f(kViewNight, 2);
  f.addBuilding(kHouse, 658, 3);
  nightBuildingPass(f.ctx, f.dc);
  EXPECT_EQ(raises(f.polygons(), kHouse), (std::vector<int>{7, 9, 12, 14, 14}));
  // A one-storey kindergarten or pharmacy stands on the ground and is lit.
  for (const int16_t purpose : {660, 661}) {
    PassFixture g(kViewNight, 2);
    g.addBuilding(kHouse, purpose, 1);
    nightBuildingPass(g.ctx, g.dc);
    EXPECT_EQ(raises(g.polygons(), kHouse), (std::vector<int>{0, 2, 4})) << purpose;
  }
}

TEST(NightBuildings, ManyTallBuildingsAreAllDrawn) {
  PassFixture f(kViewNight, 2);
  for (int i = 0; i < 1200; ++i) {
    const int x = 10 + (i % 40) * 20;
    const int y = 100 + (i / 40) * 20;
    f.addBuilding(rectOutline(x, y, x + 10, y + 10), 411, 2);
  }
  nightBuildingPass(f.ctx, f.dc);
  // Per building: edge + 2 glows for the ground storey, 2 glows + edge on top.
  EXPECT_EQ(f.polygons().size(), 1200u * 6u);
}

}  // namespace
}  // namespace tikhomap
