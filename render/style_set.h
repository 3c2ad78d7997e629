// The pens and brushes of the map, by role, for the palette of the current
// view mode, plus the fixed objects that every palette shares.
#pragma once

#include <cstdint>

#include "render/canvas.h"

namespace tikhomap {

// View modes: the menu ids of the eight views.
inline constexpr int kViewGraphic = 32812;       // "Графический"
inline constexpr int kViewFlat = 32775;          // "Плоский"
inline constexpr int kViewNight = 32781;         // "Ночной"
inline constexpr int kViewClockWindows = 32786;  // "Окна по часам"
inline constexpr int kViewNewYear = 32823;       // "Новогодняя ночь"
inline constexpr int kViewPowerCut = 32824;      // "Тихэнерго бастует"
inline constexpr int kViewWideWindows = 32825;   // "Широкие окна"
inline constexpr int kViewFrame = 32826;         // "Каркас"

// -1 for an id that is not a view mode.
int paletteForViewMode(int viewMode);
bool isVolumetricView(int viewMode);

enum class PurposeGroup : uint8_t { Dwelling = 0, Education, Public, Medical, Other };
inline constexpr int kPurposeGroups = 5;
PurposeGroup purposeGroup(int32_t purpose);

struct StyleSet {
  int palette = -1;  // -1 = empty (released)

  Pen coastline, waterLine, hatchedAreaOutline, marker, markedStreet;
  Pen street[4];
  Pen streetOutline;
  Pen railway[4];
  Pen fence[3];
  Pen districtBoundary;
  Pen glow[kPurposeGroups];
  Pen edge[kPurposeGroups];
  Pen litWindowPen, darkWindowPen;

  Brush land, sea, forest, orchard, beach, industry, green, printGreen, markerBrush, dropShadow;
  Brush body[kPurposeGroups];
  Brush roof[kPurposeGroups];
  Brush litWindowBrush, darkWindowBrush;

  const Pen& glowPen(int32_t purpose) const {
    return glow[static_cast<int>(purposeGroup(purpose))];
  }
  const Pen& edgePen(int32_t purpose) const {
    return edge[static_cast<int>(purposeGroup(purpose))];
  }
  const Brush& bodyBrush(int32_t purpose) const {
    return body[static_cast<int>(purposeGroup(purpose))];
  }
  const Brush& roofBrush(int32_t purpose) const {
    return roof[static_cast<int>(purposeGroup(purpose))];
  }
  // Number of pens and brushes the set holds now (0 when released).
  int liveObjects() const;
};

// Fills every slot from the palette of viewMode; returns false and leaves the
// set as it is when viewMode is not a view mode.
bool buildStyleSet(StyleSet& styles, int viewMode);
// Deselects the set's objects from the canvas (when given) and empties every
// slot; releasing twice is harmless.
void releaseStyleSet(StyleSet& styles, Canvas* drawDC);

// The fixed objects shared by every palette.
namespace fixed {
inline const Pen nullPen{PenStyle::Null, 0, {}, false};
inline const Pen blackPen{PenStyle::Solid, 1, {0, 0, 0}, false};
inline const Pen greyPen{PenStyle::Solid, 1, {80, 80, 80}, false};  // outline pen
inline const Pen rubberBandPen{PenStyle::Dot, 1, {255, 0, 255}, false};
inline const Brush hollowBrush{BrushStyle::Null, {}};
inline const Brush whiteBrush{BrushStyle::Solid, {255, 255, 255}};
inline const Brush grey240Brush{BrushStyle::Solid, {240, 240, 240}};
inline const Brush grey200Brush{BrushStyle::Solid, {200, 200, 200}};
inline const Brush grey180Brush{BrushStyle::Solid, {180, 180, 180}};
inline const Brush grey195Brush{BrushStyle::Solid, {195, 195, 195}};  // shadows
inline const Brush oliveBrush{BrushStyle::Solid, {195, 195, 0}};
// The default GUI font, selected back after text drawing.
inline const Font defaultFont{"MS Sans Serif", 13, 400, false, 0};
}  // namespace fixed

}  // namespace tikhomap
