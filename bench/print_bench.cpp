// A printed page of the generated city: the dense quarter south-west of the
// centre (1 km north-south, detail level 2 on A4) written as a PDF at
// 600 dpi through QtCanvas, as the print command writes it to a file, in
// the clock-lit volumetric view, the flat plan and the night view, in colour
// and in black and white. The counter pdfMB is the size of the file.
// TIKHOMAP_BENCH_CITY names a map folder to use instead of the generated city.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "bench/bench_city.h"
#include "raster/qt_canvas.h"
#include "session/map_session.h"
#include "session/session_page.h"

namespace tikhomap {
namespace {

std::filesystem::path cityFolder() {
  return benchCityFolder("tikhomap_print_bench_city");
}

// The session with the quarter on the screen: the frame is composed first,
// so the street names of the page are that frame's.
std::unique_ptr<MapSession> quarterSession(int mode) {
  auto s = std::make_unique<MapSession>(cityFolder());
  s->clock = fixedClock(14, 0);
  if (!loadSessionBaseMap(*s, LoadProgress{}).ok) return nullptr;
  loadSessionBuildings(*s, LoadProgress{});
  if (!s->setViewMode(mode)) return nullptr;
  const MapBounds city = s->history.entry(0);
  const float cx = (city.xMin + city.xMax) / 2;
  const float cy = (city.yMin + city.yMax) / 2;
  if (pushView(s->history, cx - 1000, cy - 1000, cx, cy + 1000) == 0) return nullptr;
  QImage frame(1920, 1080, QImage::Format_RGB32);
  composeSessionFrame(*s, frame, widthMmAt96Dpi(1920));
  return s;
}

void printQuarter(benchmark::State& state, bool colour) {
  const auto session = quarterSession(static_cast<int>(state.range(0)));
  if (!session) {
    state.SkipWithError("the city could not be loaded or the view was refused");
    return;
  }
  const auto file = std::filesystem::temp_directory_path() / "tikhomap_print_bench.pdf";
  const WindowRandom random = session->random;
  for (auto _ : state) {
    const PdfPage pdf = pdfPageOnPaper(QString::fromStdString(file.string()), 600, false, false);
    QString error;
    if (!writePdfPage(pdf, *session, colour, random, pdfNotWrittenText(pdf.fileName), error)) {
      state.SkipWithError(error.toStdString().c_str());
      return;
    }
  }
  state.counters["pdfMB"] = static_cast<double>(std::filesystem::file_size(file)) / 1e6;
  std::filesystem::remove(file);
}

void BM_PrintQuarterA4At600Dpi(benchmark::State& state) {
  printQuarter(state, true);
}
void BM_PrintQuarterA4At600DpiBlackWhite(benchmark::State& state) {
  printQuarter(state, false);
}

BENCHMARK(BM_PrintQuarterA4At600Dpi)
    ->Arg(32786)
    ->Arg(32775)
    ->Arg(32781)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PrintQuarterA4At600DpiBlackWhite)->Arg(32786)->Unit(benchmark::kMillisecond);

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
