// The first map frame of a fresh process, as a person meets it: the program
// starts, reads the generated city, shows its title sheet (1920 x 1080,
// view "Окна по часам" at 14:00), and the person opens the whole city and
// then the dense quarter south-west of the centre (detail level 2). "warm"
// composes the frames ahead while the title sheet is shown, as the window
// does; "cold" does not. Each iteration is a child process of its own (this
// program run with --child), so that no thread, font, learnt shape or page
// of memory of an earlier frame is there. Counters: city_ms the first map
// frame, quarter_ms the next one and quarter_again_ms the same frame once
// more, title_ms the title sheet, warm_ms the time spent ahead on the title
// sheet; medians over the children.
// TIKHOMAP_BENCH_CITY names a map folder to use instead of the generated
// city.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>

#include <QGuiApplication>
#include <QImage>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_city.h"
#include "raster/banded_frame.h"
#include "raster/qt_canvas.h"
#include "render/style_set.h"
#include "session/map_session.h"

extern char** environ;

namespace tikhomap {
namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

double msSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

// The child: prints "title warm city quarter again" in milliseconds.
int runChild(const char* folder, int threads, bool warm) {
  MapSession s{std::filesystem::path(folder)};
  s.setViewMode(kViewClockWindows);
  s.clock = fixedClock(14, 0);
  s.frameThreads = threads;
  if (!loadSessionBaseMap(s, LoadProgress{}).ok) return 1;
  QImage frame(kWidth, kHeight, QImage::Format_RGB32);
  const float widthMm = widthMmAt96Dpi(kWidth);
  auto start = std::chrono::steady_clock::now();
  composeSessionFrame(s, frame, widthMm);
  const double title = msSince(start);
  loadSessionBuildings(s, LoadProgress{});
  double warmMs = 0;
  if (warm) {
    QImage scratch(frame.size(), frame.format());
    start = std::chrono::steady_clock::now();
    for (int step = 0; step < kWarmFrameSteps; ++step) {
      const int level = warmSessionFrame(s, step, scratch, widthMm);
      if (level < 0 || level >= kFinestDetailLevel) break;
    }
    warmMs = msSince(start);
  }
  const MapBounds city = s.history.entry(0);
  pushView(s.history, city.xMin, city.yMin, city.xMax, city.yMax);
  start = std::chrono::steady_clock::now();
  composeSessionFrame(s, frame, widthMm);
  const double cityMs = msSince(start);
  const float cx = (city.xMin + city.xMax) / 2;
  const float cy = (city.yMin + city.yMax) / 2;
  pushView(s.history, cx - 1000, cy - 1000, cx, cy + 1000);
  start = std::chrono::steady_clock::now();
  composeSessionFrame(s, frame, widthMm);
  const double quarterMs = msSince(start);
  // The same frame again: what it costs once everything is warm.
  start = std::chrono::steady_clock::now();
  composeSessionFrame(s, frame, widthMm);
  const double againMs = msSince(start);
  std::printf("%.3f %.3f %.3f %.3f %.3f\n", title, warmMs, cityMs, quarterMs, againMs);
  return 0;
}

double median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

void firstFrame(benchmark::State& state, int threads, bool warm) {
  const std::string folder = benchCityFolder("tikhomap_first_frame_bench_city").string();
  const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  std::vector<double> title, warmMs, city, quarter, again;
  for (auto _ : state) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) {
      state.SkipWithError("no pipe");
      return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    const std::string threadArg = std::to_string(threads);
    std::vector<std::string> args{self, "--child", folder, threadArg, warm ? "warm" : "cold"};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, self.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    std::string out;
    char buffer[256];
    for (ssize_t n = 0; (n = read(pipeFds[0], buffer, sizeof buffer)) > 0;) {
      out.append(buffer, static_cast<size_t>(n));
    }
    close(pipeFds[0]);
    int status = 0;
    if (spawned != 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
      state.SkipWithError("the child did not draw its frames");
      return;
    }
    double t = 0, w = 0, c = 0, q = 0, a = 0;
    if (std::sscanf(out.c_str(), "%lf %lf %lf %lf %lf", &t, &w, &c, &q, &a) != 5) {
      state.SkipWithError("the child's output is not five times");
      return;
    }
    title.push_back(t);
    warmMs.push_back(w);
    city.push_back(c);
    quarter.push_back(q);
    again.push_back(a);
    state.SetIterationTime(c / 1000);
  }
  state.counters["title_ms"] = median(title);
  state.counters["warm_ms"] = median(warmMs);
  state.counters["city_ms"] = median(city);
  state.counters["quarter_ms"] = median(quarter);
  state.counters["quarter_again_ms"] = median(again);
}

void registerAll() {
  for (const int threads : {1, 2}) {
    for (const bool warm : {false, true}) {
      const std::string name =
          "FirstFrame/threads:" + std::to_string(threads) + "/" + (warm ? "warm" : "cold");
      benchmark::RegisterBenchmark(
          name.c_str(),
          [threads, warm](benchmark::State& state) { firstFrame(state, threads, warm); })
          ->UseManualTime()
          ->Iterations(5)
          ->Unit(benchmark::kMillisecond);
    }
  }
}

}  // namespace
}  // namespace tikhomap

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  if (argc == 5 && std::strcmp(argv[1], "--child") == 0) {
    QGuiApplication app(argc, argv);
    return tikhomap::runChild(argv[2], std::atoi(argv[3]), std::strcmp(argv[4], "warm") == 0);
  }
  QGuiApplication app(argc, argv);
  tikhomap::registerAll();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
