// The print commands and the preview driven through the main window: a page
// into a PDF file through the print dialog's print-to-file, a cancelled
// dialog, a file that cannot be written, the preview; and the screen's view,
// history, start indexes and generator byte for byte as they were.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <cstring>
#include <filesystem>
#include <vector>

#include "app/main_window.h"
#include "app/print_job.h"
#include "app/print_page.h"
#include "resources/command_ids.h"
#include "tests/app/app_fixture.h"

namespace tikhomap::testing {
namespace {

template <typename T>
std::vector<unsigned char> bytesOf(const T& value) {
  std::vector<unsigned char> bytes(sizeof value);
  std::memcpy(bytes.data(), &value, sizeof value);
  return bytes;
}

// What a print must leave exactly as it found it.
struct ScreenState {
  std::vector<unsigned char> view, history, cache;
  uint32_t random = 0;
  int composed = 0;
  bool operator==(const ScreenState&) const = default;
};

class PrintJobTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = std::make_unique<MainWindow>(folder_.path());
    window_->setBeep([this] { ++beeps_; });
    window_->setFatalHandler([](const QString&) {});
    printing_ = &installPrinting(*window_);
    printing_->setFailureReporter([this](const QString& m) { failures_.push_back(m); });
    ASSERT_TRUE(testing::showLoaded(*window_));
    pushView(session().history, 700, 1200, 1300, 1800);
    showComposed();
  }
  void TearDown() override { std::filesystem::remove_all(outDir()); }

  MapSession& session() { return window_->session(); }
  void showComposed() {
    const int before = window_->composeCount();
    window_->requestRecompose();
    ASSERT_TRUE(waitFor([&] { return window_->composeCount() > before; }));
  }
  ScreenState screen() {
    return {bytesOf(session().view), bytesOf(session().history), bytesOf(session().cache),
            session().random.state(), window_->composeCount()};
  }
  // One folder per test: ctest runs the tests of this suite side by side,
  // and each one removes its folder at the end.
  std::filesystem::path outDir() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    return std::filesystem::temp_directory_path() /
           (std::string("tikhomap_print_job_test_") + (info != nullptr ? info->name() : "none"));
  }
  // Answers the print dialog with print-to-file into path.
  void chooseFile(const std::filesystem::path& path) {
    printing_->setPrinterChooser([this, path](QPrinter& printer) {
      cursorOverDialog_ = QApplication::overrideCursor() != nullptr;
      printer.setOutputFormat(QPrinter::PdfFormat);
      printer.setOutputFileName(QString::fromStdString(path.string()));
      return true;
    });
  }
  static QByteArray head(const std::filesystem::path& path) {
    QFile f(QString::fromStdString(path.string()));
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.read(5);
  }

  TinyCityFolder folder_;
  std::unique_ptr<MainWindow> window_;
  Printing* printing_ = nullptr;
  int beeps_ = 0;
  bool cursorOverDialog_ = false;
  std::vector<QString> failures_;
};

TEST_F(PrintJobTest, PrintsThePageToAFileAndLeavesTheScreenAsItWas) {
  std::filesystem::create_directories(outDir());
  const ScreenState before = screen();
  const auto colour = outDir() / "colour.pdf";
  chooseFile(colour);
  window_->command(ids::kPrintColour);
  EXPECT_EQ(head(colour), QByteArray("%PDF-"));
  EXPECT_GT(std::filesystem::file_size(colour), 2000u);
  EXPECT_TRUE(printing_->printInColour());
  EXPECT_FALSE(cursorOverDialog_);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_TRUE(failures_.empty());
  EXPECT_FALSE(window_->recomposePending());
  EXPECT_TRUE(screen() == before);

  const auto grey = outDir() / "grey.pdf";
  chooseFile(grey);
  window_->command(ids::kPrintBlackWhite);
  EXPECT_EQ(head(grey), QByteArray("%PDF-"));
  EXPECT_FALSE(printing_->printInColour());
  EXPECT_TRUE(screen() == before);
  EXPECT_EQ(printing_->pagesDrawn(), 2);
}

TEST_F(PrintJobTest, TheTitleSheetPrintsTheWholeCityMapAndStaysShown) {
  std::filesystem::create_directories(outDir());
  viewWholeCity(session().history);
  showComposed();
  ASSERT_TRUE(session().titleSheetShown());
  const ScreenState before = screen();
  const auto file = outDir() / "city.pdf";
  chooseFile(file);
  window_->command(ids::kPrintColour);
  EXPECT_EQ(head(file), QByteArray("%PDF-"));
  EXPECT_TRUE(failures_.empty());
  EXPECT_TRUE(screen() == before);
  EXPECT_TRUE(session().titleSheetShown());
}

