// Conversion of a large vertex array to pixels, as done for every record of
// every frame.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "view/view_state.h"

namespace tikhomap {
namespace {

ViewState cityView() {
  ViewState v;
  measureViewport(v, 1920, 1080, 510.0f);
  ViewHistory h;
  pushView(h, 0, 0, 20000, 20000);
  fitView(v, h, 8000, 8000, 12000, 12000);
  return v;
}

// A winding street-like polyline of n vertices, many of them a metre apart so
// that duplicates are dropped at coarse scales.
std::vector<MapPoint> winding(int n) {
  std::vector<MapPoint> pts(n);
  for (int i = 0; i < n; ++i) {
    const float t = static_cast<float>(i);
    pts[i] = {9000.0f + t * 0.3f + 50.0f * std::sin(t * 0.01f),
              9000.0f + t * 0.2f + 50.0f * std::cos(t * 0.013f)};
  }
  return pts;
}

void BM_ProjectPoints(benchmark::State& state) {
  const ViewState view = cityView();
  const std::vector<MapPoint> pts = winding(static_cast<int>(state.range(0)));
  std::vector<ScreenPoint> out(pts.size());
  for (auto _ : state) {
    benchmark::DoNotOptimize(projectPoints(view, pts, out.data()));
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ProjectPoints)->Arg(10000);

void BM_ProjectPoints16(benchmark::State& state) {
  const ViewState view = cityView();
  std::vector<MetrePoint> pts;
  for (const MapPoint& p : winding(static_cast<int>(state.range(0)))) {
    pts.push_back({static_cast<uint16_t>(p.x), static_cast<uint16_t>(p.y)});
  }
  std::vector<ScreenPoint> out(pts.size());
  for (auto _ : state) {
    benchmark::DoNotOptimize(projectMetrePoints(view, pts, out.data()));
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ProjectPoints16)->Arg(10000);

}  // namespace
}  // namespace tikhomap

BENCHMARK_MAIN();
