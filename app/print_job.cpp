#include "app/print_job.h"

#include <QApplication>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QSettings>

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

// The print settings of the last job, kept between prints and between runs
// so that the dialog proposes them again: the printer or the file, the paper
// and its orientation.
QSettings printSettings() {
  return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("tikhomap"),
                   QStringLiteral("tikhomap"));
}

void restorePrintSettings(QPrinter& printer) {
  QSettings settings = printSettings();
  settings.beginGroup(QStringLiteral("print"));
  const QString file = settings.value(QStringLiteral("file")).toString();
  const QString printerName = settings.value(QStringLiteral("printer")).toString();
  if (settings.value(QStringLiteral("toFile")).toBool() && !file.isEmpty()) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
  } else if (!printerName.isEmpty()) {
    printer.setPrinterName(printerName);
  }
  const int stored = settings.value(QStringLiteral("paper"), -1).toInt();
  if (stored >= 0 && stored < QPageSize::LastPageSize && stored != QPageSize::Custom) {
    printer.setPageSize(QPageSize(static_cast<QPageSize::PageSizeId>(stored)));
  }
  const QString orientation = settings.value(QStringLiteral("orientation")).toString();
  if (orientation == QStringLiteral("landscape")) {
    printer.setPageOrientation(QPageLayout::Landscape);
  } else if (orientation == QStringLiteral("portrait")) {
    printer.setPageOrientation(QPageLayout::Portrait);
  }
}

void storePrintSettings(const QPrinter& printer) {
  QSettings settings = printSettings();
  settings.beginGroup(QStringLiteral("print"));
  const bool toFile =
      printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty();
  settings.setValue(QStringLiteral("toFile"), toFile);
  if (toFile) {
    settings.setValue(QStringLiteral("file"), printer.outputFileName());
  } else {
    settings.setValue(QStringLiteral("printer"), printer.printerName());
  }
  settings.setValue(QStringLiteral("paper"),
                    static_cast<int>(printer.pageLayout().pageSize().id()));
  settings.setValue(QStringLiteral("orientation"),
                    printer.pageLayout().orientation() == QPageLayout::Landscape
                        ? QStringLiteral("landscape")
                        : QStringLiteral("portrait"));
}

}  // namespace

Printing::Printing(Shell& shell) : QObject(&shell.shellWindow()), shell_(shell) {
  setObjectName(QStringLiteral("printing"));
  chooser_ = [this](QPrinter& printer) {
    QPrintDialog dialog(&printer, &shell_.shellWindow());
    return dialog.exec() == QDialog::Accepted;
  };
  previewRunner_ = [](QPrintPreviewDialog& dialog) { dialog.exec(); };
  failure_ = [this](const QString& message) {
    QMessageBox::warning(&shell_.shellWindow(), shell_.shellWindow().windowTitle(), message);
  };
}

bool Printing::mapReady() const {
  const MapSession& s = shell_.session();
  return s.baseMapLoaded() && s.history.hasWholeCity();
}

void Printing::print(bool colour) {
  if (!mapReady()) {
    shell_.beep();
    return;
  }
  printInColour_ = colour;
  QPrinter printer(QPrinter::HighResolution);
  printer.setDocName(QStringLiteral("Print"));
  restorePrintSettings(printer);
  if (!chooser_ || !chooser_(printer)) return;
  storePrintSettings(printer);

  // The windows of "Окна по часам" come from a copy of the generator as it
  // stands now; the screen's own generator goes on untouched.
  const WindowRandom random = shell_.session().random;
  QString error;
  bool printed = false;
  {
    BusyCursor busy;
    printed = printSessionPage(printer, shell_.session(), colour, random, error);
    ++pagesDrawn_;
  }
  if (!printed && failure_) failure_(error);
}

void Printing::preview() {
  if (!mapReady()) {
    shell_.beep();
    return;
  }
  QPrinter printer(QPrinter::HighResolution);
  printer.setDocName(QStringLiteral("Print"));
  restorePrintSettings(printer);
  QPrintPreviewDialog dialog(&printer, &shell_.shellWindow());
  dialog.setWindowTitle(QStringLiteral("Предварительный просмотр"));
  // Every rendering of the preview, and a print started from it, draws the
  // same windows: each starts from the same copy of the generator.
  const WindowRandom random = shell_.session().random;
  const bool colour = printInColour_;
  connect(&dialog, &QPrintPreviewDialog::paintRequested, this,
          [this, random, colour](QPrinter* target) {
            BusyCursor busy;
            QPainter painter(target);
            drawPrintPage(painter, shell_.session(), colour, random);
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
