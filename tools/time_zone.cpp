#include "tools/time_zone.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "tools/solar_position.h"

namespace tikhomap {
namespace {

// A zone file is a few kilobytes; anything larger is not one.
constexpr std::size_t kMaxZoneFile = 1 << 20;

class Bytes {
 public:
  explicit Bytes(std::span<const uint8_t> data) : data_(data) {}
  bool has(std::size_t n) const { return n <= data_.size() - pos_; }
  bool skip(std::size_t n) {
    if (!has(n)) return false;
    pos_ += n;
    return true;
  }
  std::optional<int64_t> be(std::size_t width) {
    if (!has(width)) return std::nullopt;
    uint64_t v = 0;
    for (std::size_t i = 0; i < width; ++i) v = (v << 8) | data_[pos_ + i];
    pos_ += width;
    if (width == 4) return static_cast<int32_t>(static_cast<uint32_t>(v));
    return static_cast<int64_t>(v);
  }
  std::size_t pos() const { return pos_; }
  std::span<const uint8_t> rest() const { return data_.subspan(pos_); }

 private:
  std::span<const uint8_t> data_;
  std::size_t pos_ = 0;
};

struct Counts {
  int64_t isut, isstd, leap, time, type, chars;
};

std::optional<Counts> header(Bytes& in, char& version) {
  if (!in.has(44)) return std::nullopt;
  const auto bytes = in.rest();
  if (bytes[0] != 'T' || bytes[1] != 'Z' || bytes[2] != 'i' || bytes[3] != 'f') return std::nullopt;
  version = static_cast<char>(bytes[4]);
  in.skip(20);
  Counts c{};
  int64_t* fields[] = {&c.isut, &c.isstd, &c.leap, &c.time, &c.type, &c.chars};
  for (int64_t* f : fields) {
    const auto v = in.be(4);
    if (!v || *v < 0 || *v > 100000) return std::nullopt;
    *f = *v;
  }
  if (c.type < 1) return std::nullopt;
  return c;
}

// "[+-]hh[:mm[:ss]]" as seconds; POSIX offsets count west of UTC.
bool parseTime(std::string_view& s, int& seconds) {
  int sign = 1;
  if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
    sign = s[0] == '-' ? -1 : 1;
    s.remove_prefix(1);
  }
  int parts[3] = {0, 0, 0};
  for (int i = 0; i < 3; ++i) {
    if (s.empty() || !std::isdigit(static_cast<unsigned char>(s[0]))) return i > 0;
    int v = 0;
    int digits = 0;
    while (!s.empty() && std::isdigit(static_cast<unsigned char>(s[0])) && digits < 3) {
      v = v * 10 + (s[0] - '0');
      s.remove_prefix(1);
      ++digits;
    }
    parts[i] = v;
    seconds = sign * (parts[0] * 3600 + parts[1] * 60 + parts[2]);
    if (s.empty() || s[0] != ':') return true;
    s.remove_prefix(1);
  }
  return true;
}

bool parseName(std::string_view& s) {
  if (!s.empty() && s[0] == '<') {
    const auto close = s.find('>');
    if (close == std::string_view::npos) return false;
    s.remove_prefix(close + 1);
    return true;
  }
  std::size_t n = 0;
  while (n < s.size() && std::isalpha(static_cast<unsigned char>(s[n]))) ++n;
  if (n < 3) return false;
  s.remove_prefix(n);
  return true;
}

bool parseNumber(std::string_view& s, int& value) {
  if (s.empty() || !std::isdigit(static_cast<unsigned char>(s[0]))) return false;
  value = 0;
  while (!s.empty() && std::isdigit(static_cast<unsigned char>(s[0])) && value < 100000) {
    value = value * 10 + (s[0] - '0');
    s.remove_prefix(1);
  }
  return true;
}

bool parseChange(std::string_view& s, TimeZone::Rule::Change& c) {
  using Kind = TimeZone::Rule::Change::Kind;
  if (!s.empty() && s[0] == 'M') {
    s.remove_prefix(1);
    c.kind = Kind::MonthWeekDay;
    if (!parseNumber(s, c.month) || s.empty() || s[0] != '.') return false;
    s.remove_prefix(1);
    if (!parseNumber(s, c.week) || s.empty() || s[0] != '.') return false;
    s.remove_prefix(1);
    if (!parseNumber(s, c.weekday)) return false;
    if (c.month < 1 || c.month > 12 || c.week < 1 || c.week > 5 || c.weekday > 6) return false;
  } else if (!s.empty() && s[0] == 'J') {
    s.remove_prefix(1);
    c.kind = Kind::Julian;
    if (!parseNumber(s, c.day) || c.day < 1 || c.day > 365) return false;
  } else {
    c.kind = Kind::ZeroBased;
    if (!parseNumber(s, c.day) || c.day > 365) return false;
  }
  c.seconds = 7200;
  if (!s.empty() && s[0] == '/') {
    s.remove_prefix(1);
    if (!parseTime(s, c.seconds)) return false;
  }
  return true;
}

// Local seconds since 1970 of a change in a year.
int64_t changeLocalSeconds(const TimeZone::Rule::Change& c, int year) {
  using Kind = TimeZone::Rule::Change::Kind;
  int64_t day = 0;
  switch (c.kind) {
    case Kind::MonthWeekDay: {
      const int64_t first = daysFromCivil({year, c.month, 1});
      // 1970-01-01 was a Thursday (weekday 4).
      const int firstWeekday = static_cast<int>(((first % 7) + 7 + 4) % 7);
      int64_t d = first + (c.weekday - firstWeekday + 7) % 7 + 7 * (c.week - 1);
      const int64_t nextMonth =
          c.month == 12 ? daysFromCivil({year + 1, 1, 1}) : daysFromCivil({year, c.month + 1, 1});
      while (d >= nextMonth) d -= 7;
      day = d;
      break;
    }
    case Kind::Julian: {
      const int64_t jan1 = daysFromCivil({year, 1, 1});
      const bool leap = validDate({year, 2, 29});
      day = jan1 + c.day - 1 + (leap && c.day >= 60 ? 1 : 0);
      break;
    }
    case Kind::ZeroBased:
      day = daysFromCivil({year, 1, 1}) + c.day;
      break;
  }
  return day * 86400 + c.seconds;
}

}  // namespace

