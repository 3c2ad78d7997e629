// Names of every script as the searches compare them: folded (case and the
// accents of a script removed) and ordered without the machine's locale.
// Texts are UTF-8; malformed bytes read as U+FFFD.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "mapdata/utf8_text.h"

namespace tikhomap {

// Whether ё reads as е. The street and object dialogs keep them apart; the
// quick search reads them as one letter, since people type one for the other.
enum class YoFold : uint8_t { kKeep, kAsYe };

// Full case folding ("Straße" -> "strasse", "Ё" -> "ё"), then the accents
// of every script but Cyrillic removed ("Städtle" -> "stadtle", "Ερμού" ->
// "ερμου"): Cyrillic letters keep their marks, so й never becomes и and ё
// stays ё unless yo asks otherwise. The result is NFC and valid UTF-8.
std::string foldName(std::string_view utf8, YoFold yo = YoFold::kKeep);
// The same into `out`, whose storage is reused.
void foldNameInto(std::string_view utf8, std::string& out, YoFold yo = YoFold::kKeep);

// The code point at byte `pos`, advancing `pos` past it; a malformed
// sequence reads as U+FFFD and advances by at least one byte.
char32_t readCodePoint(std::string_view utf8, std::size_t& pos);
// The first `count` code points of the text (the whole text when shorter).
std::string_view firstCodePoints(std::string_view utf8, std::size_t count);

// Where a code point stands in the fold order: a character of the map files'
// single-byte code page as that byte (so folded Russian names keep the byte
// order the street tables are written in), any other after them all, as
// 0x100 + its value.
uint32_t foldOrderWeight(char32_t c);

// Folded texts compared code point by code point in the fold order; a text
// that ends first is smaller. -1, 0 or 1.
int compareFoldOrder(std::string_view foldedA, std::string_view foldedB);
// The folded name's first code points, as many as the folded prefix has,
// compared with the prefix in the fold order: 0 when the name begins with it.
int compareFoldedPrefix(std::string_view foldedName, std::string_view foldedPrefix);

// Whether name a sorts before name b (both UTF-8, folded for the
// comparison): the order of the street tables and the street lists.
bool foldOrderLess(std::string_view a, std::string_view b);

}  // namespace tikhomap
