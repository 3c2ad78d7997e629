// The quick search line: one line of text such as "Заречная 7",
// "ул. Заречная, 7", "заречн 7к2" or "7 Заречная" that offers, as the user
// types, the streets it names and the houses of the best of them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "mapdata/map_data.h"

namespace tikhomap {

inline constexpr int kQuickMatchLimit = 10;
// Characters of a query that are read; the rest of a pasted line is
// ignored. Street names have at most 29 characters, so this leaves room for
// a street type, a house number and separators.
inline constexpr std::size_t kQuickQueryMaxChars = 63;

// A query split into its street and house parts. All texts are UTF-8,
// folded (search/name_fold.h), with ё read as е (people often type one for
// the other).
struct ParsedQuery {
  std::string street;       // words separated by single spaces; "" for none
  std::string streetType;   // short form of a street type typed with the name
                            // ("ул.", "просп.", ...), dropped from `street`;
                            // "пр." stands for проспект or проезд
  std::string house;        // the house number, "" for none
  bool houseFirst = false;  // the number stood before the street
};

// Splits a query (UTF-8). Commas, semicolons and control characters separate
// words like spaces, and so does a full stop directly followed by a letter
// ("ул.Заречная"). The house number is the run of words at the end that
// begins with a number and goes on with block and building words, letters,
// "/" and numbers ("9 к2", "31 / 1", "9 корп. 2", "14 а"), or else a number
// that begins the query; it is written as one word, block and building
// words as "к" and "с", Latin letters as the Russian ones they stand for
// ("14a" is 14а). "№" and "д." glued to it, and "№", "д.", "д" or "дом"
// before it, are dropped. One street-type word at the start or at the end
// of the street part is dropped and reported in streetType, unless it is
// the only word. Only the first kQuickQueryMaxChars characters are read.
ParsedQuery parseQuickQuery(std::string_view queryCp1251);

struct QuickMatch {
  enum Kind { Street, House };
  Kind kind = Street;
  int32_t streetRow = -1;  // row of MapData::streetNames
  int32_t building = -1;   // row of MapData::buildings; -1 for a street
  // UTF-8: the street name as stored ("Заречная ул."), or for a house the
  // name, ", " and the house number ("Заречная ул., 7").
  std::string label;
};

// The typed house number is not on the street: its nearest neighbours in
// house order on the same side of the street (odd or even by the number's
// leading integer), as stored in the building table.
struct QuickMiss {
  int32_t streetRow = -1;
  std::string number;  // as parsed (folded)
  std::optional<std::string> below;
  std::optional<std::string> above;
};

struct QuickSearchResult {
  std::vector<QuickMatch> matches;  // at most kQuickMatchLimit
  std::optional<QuickMiss> miss;
};

// Matches for a query typed by the user (UTF-8), folded as the names are:
// "stadtle" finds "Städtle", "ερμου" finds "Ερμού".
//
// Street candidates are the streets whose folded name begins with the
// street part, then those with a word beginning with it (a word starts after
// a space, a hyphen or a full stop, before any "/" qualifier), each group in
// table order; a typed street type keeps only the streets of that type,
// unless none of them has the name. Never the street that merely sorts
// nearest.
//
// Without a house part: the candidates that can be shown alone (not of kind
// 100, with at least one street line), then the houses of the first
// candidate that has any, in house order. With a house part, the best
// candidate is the first with exactly the typed number, else the first with
// a number that begins with it, else the first with any house; its houses
// whose numbers begin with the typed one are offered in house order. When
// it lacks the typed number, `miss` names its neighbours, and they come
// first: the nearer by the numbers' leading values (the lower when both are
// as near), then the other. Numbers are compared as written in any of the
// forms parseQuickQuery reads ("9 к2" is 9к2). Streets of kind 0 have no
// houses; when no candidate has houses, the showable candidates are offered
// instead.
QuickSearchResult quickSearch(const MapData& map, std::string_view queryUtf8);

// The quick search's street index of one map: the rows of the buildings and
// of the further addresses by street code, and the codes that have a street
// axis, and the street names folded. Built once when the map's buildings
// are read, not per keystroke.
// Codes outside 0..kMaxStreetCode are not indexed (streetByCode knows no
// such street either), so a hostile code allocates nothing.
class QuickSearchIndex {
 public:
  QuickSearchIndex() = default;
  explicit QuickSearchIndex(const MapData& map);
  std::span<const int32_t> rowsOf(int32_t code) const;
  // Entries of MapData::furtherAddresses on the street.
  std::span<const int32_t> furtherOf(int32_t code) const;
  bool hasLine(int32_t code) const;
  // Street name `row` folded as the quick search reads it ("" past the
  // names the index was built with).
  std::string_view foldedName(std::size_t row) const;
  std::size_t foldedCount() const { return folded_.size(); }

 private:
  std::vector<std::vector<int32_t>> rows_;
  std::vector<std::vector<int32_t>> further_;
  std::vector<bool> lines_;
  std::vector<std::string> folded_;
};

// The same search over the map's index built beforehand.
QuickSearchResult quickSearch(const MapData& map, const QuickSearchIndex& index,
                              std::string_view queryUtf8);

// "нет дома 9; рядом: 7, 11" (UTF-8); the neighbours part only lists the
// neighbours that exist.
std::string quickMissText(const QuickMiss& miss);

}  // namespace tikhomap
