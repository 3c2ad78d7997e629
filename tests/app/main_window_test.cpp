// The main window: menu items and ids, the paint cycle (compose only when
// asked), the view keys with their refusals, view modes, resizing, the flash
// timer and the missing base map.
#include <QAction>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QTest>

#include "app/main_window.h"
#include "app/map_widget.h"
#include "resources/command_ids.h"
#include "tests/app/app_fixture.h"

namespace tikhomap {
namespace {

using testing::TinyCityFolder;
using testing::waitFor;

QString actionTexts(const QMenu& menu) {
  QStringList texts;
  for (const QAction* a : menu.actions()) {
    if (a->isSeparator()) {
      texts << QStringLiteral("|");
    } else if (a->menu() != nullptr) {
      texts << QStringLiteral(">") + a->text();
    } else {
      texts << a->objectName() + QStringLiteral("=") + a->text();
    }
  }
  return texts.join(QStringLiteral(";"));
}

TEST(MainMenuTest, ItemsTextsIdsAndSeparatorsAreThoseOfTheProgram) {
  MainWindow window(std::filesystem::temp_directory_path() / "tikhomap_no_map_here");
  EXPECT_EQ(window.windowTitle(), QStringLiteral("Тихоморск. Адресный план города"));
  QStringList titles;
  QList<QMenu*> menus;
  for (QAction* a : window.menuBar()->actions()) {
    titles << a->text();
    menus << a->menu();
  }
  EXPECT_EQ(titles.join(QStringLiteral(",")), QStringLiteral("Вид,Поиск,Печать,Геодезия,?"));
  ASSERT_EQ(menus.size(), 5);
  EXPECT_EQ(actionTexts(*menus[0]),
            QStringLiteral("32812=Графический;32775=Плоский;>Объемный;|;"
                           "32822=Состав схемы ...;32903=Тени по настоящему солнцу;"
                           "32921=Инсоляция по норме;32816=Инструменты      F7;"
                           "32820=Освежить            F9;|;105=Выход"));
  const QMenu* volumetric = menus[0]->actions()[2]->menu();
  ASSERT_NE(volumetric, nullptr);
  EXPECT_EQ(actionTexts(*volumetric),
            QStringLiteral("32786=Окна по часам;32823=Новогодняя ночь;32824=Тихэнерго бастует;"
                           "32825=Широкие окна;32826=Каркас;32781=Ночной"));
  EXPECT_EQ(actionTexts(*menus[1]),
            QStringLiteral("32774=Улица,  дом        F2;32800=Район                  F3;"
                           "32773=Микрорайон       F4;32799=Объект               F5;"
                           "|;32901=Быстрый поиск    Ctrl+F"));
  EXPECT_EQ(actionTexts(*menus[2]),
            QStringLiteral("32817=Черно-белая;32818=Цветная;32902=Предварительный просмотр"));
  EXPECT_EQ(actionTexts(*menus[3]),
            QStringLiteral("32829=Координаты;32904=Солнце;32922=Отчёт об инсоляции (CSV) ...;"
                           "32815=Измерения;32828=Измерения (по улицам)"));
  EXPECT_EQ(actionTexts(*menus[4]), QStringLiteral("32794=Справка              F1;104=About ..."));
  // No item shows a key of its own beside the text.
  for (const auto id : {ids::kStreetSearch, ids::kObjectSearch, ids::kRefresh}) {
    EXPECT_TRUE(window.action(id)->shortcut().isEmpty()) << id;
  }
  EXPECT_TRUE(window.action(ids::kViewClockWindows)->isChecked());
}

TEST(MainMenuTest, KeysF2ToF5RunTheSearchCommandsAndF7F9TheirMenuItems) {
  MainWindow window(std::filesystem::temp_directory_path() / "tikhomap_no_map_here");
  window.setFatalHandler([](const QString&) {});
  std::vector<int> ran;
  for (int id : {ids::kStreetSearch, ids::kDistrictChoice, ids::kMicrodistrictChoice,
                 ids::kObjectSearch, ids::kToolsPalette}) {
    window.setCommandHandler(id, [&ran, id] { ran.push_back(id); });
  }
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  for (Qt::Key key : {Qt::Key_F2, Qt::Key_F3, Qt::Key_F4, Qt::Key_F5, Qt::Key_F7}) {
    QTest::keyClick(&window.mapWidget(), key);
  }
  // F7 and F9 are the keys the menu shows beside "Инструменты" and
  // "Освежить".
  EXPECT_EQ(ran,
            (std::vector<int>{ids::kStreetSearch, ids::kDistrictChoice, ids::kMicrodistrictChoice,
                              ids::kObjectSearch, ids::kToolsPalette}));
  window.setRecomposePending(false);
  QTest::keyClick(&window.mapWidget(), Qt::Key_F9);
  EXPECT_TRUE(window.recomposePending());
}

// A shown window with the tiny city loaded and its title sheet composed.
class LoadedWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = std::make_unique<MainWindow>(folder_.path());
    window_->setBeep([this] { ++beeps_; });
    window_->setFatalHandler([this](const QString& m) { fatal_ = m; });
    ASSERT_TRUE(testing::showLoaded(*window_));
    ASSERT_TRUE(fatal_.isEmpty());
  }

