// From an extract in the plain model to the records of the eleven map files,
// the title sheet and the city description: the whole import but reading and
// writing.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "mapdata/city_info.h"
#include "mapdata/map_data.h"
#include "mapdata/title_files.h"
#include "osm2tkm/import_summary.h"
#include "osm2tkm/osm_model.h"

namespace tikhomap::osm {

// Metres of grid around the area on every side: room for the regional panel
// around the town, and no coordinate ever below 0.
inline constexpr double kGridMargin = 3000;
// Every address point must fit the signed 16-bit fields of user.tkm, so the
// area and its margins stay within this many metres on each axis.
inline constexpr double kGridRange = 32767;
// A table of the files holds at most this many records.
inline constexpr size_t kTableLimit = 32767;
// Points of interest further than this from every building are dropped.
inline constexpr double kObjectReach = 30;
// Ways of one name further apart than this are different streets.
inline constexpr double kStreetGap = 500;

struct BuildOptions {
  std::optional<GeoBox> bbox;  // --bbox; else the header's box, else the data's
  std::string title;           // --title (UTF-8); else the area's name
};

struct CityImport {
  MapData map;
  TitleSheetFile regional;   // 1.tkm
  TitleSheetFile cityWater;  // 2.tkm
  CityInfo info;             // city.txt
  ImportSummary summary;
  GeoBox area;
  // What suggests that the file is not whole (it is imported all the same).
  std::vector<std::string> warnings;
};

// false with a refusal (nothing is to be written then): no area, an area
// larger than the grid's range, no building and no street in the area, a
// table beyond its record limit, nodes without ways.
bool buildCity(const Extract& extract, const BuildOptions& options, CityImport& out,
               std::string& refusal, const std::function<void(const std::string&)>& progress = {});

}  // namespace tikhomap::osm