std::optional<TimeZone::Rule> TimeZone::parseRule(std::string_view s) {
  Rule r;
  int stdWest = 0;
  if (!parseName(s) || !parseTime(s, stdWest)) return std::nullopt;
  r.stdOffset = -stdWest;
  r.dstOffset = r.stdOffset;
  if (s.empty()) return r;
  if (!parseName(s)) return std::nullopt;
  r.hasDst = true;
  r.dstOffset = r.stdOffset + 3600;
  if (!s.empty() && s[0] != ',') {
    int dstWest = 0;
    if (!parseTime(s, dstWest)) return std::nullopt;
    r.dstOffset = -dstWest;
  }
  if (s.empty() || s[0] != ',') return std::nullopt;
  s.remove_prefix(1);
  if (!parseChange(s, r.start) || s.empty() || s[0] != ',') return std::nullopt;
  s.remove_prefix(1);
  if (!parseChange(s, r.end) || !s.empty()) return std::nullopt;
  return r;
}

TimeZone TimeZone::fixed(int offsetSeconds, std::string name) {
  TimeZone z;
  z.name_ = std::move(name);
  z.initialOffset_ = offsetSeconds;
  return z;
}

std::optional<TimeZone> TimeZone::load(std::string_view name) {
  // Only plain relative names: no way out of the database's folder.
  if (name.empty() || name.size() > 128 || name.front() == '/' ||
      name.find("..") != std::string_view::npos) {
    return std::nullopt;
  }
  for (const char c : name) {
    if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '/' || c == '_' || c == '-' ||
          c == '+')) {
      return std::nullopt;
    }
  }
  const char* dir = std::getenv("TZDIR");
  std::string path = dir != nullptr && *dir != 0 ? dir : "/usr/share/zoneinfo";
  path += '/';
  path += name;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::vector<uint8_t> bytes;
  char buffer[4096];
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
    bytes.insert(bytes.end(), buffer, buffer + in.gcount());
    if (bytes.size() > kMaxZoneFile) return std::nullopt;
  }
  return parse(bytes, std::string(name));
}

