// The drawing logic of one map frame without any painting: composeFrame on a
// canvas that discards every call, over a synthetic city of 20 000 buildings,
// 4 000 street axes and 2 000 areas, at three detail levels. What remains is
// the cost of the start indexes, the visibility tests and the conversions.
#include <benchmark/benchmark.h>

#include "mapdata/map_data.h"
#include "render/compose_frame.h"
#include "render/frame_state.h"
#include "render/style_set.h"
#include "view/marking_state.h"
#include "view/view_state.h"

namespace tikhomap {
namespace {

class NullCanvas : public Canvas {
 public:
  void selectPen(const Pen&) override {}
  void selectBrush(const Brush&) override {}
  void selectFont(const Font&) override {}
  void setTextColor(Rgb) override {}
  void setBackgroundTransparent(bool) override {}
  void setTextCharacterExtra(int) override {}
  void setRasterOp(RasterOp) override {}
  void setClipRect(const Rect&) override {}
  void clearClip() override {}
  void polygon(std::span<const ScreenPoint> p) override { benchmark::DoNotOptimize(p.data()); }
  void polyline(std::span<const ScreenPoint> p) override { benchmark::DoNotOptimize(p.data()); }
  void moveTo(int32_t, int32_t) override {}
  void lineTo(int32_t, int32_t) override {}
  void ellipse(const Rect&) override {}
  void rectangle(const Rect&) override {}
  void fillRect(const Rect&, const Brush&) override {}
  void drawEdge(const Rect&, EdgeKind) override {}
  void textOut(int32_t, int32_t, std::string_view) override {}
  DeviceCaps deviceCaps() const override {
    DeviceCaps caps;
    caps.width = 1920;
    caps.height = 1080;
    caps.widthMm = 508;
    return caps;
  }
};

MapFeature box(int16_t code, float x, float y, float half) {
  MapFeature f;
  f.code = code;
  f.points = {
      {x - half, y - half}, {x + half, y - half}, {x + half, y + half}, {x - half, y + half}};
  f.pointCount = 4;
  f.bounds = {x - half, y - half, x + half, y + half};
  return f;
}

// Tables sorted north to south, as the files hold them.
MapData syntheticCity() {
  MapData map;
  DistrictArea land;
  land.points = {{1000, 1000}, {19000, 1000}, {19000, 19000}, {1000, 19000}};
  land.pointCount = 4;
  map.districtAreas.push_back(land);
  for (int i = 0; i < 20000; ++i) {
    const float x = 19000.0f - static_cast<float>(i) * 0.9f;
    const MapFeature f = box(0, x, 1000.0f + static_cast<float>((i * 37) % 18000), 8);
    Building b;
    b.purpose = static_cast<int16_t>(i % 3 == 0 ? 411 : 444);
    b.floors = 5;
    b.outline = f.points;
    b.pointCount = 4;
    b.bounds = f.bounds;
    map.buildings.push_back(b);
  }
  for (int i = 0; i < 4000; ++i) {
    const float x = 19000.0f - static_cast<float>(i) * 4.5f;
    map.streetLines.push_back(box(static_cast<int16_t>(i % 500), x, 10000, 400));
  }
  for (int i = 0; i < 2000; ++i) {
    const float x = 19000.0f - static_cast<float>(i) * 9.0f;
    map.areaFeatures.push_back(
        box(i % 2 ? 718 : 1010, x, 3000.0f + static_cast<float>(i % 50) * 300, 60));
  }
  return map;
}

void composeAt(benchmark::State& state, float side) {
  MapData map = syntheticCity();
  ViewState view;
  ViewHistory history;
  pushView(history, 0, 0, 20000, 20000);
  pushView(history, 9000, 9000 - side / 2, 9000 + side, 9000 + side / 2);
  FrameCache cache;
  LayerChoices layers;
  layers.buildingChoice = 1;
  MarkingState marking;
  StyleSet styles;
  int viewMode = kViewGraphic;
  buildStyleSet(styles, viewMode);
  WindowRandom random;
  RenderContext ctx{map,    view,     history, cache, layers, marking,
                    styles, viewMode, random,  {},    {},     508};
  NullCanvas canvas;
  for (auto _ : state) composeFrame(ctx, canvas);
}

void BM_ComposeCityScale(benchmark::State& state) {
  composeAt(state, 12000);
}
void BM_ComposeDistrict(benchmark::State& state) {
  composeAt(state, 2500);
}
void BM_ComposeStreet(benchmark::State& state) {
  composeAt(state, 500);
}

BENCHMARK(BM_ComposeCityScale)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ComposeDistrict)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ComposeStreet)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tikhomap

BENCHMARK_MAIN();
