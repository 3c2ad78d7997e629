// The two files of the title sheet: 1.tkm (regional panel) and 2.tkm (the
// city's hydrography). Both are read anew each time the sheet is drawn.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "mapdata/records.h"

namespace tikhomap {

struct TitleShape {
  std::vector<MetrePoint> points;
  // In 2.tkm a shape whose first point equals its last (as stored) is a
  // water polygon, any other an open water line.
  bool closed() const { return points.size() >= 2 && points.front() == points.back(); }
};

struct TitleText {
  char kind = 'e';   // 1.tkm: 'e', 'f', 'g'; 2.tkm: 'o', 'p', 'q'
  int32_t x = 0;     // anchor northing, whole metres
  int32_t y = 0;     // anchor easting
  std::string text;  // UTF-8; the files hold 1..127 cp1251 bytes of it
};

struct TitleSheetFile {
  bool hasHeader = false;            // 1.tkm only: the panel's extent
  int32_t extent[4] = {0, 0, 0, 0};  // xMin, yMin, xMax, yMax
  std::vector<TitleShape> shapes;
  std::vector<TitleText> texts;
};

struct LoadProblem;

// Parses 1.tkm (withHeader = true) or 2.tkm (false) from memory. A damaged
// file keeps what was read before the damage and records the problem.
TitleSheetFile parseTitleFile(std::span<const uint8_t> bytes, bool withHeader,
                              std::vector<LoadProblem>* problems = nullptr);
std::vector<uint8_t> writeTitleFile(const TitleSheetFile& file);

}  // namespace tikhomap
