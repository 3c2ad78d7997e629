// The rest of the shell driven as a person would: "Состав схемы" with its
// focus rules, the tools palette, the overview inset on its key, About, the
// help window with F1, and "Выход" with tool windows open.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QShortcut>
#include <QSignalSpy>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTimer>
#include <QToolButton>
#include <QWindow>
#include <cstdio>
#include <functional>
#include <map>

#include "app/about_dialog.h"
#include "app/help_window.h"
#include "app/layer_dialog.h"
#include "app/map_folders.h"
#include "app/overview_inset.h"
#include "app/shell_commands.h"
#include "app/tools_palette.h"
#include "resources/command_ids.h"
#include "tests/app/mouse_test_fixture.h"

namespace tikhomap::testing {
namespace {

template <typename W>
W* byId(QWidget& parent, int id) {
  return parent.findChild<W*>(QString::number(id));
}

// ---- "Состав схемы" ---------------------------------------------------------

class LayerDialogTest : public ::testing::Test {
 protected:
  void open() {
    dialog_ = std::make_unique<LayerDialog>(choices_, nullptr);
    dialog_->show();
    dialog_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog_.get()));
  }
  QRadioButton* radio(int id) { return byId<QRadioButton>(*dialog_, id); }
  QCheckBox* box(int id) { return byId<QCheckBox>(*dialog_, id); }

  LayerChoices choices_;
  std::unique_ptr<LayerDialog> dialog_;
};

TEST_F(LayerDialogTest, OpensWithTheStoredChoicesAndTheFocusOnOk) {
  choices_.streetLabelChoice = 0;
  choices_.buildingChoice = 2;
  choices_.houseNumberChoice = 1;
  choices_.colouredHouses = 0;
  choices_.showShadows = 1;
  choices_.showDistrictBorders = 1;
  open();
  EXPECT_EQ(dialog_->objectName(), QStringLiteral("271"));
  EXPECT_EQ(dialog_->windowTitle(), QStringLiteral("Состав схемы"));
  EXPECT_EQ(QApplication::focusWidget(), byId<QPushButton>(*dialog_, 1));
  const std::pair<int, bool> expected[] = {{1162, true},  {1163, false}, {1164, false},
                                           {1159, false}, {1160, false}, {1161, true},
                                           {1165, false}, {1166, true},  {1167, false}};
  for (const auto& [id, checked] : expected) EXPECT_EQ(radio(id)->isChecked(), checked) << id;
  EXPECT_FALSE(box(1252)->isChecked());
  EXPECT_TRUE(box(1253)->isChecked());
  EXPECT_TRUE(box(1254)->isChecked());
  // Opening and closing at once changes nothing.
  const LayerChoices before = choices_;
  dialog_->accept();
  EXPECT_EQ(choices_.streetLabelChoice, before.streetLabelChoice);
  EXPECT_EQ(choices_.buildingChoice, before.buildingChoice);
  EXPECT_EQ(choices_.houseNumberChoice, before.houseNumberChoice);
  EXPECT_EQ(choices_.colouredHouses, before.colouredHouses);
}

TEST_F(LayerDialogTest, TabbingVisitsTheCheckedButtonsTheBoxesAndOkAndNeverChangesAChoice) {
  open();
  QSet<QWidget*> visited;
  for (int i = 0; i < 12; ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    visited.insert(QApplication::focusWidget());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    visited.insert(QApplication::focusWidget());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  }
  const QSet<QWidget*> stops{radio(1164),
                             radio(1160),
                             radio(1167),
                             box(1252),
                             box(1253),
                             box(1254),
                             byId<QPushButton>(*dialog_, 1)};
  EXPECT_EQ(visited, stops);
  dialog_->accept();
  EXPECT_EQ(choices_.streetLabelChoice, 2);
  EXPECT_EQ(choices_.buildingChoice, 1);
  EXPECT_EQ(choices_.houseNumberChoice, 2);
}

