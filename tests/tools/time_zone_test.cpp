#include "tools/time_zone.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "tools/solar_position.h"

namespace tikhomap {
namespace {

int64_t utc(CivilDate d, int hour, int minute = 0) {
  return daysFromCivil(d) * 86400 + hour * 3600 + minute * 60;
}

TEST(TimeZone, VladivostokIsTenHoursAheadAllYearAndAfterItsLastChange) {
  const auto zone = TimeZone::load(kBuiltInTimeZone);
  ASSERT_TRUE(zone) << "the system's time-zone database (tzdata) is missing";
  for (const CivilDate d :
       {CivilDate{2024, 1, 15}, CivilDate{2024, 7, 15}, CivilDate{2095, 7, 1}}) {
    EXPECT_EQ(zone->offsetAt(utc(d, 12)), kBuiltInUtcOffset);
  }
  // From 2011 to 2014 the city kept UTC+11 all year.
  EXPECT_EQ(zone->offsetAt(utc({2012, 1, 15}, 12)), 11 * 3600);
  EXPECT_EQ(zone->utcFromLocal(utc({2024, 6, 1}, 10)), utc({2024, 6, 1}, 0));
}

TEST(TimeZone, SummerTimeFromTheTableAndFromTheClosingRule) {
  const auto zone = TimeZone::load("Europe/Zurich");
  ASSERT_TRUE(zone);
  for (int year : {2024, 2061, 2099}) {
    EXPECT_EQ(zone->offsetAt(utc({year, 1, 10}, 12)), 3600) << year;
    EXPECT_EQ(zone->offsetAt(utc({year, 7, 10}, 12)), 7200) << year;
  }
  // 2024: summer time from 31 March 01:00 UTC to 27 October 01:00 UTC.
  EXPECT_EQ(zone->offsetAt(utc({2024, 3, 31}, 0, 59)), 3600);
  EXPECT_EQ(zone->offsetAt(utc({2024, 3, 31}, 1, 0)), 7200);
  EXPECT_EQ(zone->offsetAt(utc({2024, 10, 27}, 0, 59)), 7200);
  EXPECT_EQ(zone->offsetAt(utc({2024, 10, 27}, 1, 0)), 3600);
  // The same by the rule in 2090: last Sundays of March (26th) and October (29th).
  EXPECT_EQ(zone->offsetAt(utc({2090, 3, 26}, 0, 59)), 3600);
  EXPECT_EQ(zone->offsetAt(utc({2090, 3, 26}, 1, 0)), 7200);
  EXPECT_EQ(zone->offsetAt(utc({2090, 10, 29}, 1, 0)), 3600);
  // The rule's last Sundays for 1 March and 1 October on every weekday.
  struct LastSundays {
    int year, march, october;
  };
  for (const LastSundays& y : {LastSundays{2038, 28, 31},
                               {2039, 27, 30},
                               {2040, 25, 28},
                               {2041, 31, 27},
                               {2042, 30, 26},
                               {2043, 29, 25},
                               {2045, 26, 29}}) {
    EXPECT_EQ(zone->offsetAt(utc({y.year, 3, y.march}, 0, 59)), 3600) << y.year;
    EXPECT_EQ(zone->offsetAt(utc({y.year, 3, y.march}, 1, 0)), 7200) << y.year;
    EXPECT_EQ(zone->offsetAt(utc({y.year, 10, y.october}, 0, 59)), 7200) << y.year;
    EXPECT_EQ(zone->offsetAt(utc({y.year, 10, y.october}, 1, 0)), 3600) << y.year;
  }
  // Local times: a skipped one reads with the winter offset, a repeated one
  // is its first occurrence.
  EXPECT_EQ(zone->utcFromLocal(utc({2024, 3, 31}, 2, 30)), utc({2024, 3, 31}, 1, 30));
  EXPECT_EQ(zone->utcFromLocal(utc({2024, 10, 27}, 2, 30)), utc({2024, 10, 27}, 0, 30));
}

TEST(TimeZone, SouthernRuleSpansTheNewYear) {
  const auto rule = TimeZone::parseRule("AEST-10AEDT,M10.1.0,M4.1.0/3");
  ASSERT_TRUE(rule);
  EXPECT_EQ(rule->stdOffset, 36000);
  EXPECT_EQ(rule->dstOffset, 39600);
  const auto zone = TimeZone::load("Australia/Sydney");
  ASSERT_TRUE(zone);
  EXPECT_EQ(zone->offsetAt(utc({2080, 1, 10}, 0)), 39600);
  EXPECT_EQ(zone->offsetAt(utc({2080, 7, 10}, 0)), 36000);
  EXPECT_EQ(TimeZone::parseRule("<+10>-10")->stdOffset, 36000);
  EXPECT_FALSE(TimeZone::parseRule("CET-1CEST,M13.5.0,M10.5.0/3"));
  EXPECT_FALSE(TimeZone::parseRule("X"));
}

TEST(TimeZone, BadNamesAndDamagedFilesAreRefused) {
  for (const char* name :
       {"", "/etc/passwd", "../../etc/passwd", "Europe/Nowhere", "Europe", "a b"}) {
    EXPECT_FALSE(TimeZone::load(name)) << name;
  }
  std::ifstream in("/usr/share/zoneinfo/Europe/Zurich", std::ios::binary);
  const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
  ASSERT_GT(bytes.size(), 100u);
  // Every cut of the file is refused or read without going past its end.
  for (std::size_t n = 0; n < bytes.size(); n += 7) {
    const auto zone = TimeZone::parse(std::span(bytes).first(n));
    if (zone) {
      EXPECT_LE(std::abs(zone->offsetAt(utc({2024, 7, 1}, 0))), 14 * 3600) << n;
    }
  }
  std::vector<uint8_t> damaged = bytes;
  damaged[20 + 4 * 3 + 3] = 0xff;  // an absurd transition count
  EXPECT_FALSE(TimeZone::parse(damaged));
  EXPECT_EQ(TimeZone::fixed(3600).offsetAt(utc({2050, 1, 1}, 0)), 3600);
}

}  // namespace
}  // namespace tikhomap
