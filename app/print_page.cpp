#include "app/print_page.h"

#include <QPainter>
#include <QPrinter>

namespace tikhomap {

bool printSessionPage(QPrinter& printer, const MapSession& session, bool colour,
                      const WindowRandom& random, QString& error) {
  printer.setDocName(QStringLiteral("Print"));
  const bool toFile = printer.outputFormat() == QPrinter::PdfFormat;
  const QString failed =
      toFile ? pdfNotWrittenText(printer.outputFileName())
             : QStringLiteral("Принтер «%1» не принял задание. Карта не напечатана.")
                   .arg(printer.printerName());
  if (toFile && !printer.outputFileName().isEmpty()) {
    const PdfPage pdf{printer.outputFileName(), printer.docName(), printer.resolution(),
                      printer.pageLayout()};
    return writePdfPage(pdf, session, colour, random, failed, error);
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
