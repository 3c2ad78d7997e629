// Where a map is: a folder of the eleven map files, a folder holding one map
// container (.gpkg), or the container file itself. Every program opens a
// map through these, so that the choice is made in one place.
#pragma once

#include <filesystem>
#include <optional>
#include <vector>

#include "mapdata/load_result.h"
#include "mapdata/map_data.h"
#include "mapdata/title_files.h"

namespace tikhomap {

struct MapLocation {
  std::filesystem::path folder;     // the folder the map is in
  std::filesystem::path container;  // its container file; empty for the map files
  bool isContainer() const { return !container.empty(); }
};

// What path stands for: a container file is itself; another file stands
// for the folder holding it; a folder is read as map files when it holds
// 3.tkm (or holds no container), else as the single container it holds.
MapLocation locateMap(const std::filesystem::path& path);

// The path a person's choice (a dropped or named file or folder) opens: a
// container file stays itself, another file stands for its folder.
std::filesystem::path mapPathFor(const std::filesystem::path& chosen);

// A map can be opened there: the base map's files (8.tkm and 3.tkm) or a
// container.
bool holdsMap(const std::filesystem::path& path);

// The two steps of loading, as loadBaseMap and loadBuildingsAndReferences
// for the map files, for whatever the location holds.
LoadResult loadMapBase(const std::filesystem::path& path, MapData& map,
                       const LoadProgress& progress);
LoadResult loadMapBuildings(const std::filesystem::path& path, MapData& map,
                            const LoadProgress& progress);

// The title-sheet content (regional: 1.tkm, else 2.tkm); none when it
// cannot be read.
std::optional<TitleSheetFile> readMapTitleSheet(const std::filesystem::path& path, bool regional);

}  // namespace tikhomap
