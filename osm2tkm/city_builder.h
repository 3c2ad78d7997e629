// From an extract in the plain model to the records of the eleven map files,
// the title sheet and the city description: the whole import but reading and
// writing.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "mapdata/city_info.h"
#include "mapdata/limits.h"
#include "mapdata/map_data.h"
#include "mapdata/title_files.h"
#include "osm2tkm/import_summary.h"
#include "osm2tkm/osm_model.h"

namespace tikhomap::osm {

// Metres of grid around the area on every side: room for the regional panel
// around the town, and no coordinate ever below 0.
inline constexpr double kGridMargin = 3000;
// The area and its margins stay within this many metres on each axis: the
// grid's scale error stays small over a town and its surroundings. The
// eleven map files hold less (16-bit points); what they cannot hold is
// refused where they are written.
inline constexpr double kGridRange = 200000;
// A table of the map holds at most this many records.
inline constexpr size_t kTableLimit = kMaxRecordsPerTable;
// Points of interest further than this from every building are dropped.
inline constexpr double kObjectReach = 30;
// Ways of one name further apart than this are different streets.
inline constexpr double kStreetGap = 500;

struct BuildOptions {
  std::optional<GeoBox> bbox;  // --bbox; else the header's box, else the data's
  std::string title;           // --title (UTF-8); else the area's name
  // --container: the names go into the model as they are written (UTF-8,
  // made safe, not cut to the eleven files' fields); else fitted to those
  // fields in cp1251 as the files hold them.
  bool container = false;
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
