// Writers for every map data file, used by the sample-city generator and by
// the tests to build files in memory. Each produces exactly the bytes its
// reader expects.
//
// Vertex arrays are taken from the `points` / `outline` vectors (their
// pointCount is derived from them); tables are written up to 32767 records
// and text fields up to their terminator. The single files keep the low 16
// bits of wider values; writeMapFolder first checks that everything fits. A street axis with code 0
// and no vertices would read as the 0/0 header that ends the axes of 5.tkm, so the generator must
// not produce one. Text files use CR LF line ends.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "mapdata/map_data.h"
#include "mapdata/title_files.h"

namespace tikhomap {

// Bytes of cp1251 each text field of the files holds.
inline constexpr size_t kNameBytes = 29;  // street and microdistrict names
inline constexpr size_t kHouseNumberBytes = 6;
inline constexpr size_t kDescriptionBytes = 46;
inline constexpr size_t kThemeNameBytes = 49;
inline constexpr size_t kObjectNameBytes = 64;
inline constexpr size_t kSignTextBytes = 81;

std::vector<uint8_t> writeMicrodistrictFile(const MapData& map);      // 8.tkm
std::vector<uint8_t> writeDistrictFile(const MapData& map);           // 3.tkm (cityExtent header)
std::vector<uint8_t> writeTopoFile(const MapData& map);               // 4.tkm, classes 1..4
std::vector<uint8_t> writeStreetFile(const MapData& map);             // 5.tkm, three sections
std::vector<uint8_t> writeBuildingAttributeFile(const MapData& map);  // 7.tkm
std::vector<uint8_t> writeBuildingGeometryFile(const MapData& map);   // 6.tkm
std::vector<uint8_t> writeThemeFile(const MapData& map);              // tema.tkm
std::vector<uint8_t> writeUserObjectFile(const MapData& map);         // user.tkm
std::vector<uint8_t> writeSignFile(const MapData& map);               // sign.tkm

// Empty when the eleven files can hold the map and its title sheet; else
// what they cannot hold: a table of more than 32767 records, a record of more
// than 32767 vertices, a point beyond 0..65535 m (objects and signs: beyond
// the signed 16-bit range), a code, level or count beyond its 16-bit field.
std::string mapFilesRefusal(const MapData& map, const TitleSheetFile& regional,
                            const TitleSheetFile& cityWater);

// Writes the eleven files into dir (created when missing). Returns false
// when the map does not fit them (nothing is written then) or a file cannot
// be written; error, when given, then says what does not fit, or names the
// file and the system's reason.
bool writeMapFolder(const std::filesystem::path& dir, const MapData& map,
                    const TitleSheetFile& regional, const TitleSheetFile& cityWater,
                    std::string* error = nullptr);

}  // namespace tikhomap
