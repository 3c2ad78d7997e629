// The measurement tool: a polyline clicked point by point, straight or pulled
// onto the street axes, with its accumulated length and the area it closes.
// The state holds map points only; the window draws the polyline from them
// after every paint, so panning or zooming while measuring keeps it in place.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "mapdata/map_data.h"
#include "view/view_state.h"

namespace tikhomap {

// Commands of the measurement popup "Popup1".
inline constexpr int kUndoLastMeasurePoint = 32840;  // "Отменить последнее"
inline constexpr int kClearMeasurement = 32839;      // "Отменить измерение"

struct MeasureState {
  bool active = false;                  // the window "Измерения" is open
  bool measureAlongStreets = false;     // clicks are pulled onto the street axes
  std::vector<MapPoint> measurePoints;  // fixed points in click order
  int32_t measureCapacity = 0;          // grows by 100 points
  int32_t snapLine = -1;                // row of streetLines holding the last snapped point
  int32_t snapSegment = 0;              // segment (vertices i, i+1) of snapLine

  int32_t measureCount() const { return static_cast<int32_t>(measurePoints.size()); }
};

// Where the map and the view stand while a point is fixed.
struct MeasureContext {
  const MapData& map;
  const ViewState& view;
  int32_t firstStreetLine = 0;  // first streetLines record that can reach the view
};

// Field texts after a change: nullopt leaves the field as it is, an empty
// text empties it.
struct MeasureReadings {
  std::optional<std::string> length;  // control 1160, "Накоплены:  длина"
  std::optional<std::string> area;    // control 1161, "площадь"
};

struct AddPointResult {
  bool beep = false;  // along streets, but no street line near the click
  MeasureReadings readings;
};

void startMeasurement(MeasureState& state, bool alongStreets);
void endMeasurement(MeasureState& state);

// Pulls the map point onto the first street axis of the view within two
// screen millimetres per detail level. Returns the row of streetLines, or
// -1; on success the point becomes its foot on the line and `segment` the
// index of the segment that holds it.
int32_t snapToStreet(const MeasureContext& context, MapPoint& point, int32_t& segment);

// Fixes the next point at the clicked map point q (along streets: the path
// from the previous point follows the street axes).
AddPointResult addMeasurePoint(MeasureState& state, const MeasureContext& context, MapPoint q);

// "Отменить последнее": drops the last point and re-anchors the street walk
// on the new last point (the stored point does not move). Returns the new
// readings: the length (zero below two points) and the area, emptied below
// three. Without any point it clears the measurement like
// "Отменить измерение" and returns nullopt.
std::optional<MeasureReadings> undoLastMeasurePoint(MeasureState& state,
                                                    const MeasureContext& context);
// "Отменить измерение": an empty polyline; the tool stays active.
void clearMeasurement(MeasureState& state);

// Sum of the distances between consecutive points.
double measuredLength(std::span<const MapPoint> points);
// Shoelace area of the polygon closed by the points, in square metres.
double measuredArea(std::span<const MapPoint> points);

// " %.1f м" above detail level 1, else " %.1f км".
std::string accumulatedLengthText(double metres, int detailLevel);
// " %.1f кв.м" above detail level 2, else " %.1f га".
std::string areaText(double squareMetres, int detailLevel);
// The rubber segment: " %.3f км" at detail levels 0 and 1, else " %.1f м".
std::string currentLengthText(double metres, int detailLevel);

// What the fields 1248 and 1159 show while the pointer moves over the map
// point (mx, my); nullopt while no point is fixed.
struct PointerReadings {
  std::string offset;         // "%.1f, %.1f": easting, then northing difference
  std::string currentLength;  // control 1159
};
std::optional<PointerReadings> pointerReadings(const MeasureState& state, MapPoint pointer,
                                               int detailLevel);

}  // namespace tikhomap
