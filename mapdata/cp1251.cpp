#include "mapdata/cp1251.h"

#include <array>
#include <cstdint>

#include "mapdata/transliteration.h"
#include "mapdata/utf8_text.h"

namespace tikhomap {
namespace {

// Unicode code points of the bytes 0x80..0xFF.
constexpr std::array<char16_t, 128> kHighHalf = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  //
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  //
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  //
    0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  //
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  //
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  //
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  //
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  //
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,  //
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,  //
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,  //
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,  //
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,  //
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,  //
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,  //
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,  //
};

char32_t decodeByte(unsigned char b) {
  return b < 0x80 ? b : kHighHalf[b - 0x80];
}

char encodeChar(char32_t c) {
  if (c < 0x80) return static_cast<char>(c);
  if (c == 0xFFFD) return '?';
  for (size_t i = 0; i < kHighHalf.size(); ++i) {
    if (kHighHalf[i] == c) return static_cast<char>(0x80 + i);
  }
  return '?';
}

// Decodes one UTF-8 sequence at s[i]; returns its length (at least 1) and
// sets ok = false for a malformed or overlong sequence.
size_t decodeUtf8(std::string_view s, size_t i, char32_t& c, bool& ok) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  ok = true;
  if (b0 < 0x80) {
    c = b0;
    return 1;
  }
  size_t len = 0;
  char32_t min = 0;
  if ((b0 & 0xE0) == 0xC0) {
    len = 2, c = b0 & 0x1F, min = 0x80;
  } else if ((b0 & 0xF0) == 0xE0) {
    len = 3, c = b0 & 0x0F, min = 0x800;
  } else if ((b0 & 0xF8) == 0xF0) {
    len = 4, c = b0 & 0x07, min = 0x10000;
  } else {
    ok = false;
    return 1;
  }
  for (size_t k = 1; k < len; ++k) {
    if (i + k >= s.size() || (static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) {
      ok = false;
      return k;
    }
    c = (c << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
  }
  if (c < min || c > 0x10FFFF) ok = false;
  return len;
}

}  // namespace

std::string cp1251ToUtf8(std::string_view cp1251) {
  std::string out;
  out.reserve(cp1251.size() * 2);
  for (char ch : cp1251) appendUtf8(out, decodeByte(static_cast<unsigned char>(ch)));
  return out;
}

std::string cp1251FieldToUtf8(std::string_view field) {
  return cp1251ToUtf8(field.substr(0, field.find('\0')));
}

std::u16string cp1251ToUtf16(std::string_view cp1251) {
  std::u16string out;
  out.reserve(cp1251.size());
  for (char ch : cp1251)
    out.push_back(static_cast<char16_t>(decodeByte(static_cast<unsigned char>(ch))));
  return out;
}

std::string utf8ToCp1251(std::string_view utf8, int* transliterated) {
  std::string out;
  out.reserve(utf8.size());
  size_t i = 0;
  while (i < utf8.size()) {
    char32_t c = 0;
    bool ok = true;
    i += decodeUtf8(utf8, i, c, ok);
    if (!ok) {
      out.push_back('?');
      continue;
    }
    const char byte = encodeChar(c);
    if (byte == '?' && c != U'?') {
      const std::string_view latin = latinTransliteration(c);
      if (!latin.empty()) {
        out += latin;
        if (transliterated) ++*transliterated;
        continue;
      }
    }
    out.push_back(byte);
  }
  return out;
}

}  // namespace tikhomap