  MapWidget& map() { return window_->mapWidget(); }
  MapSession& session() { return window_->session(); }
  void paint() { map().repaint(); }
  void key(Qt::Key k, const QString& text = {}, bool autoRepeat = false,
           Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, k, mods, text, autoRepeat);
    QCoreApplication::sendEvent(&map(), &press);
  }
  void character(char c) { key(Qt::Key_unknown, QString(QChar(c))); }
  // Leaves the title sheet for the whole-city map view (history count 2).
  void openWholeCityMap() {
    const MapBounds city = session().history.entry(0);
    pushView(session().history, city.xMin, city.yMin, city.xMax, city.yMax);
    window_->requestRecompose();
    paint();
    ASSERT_EQ(session().history.count, 2);
  }

  TinyCityFolder folder_;
  std::unique_ptr<MainWindow> window_;
  int beeps_ = 0;
  QString fatal_;
};

TEST_F(LoadedWindowTest, FirstPaintLoadsTheMapAndShowsTheTitleSheet) {
  EXPECT_EQ(session().history.count, 1);
  EXPECT_EQ(session().map.buildings.size(), 5u);
  EXPECT_EQ(map().frame().size(), map().size());
  // The title sheet is not a uniform picture.
  const QImage& f = map().frame();
  const QRgb corner = f.pixel(f.width() - 60, f.height() / 2);
  EXPECT_NE(corner, f.pixel(2, 2));
}

TEST_F(LoadedWindowTest, PlainRepaintCopiesTheFrameWithoutComposing) {
  const int composed = window_->composeCount();
  paint();
  paint();
  EXPECT_EQ(window_->composeCount(), composed);
  window_->requestRecompose();
  EXPECT_TRUE(window_->recomposePending());
  paint();
  EXPECT_EQ(window_->composeCount(), composed + 1);
  EXPECT_FALSE(window_->recomposePending());
  window_->command(ids::kRefresh);
  paint();
  EXPECT_EQ(window_->composeCount(), composed + 2);
}

TEST_F(LoadedWindowTest, OverlaysAreDrawnOverTheFrameAndNeverIntoIt) {
  const QImage before = map().frame().copy();
  int drawn = 0;
  const int id = map().addOverlay([&drawn](QPainter& p) {
    ++drawn;
    p.fillRect(0, 0, 50, 50, Qt::magenta);
  });
  paint();
  EXPECT_EQ(drawn, 1);
  EXPECT_EQ(map().frame(), before);
  map().removeOverlay(id);
  paint();
  EXPECT_EQ(drawn, 1);
}

TEST_F(LoadedWindowTest, ZoomCharactersLeaveTheTitleSheetAndPageUpStopsAtTheFirstMapView) {
  character('+');
  EXPECT_EQ(session().history.count, 2);
  EXPECT_TRUE(window_->recomposePending());
  paint();
  EXPECT_GE(session().view.detailLevel, 0);
  character('*');
  paint();
  EXPECT_EQ(session().history.count, 3);
  key(Qt::Key_PageUp);
  EXPECT_EQ(session().history.count, 2);
  EXPECT_TRUE(window_->recomposePending());
  paint();
  const int composed = window_->composeCount();
  key(Qt::Key_PageUp);  // the first map view is the oldest reachable
  EXPECT_EQ(session().history.count, 2);
  EXPECT_FALSE(window_->recomposePending());
  paint();
  EXPECT_EQ(window_->composeCount(), composed);
  key(Qt::Key_Home);
  EXPECT_EQ(session().history.count, 1);
  EXPECT_TRUE(window_->recomposePending());
  EXPECT_EQ(beeps_, 0);
}

