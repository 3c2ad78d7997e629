// The physical scale of the drawing area, the fit of a map rectangle to it
// and the conversions between map metres and device pixels.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "view/view_state.h"

namespace tikhomap {
namespace {

// Finer than 50 mm per metre (about 1:20) cannot be shown.
constexpr float kFinestMmPerMetre = 50.0f;
// Pixel coordinates are kept within what the drawing device takes safely.
constexpr double kPixelLimit = 32000.0;

// Truncates towards zero and holds the result within the limit; NaN is 0.
// The comparisons come first so that the conversion itself truncates (a
// call of trunc() costs more than the rest of a point's projection).
int32_t toPixel(double v) {
  if (v >= kPixelLimit + 1.0) return static_cast<int32_t>(kPixelLimit);
  if (v <= -(kPixelLimit + 1.0)) return static_cast<int32_t>(-kPixelLimit);
  if (std::isnan(v)) return 0;
  return static_cast<int32_t>(v);
}

// Keeps [lo, hi] inside [cityLo, cityHi] by shifting it, size kept: first
// onto the low edge, then onto the high edge (the high edge wins).
void shiftInto(float& lo, float& hi, float cityLo, float cityHi) {
  if (lo < cityLo) {
    hi += cityLo - lo;
    lo = cityLo;
  }
  if (hi > cityHi) {
    lo -= hi - cityHi;
    hi = cityHi;
  }
}

// Scale denominator rounded to a multiple of ten, halves up.
double quantisedDenominator(float k) {
  return 10.0 * std::trunc((1000.0 / static_cast<double>(k) + 5.0) * 0.1);
}

}  // namespace

void measureViewport(ViewState& view, int clientWidth, int clientHeight, float widthMm) {
  view.viewLeft = 0;
  view.viewTop = 0;
  // The drawing area is held in 16 bits; a larger client is cut, not
  // wrapped, and its physical width cut with it so the density stays true.
  constexpr int kLargest = std::numeric_limits<int16_t>::max();
  if (clientWidth > kLargest) {
    widthMm = widthMm * static_cast<float>(kLargest) / static_cast<float>(clientWidth);
  }
  clientWidth = std::clamp(clientWidth, 0, kLargest);
  clientHeight = std::clamp(clientHeight, 0, kLargest);
  view.viewRight = static_cast<int16_t>(clientWidth);
  view.viewBottom = static_cast<int16_t>(clientHeight);
  view.screenWidthMm = widthMm;
  // A window with no width (minimised) has no physical size either.
  view.screenHeightMm =
      clientWidth > 0 ? static_cast<float>(clientHeight) * widthMm / static_cast<float>(clientWidth)
                      : 0.0f;
  view.pixelsPerMmX = view.screenWidthMm > 0
                          ? static_cast<float>(view.viewRight - view.viewLeft) / view.screenWidthMm
                          : 0.0f;
  view.pixelsPerMmY = view.screenHeightMm > 0
                          ? static_cast<float>(view.viewBottom - view.viewTop) / view.screenHeightMm
                          : 0.0f;
}

int16_t detailLevelFor(double mmPerMetre) {
  if (mmPerMetre < 0.1) return 0;
  if (mmPerMetre < 0.25) return 1;
  if (mmPerMetre < 0.5) return 2;
  if (mmPerMetre < 1.0) return 3;
  if (mmPerMetre < 2.2) return 4;
  return 5;
}

void fitView(ViewState& view, const ViewHistory& history, float xMin, float yMin, float xMax,
             float yMax) {
  const float w = view.screenWidthMm;
  const float h = view.screenHeightMm;
  // Without a physical size there is no scale to choose.
  if (!(w > 0) || !(h > 0) || !std::isfinite(w) || !std::isfinite(h)) return;
  const float dx = xMax - xMin;
  const float dy = yMax - yMin;
  const bool fitNorthSouth = w / h > dy / dx;
  const float k = fitNorthSouth ? h / dx : w / dy;
  // k >= 50 is finer than can be shown; k <= 0 (or NaN) is a rectangle with
  // its edges the wrong way round and has no scale at all.
  if (!(k > 0) || k >= kFinestMmPerMetre) return;
  const double d = quantisedDenominator(k);
  if (!(d >= 20.0) || !std::isfinite(d)) return;
  const double mm = 1000.0 / d;

  const bool haveCity = history.count > 0;
  const MapBounds city = haveCity ? history.entry(0) : MapBounds{};
  float newXMin, newXMax, newYMin, newYMax;
  if (fitNorthSouth) {
    newXMin = xMin;
    newXMax = static_cast<float>(xMin + h / mm);
    const double c = (yMin + yMax) * 0.5;
    const double half = w / mm * 0.5;
    newYMin = static_cast<float>(c - half);
    newYMax = static_cast<float>(c + half);
    if (haveCity) shiftInto(newYMin, newYMax, city.yMin, city.yMax);
  } else {
    newYMin = yMin;
    newYMax = static_cast<float>(yMin + w / mm);
    const double c = (xMin + xMax) * 0.5;
    const double half = h / mm * 0.5;
    newXMin = static_cast<float>(c - half);
    newXMax = static_cast<float>(c + half);
    if (haveCity) shiftInto(newXMin, newXMax, city.xMin, city.xMax);
  }
  view.mmPerMetre = mm;
  view.scaleDenominator = d < static_cast<double>(std::numeric_limits<int32_t>::max())
                              ? static_cast<int32_t>(d)
                              : std::numeric_limits<int32_t>::max();
  view.viewXMin = newXMin;
  view.viewXMax = newXMax;
  view.viewYMin = newYMin;
  view.viewYMax = newYMax;
  view.detailLevel = detailLevelFor(mm);
}

void mapToScreen(const ViewState& view, float x, float y, int32_t& sx, int32_t& sy) {
  sx = toPixel((y - view.viewYMin) * view.mmPerMetre * view.pixelsPerMmX + 0.5 + view.viewLeft);
  sy = toPixel(view.viewBottom - ((x - view.viewXMin) * view.mmPerMetre * view.pixelsPerMmY + 0.5));
}

void screenToMap(const ViewState& view, int32_t sx, int32_t sy, float& x, float& y) {
  // The pixel differences are taken in 64 bits: any int32 pixel may come in.
  const int64_t up = int64_t{view.viewBottom} - sy;
  const int64_t right = int64_t{sx} - view.viewLeft;
  x = static_cast<float>(static_cast<float>(up) / view.pixelsPerMmY / view.mmPerMetre +
                         view.viewXMin);
  y = static_cast<float>(static_cast<float>(right) / view.pixelsPerMmX / view.mmPerMetre +
                         view.viewYMin);
}

namespace {

template <typename Point>
int project(const ViewState& view, std::span<const Point> points, std::span<ScreenPoint> out) {
  int written = 0;
  const size_t room = out.size();
  for (const Point& p : points) {
    if (static_cast<size_t>(written) >= room) break;
    ScreenPoint s;
    // Integer vertices are read as unsigned metres and converted the same way.
    mapToScreen(view, static_cast<float>(p.x), static_cast<float>(p.y), s.x, s.y);
    if (written == 0 || !(s == out[written - 1])) out[written++] = s;
  }
  return written;
}

}  // namespace

int projectPoints(const ViewState& view, std::span<const MapPoint> points,
                  std::span<ScreenPoint> out) {
  return project(view, points, out);
}

int projectMetrePoints(const ViewState& view, std::span<const MetrePoint> points,
                       std::span<ScreenPoint> out) {
  return project(view, points, out);
}

int projectPoints(const ViewState& view, std::span<const MapPoint> points, ScreenPoint* out) {
  return project(view, points, std::span<ScreenPoint>(out, points.size()));
}

int projectMetrePoints(const ViewState& view, std::span<const MetrePoint> points,
                       ScreenPoint* out) {
  return project(view, points, std::span<ScreenPoint>(out, points.size()));
}

}  // namespace tikhomap
