// Readers of the three text files of reference tables: tema.tkm (theme
// list), user.tkm (addressed objects) and sign.tkm.
#include <algorithm>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

#include "mapdata/cp1251.h"
#include "mapdata/map_readers.h"
#include "mapdata/text_rules.h"

namespace tikhomap {
namespace {

constexpr size_t kMaxLineLength = 199;
constexpr size_t kThemeNameLength = 48;
constexpr size_t kObjectNameLength = 64;
constexpr size_t kSignTextLength = 81;
constexpr size_t kThemeNameSearchFrom = 5;  // the comma is looked for from the sixth character

constexpr size_t kMaxProblemsPerFile = 100;

// The problems of one text file. A damaged text file can have one on every
// line (millions in a file of blank-looking junk); past the first hundred
// only their number is told, so the list stays readable and small.
class FileProblems {
 public:
  FileProblems(const char* file, std::vector<LoadProblem>& problems)
      : file_(file), problems_(problems) {}
  ~FileProblems() {
    if (dropped_ > 0) {
      problems_.push_back({file_, 0, std::to_string(dropped_) + " further problems not listed"});
    }
  }
  FileProblems(const FileProblems&) = delete;
  FileProblems& operator=(const FileProblems&) = delete;

  void add(size_t offset, std::string what) {
    if (countDropped()) return;
    problems_.push_back({file_, offset, std::move(what)});
  }
  // The same without making a string for a problem that is not listed.
  void add(size_t offset, const char* what) {
    if (countDropped()) return;
    problems_.push_back({file_, offset, what});
  }

 private:
  bool countDropped() {
    if (told_ == kMaxProblemsPerFile) {
      ++dropped_;
      return true;
    }
    ++told_;
    return false;
  }

  const char* file_;
  std::vector<LoadProblem>& problems_;
  size_t told_ = 0;
  size_t dropped_ = 0;
};

struct TextLine {
  std::string text;  // without its line end
  size_t offset = 0;
};

// Gives the file's lines one at a time. A line longer than 199 characters
// keeps its first 199; the rest of it is dropped rather than read as a line
// of its own.
class LineReader {
 public:
  LineReader(std::span<const uint8_t> bytes, FileProblems& problems)
      : all_(reinterpret_cast<const char*>(bytes.data()), bytes.size()), problems_(problems) {}

  bool next(TextLine& out) {
    if (pos_ >= all_.size()) return false;
    size_t end = all_.find('\n', pos_);
    if (end == std::string_view::npos) end = all_.size();
    std::string_view line = all_.substr(pos_, end - pos_);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.size() > kMaxLineLength) {
      problems_.add(pos_, "line of " + std::to_string(line.size()) + " characters cut to " +
                              std::to_string(kMaxLineLength));
      line = line.substr(0, kMaxLineLength);
    }
    out.text.assign(line);
    out.offset = pos_;
    pos_ = end + 1;
    return true;
  }

 private:
  std::string_view all_;
  FileProblems& problems_;
  size_t pos_ = 0;
};

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

// At most `width` bytes of a cp1251 text, up to its first NUL, as UTF-8.
std::string fieldFromFile(std::string_view text, size_t width) {
  return cp1251FieldToUtf8(text.substr(0, width));
}

}  // namespace

ThemeListEnds ThemeListEnds::of(const MapData& map) {
  ThemeListEnds ends;
  ends.lastChild.assign(map.themeNodes.size(), -1);
  for (int32_t g = map.themeHead; g >= 0; g = map.themeNodes[static_cast<size_t>(g)].next) {
    const ThemeNode& node = map.themeNodes[static_cast<size_t>(g)];
    ends.lastTop = g;
    if (node.code[1] != '1') continue;
    int32_t& first = ends.firstGroup[static_cast<unsigned char>(node.code[0])];
    if (first < 0) first = g;
    for (int32_t c = node.children; c >= 0; c = map.themeNodes[static_cast<size_t>(c)].next) {
      ends.lastChild[static_cast<size_t>(g)] = c;
    }
  }
  return ends;
}

int32_t insertThemeNode(MapData& map, const ThemeNode& node, std::vector<LoadProblem>* problems,
                        uint64_t offset) {
  ThemeListEnds ends = ThemeListEnds::of(map);
  return insertThemeNode(map, node, ends, problems, offset);
}

int32_t insertThemeNode(MapData& map, const ThemeNode& node, ThemeListEnds& ends,
                        std::vector<LoadProblem>* problems, uint64_t offset) {
  const auto index = static_cast<int32_t>(map.themeNodes.size());
  ThemeNode stored = node;
  stored.children = -1;
  stored.next = -1;
  map.themeNodes.push_back(stored);
  ends.lastChild.resize(map.themeNodes.size(), -1);
  const auto appendTop = [&] {
    if (ends.lastTop < 0) {
      map.themeHead = index;
    } else {
      map.themeNodes[static_cast<size_t>(ends.lastTop)].next = index;
    }
    ends.lastTop = index;
    if (node.code[1] != '1') return;
    int32_t& first = ends.firstGroup[static_cast<unsigned char>(node.code[0])];
    if (first < 0) first = index;
  };
  if (map.themeHead < 0 || node.code[1] == '1') {
    appendTop();
    return index;
  }
  const int32_t group = ends.firstGroup[static_cast<unsigned char>(node.code[0])];
  if (group >= 0) {
    int32_t& last = ends.lastChild[static_cast<size_t>(group)];
    if (last < 0) {
      map.themeNodes[static_cast<size_t>(group)].children = index;
    } else {
      map.themeNodes[static_cast<size_t>(last)].next = index;
    }
    last = index;
    return index;
  }
  // No group yet: the theme stands at the top level (as a first-line theme
  // does) instead of being lost.
  if (problems) problems->push_back({"tema.tkm", offset, "theme listed before its group"});
  appendTop();
  return index;
}