TEST_F(LoadedWindowTest, ALetterBetweenAViewChangeAndItsPaintCancelsTheComposition) {
  openWholeCityMap();
  const int composed = window_->composeCount();
  const QImage before = map().frame().copy();
  character('+');
  ASSERT_TRUE(window_->recomposePending());
  key(Qt::Key_A, QStringLiteral("a"));
  EXPECT_FALSE(window_->recomposePending());
  paint();
  EXPECT_EQ(window_->composeCount(), composed);
  EXPECT_EQ(map().frame(), before);
  // The view change stays in the history; "Освежить" shows it.
  EXPECT_EQ(session().history.count, 3);
  window_->command(ids::kRefresh);
  paint();
  EXPECT_EQ(window_->composeCount(), composed + 1);
}

TEST_F(LoadedWindowTest, ZoomingOutBeyondTheWholeCityBeepsAndChangesNothing) {
  openWholeCityMap();
  character('-');
  EXPECT_EQ(beeps_, 1);
  character('/');
  EXPECT_EQ(beeps_, 2);
  EXPECT_EQ(session().history.count, 2);
  EXPECT_FALSE(window_->recomposePending());
  // From a zoomed-in view zooming out is accepted, without a beep.
  character('*');
  character('*');
  paint();
  const int count = session().history.count;
  character('-');
  EXPECT_EQ(session().history.count, count + 1);
  EXPECT_TRUE(window_->recomposePending());
  EXPECT_EQ(beeps_, 2);
}

TEST_F(LoadedWindowTest, ZoomingOutOnTheTitleSheetOpensTheWholeCityMap) {
  for (char c : {'-', '/'}) {
    key(Qt::Key_Home);
    paint();
    ASSERT_EQ(session().history.count, 1);
    character(c);
    EXPECT_EQ(beeps_, 0) << c;
    EXPECT_EQ(session().history.count, 2) << c;
    EXPECT_TRUE(window_->recomposePending()) << c;
    paint();
  }
}

TEST_F(LoadedWindowTest, ArrowsPanByHalfTheViewAndStayInsideTheCity) {
  openWholeCityMap();
  character('*');
  character('*');
  paint();
  const ViewState v = session().view;
  const float w = v.viewYMax - v.viewYMin;
  key(Qt::Key_Right);
  MapBounds r = session().history.last();
  EXPECT_NEAR(r.yMax - r.yMin, w, 0.5f);
  EXPECT_NEAR(r.yMin, v.viewYMin + w / 2, 0.5f);
  EXPECT_TRUE(window_->recomposePending());
  paint();
  // Pressed again and again, the view stops at the east edge of the city.
  for (int i = 0; i < 20; ++i) {
    key(Qt::Key_Right);
    paint();
  }
  r = session().history.last();
  EXPECT_LE(r.yMax, session().history.entry(0).yMax + 0.01f);
  EXPECT_GE(r.yMax, session().history.entry(0).yMax - 1.0f);
}

TEST_F(LoadedWindowTest, AutoRepeatedKeysAreIgnored) {
  openWholeCityMap();
  character('*');
  paint();
  const int count = session().history.count;
  key(Qt::Key_Left, {}, /*autoRepeat=*/true);
  key(Qt::Key_PageUp, {}, /*autoRepeat=*/true);
  EXPECT_EQ(session().history.count, count);
  EXPECT_FALSE(window_->recomposePending());
  key(Qt::Key_Left);
  EXPECT_EQ(session().history.count, count + 1);
  // A held "/" zooms out once; the other zoom characters zoom on every repeat.
  paint();
  key(Qt::Key_Slash, QStringLiteral("/"));
  EXPECT_EQ(session().history.count, count + 2);
  paint();
  key(Qt::Key_Slash, QStringLiteral("/"), /*autoRepeat=*/true);
  key(Qt::Key_Slash, QStringLiteral("/"), /*autoRepeat=*/true);
  EXPECT_EQ(session().history.count, count + 2);
  key(Qt::Key_Plus, QStringLiteral("+"), /*autoRepeat=*/true);
  key(Qt::Key_Plus, QStringLiteral("+"), /*autoRepeat=*/true);
  EXPECT_EQ(session().history.count, count + 4);
}

