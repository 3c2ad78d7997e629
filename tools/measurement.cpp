#include "tools/measurement.h"

#include <algorithm>
#include <cmath>

#include "tools/text_format.h"
#include "view/geometry.h"

namespace tikhomap {
namespace {

constexpr int32_t kCapacityStep = 100;
// Vertices of two street lines closer than this in both axes join them.
constexpr float kJunctionDistance = 3.0f;

void appendPoint(MeasureState& state, MapPoint p) {
  if (state.measureCount() >= state.measureCapacity) {
    state.measureCapacity += kCapacityStep;
    state.measurePoints.reserve(static_cast<size_t>(state.measureCapacity));
  }
  state.measurePoints.push_back(p);
}

// Vertices from..to of the line, inclusive, in the direction from `from`.
void appendVertices(MeasureState& state, const MapFeature& line, int32_t from, int32_t to) {
  const int32_t count = static_cast<int32_t>(line.points.size());
  const int32_t step = from <= to ? 1 : -1;
  for (int32_t i = from;; i += step) {
    if (i >= 0 && i < count) appendPoint(state, line.points[static_cast<size_t>(i)]);
    if (i == to) break;
  }
}

// The first pair of vertices (j on the old line, m on the new) that nearly
// coincide, j ascending and, for each j, m ascending.
bool findJunction(const MapFeature& oldLine, const MapFeature& newLine, int32_t& j, int32_t& m) {
  for (size_t a = 0; a < oldLine.points.size(); ++a) {
    for (size_t b = 0; b < newLine.points.size(); ++b) {
      if (std::fabs(oldLine.points[a].x - newLine.points[b].x) < kJunctionDistance &&
          std::fabs(oldLine.points[a].y - newLine.points[b].y) < kJunctionDistance) {
        j = static_cast<int32_t>(a);
        m = static_cast<int32_t>(b);
        return true;
      }
    }
  }
  return false;
}

// Adds the path from the last snapped point to q', snapped on `line` at
// segment k.
void walkAlongStreets(MeasureState& state, const MapData& map, int32_t line, int32_t k,
                      MapPoint snapped) {
  const int32_t a = state.snapSegment;
  if (state.snapLine >= 0 && state.snapLine < static_cast<int32_t>(map.streetLines.size())) {
    const MapFeature& newLine = map.streetLines[static_cast<size_t>(line)];
    if (state.snapLine == line) {
      if (k > a) appendVertices(state, newLine, a + 1, k);
      if (k < a) appendVertices(state, newLine, a, k + 1);
    } else {
      const MapFeature& oldLine = map.streetLines[static_cast<size_t>(state.snapLine)];
      int32_t j = 0;
      int32_t m = 0;
      if (findJunction(oldLine, newLine, j, m)) {
        if (a < j) {
          appendVertices(state, oldLine, a + 1, j);
        } else {
          appendVertices(state, oldLine, a, j);
        }
        if (m > k) appendVertices(state, newLine, m, k + 1);
        if (m < k) appendVertices(state, newLine, m, k);
      }
    }
  }
  appendPoint(state, snapped);
  state.snapLine = line;
  state.snapSegment = k;
}

MeasureReadings readingsFor(const MeasureState& state, int detailLevel) {
  MeasureReadings readings;
  const auto points = std::span<const MapPoint>(state.measurePoints);
  if (points.size() >= 2)
    readings.length = accumulatedLengthText(measuredLength(points), detailLevel);
  if (points.size() >= 3) readings.area = areaText(measuredArea(points), detailLevel);
  return readings;
}

}  // namespace

void startMeasurement(MeasureState& state, bool alongStreets) {
  state = MeasureState{};
  state.active = true;
  state.measureAlongStreets = alongStreets;
  state.measureCapacity = kCapacityStep;
  state.measurePoints.reserve(kCapacityStep);
}

void endMeasurement(MeasureState& state) {
  state = MeasureState{};
}

int32_t snapToStreet(const MeasureContext& context, MapPoint& point, int32_t& segment) {
  const double mmPerMetre = context.view.mmPerMetre;
  if (!(mmPerMetre > 0)) return -1;
  const float t = static_cast<float>(2.0 * context.view.detailLevel / mmPerMetre);
  // At detail level 0 the tolerance is nothing: no click snaps there.
  if (!(t > 0)) return -1;
  const auto& lines = context.map.streetLines;
  const float qx = point.x;
  const float qy = point.y;
  for (size_t row = static_cast<size_t>(std::max(context.firstStreetLine, 0)); row < lines.size();
       ++row) {
    const MapFeature& line = lines[row];
    // The box is widened by the tolerance: a street running exactly north or
    // east has a box without width, which no click would ever hit.
    const MapBounds& b = line.bounds;
    if (!(b.xMin - t <= qx && qx <= b.xMax + t && b.yMin - t <= qy && qy <= b.yMax + t)) continue;
    if (!pointNearPolyline(qx, qy, line.points, t)) continue;
    // The first line near the point is the candidate, whatever follows.
    for (size_t i = 0; i + 1 < line.points.size(); ++i) {
      const MapPoint& p1 = line.points[i];
      const MapPoint& p2 = line.points[i + 1];
      if (!pointNearSegment(qx, qy, p1.x, p1.y, p2.x, p2.y, t)) continue;
      // The foot is worked out in double precision and checked against the
      // segment's box with a millimetre to spare: in single precision the
      // foot on a street running exactly north or east lands a rounding step
      // beside its own line about one time in four, and the click would not
      // snap at all.
      const double x1 = p1.x, y1 = p1.y, x2 = p2.x, y2 = p2.y;
      const double a = y1 - y2;
      const double b = x2 - x1;
      const double c = (x1 - x2) * y1 + (y2 - y1) * x1;
      const double norm = -(a * a + b * b);
      if (norm == 0) continue;
      const double fx = (b * (a * qy - b * qx) + a * c) / norm;
      const double fy = (a * (b * qx - a * qy) + b * c) / norm;
      constexpr double kSlack = 1e-3;
      const double xLow = std::min(x1, x2), xHigh = std::max(x1, x2);
      const double yLow = std::min(y1, y2), yHigh = std::max(y1, y2);
      if (fx < xLow - kSlack || fx > xHigh + kSlack || fy < yLow - kSlack || fy > yHigh + kSlack) {
        continue;
      }
      point = {static_cast<float>(std::clamp(fx, xLow, xHigh)),
               static_cast<float>(std::clamp(fy, yLow, yHigh))};
      segment = static_cast<int32_t>(i);
      return static_cast<int32_t>(row);
    }
    return -1;
  }
  return -1;
}

AddPointResult addMeasurePoint(MeasureState& state, const MeasureContext& context, MapPoint q) {
  AddPointResult result;
  if (!state.measureAlongStreets) {
    appendPoint(state, q);
  } else {
    MapPoint snapped = q;
    int32_t k = 0;
    const int32_t line = snapToStreet(context, snapped, k);
    if (line < 0) {
      appendPoint(state, q);
      result.beep = true;
      state.snapLine = -1;
      state.snapSegment = 0;
    } else {
      walkAlongStreets(state, context.map, line, k, snapped);
    }
  }
  result.readings = readingsFor(state, context.view.detailLevel);
  return result;
}

std::optional<MeasureReadings> undoLastMeasurePoint(MeasureState& state,
                                                    const MeasureContext& context) {
  if (state.measurePoints.empty()) {
    clearMeasurement(state);
    return std::nullopt;
  }
  state.measurePoints.pop_back();
  state.snapLine = -1;
  state.snapSegment = 0;
  if (!state.measurePoints.empty()) {
    // The stored point stays where it is; only the street walk is re-anchored.
    MapPoint last = state.measurePoints.back();
    int32_t segment = 0;
    const int32_t line = snapToStreet(context, last, segment);
    if (line >= 0) {
      state.snapLine = line;
      state.snapSegment = segment;
    }
  }
  const auto points = std::span<const MapPoint>(state.measurePoints);
  const int detail = context.view.detailLevel;
  MeasureReadings readings;
  readings.length = accumulatedLengthText(points.size() >= 2 ? measuredLength(points) : 0, detail);
  readings.area = points.size() >= 3 ? areaText(measuredArea(points), detail) : std::string();
  return readings;
}

void clearMeasurement(MeasureState& state) {
  state.measurePoints.clear();
  // A fresh polyline starts a fresh street walk.
  state.snapLine = -1;
  state.snapSegment = 0;
}

double measuredLength(std::span<const MapPoint> points) {
  double sum = 0;
  for (size_t i = 1; i < points.size(); ++i) {
    sum += pointDistance(points[i - 1].x, points[i - 1].y, points[i].x, points[i].y);
  }
  return sum;
}

double measuredArea(std::span<const MapPoint> points) {
  if (points.size() < 3) return 0;
  double twice = 0;
  for (size_t i = 0; i < points.size(); ++i) {
    const MapPoint& prev = points[i == 0 ? points.size() - 1 : i - 1];
    const MapPoint& cur = points[i];
    twice += static_cast<double>(prev.x) * cur.y - static_cast<double>(cur.x) * prev.y;
  }
  return std::fabs(0.5 * twice);
}

std::string accumulatedLengthText(double metres, int detailLevel) {
  if (detailLevel > 1) return " " + fixedText(metres, 1) + " м";
  return " " + fixedText(metres * 0.001, 1) + " км";
}

std::string areaText(double squareMetres, int detailLevel) {
  if (detailLevel > 2) return " " + fixedText(squareMetres, 1) + " кв.м";
  return " " + fixedText(squareMetres * 0.0001, 1) + " га";
}

std::string currentLengthText(double metres, int detailLevel) {
  if (detailLevel <= 1) return " " + fixedText(metres * 0.001, 3) + " км";
  return " " + fixedText(metres, 1) + " м";
}

std::optional<PointerReadings> pointerReadings(const MeasureState& state, MapPoint pointer,
                                               int detailLevel) {
  if (state.measurePoints.empty()) return std::nullopt;
  const MapPoint& last = state.measurePoints.back();
  PointerReadings readings;
  readings.offset = fixedText(pointer.y - last.y, 1) + ", " + fixedText(pointer.x - last.x, 1);
  readings.currentLength =
      currentLengthText(pointDistance(last.x, last.y, pointer.x, pointer.y), detailLevel);
  return readings;
}

}  // namespace tikhomap
