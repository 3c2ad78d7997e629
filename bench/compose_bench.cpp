// Composition of a 1920 x 1080 frame of the default sample city into a QImage
// through QtCanvas, as the window does: the whole-city map view, a district
// view and a street view at detail level 4; and the plain repaint, one copy
// of the frame. TIKHOMAP_BENCH_CITY names a map folder to use instead of the
// generated city.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "bench/bench_city.h"
#include "raster/qt_canvas.h"
#include "session/map_session.h"
#include "view/visibility.h"

namespace tikhomap {
namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

std::filesystem::path cityFolder() {
  return benchCityFolder("tikhomap_bench_city");
}

std::unique_ptr<MapSession> loadedSession() {
  auto session = std::make_unique<MapSession>(cityFolder());
  session->clock = fixedClock(14, 0);
  loadSessionBaseMap(*session, LoadProgress{});
  loadSessionBuildings(*session, LoadProgress{});
  return session;
}

enum class Scene { WholeCity, District, Quarter, Street };

// Pushes the scene's rectangle after the whole-city entry.
bool askScene(MapSession& s, Scene scene) {
  if (!s.baseMapLoaded()) return false;
  s.history.count = 1;
  const MapBounds city = s.history.entry(0);
  switch (scene) {
    case Scene::WholeCity:
      return pushView(s.history, city.xMin, city.yMin, city.xMax, city.yMax) != 0;
    case Scene::District: {
      const auto& areas = s.map.districtAreas;
      if (areas.size() < 2) return false;
      float x0 = 1e9f, y0 = 1e9f, x1 = -1e9f, y1 = -1e9f;
      for (const MetrePoint& p : areas[1].points) {
        x0 = std::min<float>(x0, p.x);
        y0 = std::min<float>(y0, p.y);
        x1 = std::max<float>(x1, p.x);
        y1 = std::max<float>(y1, p.y);
      }
      return pushView(s.history, x0, y0, x1, y1) != 0;
    }
    case Scene::Quarter: {
      // 1 km by 2 km of dense blocks south-west of the centre: 1:3940,
      // detail level 2.
      const float cx = (city.xMin + city.xMax) / 2;
      const float cy = (city.yMin + city.yMax) / 2;
      return pushView(s.history, cx - 1000, cy - 1000, cx, cy + 1000) != 0;
    }
    case Scene::Street: {
      // 250 m around the street label anchor nearest the middle of the city.
      const MapBounds v =
          streetSceneAround(s.map, (city.xMin + city.xMax) / 2, (city.yMin + city.yMax) / 2);
      return pushView(s.history, v.xMin, v.yMin, v.xMax, v.yMax) != 0;
    }
  }
  return false;
}

// ratio: device pixels per logical pixel of the frame (2 on a high-density
// screen: the same 1920 x 1080 logical frame has four times the pixels).
void composeScene(benchmark::State& state, Scene scene, int mode, int ratio = 1, int hour = 14) {
  auto session = loadedSession();
  session->clock = fixedClock(hour, 0);
  if (!askScene(*session, scene) || !session->setViewMode(mode)) {
    state.SkipWithError("the city could not be loaded or the view was refused");
    return;
  }
  QImage frame(kWidth * ratio, kHeight * ratio, QImage::Format_RGB32);
  frame.setDevicePixelRatio(ratio);
  const float widthMm = widthMmAt96Dpi(kWidth);
  composeSessionFrame(*session, frame, widthMm);  // warms the start indexes
  for (auto _ : state) {
    composeSessionFrame(*session, frame, widthMm);
    benchmark::DoNotOptimize(frame.constBits());
  }
  state.counters["detailLevel"] = session->view.detailLevel;
  int inView = 0;
  for (const Building& b : session->map.buildings) inView += boundsInView(session->view, b.bounds);
  state.counters["buildingsInView"] = inView;
}

void BM_ComposeWholeCity(benchmark::State& state) {
  composeScene(state, Scene::WholeCity, static_cast<int>(state.range(0)));
}
void BM_ComposeDistrict(benchmark::State& state) {
  composeScene(state, Scene::District, static_cast<int>(state.range(0)));
}
void BM_ComposeQuarterLevel2(benchmark::State& state) {
  composeScene(state, Scene::Quarter, static_cast<int>(state.range(0)));
}
// 07:00 in the clock-lit view: most windows lit, the densest window grid.
void BM_ComposeQuarterLevel2At7(benchmark::State& state) {
  composeScene(state, Scene::Quarter, static_cast<int>(state.range(0)), 1, 7);
}
void BM_ComposeStreetLevel4(benchmark::State& state) {
  composeScene(state, Scene::Street, static_cast<int>(state.range(0)));
}

void BM_ComposeDistrictRatio2(benchmark::State& state) {
  composeScene(state, Scene::District, static_cast<int>(state.range(0)), 2);
}
void BM_ComposeStreetLevel4Ratio2(benchmark::State& state) {
  composeScene(state, Scene::Street, static_cast<int>(state.range(0)), 2);
}

// The view modes: flat, night and the clock-lit volumetric view.
BENCHMARK(BM_ComposeWholeCity)->Arg(32775)->Arg(32781)->Arg(32786)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ComposeDistrict)->Arg(32775)->Arg(32781)->Arg(32786)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ComposeQuarterLevel2)
    ->Arg(32775)
    ->Arg(32781)
    ->Arg(32786)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ComposeQuarterLevel2At7)->Arg(32786)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ComposeStreetLevel4)
    ->Arg(32775)
    ->Arg(32781)
    ->Arg(32786)
    ->Unit(benchmark::kMillisecond);

BENCHMARK(BM_ComposeDistrictRatio2)
    ->Arg(32775)
    ->Arg(32781)
    ->Arg(32786)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ComposeStreetLevel4Ratio2)
    ->Arg(32775)
    ->Arg(32781)
    ->Arg(32786)
    ->Unit(benchmark::kMillisecond);

// A paint without composition: one copy of the frame.
void BM_PlainRepaint(benchmark::State& state) {
  QImage frame(kWidth, kHeight, QImage::Format_RGB32);
  frame.fill(qRgb(208, 217, 186));
  QImage window(kWidth, kHeight, QImage::Format_RGB32);
  for (auto _ : state) {
    QPainter painter(&window);
    painter.drawImage(0, 0, frame);
    painter.end();
    benchmark::DoNotOptimize(window.constBits());
  }
}
BENCHMARK(BM_PlainRepaint)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tikhomap

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
