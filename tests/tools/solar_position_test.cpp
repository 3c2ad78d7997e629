#include "tools/solar_position.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>

namespace tikhomap {
namespace {

double angleBetween(double a, double b) {
  const double d = std::fmod(std::abs(a - b), 360.0);
  return d > 180 ? 360 - d : d;
}

// Seconds since 1970 of "YYYY-MM-DDTHH:MM:SS.sss".
double utcSeconds(const std::string& text) {
  CivilDate date;
  int hour = 0;
  int minute = 0;
  double second = 0;
  std::sscanf(text.c_str(), "%d-%d-%dT%d:%d:%lf", &date.year, &date.month, &date.day, &hour,
              &minute, &second);
  return static_cast<double>(daysFromCivil(date)) * 86400.0 + hour * 3600.0 + minute * 60.0 +
         second;
}

TEST(SolarPosition, AgreesWithAnIndependentEphemerisFrom1950To2100) {
  std::ifstream in(std::string(TIKHOMAP_TOOLS_TEST_DATA) + "/sun_reference.csv");
  ASSERT_TRUE(in) << "sun_reference.csv is missing";
  std::string line;
  std::getline(in, line);  // header
  int rows = 0;
  double worstAzimuth = 0;
  double worstElevation = 0;
  while (std::getline(in, line)) {
    std::stringstream fields(line);
    std::string utc;
    double lat = 0, lon = 0, az = 0, el = 0, refracted = 0;
    char comma = 0;
    std::getline(fields, utc, ',');
    fields >> lat >> comma >> lon >> comma >> az >> comma >> el >> comma >> refracted;
    const SunPosition p = sunPosition(utcSeconds(utc), lat, lon);
    ++rows;
    worstElevation = std::max(worstElevation, std::abs(p.trueElevation - el));
    EXPECT_NEAR(p.trueElevation, el, 0.05) << line;
    // Near the zenith the azimuth is ill-defined.
    if (el < 85) {
      worstAzimuth =
          std::max(worstAzimuth, angleBetween(p.azimuth, az) * std::cos(el * M_PI / 180));
      EXPECT_LT(angleBetween(p.azimuth, az) * std::cos(el * M_PI / 180), 0.05) << line;
    }
    // The two refraction models agree well above the horizon.
    if (el > 10) {
      EXPECT_NEAR(p.elevation, refracted, 0.02) << line;
    }
  }
  EXPECT_GE(rows, 200);
  RecordProperty("worstAzimuth", std::to_string(worstAzimuth));
  RecordProperty("worstElevation", std::to_string(worstElevation));
}

TEST(SolarPosition, TheEquatorAtTheEquinoxAndThePolarNight) {
  // 2024-03-20 at longitude 0: the sun culminates at 12:07 UTC (the
  // equation of time), almost in the zenith.
  const double noon = static_cast<double>(daysFromCivil({2024, 3, 20})) * 86400.0 + 12 * 3600.0;
  SunPosition p = sunPosition(noon + 7 * 60.0 + 30, 0, 0);
  EXPECT_GT(p.trueElevation, 89.5);
  EXPECT_LT(sunPosition(noon, 0, 0).trueElevation, 88.5);
  // Six hours earlier it rises in the east.
  p = sunPosition(noon - 6 * 3600.0 + 7 * 60.0, 0, 0);
  EXPECT_NEAR(p.azimuth, 90, 0.5);
  EXPECT_NEAR(p.trueElevation, 0, 2.0);
  // At 80° north in December it never rises; at 80° south it never sets.
  const double december = static_cast<double>(daysFromCivil({2024, 12, 21})) * 86400.0;
  for (int hour = 0; hour < 24; ++hour) {
    EXPECT_LT(sunPosition(december + hour * 3600.0, 80, 20).elevation, 0) << hour;
    EXPECT_GT(sunPosition(december + hour * 3600.0, -80, 20).elevation, 0) << hour;
  }
  // The poles themselves give finite numbers.
  p = sunPosition(december, 90, 0);
  EXPECT_TRUE(std::isfinite(p.azimuth) && std::isfinite(p.elevation));
}

TEST(SolarPosition, RefractionLiftsTheSunAtTheHorizonByAboutHalfADegree) {
  EXPECT_NEAR(atmosphericRefraction(0), 0.48, 0.01);
  EXPECT_NEAR(atmosphericRefraction(45), 0.016, 0.002);
  EXPECT_EQ(atmosphericRefraction(89), 0);
  EXPECT_TRUE(std::isfinite(atmosphericRefraction(-5)));
}

TEST(CivilDates, RoundTripAndInvalidDates) {
  for (int64_t d = daysFromCivil({1950, 1, 1}); d <= daysFromCivil({2100, 12, 31}); d += 17) {
    EXPECT_EQ(daysFromCivil(civilFromDays(d)), d);
  }
  EXPECT_EQ(daysFromCivil({1970, 1, 1}), 0);
  EXPECT_EQ(daysFromCivil({2000, 3, 1}) - daysFromCivil({2000, 2, 28}), 2);  // leap year
  EXPECT_EQ(daysFromCivil({2100, 3, 1}) - daysFromCivil({2100, 2, 28}), 1);  // not a leap year
  EXPECT_FALSE(validDate({2023, 2, 29}));
  EXPECT_TRUE(validDate({2024, 2, 29}));
  EXPECT_FALSE(validDate({2024, 13, 1}));
  EXPECT_FALSE(validDate({2024, 4, 31}));
}

}  // namespace
}  // namespace tikhomap
