// The monkey's invariants: they hold on a sound window and name each kind
// of broken state; and the whole program built as the entry point builds it
// answers every menu command.
#include <QAction>
#include <QApplication>
#include <QWindow>

#include "app/main_window.h"
#include "app/overview_inset.h"
#include "app/program.h"
#include "app/sun_window.h"
#include "app/tools_palette.h"
#include "resources/command_ids.h"
#include "tests/app/mouse_test_fixture.h"
#include "tests/monkey/monkey_driver.h"

namespace tikhomap::testing {
namespace {

class MonkeyInvariantsTest : public MouseWindowTest {
 protected:
  std::string broken() { return monkey::checkInvariants(*window_, mouse()); }
};

TEST_F(MonkeyInvariantsTest, HoldOnTheTitleSheetAndOnTheMap) {
  EXPECT_EQ(broken(), "");
  showRect(500, 500, 900, 900);
  EXPECT_EQ(broken(), "");
  session().marking.choose(0);
  session().marking.choose(4);
  session().marking.pendingDistrictFlash = 1;
  EXPECT_EQ(broken(), "");
}

TEST_F(MonkeyInvariantsTest, NameBrokenHistoryAndView) {
  showRect(500, 500, 900, 900);
  ViewHistory& h = session().history;
  const ViewHistory saved = h;
  h.xMax[h.count - 1] = 5000;  // beyond the city's 2000 m
  EXPECT_NE(broken().find("leaves the city"), std::string::npos) << broken();
  h = saved;
  h.count = 0;
  EXPECT_NE(broken().find("history count 0"), std::string::npos) << broken();
  h = saved;
  session().view.mmPerMetre = 0;
  EXPECT_NE(broken().find("scale"), std::string::npos) << broken();
}

TEST_F(MonkeyInvariantsTest, NameBrokenMarks) {
  MarkingState& m = session().marking;
  m.chosenBuildings = {1, 99};
  EXPECT_NE(broken().find("chosen row 99"), std::string::npos) << broken();
  m.chosenBuildings = {2, 2};
  EXPECT_NE(broken().find("chosen twice"), std::string::npos) << broken();
  m.chosenBuildings.clear();
  m.nameFlash = NameFlash{NameFlash::Source::Microdistrict, 7};
  EXPECT_NE(broken().find("name flash"), std::string::npos) << broken();
  m.nameFlash.reset();
  m.pendingDistrictFlash = -1;
  EXPECT_NE(broken().find("district flash"), std::string::npos) << broken();
}

TEST_F(MonkeyInvariantsTest, NameWindowsAndMarksOutOfStep) {
  window_->action(ids::kViewFlat)->setChecked(true);
  EXPECT_NE(broken().find("view mode"), std::string::npos) << broken();
  window_->action(ids::kViewFlat)->setChecked(false);
  window_->action(ids::kToolsPalette)->setChecked(true);
  EXPECT_NE(broken().find("palette"), std::string::npos) << broken();
  window_->action(ids::kToolsPalette)->setChecked(false);
  mouse().setToolMode(kToolPan);
  EXPECT_NE(broken().find("palette tool 3"), std::string::npos) << broken();
  mouse().setToolMode(kToolArrow);
  map().grabMouse();
  EXPECT_NE(broken().find("grabbed"), std::string::npos) << broken();
  map().releaseMouse();
  EXPECT_EQ(broken(), "");
}

// A driver that keeps its own time takes the flash pause over: the flash is
// shown at the next frame, no timer runs, and the driver ends it.
TEST_F(MonkeyInvariantsTest, TheFlashPauseRunsOnTheDriversTime) {
  int started = 0;
  window_->setFlashStarter([&started] { ++started; });
  showRect(500, 500, 900, 900);
  session().marking.pendingDistrictFlash = 1;
  window_->requestRecompose();
  paint();
  EXPECT_EQ(started, 1);
  EXPECT_TRUE(window_->flashShown());
  EXPECT_FALSE(window_->flashTimer().isActive());
  window_->endFlash();
  EXPECT_FALSE(window_->flashShown());
  window_->setFlashStarter(nullptr);
}

// The sun window opens on the date the real shadows are drawn for, when one
// is set, so that a run with a fixed date does not depend on today.
TEST_F(MonkeyInvariantsTest, TheSunWindowStartsOnTheSessionsSunDate) {
  session().sunDate = CivilDate{2031, 12, 21};
  SunWindow sun(*window_, std::make_shared<const BuildingBlocks>(session().map), 0);
  EXPECT_EQ(sun.date(), QDate(2031, 12, 21));
}

// The program as its entry point builds it: every menu command but "Выход"
// has its handler, and the window answers the command with something.
TEST(ProgramTest, InstallsEveryMenuCommand) {
  TinyCityFolder folder;
  MainWindow window(folder.path());
  window.setFatalHandler([](const QString&) {});
  installProgram(window);
  ASSERT_TRUE(showLoaded(window));
  // The palette opens and closes through its command, the marks follow.
  window.command(ids::kToolsPalette);
  EXPECT_NE(openPalette(window), nullptr);
  EXPECT_TRUE(window.action(ids::kToolsPalette)->isChecked());
  window.command(ids::kToolsPalette);
  EXPECT_EQ(openPalette(window), nullptr);
  window.command(ids::kRealShadows);
  EXPECT_TRUE(window.session().realShadows);
  EXPECT_TRUE(window.action(ids::kRealShadows)->isChecked());
}

// Shrunk from a monkey run: "/" with Ctrl and Shift while the quick search
// line holds the window's keyboard; the press goes past the line to the map,
// which shows the overview, and the release does not come to the map. The
// overview goes with it all the same.
TEST(ProgramTest, TheOverviewGoesWithAKeyReleaseThatMissesTheMap) {
  TinyCityFolder folder;
  MainWindow window(folder.path());
  window.setFatalHandler([](const QString&) {});
  installProgram(window);
  ASSERT_TRUE(showLoaded(window));
  auto* inset = window.findChild<OverviewInset*>();
  ASSERT_NE(inset, nullptr);
  window.command(ids::kQuickSearch);
  QWindow* handle = window.windowHandle();
  const Qt::KeyboardModifiers mods = Qt::ControlModifier | Qt::ShiftModifier;
  qt_handleKeyEvent(handle, QEvent::KeyPress, Qt::Key_Slash, mods, QStringLiteral("/"));
  ASSERT_TRUE(inset->shown());
  qt_handleKeyEvent(handle, QEvent::KeyRelease, Qt::Key_Slash, mods, QStringLiteral("/"));
  QCoreApplication::processEvents();
  EXPECT_FALSE(inset->shown());
}

}  // namespace
}  // namespace tikhomap::testing
