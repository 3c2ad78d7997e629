// Turning the generator's features into map records: whole-metre and float
// points, bounds, cp1251 text, and the north-to-south order of the tables.
#pragma once

#include <string>

#include "mapdata/map_data.h"
#include "mapdata/plane.h"
#include "mapdata/table_order.h"

namespace tikhomap::citygen {

MapFeature makeFeature(int code, const Polyline& points);
DistrictArea makeDistrictArea(int district, const Polyline& points);
// Copies UTF-8 text as cp1251 into a fixed field, cut to fit its terminator.
void copyText(char* field, size_t size, const std::string& utf8);
std::string toCp1251(const std::string& utf8);
// Names ascending in the searches' fold order, and the code index.
void sortStreetNames(MapData& map);

}  // namespace tikhomap::citygen