void parseThemeFile(std::span<const uint8_t> bytes, MapData& map,
                    std::vector<LoadProblem>& problems) {
  map.themeNodes.clear();
  map.themeHead = -1;
  FileProblems told("tema.tkm", problems);
  LineReader lines(bytes, told);
  ThemeListEnds ends;
  std::vector<LoadProblem> inserted;
  TextLine line;
  while (lines.next(line)) {
    if (isBlank(line.text)) continue;
    const size_t comma = line.text.find(',', kThemeNameSearchFrom);
    if (comma == std::string::npos) {
      told.add(line.offset, "line without a name skipped");
      continue;
    }
    if (map.themeNodes.size() == kMaxTextRecords) {
      told.add(line.offset, "more than " + std::to_string(kMaxTextRecords) +
                                " themes: the rest of the file ignored");
      break;
    }
    ThemeNode node;
    node.code[0] = line.text[0];
    node.code[1] = line.text[1];
    std::string name = line.text.substr(comma + 1);
    trimText(name);
    node.name = fieldFromFile(name, kThemeNameLength);
    inserted.clear();
    insertThemeNode(map, node, ends, &inserted, line.offset);
    for (LoadProblem& p : inserted) told.add(p.offset, std::move(p.what));
  }
}

namespace {

// The records of user.tkm or sign.tkm: the first line gives their number,
// each further non-blank line with enough fields is one record, until the
// number is reached (and never more than a table holds).
template <typename Record, typename Fill>
bool parseCountedFile(std::span<const uint8_t> bytes, const char* file, const char* table,
                      const char* item, const char* tooFewFields, std::vector<Record>& records,
                      int32_t& declaredOut, std::vector<LoadProblem>& problems, Fill fill) {
  records.clear();
  declaredOut = 0;
  size_t declared = 0;
  {
    FileProblems told(file, problems);
    LineReader lines(bytes, told);
    TextLine line;
    if (!lines.next(line)) {
      told.add(0, std::string("no ") + item + " count");
      return false;
    }
    int32_t count = decimalValue(line.text);
    if (count < 0) {
      told.add(0, std::string("negative ") + item + " count");
      count = 0;
    }
    declaredOut = count;
    declared = static_cast<size_t>(count);
    records.reserve(std::min<size_t>(declared, kMaxTextRecords));
    std::vector<std::string_view> fields;
    while (records.size() < declared && lines.next(line)) {
      std::string text = line.text;
      if (isBlank(text)) continue;
      if (records.size() == kMaxTextRecords) {
        told.add(line.offset, "more than " + std::to_string(kMaxTextRecords) +
                                  " records: the rest of the file ignored");
        break;
      }
      if (!fill(text, line.offset, fields, told)) {
        told.add(line.offset, tooFewFields);
        continue;
      }
    }
  }
  if (records.size() < declared) {
    problems.push_back({file, 0,
                        std::string(table) + ": " + std::to_string(records.size()) + " of " +
                            std::to_string(declared) + " records read"});
  }
  return true;
}

}  // namespace

bool parseUserObjectFile(std::span<const uint8_t> bytes, MapData& map,
                         std::vector<LoadProblem>& problems) {
  return parseCountedFile(bytes, "user.tkm", "userObjects", "object",
                          "line with fewer than four fields skipped", map.userObjects,
                          map.userObjectsDeclared, problems,
                          [&map](const std::string& text, size_t,
                                 std::vector<std::string_view>& fields, FileProblems&) {
                            if (!splitFields(text, 3, fields)) return false;
                            UserObject object;
                            object.x = low16(decimalValue(fields[0]));
                            object.y = low16(decimalValue(fields[1]));
                            const std::string_view theme = fields[2].substr(0, 2);
                            std::copy(theme.begin(), theme.end(), object.theme);
                            std::string name(fields[3]);
                            trimText(name);
                            object.name = fieldFromFile(name, kObjectNameLength);
                            map.userObjects.push_back(object);
                            return true;
                          });
}

bool parseSignFile(std::span<const uint8_t> bytes, MapData& map,
                   std::vector<LoadProblem>& problems) {
  return parseCountedFile(bytes, "sign.tkm", "signRecords", "record",
                          "line with fewer than seven fields skipped", map.signRecords,
                          map.signRecordsDeclared, problems,
                          [&map](std::string text, size_t offset,
                                 std::vector<std::string_view>& fields, FileProblems& told) {
                            trimText(text);
                            if (!splitFields(text, 6, fields)) return false;
                            SignRecord record;
                            record.id = decimalValue(fields[0]);
                            record.a = low16(decimalValue(fields[2]));
                            record.b = low16(decimalValue(fields[3]));
                            record.p = static_cast<float>(decimalValue(fields[4]));
                            record.q = static_cast<float>(decimalValue(fields[5]));
                            if (fields[6].size() > kSignTextLength)
                              told.add(offset, "text cut to 81 characters");
                            record.text = fieldFromFile(fields[6], kSignTextLength);
                            map.signRecords.push_back(record);
                            return true;
                          });
}

}  // namespace tikhomap
