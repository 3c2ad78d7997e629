// Records of the city map. Counts, rows, codes and whole-metre coordinates
// are 32-bit; the readers of the eleven files fill them from the files'
// narrower fields, and their writer refuses what those fields cannot hold.
// Every text is UTF-8: the eleven files' cp1251 is converted on reading and
// back on writing.
// The caps the model itself keeps are in mapdata/limits.h.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tikhomap {

// Map coordinates are metres in the city's plane grid: x is the northing (up
// the screen), y the easting (to the right). Boxes are xMin, yMin, xMax, yMax.
// A point in whole metres (district vertices, the title sheet's shapes).
struct MetrePoint {
  int32_t x = 0;
  int32_t y = 0;
  friend bool operator==(const MetrePoint&, const MetrePoint&) = default;
};

struct MapPoint {
  float x = 0;
  float y = 0;
  friend bool operator==(const MapPoint&, const MapPoint&) = default;
};

struct MapBounds {
  float xMin = 0;
  float yMin = 0;
  float xMax = 0;
  float yMax = 0;
  friend bool operator==(const MapBounds&, const MapBounds&) = default;
};

// A device pixel (two int32, like a GDI POINT).
struct ScreenPoint {
  int32_t x = 0;
  int32_t y = 0;
  friend bool operator==(const ScreenPoint&, const ScreenPoint&) = default;
};

// One polygon of 3.tkm. Entry 0 of the table is the land outline of the city.
struct DistrictArea {
  int32_t district = 0;  // 1..5; 0 = no district (file value 250)
  int32_t pointCount = 0;
  std::vector<MetrePoint> points;
  // xMin, yMin, xMax, yMax in whole metres; 3.tkm keeps only the low 16
  // bits of its 32-bit bounds, and the reader keeps just those.
  int32_t boundsLow[4] = {0, 0, 0, 0};
};

// A polyline or area of 4.tkm or of the street axes of 5.tkm.
struct MapFeature {
  int32_t code = 0;  // feature code; the streetCode in streetLines
  int32_t pointCount = 0;
  int32_t reserved = 0;
  std::vector<MapPoint> points;
  MapBounds bounds;
};

struct StreetName {
  int32_t kind = 0;  // 0: no house list; 100: cannot be shown by itself
  int32_t streetCode = 0;
  std::string name;  // UTF-8; the street file holds 29 bytes of it in cp1251
};

struct StreetLabelPoint {
  int32_t x = 0;
  int32_t y = 0;
  int32_t level = 0;  // negated while its label is drawn in the current frame
  int32_t streetCode = 0;
};

struct Microdistrict {
  int32_t x = 0;
  int32_t y = 0;
  std::string name;  // UTF-8
};

struct Building {
  int32_t reserved = 0;
  int32_t x = 0;  // address point: where the number is written
  int32_t y = 0;
  int32_t purpose = 0;
  int32_t pointCount = 0;
  int32_t floors = 0;
  int32_t streetCode = 0;
  int32_t state = 0;
  std::string houseNumber;  // UTF-8; 7.tkm holds 6 bytes of it in cp1251
  std::string description;  // UTF-8; 7.tkm holds 46 bytes of it
  std::vector<MapPoint> outline;
  MapBounds bounds;
};

// A node of the two-level theme list of tema.tkm. The list is kept in
// MapData::themeNodes; `children` and `next` are indexes into it (-1 = none).
struct ThemeNode {
  int32_t reserved1 = 0;
  int32_t reserved2 = 0;
  char code[2] = {};      // code[1] == '1' marks a group
  std::string name;       // UTF-8
  int32_t children = -1;  // first theme of a group
  int32_t next = -1;      // next group, or next theme of the same group
};

struct UserObject {
  int32_t reserved = 0;
  int32_t x = 0;
  int32_t y = 0;
  int16_t foundMark = 0;  // 1 while in the current object-search result
  char theme[2] = {};
  std::string name;  // UTF-8; user.tkm holds 64 bytes of it
};

struct SignRecord {
  int32_t id = 0;
  int32_t a = 0;  // the point it stands at, in whole metres
  int32_t b = 0;
  int16_t spare = 0;
  float p = 0;
  float q = 0;
  std::string text;  // UTF-8; sign.tkm holds 81 bytes of it
};

}  // namespace tikhomap
