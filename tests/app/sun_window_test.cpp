// The tool "Солнце": a click on a building opens its facades for a date; the
// chosen facade is marked over the map; the tool leaves other clicks alone.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>

#include "app/insolation_map.h"
#include "app/main_window.h"
#include "app/mouse_controller.h"
#include "app/sun_window.h"
#include "render/style_set.h"
#include "resources/command_ids.h"
#include "tests/app/app_fixture.h"

namespace tikhomap::testing {
namespace {

class SunWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = std::make_unique<MainWindow>(folder_.path());
    window_->setBeep([this] { ++beeps_; });
    window_->setFatalHandler([](const QString&) {});
    mouse_ = &installMouseController(*window_);
    installSunTool(*window_);
    mouse_->setInfoDialogRunner([this](const BuildingInfoTexts&) { ++infoDialogs_; });
    ASSERT_TRUE(testing::showLoaded(*window_));
    MapSession& s = window_->session();
    pushView(s.history, 1400, 1300, 1800, 1800);
    window_->requestRecompose();
    window_->mapWidget().repaint();
  }

  void clickAt(float x, float y) {
    int32_t sx = 0, sy = 0;
    mapToScreen(window_->session().view, x, y, sx, sy);
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
      QMouseEvent e(type, QPointF(sx, sy),
                    QPointF(window_->mapWidget().mapToGlobal(QPoint(sx, sy))), Qt::LeftButton,
                    type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                    Qt::NoModifier);
      QApplication::sendEvent(&window_->mapWidget(), &e);
    }
  }
  SunWindow* sunWindow() { return window_->findChild<SunWindow*>(); }

  TinyCityFolder folder_;
  std::unique_ptr<MainWindow> window_;
  MouseController* mouse_ = nullptr;
  int beeps_ = 0;
  int infoDialogs_ = 0;
};

TEST_F(SunWindowTest, AClickOnABuildingOpensItsFacades) {
  // Without the tool a click opens the building information.
  clickAt(1610, 1535);
  EXPECT_EQ(infoDialogs_, 1);
  window_->command(ids::kSunTool);
  EXPECT_TRUE(window_->action(ids::kSunTool)->isChecked());
  clickAt(1610, 1535);
  EXPECT_EQ(infoDialogs_, 1);  // the tool took the click
  SunWindow* w = sunWindow();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->windowTitle(), QStringLiteral("Солнце: Морская ул., 1"));
  w->setDate({2024, 12, 21});
  // The house is a 20 x 30 m block: four facades, the north one never lit
  // at midwinter, the south one for hours.
  ASSERT_EQ(w->table().rowCount(), 4);
  const Insolation& r = w->result();
  int north = -1, south = -1;
  for (int i = 0; i < 4; ++i) {
    const double f = r.facades[static_cast<size_t>(i)].facing;
    if (std::abs(f - 0) < 1 || std::abs(f - 360) < 1) north = i;
    if (std::abs(f - 180) < 1) south = i;
  }
  ASSERT_GE(north, 0);
  ASSERT_GE(south, 0);
  EXPECT_EQ(r.facades[static_cast<size_t>(north)].ground.minutes, 0);
  EXPECT_GT(r.facades[static_cast<size_t>(south)].ground.minutes, 6 * 60);
  EXPECT_EQ(w->table().item(north, 2)->text(), QStringLiteral("0 мин"));
  // The chosen facade is drawn over the frame, never into it.
  const QImage before = window_->mapWidget().frame().copy();
  w->table().setCurrentCell(south, 0);
  EXPECT_EQ(w->selectedFacade(), south);
  window_->mapWidget().repaint();
  EXPECT_EQ(window_->mapWidget().frame(), before);
  const QImage shown = window_->mapWidget().grab().toImage().convertToFormat(QImage::Format_RGB32);
  int orange = 0;
  for (int y = 0; y < shown.height(); ++y) {
    for (int x = 0; x < shown.width(); ++x) orange += (shown.pixel(x, y) & 0xffffff) == 0xff8c00;
  }
  EXPECT_GT(orange, 10);
  // A date out of range is said so, with no rows.
  w->setDate({2150, 1, 1});
  EXPECT_EQ(w->date().year(), 2100);  // the field keeps to the years it can compute
}

