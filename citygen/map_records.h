// Turning the generator's features into map records: whole-metre and float
// points, bounds, cp1251 text, and the north-to-south order of the tables.
#pragma once

#include <string>

#include "mapdata/map_data.h"
#include "mapdata/plane.h"
#include "mapdata/table_order.h"
#include "mapdata/tkm_writer.h"

namespace tikhomap::citygen {

MapFeature makeFeature(int code, const Polyline& points);
DistrictArea makeDistrictArea(int district, const Polyline& points);
// UTF-8 text as the map files hold it: cut to `bytes` once in cp1251, and
// with the characters cp1251 lacks as '?'.
std::string fileText(const std::string& utf8, size_t bytes);
// Names ascending in the searches' fold order, and the code index.
void sortStreetNames(MapData& map);

}  // namespace tikhomap::citygen
