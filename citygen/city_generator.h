// The sample city "Тихоморск": a deterministic generator of a whole map
// (base map, buildings, reference tables and the two title-sheet files).
#pragma once

#include <cstdint>

#include "mapdata/map_data.h"
#include "mapdata/title_files.h"

namespace tikhomap {

enum class CitySize {
  Tiny,     // a small town for unit tests, made in a fraction of a second
  Default,  // the city every user sees: about 24 km across
  Large,    // the same coast, built up close to the 16-bit table limits
  Huge,     // a coast 2.3 times as wide, built up as Large: about 300,000
            // buildings, more than the eleven map files hold
};

struct CityOptions {
  uint32_t seed = 1;
  CitySize size = CitySize::Default;
};

struct GeneratedCity {
  MapData map;
  TitleSheetFile regional;   // 1.tkm
  TitleSheetFile cityWater;  // 2.tkm
};

// The same options always give the same city, byte for byte once written.
GeneratedCity generateCity(const CityOptions& options);

}  // namespace tikhomap
