#include "mapdata/further_addresses.h"

#include <charconv>
#include <map>
#include <string_view>
#include <utility>

#include "mapdata/load_result.h"
#include "mapdata/utf8_text.h"

namespace tikhomap {
namespace {

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

// The next blank-separated word of s, removed from it.
std::string_view nextWord(std::string_view& s) {
  s = trimmed(s);
  size_t end = 0;
  while (end < s.size() && s[end] != ' ' && s[end] != '\t') ++end;
  const std::string_view word = s.substr(0, end);
  s.remove_prefix(end);
  return word;
}

template <typename T>
bool wholeNumber(std::string_view text, long min, long max, T& out) {
  long v = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size() || v < min || v > max)
    return false;
  out = static_cast<T>(v);
  return true;
}

}  // namespace

std::vector<FurtherAddress> parseFurtherAddresses(std::span<const uint8_t> bytes,
                                                  std::span<const Building> buildings,
                                                  std::vector<LoadProblem>* problems) {
  std::map<std::pair<int32_t, int32_t>, int32_t> rowAt;
  for (size_t i = 0; i < buildings.size(); ++i)
    rowAt.emplace(std::make_pair(buildings[i].x, buildings[i].y), static_cast<int32_t>(i));
  std::vector<FurtherAddress> out;
  const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = trimmed(text.substr(start, end - start));
    const uint64_t offset = start;
    start = end + 1;
    if (line.empty() || line.front() == '#') continue;
    auto bad = [&](const char* what) {
      if (problems) problems->push_back({kFurtherAddressFile, offset, what});
    };
    FurtherAddress a;
    if (!wholeNumber(nextWord(line), 0, 65535, a.x) ||
        !wholeNumber(nextWord(line), 0, 65535, a.y) ||
        !wholeNumber(nextWord(line), 0, 32767, a.streetCode)) {
      bad("line without an address point and a street code");
      continue;
    }
    // Blanks are trimmed once the control characters are gone, so that the
    // number reads back the same once written.
    const std::string number(trimmed(sanitizedUtf8(trimmed(line))));
    if (number.empty() || codePointCount(number) > kFurtherNumberLength) {
      bad(number.empty() ? "address without a house number" : "house number too long");
      continue;
    }
    const auto row = rowAt.find({a.x, a.y});
    if (row == rowAt.end()) {
      bad("no building at this address point");
      continue;
    }
    a.number = std::move(number);
    a.building = row->second;
    out.push_back(std::move(a));
  }
  return out;
}

std::string writeFurtherAddresses(std::span<const FurtherAddress> addresses) {
  std::string out =
      "# Tikhomap further house numbers: address point x, y of the building, street code,\n"
      "# house number.\n";
  for (const FurtherAddress& a : addresses) {
    std::string number;
    for (char c : a.number)
      if (static_cast<unsigned char>(c) >= 0x20) number.push_back(c);
    out += std::to_string(a.x) + " " + std::to_string(a.y) + " " + std::to_string(a.streetCode) +
           " " + number + "\n";
  }
  return out;
}

}  // namespace tikhomap
