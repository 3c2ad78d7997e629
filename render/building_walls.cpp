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

// Descriptions starting "га": garages and the like get no windows.
bool describesGarage(const Building& b) {
  return b.description.starts_with("га");
}

bool gridWindowLit(RenderContext& ctx, const WallPass& pass, int32_t purpose) {
  if (pass.viewMode == kViewNewYear) return true;
  if (pass.viewMode == kViewPowerCut) return false;
  if (pass.viewMode != kViewClockWindows) return true;
  return clockWindowLit(pass.hour, purpose, ctx.random.next());
}

void drawWindows(RenderContext& ctx, Canvas& dc, const WallPass& pass, const WallShape& w,
                 int32_t purpose) {
  const StyleSet& st = ctx.styles;
  const bool warehouse = purpose == kPurposeWarehouse;
  const WindowStyle style =
      pass.detailLevel == 1 ? WindowStyle::Lines
      : pass.viewMode == kViewWideWindows || warehouse || purpose == kPurposePublicBand
          ? WindowStyle::Bands
          : WindowStyle::Grid;
  const bool darkLines = pass.viewMode == kViewPowerCut || warehouse;
  paintWindows(dc, w, style, darkLines ? st.darkWindowPen : st.litWindowPen,
               warehouse ? st.darkWindowBrush : st.litWindowBrush,
               [&](ScreenPoint p1, ScreenPoint p2, int rise) -> const Brush* {
                 const bool lit = gridWindowLit(ctx, pass, purpose);
                 // A window wholly outside the drawing area would leave no
                 // pixel. The frame's clip lets two columns and one row past
                 // the view through.
                 if (windowOutside(ctx.view, p1, p2, rise, 2, 1)) return nullptr;
                 return lit ? &st.litWindowBrush : &st.darkWindowBrush;
               });
}

void drawWall(RenderContext& ctx, Canvas& dc, const WallPass& pass, ScreenPoint a, ScreenPoint b,
              const Building& building) {
  const WallShape w = wallShape(a, b, building, pass.storeyHeight);
  quad(dc, w.a, w.b, w.bTop(), w.aTop());
  // Glass is drawn translucent, without windows.
  if (building.purpose == kPurposeGlass ||
      !wallHasWindows(w, building, pass.detailLevel, pass.viewMode)) {
    return;
  }
  drawWindows(ctx, dc, pass, w, building.purpose);
  dc.selectPen(fixed::greyPen);
  dc.selectBrush(pass.wallFill);
  const std::array<ScreenPoint, 5> edge{w.a, w.b, w.bTop(), w.aTop(), w.a};
  dc.polyline(edge);
}

}  // namespace

WallShape wallShape(ScreenPoint upper, ScreenPoint lower, const Building& building,
                    int storeyHeight) {
  WallShape w{upper, lower, drawnStoreys(building), storeyHeight};
  if (standsOnOpenGround(building.purpose)) {
    w.a.y -= storeyHeight;
    w.b.y -= storeyHeight;
    w.storeys -= 1;
  }
  return w;
}

float wallLength(const WallShape& w) {
  return pointDistance(static_cast<float>(w.a.x), static_cast<float>(w.a.y),
                       static_cast<float>(w.b.x), static_cast<float>(w.b.y));
}

bool wallHasWindows(const WallShape& w, const Building& building, int detailLevel, int viewMode) {
  return detailLevel >= 1 && viewMode != kViewFrame &&
         (building.purpose != kPurposeOutbuilding || (w.storeys > 1 && !describesGarage(building)));
}

bool clockWindowLit(int hour, int32_t purpose, int r) {
  const bool dwelling = purpose == kPurposeDwelling;
  if (hour < 6) return purpose == kPurposeMedical ? r % 2 == 0 : r % 30 == 0;
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