TEST_F(SunWindowTest, AClickOnARoofOpensTheBuildingDrawnThere) {
  // Close enough that the nine storeys of "Морская ул., 1" lift its roof
  // clear of its footprint.
  MapSession& s = window_->session();
  pushView(s.history, 1560, 1480, 1660, 1590);
  window_->requestRecompose();
  window_->mapWidget().repaint();
  ASSERT_TRUE(isVolumetricView(s.viewMode));
  const int lift = 9 * s.cache.storeyHeight;
  int32_t sx = 0, sy = 0;
  mapToScreen(s.view, 1620, 1535, sx, sy);  // the middle of the north wall's foot
  ASSERT_GT(lift, 4);
  window_->command(ids::kSunTool);
  const QPoint roof(sx, sy - lift + 2);
  for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
    QMouseEvent e(type, QPointF(roof), QPointF(window_->mapWidget().mapToGlobal(roof)),
                  Qt::LeftButton, type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                  Qt::NoModifier);
    QApplication::sendEvent(&window_->mapWidget(), &e);
  }
  EXPECT_EQ(beeps_, 0);
  ASSERT_NE(sunWindow(), nullptr);
  EXPECT_EQ(sunWindow()->windowTitle(), QStringLiteral("Солнце: Морская ул., 1"));
}

TEST_F(SunWindowTest, APressBesideTheBuildingsBeepsAndEscEndsTheTool) {
  window_->command(ids::kSunTool);
  clickAt(1000, 2600);  // open ground
  EXPECT_EQ(beeps_, 1);
  EXPECT_EQ(sunWindow(), nullptr);
  QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(&window_->mapWidget(), &esc);
  EXPECT_FALSE(window_->action(ids::kSunTool)->isChecked());
  clickAt(1610, 1535);
  EXPECT_EQ(infoDialogs_, 1);
}

// Shrunk from monkey runs: a press the tool took lost its release (it came
// up elsewhere); a Ctrl press the tool passes on starts the map's zoom
// rectangle, and that press's release comes to the map and ends it.
TEST_F(SunWindowTest, APressPassedOnKeepsItsReleaseWhenATakenPressLostItsOwn) {
  window_->command(ids::kSunTool);
  MapWidget& map = window_->mapWidget();
  const auto send = [&map](QEvent::Type type, QPoint at, Qt::MouseButtons buttons,
                           Qt::KeyboardModifiers mods) {
    QMouseEvent e(type, QPointF(at), QPointF(map.mapToGlobal(at)), Qt::LeftButton, buttons, mods);
    QApplication::sendEvent(&map, &e);
  };
  int32_t sx = 0, sy = 0;
  mapToScreen(window_->session().view, 1000, 2600, sx, sy);  // open ground
  send(QEvent::MouseButtonPress, {sx, sy}, Qt::LeftButton, Qt::NoModifier);
  ASSERT_EQ(beeps_, 1);
  QKeyEvent ctrl(QEvent::KeyPress, Qt::Key_Control, Qt::ControlModifier);
  QApplication::sendEvent(&map, &ctrl);
  send(QEvent::MouseButtonPress, {200, 150}, Qt::LeftButton, Qt::ControlModifier);
  ASSERT_EQ(mouse_->interactionState(), kStateZoomRect);
  send(QEvent::MouseButtonRelease, {200, 150}, Qt::NoButton, Qt::ControlModifier);
  EXPECT_FALSE(mouse_->dragArmed());
  EXPECT_FALSE(mouse_->mouseCaptured());
}

}  // namespace
}  // namespace tikhomap::testing

