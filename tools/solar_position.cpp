#include "tools/solar_position.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tikhomap {
namespace {

constexpr double kRad = std::numbers::pi / 180.0;
constexpr double kDeg = 180.0 / std::numbers::pi;
// Julian day of 1970-01-01 00:00 UTC.
constexpr double kUnixEpochJulianDay = 2440587.5;

double wrap360(double degrees) {
  const double r = std::fmod(degrees, 360.0);
  return r < 0 ? r + 360.0 : r;
}

}  // namespace

int64_t daysFromCivil(const CivilDate& date) {
  // Days in whole 400-year eras from 0000-03-01, then within the era.
  const int64_t y = static_cast<int64_t>(date.year) - (date.month <= 2 ? 1 : 0);
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t mp = (date.month + 9) % 12;
  const int64_t doy = (153 * mp + 2) / 5 + date.day - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

CivilDate civilFromDays(int64_t days) {
  days += 719468;
  const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const int64_t doe = days - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  const int64_t d = doy - (153 * mp + 2) / 5 + 1;
  const int64_t m = mp < 10 ? mp + 3 : mp - 9;
  return {static_cast<int>(yoe + era * 400 + (m <= 2 ? 1 : 0)), static_cast<int>(m),
          static_cast<int>(d)};
}

bool validDate(const CivilDate& date) {
  if (date.month < 1 || date.month > 12 || date.day < 1 || date.day > 31) return false;
  return civilFromDays(daysFromCivil(date)) == date;
}

double atmosphericRefraction(double e) {
  if (e > 85.0) return 0;
  const double t = std::tan(e * kRad);
  double arcSeconds = 0;
  if (e > 5.0) {
    arcSeconds = 58.1 / t - 0.07 / (t * t * t) + 0.000086 / std::pow(t, 5);
  } else if (e > -0.575) {
    arcSeconds = 1735.0 + e * (-518.2 + e * (103.4 + e * (-12.79 + e * 0.711)));
  } else {
    arcSeconds = -20.772 / t;
  }
  return arcSeconds / 3600.0;
}

SunPosition sunPosition(double utcSeconds, double latitude, double longitude) {
  const double jd = kUnixEpochJulianDay + utcSeconds / 86400.0;
  const double t = (jd - 2451545.0) / 36525.0;

  const double meanLong = wrap360(280.46646 + t * (36000.76983 + t * 0.0003032));
  const double meanAnom = 357.52911 + t * (35999.05029 - 0.0001537 * t);
  const double ecc = 0.016708634 - t * (0.000042037 + 0.0000001267 * t);
  const double m = meanAnom * kRad;
  const double centre = std::sin(m) * (1.914602 - t * (0.004817 + 0.000014 * t)) +
                        std::sin(2 * m) * (0.019993 - 0.000101 * t) + std::sin(3 * m) * 0.000289;
  const double trueLong = meanLong + centre;
  const double omega = (125.04 - 1934.136 * t) * kRad;
  const double appLong = trueLong - 0.00569 - 0.00478 * std::sin(omega);
  const double meanObliq =
      23.0 + (26.0 + (21.448 - t * (46.815 + t * (0.00059 - t * 0.001813))) / 60.0) / 60.0;
  const double obliq = (meanObliq + 0.00256 * std::cos(omega)) * kRad;
  const double lambda = appLong * kRad;
  const double declination = std::asin(std::sin(obliq) * std::sin(lambda));

  const double y = std::pow(std::tan(obliq / 2), 2);
  const double l0 = meanLong * kRad;
  const double equationOfTime =
      4.0 * kDeg *
      (y * std::sin(2 * l0) - 2 * ecc * std::sin(m) + 4 * ecc * y * std::sin(m) * std::cos(2 * l0) -
       0.5 * y * y * std::sin(4 * l0) - 1.25 * ecc * ecc * std::sin(2 * m));

  const double dayMinutes = std::fmod(utcSeconds / 60.0, 1440.0);
  const double solarTime = std::fmod(
      (dayMinutes < 0 ? dayMinutes + 1440.0 : dayMinutes) + equationOfTime + 4.0 * longitude,
      1440.0);
  const double trueSolar = solarTime < 0 ? solarTime + 1440.0 : solarTime;
  const double hourAngle = trueSolar / 4.0 < 0 ? trueSolar / 4.0 + 180.0 : trueSolar / 4.0 - 180.0;

  const double phi = latitude * kRad;
  const double ha = hourAngle * kRad;
  const double cosZenith = std::clamp(
      std::sin(phi) * std::sin(declination) + std::cos(phi) * std::cos(declination) * std::cos(ha),
      -1.0, 1.0);
  const double zenith = std::acos(cosZenith);

  SunPosition p;
  p.trueElevation = 90.0 - zenith * kDeg;
  p.elevation = p.trueElevation + atmosphericRefraction(p.trueElevation);
  // The azimuth from the zenith angle; at a pole or in the zenith any
  // direction is as good, and the formula's denominator vanishes.
  const double denominator = std::cos(phi) * std::sin(zenith);
  double azimuth = 180.0;
  if (std::abs(denominator) > 1e-12) {
    const double c = std::clamp(
        (std::sin(phi) * std::cos(zenith) - std::sin(declination)) / denominator, -1.0, 1.0);
    const double a = std::acos(c) * kDeg;
    azimuth = hourAngle > 0 ? wrap360(a + 180.0) : wrap360(540.0 - a);
  }
  p.azimuth = azimuth;
  return p;
}

}  // namespace tikhomap
