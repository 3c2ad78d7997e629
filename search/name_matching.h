// The text rules every search uses on map text (UTF-8): plain house
// numbers, the order of house numbers, the look-up of a street or house from
// a typed prefix, and the name test of the object search. Names are compared
// folded (search/name_fold.h); nothing depends on the locale.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>

#include "mapdata/further_addresses.h"
#include "mapdata/records.h"
#include "mapdata/text_rules.h"
#include "search/name_fold.h"

namespace tikhomap {

inline constexpr int kHouseListCapacity = 300;

// One line of the house list of a street: the house number, optionally
// followed by ", " and a description.
struct HouseListEntry {
  int16_t spare = 0;     // carried along when entries are swapped, never read
  int32_t building = 0;  // row of MapData::buildings
  std::string text;      // UTF-8, at most kHouseLineLength characters
};

// Characters of a house list line.
inline constexpr std::size_t kHouseLineLength = 31;

// Leading spaces skipped, then only " 1234567890.-" with a space or hyphen
// accepted only as the first byte: "-5", "12.5", "." and "" are plain,
// "12а", "12 а" and "12-14" are not.
bool isPlainNumber(std::string_view text);

// Order of house numbers: -1, 0 or 1. Two plain numbers compare by value;
// otherwise digit runs compare by value and other characters by the map
// code page's byte read as signed, so Cyrillic letters sort before digits
// and punctuation ("12а" < "12/1"); characters outside the code page sort
// after all of them.
// Case-sensitive: callers fold beforehand where they need to. A digit run
// too long for 32 bits reads as the largest 32-bit value.
int compareHouseNumbers(std::string_view a, std::string_view b);

// Ascending selection sort on the text up to the first comma; equal keys keep
// their order of appearance as minimum.
void sortHouseList(std::span<HouseListEntry> list);

// Row of the street table the typed text selects: the first name beginning
// with it; for five or more characters the first name containing it; else
// the last name sorting before it, or -1. Folded (ё and е apart). The
// table is expected in ascending fold order (foldOrderLess).
int findStreetRow(std::span<const StreetName> streets, std::string_view typed);

// Row of the (sorted) house list the typed number selects: the first entry
// whose number begins with it or sorts at or after it, else the last entry;
// -1 for an empty list. Folded.
int findHouseRow(std::span<const HouseListEntry> list, std::string_view typed);

enum class NameMatchMode : int {
  kBeginsWith = 0,  // "начинается с"
  kContains = 1,    // "содержит"
};

// Trims and folds the search text (UTF-8) once per search.
void prepareObjectSearch(std::string& search);

// Whether an object's name passes the prepared search text; an empty search
// text lets every name pass. The name (UTF-8) is folded for the test.
bool matchesObjectName(std::string_view name, std::string_view search, NameMatchMode mode);
// The same for a name already folded.
bool matchesFoldedName(std::string_view folded, std::string_view search, NameMatchMode mode);

}  // namespace tikhomap
