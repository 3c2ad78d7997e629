#include "osm2tkm/map_text.h"

#include "mapdata/cp1251.h"
#include "mapdata/utf8_text.h"

namespace tikhomap::osm {
namespace {

constexpr char kEllipsis = static_cast<char>(0x85);  // "…" in cp1251

std::string trimEnd(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

}  // namespace

std::string mapText(std::string_view utf8, int* transliterated) {
  std::string out;
  for (char c : utf8ToCp1251(utf8, transliterated)) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x20) {
      if (!out.empty() && out.back() != ' ') out.push_back(' ');
    } else {
      out.push_back(c);
    }
  }
  while (!out.empty() && out.front() == ' ') out.erase(out.begin());
  return trimEnd(out);
}

std::string cutName(const std::string& cp1251, size_t limit) {
  if (cp1251.size() <= limit) return cp1251;
  if (limit == 0) return {};
  return trimEnd(cp1251.substr(0, limit - 1)) + kEllipsis;
}

std::string cutUtf8Name(const std::string& utf8, size_t limit) {
  if (codePointCount(utf8) <= limit) return utf8;
  if (limit == 0) return {};
  size_t end = 0;
  for (size_t n = 0; n + 1 < limit; ++n) end = nextCodePoint(utf8, end);
  return trimEnd(utf8.substr(0, end)) + "\u2026";
}

std::string fitName(const std::string& cp1251, size_t limit, std::set<std::string>& taken,
                    bool* shortened) {
  std::string name = cutName(cp1251, limit);
  const bool cut = name != cp1251;
  for (int n = 2; taken.count(name) != 0; ++n) {
    const std::string number = std::to_string(n);
    const std::string tail = cut ? std::string(1, kEllipsis) + number : " " + number;
    if (tail.size() >= limit) return {};  // no room left to tell names apart
    const std::string head = cp1251.size() + tail.size() <= limit
                                 ? cp1251
                                 : trimEnd(cp1251.substr(0, limit - tail.size()));
    name = head + tail;
  }
  if (shortened) *shortened = name != cp1251;
  taken.insert(name);
  return name;
}

}  // namespace tikhomap::osm
