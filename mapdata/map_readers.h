// Readers of the map data files. Each parses one file held in memory into
// MapData. A damaged file keeps the records completed before the damage and
// appends a LoadProblem saying where and what; nothing is read past the data
// and no count is trusted beyond the bytes that could hold it.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "mapdata/load_result.h"
#include "mapdata/map_data.h"

namespace tikhomap {

// 8.tkm: microdistrict name points. Returns false when not even the count
// can be read.
bool parseMicrodistrictFile(std::span<const uint8_t> bytes, MapData& map,
                            std::vector<LoadProblem>& problems);

// 3.tkm: land outline and district polygons; sets cityExtent and resets
// maxPointCount to the largest vertex count of the polygons. Returns false
// when the header cannot be read.
bool parseDistrictFile(std::span<const uint8_t> bytes, MapData& map,
                       std::vector<LoadProblem>& problems);

// 4.tkm: the four feature classes; raises maxPointCount.
bool parseTopoFile(std::span<const uint8_t> bytes, MapData& map,
                   std::vector<LoadProblem>& problems);

// 5.tkm: street axes, street names (with the street-code index) and label
// anchors; raises maxPointCount.
bool parseStreetFile(std::span<const uint8_t> bytes, MapData& map,
                     std::vector<LoadProblem>& problems);

// Called with (i, N) before building i whenever i is a multiple of 200.
using BuildingProgress = std::function<void(int done, int total)>;

// 7.tkm (attributes) and 6.tkm (geometry), read side by side.
bool parseBuildingFiles(std::span<const uint8_t> attributes, std::span<const uint8_t> geometry,
                        MapData& map, std::vector<LoadProblem>& problems,
                        const BuildingProgress& progress = {});

// tema.tkm: the two-level theme list (MapData::themeNodes, themeHead).
void parseThemeFile(std::span<const uint8_t> bytes, MapData& map,
                    std::vector<LoadProblem>& problems);

// user.tkm and sign.tkm. Each returns false when the file has no first line
// (the count), which also stops the files that follow it.
bool parseUserObjectFile(std::span<const uint8_t> bytes, MapData& map,
                         std::vector<LoadProblem>& problems);
bool parseSignFile(std::span<const uint8_t> bytes, MapData& map,
                   std::vector<LoadProblem>& problems);

// Appends a node to the theme list by the insert rules of tema.tkm and
// returns its index in map.themeNodes.
int32_t insertThemeNode(MapData& map, const ThemeNode& node, std::vector<LoadProblem>* problems,
                        uint64_t offset = 0);

// Size of screenPoints: one more than the largest vertex count of the base
// map and of every building outline.
void sizeScreenPoints(MapData& map);

}  // namespace tikhomap
