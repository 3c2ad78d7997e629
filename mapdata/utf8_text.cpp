#include "mapdata/utf8_text.h"

#include <algorithm>
#include <cstdint>

namespace tikhomap {
namespace {

bool dropped(char32_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0x9F) || (c >= 0x202A && c <= 0x202E) ||
         (c >= 0x2066 && c <= 0x2069);
}

size_t encodedLength(char32_t c) {
  return c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
}

}  // namespace

DecodedChar decodeUtf8At(std::string_view s, std::size_t pos) {
  const auto b0 = static_cast<unsigned char>(s[pos]);
  if (b0 < 0x80) return {b0, 1};
  std::size_t need = 0;
  char32_t c = 0;
  unsigned char lo = 0x80;
  unsigned char hi = 0xBF;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    need = 1;
    c = b0 & 0x1F;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    need = 2;
    c = b0 & 0x0F;
    if (b0 == 0xE0) lo = 0xA0;  // overlong below
    if (b0 == 0xED) hi = 0x9F;  // surrogates above
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    need = 3;
    c = b0 & 0x07;
    if (b0 == 0xF0) lo = 0x90;  // overlong below
    if (b0 == 0xF4) hi = 0x8F;  // past U+10FFFF above
  } else {
    return {};
  }
  std::size_t i = 1;
  for (; i <= need; ++i) {
    if (pos + i >= s.size()) return {kReplacement, i};
    const auto b = static_cast<unsigned char>(s[pos + i]);
    if (b < lo || b > hi) return {kReplacement, i};
    lo = 0x80;
    hi = 0xBF;
    c = (c << 6) | (b & 0x3F);
  }
  return {c, i};
}

std::string sanitizedUtf8(std::string_view text, std::size_t maxBytes, bool* repaired) {
  std::string out;
  out.reserve(std::min(text.size(), maxBytes));
  bool changed = false;
  for (size_t i = 0; i < text.size();) {
    const DecodedChar d = decodeUtf8At(text, i);
    const char32_t c = d.c;
    // U+FFFD in the text stands as it is; only a malformed part is a repair.
    if (c == kReplacement && !(d.length == 3 && text.substr(i, 3) == "\xEF\xBF\xBD")) {
      changed = true;
    }
    i += d.length;
    if (dropped(c)) {
      changed = true;
      continue;
    }
    if (out.size() + encodedLength(c) > maxBytes) {
      changed = true;
      break;
    }
    appendUtf8(out, c);
  }
  if (repaired) *repaired = changed;
  return out;
}

namespace {
bool continuation(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}
}  // namespace

std::size_t codePointCount(std::string_view utf8) {
  std::size_t n = 0;
  for (char c : utf8) n += continuation(c) ? 0 : 1;
  return n;
}

std::size_t nextCodePoint(std::string_view utf8, std::size_t i) {
  ++i;
  while (i < utf8.size() && continuation(utf8[i])) ++i;
  return std::min(i, utf8.size());
}

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

}  // namespace tikhomap
