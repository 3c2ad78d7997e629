// The optional description of a city beside its eleven map files, city.txt:
// what those files cannot say about an imported town. Without it every
// built-in value holds and nothing changes.
//
// The file is UTF-8 text, one "key = value" per line; blank lines and lines
// starting with "#" are comments, unknown keys and bad values are skipped
// (and reported), a later line overrides an earlier one. Keys:
//   grid                   "transverse-mercator krassowsky-1940", the only
//                          grid known; the map coordinates' georeference
//   grid.central-meridian  degrees east, -180..180
//   grid.north-origin      metres: the grid northing of map x = 0
//   grid.east-origin       metres: the easting (from the central meridian)
//                          of map y = 0
//   time-zone              IANA name of the place's time zone
//   coast                  "yes" or "no": whether the land outline is a
//                          coast (no: the map has no sea)
//   district.1 … district.5   the district names
//   title.captions         "built-in" or "none": the bay and peninsula
//                          captions of the title sheet
//   title.credit.1, title.credit.2   the two credit lines of the title
//                          sheet; an empty value leaves that line empty
//   name                   the town's name, in the window's, the help
//                          window's, the About box's and the printed page's
//                          titles instead of the built-in city's
// Texts are kept as UTF-8, made well-formed and without control characters
// (mapdata/utf8_text.h), at most 60 characters each.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "mapdata/grid_projection.h"

namespace tikhomap {

inline constexpr const char* kCityInfoFile = "city.txt";

struct LoadProblem;

struct CityInfo {
  bool present = false;                      // city.txt was read
  std::optional<GridProjection> grid;        // none: the built-in grid
  std::string timeZone;                      // IANA name, empty = unknown
  bool coast = true;                         // the outline is a coast with sea beyond it
  std::array<std::string, 5> districtNames;  // UTF-8; empty = built-in name
  bool builtInCaptions = true;               // the bay and peninsula captions
  bool regionalOutline = false;  // 1.tkm's last shape is the town's outline, drawn as a line
  std::optional<std::array<std::string, 2>> credit;  // UTF-8; none = built-in lines
  std::string name;                                  // UTF-8; empty = the built-in city
};

// The town's name (UTF-8): the description's, else the built-in city's.
std::string cityName(const CityInfo& info);
// "<name>. Адресный план города" (UTF-8), the title of the window and of a
// printed page.
std::string cityTitle(const CityInfo& info);

// Parses the file's bytes; problems (when given) receive the skipped lines.
CityInfo parseCityInfo(std::span<const uint8_t> bytes,
                       std::vector<LoadProblem>* problems = nullptr);
// The text of the file (UTF-8) for the values of info.
std::string writeCityInfo(const CityInfo& info);

}  // namespace tikhomap
