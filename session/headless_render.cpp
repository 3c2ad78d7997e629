#include "session/headless_render.h"

#include <algorithm>
#include <chrono>

#include "raster/qt_canvas.h"
#include "session/session_page.h"

namespace tikhomap {

bool prepareHeadlessSession(MapSession& session, const RenderOptions& options, std::string& error) {
  if (!session.setViewMode(options.viewMode)) {
    error = "not a view mode: " + std::to_string(options.viewMode);
    return false;
  }
  session.frameThreads = options.threads;
  if (options.hour) session.clock = fixedClock(*options.hour, options.minute);
  if (options.realSunDate) {
    session.realShadows = true;
    const auto& d = *options.realSunDate;
    session.sunDate = CivilDate{d[0], d[1], d[2]};
  }
  const LoadResult base = loadSessionBaseMap(session, LoadProgress{});
  if (!base.ok) {
    error = baseMapFailureText(base, session.dataDir).toStdString();
    return false;
  }
  loadSessionBuildings(session, LoadProgress{});
  if (options.view) {
    const MapBounds& r = *options.view;
    if (pushView(session.history, r.xMin, r.yMin, r.xMax, r.yMax) == 0) {
      error = "the view is larger than the whole city";
      return false;
    }
  }
  return true;
}

void composeHeadless(MapSession& session, const RenderOptions& options, QImage& frame,
                     std::vector<double>* timesMs) {
  frame = QImage(options.width, options.height, QImage::Format_RGB32);
  const float widthMm = options.widthMm ? *options.widthMm : widthMmAt96Dpi(options.width);
  const int runs = std::max(1, options.repeat);
  for (int i = 0; i < runs; ++i) {
    frame.fill(toQColor(kButtonFace));
    const auto start = std::chrono::steady_clock::now();
    composeSessionFrame(session, frame, widthMm);
    const auto end = std::chrono::steady_clock::now();
    if (timesMs != nullptr) {
      timesMs->push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
  }
}

bool printHeadlessPdf(const MapSession& session, const RenderOptions& options, std::string& error) {
  const PdfPage pdf = pdfPageOnPaper(QString::fromStdString(options.pdf), options.dpi,
                                     options.paperA3, options.landscape);
  const QString failed = pdfNotWrittenText(pdf.fileName);
  QString message;
  if (!writePdfPage(pdf, session, !options.printBlackWhite, session.random, failed, message)) {
    error = message.toStdString();
    return false;
  }
  return true;
}

TimingSummary summarizeTimes(std::vector<double> timesMs) {
  TimingSummary s;
  if (timesMs.empty()) return s;
  std::sort(timesMs.begin(), timesMs.end());
  const size_t n = timesMs.size();
  s.min = timesMs.front();
  s.max = timesMs.back();
  s.median = n % 2 == 1 ? timesMs[n / 2] : (timesMs[n / 2 - 1] + timesMs[n / 2]) / 2.0;
  return s;
}

}  // namespace tikhomap
