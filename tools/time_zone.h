// Local time of a place: a time zone of the system's time-zone database
// (TZif files, as Debian's tzdata installs them), read with bounds checks,
// with the zone's closing rule for the years after its last listed change.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tikhomap {

// The built-in city keeps Vladivostok time: UTC+10, no daylight saving.
inline constexpr std::string_view kBuiltInTimeZone = "Asia/Vladivostok";
inline constexpr int kBuiltInUtcOffset = 10 * 3600;

class TimeZone {
 public:
  // A zone that is always the given seconds east of UTC.
  static TimeZone fixed(int offsetSeconds, std::string name = {});
  // Reads a zone by its IANA name ("Europe/Vaduz") from $TZDIR or
  // /usr/share/zoneinfo; none for a name that is not a plain relative path
  // or a file that is not a valid zone.
  static std::optional<TimeZone> load(std::string_view name);
  // Parses the bytes of a TZif file (versions 1 to 4).
  static std::optional<TimeZone> parse(std::span<const uint8_t> bytes, std::string name = {});

  const std::string& name() const { return name_; }
  // Seconds east of UTC in force at a moment (seconds since 1970 UTC).
  int offsetAt(int64_t utcSeconds) const;
  // The moment of a local wall-clock time (seconds since 1970 in local
  // time). A time skipped by a spring change is read with the offset before
  // it; a repeated autumn hour is read as its first occurrence.
  int64_t utcFromLocal(int64_t localSeconds) const;

  // The closing rule (the POSIX TZ string at the file's end).
  struct Rule {
    int stdOffset = 0;  // seconds east of UTC
    int dstOffset = 0;
    bool hasDst = false;
    // Start and end of daylight saving: month 1..12, week 1..5 (5 = last),
    // weekday 0..6 (Sunday = 0), or a day of the year (julian 1..365 without
    // 29 February, or zeroBased 0..365), and local seconds after midnight.
    struct Change {
      enum class Kind : uint8_t { MonthWeekDay, Julian, ZeroBased } kind = Kind::MonthWeekDay;
      int month = 0, week = 0, weekday = 0, day = 0;
      int seconds = 7200;
    } start, end;
  };
  static std::optional<Rule> parseRule(std::string_view text);

 private:
  int ruleOffsetAt(int64_t utcSeconds) const;

  std::string name_;
  std::vector<int64_t> transitions_;  // UTC seconds, ascending
  std::vector<int32_t> offsets_;      // in force from each transition on
  int32_t initialOffset_ = 0;         // before the first transition
  std::optional<Rule> rule_;          // after the last transition
};

}  // namespace tikhomap
