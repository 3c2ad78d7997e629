#include "app/print_job.h"

#include <QApplication>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include "app/main_window.h"
#include "app/print_page.h"
#include "resources/command_ids.h"

namespace tikhomap {

namespace {

// The busy cursor while a page is drawn, and never longer.
class BusyCursor {
 public:
  BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~BusyCursor() { QApplication::restoreOverrideCursor(); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace

Printing::Printing(MainWindow& main) : QObject(&main), main_(main) {
  setObjectName(QStringLiteral("printing"));
  chooser_ = [this](QPrinter& printer) {
    QPrintDialog dialog(&printer, &main_);
    return dialog.exec() == QDialog::Accepted;
  };
  previewRunner_ = [](QPrintPreviewDialog& dialog) { dialog.exec(); };
  failure_ = [this](const QString& message) {
    QMessageBox::warning(&main_, main_.windowTitle(), message);
  };
}

bool Printing::mapReady() const {
  const MapSession& s = main_.session();
  return s.baseMapLoaded() && s.history.count >= 1;
}

void Printing::print(bool colour) {
  if (!mapReady()) {
    main_.beep();
    return;
  }
  printInColour_ = colour;
  QPrinter printer(QPrinter::HighResolution);
  printer.setDocName(QStringLiteral("Print"));
  if (!chooser_ || !chooser_(printer)) return;

  // The windows of "Окна по часам" come from a copy of the generator as it
  // stands now; the screen's own generator goes on untouched.
  const WindowRandom random = main_.session().random;
  QString error;
  bool printed = false;
  {
    BusyCursor busy;
    printed = printSessionPage(printer, main_.session(), colour, random, error);
    ++pagesDrawn_;
  }
  if (!printed && failure_) failure_(error);
}

void Printing::preview() {
  if (!mapReady()) {
    main_.beep();
    return;
  }
  QPrinter printer(QPrinter::HighResolution);
  printer.setDocName(QStringLiteral("Print"));
  QPrintPreviewDialog dialog(&printer, &main_);
  dialog.setWindowTitle(QStringLiteral("Предварительный просмотр"));
  // Every rendering of the preview, and a print started from it, draws the
  // same windows: each starts from the same copy of the generator.
  const WindowRandom random = main_.session().random;
  const bool colour = printInColour_;
  connect(&dialog, &QPrintPreviewDialog::paintRequested, this,
          [this, random, colour](QPrinter* target) {
            BusyCursor busy;
            QPainter painter(target);
            drawPrintPage(painter, main_.session(), colour, random);
            ++pagesDrawn_;
          });
  if (previewRunner_) previewRunner_(dialog);
}

Printing& installPrinting(MainWindow& main) {
  auto* printing = new Printing(main);
  main.setCommandHandler(ids::kPrintBlackWhite, [printing] { printing->print(false); });
  main.setCommandHandler(ids::kPrintColour, [printing] { printing->print(true); });
  main.setCommandHandler(ids::kPrintPreview, [printing] { printing->preview(); });
  return *printing;
}

}  // namespace tikhomap
