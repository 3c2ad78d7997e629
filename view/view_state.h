// The view: drawing area, physical scale, shown map rectangle and the history
// of requested rectangles, with the conversions between map metres and pixels.
#pragma once

#include <cstdint>
#include <span>

#include "mapdata/records.h"

namespace tikhomap {

struct ViewState {
  int16_t viewLeft = 0;
  int16_t viewTop = 0;
  int16_t viewRight = 0;   // client width on screen
  int16_t viewBottom = 0;  // client height on screen
  float screenWidthMm = 0;
  float screenHeightMm = 0;
  float pixelsPerMmX = 0;
  float pixelsPerMmY = 0;
  double mmPerMetre = 0;  // scale denominator = 1000 / mmPerMetre
  float viewXMin = 0;
  float viewYMin = 0;
  float viewXMax = 0;
  float viewYMax = 0;
  int16_t detailLevel = 0;       // 0..5, coarse to fine
  int32_t scaleDenominator = 0;  // D chosen by the last fit (a multiple of 10)
};

inline constexpr int kViewHistorySize = 100;

// Entry 0 is the whole city; count 1 means the title sheet.
struct ViewHistory {
  int16_t count = 0;
  float xMin[kViewHistorySize] = {};
  float yMin[kViewHistorySize] = {};
  float xMax[kViewHistorySize] = {};
  float yMax[kViewHistorySize] = {};

  // An index outside the stored entries gives an empty rectangle.
  MapBounds entry(int i) const {
    if (i < 0 || i >= count || i >= kViewHistorySize) return {};
    return {xMin[i], yMin[i], xMax[i], yMax[i]};
  }
  MapBounds last() const { return entry(count - 1); }

  // The whole city is the first entry: the title sheet or a map is shown.
  bool hasWholeCity() const { return count >= 1; }
  // Nothing but the title sheet (or nothing at all) is shown.
  bool titleSheetShown() const { return count <= 1; }
  // An earlier map view lies behind the one shown; going back never
  // returns to the title sheet.
  bool canGoBack() const { return count > 2; }
};

// Sets the drawing area to the client size and the scale inputs from the
// physical width of that area in millimetres.
void measureViewport(ViewState& view, int clientWidth, int clientHeight, float widthMm);

// Chooses mmPerMetre and the shown rectangle for the asked rectangle; leaves
// the view unchanged when it cannot be shown (finer than 1:20).
void fitView(ViewState& view, const ViewHistory& history, float xMin, float yMin, float xMax,
             float yMax);

int16_t detailLevelFor(double mmPerMetre);

void mapToScreen(const ViewState& view, float x, float y, int32_t& sx, int32_t& sy);
void screenToMap(const ViewState& view, int32_t sx, int32_t sy, float& x, float& y);

// Converts a vertex array, dropping consecutive duplicate pixels; returns the
// number of points written (out must hold points.size() entries).
int projectPoints(const ViewState& view, std::span<const MapPoint> points, ScreenPoint* out);
int projectMetrePoints(const ViewState& view, std::span<const MetrePoint> points, ScreenPoint* out);
// The same, writing at most out.size() points.
int projectPoints(const ViewState& view, std::span<const MapPoint> points,
                  std::span<ScreenPoint> out);
int projectMetrePoints(const ViewState& view, std::span<const MetrePoint> points,
                       std::span<ScreenPoint> out);

// Appends a requested rectangle; 1 when accepted, 0 when refused.
int pushView(ViewHistory& history, float xMin, float yMin, float xMax, float yMax);
// Replaces the last entry with a requested rectangle, with the same
// clamps as pushView (a history of the title sheet alone gets it appended);
// 1 when accepted, 0 when refused (nothing changes then).
int replaceLastView(ViewHistory& history, float xMin, float yMin, float xMax, float yMax);
// Back: drops the last entry only while more than two are stored.
void viewBack(ViewHistory& history);
// Whole city: back to the title sheet.
void viewWholeCity(ViewHistory& history);

}  // namespace tikhomap
