// The choices a fuzz input makes about how a loaded map is drawn or printed:
// a fixed block of control bytes before the map folder (see fuzz_folder.h)
// picks the view modes, the asked rectangles, the layer choices, the marks
// of the searches and the clock.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <span>

#include "mapdata/map_data.h"
#include "render/frame_state.h"
#include "render/style_set.h"
#include "view/marking_state.h"

namespace tikhomap::fuzz {

inline constexpr size_t kControlBytes = 32;

inline constexpr std::array<int, 8> kViewModes = {kViewGraphic,      kViewFlat,    kViewNight,
                                                  kViewClockWindows, kViewNewYear, kViewPowerCut,
                                                  kViewWideWindows,  kViewFrame};

// Reads the control block byte by byte; a short input reads as zeros.
class Controls {
 public:
  explicit Controls(std::span<const uint8_t> input)
      : bytes_(input.first(std::min(input.size(), kControlBytes))) {}
  uint8_t next() { return at_ < bytes_.size() ? bytes_[at_++] : 0; }
  int mode() { return kViewModes[next() % kViewModes.size()]; }

 private:
  std::span<const uint8_t> bytes_;
  size_t at_ = 0;
};

// The map folder after the control block.
inline std::span<const uint8_t> folderPart(std::span<const uint8_t> input) {
  return input.subspan(std::min(input.size(), kControlBytes));
}

// A rectangle inside the city: its centre at the fractions cx/255, cy/255 of
// the extent, its side the extent's divided by 2^(e % 16), so the same bytes
// reach every detail level in a city of any size.
inline MapBounds askedRect(const MapBounds& city, uint8_t cx, uint8_t cy, uint8_t e) {
  const double w = static_cast<double>(city.xMax) - city.xMin;
  const double h = static_cast<double>(city.yMax) - city.yMin;
  const double x = city.xMin + w * cx / 255.0;
  const double y = city.yMin + h * cy / 255.0;
  const double half = std::ldexp(std::max(std::fabs(w), std::fabs(h)), -(e % 16)) / 2;
  return {static_cast<float>(x - half), static_cast<float>(y - half), static_cast<float>(x + half),
          static_cast<float>(y + half)};
}

inline void chooseLayers(LayerChoices& layers, uint8_t b) {
  layers.buildingChoice = static_cast<int16_t>(b % 3);
  layers.houseNumberChoice = static_cast<int16_t>(b / 3 % 3);
  layers.streetLabelChoice = static_cast<int16_t>(b / 9 % 3);
  layers.colouredHouses = static_cast<int16_t>(b / 27 % 2);
  layers.showShadows = static_cast<int16_t>(b / 54 % 2);
  layers.showDistrictBorders = static_cast<int16_t>(b >> 7);
}

// The marks a search may leave: a street, chosen buildings and the flashes,
// always naming rows the map holds.
inline void chooseMarks(MarkingState& marking, const MapData& map, Controls& c) {
  const uint8_t what = c.next();
  const uint8_t pick = c.next();
  if ((what & 1) && !map.streetNames.empty()) {
    marking.markedStreet = map.streetNames[pick % map.streetNames.size()].streetCode;
  }
  if ((what & 2) && !map.buildings.empty()) {
    const int n = 1 + (what >> 5);
    for (int i = 0; i < n; ++i) {
      marking.choose(static_cast<int32_t>((pick + 37u * i) % map.buildings.size()));
    }
  }
  if ((what & 4) && !map.microdistricts.empty()) {
    marking.nameFlash = NameFlash{NameFlash::Source::Microdistrict,
                                  static_cast<int32_t>(pick % map.microdistricts.size())};
  }
  if ((what & 8) && !map.userObjects.empty()) {
    marking.nameFlash =
        NameFlash{NameFlash::Source::Object, static_cast<int32_t>(pick % map.userObjects.size())};
  }
  if ((what & 16) && !map.districtAreas.empty()) {
    marking.districtFlash = static_cast<int32_t>(pick % map.districtAreas.size());
  }
}

}  // namespace tikhomap::fuzz
