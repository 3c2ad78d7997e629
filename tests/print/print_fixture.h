// A small city printed on a 800 x 1000 pixel page at 100 dpi (3.94 pixels
// per millimetre, 203 x 254 mm), through RecordingCanvas.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "print/print_map.h"
#include "tests/render/compose_fixture.h"

namespace tikhomap::testing {

struct PrintWorld : ComposeWorld {
  PrinterMetrics printer = metricsAt(800, 1000, 100);
  bool colour = true;
  PageState page;
  RecordingCanvas paper;

  explicit PrintWorld(int mode) : ComposeWorld(mode) {}

  PrintScene scene() const {
    return {map, layers, marking, styles, viewMode, colour, cache.labelledAnchors};
  }

  // Prints the map of the asked rectangle: 254 m north-south is 1:1000
  // (level 4), 700 m level 2, 1500 m level 1.
  bool print(const MapBounds& asked) {
    paper.clearCalls();
    if (!preparePage(scene(), printer, asked, random, page)) return false;
    printMap(scene(), page, paper);
    return true;
  }

  void addName(int16_t code, const char* utf8) {
    StreetName name;
    name.streetCode = code;
    name.name = utf8;
    map.streetNames.push_back(name);
    if (map.streetCodeIndex.size() <= static_cast<size_t>(code)) {
      map.streetCodeIndex.resize(code + 1);
    }
    map.streetCodeIndex[code] = static_cast<int16_t>(map.streetNames.size() - 1);
  }

  // Calls of one kind made with a pen of this colour.
  std::vector<RecordedCall> withPen(CallKind kind, Rgb colour) const {
    std::vector<RecordedCall> out;
    for (const RecordedCall& c : paper.callsOf(kind)) {
      if (c.state.pen.style != PenStyle::Null && c.state.pen.color == colour) out.push_back(c);
    }
    return out;
  }

  // The text written, in the order written, in cp1251.
  std::string textWritten() const {
    std::string all;
    for (const RecordedCall& c : paper.callsOf(CallKind::TextOut)) all += c.text;
    return all;
  }
};

}  // namespace tikhomap::testing
