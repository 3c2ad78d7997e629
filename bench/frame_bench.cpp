// Frames of the default generated city in every view mode, composed as the
// window composes them: recorded into the display list and rasterised in
// bands by 1, 2 and all threads ("direct": one painter without the list, as
// a printer is drawn). Scenes: the whole city, a district, the dense quarter
// at detail level 2 and a street at level 4, at 1920 x 1080 and at
// 3840 x 2160 of the same physical width (the detail level stays), at 07:00,
// 14:00 and 19:30 in the volumetric modes, whose shadows and windows follow
// the clock. The survey composes 200 views spread over the city at detail
// levels 0 to 4, weighted towards dense blocks, and reports the median, the
// 95th percentile and the worst frame.
//
// Each benchmark runs a few frames only (the whole matrix takes minutes);
// its time is the mean wall time and median_ms the median of its frames;
// thread_cpu_ms is the median processor time of the composing thread
// (recording and band 0) and all_cpu_ms of all threads together.
// TIKHOMAP_BENCH_CITY names a map folder to use instead of the generated
// city.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_city.h"
#include "raster/banded_frame.h"
#include "raster/qt_canvas.h"
#include "render/style_set.h"
#include "session/map_session.h"

namespace tikhomap {
namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kFramesPerBenchmark = 5;

std::filesystem::path cityFolder() {
  return benchCityFolder("tikhomap_frame_bench_city");
}

// One loaded city for every benchmark.
MapSession& session() {
  static MapSession* s = [] {
    auto* loaded = new MapSession(cityFolder());
    loadSessionBaseMap(*loaded, LoadProgress{});
    loadSessionBuildings(*loaded, LoadProgress{});
    return loaded;
  }();
  return *s;
}

enum class Scene { WholeCity, District, Quarter, Street };

const char* sceneName(Scene scene) {
  switch (scene) {
    case Scene::WholeCity:
      return "city";
    case Scene::District:
      return "district";
    case Scene::Quarter:
      return "quarter_l2";
    case Scene::Street:
      return "street_l4";
  }
  return "";
}

// Pushes the scene's rectangle after the whole-city entry.
bool askScene(MapSession& s, Scene scene) {
  if (!s.baseMapLoaded()) return false;
  s.history.count = 1;
  const MapBounds city = s.history.entry(0);
  const float cx = (city.xMin + city.xMax) / 2;
  const float cy = (city.yMin + city.yMax) / 2;
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
    case Scene::Quarter:
      // 1 km by 2 km of dense blocks south-west of the centre: 1:3940.
      return pushView(s.history, cx - 1000, cy - 1000, cx, cy + 1000) != 0;
    case Scene::Street: {
      // 250 m around the street label anchor nearest the middle of the city.
      const MapBounds v = streetSceneAround(s.map, cx, cy);
      return pushView(s.history, v.xMin, v.yMin, v.xMax, v.yMax) != 0;
    }
  }
  return false;
}

struct FrameSetup {
  int mode = kViewClockWindows;
  int hour = 14;
  int minute = 0;
  int scale = 1;    // 2: 3840 x 2160 of the same physical width
  int threads = 0;  // 0: direct composition without the list
};

