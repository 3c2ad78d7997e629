#include "app/print_page.h"

#include <QPainter>
#include <QPrinter>
#include <limits>

#include "app/qt_canvas.h"
#include "print/print_map.h"

namespace tikhomap {

PrinterMetrics printerMetrics(const QPainter& painter, int& scale) {
  const QPaintDevice* device = painter.device();
  const int width = device->width();
  const int height = device->height();
  const int dpi = device->logicalDpiX();
  const int dpiY = device->logicalDpiY();
  constexpr int kLargest = std::numeric_limits<int16_t>::max();
  scale = 1;
  while (width / scale > kLargest || height / scale > kLargest) ++scale;
  PrinterMetrics m;
  m.horzRes = width / scale;
  m.vertRes = height / scale;
  m.logPixelsX = dpi / scale;
  m.logPixelsY = dpiY / scale;
  // The sizes in millimetres are those of the whole printable area.
  if (dpi > 0 && dpiY > 0) {
    m.horzSizeMm = static_cast<float>(m.horzRes * 25.4 / m.logPixelsX);
    m.vertSizeMm = static_cast<float>(m.vertRes * 25.4 / m.logPixelsY);
  }
  return m;
}

bool drawPrintPage(QPainter& painter, const MapSession& session, bool colour,
                   const WindowRandom& random) {
  if (session.history.count < 1) return false;
  int scale = 1;
  const PrinterMetrics metrics = printerMetrics(painter, scale);
  painter.save();
  if (scale > 1) painter.scale(scale, scale);
  bool drawn = false;
  {
    QtCanvas canvas(painter, metrics.horzSizeMm);
    const PrintScene scene{session.map,    session.layers,   session.marking,
                           session.styles, session.viewMode, colour};
    drawn = printPage(scene, metrics, session.history.last(), random, canvas);
  }
  painter.restore();
  return drawn;
}

bool printSessionPage(QPrinter& printer, const MapSession& session, bool colour,
                      const WindowRandom& random, QString& error) {
  printer.setDocName(QStringLiteral("Print"));
  const bool toFile = printer.outputFormat() == QPrinter::PdfFormat;
  const QString failed =
      toFile ? QStringLiteral("Не удалось записать файл «%1». Карта не напечатана.")
                   .arg(printer.outputFileName())
             : QStringLiteral("Принтер «%1» не принял задание. Карта не напечатана.")
                   .arg(printer.printerName());
  QPainter painter;
  if (!painter.begin(&printer)) {
    error = failed;
    return false;
  }
  const bool drawn = drawPrintPage(painter, session, colour, random);
  const bool ended = painter.end();
  if (!ended || printer.printerState() == QPrinter::Error ||
      printer.printerState() == QPrinter::Aborted) {
    error = failed;
    return false;
  }
  if (!drawn) {
    error = QStringLiteral("Нет карты, которую можно напечатать.");
    return false;
  }
  return true;
}

}  // namespace tikhomap
