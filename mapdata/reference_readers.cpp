// Readers of the three text files of reference tables: tema.tkm (theme
// list), user.tkm (addressed objects) and sign.tkm.
#include <algorithm>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

#include "mapdata/map_readers.h"
#include "mapdata/text_rules.h"

namespace tikhomap {
namespace {

constexpr size_t kMaxLineLength = 199;
constexpr size_t kThemeNameLength = 48;
constexpr size_t kObjectNameLength = 64;
constexpr size_t kSignTextLength = 81;
constexpr size_t kThemeNameSearchFrom = 5;  // the comma is looked for from the sixth character

struct TextLine {
  std::string text;  // without its line end
  size_t offset = 0;
};

// Splits the file into lines. A line longer than 199 characters keeps its
// first 199; the rest of it is dropped rather than read as a line of its own.
std::vector<TextLine> splitLines(std::span<const uint8_t> bytes, const char* file,
                                 std::vector<LoadProblem>& problems) {
  std::vector<TextLine> lines;
  const std::string_view all(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  size_t pos = 0;
  while (pos < all.size()) {
    size_t end = all.find('\n', pos);
    if (end == std::string_view::npos) end = all.size();
    std::string_view line = all.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.size() > kMaxLineLength) {
      problems.push_back({file, pos,
                          "line of " + std::to_string(line.size()) + " characters cut to " +
                              std::to_string(kMaxLineLength)});
      line = line.substr(0, kMaxLineLength);
    }
    lines.push_back({std::string(line), pos});
    pos = end + 1;
  }
  return lines;
}

bool isBlank(const std::string& s) {
  return std::all_of(s.begin(), s.end(),
                     [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; });
}

// Decimal value the way the standard text-to-number conversion reads it:
// leading white space, an optional sign, digits up to the first non-digit;
// no number reads as 0. Values beyond int32 are clamped.
int32_t decimalValue(std::string_view s) {
  size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || (s[i] >= '\t' && s[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  int64_t value = 0;
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
    value = std::min<int64_t>(value * 10 + (s[i] - '0'), int64_t{1} << 32);
  }
  if (negative) value = -value;
  value = std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                              std::numeric_limits<int32_t>::max());
  return static_cast<int32_t>(value);
}

// The low 16 bits, as a 16-bit field assigned from a decimal value keeps.
int16_t low16(int32_t v) {
  return static_cast<int16_t>(static_cast<uint16_t>(v & 0xFFFF));
}

// Splits at the first `commas` commas; false when the line has fewer.
bool splitFields(std::string_view line, size_t commas, std::vector<std::string_view>& fields) {
  fields.clear();
  size_t pos = 0;
  for (size_t k = 0; k < commas; ++k) {
    const size_t comma = line.find(',', pos);
    if (comma == std::string_view::npos) return false;
    fields.push_back(line.substr(pos, comma - pos));
    pos = comma + 1;
  }
  fields.push_back(line.substr(pos));
  return true;
}

template <size_t N>
void copyField(std::string_view text, char (&field)[N]) {
  const size_t n = std::min(text.size(), N - 1);
  std::memcpy(field, text.data(), n);
  std::fill(field + n, field + N, '\0');
}

int32_t lastOf(const MapData& map, int32_t first) {
  int32_t i = first;
  while (map.themeNodes[static_cast<size_t>(i)].next >= 0)
    i = map.themeNodes[static_cast<size_t>(i)].next;
  return i;
}

}  // namespace

int32_t insertThemeNode(MapData& map, const ThemeNode& node, std::vector<LoadProblem>* problems,
                        uint64_t offset) {
  const auto index = static_cast<int32_t>(map.themeNodes.size());
  ThemeNode stored = node;
  stored.children = -1;
  stored.next = -1;
  map.themeNodes.push_back(stored);
  if (map.themeHead < 0) {
    map.themeHead = index;
    return index;
  }
  if (node.code[1] != '1') {
    for (int32_t g = map.themeHead; g >= 0; g = map.themeNodes[static_cast<size_t>(g)].next) {
      ThemeNode& group = map.themeNodes[static_cast<size_t>(g)];
      if (group.code[0] != node.code[0] || group.code[1] != '1') continue;
      if (group.children < 0) {
        group.children = index;
      } else {
        map.themeNodes[static_cast<size_t>(lastOf(map, group.children))].next = index;
      }
      return index;
    }
    // No group yet: the theme stands at the top level (as a first-line theme
    // does) instead of being lost.
    if (problems) problems->push_back({"tema.tkm", offset, "theme listed before its group"});
  }
  map.themeNodes[static_cast<size_t>(lastOf(map, map.themeHead))].next = index;
  return index;
}

void parseThemeFile(std::span<const uint8_t> bytes, MapData& map,
                    std::vector<LoadProblem>& problems) {
  map.themeNodes.clear();
  map.themeHead = -1;
  for (const TextLine& line : splitLines(bytes, "tema.tkm", problems)) {
    if (isBlank(line.text)) continue;
    const size_t comma = line.text.find(',', kThemeNameSearchFrom);
    if (comma == std::string::npos) {
      problems.push_back({"tema.tkm", line.offset, "line without a name skipped"});
      continue;
    }
    ThemeNode node;
    node.code[0] = line.text[0];
    node.code[1] = line.text[1];
    std::string name = line.text.substr(comma + 1);
    trimText(name);
    copyField(std::string_view(name).substr(0, kThemeNameLength), node.name);
    insertThemeNode(map, node, &problems, line.offset);
  }
}

bool parseUserObjectFile(std::span<const uint8_t> bytes, MapData& map,
                         std::vector<LoadProblem>& problems) {
  const char* file = "user.tkm";
  map.userObjects.clear();
  map.userObjectsDeclared = 0;
  const std::vector<TextLine> lines = splitLines(bytes, file, problems);
  if (lines.empty()) {
    problems.push_back({file, 0, "no object count"});
    return false;
  }
  int32_t declared = decimalValue(lines[0].text);
  if (declared < 0) {
    problems.push_back({file, 0, "negative object count"});
    declared = 0;
  }
  map.userObjectsDeclared = declared;
  map.userObjects.reserve(std::min<size_t>(static_cast<size_t>(declared), lines.size() - 1));
  std::vector<std::string_view> fields;
  for (size_t k = 1; k < lines.size() && map.userObjects.size() < static_cast<size_t>(declared);
       ++k) {
    const TextLine& line = lines[k];
    if (isBlank(line.text)) continue;
    if (!splitFields(line.text, 3, fields)) {
      problems.push_back({file, line.offset, "line with fewer than four fields skipped"});
      continue;
    }
    UserObject object;
    object.x = low16(decimalValue(fields[0]));
    object.y = low16(decimalValue(fields[1]));
    const std::string_view theme = fields[2].substr(0, 2);
    std::copy(theme.begin(), theme.end(), object.theme);
    std::string name(fields[3]);
    trimText(name);
    copyField(std::string_view(name).substr(0, kObjectNameLength), object.name);
    map.userObjects.push_back(object);
  }
  if (map.userObjects.size() < static_cast<size_t>(declared)) {
    problems.push_back({file, 0,
                        "userObjects: " + std::to_string(map.userObjects.size()) + " of " +
                            std::to_string(declared) + " records read"});
  }
  return true;
}

bool parseSignFile(std::span<const uint8_t> bytes, MapData& map,
                   std::vector<LoadProblem>& problems) {
  const char* file = "sign.tkm";
  map.signRecords.clear();
  map.signRecordsDeclared = 0;
  const std::vector<TextLine> lines = splitLines(bytes, file, problems);
  if (lines.empty()) {
    problems.push_back({file, 0, "no record count"});
    return false;
  }
  int32_t declared = decimalValue(lines[0].text);
  if (declared < 0) {
    problems.push_back({file, 0, "negative record count"});
    declared = 0;
  }
  map.signRecordsDeclared = declared;
  map.signRecords.reserve(std::min<size_t>(static_cast<size_t>(declared), lines.size() - 1));
  std::vector<std::string_view> fields;
  for (size_t k = 1; k < lines.size() && map.signRecords.size() < static_cast<size_t>(declared);
       ++k) {
    std::string text = lines[k].text;
    if (trimText(text) == 0) continue;
    if (!splitFields(text, 6, fields)) {
      problems.push_back({file, lines[k].offset, "line with fewer than seven fields skipped"});
      continue;
    }
    SignRecord record;
    record.id = decimalValue(fields[0]);
    record.a = low16(decimalValue(fields[2]));
    record.b = low16(decimalValue(fields[3]));
    record.p = static_cast<float>(decimalValue(fields[4]));
    record.q = static_cast<float>(decimalValue(fields[5]));
    if (fields[6].size() > kSignTextLength) {
      problems.push_back({file, lines[k].offset, "text cut to 81 characters"});
    }
    copyField(fields[6].substr(0, kSignTextLength), record.text);
    map.signRecords.push_back(record);
  }
  if (map.signRecords.size() < static_cast<size_t>(declared)) {
    problems.push_back({file, 0,
                        "signRecords: " + std::to_string(map.signRecords.size()) + " of " +
                            std::to_string(declared) + " records read"});
  }
  return true;
}

}  // namespace tikhomap