TEST_F(LayerDialogTest, ArrowKeysChooseWithinAGroupReachedByTab) {
  open();
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);  // from OK round to the first group
  ASSERT_EQ(QApplication::focusWidget(), radio(1164));        // "отбор", the checked one
  QTest::keyClick(radio(1164), Qt::Key_Down);                 // round to "нет"
  EXPECT_TRUE(radio(1162)->hasFocus());
  QTest::keyClick(radio(1162), Qt::Key_Right);
  EXPECT_TRUE(radio(1163)->isChecked());
  EXPECT_FALSE(radio(1164)->isChecked());
  QTest::keyClick(radio(1163), Qt::Key_Tab);
  ASSERT_EQ(QApplication::focusWidget(), radio(1160));
  QTest::keyClick(radio(1160), Qt::Key_Up);
  EXPECT_TRUE(radio(1159)->isChecked());
  // The newly checked button is the group's tab stop now.
  QTest::keyClick(radio(1159), Qt::Key_Backtab);
  EXPECT_EQ(QApplication::focusWidget(), radio(1163));
  QTest::keyClick(radio(1163), Qt::Key_Escape);
  EXPECT_EQ(choices_.streetLabelChoice, 1);
  EXPECT_EQ(choices_.buildingChoice, 0);
  EXPECT_EQ(choices_.houseNumberChoice, 2);
}

TEST_F(LayerDialogTest, AButtonThatGetsTheFocusIsCheckedAloneInItsGroup) {
  open();
  QTest::mouseClick(radio(1159), Qt::LeftButton);  // buildings "нет"
  EXPECT_TRUE(radio(1159)->isChecked());
  EXPECT_FALSE(radio(1160)->isChecked());
  EXPECT_FALSE(radio(1161)->isChecked());
  // A second click on the focused button leaves it checked.
  QTest::mouseClick(radio(1159), Qt::LeftButton);
  EXPECT_TRUE(radio(1159)->isChecked());
  // The focus moving on does not uncheck it; other groups keep theirs.
  QTest::mouseClick(radio(1167), Qt::LeftButton);
  EXPECT_TRUE(radio(1159)->isChecked());
  EXPECT_TRUE(radio(1167)->isChecked());
  EXPECT_FALSE(radio(1166)->isChecked());
  EXPECT_TRUE(radio(1164)->isChecked());
}

TEST_F(LayerDialogTest, EscAndTheCloseBoxStoreTheChoicesLikeOk) {
  open();
  QTest::mouseClick(radio(1162), Qt::LeftButton);
  QTest::mouseClick(radio(1161), Qt::LeftButton);
  QTest::mouseClick(box(1254), Qt::LeftButton);
  QTest::keyClick(dialog_.get(), Qt::Key_Escape);
  EXPECT_FALSE(dialog_->isVisible());
  EXPECT_EQ(choices_.streetLabelChoice, 0);
  EXPECT_EQ(choices_.buildingChoice, 2);
  EXPECT_EQ(choices_.showDistrictBorders, 1);

  open();
  EXPECT_TRUE(radio(1161)->isChecked());
  QTest::mouseClick(radio(1165), Qt::LeftButton);
  QTest::mouseClick(box(1253), Qt::LeftButton);
  QCloseEvent close;
  QApplication::sendEvent(dialog_.get(), &close);
  EXPECT_FALSE(dialog_->isVisible());
  EXPECT_EQ(choices_.houseNumberChoice, 0);
  EXPECT_EQ(choices_.showShadows, 0);
  EXPECT_EQ(choices_.buildingChoice, 2);
}

// ---- the shell in a window -------------------------------------------------

class ShellTest : public MouseWindowTest {
 protected:
  void SetUp() override {
    MouseWindowTest::SetUp();
    if (HasFatalFailure()) return;
    installShellCommands(*window_, mouse());
    installMapFolders(*window_, mouse());
    streetSearches_ = 0;
    window_->setCommandHandler(ids::kStreetSearch, [this] { ++streetSearches_; });
  }
  void TearDown() override {
    // Windows of one test never reach the next.
    for (QWidget* top : QApplication::topLevelWidgets()) {
      if (top != window_.get() && top->isVisible()) top->hide();
    }
  }
  ToolsPalette* palette() { return openPalette(*window_); }
  void settle() { QCoreApplication::processEvents(); }
  // Runs fn once the modal loop of a dialog has started, then closes it.
  static void whenModal(const std::function<void(QWidget&)>& fn) {
    QTimer::singleShot(0, [fn] {
      QWidget* modal = QApplication::activeModalWidget();
      ASSERT_NE(modal, nullptr);
      fn(*modal);
    });
  }

  int streetSearches_ = 0;
};

