// One printed page of a map session on a printer, a PDF file or the print
// preview: the same drawing for the print commands, the preview and
// tikhomap-render --pdf.
#pragma once

#include <QString>

#include "app/map_session.h"
#include "print/page_layout.h"

class QPainter;
class QPrinter;

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

// One document named "Print" of one page. False with a message for the
// person when the printer or the file did not take the page.
bool printSessionPage(QPrinter& printer, const MapSession& session, bool colour,
                      const WindowRandom& random, QString& error);

}  // namespace tikhomap
