// Where the sun stands: azimuth and elevation for a moment and a place, by
// the solar position equations of the NOAA solar calculator (after Meeus),
// with the calculator's atmospheric refraction. Good to a few hundredths of
// a degree between 1950 and 2100.
#pragma once

#include <cstdint>

namespace tikhomap {

inline constexpr int kFirstSunYear = 1950;
inline constexpr int kLastSunYear = 2100;

struct CivilDate {
  int year = 2000;
  int month = 1;  // 1..12
  int day = 1;    // 1..31
  friend bool operator==(const CivilDate&, const CivilDate&) = default;
};

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
int64_t daysFromCivil(const CivilDate& date);
CivilDate civilFromDays(int64_t days);
// Whether the date exists (30 February does not).
bool validDate(const CivilDate& date);

struct SunPosition {
  double azimuth = 0;        // degrees from north, clockwise (east = 90)
  double elevation = 0;      // degrees above the horizon, refraction included
  double trueElevation = 0;  // the same without refraction
};

// The sun at a moment given in seconds since 1970-01-01 00:00 UTC, seen
// from latitude and longitude in degrees (north and east positive).
SunPosition sunPosition(double utcSeconds, double latitude, double longitude);

// Refraction in degrees at a true elevation, as the calculator models it.
double atmosphericRefraction(double trueElevation);

}  // namespace tikhomap
