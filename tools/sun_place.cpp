#include "tools/sun_place.h"

#include <cmath>
#include <cstdio>
#include <numbers>

#include "tools/coordinates.h"

namespace tikhomap {

SunPlace builtInSunPlace(float x, float y) {
  SunPlace place;
  const GeoPosition geo = gridToGeo(x + kCoordNorthShift, y + kCoordEastShift);
  place.latitude = geo.latitude;
  place.longitude = geo.longitude;
  // Grid north turns from true north by the longitude difference from the
  // central meridian times the sine of the latitude.
  place.gridConvergence =
      (geo.longitude - kCentralMeridian) * std::sin(geo.latitude * std::numbers::pi / 180.0);
  place.zone = TimeZone::load(kBuiltInTimeZone)
                   .value_or(TimeZone::fixed(kBuiltInUtcOffset, std::string(kBuiltInTimeZone)));
  return place;
}

SunPlace sunPlaceAt(const MapData& map, float x, float y, const TimeZone& zone) {
  SunPlace place;
  const GeoPosition geo = gridToGeo(x + kCoordNorthShift, y + kCoordEastShift);
  place.latitude = geo.latitude;
  place.longitude = geo.longitude;
  place.gridConvergence =
      (geo.longitude - kCentralMeridian) * std::sin(geo.latitude * std::numbers::pi / 180.0);
  if (map.city.grid) {
    const GridProjection& grid = *map.city.grid;
    const GeoPoint g = gridToGeo(grid, x, y);
    place.latitude = g.latitude;
    place.longitude = g.longitude;
    place.gridConvergence =
        (g.longitude - grid.centralMeridian) * std::sin(g.latitude * std::numbers::pi / 180.0);
  }
  place.zone = zone;
  return place;
}

SunPlace sunPlaceAt(const MapData& map, float x, float y) {
  SunPlace place = builtInSunPlace(x, y);
  if (map.city.grid) {
    const GridProjection& grid = *map.city.grid;
    const GeoPoint geo = gridToGeo(grid, x, y);
    place.latitude = geo.latitude;
    place.longitude = geo.longitude;
    place.gridConvergence =
        (geo.longitude - grid.centralMeridian) * std::sin(geo.latitude * std::numbers::pi / 180.0);
  }
  if (!map.city.timeZone.empty()) {
    if (auto zone = TimeZone::load(map.city.timeZone)) place.zone = std::move(*zone);
  }
  return place;
}

std::string formatSunMinutes(int minutes) {
  char text[48];
  if (minutes >= 60) {
    std::snprintf(text, sizeof text, "%d ч %02d мин", minutes / 60, minutes % 60);
  } else {
    std::snprintf(text, sizeof text, "%d мин", minutes < 0 ? 0 : minutes);
  }
  return text;
}

std::string formatClock(int minuteOfDay) {
  if (minuteOfDay < 0) return "—";
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d", (minuteOfDay / 60) % 24, minuteOfDay % 60);
  return text;
}

std::string formatFacing(double azimuth) {
  static const char* const kNames[] = {"С", "СВ", "В", "ЮВ", "Ю", "ЮЗ", "З", "СЗ"};
  const double a = std::fmod(std::fmod(azimuth, 360.0) + 360.0, 360.0);
  const int sector = static_cast<int>(std::lround(a / 45.0)) % 8;
  char text[32];
  std::snprintf(text, sizeof text, "%s (%d°)", kNames[sector],
                static_cast<int>(std::lround(a)) % 360);
  return text;
}

}  // namespace tikhomap