TEST_F(ShellTest, LayerDialogCommandStoresAndRecomposes) {
  showMap();
  const int composed = window_->composeCount();
  whenModal([](QWidget& dialog) {
    EXPECT_EQ(dialog.objectName(), QStringLiteral("271"));
    EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog));
    QTest::mouseClick(byId<QRadioButton>(dialog, 1159), Qt::LeftButton);
    QTest::keyClick(&dialog, Qt::Key_Escape);
  });
  window_->command(ids::kLayerDialog);
  EXPECT_EQ(session().layers.buildingChoice, 0);
  EXPECT_TRUE(window_->recomposePending());
  paint();
  EXPECT_EQ(window_->composeCount(), composed + 1);
}

TEST_F(ShellTest, PaletteOpensAtTheMapsRightEdgeWithTheArrowPushed) {
  showMap();
  QAction* item = window_->action(ids::kToolsPalette);
  item->trigger();
  ASSERT_NE(palette(), nullptr);
  EXPECT_TRUE(item->isChecked());
  EXPECT_EQ(palette()->objectName(), QStringLiteral("266"));
  EXPECT_EQ(palette()->pos(),
            map().mapToGlobal(QPoint(session().view.viewRight - 40, session().view.viewTop + 44)));
  EXPECT_TRUE(palette()->button(kPaletteArrow)->isChecked());
  for (int id : {kPaletteZoomOut, kPaletteZoomRect, kPalettePan}) {
    EXPECT_FALSE(palette()->button(id)->isChecked()) << id;
  }
  // Top to bottom: arrow, zoom out, zoom rectangle, pan, search.
  int y = -1;
  for (int id : {kPaletteArrow, kPaletteZoomOut, kPaletteZoomRect, kPalettePan, kPaletteSearch}) {
    EXPECT_GT(palette()->button(id)->y(), y) << id;
    y = palette()->button(id)->y();
  }
  // The keys stay with the map.
  settle();
  EXPECT_TRUE(map().hasFocus() || !window_->isActiveWindow());
  EXPECT_EQ(palette()->button(kPaletteArrow)->focusPolicy(), Qt::NoFocus);
}

TEST_F(ShellTest, PaletteButtonsSetTheToolAndItsCursorAndPushOnlyThemselves) {
  showMap();
  window_->command(ids::kToolsPalette);
  ASSERT_NE(palette(), nullptr);
  const std::tuple<int, int, MapCursor> rows[] = {
      {kPaletteZoomOut, kToolZoomOut, MapCursor::ZoomOut},
      {kPaletteZoomRect, kToolZoomRect, MapCursor::ZoomIn},
      {kPalettePan, kToolPan, MapCursor::Pan},
      {kPaletteArrow, kToolArrow, MapCursor::Arrow}};
  for (const auto& [id, mode, cursor] : rows) {
    palette()->button(id)->click();
    EXPECT_EQ(mouse().toolMode(), mode) << id;
    EXPECT_EQ(mouse().cursorShape(), cursor) << id;
    EXPECT_EQ(map().cursor().shape(), mapCursor(cursor).shape()) << id;
    for (int other : {kPaletteArrow, kPaletteZoomOut, kPaletteZoomRect, kPalettePan}) {
      EXPECT_EQ(palette()->button(other)->isChecked(), other == id) << id << " " << other;
    }
    // A second click on the pushed button keeps it pushed.
    palette()->button(id)->click();
    EXPECT_TRUE(palette()->button(id)->isChecked()) << id;
  }
}

TEST_F(ShellTest, SearchButtonOpensTheStreetSearchAndKeepsTheTool) {
  showMap();
  window_->command(ids::kToolsPalette);
  palette()->button(kPalettePan)->click();
  palette()->button(kPaletteSearch)->click();
  ASSERT_TRUE(waitFor([this] { return streetSearches_ == 1; }, 2000));
  EXPECT_EQ(mouse().toolMode(), kToolPan);
  EXPECT_TRUE(palette()->button(kPalettePan)->isChecked());
}

