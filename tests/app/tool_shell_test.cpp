// A tool needs no main window: the wheel over a shell of the test's own,
// with the tiny city read and nothing composed.
#include <QWheelEvent>

#include "app/map_wheel.h"
#include "app/map_widget.h"
#include "app/shell.h"
#include "session/map_session.h"
#include "tests/app/app_fixture.h"

namespace tikhomap {
namespace {

class TestShell final : public Shell, private MapWidgetHost {
 public:
  explicit TestShell(const std::filesystem::path& dir) : session_(dir), widget_(*this) {}

  MapSession& session() override { return session_; }
  MapWidget& mapWidget() override { return widget_; }
  QWidget& shellWindow() override { return widget_; }
  void beep() override { ++beeps; }
  void requestRecompose() override { ++recomposes; }
  bool recomposePending() const override { return recomposes > 0; }
  void setRecomposePending(bool) override {}
  float frameWidthMm() const override { return 200; }
  void postCommand(int) override {}
  QAction* action(int) const override { return nullptr; }

  int beeps = 0;
  int recomposes = 0;

 private:
  void prepareFrame(QImage&) override {}
  void finishPaint() override {}
  void frameRemade() override {}
  void keyPressed(QKeyEvent&) override {}
  void keyReleased(QKeyEvent&) override {}

  MapSession session_;
  MapWidget widget_;
};

TEST(ToolShellTest, TheWheelOverAShellOfItsOwnOpensTheCityAndBeepsBeyondIt) {
  testing::TinyCityFolder folder;
  TestShell shell(folder.path());
  ASSERT_TRUE(loadSessionBaseMap(shell.session(), [](const std::string&) {}).ok);
  MapWheel wheel(shell);
  qint64 now = 0;
  wheel.setClock([&now] { return now; });
  const auto notch = [&](int delta) {
    now += 1000;  // each notch a burst of its own
    wheel.wheel(QWheelEvent(QPointF(300, 200), QPointF(300, 200), QPoint(), QPoint(0, delta),
                            Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false));
  };

  notch(-120);  // back from the title sheet: nowhere to go
  EXPECT_TRUE(shell.session().titleSheetShown());
  EXPECT_EQ(shell.beeps, 1);
  notch(120);  // forward: the whole city, composed at the next paint
  EXPECT_FALSE(shell.session().titleSheetShown());
  EXPECT_EQ(shell.session().history.last(), shell.session().history.entry(0));
  EXPECT_EQ(shell.recomposes, 1);
  notch(-120);  // beyond the whole city
  EXPECT_EQ(shell.beeps, 2);
  EXPECT_EQ(shell.recomposes, 1);
  EXPECT_FALSE(shell.session().history.canGoBack());
}

}  // namespace
}  // namespace tikhomap
