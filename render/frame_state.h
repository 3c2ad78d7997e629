// State the frame composition shares with the layer passes and keeps between
// frames, the layer choices of the "Состав схемы" dialog, the clock and the
// single window-lighting generator.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

#include "mapdata/map_data.h"
#include "render/canvas.h"
#include "render/style_set.h"
#include "view/marking_state.h"
#include "view/view_state.h"

namespace tikhomap {

struct FrameCache {
  int32_t firstAreaFeature = 0;
  int32_t firstWaterFeature = 0;
  int32_t firstStreetOutline = 0;
  int32_t firstStreetLine = 0;
  int32_t firstBuilding = 0;
  int32_t firstLabelPoint = 0;
  float cachedNorthEdge = 0;
  int32_t storeyHeight = 0;        // pixels of 5 map metres
  int32_t houseNumberMinSpan = 0;  // metres that make 7 mm on the screen
  int32_t labelFontHeight = 12;
  Rect frameRect;
  int32_t sheetSplitX = 0;  // left of it the title sheet shows the region
  // Scratch of the vertex conversions: one record's screen points at a
  // time. It only grows, so the largest outline seen stays allocated.
  std::vector<ScreenPoint> screenPoints;
  // The street label anchors (rows of streetLabelPoints) the last frame
  // named: a print names exactly these.
  std::vector<uint8_t> labelledAnchors;
};

// 0 "нет", 1 "все", 2 "отбор" for the three choices; switches 0/1.
struct LayerChoices {
  int16_t buildingChoice = 1;
  int16_t houseNumberChoice = 2;
  int16_t streetLabelChoice = 2;
  int16_t colouredHouses = 1;
  int16_t showShadows = 1;
  int16_t showDistrictBorders = 0;
};

struct ClockTime {
  int hour = 12;
  int minute = 0;
};
using Clock = std::function<ClockTime()>;

// The program's one pseudo-random generator: linear congruential with the
// classic constants, state 1 at start, never reseeded.
class WindowRandom {
 public:
  int next() {
    state_ = state_ * 214013u + 2531011u;
    return static_cast<int>((state_ >> 16) & 0x7fff);
  }
  uint32_t state() const { return state_; }
  // Continues the sequence from a state another generator reached.
  void setState(uint32_t state) { state_ = state; }

 private:
  uint32_t state_ = 1;
};

// The real sun over the city for the shadows of the volumetric views, in
// grid directions (degrees from north, clockwise) and degrees of elevation.
struct RealSun {
  double azimuth = 180;
  double elevation = 45;
};

// Everything one composition reads and writes. The shell owns each piece;
// the map, the history and the marks are only read.
struct RenderContext {
  const MapData& map;
  ViewState& view;
  const ViewHistory& history;
  FrameCache& cache;
  const LayerChoices& layers;
  const MarkingState& marking;
  StyleSet& styles;
  int viewMode;
  WindowRandom& random;
  Clock clock;
  std::filesystem::path dataDir;  // the map: its folder or container, for the title sheet
  float screenWidthMm = 0;        // physical width of the drawing area
  // Height in pixels of the screen the frame is shown on; 0 = the drawing
  // area's own height (a page, an image of its own).
  int screenHeight = 0;
  // Shadows by the real sun ("Тени по настоящему солнцу"); none: by the clock.
  std::optional<RealSun> realSun = std::nullopt;
  // Walls of the volumetric views coloured by each building's insolation
  // verdict (a row per building: kInsolationUnknown, or one of the
  // verdicts); none: by purpose.
  const std::vector<uint8_t>* insolationColours = nullptr;
};

// The insolation verdicts the walls are coloured by.
enum : uint8_t {
  kInsolationUnknown = 0,
  kInsolationMeets = 1,
  kInsolationInterrupted = 2,
  kInsolationFails = 3,
};

}  // namespace tikhomap
