// One printed page of a map session on a printer or into a PDF file chosen
// in the print dialog.
#pragma once

#include <QString>

#include "session/session_page.h"

class QPrinter;

namespace tikhomap {

// One document named "Print" of one page. False with a message for the
// person when the printer or the file did not take the page.
bool printSessionPage(QPrinter& printer, const MapSession& session, bool colour,
                      const WindowRandom& random, QString& error);

}  // namespace tikhomap
