// The map container: every table of the map model, the content of the two
// title-sheet files and the city description in one GeoPackage file (the
// OGC standard on SQLite), for towns whose tables do not fit the eleven map
// files. docs/map-container.md describes its schema.
//
// Names are stored as UTF-8 and read back as UTF-8, never transliterated;
// what a file holds is made safe on reading (mapdata/utf8_text.h).
#pragma once

#include <filesystem>
#include <string>

#include "mapdata/load_result.h"
#include "mapdata/map_data.h"
#include "mapdata/title_files.h"

namespace tikhomap {

// The file extension of a container.
inline constexpr const char* kContainerExtension = ".gpkg";
// The container's name when a program writes one into a map folder.
inline constexpr const char* kContainerFileName = "map.gpkg";
// The spatial reference id of the city's grid inside a container.
inline constexpr int32_t kCityGridSrsId = 100001;

// Writes the container to a temporary file in the target's folder and
// renames it over path only when all of it was written: a failure leaves
// whatever was at path untouched and no temporary file behind. Returns false
// with the reason in error (naming the file) when it cannot be written.
bool writeGeoPackage(const std::filesystem::path& path, const MapData& map,
                     const TitleSheetFile& regional, const TitleSheetFile& cityWater,
                     std::string* error = nullptr);

// The two steps of opening a container, as of a map folder: the base map
// (with the city description), then the buildings with further addresses and
// the reference tables. Problems name the container's file; a file that is
// not a readable container of this program, or holds no district area,
// gives ok = false with missingFile naming it.
LoadResult loadContainerBaseMap(const std::filesystem::path& path, MapData& map,
                                const LoadProgress& progress);
LoadResult loadContainerBuildings(const std::filesystem::path& path, MapData& map,
                                  const LoadProgress& progress);

// The title-sheet content of a container (1.tkm: regional = true, 2.tkm:
// false); false when it cannot be read.
bool readContainerTitleSheet(const std::filesystem::path& path, bool regional, TitleSheetFile& out,
                             std::vector<LoadProblem>* problems = nullptr);

// The WKT of the grid a map's coordinates are in: its city description's,
// else the built-in grid.
std::string cityGridWkt(const CityInfo& city);

}  // namespace tikhomap
