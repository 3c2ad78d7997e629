// A small map model, view and recording canvas for the building and label
// passes, with helpers that place map points on chosen screen pixels.
#pragma once

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "mapdata/map_data.h"
#include "render/frame_state.h"
#include "render/recording_canvas.h"
#include "render/style_set.h"
#include "view/marking_state.h"
#include "view/view_state.h"

namespace tikhomap::testing {

struct PassFixture {
  MapData map;
  ViewState view;
  ViewHistory history;
  FrameCache cache;
  LayerChoices layers;
  MarkingState marking;
  StyleSet styles;
  int viewMode = kViewFlat;
  WindowRandom random;
  ClockTime time{12, 0};
  RenderContext ctx{map,     view,   history,  cache,  layers,
                    marking, styles, viewMode, random, [this] { return time; },
                    {},      0};
  RecordingCanvas dc;

  PassFixture(const PassFixture&) = delete;
  PassFixture& operator=(const PassFixture&) = delete;

  // A 1000 x 1000 pixel view of the map square 0..1000/(ppm*mpm) metres.
  PassFixture(int mode, int level, float pixelsPerMm = 1, double mmPerMetre = 1) {
    viewMode = ctx.viewMode = mode;
    buildStyleSet(styles, mode);
    view.viewRight = 1000;
    view.viewBottom = 1000;
    view.pixelsPerMmX = pixelsPerMm;
    view.pixelsPerMmY = pixelsPerMm;
    view.mmPerMetre = mmPerMetre;
    const float extent = static_cast<float>(1000 / (pixelsPerMm * mmPerMetre));
    view.viewXMax = extent;
    view.viewYMax = extent;
    view.detailLevel = static_cast<int16_t>(level);
    cache.storeyHeight = static_cast<int32_t>(pixelsPerMm * mmPerMetre * 5.0);
    cache.houseNumberMinSpan = static_cast<int32_t>(7.0 / mmPerMetre);
  }

  // The map point that mapToScreen puts exactly on pixel (sx, sy).
  MapPoint pt(int sx, int sy) const {
    const double scale = view.pixelsPerMmX * view.mmPerMetre;
    return {static_cast<float>((view.viewBottom - sy - 0.75) / scale),
            static_cast<float>(sx / scale)};
  }

  Building& addBuilding(const std::vector<ScreenPoint>& outline, int16_t purpose, int16_t floors,
                        const char* number = "", const char* description = "") {
    Building b;
    b.purpose = purpose;
    b.floors = floors;
    b.houseNumber = number;
    b.description = description;
    b.bounds = {1e9f, 1e9f, -1e9f, -1e9f};
    for (const ScreenPoint& s : outline) {
      const MapPoint p = pt(s.x, s.y);
      b.outline.push_back(p);
      b.bounds.xMin = std::min(b.bounds.xMin, p.x);
      b.bounds.yMin = std::min(b.bounds.yMin, p.y);
      b.bounds.xMax = std::max(b.bounds.xMax, p.x);
      b.bounds.yMax = std::max(b.bounds.yMax, p.y);
    }
    b.pointCount = static_cast<int16_t>(outline.size());
    int sx = 0;
    int sy = 0;
    for (const ScreenPoint& s : outline) {
      sx += s.x;
      sy += s.y;
    }
    const int n = std::max<int>(1, static_cast<int>(outline.size()));
    const MapPoint label = pt(sx / n, sy / n);
    b.x = static_cast<uint16_t>(label.x);
    b.y = static_cast<uint16_t>(label.y);
    map.buildings.push_back(std::move(b));
    return map.buildings.back();
  }

  std::vector<RecordedCall> polygons() const { return dc.callsOf(CallKind::Polygon); }
};

inline std::vector<ScreenPoint> shifted(std::vector<ScreenPoint> pts, int dx, int dy) {
  for (ScreenPoint& p : pts) {
    p.x += dx;
    p.y += dy;
  }
  return pts;
}

inline std::vector<ScreenPoint> rectOutline(int left, int top, int right, int bottom) {
  return {{left, top}, {right, top}, {right, bottom}, {left, bottom}};
}

}  // namespace tikhomap::testing
