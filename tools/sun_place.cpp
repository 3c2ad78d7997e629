#include "tools/sun_place.h"

#include <cmath>
#include <cstdio>
#include <numbers>

#include "tools/coordinates.h"

namespace tikhomap {

namespace {

// Grid north turns from true north by the longitude difference from the
// central meridian times the sine of the latitude.
void placeAt(SunPlace& place, double latitude, double longitude, double centralMeridian) {
  place.latitude = latitude;
  place.longitude = longitude;
  place.gridConvergence =
      (longitude - centralMeridian) * std::sin(latitude * std::numbers::pi / 180.0);
}

// The place of a point on the built-in city's grid, or on the town's own
// grid where the map has one.
void placeOnGrid(SunPlace& place, const GridProjection* grid, float x, float y) {
  if (grid != nullptr) {
    const GeoPoint g = gridToGeo(*grid, x, y);
    placeAt(place, g.latitude, g.longitude, grid->centralMeridian);
    return;
  }
  const GeoPosition geo = gridToGeo(x + kCoordNorthShift, y + kCoordEastShift);
  placeAt(place, geo.latitude, geo.longitude, kCentralMeridian);
}

}  // namespace

SunPlace builtInSunPlace(float x, float y) {
  SunPlace place;
  placeOnGrid(place, nullptr, x, y);
  place.zone = TimeZone::load(kBuiltInTimeZone)
                   .value_or(TimeZone::fixed(kBuiltInUtcOffset, std::string(kBuiltInTimeZone)));
  return place;
}

SunPlace sunPlaceAt(const MapData& map, float x, float y, const TimeZone& zone) {
  SunPlace place;
  placeOnGrid(place, map.city.grid ? &*map.city.grid : nullptr, x, y);
  place.zone = zone;
  return place;
}

SunPlace sunPlaceAt(const MapData& map, float x, float y) {
  SunPlace place = builtInSunPlace(x, y);
  if (map.city.grid) placeOnGrid(place, &*map.city.grid, x, y);
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

std::string formatDate(const CivilDate& date) {
  char text[32];
  std::snprintf(text, sizeof text, "%02d.%02d.%04d", date.day, date.month, date.year);
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
