// Buildings of the plan views "Плоский" and "Графический": drop shadows,
// bodies or outlines, house numbers and descriptions.
#include <algorithm>
#include <cstring>
#include <string_view>

#include "render/building_filter.h"
#include "render/feature_draw.h"
#include "render/graphemes.h"
#include "render/layer_passes.h"
#include "view/visibility.h"

namespace tikhomap {

namespace {

constexpr Rgb kTextBlack{0, 0, 0};

void drawDescription(RenderContext& ctx, Canvas& dc, const Building& b) {
  const std::string text = drawableText(b.description);
  if (text.empty()) return;
  int32_t sx = 0;
  int32_t sy = 0;
  mapToScreen(ctx.view, b.x, b.y, sx, sy);
  const int y = hasHouseNumber(b) ? sy + 6 : sy - 6;
  dc.textOut(sx - 3 * static_cast<int>(graphemeCount(text)), y, text);
}

// The first building whose drop shadow, `shift` pixels down the screen, can
// reach the view: the start index leaves out every building north of the
// view, but those just north of it cast their drop shadows into it. The
// table runs north to south, so they stand right before the start index.
size_t firstDropShadow(const RenderContext& ctx, size_t first, int shift) {
  const float reach = ctx.view.viewXMax + static_cast<float>(shift) * pixelMetres(ctx.view).down;
  const auto& buildings = ctx.map.buildings;
  first = std::min(first, buildings.size());
  while (first > 0 && buildings[first - 1].bounds.xMin <= reach) --first;
  return first;
}

}  // namespace

void flatBuildingPass(RenderContext& ctx, Canvas& dc) {
  const int level = ctx.view.detailLevel;
  const bool flat = ctx.viewMode == kViewFlat;
  const auto visible = [&](const Building& b) { return buildingVisible(ctx, b, true); };
  const std::vector<Building>& buildings = ctx.map.buildings;
  const size_t first = static_cast<size_t>(std::max(0, ctx.cache.firstBuilding));

  if (flat) {
    dc.selectPen(fixed::nullPen);
    dc.selectBrush(ctx.styles.dropShadow);
    const double shift = 1.5 * level;
    // The drop shadow lies right of and below the body, so a building just
    // west or north of the view can cast it into the view.
    const int reach = static_cast<int>(shift);
    const ScreenReach shadowReach{0, 0, reach, reach};
    const PixelMetres metres = pixelMetres(ctx.view);
    for (size_t i = firstDropShadow(ctx, first, reach); i < buildings.size(); ++i) {
      const Building& b = buildings[i];
      if (b.purpose == kPurposeGlass || !reachInView(ctx.view, metres, b.bounds, shadowReach)) {
        continue;
      }
      if (leftOutBySelection(ctx.view, ctx.layers.buildingChoice, b)) continue;
      std::span<ScreenPoint> pts = convertPoints(ctx, outlinePoints(b));
      for (ScreenPoint& p : pts) {
        p.x = static_cast<int32_t>(shift + p.x);
        p.y = static_cast<int32_t>(shift + p.y);
      }
      dc.polygon(pts);
    }
    // At level 1 the null pen stays: flat bodies without an outline.
    if (level > 1) dc.selectPen(fixed::greyPen);
  } else {
    dc.selectPen(fixed::greyPen);
    dc.selectBrush(fixed::hollowBrush);
  }

  for (size_t i = first; i < buildings.size(); ++i) {
    const Building& b = buildings[i];
    if (!visible(b)) continue;
    std::span<ScreenPoint> pts = convertPoints(ctx, outlinePoints(b));
    if (flat) selectBodyBrush(ctx.styles, dc, b.purpose);
    dc.polygon(pts);
  }

  if (level < 2) return;
  dc.setTextColor(kTextBlack);
  for (size_t i = first; i < buildings.size(); ++i) {
    const Building& b = buildings[i];
    if (!visible(b)) continue;
    if (ctx.layers.houseNumberChoice != kChoiceNone && hasHouseNumber(b))
      houseNumberLabel(ctx, dc, b, 0);
    if (level > 3) drawDescription(ctx, dc, b);
  }
}

}  // namespace tikhomap
