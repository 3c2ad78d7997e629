#include "session/session_page.h"

#include <QFile>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <limits>

#include "print/print_map.h"
#include "raster/qt_canvas.h"

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

QString pdfNotWrittenText(const QString& fileName) {
  return QStringLiteral("Не удалось записать файл «%1». Карта не напечатана.").arg(fileName);
}

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

PdfPage pdfPageOnPaper(const QString& fileName, int resolution, bool a3, bool landscape) {
  return PdfPage{fileName, QStringLiteral("Print"), resolution,
                 QPageLayout(QPageSize(a3 ? QPageSize::A3 : QPageSize::A4),
                             landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                             QMarginsF(10, 10, 10, 10), QPageLayout::Point)};
}

// A page for a PDF file goes through a file this program opens itself: the
// PDF engine writing its own file reports no error, so a full disk would
// leave an empty file behind a page said to be printed. The file is written
// in place (not written aside and renamed over the old one), so that a
// device, a link or a file of another owner stays what it was.
bool writePdfPage(const PdfPage& pdf, const MapSession& session, bool colour,
                  const WindowRandom& random, const QString& failed, QString& error) {
  QFile file(pdf.fileName);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
    error = failed;
    return false;
  }
  bool drawn = false;
  bool ended = false;
  {
    QPdfWriter writer(&file);
    writer.setTitle(pdf.title);
    writer.setCreator(QStringLiteral("Тихоморск. Адресный план города"));
    writer.setResolution(pdf.resolution);
    writer.setPageLayout(pdf.layout);
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

}  // namespace tikhomap
