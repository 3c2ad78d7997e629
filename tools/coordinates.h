// Geographic latitude and longitude of a map point. The map's plane grid is
// a shifted Gauss–Krüger zone on the Krassowsky 1940 ellipsoid with its
// central meridian at 132° east.
#pragma once

#include <string>

#include "mapdata/map_data.h"

namespace tikhomap {

// Added to the map point by the pointer code before formatLatLong.
inline constexpr float kCoordNorthShift = 35750.0f;
inline constexpr float kCoordEastShift = 22500.0f;
// Added inside formatLatLong: X is then the Gauss–Krüger northing and Y the
// distance east of the central meridian.
inline constexpr double kGridNorthShift = 4733250.0;
inline constexpr double kGridEastShift = -35750.0;
inline constexpr double kCentralMeridian = 132.0;
// 1 / 6367558.4969: radians of meridian arc per metre.
inline constexpr double kArcFactor = 1.5704606412125508e-7;

struct GeoPosition {
  double latitude = 0;   // degrees north
  double longitude = 0;  // degrees east
};

// The inverse Gauss–Krüger transformation of the shifted point (a, b).
GeoPosition gridToGeo(float a, float b);

// " %d°%02d'%02d\"": degrees, minutes and seconds in steps of ten seconds.
// A southern latitude or a western longitude is written with a minus sign
// before the degrees (" -33°52'10\""), its magnitude rounded the same way.
std::string formatDegrees(double degrees);

struct LatLongTexts {
  std::string latitude;   // control 1158, "широта"
  std::string longitude;  // control 1159, "долгота"
};

// Texts for the shifted point (a, b) = (x + 35750, y + 22500).
LatLongTexts formatLatLong(float a, float b);
// The same for a map point, shift included.
LatLongTexts latLongAtMapPoint(float x, float y);
// The texts for a map point of the loaded map: by the grid of its city
// description when it has one, else by the built-in grid above.
LatLongTexts latLongAtMapPoint(const MapData& map, float x, float y);

}  // namespace tikhomap
