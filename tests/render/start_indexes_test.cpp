#include "render/start_indexes.h"

#include <gtest/gtest.h>

#include "compose_fixture.h"
#include "render/compose_frame.h"

namespace tikhomap {
namespace {

// Buildings whose southern edges run 900, 800, ... 500 (sorted north to south).
MapData fiveBuildings() {
  MapData map;
  for (float south : {900.0f, 800.0f, 700.0f, 600.0f, 500.0f}) {
    Building b;
    b.bounds = {south, 0, south + 50, 50};
    map.buildings.push_back(b);
  }
  return map;
}

TEST(StartIndexes, FirstRecordReachingTheNorthEdge) {
  const MapData map = fiveBuildings();
  FrameCache cache;
  cache.cachedNorthEdge = 1000;
  updateStartIndexes(map, 750, cache);
  EXPECT_EQ(cache.firstBuilding, 2);
  EXPECT_FLOAT_EQ(cache.cachedNorthEdge, 750);
  // Empty tables keep index 0.
  EXPECT_EQ(cache.firstAreaFeature, 0);
  EXPECT_EQ(cache.firstLabelPoint, 0);
}

TEST(StartIndexes, MovingSouthContinuesMovingNorthRestarts) {
  const MapData map = fiveBuildings();
  FrameCache cache;
  cache.cachedNorthEdge = 750;
  cache.firstBuilding = 3;  // further than a fresh search would stop
  updateStartIndexes(map, 740, cache);
  EXPECT_EQ(cache.firstBuilding, 3) << "a move south goes on from the current index";
  updateStartIndexes(map, 550, cache);
  EXPECT_EQ(cache.firstBuilding, 4);
  updateStartIndexes(map, 850, cache);
  EXPECT_EQ(cache.firstBuilding, 1) << "a move north searches again from 0";
}

TEST(StartIndexes, SameNorthEdgeKeepsTheIndexes) {
  const MapData map = fiveBuildings();
  FrameCache cache;
  cache.cachedNorthEdge = 750;
  cache.firstBuilding = 4;
  updateStartIndexes(map, 750, cache);
  EXPECT_EQ(cache.firstBuilding, 4);
}

TEST(StartIndexes, NoRecordReachingKeepsTheStart) {
  const MapData map = fiveBuildings();
  FrameCache cache;
  cache.cachedNorthEdge = 2000;
  updateStartIndexes(map, 100, cache);  // every building lies north of the view
  EXPECT_EQ(cache.firstBuilding, 0);
  cache.firstBuilding = 2;
  updateStartIndexes(map, 50, cache);
  EXPECT_EQ(cache.firstBuilding, 2);
  // An index left past a smaller table is brought back inside.
  cache.firstBuilding = 40;
  updateStartIndexes(map, 40, cache);
  EXPECT_EQ(cache.firstBuilding, 5);
}

TEST(StartIndexes, LabelPointsUseTheirNorthing) {
  MapData map;
  for (uint16_t x : {900, 700, 500}) map.streetLabelPoints.push_back({x, 0, 1, 1});
  FrameCache cache;
  cache.cachedNorthEdge = 1000;
  updateStartIndexes(map, 700, cache);
  EXPECT_EQ(cache.firstLabelPoint, 1);
}

TEST(StartIndexes, ComposedFramesKeepAndResetThem) {
  testing::ComposeWorld w;
  for (float x : {15000.0f, 12000.0f, 9000.0f, 6000.0f, 3000.0f}) {
    w.map.streetLines.push_back(testing::ComposeWorld::box(1, x, 5000, 100));
  }
  w.ask(6000, 5000, 1000);  // north edge 6500
  composeFrame(w.ctx, w.dc);
  EXPECT_EQ(w.cache.firstStreetLine, 3);
  EXPECT_FLOAT_EQ(w.cache.cachedNorthEdge, w.view.viewXMax);
  // The title sheet resets every index and takes the city's north edge.
  w.history.count = 1;
  composeFrame(w.ctx, w.dc);
  EXPECT_EQ(w.cache.firstStreetLine, 0);
  EXPECT_FLOAT_EQ(w.cache.cachedNorthEdge, 20000);
}

}  // namespace
}  // namespace tikhomap
