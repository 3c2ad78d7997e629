// Buildings of the night view "Ночной": every building a stack of glowing
// storey outlines, painted storey by storey so that higher storeys lie over
// all lower ones.
#include <algorithm>
#include <span>
#include <vector>

#include "render/building_filter.h"
#include "render/feature_draw.h"
#include "render/layer_passes.h"

namespace tikhomap {

namespace {

constexpr Rgb kTextWhite{255, 255, 255};

void raise(std::span<ScreenPoint> pts, int pixels) {
  for (ScreenPoint& p : pts) p.y -= pixels;
}

// Pixels the highest outline of a building is raised by in this pass: the
// storeys stack up the screen, so a building just south of the view can
// still reach into it.
int nightRise(int level, const Building& b) {
  const int storeys = drawnStoreys(b);
  if (level <= 1) return storeys < 2 ? 4 : 3 * (storeys + 1);
  if (storeys < 2) return b.purpose == kPurposeOutbuilding ? level * (level - 1) : level * level;
  const int firstUpper = static_cast<int>(level * level + 1.5 * level);
  const int perStorey = level / 2 + level * level;
  return firstUpper + (storeys - 2) * perStorey + level * (level - 1);
}

// Whether anything the pass draws of the building reaches into the view.
bool reachesView(const RenderContext& ctx, const PixelMetres& metres, const Building& b) {
  if (boundsInView(ctx.view, b.bounds)) return true;
  const ScreenReach up{0, nightRise(ctx.view.detailLevel, b), 0, 0};
  return reachInView(ctx.view, metres, b.bounds, up);
}

// Level 1: a simple glow, one outline per storey.
void simpleNightPass(RenderContext& ctx, Canvas& dc, size_t first) {
  const StyleSet& st = ctx.styles;
  const PixelMetres metres = pixelMetres(ctx.view);
  for (size_t i = first; i < ctx.map.buildings.size(); ++i) {
    const Building& b = ctx.map.buildings[i];
    if (standsOnOpenGround(b.purpose)) continue;
    if (!reachesView(ctx, metres, b)) continue;
    std::span<ScreenPoint> pts = convertPoints(ctx, outlinePoints(b));
    if (drawnStoreys(b) < 2) {
      selectGlowPen(st, dc, b.purpose);
      selectBodyBrush(st, dc, b.purpose);
      dc.polygon(pts);
      raise(pts, 4);
      dc.polygon(pts);
      continue;
    }
    selectEdgePen(st, dc, b.purpose);
    selectBodyBrush(st, dc, b.purpose);
    dc.polygon(pts);
    selectGlowPen(st, dc, b.purpose);
    for (int f = 0; f < drawnStoreys(b); ++f) {
      raise(pts, 3);
      dc.polygon(pts);
    }
    selectEdgePen(st, dc, b.purpose);
    raise(pts, 3);
    dc.polygon(pts);
  }
}

bool numberWanted(const RenderContext& ctx, const Building& b) {
  return ctx.layers.houseNumberChoice != kChoiceNone && ctx.view.detailLevel > 2 &&
         hasHouseNumber(b);
}

}  // namespace

void nightBuildingPass(RenderContext& ctx, Canvas& dc) {
  const int level = ctx.view.detailLevel;
  const size_t first = static_cast<size_t>(std::max(0, ctx.cache.firstBuilding));
  if (level <= 1) {
    simpleNightPass(ctx, dc, first);
    return;
  }
  dc.setTextColor(kTextWhite);
  const StyleSet& st = ctx.styles;

  // Ground storeys now; buildings of several storeys are kept for the upper
  // storeys, which are painted later over every ground storey.
  std::vector<const Building*> tall;
  int maxFloors = 1;
  const PixelMetres metres = pixelMetres(ctx.view);
  for (size_t i = first; i < ctx.map.buildings.size(); ++i) {
    const Building& b = ctx.map.buildings[i];
    if (!reachesView(ctx, metres, b)) continue;
    if (drawnStoreys(b) > 1) {
      tall.push_back(&b);
      // Open-ground and public codes start at their second storey, so they
      // count for the storey range too.
      maxFloors = std::max<int>(maxFloors, drawnStoreys(b));
    }
    if (standsOnOpenGround(b.purpose)) continue;
    std::span<ScreenPoint> pts = convertPoints(ctx, outlinePoints(b));
    if (drawnStoreys(b) >= 2) {
      selectEdgePen(st, dc, b.purpose);
      selectBodyBrush(st, dc, b.purpose);
      dc.polygon(pts);
      selectGlowPen(st, dc, b.purpose);
      for (int f = 0; f < level; ++f) {
        raise(pts, level);
        dc.polygon(pts);
      }
      continue;
    }
    int labelOffset = 0;
    if (b.purpose == kPurposeOutbuilding) {
      selectGlowPen(st, dc, b.purpose);
      selectBodyBrush(st, dc, b.purpose);
      const int fills = level * (level - 1) + 1;
      for (int f = 0; f < fills; ++f) {
        dc.polygon(pts);
        raise(pts, 1);
      }
      labelOffset = fills;
    } else {
      selectEdgePen(st, dc, b.purpose);
      selectBodyBrush(st, dc, b.purpose);
      dc.polygon(pts);
      selectGlowPen(st, dc, b.purpose);
      for (int f = 0; f < level - 1; ++f) {
        raise(pts, level);
        dc.polygon(pts);
      }
      selectEdgePen(st, dc, b.purpose);
      raise(pts, level);
      dc.polygon(pts);
      labelOffset = level * (level + 1);
    }
    if (numberWanted(ctx, b)) houseNumberLabel(ctx, dc, b, labelOffset);
  }

  int d = static_cast<int>(level * level + 1.5 * level);
  for (int storey = 2; storey <= maxFloors; ++storey) {
    for (const Building* b : tall) {
      if (drawnStoreys(*b) < storey) continue;
      std::span<ScreenPoint> pts = convertPoints(ctx, outlinePoints(*b));
      raise(pts, d);
      selectGlowPen(st, dc, b->purpose);
      selectBodyBrush(st, dc, b->purpose);
      for (int f = 0; f < level; ++f) {
        if (f > 0) raise(pts, level);
        dc.polygon(pts);
      }
      if (storey == drawnStoreys(*b)) {
        selectEdgePen(st, dc, b->purpose);
        dc.polygon(pts);
        if (numberWanted(ctx, *b)) houseNumberLabel(ctx, dc, *b, d + level * (level - 1));
      }
    }
    d += level / 2 + level * level;
  }
}

}  // namespace tikhomap
