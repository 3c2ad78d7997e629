// Texts from outside the program (a container, an import) made safe to keep
// in the model, show and draw.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "mapdata/limits.h"

namespace tikhomap {

// The text as well-formed UTF-8: a malformed or overlong sequence, a
// surrogate and a code point past U+10FFFF become U+FFFD; control characters
// (C0, DEL, C1) and the bidirectional embedding, override and isolate
// controls (U+202A..U+202E, U+2066..U+2069) are dropped; the result is cut at
// a character boundary to at most maxBytes. repaired, when given, is set when
// the result differs from the text.
std::string sanitizedUtf8(std::string_view text, std::size_t maxBytes = kMaxTextBytes,
                          bool* repaired = nullptr);

inline constexpr char32_t kReplacement = 0xFFFD;

// One character of UTF-8 text at byte pos (pos < s.size()), or U+FFFD for
// the maximal ill-formed part there: the longest prefix of a well-formed
// sequence, or one byte. So an overlong form, a surrogate or a code point
// past U+10FFFF reads as one U+FFFD per byte, a cut sequence as one.
struct DecodedChar {
  char32_t c = kReplacement;
  std::size_t length = 1;  // bytes taken, at least one
};
DecodedChar decodeUtf8At(std::string_view s, std::size_t pos);

// The code point (at most U+10FFFF, not a surrogate) written as UTF-8.
void appendUtf8(std::string& out, char32_t c);

// Characters (code points) of UTF-8 text: its bytes that start one.
std::size_t codePointCount(std::string_view utf8);

// Where the character starting at byte i ends (the next one starts).
std::size_t nextCodePoint(std::string_view utf8, std::size_t i);

}  // namespace tikhomap
