// The further addresses of buildings, houses.txt beside the map files: the
// house numbers a building has besides the one its record holds (a building
// with several entrances "65", "67", "69"), and numbers too long for the
// record's six bytes. Without the file a building has only its own number.
//
// The file is UTF-8 text, one address per line; blank lines and lines
// starting with "#" are comments:
//   X Y CODE NUMBER
// X and Y are the building's address point (the x and y of its record in
// 7.tkm, which no two buildings share), CODE the street code of the address
// (0 for an address without a street) and NUMBER the house number, the rest
// of the line (at most kFurtherNumberLength characters). A line
// whose point is no building's, or that is malformed, is skipped and
// reported.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "mapdata/records.h"

namespace tikhomap {

inline constexpr const char* kFurtherAddressFile = "houses.txt";
// Characters of a further house number.
inline constexpr std::size_t kFurtherNumberLength = 15;

struct LoadProblem;

struct FurtherAddress {
  int32_t x = 0;  // the building's address point
  int32_t y = 0;
  int32_t streetCode = 0;
  std::string number;     // UTF-8
  int32_t building = -1;  // row of the building table, found on reading
};

// Parses the file's bytes against the building table (for the rows of the
// address points); problems (when given) receive the skipped lines.
std::vector<FurtherAddress> parseFurtherAddresses(std::span<const uint8_t> bytes,
                                                  std::span<const Building> buildings,
                                                  std::vector<LoadProblem>* problems = nullptr);
// The text of the file for these addresses.
std::string writeFurtherAddresses(std::span<const FurtherAddress> addresses);

}  // namespace tikhomap
