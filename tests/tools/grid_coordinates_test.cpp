// The imported city's grid: the forward projection the importer uses and the
// inverse the coordinates window reads, against each other and against the
// built-in Gauss–Krüger formula.
#include <gtest/gtest.h>

#include <cmath>

#include "mapdata/grid_projection.h"
#include "tools/coordinates.h"

namespace tikhomap {
namespace {

constexpr double kArcSecond = 1.0 / 3600;

struct Place {
  double lat, lon, meridian;
};

TEST(GridProjection, RoundTripIsWithinAHundredthOfAnArcSecond) {
  const Place places[] = {
      {47.14, 9.52, 9.55},      // Vaduz, near the meridian
      {47.27, 9.47, 9.55},      // the north-west corner of its extract
      {43.12, 131.89, 132.0},   // the built-in city's region
      {-33.87, 151.21, 151.0},  // southern hemisphere
      {64.14, -21.94, -22.0},   // western longitudes
      {0.0, 0.3, 0.0},          // the equator
      {60.0, 12.0, 9.0},        // three degrees off the meridian
      {-54.8, -68.3, -68.0},
  };
  for (const Place& p : places) {
    const GridProjection grid{p.meridian, 1234567.0, -4321.0};
    const GridPoint g = geoToGrid(grid, p.lat, p.lon);
    const GeoPoint back = gridToGeo(grid, g.x, g.y);
    EXPECT_NEAR(back.latitude, p.lat, 0.01 * kArcSecond) << p.lat << " " << p.lon;
    EXPECT_NEAR(back.longitude, p.lon, 0.01 * kArcSecond) << p.lat << " " << p.lon;
  }
}

TEST(GridProjection, TheMeridianIsTrueToScaleAndEastingGrowsEastward) {
  const GridProjection grid{9.5, 0, 0};
  // One degree of latitude along the meridian on Krassowsky near 47°:
  // about 111.2 km; the easting of the meridian is 0.
  const GridPoint a = geoToGrid(grid, 47.0, 9.5), b = geoToGrid(grid, 48.0, 9.5);
  EXPECT_NEAR(b.x - a.x, 111200, 150);
  EXPECT_NEAR(a.y, 0, 1e-6);
  EXPECT_GT(geoToGrid(grid, 47.0, 9.6).y, 0);
  EXPECT_LT(geoToGrid(grid, 47.0, 9.4).y, 0);
  // Parallels curve towards the pole away from the meridian: the southern
  // edge of an area is lowest on the meridian, not at its corners.
  EXPECT_LT(a.x, geoToGrid(grid, 47.0, 9.7).x);
  EXPECT_LT(a.x, geoToGrid(grid, 47.0, 9.3).x);
}

TEST(GridProjection, AgreesWithTheBuiltInGaussKrugerInverse) {
  // The built-in grid is a Gauss–Krüger zone at 132° E: X = x + 4769000,
  // Y = y − 13250. The same grid as a transverse Mercator grid.
  const GridProjection grid{132.0, 4769000.0, -13250.0};
  for (float x : {0.0f, 10000.0f, 25000.0f})
    for (float y : {0.0f, 13250.0f, 30000.0f}) {
      const GeoPosition builtIn = gridToGeo(x + kCoordNorthShift, y + kCoordEastShift);
      const GeoPoint ours = gridToGeo(grid, x, y);
      EXPECT_NEAR(ours.latitude, builtIn.latitude, 0.05 * kArcSecond) << x << "," << y;
      EXPECT_NEAR(ours.longitude, builtIn.longitude, 0.05 * kArcSecond) << x << "," << y;
    }
}

TEST(Coordinates, SouthernAndWesternPositionsAreWrittenWithAMinus) {
  EXPECT_EQ(formatDegrees(-33.8675), " -33\u00b052'00\"");
  EXPECT_EQ(formatDegrees(-0.5), " -0\u00b030'00\"");
  EXPECT_EQ(formatDegrees(-0.001), " 0\u00b000'00\"");  // rounds to nothing: no sign
  EXPECT_EQ(formatDegrees(-21.999999), " -22\u00b000'00\"");
  EXPECT_EQ(formatDegrees(43.0555), " 43\u00b003'20\"");  // positive values as before
}

TEST(Coordinates, TheLoadedMapsGridDecidesWhenItHasOne) {
  MapData map;
  EXPECT_EQ(latLongAtMapPoint(map, 0, 0).latitude, latLongAtMapPoint(0, 0).latitude);
  map.city.grid = GridProjection{9.55, 5209646.0, -9274.0};
  const GridPoint castle = geoToGrid(*map.city.grid, 47.1397, 9.5244);
  const LatLongTexts t =
      latLongAtMapPoint(map, static_cast<float>(castle.x), static_cast<float>(castle.y));
  EXPECT_EQ(t.latitude, " 47\u00b008'20\"");
  EXPECT_EQ(t.longitude, " 9\u00b031'30\"");
}

}  // namespace
}  // namespace tikhomap
