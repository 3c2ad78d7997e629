// The menu "Печать": "Черно-белая" and "Цветная" print the current view on
// one page through the system print dialog (a printer, or a PDF file), and
// "Предварительный просмотр" shows that page before it is printed.
#pragma once

#include <QObject>
#include <QString>
#include <functional>

class QPrinter;
class QPrintPreviewDialog;

namespace tikhomap {

class MainWindow;
class Shell;

class Printing final : public QObject {
  Q_OBJECT
 public:
  explicit Printing(Shell& shell);

  // A print job: the print dialog, then one page in colour or in black and
  // white. A cancelled dialog changes nothing and says nothing; a printer or
  // file that does not take the page is reported.
  void print(bool colour);
  // The page that printing would produce, colour or black and white as last
  // chosen, in the preview window.
  void preview();

  bool printInColour() const { return printInColour_; }
  int pagesDrawn() const { return pagesDrawn_; }

  // Asks for the printer; false when the person cancels. The default runs
  // the system print dialog.
  using PrinterChooser = std::function<bool(QPrinter&)>;
  void setPrinterChooser(PrinterChooser chooser) { chooser_ = std::move(chooser); }
  // Runs the preview window; the default shows it modally.
  using PreviewRunner = std::function<void(QPrintPreviewDialog&)>;
  void setPreviewRunner(PreviewRunner runner) { previewRunner_ = std::move(runner); }
  // Tells the person that a print failed; the default shows a message box.
  using FailureReporter = std::function<void(const QString&)>;
  void setFailureReporter(FailureReporter reporter) { failure_ = std::move(reporter); }

 private:
  bool mapReady() const;

  Shell& shell_;
  bool printInColour_ = false;
  int pagesDrawn_ = 0;
  PrinterChooser chooser_;
  PreviewRunner previewRunner_;
  FailureReporter failure_;
};

// Registers the print commands and the preview on the main window; the
// returned object lives as long as the window.
Printing& installPrinting(MainWindow& main);

}  // namespace tikhomap
