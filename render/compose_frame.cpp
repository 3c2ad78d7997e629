// One frame of the map: set-up of the view, the start indexes and the
// per-frame values, then the layers bottom to top, the scale caption and the
// frame edge.
#include "render/compose_frame.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "mapdata/codes.h"
#include "render/feature_draw.h"
#include "render/land_and_sea.h"
#include "render/layer_passes.h"
#include "render/start_indexes.h"
#include "render/style_set.h"
#include "render/title_sheet.h"
#include "view/drawn_building.h"
#include "view/visibility.h"

namespace tikhomap {

namespace {

// Physical width of the drawing area: the one the shell measured, else the
// device's own, else 96 pixels per inch.
float physicalWidthMm(const RenderContext& ctx, const DeviceCaps& caps) {
  if (ctx.screenWidthMm > 0) return ctx.screenWidthMm;
  if (caps.widthMm > 0) return caps.widthMm;
  const int dpi = caps.logPixelsX > 0 ? caps.logPixelsX : 96;
  return static_cast<float>(caps.width) * 25.4f / static_cast<float>(dpi);
}

void computeFrameValues(RenderContext& ctx) {
  const ViewState& v = ctx.view;
  ctx.cache.houseNumberMinSpan = static_cast<int32_t>(7.0 / v.mmPerMetre);
  ctx.cache.storeyHeight = static_cast<int32_t>(v.pixelsPerMmX * v.mmPerMetre * 5.0);
  ctx.cache.frameRect = Rect{v.viewLeft - 1, v.viewTop - 1, v.viewRight + 3, v.viewBottom + 2};
}

// Areas switch their style only where the code changes between records; a
// code without a style of its own keeps what is selected.
void drawAreas(RenderContext& ctx, Canvas& dc) {
  const StyleSet& s = ctx.styles;
  int32_t previous = 0;
  const auto& areas = ctx.map.areaFeatures;
  for (size_t i = static_cast<size_t>(std::max(ctx.cache.firstAreaFeature, 0)); i < areas.size();
       ++i) {
    const MapFeature& area = areas[i];
    if (area.code != previous) {
      previous = area.code;
      switch (area.code) {
        case kAreaBeach:
          dc.selectPen(fixed::nullPen);
          dc.selectBrush(s.beach);
          break;
        case kAreaOrchard:
          dc.selectPen(s.hatchedAreaOutline);
          dc.selectBrush(s.orchard);
          break;
        case kAreaForest:
          dc.selectPen(fixed::nullPen);
          dc.selectBrush(s.forest);
          break;
        case kAreaIndustry:
          dc.selectPen(fixed::nullPen);
          dc.selectBrush(s.industry);
          break;
        case kAreaSportsGround:
          selectEdgePen(s, dc, kPurposeSchool);
          dc.selectBrush(fixed::oliveBrush);
          break;
        case kAreaGreen:
          dc.selectPen(fixed::nullPen);
          dc.selectBrush(s.green);
          break;
        default:
          break;
      }
    }
    if (boundsInView(ctx.view, area.bounds)) dc.polygon(convertPoints(ctx, featurePoints(area)));
  }
}

void drawCoastline(RenderContext& ctx, Canvas& dc) {
  if (ctx.map.districtAreas.empty() || !ctx.map.city.coast) return;
  dc.selectPen(ctx.styles.coastline);
  dc.polyline(convertMetrePoints(ctx, areaPoints(ctx.map.districtAreas[0])));
}

void drawWater(RenderContext& ctx, Canvas& dc) {
  const auto& water = ctx.map.waterFeatures;
  const size_t first = static_cast<size_t>(std::max(ctx.cache.firstWaterFeature, 0));
  dc.selectBrush(ctx.styles.sea);
  dc.selectPen(fixed::nullPen);
  for (size_t i = first; i < water.size(); ++i) {
    const MapFeature& f = water[i];
    if (isWaterBody(f.code) && boundsInView(ctx.view, f.bounds)) {
      dc.polygon(convertPoints(ctx, featurePoints(f)));
    }
  }
  dc.selectPen(ctx.styles.waterLine);
  for (size_t i = first; i < water.size(); ++i) drawFeaturePolyline(ctx, dc, water[i]);
}

void drawLinesOfCode(RenderContext& ctx, Canvas& dc, int32_t code) {
  for (const MapFeature& f : ctx.map.lineFeatures) {
    if (f.code == code) drawFeaturePolyline(ctx, dc, f);
  }
}

void drawStreets(RenderContext& ctx, Canvas& dc) {
  const int level = ctx.view.detailLevel;
  if (level > 3) {
    dc.selectPen(ctx.styles.streetOutline);
    const auto& outlines = ctx.map.streetOutlines;
    for (size_t i = static_cast<size_t>(std::max(ctx.cache.firstStreetOutline, 0));
         i < outlines.size(); ++i) {
      drawFeaturePolyline(ctx, dc, outlines[i]);
    }
    return;
  }
  dc.selectPen(ctx.styles.street[std::clamp(level, 0, 3)]);
  const auto& lines = ctx.map.streetLines;
  for (size_t i = static_cast<size_t>(std::max(ctx.cache.firstStreetLine, 0)); i < lines.size();
       ++i) {
    drawFeaturePolyline(ctx, dc, lines[i]);
  }
}

void drawFences(RenderContext& ctx, Canvas& dc) {
  const int level = ctx.view.detailLevel;
  if (level <= 0) {
    dc.selectPen(fixed::blackPen);
  } else {
    dc.selectPen(ctx.styles.fence[std::min(level - 1, 2)]);
  }
  drawLinesOfCode(ctx, dc, kLineFence);
}

void drawDistrictBoundaries(RenderContext& ctx, Canvas& dc) {
  if (ctx.layers.showDistrictBorders == 0) return;
  dc.selectPen(ctx.styles.districtBoundary);
  for (const MapFeature& f : ctx.map.lineFeatures) {
    if (f.code == kLineDistrictBoundary) dc.polyline(convertPoints(ctx, featurePoints(f)));
  }
}

// The street found by a search, unless buildings of a search are listed.
void drawMarkedStreet(RenderContext& ctx, Canvas& dc) {
  const MarkingState& m = ctx.marking;
  if (m.markedStreet < 0 || m.chosenCount() != 0) return;
  dc.selectPen(ctx.view.detailLevel < 2 ? ctx.styles.marker : ctx.styles.markedStreet);
  for (const MapFeature& f : ctx.map.streetLines) {
    if (f.code == m.markedStreet) drawFeaturePolyline(ctx, dc, f);
  }
}

// At the coarsest level every view draws the buildings as plain flat bodies.
void drawCityScaleBuildings(RenderContext& ctx, Canvas& dc) {
  const auto& buildings = ctx.map.buildings;
  for (size_t i = static_cast<size_t>(std::max(ctx.cache.firstBuilding, 0)); i < buildings.size();
       ++i) {
    const Building& b = buildings[i];
    if (hiddenAtCityScale(b.purpose)) continue;
    if (!boundsInView(ctx.view, b.bounds)) continue;
    if (leftOutBySelection(ctx.view, ctx.layers.buildingChoice, b)) continue;
    const std::span<ScreenPoint> outline = convertPoints(ctx, outlinePoints(b));
    selectEdgePen(ctx.styles, dc, b.purpose);
    selectBodyBrush(ctx.styles, dc, b.purpose);
    dc.polygon(outline);
  }
}

void drawBuildings(RenderContext& ctx, Canvas& dc) {
  const bool shown = ctx.layers.buildingChoice != kChoiceNone;
  const int level = ctx.view.detailLevel;
  if (shown && level == 0) {
    drawCityScaleBuildings(ctx, dc);
  } else if (shown && (ctx.viewMode == kViewFlat || ctx.viewMode == kViewGraphic)) {
    flatBuildingPass(ctx, dc);
  }
  dc.selectFont(fixed::defaultFont);
  dc.setTextColor({0, 0, 0});
  if (!shown || level < 1) return;
  if (ctx.viewMode == kViewNight) {
    nightBuildingPass(ctx, dc);
  } else if (isVolumetricView(ctx.viewMode)) {
    volumetricPass(ctx, dc);
  }
}

void drawMapView(RenderContext& ctx, Canvas& frame) {
  const MapBounds asked = ctx.history.last();
  fitView(ctx.view, ctx.history, asked.xMin, asked.yMin, asked.xMax, asked.yMax);
  // Without a scale (no physical size, or a view that never fitted) there is
  // nothing that can be drawn at a true scale.
  if (!(ctx.view.mmPerMetre > 0)) return;
  updateStartIndexes(ctx.map, ctx.view.viewXMax, ctx.cache);
  computeFrameValues(ctx);

  const ViewState& v = ctx.view;
  frame.setClipRect(Rect{v.viewLeft + 1, v.viewTop + 1, v.viewRight + 2, v.viewBottom + 1});
  drawLandAndSea(ctx, frame);
  drawAreas(ctx, frame);
  drawCoastline(ctx, frame);
  drawWater(ctx, frame);
  frame.selectPen(ctx.styles.railway[std::min<int>(v.detailLevel, 3)]);
  drawLinesOfCode(ctx, frame, kLineRailway);
  drawStreets(ctx, frame);
  drawFences(ctx, frame);
  drawDistrictBoundaries(ctx, frame);
  drawMarkedStreet(ctx, frame);
  if (!ctx.map.streetLabelPoints.empty()) streetLabelPass(ctx, frame);
  frame.selectFont(fixed::defaultFont);
  drawBuildings(ctx, frame);
  frame.clearClip();

  frame.selectFont(fixed::defaultFont);
  frame.setTextColor(ctx.viewMode == kViewNight ? Rgb{255, 255, 255} : Rgb{0, 0, 0});
  frame.setBackgroundTransparent(true);
  const int32_t d = v.scaleDenominator > 0
                        ? v.scaleDenominator
                        : static_cast<int32_t>(std::lround(1000.0 / v.mmPerMetre));
  frame.textOut(12, 10, scaleCaption(d));
  frame.drawEdge(ctx.cache.frameRect, EdgeKind::Sunken);
}

}  // namespace

std::string scaleCaption(int32_t denominator) {
  return "Масштаб 1:" + std::to_string(denominator);
}

void composeFrame(RenderContext& ctx, Canvas& frame) {
  const DeviceCaps caps = frame.deviceCaps();
  measureViewport(ctx.view, caps.width, caps.height, physicalWidthMm(ctx, caps));
  frame.setBackgroundTransparent(true);

  if (ctx.history.count <= 1) {
    drawTitleSheet(ctx, frame);
    resetStartIndexes(ctx.cache, ctx.history.count > 0 ? ctx.history.xMax[0] : 0.0f);
    return;
  }
  drawMapView(ctx, frame);
}

}  // namespace tikhomap
