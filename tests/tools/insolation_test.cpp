#include "tools/insolation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace tikhomap {
namespace {

constexpr double kRad = std::numbers::pi / 180.0;

// A block from (x0 north, y0 east) to (x1, y1), counter-clockwise in the
// east-north plane: the south wall is edge 0, east 1, north 2, west 3.
Building block(float x0, float y0, float x1, float y1, int16_t floors) {
  Building b;
  b.floors = floors;
  b.outline = {{x0, y0}, {x0, y1}, {x1, y1}, {x1, y0}};
  b.pointCount = 4;
  b.bounds = {x0, y0, x1, y1};
  return b;
}

const FacadeSun& facing(const Insolation& r, double azimuth) {
  for (const FacadeSun& f : r.facades) {
    if (std::abs(f.facing - azimuth) < 1) return f;
  }
  static const FacadeSun none;
  ADD_FAILURE() << "no facade facing " << azimuth;
  return none;
}

SunPlace place(double lat, double lon, int utcOffsetHours) {
  SunPlace p;
  p.latitude = lat;
  p.longitude = lon;
  p.zone = TimeZone::fixed(utcOffsetHours * 3600);
  return p;
}

TEST(Insolation, ALoneBlockOnTheEquatorAtTheEquinox) {
  MapData map;
  map.buildings = {block(1000, 1000, 1020, 1020, 3)};
  const BuildingBlocks blocks(map);
  const Insolation r = insolation(blocks, 0, {2024, 3, 20}, place(0, 0, 0));
  EXPECT_EQ(r.day, SunDay::Ordinary);
  ASSERT_EQ(r.facades.size(), 4u);
  EXPECT_NEAR(facing(r, 180).length, 20, 1e-9);
  // East from sunrise until the sun climbs within 5° of the zenith, west
  // from there to sunset: about 5 h 40 min each.
  for (double az : {90.0, 270.0}) {
    const FacadeSun& f = facing(r, az);
    EXPECT_GE(f.ground.minutes, 5 * 60 + 25) << az;
    EXPECT_LE(f.ground.minutes, 5 * 60 + 55) << az;
    EXPECT_EQ(f.ground.minutes, f.top.minutes);
    EXPECT_EQ(f.ground.longest, f.ground.minutes);  // one run
  }
  EXPECT_LT(facing(r, 90).ground.first, 6 * 60 + 15);
  EXPECT_LT(facing(r, 90).ground.last, 12 * 60);
  EXPECT_GT(facing(r, 270).ground.first, 12 * 60);
  EXPECT_EQ(facing(r, 0).ground.minutes, 0);
  EXPECT_EQ(facing(r, 180).ground.minutes, 0);
}

TEST(Insolation, MidwinterAt43NorthLightsTheSouthAndNeverTheNorth) {
  MapData map;
  map.buildings = {block(1000, 1000, 1020, 1020, 5)};
  const BuildingBlocks blocks(map);
  const Insolation r = insolation(blocks, 0, {2024, 12, 21}, place(43, 132, 10));
  EXPECT_EQ(facing(r, 0).ground.minutes, 0);
  EXPECT_EQ(facing(r, 0).top.minutes, 0);
  const FacadeSun& south = facing(r, 180);
  EXPECT_GE(south.ground.minutes, 8 * 60);
  EXPECT_LE(south.ground.minutes, 9 * 60 + 30);
}

TEST(Insolation, ATallNeighbourToTheSouthCutsTheSouthFacade) {
  // A long 4-storey slab 20 m south of a 3-storey house, at midwinter (at
  // the equinox it would hide only a sun low enough to graze the wall).
  MapData map;
  map.buildings = {block(1000, 1000, 1020, 1020, 3), block(960, 800, 980, 1220, 4)};
  const BuildingBlocks blocks(map);
  const SunPlace at = place(43, 132, 10);
  const Insolation r = insolation(blocks, 0, {2024, 12, 21}, at);
  MapData alone;
  alone.buildings = {map.buildings[0]};
  const Insolation free = insolation(BuildingBlocks(alone), 0, {2024, 12, 21}, at);
  // Worked out on the sun's track: the slab's top edge, 10.5 m above the
  // ground sample and 20.5 m south of it, hides the sun while
  // tan(elevation) < 10.5 / (20.5 / cos(azimuth - 180°)), as long as the ray
  // meets the slab at all (it reaches 200 m to either side).
  int expected = 0;
  int unshaded = 0;
  for (const SunTrackPoint& s : r.track) {
    const double off = (s.azimuth - 180) * kRad;
    if (s.elevation <= 0 || std::cos(s.elevation * kRad) * std::cos(off) <= std::cos(85 * kRad)) {
      continue;
    }
    ++unshaded;
    const double along = 20.5 / std::cos(off);
    const double sideways = std::abs(along * std::sin(off));
    const bool hidden = sideways < 190 && std::tan(s.elevation * kRad) < 10.5 / along;
    if (!hidden) ++expected;
  }
  EXPECT_EQ(facing(free, 180).ground.minutes, unshaded * kSunStepMinutes);
  EXPECT_NEAR(facing(r, 180).ground.minutes, expected * kSunStepMinutes, 10);
  EXPECT_LT(facing(r, 180).ground.minutes, facing(free, 180).ground.minutes - 120);
  // The top floor stands higher and loses less.
  EXPECT_GT(facing(r, 180).top.minutes, facing(r, 180).ground.minutes);
}

TEST(Insolation, AnLShapedBuildingShadesItsOwnInnerWall) {
  // A south wing 40 m long and an east wing reaching 30 m north of it.
  Building l;
  l.floors = 9;
  l.outline = {{0, 0}, {0, 40}, {40, 40}, {40, 30}, {10, 30}, {10, 0}};
  l.bounds = {0, 0, 40, 40};
  MapData map;
  map.buildings = {l};
  MapData wingAlone;
  wingAlone.buildings = {block(10, 30, 40, 40, 9)};
  const SunPlace at = place(43, 132, 10);
  const Insolation shaded = insolation(BuildingBlocks(map), 0, {2024, 12, 21}, at);
  const Insolation free = insolation(BuildingBlocks(wingAlone), 0, {2024, 12, 21}, at);
  // Edge 3 runs from (40, 30) to (10, 30): the east wing's inner wall,
  // facing west over the south wing.
  ASSERT_EQ(shaded.facades.size(), 6u);
  const FacadeSun& inner = shaded.facades[3];
  EXPECT_NEAR(inner.facing, 270, 1e-6);
  EXPECT_GT(facing(free, 270).ground.minutes, 0);
  EXPECT_LT(inner.ground.minutes, facing(free, 270).ground.minutes);
  EXPECT_LE(inner.ground.minutes, inner.top.minutes);
}

TEST(Insolation, BadInputsGiveHonestEmptyResults) {
  MapData map;
  map.buildings = {block(0, 0, 10, 10, 2), block(100, 100, 110, 110, 0)};
  Building line;
  line.floors = 3;
  line.outline = {{0, 200}, {10, 200}};
  line.bounds = {0, 200, 10, 200};
  map.buildings.push_back(line);
  Building repeated = block(300, 300, 310, 310, 2);
  repeated.outline.push_back(repeated.outline.front());  // a closing vertex: a zero-length edge
  map.buildings.push_back(repeated);
  const BuildingBlocks blocks(map);
  const SunPlace at = place(43, 132, 10);
  for (const CivilDate d :
       {CivilDate{1949, 12, 31}, CivilDate{2101, 1, 1}, CivilDate{2023, 2, 29}}) {
    const Insolation r = insolation(blocks, 0, d, at);
    EXPECT_EQ(r.day, SunDay::OutOfRange);
    EXPECT_TRUE(r.facades.empty());
  }
  EXPECT_TRUE(insolation(blocks, 1, {2024, 6, 1}, at).facades.empty());  // no storeys
  EXPECT_TRUE(insolation(blocks, 2, {2024, 6, 1}, at).facades.empty());  // not an area
  EXPECT_TRUE(insolation(blocks, 9, {2024, 6, 1}, at).facades.empty());  // no such row
  EXPECT_EQ(insolation(blocks, 3, {2024, 6, 1}, at).facades.size(), 4u);
  // Polar night and polar day.
  Insolation r = insolation(blocks, 0, {2024, 12, 21}, place(80, 20, 1));
  EXPECT_EQ(r.day, SunDay::PolarNight);
  for (const FacadeSun& f : r.facades) EXPECT_EQ(f.top.minutes, 0);
  r = insolation(blocks, 0, {2024, 6, 21}, place(80, 20, 1));
  EXPECT_EQ(r.day, SunDay::PolarDay);
  for (const FacadeSun& f : r.facades) {
    EXPECT_TRUE(std::isfinite(f.facing));
    EXPECT_LE(f.ground.minutes, 24 * 60);
  }
}

TEST(Insolation, RaysThroughCornersAndAlongWallsAreDecidedOnce) {
  // A 10 m square block 3 m high; every ray starts outside at 1.5 m and
  // rises slowly enough to pass under its top.
  MapData map;
  map.buildings = {block(10, 10, 20, 20, 1)};
  const BuildingBlocks blocks(map);
  const double h = std::sqrt(0.5);
  const double l = std::sqrt(20.0);
  struct Ray {
    double x, y, dx, dy;
    bool blocked;
  };
  const Ray rays[] = {
      {30.5, 9.5, -h, h, false},       // grazes the corner (20, 20) from outside
      {25, 15, -h, h, false},          // grazes the same corner from the other side
      {25, 25, -h, -h, true},          // corner to corner across the inside
      {24, 22, -4 / l, -2 / l, true},  // in through a corner, out through a wall
      {30, 9.999, -1, 0, false},       // just beside the west wall
      {30, 10.001, -1, 0, true},       // just inside the west wall
  };
  for (const Ray& r : rays) {
    EXPECT_EQ(blocks.blocked(r.x, r.y, 1.5, r.dx, r.dy, 0.01), r.blocked)
        << r.x << "," << r.y << " along " << r.dx << "," << r.dy;
  }
  // Along a wall the ray is outside one way and inside the other: never
  // both, never neither.
  EXPECT_NE(blocks.blocked(30, 20, 1.5, -1, 0, 0.01), blocks.blocked(0, 20, 1.5, 1, 0, 0.01));
  EXPECT_NE(blocks.blocked(20, 30, 1.5, 0, -1, 0.01), blocks.blocked(20, 0, 1.5, 0, 1, 0.01));
  // Along a wall two blocks share, one of them stands over the ray whichever
  // way it runs.
  MapData pair;
  pair.buildings = {block(10, 10, 20, 20, 1), block(10, 20, 20, 30, 1)};
  const BuildingBlocks both(pair);
  EXPECT_TRUE(both.blocked(30, 20, 1.5, -1, 0, 0.01));
  EXPECT_TRUE(both.blocked(0, 20, 1.5, 1, 0, 0.01));
}

TEST(Insolation, ARayFromInsideOrFromTheOutlineIsBlockedOnlyGoingIn) {
  MapData map;
  map.buildings = {block(10, 10, 20, 20, 1)};
  const BuildingBlocks blocks(map);
  const double h = std::sqrt(0.5);
  struct Ray {
    double x, y, dx, dy;
    bool blocked;
  };
  const Ray rays[] = {
      {15, 15, 1, 0, true},    // inside
      {15, 15, -h, h, true},   // inside, towards a corner
      {20, 15, 1, 0, false},   // on the north wall, out
      {20, 15, -1, 0, true},   // on the north wall, in
      {20, 20, h, h, false},   // on a corner, out
      {20, 20, -h, -h, true},  // on a corner, in
      {20, 20, h, -h, false},  // on a corner, out past the north wall
  };
  for (const Ray& r : rays) {
    EXPECT_EQ(blocks.blocked(r.x, r.y, 1.5, r.dx, r.dy, 0.01), r.blocked)
        << r.x << "," << r.y << " along " << r.dx << "," << r.dy;
  }
  EXPECT_FALSE(blocks.blocked(15, 15, 3, 1, 0, 0.01));  // at the top
}

TEST(Insolation, SkylineSeenFromAFacade) {
  MapData map;
  map.buildings = {block(1000, 1000, 1020, 1020, 3), block(960, 800, 980, 1220, 10)};
  const BuildingBlocks blocks(map);
  const FacadePoint p = facadePoint(map.buildings[0], 0);
  EXPECT_NEAR(p.nx, -1, 1e-9);  // the south wall looks south
  EXPECT_NEAR(p.x, 999.5, 1e-9);
  EXPECT_NEAR(blocks.skyline(p.x, p.y, 1.5, -1, 0, 1000),
              std::atan2(30 - 1.5, 19.5) * 180 / std::numbers::pi, 1e-6);
  // Its own wall 0.5 m behind the sample.
  EXPECT_NEAR(blocks.skyline(p.x, p.y, 1.5, 1, 0, 10),
              std::atan2(9 - 1.5, 0.5) * 180 / std::numbers::pi, 1e-6);
  EXPECT_EQ(blocks.skyline(p.x, p.y, 40, -1, 0, 1000), 0);  // above the slab
}

}  // namespace
}  // namespace tikhomap

