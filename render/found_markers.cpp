#include "render/found_markers.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

#include "mapdata/district_names.h"
#include "mapdata/text_rules.h"
#include "render/building_filter.h"
#include "render/graphemes.h"
#include "render/layer_passes.h"
#include "render/style_set.h"
#include "view/visibility.h"

namespace tikhomap {
namespace {

constexpr Rgb kMarkerText{255, 0, 0};
constexpr Rgb kShadow{0, 0, 0};
constexpr Rgb kNameFlashText{240, 160, 160};
constexpr Rgb kDistrictFlashText{255, 255, 0};
constexpr int kFlashWeight = 800;
constexpr int kDistrictFontHeight = 60;
constexpr size_t kFlashLetters = 64;

// The flat plans draw buildings without height; every other view stands
// them up, so the flag goes on the roof there.
bool flagOnRoof(const RenderContext& ctx) {
  return ctx.view.detailLevel >= 1 && ctx.viewMode != kViewFlat && ctx.viewMode != kViewGraphic;
}

// First vertex with the largest northing; nullptr for a building without an
// outline.
const MapPoint* northernmostVertex(const Building& b) {
  const MapPoint* best = nullptr;
  for (const MapPoint& p : b.outline) {
    if (best == nullptr || p.x > best->x) best = &p;
  }
  return best;
}

// The staff and cloth of a flag standing at screen point sx, sy.
void drawFlagAt(const RenderContext& ctx, Canvas& dc, int32_t sx, int32_t sy) {
  const int level = ctx.view.detailLevel;
  const int f = level == 0 ? 1 : level;
  dc.moveTo(sx, sy);
  dc.lineTo(sx, sy - 5 * f - 1);
  dc.rectangle(Rect{sx, sy - 10 * f, sx + 10 * f, sy - 5 * f});
}

void drawFlag(const RenderContext& ctx, Canvas& dc, const Building& b) {
  if (!pointInView(ctx.view, b.x, b.y)) return;
  const MapPoint* top = northernmostVertex(b);
  if (top == nullptr) return;
  int32_t sx = 0;
  int32_t sy = 0;
  mapToScreen(ctx.view, top->x, top->y, sx, sy);
  if (flagOnRoof(ctx)) sy -= drawnStoreys(b) * ctx.cache.storeyHeight;

  drawFlagAt(ctx, dc, sx, sy);
  const int level = ctx.view.detailLevel;
  if (level >= 3) {
    const std::string number = std::string(houseNumberText(b));
    if (!number.empty()) dc.textOut(sx + 4, sy - 10 * level + 1, number);
  }
}

// Writes text twice, a black shadow one pixel down and right of the face.
void shadowedText(Canvas& dc, int32_t x, int32_t y, std::string_view text, Rgb face) {
  dc.setTextColor(kShadow);
  dc.textOut(x + 1, y + 1, text);
  dc.setTextColor(face);
  dc.textOut(x, y, text);
}

}  // namespace

void drawFoundMarkers(const RenderContext& ctx, Canvas& dc) {
  const std::vector<Building>& buildings = ctx.map.buildings;
  const auto count = static_cast<int32_t>(buildings.size());
  dc.setBackgroundTransparent(true);
  dc.selectFont(fixed::defaultFont);
  dc.selectPen(ctx.styles.marker);
  dc.selectBrush(ctx.styles.markerBrush);
  dc.setTextColor(kMarkerText);

  for (const MarkingState::Point& p : ctx.marking.chosenPoints) {
    if (!pointInView(ctx.view, p.x, p.y)) continue;
    int32_t sx = 0;
    int32_t sy = 0;
    mapToScreen(ctx.view, p.x, p.y, sx, sy);
    drawFlagAt(ctx, dc, sx, sy);
  }
  if (!ctx.marking.chosenBuildings.empty() || !ctx.marking.chosenPoints.empty()) {
    for (const int32_t row : ctx.marking.chosenBuildings) {
      if (row >= 0 && row < count) drawFlag(ctx, dc, buildings[row]);
    }
    return;
  }
  if (ctx.marking.markedStreet < 0) return;
  for (int32_t row = std::clamp(ctx.cache.firstBuilding, 0, count); row < count; ++row) {
    if (buildings[row].streetCode == ctx.marking.markedStreet) drawFlag(ctx, dc, buildings[row]);
  }
}

void drawNameFlash(const RenderContext& ctx, Canvas& dc, const NameFlash& flash) {
  std::string name;
  float x = 0;
  float y = 0;
  if (flash.source == NameFlash::Source::Microdistrict) {
    if (flash.row < 0 || flash.row >= static_cast<int32_t>(ctx.map.microdistricts.size())) return;
    const Microdistrict& m = ctx.map.microdistricts[flash.row];
    name = m.name;
    x = m.x;
    y = m.y;
  } else {
    if (flash.row < 0 || flash.row >= static_cast<int32_t>(ctx.map.userObjects.size())) return;
    const UserObject& o = ctx.map.userObjects[flash.row];
    name = o.name;
    x = o.x;
    y = o.y;
  }
  // The names of the map files hold at most 64 letters; a longer one is
  // cut there, or its letters would shrink no further and run far off the
  // frame.
  name = cutToGraphemes(name, kFlashLetters);
  const int n = static_cast<int>(graphemeCount(name));
  if (n == 0) return;

  const int level = ctx.view.detailLevel;
  const int a = std::max(40, 300 / n);
  // At detail level 0 the asked height is 0, which a font request reads as
  // "the face's default size": the canvas gets that default explicitly.
  const int height = a * level == 0 ? Font{}.height : a * level;
  int32_t sx = 0;
  int32_t sy = 0;
  mapToScreen(ctx.view, x, y, sx, sy);

  dc.setBackgroundTransparent(true);
  dc.selectFont(Font{"Arial Cyr", height, kFlashWeight, false, 0});
  shadowedText(dc, sx - (a / 4) * level * n, sy - a * level, name, kNameFlashText);
  dc.selectFont(fixed::defaultFont);
}

void drawDistrictFlash(const RenderContext& ctx, Canvas& dc, int32_t districtRow) {
  if (districtRow < 0 || districtRow >= static_cast<int32_t>(ctx.map.districtAreas.size())) return;
  const DistrictArea& area = ctx.map.districtAreas[districtRow];

  dc.setBackgroundTransparent(true);
  std::vector<ScreenPoint> screen(area.points.size());
  const int drawn = projectMetrePoints(ctx.view, area.points, std::span<ScreenPoint>(screen));
  if (drawn >= 2) {
    dc.selectPen(ctx.styles.districtBoundary);
    dc.polyline(std::span<const ScreenPoint>(screen.data(), static_cast<size_t>(drawn)));
  }

  const std::string name = drawableText(std::string(districtName(ctx.map, area.district)));
  if (name.empty()) return;
  const int n = static_cast<int>(graphemeCount(name));
  const int cx = (area.boundsLow[0] + area.boundsLow[2]) / 2;
  const int cy = (area.boundsLow[1] + area.boundsLow[3]) / 2;
  int32_t sx = 0;
  int32_t sy = 0;
  mapToScreen(ctx.view, static_cast<float>(cx), static_cast<float>(cy), sx, sy);
  dc.selectFont(Font{"Arial Cyr", kDistrictFontHeight, kFlashWeight, false, 0});
  shadowedText(dc, sx - 15 * n, sy - 60, name, kDistrictFlashText);
  dc.selectFont(fixed::defaultFont);
}

}  // namespace tikhomap