double cpuSeconds(clockid_t clock) {
  timespec t{};
  clock_gettime(clock, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Wall time, and the processor time of the calling thread and of all
// threads: on a shared machine the wall time counts other programs' turns,
// while the calling thread's time (recording and band 0) is what a frame
// takes on idle cores when the bands are balanced.
struct FrameTimes {
  double wall = 0;
  double thread = 0;
  double process = 0;
};

FrameTimes composeOnce(MapSession& s, QImage& frame, int threads, float widthMm) {
  const double thread0 = cpuSeconds(CLOCK_THREAD_CPUTIME_ID);
  const double process0 = cpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
  const auto start = std::chrono::steady_clock::now();
  if (threads == 0) {
    composeSessionFrameDirect(s, frame, widthMm);
  } else {
    composeSessionFrame(s, frame, widthMm);
  }
  const auto end = std::chrono::steady_clock::now();
  return {std::chrono::duration<double>(end - start).count(),
          cpuSeconds(CLOCK_THREAD_CPUTIME_ID) - thread0,
          cpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - process0};
}

double percentile(std::vector<double> values, double p) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const double at = p * static_cast<double>(values.size() - 1);
  const size_t lo = static_cast<size_t>(std::floor(at));
  const size_t hi = std::min(values.size() - 1, lo + 1);
  return values[lo] + (values[hi] - values[lo]) * (at - static_cast<double>(lo));
}

void prepare(MapSession& s, const FrameSetup& f) {
  s.setViewMode(f.mode);
  s.clock = fixedClock(f.hour, f.minute);
  s.frameThreads = f.threads;
}

void composeScene(benchmark::State& state, Scene scene, FrameSetup f) {
  MapSession& s = session();
  prepare(s, f);
  if (!askScene(s, scene)) {
    state.SkipWithError("the city could not be loaded or the view was refused");
    return;
  }
  QImage frame(kWidth * f.scale, kHeight * f.scale, QImage::Format_RGB32);
  // The same physical width: the detail level of the scene stays.
  const float widthMm = widthMmAt96Dpi(kWidth);
  composeOnce(s, frame, f.threads, widthMm);  // warms the start indexes and the threads
  std::vector<double> times, threadTimes, processTimes;
  for (auto _ : state) {
    const FrameTimes t = composeOnce(s, frame, f.threads, widthMm);
    state.SetIterationTime(t.wall);
    times.push_back(t.wall * 1000);
    threadTimes.push_back(t.thread * 1000);
    processTimes.push_back(t.process * 1000);
    benchmark::DoNotOptimize(frame.constBits());
  }
  state.counters["median_ms"] = percentile(times, 0.5);
  state.counters["thread_cpu_ms"] = percentile(threadTimes, 0.5);
  state.counters["all_cpu_ms"] = percentile(processTimes, 0.5);
  state.counters["level"] = s.view.detailLevel;
  // Every run has the same counters (the CSV output needs them); the direct
  // composition records no commands.
  state.counters["commands"] =
      f.threads > 0 && s.composer ? static_cast<double>(s.composer->list().commands().size()) : 0.0;
}

// 200 views: level 0 around random points of the city, levels 1 to 4 around
// random buildings (so dense blocks get the most views).
std::vector<MapBounds> surveyViews(const MapSession& s) {
  std::vector<MapBounds> views;
  if (!s.baseMapLoaded() || s.map.buildings.empty()) return views;
  const MapBounds city = s.history.entry(0);
  uint32_t seed = 12345;
  auto next = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return static_cast<double>(seed >> 8) / static_cast<double>(1u << 24);
  };
  // Millimetres of screen per metre of ground, per level.
  const double lo[5] = {0.04, 0.11, 0.26, 0.52, 1.05};
  const double hi[5] = {0.09, 0.24, 0.49, 0.98, 2.1};
  const int count[5] = {16, 32, 60, 46, 46};
  const double widthMm = widthMmAt96Dpi(kWidth);
  const double heightMm = widthMm * kHeight / kWidth;
  for (int level = 0; level < 5; ++level) {
    for (int i = 0; i < count[level]; ++i) {
      const double mm = lo[level] + (hi[level] - lo[level]) * next();
      float x = 0;
      float y = 0;
      if (level == 0) {
        x = static_cast<float>(city.xMin + (city.xMax - city.xMin) * next());
        y = static_cast<float>(city.yMin + (city.yMax - city.yMin) * next());
      } else {
        const auto& b = s.map.buildings[static_cast<size_t>(
            next() * static_cast<double>(s.map.buildings.size() - 1))];
        x = (b.bounds.xMin + b.bounds.xMax) / 2;
        y = (b.bounds.yMin + b.bounds.yMax) / 2;
      }
      const float halfX = static_cast<float>(heightMm / mm / 2);
      const float halfY = static_cast<float>(widthMm / mm / 2);
      views.push_back({x - halfX, y - halfY, x + halfX, y + halfY});
    }
  }
  return views;
}

