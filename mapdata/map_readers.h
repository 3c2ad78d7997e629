// Readers of the map data files. Each parses one file held in memory into
// MapData. A damaged file keeps the records completed before the damage and
// appends a LoadProblem saying where and what; nothing is read past the data
// and no count is trusted beyond the bytes that could hold it.
#pragma once

#include <array>
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

// 4.tkm holds one section per feature class; reading stops after the
// fourth section header, whatever the classes were.
inline constexpr int kTopoSections = 4;

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

// Where the theme list's chains end: the last top-level node, the first
// group of each code letter and the last theme of each group. A reader that
// inserts many nodes keeps it, so that an insertion is not a walk of the
// list.
struct ThemeListEnds {
  int32_t lastTop = -1;
  std::array<int32_t, 256> firstGroup;  // by code[0]; -1 = none
  std::vector<int32_t> lastChild;       // by node index; -1 = none
  ThemeListEnds() { firstGroup.fill(-1); }
  static ThemeListEnds of(const MapData& map);
};

// Appends a node to the theme list by the insert rules of tema.tkm and
// returns its index in map.themeNodes.
int32_t insertThemeNode(MapData& map, const ThemeNode& node, std::vector<LoadProblem>* problems,
                        uint64_t offset = 0);
int32_t insertThemeNode(MapData& map, const ThemeNode& node, ThemeListEnds& ends,
                        std::vector<LoadProblem>* problems, uint64_t offset = 0);

// No table holds more than 32767 records: lines of tema.tkm, user.tkm and
// sign.tkm past that are ignored.
inline constexpr size_t kMaxTextRecords = 32767;

}  // namespace tikhomap