std::optional<TimeZone> TimeZone::parse(std::span<const uint8_t> bytes, std::string name) {
  Bytes in(bytes);
  char version = 0;
  auto counts = header(in, version);
  if (!counts) return std::nullopt;
  std::size_t timeWidth = 4;
  if (version >= '2') {
    // Skip the 32-bit block; the 64-bit one follows with its own header.
    const Counts& c = *counts;
    if (!in.skip(static_cast<std::size_t>(c.time * 5 + c.type * 6 + c.chars + c.leap * 8 + c.isstd +
                                          c.isut))) {
      return std::nullopt;
    }
    counts = header(in, version);
    if (!counts) return std::nullopt;
    timeWidth = 8;
  }
  const Counts c = *counts;
  TimeZone z;
  z.name_ = std::move(name);
  std::vector<int64_t> times;
  for (int64_t i = 0; i < c.time; ++i) {
    const auto t = in.be(timeWidth);
    if (!t) return std::nullopt;
    times.push_back(*t);
  }
  std::vector<uint8_t> indexes;
  for (int64_t i = 0; i < c.time; ++i) {
    const auto v = in.be(1);
    if (!v || *v >= c.type) return std::nullopt;
    indexes.push_back(static_cast<uint8_t>(*v));
  }
  std::vector<int32_t> typeOffsets;
  for (int64_t i = 0; i < c.type; ++i) {
    const auto off = in.be(4);
    if (!off || !in.skip(2) || *off < -86400 || *off > 86400) return std::nullopt;
    typeOffsets.push_back(static_cast<int32_t>(*off));
  }
  if (!in.skip(static_cast<std::size_t>(c.chars + c.leap * (timeWidth + 4) + c.isstd + c.isut))) {
    return std::nullopt;
  }
  z.initialOffset_ = typeOffsets[0];
  for (std::size_t i = 0; i < times.size(); ++i) {
    if (!z.transitions_.empty() && times[i] <= z.transitions_.back()) return std::nullopt;
    z.transitions_.push_back(times[i]);
    z.offsets_.push_back(typeOffsets[indexes[i]]);
  }
  if (timeWidth == 8) {
    const auto rest = in.rest();
    if (rest.size() >= 2 && rest[0] == '\n') {
      const auto end = std::find(rest.begin() + 1, rest.end(), '\n');
      if (end != rest.end()) {
        z.rule_ = parseRule(std::string_view(reinterpret_cast<const char*>(rest.data() + 1),
                                             static_cast<std::size_t>(end - rest.begin() - 1)));
      }
    }
  }
  return z;
}

int TimeZone::ruleOffsetAt(int64_t utc) const {
  const Rule& r = *rule_;
  if (!r.hasDst) return r.stdOffset;
  const int year =
      civilFromDays((utc + r.stdOffset) / 86400 - ((utc + r.stdOffset) % 86400 < 0 ? 1 : 0)).year;
  const int64_t start = changeLocalSeconds(r.start, year) - r.stdOffset;
  const int64_t end = changeLocalSeconds(r.end, year) - r.dstOffset;
  // Southern zones keep daylight saving across the new year.
  const bool inDst = start < end ? (utc >= start && utc < end) : (utc >= start || utc < end);
  return inDst ? r.dstOffset : r.stdOffset;
}

int TimeZone::offsetAt(int64_t utc) const {
  if (transitions_.empty() || utc < transitions_.front()) {
    if (transitions_.empty() && rule_) return ruleOffsetAt(utc);
    return initialOffset_;
  }
  if (utc >= transitions_.back() && rule_) return ruleOffsetAt(utc);
  const auto it = std::upper_bound(transitions_.begin(), transitions_.end(), utc);
  return offsets_[static_cast<std::size_t>(it - transitions_.begin() - 1)];
}

int64_t TimeZone::utcFromLocal(int64_t local) const {
  // The offset in force a day before and a day after brackets the answer.
  const int before = offsetAt(local - 86400);
  const int64_t first = local - before;
  if (offsetAt(first) == before) return first;
  const int after = offsetAt(local + 86400);
  const int64_t second = local - after;
  if (offsetAt(second) == after) return second;
  return first;  // skipped by a spring change
}

}  // namespace tikhomap
