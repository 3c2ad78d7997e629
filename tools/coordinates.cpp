#include "tools/coordinates.h"

#include <cmath>
#include <cstdio>

#include "mapdata/grid_projection.h"

namespace tikhomap {
namespace {

constexpr double kDegreesPerRadian = 57.29577951308239;

}  // namespace

GeoPosition gridToGeo(float a, float b) {
  const double bigX = static_cast<double>(a) + kGridNorthShift;
  const double bigY = static_cast<double>(b) + kGridEastShift;

  // Footpoint latitude from the meridian arc.
  const double beta = bigX * kArcFactor;
  const double cb = std::cos(beta);
  const double sb = std::sin(beta);
  const double cb2 = cb * cb;
  const double b0 = beta + 1e-10 * sb * cb * (50221746 + cb2 * (293622 + cb2 * (2350 + 22 * cb2)));

  const double c = std::cos(b0);
  const double g = c * c;
  const double s = std::sin(b0);
  const double n = (6399698 - g * (21562.267 - g * (108.973 - 0.612 * g))) * c;
  const double z = bigY / n;
  const double z2 = z * z;

  const double lat = b0 - z2 * s * c * (0.5 + 0.0033692 * g) *
                              (1 - z2 * (0.25 + g * (0.16161 + 0.00562 * g) - 0.12 * z2));
  const double p = 0.333333 - g * (0.166667 - 0.001123 * g);
  const double q = 0.2 - g * (0.1667 - 0.0088 * g);
  const double l = z * (1 - z2 * (p - q * z2));

  return {lat * kDegreesPerRadian, l * kDegreesPerRadian + kCentralMeridian};
}

std::string formatDegrees(double signedValue) {
  const bool negative = signedValue < 0;
  const double value = std::fabs(signedValue);
  int degrees = static_cast<int>(value);
  const double m1 = (value - degrees) * 60;
  int minutes = static_cast<int>(m1);
  const double s1 = (m1 - minutes) * 60;
  int seconds = (static_cast<int>(s1 + 0.3) + 5) / 10 * 10;
  // Rounding to ten seconds can reach a full minute: carry it instead of
  // writing 60 seconds (or 60 minutes).
  if (seconds >= 60) {
    seconds -= 60;
    if (++minutes >= 60) {
      minutes -= 60;
      ++degrees;
    }
  }
  char text[48];
  // Rounded to nothing, a negative value has no sign left to show.
  const bool minus = negative && (degrees | minutes | seconds) != 0;
  std::snprintf(text, sizeof text, " %s%d\u00b0%02d'%02d\"", minus ? "-" : "", degrees, minutes,
                seconds);
  return text;
}

LatLongTexts formatLatLong(float a, float b) {
  const GeoPosition geo = gridToGeo(a, b);
  return {formatDegrees(geo.latitude), formatDegrees(geo.longitude)};
}

LatLongTexts latLongAtMapPoint(float x, float y) {
  return formatLatLong(x + kCoordNorthShift, y + kCoordEastShift);
}

LatLongTexts latLongAtMapPoint(const MapData& map, float x, float y) {
  if (!map.city.grid) return latLongAtMapPoint(x, y);
  const GeoPoint geo = gridToGeo(*map.city.grid, x, y);
  return {formatDegrees(geo.latitude), formatDegrees(geo.longitude)};
}

}  // namespace tikhomap
