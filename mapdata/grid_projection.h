// The plane grid of an imported city: a transverse Mercator projection on the
// Krassowsky 1940 ellipsoid, scale factor 1 on the central meridian, north
// up, in metres. Map x (the northing) and y (the easting) are counted from
// an origin of the grid: x = northing - northOrigin, y = easting -
// eastOrigin, where the northing runs from the equator along the central
// meridian and the easting is the distance east of that meridian.
#pragma once

namespace tikhomap {

struct GridProjection {
  double centralMeridian = 0;  // degrees east
  double northOrigin = 0;      // metres
  double eastOrigin = 0;       // metres
};

struct GridPoint {
  double x = 0;  // northing from the origin
  double y = 0;  // easting from the origin
};

struct GeoPoint {
  double latitude = 0;   // degrees, negative south of the equator
  double longitude = 0;  // degrees, negative west of Greenwich
};

// Krüger's series to the sixth order of the third flattening: sub-millimetre
// within a few thousand kilometres of the central meridian, far beyond any
// city. Longitudes are taken relative to the central meridian modulo 360°.
GridPoint geoToGrid(const GridProjection& grid, double latitude, double longitude);
GeoPoint gridToGeo(const GridProjection& grid, double x, double y);

}  // namespace tikhomap
