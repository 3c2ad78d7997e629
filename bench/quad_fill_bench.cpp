// 100,000 window quads of a few pixels, as the clock-lit view draws them in a
// dense frame: one by one through the painter (QtCanvas::polygon), through
// QtCanvas::quad (the direct filler behind the canvas's checks), and through
// the filler alone.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <random>
#include <vector>

#include "raster/qt_canvas.h"
#include "raster/quad_fill.h"

namespace tikhomap {
namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kQuads = 100'000;

struct Window {
  std::array<ScreenPoint, 4> quad;
  bool lit;
};

// Window grids as a dense frame has them: walls of 3 to 12 columns and 2 to
// 9 storeys of 4 pixels, sloping up to one pixel in two, each window 2 to 3
// pixels wide and 2 high, about half of them lit; the walls lie anywhere in
// the frame and a little beyond.
const std::vector<Window>& windows() {
  static const std::vector<Window> all = [] {
    std::mt19937 rng(7);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    std::vector<Window> v;
    v.reserve(kQuads);
    while (v.size() < static_cast<size_t>(kQuads)) {
      const int ax = pick(-40, kWidth);
      const int ay = pick(0, kHeight + 40);
      const double slope = pick(-4, 4) / 8.0;
      const int columns = pick(3, 12);
      const int storeys = pick(2, 9);
      const int w = pick(2, 3);
      for (int row = 0; row < storeys && v.size() < static_cast<size_t>(kQuads); ++row) {
        for (int c = 0; c < columns && v.size() < static_cast<size_t>(kQuads); ++c) {
          const double s = c * 4 + 0.8;
          const ScreenPoint p1{ax + static_cast<int>(s),
                               ay - 4 * row + static_cast<int>(s * slope)};
          const ScreenPoint p2{ax + static_cast<int>(s + w),
                               ay - 4 * row + static_cast<int>((s + w) * slope)};
          v.push_back({{p1, p2, ScreenPoint{p2.x, p2.y - 2}, ScreenPoint{p1.x, p1.y - 2}},
                       pick(0, 1) == 0});
        }
      }
    }
    return v;
  }();
  return all;
}

const Brush kLit{BrushStyle::Solid, {255, 255, 160}};
const Brush kDark{BrushStyle::Solid, {60, 60, 80}};

void drawThroughCanvas(benchmark::State& state, bool quads) {
  QImage frame(kWidth, kHeight, QImage::Format_RGB32);
  frame.fill(Qt::white);
  const auto& all = windows();
  for (auto _ : state) {
    QPainter painter(&frame);
    QtCanvas dc(painter, 500);
    dc.setClipRect(Rect{0, 0, kWidth, kHeight - 20});
    dc.selectPen(Pen{});
    for (const Window& w : all) {
      dc.selectBrush(w.lit ? kLit : kDark);
      if (quads) {
        dc.quad(w.quad);
      } else {
        dc.polygon(w.quad);
      }
    }
    painter.end();
    benchmark::DoNotOptimize(frame.constBits());
  }
  state.SetItemsProcessed(state.iterations() * kQuads);
}

void BM_WindowQuadsPainter(benchmark::State& state) {
  drawThroughCanvas(state, false);
}
void BM_WindowQuadsCanvasQuad(benchmark::State& state) {
  drawThroughCanvas(state, true);
}

void BM_WindowQuadsFillerAlone(benchmark::State& state) {
  QImage frame(kWidth, kHeight, QImage::Format_RGB32);
  frame.fill(Qt::white);
  auto* bits = reinterpret_cast<uint32_t*>(frame.bits());
  const ptrdiff_t stride = frame.bytesPerLine() / 4;
  const PixelBox clip{0, 0, kWidth - 1, kHeight - 21};
  const auto& all = windows();
  for (auto _ : state) {
    for (const Window& w : all) {
      fillQuad(bits, stride, clip, w.quad, w.lit ? 0xffffffa0u : 0xff3c3c50u, QuadFillOp::Copy);
    }
    benchmark::DoNotOptimize(frame.constBits());
  }
  state.SetItemsProcessed(state.iterations() * kQuads);
}

BENCHMARK(BM_WindowQuadsPainter)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WindowQuadsCanvasQuad)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WindowQuadsFillerAlone)->Unit(benchmark::kMillisecond);

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