TEST_F(PrintJobTest, ACancelledDialogChangesNothingAndSaysNothing) {
  const ScreenState before = screen();
  bool asked = false;
  printing_->setPrinterChooser([&](QPrinter&) {
    asked = true;
    return false;
  });
  window_->command(ids::kPrintColour);
  EXPECT_TRUE(asked);
  EXPECT_EQ(printing_->pagesDrawn(), 0);
  EXPECT_TRUE(failures_.empty());
  EXPECT_EQ(beeps_, 0);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_TRUE(screen() == before);
}

TEST_F(PrintJobTest, AFileThatCannotBeWrittenIsToldToThePerson) {
  const ScreenState before = screen();
  const auto nowhere = outDir() / "no" / "such" / "folder" / "page.pdf";
  chooseFile(nowhere);
  window_->command(ids::kPrintBlackWhite);
  EXPECT_FALSE(std::filesystem::exists(nowhere));
  ASSERT_EQ(failures_.size(), 1u);
  EXPECT_TRUE(failures_[0].contains(QStringLiteral("page.pdf"))) << failures_[0].toStdString();
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_TRUE(screen() == before);
  // A full disk is told the same way.
  if (std::filesystem::exists("/dev/full")) {
    chooseFile("/dev/full");
    window_->command(ids::kPrintColour);
    ASSERT_EQ(failures_.size(), 2u);
    EXPECT_TRUE(failures_[1].contains(QStringLiteral("/dev/full"))) << failures_[1].toStdString();
  }
}

TEST_F(PrintJobTest, TheDialogProposesTheLastFilePaperAndOrientationInTheNextRun) {
  std::filesystem::create_directories(outDir());
  const auto file = outDir() / "last.pdf";
  const QString fileName = QString::fromStdString(file.string());
  printing_->setPrinterChooser([&](QPrinter& printer) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(fileName);
    printer.setPageSize(QPageSize(QPageSize::A3));
    printer.setPageOrientation(QPageLayout::Landscape);
    return true;
  });
  window_->command(ids::kPrintColour);
  ASSERT_TRUE(failures_.empty());
  const std::string settings = qEnvironmentVariable("XDG_CONFIG_HOME").toStdString();
  EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(settings) / "tikhomap"));

  // The next run: a printing of its own, which keeps nothing in memory.
  Printing again(*window_);
  QString proposed;
  QPageSize::PageSizeId paper = QPageSize::A4;
  QPageLayout::Orientation orientation = QPageLayout::Portrait;
  again.setPrinterChooser([&](QPrinter& printer) {
    proposed = printer.outputFormat() == QPrinter::PdfFormat ? printer.outputFileName() : QString();
    paper = printer.pageLayout().pageSize().id();
    orientation = printer.pageLayout().orientation();
    return false;
  });
  again.print(false);
  EXPECT_EQ(proposed, fileName);
  EXPECT_EQ(paper, QPageSize::A3);
  EXPECT_EQ(orientation, QPageLayout::Landscape);
}

TEST_F(PrintJobTest, ThePreviewDrawsThePageAndLeavesTheScreenAsItWas) {
  const ScreenState before = screen();
  bool shown = false;
  printing_->setPreviewRunner([&](QPrintPreviewDialog& dialog) {
    dialog.show();
    shown = waitFor([&] { return printing_->pagesDrawn() >= 1; });
    dialog.close();
  });
  window_->command(ids::kPrintPreview);
  EXPECT_TRUE(shown);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_TRUE(screen() == before);
}

// A printer finer than 16-bit pixels can hold (A3 at 2400 dpi is 28000 x
// 39700 pixels) is drawn at half its resolution, at the same size in
// millimetres.
TEST(PrintPageMetricsTest, AVeryFinePrinterIsDrawnAtAWholeFractionOfItsResolution) {
  const auto file = std::filesystem::temp_directory_path() / "tikhomap_print_metrics.pdf";
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(QString::fromStdString(file.string()));
  printer.setResolution(2400);
  printer.setPageSize(QPageSize(QPageSize::A3));
  QPainter painter;
  ASSERT_TRUE(painter.begin(&printer));
  int scale = 0;
  const PrinterMetrics m = printerMetrics(painter, scale);
  painter.end();
  std::filesystem::remove(file);
  EXPECT_EQ(scale, 2);
  EXPECT_EQ(m.logPixelsX, 1200);
  EXPECT_LE(m.vertRes, 32767);
  EXPECT_GT(m.vertRes, 18000);
  const double paintedMm = printer.pageLayout().paintRect(QPageLayout::Millimeter).height();
  EXPECT_NEAR(m.vertSizeMm, paintedMm, 0.5);  // within the rounding of the page to pixels
}

}  // namespace
}  // namespace tikhomap::testing
