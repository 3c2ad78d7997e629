// Where a map point lies on the earth for the sun: its latitude and
// longitude from the map's grid, the grid's meridian convergence, and the
// city's time zone.
#pragma once

#include "mapdata/map_data.h"
#include "tools/insolation.h"

namespace tikhomap {

// The built-in city: its Gauss–Krüger grid and Vladivostok time (UTC+10
// when the system has no time-zone database).
SunPlace builtInSunPlace(float x, float y);
// A map point of the loaded city: the grid and time zone of its city.txt
// where it gives them, the built-in ones otherwise. A zone the system does
// not know falls back to the built-in one.
SunPlace sunPlaceAt(const MapData& map, float x, float y);
// The same with the time zone already read (for many points of one map).
SunPlace sunPlaceAt(const MapData& map, float x, float y, const TimeZone& zone);

// Minutes as "5 ч 40 мин" (UTF-8); "0 мин" for none.
std::string formatSunMinutes(int minutes);
// A moment of the day as "07:35"; "—" for none.
std::string formatClock(int minuteOfDay);
// "ДД.ММ.ГГГГ".
std::string formatDate(const CivilDate& date);
// The compass direction a facade faces: "Ю (180°)".
std::string formatFacing(double azimuth);

}  // namespace tikhomap
