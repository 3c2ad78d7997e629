// A whole small city for the frame composition and title sheet tests: a
// 20 km square extent, a land square with a bay cut into its east coast, a
// 1000 x 800 pixel frame 250 mm wide (4 pixels per millimetre).
#pragma once

#include <algorithm>
#include <vector>

#include "mapdata/map_data.h"
#include "render/frame_state.h"
#include "render/recording_canvas.h"
#include "render/style_set.h"
#include "view/marking_state.h"
#include "view/view_state.h"

namespace tikhomap::testing {

struct ComposeWorld {
  MapData map;
  ViewState view;
  ViewHistory history;
  FrameCache cache;
  LayerChoices layers;
  MarkingState marking;
  StyleSet styles;
  int viewMode = kViewFlat;
  WindowRandom random;
  RenderContext ctx{map,    view,     history, cache, layers, marking,
                    styles, viewMode, random,  {},    {},     250.0f};
  RecordingCanvas dc;

  ComposeWorld(const ComposeWorld&) = delete;
  ComposeWorld& operator=(const ComposeWorld&) = delete;

  explicit ComposeWorld(int mode = kViewFlat) {
    viewMode = ctx.viewMode = mode;
    ctx.dataDir = "/nonexistent/tikhomap-title-files";
    buildStyleSet(styles, mode);
    DeviceCaps caps = RecordingCanvas::defaultCaps();
    caps.width = 1000;
    caps.height = 800;
    caps.widthMm = 250;
    caps.heightMm = 200;
    dc.setDeviceCaps(caps);
    pushView(history, 0, 0, 20000, 20000);
    DistrictArea land;
    // Land 2000..18000 both ways, with a bay x 9000..11000 open to the east.
    land.points = {{2000, 2000},   {18000, 2000}, {18000, 18000}, {11000, 18000},
                   {11000, 12000}, {9000, 12000}, {9000, 18000},  {2000, 18000}};
    land.pointCount = static_cast<int16_t>(land.points.size());
    map.districtAreas.push_back(land);
    map.cityExtent = {0, 0, 20000, 20000};
  }

  // Asks for a square of side metres centred on (x, y). With this frame the
  // scale is 1:(5 * side): 4000 m gives level 0, 1000 level 1, 600 level 2,
  // 300 level 3, 150 level 4, 60 level 5.
  void ask(float x, float y, float side) {
    history.count = 1;
    pushView(history, x - side / 2, y - side / 2, x + side / 2, y + side / 2);
  }

  static MapFeature feature(int16_t code, std::vector<MapPoint> points) {
    MapFeature f;
    f.code = code;
    f.points = std::move(points);
    f.pointCount = static_cast<int16_t>(f.points.size());
    f.bounds = {1e9f, 1e9f, -1e9f, -1e9f};
    for (const MapPoint& p : f.points) {
      f.bounds.xMin = std::min(f.bounds.xMin, p.x);
      f.bounds.yMin = std::min(f.bounds.yMin, p.y);
      f.bounds.xMax = std::max(f.bounds.xMax, p.x);
      f.bounds.yMax = std::max(f.bounds.yMax, p.y);
    }
    return f;
  }

  // An axis-parallel box feature of the given size centred on (x, y).
  static MapFeature box(int16_t code, float x, float y, float half) {
    return feature(
        code,
        {{x - half, y - half}, {x + half, y - half}, {x + half, y + half}, {x - half, y + half}});
  }

  static Building building(int16_t purpose, float x, float y, float half) {
    const MapFeature f = box(0, x, y, half);
    Building b;
    b.purpose = purpose;
    b.floors = 1;
    b.x = static_cast<uint16_t>(x);
    b.y = static_cast<uint16_t>(y);
    b.outline = f.points;
    b.pointCount = f.pointCount;
    b.bounds = f.bounds;
    return b;
  }

  // Screen points of a feature in the view of the last frame.
  std::vector<ScreenPoint> screen(const std::vector<MapPoint>& points) const {
    std::vector<ScreenPoint> out(points.size());
    out.resize(static_cast<size_t>(projectPoints(view, points, out.data())));
    return out;
  }

  // The drawing calls whose points are exactly these.
  std::vector<RecordedCall> callsAt(CallKind kind, const std::vector<ScreenPoint>& points) const {
    std::vector<RecordedCall> result;
    for (const RecordedCall& c : dc.calls()) {
      if (c.kind == kind && c.points == points) result.push_back(c);
    }
    return result;
  }
};

}  // namespace tikhomap::testing
