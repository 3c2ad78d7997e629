// Which building a press opens where buildings are drawn standing up: the
// front-most drawn block under the pointer, not the footprint.
#include "tools/drawn_buildings.h"

#include <gtest/gtest.h>

#include "tools/building_info.h"

namespace tikhomap {
namespace {

Building block(float xMin, float yMin, float xMax, float yMax, int16_t floors,
               int16_t purpose = 411) {
  Building b;
  b.floors = floors;
  b.purpose = purpose;
  b.outline = {{xMin, yMin}, {xMax, yMin}, {xMax, yMax}, {xMin, yMax}, {xMin, yMin}};
  b.pointCount = static_cast<int16_t>(b.outline.size());
  b.bounds = {xMin, yMin, xMax, yMax};
  return b;
}

class DrawnBuildingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    map = MapData{};
    view = ViewState{};
    measureViewport(view, 1000, 800, 264.58f);
    ViewHistory history;
    fitView(view, history, 0, 0, 200, 200);
    storeyHeight = static_cast<int>(view.pixelsPerMmX * view.mmPerMetre * 5.0);
    ASSERT_GT(storeyHeight, 4);
    // Records run north to south: the low house behind first, then the tall
    // block in front of it, whose roof, lifted 10 storeys, lies over the
    // low house's footprint.
    map.buildings.push_back(block(75, 60, 90, 115, 1));   // row 0, low
    map.buildings.push_back(block(50, 80, 70, 120, 10));  // row 1, tall
  }
  struct PixelPoint {
    int32_t x = 0;
    int32_t y = 0;
  };
  PixelPoint pixel(float x, float y) const {
    PixelPoint p;
    mapToScreen(view, x, y, p.x, p.y);
    return p;
  }
  int32_t pick(float x, float y, BlockStyle style = BlockStyle::Volumetric, int choice = 1) {
    const PixelPoint p = pixel(x, y);
    return findDrawnBuildingAt(map, view, 0, style, storeyHeight, choice, p.x, p.y);
  }

  MapData map;
  ViewState view;
  int storeyHeight = 0;
};

TEST_F(DrawnBuildingsTest, ATallRoofOverANeighboursFootprintWinsThePress) {
  // The footprint rule would open the low house.
  const InfoTarget flat = infoTargetAt(map, view, 0, 0, 82, 100);
  ASSERT_EQ(flat.kind, InfoTarget::Kind::building);
  EXPECT_EQ(flat.building, 0);
  // Drawn standing up, the tall block covers it there.
  EXPECT_EQ(pick(82, 100), 1);
  // Its wall and its own footprint are the tall block too; above its roof
  // nothing is drawn.
  EXPECT_EQ(pick(60, 100), 1);
  EXPECT_EQ(pick(110, 100), 1);
  EXPECT_EQ(pick(125, 100), -1);
  // Beside the tall block the low house is seen.
  EXPECT_EQ(pick(82, 70), 0);
}

TEST_F(DrawnBuildingsTest, ALowBlockInFrontLeavesTheHouseBehindVisible) {
  map.buildings[1].floors = 1;  // roof lifted one storey only (5 m)
  EXPECT_EQ(pick(82, 100), 0);
  EXPECT_EQ(pick(72, 100), 1);  // 2 m north of its footprint: its lifted roof
  EXPECT_EQ(pick(77, 100), 0);
}

TEST_F(DrawnBuildingsTest, NoBuildingsDrawnOpenNothingAndSmallOnesAreLeftOutWithTheSelection) {
  EXPECT_EQ(pick(60, 100, BlockStyle::Volumetric, 0), -1);
  // A 1.5 m shed is less than 2 screen millimetres: "отбор" leaves it out.
  map.buildings.push_back(block(150, 150, 151.5f, 151.5f, 1));
  EXPECT_EQ(pick(150.7f, 150.7f, BlockStyle::Volumetric, 1), 2);
  EXPECT_EQ(pick(150.7f, 150.7f, BlockStyle::Volumetric, 2), -1);
}

