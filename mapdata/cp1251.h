// Windows-1251 text, as stored in the map files, converted for the terminal
// and the user interface. The tables are built in, so the result never
// depends on the system locale.
#pragma once

#include <string>
#include <string_view>

namespace tikhomap {

// Every byte maps to one character; the single unassigned byte 0x98 becomes
// U+FFFD.
std::string cp1251ToUtf8(std::string_view cp1251);
std::u16string cp1251ToUtf16(std::string_view cp1251);
// The text of a field of the map files, up to its first NUL, as UTF-8.
std::string cp1251FieldToUtf8(std::string_view field);

// Latin letters without a cp1251 byte are written by the transliteration
// table (mapdata/transliteration.h: "ä" -> "a", "ß" -> "ss"), so that a name
// and what a person types for it meet in the same bytes. Other characters
// without a cp1251 byte, and malformed UTF-8, become '?'. transliterated,
// when given, is raised by one for every character the table replaced.
std::string utf8ToCp1251(std::string_view utf8, int* transliterated = nullptr);

}  // namespace tikhomap
