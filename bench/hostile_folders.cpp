// Memory and time of loading hostile map folders (the cases of the loader's
// test matrix, with more cuts): each case is loaded in a child process of
// its own, killed after 2 s of processor time, and its peak resident memory
// and processor time are read with getrusage. Counters: the number of cases,
// those that failed, the worst peak (MiB) and the slowest case (processor
// ms); the label names the case of the worst peak. The cases above 100 MiB
// or 500 ms are listed on stderr.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>

#include "tests/mapdata/hostile_folders.h"

namespace {

using namespace tikhomap;
using namespace tikhomap::hostile;

void hostileFolders(benchmark::State& state) {
  const fs::path root =
      fs::temp_directory_path() / ("tikhomap-bench-hostile-" + std::to_string(::getpid()));
  fs::remove_all(root);
  const GeneratedCity city = generateCity({1, CitySize::Tiny});
  const GeneratedCity other = generateCity({2, CitySize::Tiny});
  writeMapFolder(root / "city", city.map, city.regional, city.cityWater);
  writeMapFolder(root / "other", other.map, other.regional, other.cityWater);
  const std::vector<Case> cases = makeCases(root / "city", city.map, 15, 40, 10);
  fs::copy(root / "city", root / "work");
  long worstKib = 0;
  double slowestMs = 0;
  std::string worst;
  int failed = 0;
  for (auto _ : state) {
    for (const Case& c : cases) {
      applyCase(c, root / "work", root / "other");
      const auto start = std::chrono::steady_clock::now();
      const ChildRun run = runInChild(2, [&root](std::string& text) {
        text = loadFolder(root / "work").text;
        return 0;
      });
      const double wallMs =
          std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
              .count();
      const double ms = static_cast<double>(run.cpuMs);
      restoreCase(c, root / "work", root / "city");
      if (!run.finished || run.status != 0) {
        ++failed;
        std::fprintf(stderr, "%s: ended by signal %d\n", c.label.c_str(), run.status);
      }
      if (run.peakKib > 100 * 1024 || ms > 500) {
        std::fprintf(stderr, "%s: %ld KiB, %.0f ms processor, %.0f ms wall\n", c.label.c_str(),
                     run.peakKib, ms, wallMs);
      }
      if (run.peakKib > worstKib) {
        worstKib = run.peakKib;
        worst = c.label;
      }
      slowestMs = std::max(slowestMs, ms);
    }
  }
  fs::remove_all(root);
  state.counters["cases"] = static_cast<double>(cases.size());
  state.counters["failed"] = failed;
  state.counters["worst_peak_MiB"] = static_cast<double>(worstKib) / 1024.0;
  state.counters["slowest_ms"] = slowestMs;
  state.SetLabel("worst: " + worst);
}

BENCHMARK(hostileFolders)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