TEST_F(DrawnBuildingsTest, OpenGroundBuildingsStandOneStoreyUp) {
  for (const int16_t purpose : {657, 658, 659, 660, 661}) {
    map.buildings[1] = block(50, 80, 70, 120, 3, purpose);
    const std::vector<DrawnSlab> slabs =
        drawnSlabs(map.buildings[1], 1, BlockStyle::Volumetric, storeyHeight, view.detailLevel);
    ASSERT_EQ(slabs.size(), 1u) << purpose;
    EXPECT_EQ(slabs[0].low, purpose <= 659 ? storeyHeight : 0) << purpose;
    EXPECT_EQ(slabs[0].high, 3 * storeyHeight) << purpose;
  }
}

// A press lands only where the frame draws a building: at the whole-city
// level every view draws flat bodies (no pavilions on columns, no glass, and
// under "отбор" nothing too small to see), and a block just south of the
// view reaches into it with its roof.
TEST_F(DrawnBuildingsTest, APressFindsOnlyWhatTheFrameDraws) {
  struct Case {
    const char* what;
    bool cityLevel;
    BlockStyle style;
    int choice;
    int16_t purpose;
    float x;
    float y;
    int32_t expected;
  };
  const Case cases[] = {
      {"flat body on its footprint", true, BlockStyle::Volumetric, 1, 411, 60, 100, 1},
      {"nothing above a flat body", true, BlockStyle::Volumetric, 1, 411, 110, 100, -1},
      {"nothing above a flat body at night", true, BlockStyle::Night, 1, 411, 72, 100, -1},
      {"pavilion not drawn", true, BlockStyle::Volumetric, 1, 657, 60, 100, -1},
      {"glass not drawn", true, BlockStyle::Night, 1, 464, 60, 100, -1},
      {"standing block's roof", false, BlockStyle::Volumetric, 1, 411, 110, 100, 1},
  };
  for (const Case& c : cases) {
    SetUp();
    map.buildings[1].purpose = c.purpose;
    if (c.cityLevel) view.detailLevel = 0;
    EXPECT_EQ(pick(c.x, c.y, c.style, c.choice), c.expected) << c.what;
  }
  // A 1.5 m shed under "отбор" at the whole-city level, in the night too.
  SetUp();
  view.detailLevel = 0;
  map.buildings.push_back(block(150, 150, 151.5f, 151.5f, 1));
  EXPECT_EQ(pick(150.7f, 150.7f, BlockStyle::Night, 1), 2);
  EXPECT_EQ(pick(150.7f, 150.7f, BlockStyle::Night, 2), -1);
  // A tall block wholly south of the view, its roof rising into it.
  SetUp();
  const float south = view.viewXMin;
  map.buildings.push_back(block(south - 30, 20, south - 5, 40, 20));
  EXPECT_EQ(pick(south + 10, 30), 2);
}

TEST_F(DrawnBuildingsTest, NightUpperStoreysLieOverEveryGroundStorey) {
  const int level = view.detailLevel;
  ASSERT_GE(level, 2);
  // The first building's ground storey, then its second storey after all
  // ground storeys.
  const Building tall = block(50, 80, 70, 120, 2);
  const std::vector<DrawnSlab> slabs = drawnSlabs(tall, 0, BlockStyle::Night, 0, level);
  ASSERT_EQ(slabs.size(), 2u);
  EXPECT_EQ(slabs[0].low, 0);
  EXPECT_EQ(slabs[0].high, level * level);
  const int d = static_cast<int>(level * level + 1.5 * level);
  EXPECT_EQ(slabs[1].low, d);
  EXPECT_EQ(slabs[1].high, d + level * (level - 1));
  // A one-storey house just north of it, reaching past its upper storey.
  const float mpp = 1.0f / (view.pixelsPerMmX * static_cast<float>(view.mmPerMetre));
  const int reach = d + level * (level - 1);
  const Building later = block(70.2f, 80, 70 + (reach + 8) * mpp, 120, 1);
  const std::vector<DrawnSlab> ground = drawnSlabs(later, 1, BlockStyle::Night, 0, level);
  ASSERT_EQ(ground.size(), 1u);
  EXPECT_GT(slabs[1].order, ground[0].order);
  EXPECT_LT(slabs[0].order, ground[0].order);

  // The upper storey of the earlier row is painted over the later ground
  // storey; beyond its reach the later house is seen.
  map.buildings = {tall, later};
  EXPECT_EQ(pick(70 + (d + 2) * mpp, 100, BlockStyle::Night), 0);
  EXPECT_EQ(pick(70 + (reach + 5) * mpp, 100, BlockStyle::Night), 1);
}

}  // namespace
}  // namespace tikhomap
