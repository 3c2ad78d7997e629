// The byte rules for map text (cp1251): case folding and trimming. Searches
// and the text-file readers build on them; none depends on the locale.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

#include "mapdata/records.h"

namespace tikhomap {

// The text of a fixed-width record field, up to its first NUL (the whole
// field when it has none).
template <std::size_t N>
std::string_view fieldText(const char (&field)[N]) {
  return {field, strnlen(field, N)};
}

// A typed text up to its first NUL: texts behave as NUL-terminated.
inline std::string_view upToNul(std::string_view text) {
  return text.substr(0, text.find('\0'));
}

// Latin capitals and the 33 Cyrillic capitals (Ё included) become small
// letters; every other byte is unchanged. Ё folds to ё, never to е.
char foldCase(char c);
void foldCase(char* text);  // NUL-terminated, in place
void foldCase(std::string& text);

// Removes leading spaces (0x20 only) and trailing spaces, tabs, CR and LF;
// the text is moved to the start of its buffer. Returns the new length.
int trimText(char* text);  // NUL-terminated, in place
int trimText(std::string& text);
std::string_view trimmedText(std::string_view text);

// A building's house number as it is shown, trimmed.
inline std::string_view houseNumberText(const Building& b) {
  return trimmedText(upToNul(b.houseNumber));
}

}  // namespace tikhomap