TEST_F(LoadedWindowTest, ViewModeOnTheTitleSheetChangesStylesAndCheckMarkWithoutComposing) {
  ASSERT_TRUE(window_->action(ids::kViewClockWindows)->isChecked());
  window_->command(ids::kViewNight);
  EXPECT_EQ(window_->viewMode(), ids::kViewNight);
  EXPECT_EQ(session().styles.palette, 1);
  EXPECT_TRUE(window_->action(ids::kViewNight)->isChecked());
  EXPECT_FALSE(window_->action(ids::kViewClockWindows)->isChecked());
  EXPECT_FALSE(window_->recomposePending());
  openWholeCityMap();
  window_->command(ids::kViewFlat);
  EXPECT_EQ(session().styles.palette, 0);
  EXPECT_TRUE(window_->recomposePending());
  int checked = 0;
  for (int id : {ids::kViewGraphic, ids::kViewFlat, ids::kViewClockWindows, ids::kViewNewYear,
                 ids::kViewPowerCut, ids::kViewWideWindows, ids::kViewFrame, ids::kViewNight}) {
    checked += window_->action(id)->isChecked() ? 1 : 0;
  }
  EXPECT_EQ(checked, 1);
}

TEST_F(LoadedWindowTest, NightViewWritesTheScaleCaptionInWhite) {
  openWholeCityMap();
  window_->command(ids::kViewNight);
  paint();
  const QImage caption = map().frame().copy(12, 10, 120, 16);
  bool white = false;
  for (int y = 0; y < caption.height() && !white; ++y) {
    for (int x = 0; x < caption.width() && !white; ++x) {
      white = qRed(caption.pixel(x, y)) > 240 && qGreen(caption.pixel(x, y)) > 240 &&
              qBlue(caption.pixel(x, y)) > 240;
    }
  }
  EXPECT_TRUE(white);
}

TEST_F(LoadedWindowTest, ResizingRemakesTheFrameAndComposesItEvenAfterACancellingKey) {
  openWholeCityMap();
  const int composed = window_->composeCount();
  window_->resize(1100, 820);
  ASSERT_TRUE(waitFor([this] { return map().size().width() > 900; }));
  key(Qt::Key_A, QStringLiteral("a"));  // would cancel a pending composition
  paint();
  EXPECT_EQ(map().frame().size(), map().size());
  EXPECT_GT(window_->composeCount(), composed);
  // Nothing of the button-face fill of the new frame is left at its far corner
  // inside the map area.
  const QImage& f = map().frame();
  EXPECT_NE(f.pixel(f.width() - 6, f.height() - 6), qRgb(240, 240, 240));
}

TEST_F(LoadedWindowTest, AFlashStaysTwoSecondsAndGoesWithoutAComposition) {
  openWholeCityMap();
  int flashes = 0;
  window_->setFlashPainter([&flashes](MapSession& session, Canvas& dc) {
    EXPECT_EQ(session.marking.nameFlash, (NameFlash{NameFlash::Source::Microdistrict, 0}));
    EXPECT_FALSE(session.marking.districtFlash);
    ++flashes;
    dc.fillRect({0, 0, 10, 10}, Brush{BrushStyle::Solid, {255, 0, 0}});
  });
  session().marking.pendingNameFlash = NameFlash{NameFlash::Source::Microdistrict, 0};
  window_->requestRecompose();
  paint();
  EXPECT_TRUE(window_->flashShown());
  EXPECT_FALSE(session().marking.pendingNameFlash);
  EXPECT_TRUE(window_->flashTimer().isActive());
  EXPECT_EQ(window_->flashTimer().interval(), 2000);
  EXPECT_EQ(flashes, 1);
  const int composed = window_->composeCount();
  QElapsedTimer elapsed;
  elapsed.start();
  ASSERT_TRUE(waitFor([this] { return !window_->flashShown(); }, 5000));
  EXPECT_GE(elapsed.elapsed(), 1500);
  paint();
  EXPECT_EQ(flashes, 1);
  EXPECT_EQ(window_->composeCount(), composed);
}

TEST(MissingMapTest, AMissingBaseMapIsReportedWithFileAndFolder) {
  TinyCityFolder folder;
  folder.remove("3.tkm");
  MainWindow window(folder.path());
  QString message;
  window.setFatalHandler([&message](const QString& m) { message = m; });
  window.show();
  ASSERT_TRUE(waitFor([&message] { return !message.isEmpty(); }));
  EXPECT_TRUE(message.contains(QStringLiteral("3.tkm"))) << message.toStdString();
  EXPECT_TRUE(message.contains(QString::fromStdString(folder.path().filename().string())));
  EXPECT_EQ(window.composeCount(), 0);
  QCoreApplication::processEvents();
  EXPECT_EQ(window.composeCount(), 0);
}

}  // namespace
}  // namespace tikhomap