#include "tools/sun_place.h"

namespace tikhomap {
namespace {

TEST(SunPlace, TheBuiltInCityAndItsTexts) {
  const SunPlace p = builtInSunPlace(12000, 12000);
  EXPECT_NEAR(p.latitude, 43, 1.5);
  EXPECT_NEAR(p.longitude, 132, 1.5);
  EXPECT_LT(std::abs(p.gridConvergence), 1.0);
  EXPECT_EQ(p.zone.offsetAt(0), kBuiltInUtcOffset);
  EXPECT_EQ(formatSunMinutes(340), "5 ч 40 мин");
  EXPECT_EQ(formatSunMinutes(45), "45 мин");
  EXPECT_EQ(formatClock(7 * 60 + 5), "07:05");
  EXPECT_EQ(formatClock(-1), "—");
  EXPECT_EQ(formatFacing(180), "Ю (180°)");
  EXPECT_EQ(formatFacing(359.7), "С (0°)");
  EXPECT_EQ(formatFacing(-45), "СЗ (315°)");
}

}  // namespace
}  // namespace tikhomap

namespace tikhomap {
namespace {

TEST(SunPlace, AnImportedCityTakesItsGridAndZoneFromItsFile) {
  MapData map;
  map.city.present = true;
  map.city.grid = GridProjection{9.5, 5200000, -20000};
  map.city.timeZone = "Europe/Vaduz";
  const SunPlace p = sunPlaceAt(map, 20000, 20000);
  EXPECT_NEAR(p.longitude, 9.5, 0.01);  // on the central meridian
  EXPECT_NEAR(p.latitude, 47.1, 0.3);
  EXPECT_NEAR(p.gridConvergence, 0, 0.01);
  EXPECT_EQ(p.zone.name(), "Europe/Vaduz");
  EXPECT_EQ(p.zone.offsetAt(daysFromCivil({2024, 7, 1}) * 86400), 7200);
  // An unknown zone keeps the built-in one.
  map.city.timeZone = "Mars/Olympus";
  EXPECT_EQ(sunPlaceAt(map, 0, 0).zone.offsetAt(0), kBuiltInUtcOffset);
}

}  // namespace
}  // namespace tikhomap