TEST_F(ShellTest, ClosingThePaletteLeavesNoToolAndReopeningPushesNoButton) {
  showMap();
  QAction* item = window_->action(ids::kToolsPalette);
  window_->command(ids::kToolsPalette);
  palette()->button(kPaletteZoomRect)->click();
  // Esc in the palette asks the main window to close it.
  QTest::keyClick(palette(), Qt::Key_Escape);
  EXPECT_NE(palette(), nullptr);
  ASSERT_TRUE(waitFor([this] { return palette() == nullptr; }, 2000));
  EXPECT_FALSE(item->isChecked());
  EXPECT_EQ(mouse().toolMode(), kToolClosed);
  EXPECT_EQ(mouse().cursorShape(), MapCursor::Arrow);

  item->trigger();
  ASSERT_NE(palette(), nullptr);
  EXPECT_TRUE(item->isChecked());
  for (int id : {kPaletteArrow, kPaletteZoomOut, kPaletteZoomRect, kPalettePan}) {
    EXPECT_FALSE(palette()->button(id)->isChecked()) << id;
  }
  // With no tool the map answers a press as with the arrow: a building opens.
  const Building& b = session().map.buildings[0];
  showRect(b.bounds.xMin - 100, b.bounds.yMin - 100, b.bounds.xMax + 100, b.bounds.yMax + 100);
  click(pixelOf((b.bounds.xMin + b.bounds.xMax) / 2, (b.bounds.yMin + b.bounds.yMax) / 2));
  EXPECT_EQ(dialogs_.size(), 1u);

  // The close box closes it the same way.
  QCloseEvent close;
  QApplication::sendEvent(palette(), &close);
  ASSERT_TRUE(waitFor([this] { return palette() == nullptr; }, 2000));
  EXPECT_FALSE(item->isChecked());
}

TEST_F(ShellTest, ToolsItemIsCheckedOnlyWithAPaletteBehindIt) {
  // A window whose palette command is not connected: the click on the item
  // must not leave a mark.
  MainWindow bare(folder_.path());
  bare.setFatalHandler([](const QString&) {});
  QAction* item = bare.action(ids::kToolsPalette);
  item->trigger();
  EXPECT_FALSE(item->isChecked());
  EXPECT_EQ(openPalette(bare), nullptr);
}