namespace tikhomap::testing {
namespace {

TEST_F(SunWindowTest, RealShadowsAreAViewChoiceOffByDefault) {
  MapSession& s = window_->session();
  EXPECT_FALSE(s.context(100).realSun.has_value());  // off: the clock's shadows
  s.clock = fixedClock(13, 0);
  window_->command(ids::kRealShadows);
  EXPECT_TRUE(window_->action(ids::kRealShadows)->isChecked());
  EXPECT_TRUE(window_->recomposePending());
  const auto sun = s.context(100).realSun;
  ASSERT_TRUE(sun.has_value());
  // At 13:00 Vladivostok time the sun stands near the south, above the
  // horizon in every season at 43° north.
  EXPECT_GT(sun->elevation, 20);
  EXPECT_NEAR(sun->azimuth, 180, 25);
  s.clock = fixedClock(2, 0);
  EXPECT_LT(s.context(100).realSun->elevation, 0);
  window_->command(ids::kRealShadows);
  EXPECT_FALSE(s.context(100).realSun.has_value());
}

// The norm's page: a dwelling screened facade by facade and storey by
// storey, its printed report; a school is told the norm is for dwellings.
TEST_F(SunWindowTest, TheNormPageScreensADwellingAndPrintsItsReport) {
  window_->command(ids::kSunTool);
  clickAt(1610, 1535);
  SunWindow* w = sunWindow();
  ASSERT_NE(w, nullptr);
  w->setDate({2026, 5, 1});
  ASSERT_EQ(w->normCheck().skip, NormSkip::None);
  EXPECT_EQ(w->normCheck().zone, 2);  // Тихоморск, 43° N
  ASSERT_EQ(w->normTable().rowCount(), 4 * 9);
  const QString summary = w->normSummary().text();
  EXPECT_TRUE(summary.contains(QStringLiteral("фасадо-этажей"))) << summary.toStdString();
  EXPECT_TRUE(summary.contains(QStringLiteral("2026"))) << summary.toStdString();
  int failing = 0;
  for (int row = 0; row < w->normTable().rowCount(); ++row) {
    failing += w->normTable().item(row, 4)->text() == QStringLiteral("не соответствует");
  }
  EXPECT_GE(failing, 9);  // the north facade at least
  QTemporaryDir dir;
  const QString pdf = dir.filePath(QStringLiteral("report.pdf"));
  ASSERT_TRUE(w->writeNormReport(pdf));
  QFile file(pdf);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_TRUE(file.read(5).startsWith("%PDF"));
  EXPECT_GT(file.size(), 2000);

  clickAt(1310, 1465);  // the school
  ASSERT_NE(sunWindow(), nullptr);
  EXPECT_EQ(sunWindow()->normCheck().skip, NormSkip::NotDwelling);
  EXPECT_TRUE(sunWindow()->normSummary().text().contains(
      QStringLiteral("Норма инсоляции относится к жилым зданиям")));
  EXPECT_FALSE(sunWindow()->writeNormReport(dir.filePath(QStringLiteral("school.pdf"))));
}

// "Инсоляция по норме": off at first; on, the view's dwellings get their
// verdicts in the background and their walls change colour; others keep theirs.
TEST_F(SunWindowTest, TheNormColoursTheWallsOfDwellingsAsVerdictsArrive) {
  installInsolationTools(*window_);
  MapSession& s = window_->session();
  EXPECT_FALSE(s.insolationColouring);
  // Pixels of the walls' verdict colours in the frame.
  const auto verdictPixels = [this] {
    window_->requestRecompose();
    window_->mapWidget().repaint();
    const QImage& f = window_->mapWidget().frame();
    int n = 0;
    for (int y = 0; y < f.height(); ++y) {
      for (int x = 0; x < f.width(); ++x) {
        const QRgb c = f.pixel(x, y) & 0xffffff;
        n += c == 0x5abe5a || c == 0xebc83c || c == 0xdc5046;
      }
    }
    return n;
  };
  EXPECT_EQ(verdictPixels(), 0);
  window_->command(ids::kInsolationColours);
  EXPECT_TRUE(window_->action(ids::kInsolationColours)->isChecked());
  QTRY_VERIFY_WITH_TIMEOUT(!s.insolationColours.empty() && s.insolationColours[0] != 0, 60000);
  EXPECT_GE(s.insolationColours[0], kInsolationMeets);
  EXPECT_LE(s.insolationColours[0], kInsolationFails);
  EXPECT_EQ(s.insolationColours[1], kInsolationUnknown);  // the school
  EXPECT_GT(verdictPixels(), 50);

  // Another map opened with the choice on is screened anew.
  const std::filesystem::path other = folder_.path().string() + "_other";
  std::filesystem::remove_all(other);
  std::filesystem::copy(folder_.path(), other);
  ASSERT_TRUE(window_->openMap(other));
  pushView(s.history, 1400, 1300, 1800, 1800);
  window_->requestRecompose();
  EXPECT_TRUE(s.insolationColouring);
  QTRY_VERIFY_WITH_TIMEOUT(!s.insolationColours.empty() && s.insolationColours[0] != 0, 60000);
  EXPECT_GT(verdictPixels(), 50);
  std::filesystem::remove_all(other);

  window_->command(ids::kInsolationColours);
  EXPECT_FALSE(s.insolationColouring);
  EXPECT_EQ(verdictPixels(), 0);
}

}  // namespace
}  // namespace tikhomap::testing
