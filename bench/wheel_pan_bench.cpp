// The map under the hand, in the main window on the default sample city at
// 1920 x 1080, in the dense quarter south-west of the centre (clock-lit
// volumetric view): one step of a pan to the moved frame on the window (no
// composition), one wheel notch to the composed frame, and one zoom key to
// the composed frame for comparison. Run on the offscreen platform; under
// X11 every paint also copies the frame to the server.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <memory>

#include "app/main_window.h"
#include "app/map_widget.h"
#include "app/mouse_controller.h"
#include "app/program.h"
#include "bench/bench_city.h"

namespace tikhomap {
namespace {

struct Window {
  std::unique_ptr<MainWindow> main;
  MouseController* mouse = nullptr;
};

Window& quarterWindow() {
  static Window w = [] {
    Window made;
    made.main = std::make_unique<MainWindow>(benchCityFolder("tikhomap_bench_city"));
    made.main->setFatalHandler([](const QString&) {});
    made.mouse = &installProgram(*made.main).mouse;
    made.main->setBeep([] {});
    made.main->session().clock = fixedClock(14, 0);
    made.main->resize(1920, 1080 + 30);
    made.main->show();
    MapSession& s = made.main->session();
    while (s.map.buildings.empty() || !s.baseMapLoaded()) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    made.main->mapWidget().resize(1920, 1080);
    const MapBounds city = s.history.entry(0);
    const float cx = (city.xMin + city.xMax) / 2;
    const float cy = (city.yMin + city.yMax) / 2;
    pushView(s.history, city.xMin, city.yMin, city.xMax, city.yMax);
    pushView(s.history, cx - 1000, cy - 1000, cx, cy + 1000);
    made.main->requestRecompose();
    made.main->mapWidget().repaint();
    return made;
  }();
  return w;
}

void send(QWidget& to, QEvent& event) {
  QCoreApplication::sendEvent(&to, &event);
}

void BM_PanStepToMovedFrame(benchmark::State& state) {
  Window& w = quarterWindow();
  MapWidget& map = w.main->mapWidget();
  const QPoint start(960, 540);
  QMouseEvent press(QEvent::MouseButtonPress, start, map.mapToGlobal(start), Qt::MiddleButton,
                    Qt::MiddleButton, Qt::NoModifier);
  send(map, press);
  const int composed = w.main->composeCount();
  int i = 0;
  for (auto _ : state) {
    const QPoint at = start + QPoint(40 + (i % 50) * 3, 30 - (i % 30) * 2);
    ++i;
    QMouseEvent move(QEvent::MouseMove, at, map.mapToGlobal(at), Qt::NoButton, Qt::MiddleButton,
                     Qt::NoModifier);
    send(map, move);
    map.repaint();
  }
  if (w.main->composeCount() != composed) state.SkipWithError("a pan step composed a frame");
  QMouseEvent release(QEvent::MouseButtonRelease, start, map.mapToGlobal(start), Qt::MiddleButton,
                      Qt::NoButton, Qt::NoModifier);
  send(map, release);
  map.repaint();
}
BENCHMARK(BM_PanStepToMovedFrame)->Unit(benchmark::kMillisecond);

void BM_WheelNotchToComposedFrame(benchmark::State& state) {
  Window& w = quarterWindow();
  MapWidget& map = w.main->mapWidget();
  const QPoint at(700, 600);
  qint64 now = 0;
  w.mouse->mapWheel().setClock([&now] { return now; });
  int i = 0;
  for (auto _ : state) {
    now += 1000;
    QWheelEvent wheel(at, map.mapToGlobal(at), QPoint(), QPoint(0, i++ % 2 == 0 ? 120 : -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    send(map, wheel);
    map.repaint();
  }
}
BENCHMARK(BM_WheelNotchToComposedFrame)->Unit(benchmark::kMillisecond);

void BM_ZoomKeyToComposedFrame(benchmark::State& state) {
  Window& w = quarterWindow();
  MapWidget& map = w.main->mapWidget();
  int i = 0;
  for (auto _ : state) {
    const bool in = i++ % 2 == 0;
    QKeyEvent key(QEvent::KeyPress, in ? Qt::Key_Plus : Qt::Key_Minus, Qt::NoModifier,
                  in ? QStringLiteral("+") : QStringLiteral("-"));
    send(map, key);
    map.repaint();
  }
}
BENCHMARK(BM_ZoomKeyToComposedFrame)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tikhomap

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  // The window goes before the application.
  tikhomap::quarterWindow().main.reset();
  benchmark::Shutdown();
  return 0;
}
