// The whole map model of one city: every table, count and index, owned by one
// value so that two independent models can live side by side.
#pragma once

#include <cstdint>
#include <vector>

#include "mapdata/city_info.h"
#include "mapdata/further_addresses.h"
#include "mapdata/records.h"

namespace tikhomap {

struct MapData {
  std::vector<Microdistrict> microdistricts;
  std::vector<DistrictArea> districtAreas;  // entry 0: land outline
  MapBounds cityExtent;                     // header of 3.tkm: entry 0 of the view history

  std::vector<MapFeature> areaFeatures;    // 4.tkm class 1
  std::vector<MapFeature> lineFeatures;    // 4.tkm class 2
  std::vector<MapFeature> waterFeatures;   // 4.tkm class 3
  std::vector<MapFeature> streetOutlines;  // 4.tkm class 4

  std::vector<MapFeature> streetLines;  // 5.tkm section 1, code = streetCode
  std::vector<StreetName> streetNames;  // 5.tkm section 2, folded-name order
  // code -> row of streetNames, 0 = none; codes 0..kMaxStreetCode.
  std::vector<int32_t> streetCodeIndex;
  std::vector<StreetLabelPoint> streetLabelPoints;  // 5.tkm section 3

  std::vector<Building> buildings;  // 7.tkm + 6.tkm
  // houses.txt: the numbers of buildings beyond their records' own.
  std::vector<FurtherAddress> furtherAddresses;

  std::vector<ThemeNode> themeNodes;  // storage of the theme list
  int32_t themeHead = -1;             // first top-level node, -1 = empty list
  std::vector<UserObject> userObjects;
  int32_t userObjectsDeclared = 0;
  std::vector<SignRecord> signRecords;
  int32_t signRecordsDeclared = 0;

  // city.txt beside the files; its defaults when there is none.
  CityInfo city;

  // Largest vertex count of the base-map tables (building outlines excluded).
  int32_t maxPointCount = 0;

  // Name of a street code, or nullptr when no street has that code.
  const StreetName* streetByCode(int code) const {
    if (code < 0 || code >= static_cast<int>(streetCodeIndex.size())) return nullptr;
    const int row = streetCodeIndex[code];
    if (row < 0 || row >= static_cast<int>(streetNames.size())) return nullptr;
    if (row == 0 && (streetNames.empty() || streetNames[0].streetCode != code)) return nullptr;
    return &streetNames[row];
  }
};

}  // namespace tikhomap
