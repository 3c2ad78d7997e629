#include "search/name_matching.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <utility>

#include "mapdata/cp1251.h"
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

// The folded text, cut at the first NUL and at the buffer size.
struct FoldedText {
  char bytes[kMaxTyped];
  std::size_t size = 0;

  explicit FoldedText(std::string_view s) {
    s = upToNul(s);
    size = std::min(s.size(), kMaxTyped);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = foldCase(s[i]);
  }
  std::string_view view() const { return {bytes, size}; }
};

// Bounded byte comparison of the folded name with an already folded text,
// as unsigned bytes over the text's length; a name that ends first is
// smaller.
int foldedPrefixCompare(std::string_view name, std::string_view folded) {
  for (std::size_t i = 0; i < folded.size(); ++i) {
    const auto a = static_cast<unsigned char>(foldCase(at(name, i)));
    const auto b = static_cast<unsigned char>(folded[i]);
    if (a != b) return a < b ? -1 : 1;
  }
  return 0;
}

bool foldedContains(std::string_view name, std::string_view folded) {
  if (folded.empty()) return true;
  if (folded.size() > name.size()) return false;
  for (std::size_t start = 0; start + folded.size() <= name.size(); ++start) {
    if (foldedPrefixCompare(name.substr(start), folded) == 0) return true;
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
  while (at(a, i) != '\0' && at(b, j) != '\0') {
    if (isDigit(a[i]) && isDigit(b[j])) {
      const int32_t va = readInteger(a, i);
      const int32_t vb = readInteger(b, j);
      if (va > vb) return 1;
      if (va < vb) return -1;
      while (isDigit(at(a, i)) && at(b, j) != '\0') {
        ++i;
        ++j;
      }
      continue;
    }
    if (a[i] != b[j]) break;
    ++i;
    ++j;
  }
  const char ca = at(a, i);
  const char cb = at(b, j);
  if (ca == '\0') return cb == '\0' ? 0 : -1;
  if (cb == '\0') return 1;
  return static_cast<signed char>(ca) < static_cast<signed char>(cb) ? -1 : 1;
}

void sortHouseList(std::span<HouseListEntry> list) {
  if (list.size() < 2) return;
  for (std::size_t p = 0; p + 1 < list.size(); ++p) {
    std::size_t min = p;
    for (std::size_t q = p + 1; q < list.size(); ++q) {
      if (compareHouseNumbers(houseKey(fieldText(list[min].text)),
                              houseKey(fieldText(list[q].text))) > 0) {
        min = q;
      }
    }
    if (min != p) std::swap(list[p], list[min]);
  }
}

int findStreetRow(std::span<const StreetName> streets, std::string_view typed) {
  const FoldedText text(typed);
  const int count = static_cast<int>(streets.size());
  int stop = count;
  for (int r = 0; r < count; ++r) {
    const int order = foldedPrefixCompare(utf8ToCp1251(streets[r].name), text.view());
    if (order == 0) return r;
    if (order > 0) {
      stop = r;
      break;
    }
  }
  if (text.size >= kSubstringMinLength) {
    for (int r = 0; r < count; ++r) {
      if (foldedContains(utf8ToCp1251(streets[r].name), text.view())) return r;
    }
  }
  return stop < count ? stop - 1 : -1;
}

int findHouseRow(std::span<const HouseListEntry> list, std::string_view typed) {
  if (list.empty()) return -1;
  const FoldedText text(typed);
  for (std::size_t i = 0; i < list.size(); ++i) {
    const FoldedText entry(houseKey(fieldText(list[i].text)));
    const std::string_view cut = entry.view().substr(0, text.size);
    if (cut == text.view() || compareHouseNumbers(cut, text.view()) >= 0) {
      return static_cast<int>(i);
    }
  }
  return static_cast<int>(list.size()) - 1;
}

void prepareObjectSearch(std::string& search) {
  if (trimText(search) > 0) foldCase(search);
}

bool matchesObjectName(std::string_view name, std::string_view search, NameMatchMode mode) {
  name = upToNul(name);
  search = upToNul(search);
  if (search.empty()) return true;
  switch (mode) {
    case NameMatchMode::kBeginsWith:
      return foldedPrefixCompare(name, search) == 0;
    case NameMatchMode::kContains:
      return foldedContains(name, search);
  }
  return false;
}

}  // namespace tikhomap
