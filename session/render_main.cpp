// tikhomap-render: writes one composed frame of a map folder to a PNG file,
// without a display, and the printed page of its view to a PDF file.
#include <QDate>
#include <QGuiApplication>
#include <QImage>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "session/headless_render.h"
#include "tools/insolation_report.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string error;
  const auto options = tikhomap::parseRenderOptions(args, error);
  if (!options) {
    std::fprintf(stderr, "tikhomap-render: %s\n\n%s", error.c_str(),
                 tikhomap::renderUsage().c_str());
    return 2;
  }
  if (options->help) {
    std::fputs(tikhomap::renderUsage().c_str(), stdout);
    return 0;
  }
  // Fonts need a GUI application; the offscreen platform needs no display.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);

  tikhomap::MapSession session(options->dataDir);
  if (!tikhomap::prepareHeadlessSession(session, *options, error)) {
    std::fprintf(stderr, "tikhomap-render: %s\n", error.c_str());
    return 1;
  }
  if (!options->insolationReport.empty()) {
    const int year = options->insolationYear.value_or(QDate::currentDate().year());
    const tikhomap::CityScreening screening =
        tikhomap::screenCity(session.map, year, {}, options->threads);
    const std::string csv = tikhomap::insolationCsv(session.map, screening, {});
    std::ofstream out(options->insolationReport, std::ios::binary);
    out.write(csv.data(), static_cast<std::streamsize>(csv.size()));
    out.close();
    if (!out) {
      std::fprintf(stderr, "tikhomap-render: cannot write %s\n", options->insolationReport.c_str());
      return 1;
    }
    std::printf("insolation: %zu dwellings, %d not screened, year %d\n", screening.buildings.size(),
                screening.skipped, year);
    if (options->output.empty() && options->pdf.empty()) return 0;
  }
  QImage frame;
  std::vector<double> times;
  tikhomap::composeHeadless(session, *options, frame, &times);
  if (!options->output.empty() && !frame.save(QString::fromStdString(options->output), "PNG")) {
    std::fprintf(stderr, "tikhomap-render: cannot write %s\n", options->output.c_str());
    return 1;
  }
  // The page is printed after the frame: its street names are the frame's.
  if (!options->pdf.empty() && !tikhomap::printHeadlessPdf(session, *options, error)) {
    std::fprintf(stderr, "tikhomap-render: %s\n", error.c_str());
    return 1;
  }
  if (options->repeat > 0) {
    const auto s = tikhomap::summarizeTimes(times);
    std::printf("compose_ms median=%.3f min=%.3f max=%.3f\n", s.median, s.min, s.max);
  }
  return 0;
}
