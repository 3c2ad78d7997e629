// The volumetric views: every building a block standing on its outline, with
// a shadow that follows the clock, walls with windows, a roof lifted by the
// building's height and the house number on the roof.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "render/building_filter.h"
#include "render/building_walls.h"
#include "render/feature_draw.h"
#include "render/layer_passes.h"
#include "render/volumetric_sun.h"

namespace tikhomap {

namespace {

constexpr double kPi = 3.14159265358979323846;

// Translucent buildings are drawn in mask mode: a light bluish glass tints
// what lies beneath instead of covering it.
constexpr Brush kGlassFill{BrushStyle::Solid, {200, 225, 245}};

}  // namespace

SunShadow sunShadowAt(ClockTime time, double mmPerMetre) {
  SunShadow sun;
  const int h = time.hour;
  const int minutes = 60 * h + time.minute - 360;
  const float theta = (1.0f - static_cast<float>(minutes) * 0.0010416667f) * 3.14f;
  sun.cosTheta = std::cos(theta);
  sun.minusSinTheta = -std::sin(theta);
  int factor = 1;
  if (h >= 6 && h <= 10) factor = 12 - h;
  if (h >= 17 && h <= 21) factor = h - 15;
  sun.lengthPerStorey = static_cast<float>(mmPerMetre * factor * 10);
  sun.daylight = h >= 6 && h <= 21;
  return sun;
}

SunShadow realSunShadow(const RealSun& sun, double storeyPixels) {
  SunShadow shadow;
  shadow.daylight = sun.elevation >= kRealShadowMinElevation;
  if (!shadow.daylight) return shadow;
  const double az = sun.azimuth * kPi / 180.0;
  // Away from the sun: east is +x on the screen, north is -y.
  shadow.cosTheta = static_cast<float>(-std::sin(az));
  shadow.minusSinTheta = static_cast<float>(std::cos(az));
  const double el = std::max(sun.elevation, kRealShadowCapElevation) * kPi / 180.0;
  shadow.lengthPerStorey = static_cast<float>(storeyPixels / std::tan(el));
  return shadow;
}

void shadowOffset(const SunShadow& sun, int floors, int& dx, int& dy) {
  const float f = static_cast<float>(floors);
  dx = static_cast<int>(f * sun.cosTheta * sun.lengthPerStorey);
  dy = static_cast<int>(f * sun.minusSinTheta * sun.lengthPerStorey);
}

void drawShadow(Canvas& dc, std::span<const ScreenPoint> outline, int dx, int dy,
                std::vector<ScreenPoint>& offsets) {
  const int steps = std::max(std::abs(dx), std::abs(dy));
  offsets.clear();
  if (steps <= 1) return;
  // Stamps of the outline along the shadow; in mask mode overlaps darken once,
  // so together they fill the swept area.
  // A tower's shadow at the finest scale runs to tens of thousands of pixels,
  // so the step products are taken in 64 bits.
  const int64_t n = steps;
  for (int64_t i = 1; i < n; ++i) {
    offsets.push_back({static_cast<int32_t>(i * dx / n), static_cast<int32_t>(i * dy / n)});
  }
  dc.polygonStamps(outline, offsets);
}

namespace {

// Whether the stamps of a shadow with offset (dx, dy) reach into the view;
// the last stamp lies one step short of the full offset, and a shadow of one
// pixel or none has no stamps at all.
bool shadowReachesIn(const ViewState& view, const PixelMetres& metres, const Building& b, int dx,
                     int dy) {
  const int64_t n = std::max(std::abs(dx), std::abs(dy));
  if (n <= 1) return false;
  const int lastX = static_cast<int>((n - 1) * dx / n);
  const int lastY = static_cast<int>((n - 1) * dy / n);
  const ScreenReach reach{std::max(0, -lastX), std::max(0, -lastY), std::max(0, lastX),
                          std::max(0, lastY)};
  return reachInView(view, metres, b.bounds, reach);
}

void drawOneShadow(RenderContext& ctx, Canvas& dc, const Building& b, int dx, int dy,
                   std::vector<ScreenPoint>& scratch) {
  dc.setRasterOp(RasterOp::MaskPen);
  dc.selectPen(fixed::nullPen);
  dc.selectBrush(fixed::grey195Brush);
  const std::span<ScreenPoint> pts = convertPoints(ctx, outlinePoints(b));
  drawShadow(dc, pts, dx, dy, scratch);
  dc.setRasterOp(RasterOp::CopyPen);
}

// The buildings before the first one that reaches down to the view lie
// wholly north of it: their walls rise away from it, but a shadow falling
// southwards (the real sun in the north) can still reach in. They come first
// in the table, so their shadows are drawn first.
void drawShadowsFromTheNorth(RenderContext& ctx, Canvas& dc, const SunShadow& sun,
                             const PixelMetres& metres) {
  if (!(sun.minusSinTheta > 0)) return;
  std::vector<ScreenPoint> scratch;
  const auto& buildings = ctx.map.buildings;
  const size_t first =
      std::min(static_cast<size_t>(std::max(0, ctx.cache.firstBuilding)), buildings.size());
  for (size_t i = 0; i < first; ++i) {
    const Building& b = buildings[i];
    int dx = 0;
    int dy = 0;
    shadowOffset(sun, drawnStoreys(b), dx, dy);
    if (!shadowReachesIn(ctx.view, metres, b, dx, dy)) continue;
    drawOneShadow(ctx, dc, b, dx, dy, scratch);
  }
}

}  // namespace

void volumetricPass(RenderContext& ctx, Canvas& dc) {
  const ViewState& view = ctx.view;
  const int storeyHeight = static_cast<int>(view.pixelsPerMmX * view.mmPerMetre * 5.0);
  ctx.cache.storeyHeight = storeyHeight;
  const ClockTime now = ctx.clock ? ctx.clock() : ClockTime{};
  const SunShadow sun =
      ctx.realSun ? realSunShadow(*ctx.realSun, storeyHeight) : sunShadowAt(now, view.mmPerMetre);
  const bool shadows = ctx.layers.showShadows != 0 && sun.daylight;
  const PixelMetres metres = pixelMetres(view);
  if (shadows) drawShadowsFromTheNorth(ctx, dc, sun, metres);
  const bool coloured = ctx.layers.colouredHouses != 0;

  WallPass pass;
  pass.storeyHeight = storeyHeight;
  pass.hour = now.hour;
  pass.viewMode = ctx.viewMode;
  pass.detailLevel = view.detailLevel;
  std::vector<ScreenPoint> outline;
  std::vector<ScreenPoint> scratch;

  const size_t first = static_cast<size_t>(std::max(0, ctx.cache.firstBuilding));
  for (size_t i = first; i < ctx.map.buildings.size(); ++i) {
    const Building& b = ctx.map.buildings[i];
    const int height = drawnStoreys(b) * storeyHeight;
    int dx = 0;
    int dy = 0;
    if (shadows) shadowOffset(sun, drawnStoreys(b), dx, dy);
    // A building outside the view still reaches into it when its walls and
    // roof rise into it from below or its shadow falls into it.
    const bool inView = boundsInView(view, b.bounds);
    const bool body = inView || reachInView(view, metres, b.bounds, ScreenReach{0, height, 0, 0});
    const bool shade = shadows && (inView || shadowReachesIn(view, metres, b, dx, dy));
    if (shade) drawOneShadow(ctx, dc, b, dx, dy, scratch);
    if (!body) continue;
    if (leftOutBySelection(view, ctx.layers.buildingChoice, b)) continue;

    const bool glass = coloured && b.purpose == kPurposeGlass;
    const int32_t stylePurpose = coloured ? b.purpose : kPurposeDwelling;
    Brush wallFill = glass ? kGlassFill : ctx.styles.bodyBrush(stylePurpose);
    if (ctx.insolationColours && i < ctx.insolationColours->size()) {
      static constexpr Brush kVerdicts[] = {{BrushStyle::Solid, {90, 190, 90}},
                                            {BrushStyle::Solid, {235, 200, 60}},
                                            {BrushStyle::Solid, {220, 80, 70}}};
      const uint8_t v = (*ctx.insolationColours)[i];
      if (v >= kInsolationMeets && v <= kInsolationFails) wallFill = kVerdicts[v - 1];
    }
    const Brush roofFill = glass ? kGlassFill : ctx.styles.roofBrush(stylePurpose);
    if (glass) dc.setRasterOp(RasterOp::MaskPen);

    const std::span<ScreenPoint> pts = convertPoints(ctx, outlinePoints(b));
    outline.assign(pts.begin(), pts.end());
    pass.wallFill = wallFill;
    dc.selectPen(fixed::greyPen);
    dc.selectBrush(wallFill);
    drawWalls(ctx, dc, pass, outline, b);

    for (ScreenPoint& p : outline) p.y -= height;
    dc.selectPen(fixed::greyPen);
    dc.selectBrush(roofFill);
    if (outline.size() >= 2) dc.polygon(outline);
    if (glass) dc.setRasterOp(RasterOp::CopyPen);

    if (ctx.layers.houseNumberChoice != kChoiceNone && view.detailLevel > 1 && hasHouseNumber(b)) {
      houseNumberLabel(ctx, dc, b, height);
    }
  }
  dc.selectBrush(fixed::hollowBrush);
  dc.selectPen(fixed::blackPen);
  dc.setRasterOp(RasterOp::CopyPen);
}

}  // namespace tikhomap
