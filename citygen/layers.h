// Features made by the generator before they become map records.
#pragma once

#include <string>
#include <vector>

#include "mapdata/plane.h"

namespace tikhomap::citygen {

struct Feature {
  int code = 0;
  Polyline points;  // areas and water bodies: closed by repeating the first point
};

struct NamedPlace {
  Vec at;
  std::string name;  // UTF-8
};

struct CityLayers {
  std::vector<Feature> areas;   // 4.tkm class 1
  std::vector<Feature> lines;   // 4.tkm class 2
  std::vector<Feature> water;   // 4.tkm class 3
  std::vector<Polyline> lakes;  // closed outlines, also drawn on the title sheet
  std::vector<Polyline> streams;
  std::vector<NamedPlace> waterNames;
  Polyline railway;
  Vec station;
  bool hasStation = false;
};

}  // namespace tikhomap::citygen
