// One printed page of a map session on any paint device: the same drawing for
// the printer, the print preview, a PDF file and tikhomap-render --pdf.
#pragma once

#include <QPageLayout>
#include <QString>

#include "print/page_layout.h"
#include "session/map_session.h"

class QPainter;

namespace tikhomap {

// The printable area of the painter's device in its own pixels. A device
// finer than the drawing area's 16-bit pixels can hold is drawn at a whole
// fraction of its resolution: scale is the factor the painter must apply.
PrinterMetrics printerMetrics(const QPainter& painter, int& scale);

// Draws the page of the session's current view (the last view history
// entry; the whole city while the title sheet is shown) on an active
// painter. random is the window-lighting generator as it stood when the job
// began. False when there is no map to lay out.
bool drawPrintPage(QPainter& painter, const MapSession& session, bool colour,
                   const WindowRandom& random);

// How a print ended: the device's failure first (error = failed), then a
// page with no map.
bool printOutcome(bool deviceOk, bool drawn, const QString& failed, QString& error);

// The message for a PDF file that was not written.
QString pdfNotWrittenText(const QString& fileName);

// A PDF file of one page, as a print to a file makes it.
struct PdfPage {
  QString fileName;
  QString title;
  int resolution = 1200;
  QPageLayout layout;
};

// The page of a PDF file as the print dialog's printer lays it out: A4 or
// A3 with margins of 10 points, the document named "Print".
PdfPage pdfPageOnPaper(const QString& fileName, int resolution, bool a3, bool landscape);

// Writes the page into the PDF file. False with failed (or the message for
// a missing map) in error when the file is not written whole.
bool writePdfPage(const PdfPage& pdf, const MapSession& session, bool colour,
                  const WindowRandom& random, const QString& failed, QString& error);

}  // namespace tikhomap