TEST_F(ShellTest, ThePaletteNeverTakesTheKeyboardAndPassesKeysToTheMap) {
  const MapBounds city = session().history.entry(0);
  const float cx = (city.xMin + city.xMax) / 2;
  const float cy = (city.yMin + city.yMax) / 2;
  showRect(cx - 100, cy - 100, cx + 100, cy + 100);
  window_->command(ids::kToolsPalette);
  ASSERT_NE(palette(), nullptr);
  EXPECT_TRUE(palette()->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
  palette()->button(kPalettePan)->click();
  // A platform that gives the palette the keys after a click: they zoom and
  // pan the map all the same, and the tool stays.
  const int count = session().history.count;
  const MapBounds before = session().history.last();
  QTest::keyClick(palette(), Qt::Key_Minus, Qt::NoModifier);
  ASSERT_EQ(session().history.count, count + 1);
  EXPECT_GT(session().history.last().yMax - session().history.last().yMin,
            before.yMax - before.yMin);
  paint();
  QTest::keyClick(palette(), Qt::Key_Left);
  EXPECT_EQ(session().history.count, count + 2);
  EXPECT_EQ(mouse().toolMode(), kToolPan);
  EXPECT_NE(palette(), nullptr);
}

// ---- the overview inset ------------------------------------------------------

TEST(OverviewMarksTest, WholeCitySpansThePictureFromItsWestOffset) {
  const MapBounds city{0, 0, 6000, 10400};
  const QSize picture(400, 240);
  const OverviewMarks m = overviewMarks(city, city, picture);
  // 10000 m across 400 pixels: 25 m a pixel; the west edge lies 400 m
  // (16 pixels) left of the picture's start.
  EXPECT_EQ(m.west, -2);
  EXPECT_EQ(m.east, 414);
  EXPECT_EQ(m.north, 14);
  EXPECT_EQ(m.south, 254);
  EXPECT_FALSE(m.pointer);
}

TEST(OverviewMarksTest, SmallViewGetsThePointerToItsLeft) {
  const MapBounds city{0, 0, 6000, 10400};
  // 300 m across: 12 pixels.
  const MapBounds view{3000, 5000, 3200, 5300};
  const OverviewMarks m = overviewMarks(city, view, QSize(400, 240));
  EXPECT_EQ(m.west, 14 + (5000 - 400) / 25);
  EXPECT_EQ(m.east, 14 + (5300 - 400) / 25);
  EXPECT_EQ(m.north, 240 - 3200 / 25 + 14);
  EXPECT_EQ(m.south, 240 - 3000 / 25 + 14);
  EXPECT_TRUE(m.pointer);
  EXPECT_EQ(m.pointerAt, QPoint(m.west - 34, (m.north + m.south) / 2 - 12));
  // 20 pixels across is wide enough.
  const MapBounds wider{3000, 5000, 3200, 5500};
  EXPECT_FALSE(overviewMarks(city, wider, QSize(400, 240)).pointer);
}

TEST(OverviewMarksTest, PictureFollowsTheCitysShape) {
  EXPECT_EQ(overviewPictureSize(MapBounds{0, 0, 6000, 6400}), QSize(240, 240));
  EXPECT_EQ(overviewPictureSize(MapBounds{0, 0, 1000, 40400}), QSize(480, 240));
  EXPECT_EQ(overviewPictureSize(MapBounds{0, 0, 40000, 1400}), QSize(80, 240));
  // A city no wider than the offset draws only sea, and nothing breaks.
  const QImage empty =
      renderOverviewPicture(MapData{}, MapBounds{0, 0, 100, 300}, QSize(80, 240), 2);
  EXPECT_EQ(empty.size(), QSize(160, 480));
}

TEST(OverviewMarksTest, AnInlandCityLiesInLandNotInSea) {
  MapData coastal;
  const MapBounds city{0, 0, 6000, 6400};
  EXPECT_EQ(renderOverviewPicture(coastal, city, QSize(240, 240), 1).pixel(0, 0),
            qRgb(150, 230, 255));
  MapData inland;
  inland.city.coast = false;
  EXPECT_EQ(renderOverviewPicture(inland, city, QSize(240, 240), 1).pixel(0, 0),
            qRgb(208, 217, 186));
}

class OverviewTest : public ShellTest {
 protected:
  OverviewInset& inset() { return *window_->findChild<OverviewInset*>(); }
  static QKeyEvent key(QEvent::Type type, Qt::Key k, const QString& text, quint32 scanCode,
                       quint32 virtualKey) {
    return QKeyEvent(type, k, Qt::NoModifier, scanCode, virtualKey, 0, text);
  }
  void sendKey(QKeyEvent event) { QCoreApplication::sendEvent(&map(), &event); }
  QImage shot() { return map().grab().toImage().convertToFormat(QImage::Format_RGB32); }
};

TEST_F(OverviewTest, HeldKeyShowsTheCityPictureAndTheReleaseRemovesIt) {
  showMap();
  const QImage before = shot();
  keyDown(Qt::Key_Slash);
  EXPECT_TRUE(inset().shown());
  paint();
  const QImage with = shot();
  const QImage picture = inset().picture();
  const QPoint inside(14 + picture.width() / 3, 14 + picture.height() / 3);
  EXPECT_EQ(with.pixel(inside), picture.pixel(inside - QPoint(14, 14)));
  // The frame itself is untouched; the release copies it back.
  keyUp(Qt::Key_Slash);
  EXPECT_FALSE(inset().shown());
  paint();
  EXPECT_EQ(shot().pixel(inside), before.pixel(inside));
}

TEST_F(OverviewTest, AnotherWindowTakingTheKeyboardRemovesTheInset) {
  // The key comes up in the other window; the map never sees the release.
  showMap();
  window_->activateWindow();
  ASSERT_TRUE(
      waitFor([this] { return QGuiApplication::focusWindow() == window_->windowHandle(); }));
  keyDown(Qt::Key_Slash);
  ASSERT_TRUE(inset().shown());
  QWidget other;
  other.resize(100, 100);
  other.show();
  other.activateWindow();
  ASSERT_TRUE(waitFor([&other] { return QGuiApplication::focusWindow() == other.windowHandle(); }));
  EXPECT_FALSE(inset().shown());
}

TEST_F(OverviewTest, ThePictureIsDrawnWhenTheMapIsRead) {
  MainWindow fresh(folder_.path());
  fresh.setFatalHandler([](const QString&) {});
  installShellCommands(fresh, installMouseController(fresh));
  auto* freshInset = fresh.findChild<OverviewInset*>();
  fresh.resize(600, 400);
  fresh.show();
  ASSERT_TRUE(waitFor([&fresh] { return fresh.session().baseMapLoaded(); }));
  ASSERT_FALSE(freshInset->picture().isNull());
  // Land is drawn where the city is: the picture is not all sea.
  const QImage picture = freshInset->picture();
  const QRgb sea = picture.pixel(0, 0);
  int other = 0;
  for (int y = 0; y < picture.height(); y += 4) {
    for (int x = 0; x < picture.width(); x += 4) other += picture.pixel(x, y) != sea;
  }
  EXPECT_GT(other, 10);
}

TEST_F(OverviewTest, ReleaseRemovesTheInsetInEveryToolMode) {
  showMap();
  for (int mode : {kToolClosed, kToolZoomOut, kToolZoomRect, kToolPan, kToolArrow}) {
    mouse().setToolMode(mode);
    keyDown(Qt::Key_Slash);
    ASSERT_TRUE(inset().shown()) << mode;
    keyUp(Qt::Key_Slash);
    EXPECT_FALSE(inset().shown()) << mode;
    EXPECT_EQ(mouse().toolMode(), mode);
  }
  // A palette tool keeps its cursor through the release.
  mouse().setToolMode(kToolPan);
  keyDown(Qt::Key_Slash);
  keyUp(Qt::Key_Slash);
  EXPECT_EQ(mouse().cursorShape(), MapCursor::Pan);
}

TEST_F(OverviewTest, MarksFollowTheShownView) {
  showMap();
  keyDown(Qt::Key_Slash);
  const OverviewMarks whole = inset().marks();
  const QSize size = inset().picture().deviceIndependentSize().toSize();
  EXPECT_LE(whole.west, 14);
  EXPECT_GE(whole.east, 14 + size.width() - 1);
  EXPECT_FALSE(whole.pointer);
  keyUp(Qt::Key_Slash);

  const MapBounds city = session().history.entry(0);
  const float cx = (city.xMin + city.xMax) / 2;
  const float cy = (city.yMin + city.yMax) / 2;
  showRect(cx - 20, cy - 20, cx + 20, cy + 20);
  keyDown(Qt::Key_Slash);
  paint();
  const OverviewMarks small = inset().marks();
  EXPECT_TRUE(small.pointer);
  EXPECT_LT(small.east - small.west, 20);
  // The red frame of the view lies on the picture where its centre is.
  const QImage image = shot();
  const QRgb red = qRgb(255, 0, 0);
  bool found = false;
  for (int x = small.west - 1; x <= small.east + 1 && !found; ++x) {
    for (int y = small.north - 1; y <= small.south + 1 && !found; ++y) {
      found = image.pixel(x, y) == red;
    }
  }
  EXPECT_TRUE(found);
  keyUp(Qt::Key_Slash);
}

#if !defined(Q_OS_WIN) && !defined(Q_OS_MACOS)
TEST_F(OverviewTest, TheKeyIsKnownByItsPlaceNotByItsCharacter) {
  showMap();
  // A Russian layout types "." on that key; the overview still shows.
  sendKey(key(QEvent::KeyPress, Qt::Key_Period, QStringLiteral("."), 61, 0x2e));
  EXPECT_TRUE(inset().shown());
  sendKey(key(QEvent::KeyRelease, Qt::Key_Period, QStringLiteral("."), 61, 0x2e));
  EXPECT_FALSE(inset().shown());
  // The "/" of the numeric pad is another key.
  sendKey(key(QEvent::KeyPress, Qt::Key_Slash, QStringLiteral("/"), 106, 0xffaf));
  EXPECT_FALSE(inset().shown());
}
#endif

// ---- clicking what you see ------------------------------------------------------

class DrawnClickTest : public MouseWindowTest {
 protected:
  static Building block(float xMin, float yMin, float xMax, float yMax, int16_t floors,
                        const char* number) {
    Building b;
    b.floors = floors;
    b.purpose = 411;
    b.x = static_cast<uint16_t>((xMin + xMax) / 2);
    b.y = static_cast<uint16_t>((yMin + yMax) / 2);
    b.houseNumber = number;
    b.outline = {{xMin, yMin}, {xMax, yMin}, {xMax, yMax}, {xMin, yMax}, {xMin, yMin}};
    b.pointCount = static_cast<int16_t>(b.outline.size());
    b.bounds = {xMin, yMin, xMax, yMax};
    return b;
  }
  // A low house and, south of it, a 16-storey block whose lifted roof lies
  // over the house's footprint.
  void SetUp() override {
    MouseWindowTest::SetUp();
    if (HasFatalFailure()) return;
    session().map.buildings = {block(1530, 1470, 1545, 1530, 1, "1"),
                               block(1500, 1495, 1525, 1535, 16, "2")};
    showRect(1450, 1420, 1600, 1610);
  }
  std::string opened(QPoint at) {
    dialogs_.clear();
    click(at);
    return dialogs_.empty() ? std::string() : dialogs_.back().address;
  }
};

TEST_F(DrawnClickTest, StandingViewsOpenTheBlockInFrontFlatViewsTheFootprint) {
  const QPoint onHouse = pixelOf(1538, 1515);
  window_->command(ids::kViewFlat);
  paint();
  EXPECT_EQ(opened(onHouse), ", 1");
  for (int mode : {ids::kViewClockWindows, ids::kViewFrame}) {
    window_->command(mode);
    paint();
    ASSERT_GT(session().cache.storeyHeight, 0);
    // 16 storeys stand far above the house: the roof is what is seen there.
    EXPECT_EQ(opened(onHouse), ", 2") << mode;
    // Beside the block the house is seen.
    EXPECT_EQ(opened(pixelOf(1538, 1480)), ", 1") << mode;
  }
  // With no buildings drawn the footprint rule holds again.
  session().layers.buildingChoice = 0;
  window_->requestRecompose();
  paint();
  EXPECT_EQ(opened(onHouse), ", 1");
}

// ---- About, help and the way out ------------------------------------------------

TEST(AboutTest, ShowsTheIconTheNameAndClosesWithOk) {
  const auto dialog = makeAboutDialog(nullptr);
  EXPECT_EQ(dialog->objectName(), QStringLiteral("215"));
  EXPECT_EQ(dialog->windowTitle(), QStringLiteral("About"));
  auto* icon = byId<QLabel>(*dialog, 300);
  ASSERT_NE(icon, nullptr);
  EXPECT_FALSE(icon->pixmap().isNull());
  QStringList texts;
  for (const QLabel* label : dialog->findChildren<QLabel*>()) texts << label->text();
  EXPECT_TRUE(texts.contains(QStringLiteral("Тихоморск. Адресный план города")));
  EXPECT_EQ(texts.filter(QStringLiteral("\n")).size(), 1);
  dialog->show();
  byId<QPushButton>(*dialog, 1)->click();
  EXPECT_EQ(dialog->result(), 1);
  EXPECT_FALSE(dialog->isVisible());
}

TEST_F(ShellTest, HelpOpensOnceWithItsTitleAndEveryContentsLinkLeadsSomewhere) {
  window_->command(ids::kHelp);
  HelpWindow* help = openHelpWindow(*window_);
  ASSERT_NE(help, nullptr);
  EXPECT_EQ(help->windowTitle(), QStringLiteral("Справка — Тихоморск"));
  window_->command(ids::kHelp);
  EXPECT_EQ(window_->findChildren<HelpWindow*>().size(), 1);

  QTextBrowser& browser = help->browser();
  const QString html = browser.document()->toHtml();
  ASSERT_TRUE(html.contains(QStringLiteral("Содержание")));
  int links = 0;
  const QRegularExpression link(QStringLiteral("href=\"#([a-z]+)\""));
  for (auto it = link.globalMatch(html); it.hasNext();) {
    const QString name = it.next().captured(1);
    EXPECT_TRUE(html.contains(QStringLiteral("name=\"%1\"").arg(name))) << name.toStdString();
    ++links;
  }
  EXPECT_GE(links, 12);
  // Following a link moves the view to its section.
  help->show();
  help->resize(500, 300);
  browser.setSource(QUrl(QStringLiteral("#print")));
  EXPECT_GT(browser.verticalScrollBar()->value(), 0);
}

TEST_F(ShellTest, TheHelpNamesEveryMenuCommandAndOnlyCommandsAndKeysThatExist) {
  QFile file(QStringLiteral(":/help/index.html"));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QString help = QString::fromUtf8(file.readAll());
  // The menus as the person sees them: each item's text without the key
  // shown beside it, and that key.
  const QRegularExpression keyAtEnd(QStringLiteral("\\s{2,}(F\\d+|Ctrl\\+\\w)$"));
  std::map<QString, std::vector<QString>> items;  // menu title -> item texts
  std::vector<std::pair<QString, QAction*>> keyed;
  std::function<void(QMenu&)> collect = [&](QMenu& menu) {
    const QString title = menu.title();
    for (QAction* a : menu.actions()) {
      if (a->isSeparator()) continue;
      QString text = a->text();
      if (const auto m = keyAtEnd.match(text); m.hasMatch()) {
        keyed.emplace_back(m.captured(1), a);
        text.chop(m.capturedLength(0));
      }
      items[title].push_back(text.simplified());
      if (a->menu() != nullptr) collect(*a->menu());
    }
  };
  for (QAction* a : window_->menuBar()->actions()) collect(*a->menu());
  ASSERT_GE(keyed.size(), 8u);

  // Every command of the menus is in the help.
  for (const auto& [menu, texts] : items) {
    for (const QString& text : texts) {
      EXPECT_TRUE(help.contains(QStringLiteral("«%1»").arg(text)))
          << menu.toStdString() << " / " << text.toStdString();
    }
  }
  // Every path «Menu» → «Item» the help names exists.
  const QRegularExpression path(QStringLiteral("«([^»]+)»(?:\\s*→\\s*«([^»]+)»)+"));
  int paths = 0;
  for (auto it = path.globalMatch(help); it.hasNext();) {
    const QString whole = it.next().captured(0);
    QStringList steps;
    for (auto s = QRegularExpression(QStringLiteral("«([^»]+)»")).globalMatch(whole);
         s.hasNext();) {
      steps << s.next().captured(1).simplified();
    }
    for (qsizetype i = 0; i + 1 < steps.size(); ++i) {
      const auto menu = items.find(steps[i]);
      ASSERT_NE(menu, items.end()) << whole.toStdString();
      EXPECT_NE(std::find(menu->second.begin(), menu->second.end(), steps[i + 1]),
                menu->second.end())
          << whole.toStdString();
    }
    ++paths;
  }
  EXPECT_GE(paths, 15);
  // Every key a menu item shows runs that item.
  const auto shortcutFor = [this](const QString& key) -> QShortcut* {
    for (QShortcut* s : window_->findChildren<QShortcut*>()) {
      if (s->key() == QKeySequence(key)) return s;
    }
    return nullptr;
  };
  for (const auto& [key, action] : keyed) {
    QShortcut* shortcut = shortcutFor(key);
    ASSERT_NE(shortcut, nullptr) << key.toStdString();
    EXPECT_EQ(shortcut->objectName(), QStringLiteral("key%1").arg(action->objectName()))
        << key.toStdString();
  }
  // Every function and control key the help's key table names is bound.
  const QRegularExpression helpKey(QStringLiteral("<td class=\"key\">(F\\d+|Ctrl\\+\\w)</td>"));
  int helpKeys = 0;
  for (auto it = helpKey.globalMatch(help); it.hasNext();) {
    const QString key = it.next().captured(1);
    EXPECT_NE(shortcutFor(key), nullptr) << key.toStdString();
    ++helpKeys;
  }
  EXPECT_GE(helpKeys, 8);
}

TEST_F(ShellTest, F1OpensTheHelp) {
  window_->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
  QTest::keyClick(window_.get(), Qt::Key_F1);
  EXPECT_NE(openHelpWindow(*window_), nullptr);
}

TEST_F(ShellTest, ExitClosesEveryWindowOfTheProgram) {
  showMap();
  window_->command(ids::kToolsPalette);
  window_->command(ids::kMeasure);
  window_->command(ids::kCoordinates);
  window_->command(ids::kHelp);
  settle();
  int open = 0;
  for (QWidget* top : QApplication::topLevelWidgets()) {
    if (top != window_.get() && top->isVisible()) ++open;
  }
  ASSERT_GE(open, 4);
  QSignalSpy closed(window_.get(), &MainWindow::closed);
  window_->command(ids::kExit);
  EXPECT_EQ(closed.count(), 1);
  for (QWidget* top : QApplication::topLevelWidgets()) {
    EXPECT_FALSE(top->isVisible()) << top->objectName().toStdString();
  }
  // What the closing windows posted does not open anything again.
  QCoreApplication::processEvents();
  QCoreApplication::processEvents();
  for (QWidget* top : QApplication::topLevelWidgets()) {
    EXPECT_FALSE(top->isVisible()) << top->objectName().toStdString();
  }
}

}  // namespace
}  // namespace tikhomap::testing
