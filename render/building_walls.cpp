// Walls of a volumetric building and the windows in them.
#include "render/building_walls.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "render/building_filter.h"
#include "render/style_set.h"
#include "view/geometry.h"

namespace tikhomap {

namespace {

constexpr int16_t kGlassPurpose = 464;
constexpr int16_t kWarehousePurpose = 777;  // dark windows, bands
constexpr int16_t kPublicBandPurpose = 888;
constexpr int16_t kOutbuildingPurpose = 413;

bool onOpenGround(int16_t purpose) {
  return purpose >= 657 && purpose <= 659;
}

// "га" in cp1251: garages and the like get no windows.
bool describesGarage(const Building& b) {
  return static_cast<uint8_t>(b.description[0]) == 0xE3 &&
         static_cast<uint8_t>(b.description[1]) == 0xE0;
}

struct WallGeometry {
  ScreenPoint a;  // upper end
  ScreenPoint b;  // lower end
  int storeys = 0;
  int height = 0;  // H
};

void lineWindows(const RenderContext& ctx, Canvas& dc, const WallPass& pass, const WallGeometry& w,
                 int16_t purpose) {
  const bool dark = pass.viewMode == kViewPowerCut || purpose == kWarehousePurpose;
  dc.selectPen(dark ? ctx.styles.darkWindowPen : ctx.styles.litWindowPen);
  const int ax = w.b.x < w.a.x ? w.a.x - 1 : w.a.x + 1;
  const int bx = w.b.x < w.a.x ? w.b.x + 1 : w.b.x - 1;
  const int top = w.storeys * w.height;
  if (top <= 2) return;
  for (int d = 2; d < top; d += 4) {
    dc.moveTo(ax, w.a.y - d);
    dc.lineTo(bx, w.b.y - d);
    dc.moveTo(ax, w.a.y - d - 1);
    dc.lineTo(bx, w.b.y - d - 1);
  }
}

void bandWindows(const RenderContext& ctx, Canvas& dc, const WallGeometry& w, int16_t purpose) {
  const float len = pointDistance(static_cast<float>(w.a.x), static_cast<float>(w.a.y),
                                  static_cast<float>(w.b.x), static_cast<float>(w.b.y));
  if (len <= 0) return;  // a wall of no length has no direction to run a band along
  dc.selectPen(fixed::nullPen);
  dc.selectBrush(purpose == kWarehousePurpose ? ctx.styles.darkWindowBrush
                                              : ctx.styles.litWindowBrush);
  const float ux = static_cast<float>(w.b.x - w.a.x) / len;
  const float uy = static_cast<float>(w.b.y - w.a.y) / len;
  const int h = w.height;
  const float q = static_cast<float>(h / 4);
  const ScreenPoint e1{static_cast<int32_t>(w.a.x + q * ux),
                       static_cast<int32_t>(w.a.y + q * uy - q)};
  const ScreenPoint e2{static_cast<int32_t>(w.b.x - q * ux),
                       static_cast<int32_t>(w.b.y - q * uy - q)};
  const int halfStorey = h / 2;
  for (int l = 0; l < w.storeys; ++l) {
    const int lift = l * h;
    quad(dc, {e1.x, e1.y - lift}, {e2.x, e2.y - lift}, {e2.x, e2.y - halfStorey - lift},
         {e1.x, e1.y - halfStorey - lift});
  }
}

bool gridWindowLit(RenderContext& ctx, const WallPass& pass, int16_t purpose) {
  if (pass.viewMode == kViewNewYear) return true;
  if (pass.viewMode == kViewPowerCut) return false;
  if (pass.viewMode != kViewClockWindows) return true;
  return clockWindowLit(pass.hour, purpose, ctx.random.next());
}

void gridWindows(RenderContext& ctx, Canvas& dc, const WallPass& pass, const WallGeometry& w,
                 int16_t purpose) {
  const int h = w.height;
  if (h <= 0) return;
  const float len = pointDistance(static_cast<float>(w.a.x), static_cast<float>(w.a.y),
                                  static_cast<float>(w.b.x), static_cast<float>(w.b.y));
  const int columns = static_cast<int>(len / static_cast<float>(h));
  if (columns <= 0) return;
  dc.selectPen(fixed::nullPen);
  const float hf = static_cast<float>(h);
  const float ux = static_cast<float>(w.b.x - w.a.x) / len;
  const float uy = static_cast<float>(w.b.y - w.a.y) / len;
  const float s0 = (len - static_cast<float>(columns) * hf) * 0.5f + hf * 0.2f;
  const int halfStorey = h / 2;
  int yb = w.a.y - h / 4;
  for (int row = 0; row < w.storeys; ++row) {
    for (int c = 0; c < columns; ++c) {
      const float s = s0 + static_cast<float>(c) * hf;
      const float s2 = s + 0.6f * hf;
      const ScreenPoint p1{static_cast<int32_t>(w.a.x + s * ux), static_cast<int32_t>(yb + s * uy)};
      const ScreenPoint p2{static_cast<int32_t>(w.a.x + s2 * ux),
                           static_cast<int32_t>(yb + s2 * uy)};
      const bool lit = gridWindowLit(ctx, pass, purpose);
      // A window wholly outside the drawing area would leave no pixel; its
      // number is still drawn above, so the lighting of the others is the same.
      // The frame's clip lets two columns and one row past the view through.
      if (windowOutside(ctx.view, p1, p2, halfStorey, 2, 1)) continue;
      dc.selectBrush(lit ? ctx.styles.litWindowBrush : ctx.styles.darkWindowBrush);
      quad(dc, p1, p2, {p2.x, p2.y - halfStorey}, {p1.x, p1.y - halfStorey});
    }
    yb -= h;
  }
}

void drawWall(RenderContext& ctx, Canvas& dc, const WallPass& pass, ScreenPoint a, ScreenPoint b,
              const Building& building) {
  WallGeometry w{a, b, drawnStoreys(building), pass.storeyHeight};
  const int16_t purpose = building.purpose;
  if (onOpenGround(purpose)) {
    w.a.y -= w.height;
    w.b.y -= w.height;
    w.storeys -= 1;
  }
  const int rise = w.storeys * w.height;
  const ScreenPoint bTop{w.b.x, w.b.y - rise};
  const ScreenPoint aTop{w.a.x, w.a.y - rise};
  quad(dc, w.a, w.b, bTop, aTop);

  const bool windows =
      pass.detailLevel >= 1 && pass.viewMode != kViewFrame && purpose != kGlassPurpose &&
      (purpose != kOutbuildingPurpose || (w.storeys > 1 && !describesGarage(building)));
  if (!windows) return;
  if (pass.detailLevel == 1) {
    lineWindows(ctx, dc, pass, w, purpose);
  } else if (pass.viewMode == kViewWideWindows || purpose == kWarehousePurpose ||
             purpose == kPublicBandPurpose) {
    bandWindows(ctx, dc, w, purpose);
  } else {
    gridWindows(ctx, dc, pass, w, purpose);
  }
  dc.selectPen(fixed::greyPen);
  dc.selectBrush(pass.wallFill);
  const std::array<ScreenPoint, 5> edge{w.a, w.b, bTop, aTop, w.a};
  dc.polyline(edge);
}

}  // namespace

bool clockWindowLit(int hour, int16_t purpose, int r) {
  const bool dwelling = purpose == 411;
  if (hour < 6) return purpose == 555 ? r % 2 == 0 : r % 30 == 0;
  if (hour <= 8) {
    const bool hit = r % (hour - 4) == 0;
    return dwelling ? hit : !hit;
  }
  if (hour <= 17) return dwelling ? r % 10 == 0 : r % 5 != 0;
  const bool hit = r % (hour - 16) == 0;
  return dwelling ? !hit : hit;
}

void orderWalls(std::span<const ScreenPoint> outline, int storeyHeight, WallOrder& walls) {
  const size_t n = outline.size();
  walls.upper.resize(n);
  walls.lower.resize(n);
  walls.done.assign(n, 0);
  walls.order.clear();
  if (n < 2) return;
  int topY = 0;
  for (size_t k = 0; k < n; ++k) {
    const ScreenPoint p = outline[k];
    const ScreenPoint q = outline[(k + 1) % n];
    const bool qUpper = q.y <= p.y;
    walls.upper[k] = qUpper ? q : p;
    walls.lower[k] = qUpper ? p : q;
    if (k == 0 || walls.upper[k].y < topY) topY = walls.upper[k].y;
  }
  for (size_t k = 0; k < n; ++k) {
    const ScreenPoint u = walls.upper[k];
    const ScreenPoint d = walls.lower[k];
    if (pointInPolygonPx(outline, u.x, u.y + storeyHeight) &&
        pointInPolygonPx(outline, d.x, d.y + storeyHeight)) {
      walls.done[k] = 1;
    }
  }
  for (;;) {
    size_t j = 0;
    while (j < n && (walls.done[j] || walls.upper[j].y == topY)) ++j;
    if (j == n) break;
    if (walls.upper[j].x == walls.lower[j].x) {
      walls.done[j] = 1;
      continue;
    }
    size_t pick = j;
    for (size_t k = j + 1; k < n; ++k) {
      if (!walls.done[k] && walls.upper[k].y < walls.upper[pick].y) pick = k;
    }
    walls.order.push_back(static_cast<int>(pick));
    walls.done[pick] = 1;
  }
}

void drawWalls(RenderContext& ctx, Canvas& dc, WallPass& pass, std::span<const ScreenPoint> outline,
               const Building& building) {
  orderWalls(outline, pass.storeyHeight, pass.walls);
  for (const int k : pass.walls.order) {
    drawWall(ctx, dc, pass, pass.walls.upper[k], pass.walls.lower[k], building);
  }
}

// Not inlined: the corners then come in whole registers and are stored
// whole. Built in place, each corner would be stored coordinate by
// coordinate, and the recording, reading a corner back at once, would wait
// for both stores (about a tenth of a dense frame's recording).
[[gnu::noinline]] void quad(Canvas& dc, ScreenPoint a, ScreenPoint b, ScreenPoint c,
                            ScreenPoint d) {
  dc.quad({a, b, c, d});
}

bool windowOutside(const ViewState& v, ScreenPoint p1, ScreenPoint p2, int rise, int slackRight,
                   int slackBottom) {
  const int32_t left = std::min(p1.x, p2.x);
  const int32_t right = std::max(p1.x, p2.x);
  const int32_t top = std::min(p1.y, p2.y) - std::max(rise, 0);
  const int32_t bottom = std::max(p1.y, p2.y);
  return right < v.viewLeft || left > v.viewRight + slackRight || bottom < v.viewTop ||
         top > v.viewBottom + slackBottom;
}

}  // namespace tikhomap
