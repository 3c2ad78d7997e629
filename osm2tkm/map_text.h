// Names for the map's single-byte fields: UTF-8 from the extract to cp1251
// (transliterated where the code page has no letter), and shortened to a
// field so that the names of one table stay distinct.
//
// Shortening: a name longer than its field keeps its first (field − 1)
// bytes, trailing blanks dropped, followed by "…" (one byte in cp1251).
// When that result, or a name that fits, is already taken in its table, the
// name is cut further to make room for a number: "Name…2", "Name…3", … (a
// fitting name that is taken becomes "Name 2", "Name 3", …).
#pragma once

#include <set>
#include <string>
#include <string_view>

namespace tikhomap::osm {

// cp1251 text without control characters; transliterated, when given, is
// raised by the number of letters the table replaced.
std::string mapText(std::string_view utf8, int* transliterated = nullptr);

// The name fitted to `limit` bytes and distinct within `taken` (which
// receives it); shortened, when given, is set when the name had to change.
std::string fitName(const std::string& cp1251, size_t limit, std::set<std::string>& taken,
                    bool* shortened = nullptr);
// Only cut to the field (no distinctness), by the same rule.
std::string cutName(const std::string& cp1251, size_t limit);
// The same cut for UTF-8 text, counted in characters: the first (limit − 1)
// characters, trailing blanks dropped, followed by "…".
std::string cutUtf8Name(const std::string& utf8, size_t limit);

}  // namespace tikhomap::osm