void survey(benchmark::State& state, FrameSetup f) {
  MapSession& s = session();
  prepare(s, f);
  const std::vector<MapBounds> views = surveyViews(s);
  if (views.empty()) {
    state.SkipWithError("the city could not be loaded");
    return;
  }
  QImage frame(kWidth, kHeight, QImage::Format_RGB32);
  const float widthMm = widthMmAt96Dpi(kWidth);
  std::vector<double> times, threadTimes;
  // The first frame of a session starts the band threads and their caches;
  // it is reported on its own.
  double firstFrame = 0;
  s.history.count = 1;
  if (pushView(s.history, views[0].xMin, views[0].yMin, views[0].xMax, views[0].yMax) != 0) {
    firstFrame = composeOnce(s, frame, f.threads, widthMm).wall * 1000;
  }
  for (auto _ : state) {
    times.clear();
    threadTimes.clear();
    double total = 0;
    for (const MapBounds& v : views) {
      s.history.count = 1;
      if (pushView(s.history, v.xMin, v.yMin, v.xMax, v.yMax) == 0) continue;
      const FrameTimes t = composeOnce(s, frame, f.threads, widthMm);
      total += t.wall;
      times.push_back(t.wall * 1000);
      threadTimes.push_back(t.thread * 1000);
    }
    state.SetIterationTime(total);
  }
  state.counters["views"] = static_cast<double>(times.size());
  state.counters["first_frame_ms"] = firstFrame;
  state.counters["median_ms"] = percentile(times, 0.5);
  state.counters["p95_ms"] = percentile(times, 0.95);
  state.counters["worst_ms"] = times.empty() ? 0 : *std::max_element(times.begin(), times.end());
  state.counters["thread_median_ms"] = percentile(threadTimes, 0.5);
  state.counters["thread_p95_ms"] = percentile(threadTimes, 0.95);
  state.counters["thread_worst_ms"] =
      threadTimes.empty() ? 0 : *std::max_element(threadTimes.begin(), threadTimes.end());
}

std::string modeName(int mode) {
  switch (mode) {
    case kViewGraphic:
      return "graphic";
    case kViewFlat:
      return "flat";
    case kViewNight:
      return "night";
    case kViewClockWindows:
      return "clock_windows";
    case kViewNewYear:
      return "new_year";
    case kViewPowerCut:
      return "power_cut";
    case kViewWideWindows:
      return "wide_windows";
    case kViewFrame:
      return "frame";
  }
  return std::to_string(mode);
}

std::vector<int> threadCounts() {
  std::vector<int> counts{0, 1, 2};
  const int all = frameThreadCount(0);
  if (all > 2) counts.push_back(all);
  return counts;
}

std::string threadName(int threads) {
  return threads == 0 ? "direct" : std::to_string(threads);
}

void registerAll() {
  const int modes[] = {kViewGraphic, kViewFlat,     kViewNight,       kViewClockWindows,
                       kViewNewYear, kViewPowerCut, kViewWideWindows, kViewFrame};
  const Scene scenes[] = {Scene::WholeCity, Scene::District, Scene::Quarter, Scene::Street};
  const std::pair<int, int> clockHours[] = {{7, 0}, {14, 0}, {19, 30}};
  for (const int mode : modes) {
    for (const Scene scene : scenes) {
      for (const int scale : {1, 2}) {
        for (const auto& [hour, minute] : clockHours) {
          if (!isVolumetricView(mode) && hour != 14) continue;
          for (const int threads : threadCounts()) {
            const FrameSetup f{mode, hour, minute, scale, threads};
            char time[8];
            std::snprintf(time, sizeof time, "%02d:%02d", hour, minute);
            const std::string name = "Frame/" + modeName(mode) + "/" + sceneName(scene) + "/" +
                                     (scale == 1 ? "1920x1080" : "3840x2160") + "/" + time +
                                     "/threads:" + threadName(threads);
            benchmark::RegisterBenchmark(
                name.c_str(),
                [scene, f](benchmark::State& state) { composeScene(state, scene, f); })
                ->UseManualTime()
                ->Iterations(kFramesPerBenchmark)
                ->Unit(benchmark::kMillisecond);
          }
        }
      }
    }
  }
  for (const int threads : threadCounts()) {
    for (const auto& [hour, minute] : {std::pair{7, 0}, std::pair{19, 30}}) {
      const FrameSetup f{kViewClockWindows, hour, minute, 1, threads};
      char time[8];
      std::snprintf(time, sizeof time, "%02d:%02d", hour, minute);
      const std::string name =
          "Survey200/clock_windows/" + std::string(time) + "/threads:" + threadName(threads);
      benchmark::RegisterBenchmark(name.c_str(), [f](benchmark::State& state) { survey(state, f); })
          ->UseManualTime()
          ->Iterations(1)
          ->Unit(benchmark::kMillisecond);
    }
  }
}

}  // namespace
}  // namespace tikhomap

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  tikhomap::registerAll();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
