#include "app/print_page.h"

#include <QFile>
#include <QPainter>
#include <QPdfWriter>
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
  if (!session.history.hasWholeCity()) return false;
  int scale = 1;
  const PrinterMetrics metrics = printerMetrics(painter, scale);
  painter.save();
  if (scale > 1) painter.scale(scale, scale);
  bool drawn = false;
  {
    QtCanvas canvas(painter, metrics.horzSizeMm);
    const PrintScene scene{session.map,
                           session.layers,
                           session.marking,
                           session.styles,
                           session.viewMode,
                           colour,
                           session.cache.labelledAnchors};
    drawn = printPage(scene, metrics, session.history.last(), random, canvas);
  }
  painter.restore();
  return drawn;
}

namespace {

// A page for a PDF file goes through a file this program opens itself: the
// PDF engine writing its own file reports no error, so a full disk would
// leave an empty file behind a page said to be printed. The file is written
// in place (not written aside and renamed over the old one), so that a
// device, a link or a file of another owner stays what it was.
// How a print ended: the device's failure first, then a page with no map.
bool printOutcome(bool deviceOk, bool drawn, const QString& failed, QString& error) {
  if (!deviceOk) {
    error = failed;
    return false;
  }
  if (!drawn) {
    error = QStringLiteral("Нет карты, которую можно напечатать.");
    return false;
  }
  return true;
}

bool writePdfPage(const QPrinter& printer, const MapSession& session, bool colour,
                  const WindowRandom& random, const QString& failed, QString& error) {
  QFile file(printer.outputFileName());
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
    error = failed;
    return false;
  }
  bool drawn = false;
  bool ended = false;
  {
    QPdfWriter writer(&file);
    writer.setTitle(printer.docName());
    writer.setCreator(QStringLiteral("Тихоморск. Адресный план города"));
    writer.setResolution(printer.resolution());
    writer.setPageLayout(printer.pageLayout());
    QPainter painter;
    if (painter.begin(&writer)) {
      drawn = drawPrintPage(painter, session, colour, random);
      ended = painter.end();
    }
  }
  // The last buffered bytes reach the disk here, and so do its errors.
  const bool written = file.flush() && file.error() == QFileDevice::NoError;
  file.close();
  return printOutcome(ended && written && file.error() == QFileDevice::NoError, drawn, failed,
                      error);
}

}  // namespace

bool printSessionPage(QPrinter& printer, const MapSession& session, bool colour,
                      const WindowRandom& random, QString& error) {
  printer.setDocName(QStringLiteral("Print"));
  const bool toFile = printer.outputFormat() == QPrinter::PdfFormat;
  const QString failed =
      toFile ? QStringLiteral("Не удалось записать файл «%1». Карта не напечатана.")
                   .arg(printer.outputFileName())
             : QStringLiteral("Принтер «%1» не принял задание. Карта не напечатана.")
                   .arg(printer.printerName());
  if (toFile && !printer.outputFileName().isEmpty()) {
    return writePdfPage(printer, session, colour, random, failed, error);
  }
  QPainter painter;
  if (!painter.begin(&printer)) {
    error = failed;
    return false;
  }
  const bool drawn = drawPrintPage(painter, session, colour, random);
  const bool ended = painter.end();
  return printOutcome(ended && printer.printerState() != QPrinter::Error &&
                          printer.printerState() != QPrinter::Aborted,
                      drawn, failed, error);
}

}  // namespace tikhomap
