// Names as they are drawn: any bytes made into text that is safe to draw,
// split into the letters a reader sees (grapheme clusters: a base character
// with its combining marks, an emoji sequence joined by zero-width joiners, a
// flag of two regional indicators), measured and cut by those letters.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tikhomap {

// The text with every malformed UTF-8 sequence (overlong forms, surrogates,
// code points past U+10FFFF, truncated or stray bytes) replaced by U+FFFD,
// one for each maximal ill-formed part, and the characters that would steer
// or break a line left out: control characters and the bidirectional marks,
// embeddings, overrides and isolates. The result is valid UTF-8.
std::string drawableText(std::string_view bytes);

// Byte offsets where the grapheme clusters of valid UTF-8 text begin, and
// the text's length last: n + 1 offsets for n clusters (just {0} for empty
// text). Malformed bytes count as clusters of their own.
std::vector<uint32_t> graphemeBounds(std::string_view utf8);

size_t graphemeCount(std::string_view utf8);

// Whether the cluster is drawn twice as wide as a letter of the eleven
// files' code page: East-Asian wide and fullwidth characters (Chinese,
// kana, hangul, fullwidth forms, most emoji).
bool isWideCluster(std::string_view cluster);

// Whether the text holds a letter of a script written right to left
// (Hebrew, Arabic, Syriac, Thaana, N'Ko): such a name is shaped and ordered
// as one run, never drawn letter by letter.
bool hasRightToLeft(std::string_view utf8);

// The drawable text cut to at most maxClusters clusters: when it is longer,
// its first maxClusters - 1 clusters followed by "…". Never cuts inside a
// cluster or a UTF-8 sequence.
std::string cutToGraphemes(std::string_view bytes, size_t maxClusters);

// The drawable text cut as cutToGraphemes cuts it, so that its letters fit
// in `room` letter widths, a wide letter counting two and "…" one.
std::string cutToWidth(std::string_view bytes, double room);

}  // namespace tikhomap
