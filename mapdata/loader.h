// Loading of the map folder: the base map first (the program cannot run
// without it), then the buildings and the reference tables.
#pragma once

#include <filesystem>

#include "mapdata/load_result.h"
#include "mapdata/map_data.h"

namespace tikhomap {

// Empties the tables each step of loading fills, so that a layer a source
// does not give comes out empty rather than keeping an older map's records.
void clearBaseMap(MapData& map);
void clearBuildingsAndReferences(MapData& map);

// Reads 8.tkm, 3.tkm, 4.tkm and 5.tkm. ok is false
// when 8.tkm or 3.tkm cannot be opened or 3.tkm gives no district areas; a
// short 8.tkm, or a missing 4.tkm or 5.tkm, only leaves its tables empty.
LoadResult loadBaseMap(const std::filesystem::path& dir, MapData& map,
                       const LoadProgress& progress);

// Reads 7.tkm with 6.tkm, then tema.tkm, user.tkm and sign.tkm. Without
// 7.tkm or 6.tkm no
// building and no reference table is loaded (ok is false).
LoadResult loadBuildingsAndReferences(const std::filesystem::path& dir, MapData& map,
                                      const LoadProgress& progress);

}  // namespace tikhomap
