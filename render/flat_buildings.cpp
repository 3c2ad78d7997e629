// Buildings of the plan views "Плоский" and "Графический": drop shadows,
// bodies or outlines, house numbers and descriptions.
#include <algorithm>
#include <cstring>
#include <string_view>

#include "render/building_filter.h"
#include "render/feature_draw.h"
#include "render/layer_passes.h"
#include "view/visibility.h"

namespace tikhomap {

namespace {

constexpr int16_t kGlassPurpose = 464;
constexpr Rgb kTextBlack{0, 0, 0};

void drawDescription(RenderContext& ctx, Canvas& dc, const Building& b) {
  const std::string_view text(b.description, strnlen(b.description, sizeof b.description));
  if (text.empty()) return;
  int32_t sx = 0;
  int32_t sy = 0;
  mapToScreen(ctx.view, b.x, b.y, sx, sy);
  const int y = hasHouseNumber(b) ? sy + 6 : sy - 6;
  dc.textOut(sx - 3 * static_cast<int>(text.size()), y, text);
}

}  // namespace

void flatBuildingPass(RenderContext& ctx, Canvas& dc) {
  const int level = ctx.view.detailLevel;
  const bool flat = ctx.viewMode == kViewFlat;
  const auto visible = [&](const Building& b) { return buildingVisible(ctx, b, true); };
  std::vector<Building>& buildings = ctx.map.buildings;
  const size_t first = static_cast<size_t>(std::max(0, ctx.cache.firstBuilding));

  if (flat) {
    dc.selectPen(fixed::nullPen);
    dc.selectBrush(ctx.styles.dropShadow);
    const double shift = 1.5 * level;
    for (size_t i = first; i < buildings.size(); ++i) {
      const Building& b = buildings[i];
      if (b.purpose == kGlassPurpose || !visible(b)) continue;
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
    if (ctx.layers.houseNumberChoice != 0 && hasHouseNumber(b)) houseNumberLabel(ctx, dc, b, 0);
    if (level > 3) drawDescription(ctx, dc, b);
  }
}

}  // namespace tikhomap
