#include "search/name_matching.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

#include "mapdata/text_rules.h"

namespace tikhomap {
namespace {

// Longest typed text kept; the dialogs read at most 31 characters.
constexpr std::size_t kMaxTyped = 255;
// A typed street of more characters than this is also looked for inside names.
constexpr std::size_t kSubstringMinLength = 5;

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// The byte at i, or NUL past the end: the texts behave as NUL-terminated.
char at(std::string_view s, std::size_t i) {
  return i < s.size() ? s[i] : '\0';
}

bool isCSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Decimal integer as the C text-to-long conversion reads it (leading white
// space, optional sign, digits up to the first non-digit), saturating at the
// 32-bit limits instead of overflowing.
int32_t readInteger(std::string_view s, std::size_t pos) {
  while (isCSpace(at(s, pos))) ++pos;
  bool negative = false;
  if (at(s, pos) == '+' || at(s, pos) == '-') {
    negative = at(s, pos) == '-';
    ++pos;
  }
  constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
  int64_t value = 0;
  for (; isDigit(at(s, pos)); ++pos) value = std::min(value * 10 + (at(s, pos) - '0'), kLimit);
  if (negative) return static_cast<int32_t>(-value);
  return static_cast<int32_t>(std::min(value, kLimit - 1));
}

// The typed text folded, cut at the first NUL and at kMaxTyped characters.
std::string foldedTyped(std::string_view typed) {
  return foldName(firstCodePoints(upToNul(typed), kMaxTyped));
}

// Where a character stands when house numbers differ in it: a character of
// the map code page as its byte read as signed (Cyrillic letters before
// digits and punctuation), any other after them all.
int32_t houseWeight(char32_t c) {
  const uint32_t w = foldOrderWeight(c);
  if (w < 0x100) return static_cast<signed char>(static_cast<unsigned char>(w));
  return static_cast<int32_t>(w);
}

// Whether the folded name holds the folded search text. The scan looks for
// the text without its first byte: in UTF-8 Cyrillic every other byte is
// one of two lead bytes, while the next byte tells the letters apart.
bool foldedContains(std::string_view name, std::string_view search) {
  if (search.size() < 2) return name.find(search) != std::string_view::npos;
  const std::string_view tail = search.substr(1);
  for (std::size_t p = name.find(tail, 1); p != std::string_view::npos;
       p = name.find(tail, p + 1)) {
    if (name[p - 1] == search[0]) return true;
  }
  return false;
}

std::string_view houseKey(std::string_view text) {
  text = upToNul(text);
  return text.substr(0, text.find(','));
}

}  // namespace

bool isPlainNumber(std::string_view text) {
  text = upToNul(text);
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  const std::size_t first = i;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (isDigit(c) || c == '.') continue;
    if ((c == ' ' || c == '-') && i == first) continue;
    return false;
  }
  return true;
}

int compareHouseNumbers(std::string_view a, std::string_view b) {
  a = upToNul(a);
  b = upToNul(b);
  if (isPlainNumber(a) && isPlainNumber(b)) {
    const int32_t va = readInteger(a, 0);
    const int32_t vb = readInteger(b, 0);
    if (va == vb) return 0;
    return va < vb ? -1 : 1;
  }
  std::size_t i = 0;
  std::size_t j = 0;
  char32_t ca = 0;
  char32_t cb = 0;
  while (i < a.size() && j < b.size()) {
    if (isDigit(a[i]) && isDigit(b[j])) {
      const int32_t va = readInteger(a, i);
      const int32_t vb = readInteger(b, j);
      if (va > vb) return 1;
      if (va < vb) return -1;
      // Both step on together, a character at a time, while a's run lasts.
      while (isDigit(at(a, i)) && j < b.size()) {
        ++i;
        readCodePoint(b, j);
      }
      continue;
    }
    std::size_t nextI = i;
    std::size_t nextJ = j;
    ca = readCodePoint(a, nextI);
    cb = readCodePoint(b, nextJ);
    if (ca != cb) break;
    i = nextI;
    j = nextJ;
  }
  if (i >= a.size()) return j >= b.size() ? 0 : -1;
  if (j >= b.size()) return 1;
  return houseWeight(ca) < houseWeight(cb) ? -1 : 1;
}

void sortHouseList(std::span<HouseListEntry> list) {
  if (list.size() < 2) return;
  for (std::size_t p = 0; p + 1 < list.size(); ++p) {
    std::size_t min = p;
    for (std::size_t q = p + 1; q < list.size(); ++q) {
      if (compareHouseNumbers(houseKey(list[min].text), houseKey(list[q].text)) > 0) {
        min = q;
      }
    }
    if (min != p) std::swap(list[p], list[min]);
  }
}

int findStreetRow(std::span<const StreetName> streets, std::string_view typed) {
  const std::string text = foldedTyped(typed);
  const std::size_t length = codePointCount(text);
  const int count = static_cast<int>(streets.size());
  // Each name folded once per look-up, for both scans.
  std::vector<std::string> names;
  names.reserve(streets.size());
  int stop = count;
  for (int r = 0; r < count; ++r) {
    names.push_back(foldName(streets[r].name));
    const int order = compareFoldedPrefix(names.back(), text);
    if (order == 0) return r;
    if (order > 0) {
      stop = r;
      break;
    }
  }
  if (length >= kSubstringMinLength) {
    for (int r = 0; r < count; ++r) {
      if (r == static_cast<int>(names.size())) {
        names.push_back(foldName(streets[r].name));
      }
      if (names[static_cast<std::size_t>(r)].find(text) != std::string::npos) return r;
    }
  }
  return stop < count ? stop - 1 : -1;
}

int findHouseRow(std::span<const HouseListEntry> list, std::string_view typed) {
  if (list.empty()) return -1;
  const std::string text = foldedTyped(typed);
  const std::size_t length = codePointCount(text);
  for (std::size_t i = 0; i < list.size(); ++i) {
    const std::string entry = foldName(houseKey(list[i].text));
    const std::string_view cut = firstCodePoints(entry, length);
    if (cut == text || compareHouseNumbers(cut, text) >= 0) return static_cast<int>(i);
  }
  return static_cast<int>(list.size()) - 1;
}

void prepareObjectSearch(std::string& search) {
  if (trimText(search) > 0) search = foldName(search);
}

bool matchesObjectName(std::string_view name, std::string_view search, NameMatchMode mode) {
  name = upToNul(name);
  search = upToNul(search);
  if (search.empty()) return true;
  // One buffer per thread, so that a search over every object of a town
  // allocates nothing per name.
  thread_local std::string folded;
  foldNameInto(name, folded);
  return matchesFoldedName(folded, search, mode);
}

bool matchesFoldedName(std::string_view folded, std::string_view search, NameMatchMode mode) {
  if (search.empty()) return true;
  switch (mode) {
    case NameMatchMode::kBeginsWith:
      return folded.starts_with(search);
    case NameMatchMode::kContains:
      return foldedContains(folded, search);
  }
  return false;
}

}  // namespace tikhomap
