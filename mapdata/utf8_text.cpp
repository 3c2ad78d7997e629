#include "mapdata/utf8_text.h"

#include <algorithm>
#include <cstdint>

namespace tikhomap {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes the sequence at s[i]; returns its length, or 0 when it is
// malformed (a stray or cut sequence, an overlong form, a surrogate, a code
// point past U+10FFFF). A malformed sequence stands for one replacement
// character and is skipped by one byte.
size_t decode(std::string_view s, size_t i, char32_t& c) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  if (b0 < 0x80) {
    c = b0;
    return 1;
  }
  size_t len = 0;
  char32_t min = 0;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    len = 2, c = b0 & 0x1F, min = 0x80;
  } else if ((b0 & 0xF0) == 0xE0) {
    len = 3, c = b0 & 0x0F, min = 0x800;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    len = 4, c = b0 & 0x07, min = 0x10000;
  } else {
    return 0;
  }
  if (s.size() - i < len) return 0;
  for (size_t k = 1; k < len; ++k) {
    const auto b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0) != 0x80) return 0;
    c = (c << 6) | (b & 0x3F);
  }
  if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
  return len;
}

bool dropped(char32_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0x9F) || (c >= 0x202A && c <= 0x202E) ||
         (c >= 0x2066 && c <= 0x2069);
}

void append(std::string& out, char32_t c) {
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

size_t encodedLength(char32_t c) {
  return c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
}

}  // namespace

std::string sanitizedUtf8(std::string_view text, std::size_t maxBytes, bool* repaired) {
  std::string out;
  out.reserve(std::min(text.size(), maxBytes));
  bool changed = false;
  for (size_t i = 0; i < text.size();) {
    char32_t c = 0;
    size_t len = decode(text, i, c);
    if (len == 0) {
      c = kReplacement;
      len = 1;
      changed = true;
    }
    i += len;
    if (dropped(c)) {
      changed = true;
      continue;
    }
    if (out.size() + encodedLength(c) > maxBytes) {
      changed = true;
      break;
    }
    append(out, c);
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

}  // namespace tikhomap
