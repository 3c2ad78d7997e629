// The drags and clicks of the map window: Shift and the middle button pan
// (the frame follows the pointer), Ctrl zooms to the drawn rectangle, the
// palette's tools, refusals and beeps, the right button's step back.
#include <QToolButton>

#include "app/mouse_cursors.h"
#include "app/tools_palette.h"
#include "raster/qt_canvas.h"
#include "resources/command_ids.h"
#include "tests/app/mouse_test_fixture.h"

namespace tikhomap {
namespace {

using testing::MouseWindowTest;

bool sameBounds(const MapBounds& a, const MapBounds& b, float tolerance = 0.01f) {
  return std::abs(a.xMin - b.xMin) <= tolerance && std::abs(a.yMin - b.yMin) <= tolerance &&
         std::abs(a.xMax - b.xMax) <= tolerance && std::abs(a.yMax - b.yMax) <= tolerance;
}

TEST_F(MouseWindowTest, ShiftDragPansSoThatTheMapFollowsThePointer) {
  showRect(600, 900, 1400, 2100);
  const int count = session().history.count;
  const MapBounds before = session().history.last();
  const QImage frame = map().frame().copy();
  const int composed = window_->composeCount();

  keyDown(Qt::Key_Shift, Qt::ShiftModifier);
  EXPECT_EQ(mouse().cursorShape(), MapCursor::Pan);
  press({400, 300}, Qt::ShiftModifier);
  // Up to 5 pixels both ways nothing moves.
  move({404, 295}, Qt::LeftButton, Qt::ShiftModifier);
  EXPECT_EQ(map().frameOffset(), QPoint(0, 0));
  move({300, 360}, Qt::LeftButton, Qt::ShiftModifier);
  // The last frame moves with the pointer, the uncovered edges in the
  // ground's colour; nothing is composed and the frame itself is untouched.
  EXPECT_EQ(map().frameOffset(), QPoint(-100, 60));
  const QImage shown = this->shown();
  EXPECT_EQ(map().frame(), frame);
  EXPECT_EQ(window_->composeCount(), composed);
  const QRgb ground = toQColor(session().styles.land.color).rgb();
  EXPECT_EQ(shown.pixel(map().width() - 50, 200), ground);
  EXPECT_EQ(shown.pixel(200, 20), ground);
  for (const QPoint p : {QPoint(10, 100), QPoint(500, 400), QPoint(700, 600)}) {
    EXPECT_EQ(shown.pixel(p), frame.pixel(p + QPoint(100, -60))) << p.x() << "," << p.y();
  }
  // Releasing Shift during the drag does not end it: the frame still
  // follows the pointer.
  keyUp(Qt::Key_Shift);
  move({310, 360});
  EXPECT_EQ(map().frameOffset(), QPoint(-90, 60));
  move({300, 360});

  const MapPoint a = mapOf({400, 300});
  const MapPoint b = mapOf({300, 360});
  release({300, 360});
  EXPECT_EQ(map().frameOffset(), QPoint(0, 0));
  move({200, 200}, Qt::NoButton);  // the pointer goes on alone
  EXPECT_EQ(map().frameOffset(), QPoint(0, 0));
  ASSERT_EQ(session().history.count, count + 1);
  const float dx = a.x - b.x;
  const float dy = a.y - b.y;
  EXPECT_TRUE(sameBounds(session().history.last(),
                         {before.xMin + dx, before.yMin + dy, before.xMax + dx, before.yMax + dy}));
  EXPECT_TRUE(window_->recomposePending());
  paint();
  EXPECT_EQ(window_->composeCount(), composed + 1);
  EXPECT_EQ(mouse().cursorShape(), MapCursor::Arrow);
  // The composed frame shows what the moved one showed.
  const QImage composedFrame = map().frame().copy();
  int same = 0;
  for (int y = 100; y < 600; y += 50) {
    for (int x = 50; x < 700; x += 50) {
      same += composedFrame.pixel(x, y) == frame.pixel(x + 100, y - 60) ? 1 : 0;
    }
  }
  EXPECT_GT(same, 9 * 13 * 8 / 10);
}

TEST_F(MouseWindowTest, TheMiddleButtonPansWithAnyToolButNotTheTitleSheet) {
  struct Row {
    int tool;
    bool titleSheet;
    bool pans;
  };
  const Row rows[] = {{kToolArrow, false, true},
                      {kToolZoomOut, false, true},
                      {kToolZoomRect, false, true},
                      {kToolArrow, true, false}};
  for (const Row& r : rows) {
    mouse().setToolMode(r.tool);
    if (r.titleSheet) {
      keyDown(Qt::Key_Home);
    } else {
      showRect(600, 900, 1400, 2100);
    }
    paint();
    const int count = session().history.count;
    press({400, 300}, Qt::NoModifier, Qt::MiddleButton);
    send(QEvent::MouseMove, {320, 340}, Qt::NoButton, Qt::MiddleButton, Qt::NoModifier);
    EXPECT_EQ(map().frameOffset(), r.pans ? QPoint(-80, 40) : QPoint(0, 0)) << r.tool;
    // A left press and release during it change nothing.
    click({200, 200});
    release({320, 340}, Qt::NoModifier, Qt::MiddleButton);
    paint();
    EXPECT_EQ(session().history.count, count + (r.pans ? 1 : 0)) << r.tool;
    EXPECT_EQ(map().frameOffset(), QPoint(0, 0));
    EXPECT_EQ(mouse().toolMode(), r.tool);
    EXPECT_EQ(beeps_, 0);
  }
}

TEST_F(MouseWindowTest, ShortPansAndSmallRectanglesChangeNothingButRecompose) {
  showRect(600, 900, 1400, 2100);
  const int count = session().history.count;
  int composed = window_->composeCount();

  keyDown(Qt::Key_Shift, Qt::ShiftModifier);
  press({400, 300}, Qt::ShiftModifier);
  move({405, 295}, Qt::LeftButton, Qt::ShiftModifier);
  release({405, 295}, Qt::ShiftModifier);
  EXPECT_EQ(session().history.count, count);
  paint();
  EXPECT_EQ(window_->composeCount(), ++composed);

  keyDown(Qt::Key_Control, Qt::ControlModifier);
  press({400, 300}, Qt::ControlModifier);
  move({600, 299}, Qt::LeftButton, Qt::ControlModifier);  // 5 pixels high with the corner offset
  release({600, 299}, Qt::ControlModifier);
  EXPECT_EQ(session().history.count, count);
  paint();
  EXPECT_EQ(window_->composeCount(), ++composed);
}

TEST_F(MouseWindowTest, CtrlDragZoomsToTheDrawnRectangleNotToTheReleasePoint) {
  showMap();
  const QImage frame = map().frame().copy();
  keyDown(Qt::Key_Control, Qt::ControlModifier);
  EXPECT_EQ(mouse().cursorShape(), MapCursor::ZoomIn);
  press({200, 150}, Qt::ControlModifier);
  move({500, 400}, Qt::LeftButton, Qt::ControlModifier);
  // The rectangle, its far corner 6 pixels beyond the pointer, shows on the
  // window but never in the frame.
  const QImage shown = this->shown();
  EXPECT_EQ(map().frame(), frame);
  for (const QPoint edge :
       {QPoint(350, 150), QPoint(506, 280), QPoint(350, 406), QPoint(200, 280)}) {
    EXPECT_NE(shown.pixel(edge), frame.pixel(edge)) << edge.x() << "," << edge.y();
  }
  for (const QPoint inside : {QPoint(350, 300), QPoint(500, 280), QPoint(350, 400)}) {
    EXPECT_EQ(shown.pixel(inside), frame.pixel(inside)) << inside.x() << "," << inside.y();
  }

  const MapPoint southWest = mapOf({200, 406});
  const MapPoint northEast = mapOf({506, 150});
  release({700, 600}, Qt::ControlModifier);
  ASSERT_EQ(session().history.count, 3);
  EXPECT_TRUE(
      sameBounds(session().history.last(), {southWest.x, southWest.y, northEast.x, northEast.y}));
}

TEST_F(MouseWindowTest, OnTheTitleSheetOnlyCtrlOrTheZoomToolStartADragRightOfTheSplit) {
  ASSERT_EQ(session().history.count, 1);
  const int split = session().cache.sheetSplitX;
  ASSERT_GT(split, 0);
  ASSERT_LT(split + 200, map().width());

  // A plain press and release: nothing.
  click({split + 100, 300});
  EXPECT_EQ(session().history.count, 1);
  EXPECT_FALSE(window_->recomposePending());

  // Ctrl left of the split: refused, silently.
  keyDown(Qt::Key_Control, Qt::ControlModifier);
  press({split - 20, 300}, Qt::ControlModifier);
  move({split + 100, 400}, Qt::LeftButton, Qt::ControlModifier);
  EXPECT_FALSE(dragShown());
  release({split + 100, 400}, Qt::ControlModifier);
  EXPECT_EQ(session().history.count, 1);
  keyUp(Qt::Key_Control);

  // The zoom tool right of the split zooms into the map.
  mouse().setToolMode(kToolZoomRect);
  EXPECT_EQ(mouse().cursorShape(), MapCursor::ZoomIn);
  press({split + 20, 200});
  move({split + 150, 330});
  EXPECT_TRUE(dragShown());
  release({split + 150, 330});
  EXPECT_EQ(session().history.count, 2);
  paint();
  EXPECT_EQ(mouse().cursorShape(), MapCursor::ZoomIn);  // the tool keeps its cursor
}

TEST_F(MouseWindowTest, ShiftAndCtrlTogetherStartNoDrag) {
  showRect(600, 900, 1400, 2100);
  keyDown(Qt::Key_Shift, Qt::ShiftModifier);
  keyDown(Qt::Key_Control, Qt::ShiftModifier | Qt::ControlModifier);
  press({300, 300}, Qt::ShiftModifier | Qt::ControlModifier);
  const int count = session().history.count;
  move({500, 500}, Qt::LeftButton, Qt::ShiftModifier | Qt::ControlModifier);
  EXPECT_FALSE(dragShown());
  release({500, 500}, Qt::ShiftModifier | Qt::ControlModifier);
  EXPECT_EQ(session().history.count, count);
}

TEST_F(MouseWindowTest, ShiftDoesNotArmOnTheTitleSheetAndKeyReleasesDisarm) {
  keyDown(Qt::Key_Shift, Qt::ShiftModifier);
  EXPECT_EQ(mouse().cursorShape(), MapCursor::Arrow);
  showMap();
  keyDown(Qt::Key_Shift, Qt::ShiftModifier);
  EXPECT_EQ(mouse().cursorShape(), MapCursor::Pan);
  keyUp(Qt::Key_A);  // any key release
  EXPECT_EQ(mouse().cursorShape(), MapCursor::Arrow);
}

TEST_F(MouseWindowTest, AutoRepeatedKeyReleasesKeepTheArmedDrag) {
  showMap();
  keyDown(Qt::Key_Shift, Qt::ShiftModifier);
  ASSERT_EQ(mouse().cursorShape(), MapCursor::Pan);
  // A held key repeats as release and press pairs: not a real release.
  QKeyEvent repeated(QEvent::KeyRelease, Qt::Key_Right, Qt::ShiftModifier, QString(), true);
  QCoreApplication::sendEvent(&map(), &repeated);
  EXPECT_EQ(mouse().cursorShape(), MapCursor::Pan);
  keyUp(Qt::Key_Right, Qt::ShiftModifier);
  EXPECT_EQ(mouse().cursorShape(), MapCursor::Arrow);
}

TEST_F(MouseWindowTest, TheSecondPressOfADoubleClickIsDropped) {
  showRect(1400, 1300, 1800, 1800);
  const QPoint house = pixelOf(1610, 1535);
  click(house);
  ASSERT_EQ(dialogs_.size(), 1u);
  send(QEvent::MouseButtonDblClick, house, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  release(house);
  EXPECT_EQ(dialogs_.size(), 1u);
  // Nor does it start a drag while Shift is held.
  paint();
  keyDown(Qt::Key_Shift, Qt::ShiftModifier);
  send(QEvent::MouseButtonDblClick, {300, 300}, Qt::LeftButton, Qt::LeftButton, Qt::ShiftModifier);
  move({400, 400}, Qt::LeftButton, Qt::ShiftModifier);
  EXPECT_FALSE(dragShown());
}

// A double click with every button and every hold of Shift and Ctrl (the
// keys pressed before, as a person holds them), on the map, on the title
// sheet and on a palette tool's button followed by one on the map: its
// second press is dropped, nothing it showed outlives the buttons (no drag,
// no grab, no label), and the next paint leaves the map idle with the
// tool's cursor.
TEST_F(MouseWindowTest, ADoubleClickLeavesNothingHangingWithAnyButtonAndModifier) {
  enum class On { Map, TitleSheet, ZoomOutTool, ZoomRectTool, PanTool };
  struct Tool {
    int button;
    int mode;
    MapCursor cursor;
  };
  const auto toolOf = [](On on) -> Tool {
    switch (on) {
      case On::ZoomOutTool:
        return {kPaletteZoomOut, kToolZoomOut, MapCursor::ZoomOut};
      case On::ZoomRectTool:
        return {kPaletteZoomRect, kToolZoomRect, MapCursor::ZoomIn};
      case On::PanTool:
        return {kPalettePan, kToolPan, MapCursor::Pan};
      default:
        return {kPaletteArrow, kToolArrow, MapCursor::Arrow};
    }
  };
  installToolsPalette(*window_, mouse());
  const Qt::KeyboardModifiers holds[] = {Qt::NoModifier, Qt::ShiftModifier, Qt::ControlModifier,
                                         Qt::ShiftModifier | Qt::ControlModifier};
  for (const On on : {On::Map, On::TitleSheet, On::ZoomOutTool, On::ZoomRectTool, On::PanTool}) {
    for (const Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
      for (const Qt::KeyboardModifiers mods : holds) {
        const Tool tool = toolOf(on);
        SCOPED_TRACE(::testing::Message() << "on " << static_cast<int>(on) << ", button " << button
                                          << ", modifiers " << mods.toInt());
        mouse().setToolMode(kToolArrow);
        if (on == On::TitleSheet) {
          viewWholeCity(session().history);
          window_->requestRecompose();
          paint();
        } else if (on == On::Map) {
          showRect(1000, 1200, 1500, 1800);
        } else {
          // The whole city: the zoom-out tool is refused there.
          showMap();
        }
        if (mods & Qt::ShiftModifier) keyDown(Qt::Key_Shift, Qt::ShiftModifier);
        if (mods & Qt::ControlModifier) keyDown(Qt::Key_Control, mods);
        QPoint at = pixelOf(1250, 1500);  // a street: a press shows its label
        if (on == On::TitleSheet) at = {map().width() - 60, map().height() / 2};
        if (tool.mode != kToolArrow) {
          if (openPalette(*window_) == nullptr) window_->command(ids::kToolsPalette);
          ToolsPalette* palette = openPalette(*window_);
          ASSERT_NE(palette, nullptr);
          doubleClick(*palette->button(tool.button), {5, 5}, mods, Qt::LeftButton);
          ASSERT_EQ(mouse().toolMode(), tool.mode);
        }
        const size_t dialogs = dialogs_.size();
        doubleClick(map(), at, mods, button);
        EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
        EXPECT_FALSE(mouse().infoLabel().shown);
        EXPECT_LE(dialogs_.size(), dialogs + 1);
        // The pointer moving on with no button drags nothing.
        move(at + QPoint(-60, 40), Qt::NoButton, mods);
        EXPECT_FALSE(dragShown());
        keyUp(Qt::Key_Shift);
        keyUp(Qt::Key_Control);
        paint();
        EXPECT_EQ(mouse().cursorShape(), tool.cursor);
        if (openPalette(*window_) != nullptr) window_->command(ids::kToolsPalette);
      }
    }
  }
}

// Shrunk from a monkey run: Home during a pan with the pan tool; the
// release on the title sheet ends the pan and moves nothing.
TEST_F(MouseWindowTest, APanEndsWhenTheTitleSheetCameBackDuringIt) {
  showMap();
  mouse().setToolMode(kToolPan);
  press({300, 300});
  keyDown(Qt::Key_Home);
  ASSERT_TRUE(session().titleSheetShown());
  release({200, 250});
  move({100, 100}, Qt::NoButton);
  EXPECT_FALSE(dragShown());
  EXPECT_TRUE(session().titleSheetShown());
}

TEST_F(MouseWindowTest, PaletteToolsIgnoreModifierKeysAndKeyReleases) {
  showMap();
  mouse().setToolMode(kToolPan);
  EXPECT_EQ(mouse().cursorShape(), MapCursor::Pan);
  keyDown(Qt::Key_Control, Qt::ControlModifier);
  EXPECT_EQ(mouse().cursorShape(), MapCursor::Pan);
  keyUp(Qt::Key_Control);
  EXPECT_EQ(mouse().cursorShape(), MapCursor::Pan);
  // The pan tool drags without Shift.
  showRect(600, 900, 1400, 2100);
  press({300, 300});
  move({350, 330});
  EXPECT_EQ(map().frameOffset(), QPoint(50, 30));
  release({350, 330});
}

TEST_F(MouseWindowTest, ZoomOutClickBeepsAtTheWholeCityAndOtherwiseZoomsOutAroundTheClick) {
  showMap();
  mouse().setToolMode(kToolZoomOut);
  EXPECT_EQ(mouse().cursorShape(), MapCursor::ZoomOut);
  click({450, 350});
  EXPECT_EQ(beeps_, 1);
  EXPECT_EQ(session().history.count, 2);
  EXPECT_FALSE(window_->recomposePending());

  showRect(800, 1200, 1200, 1800);
  const ViewState v = session().view;
  const float w = v.viewYMax - v.viewYMin;
  const float h = v.viewXMax - v.viewXMin;
  const int count = session().history.count;
  const QPoint at = pixelOf(1000, 1500);
  const MapPoint m = mapOf(at);
  click(at);
  EXPECT_EQ(beeps_, 1);
  ASSERT_EQ(session().history.count, count + 1);
  EXPECT_TRUE(sameBounds(session().history.last(),
                         {m.x - 0.75f * h, m.y - 0.75f * w, m.x + 0.75f * h, m.y + 0.75f * w},
                         0.05f));
  EXPECT_TRUE(window_->recomposePending());
}

TEST_F(MouseWindowTest, CtrlRightClickStepsBackButNotPastTheFirstMapView) {
  showRect(600, 900, 1400, 2100);
  ASSERT_EQ(session().history.count, 3);
  press({300, 300}, Qt::ControlModifier, Qt::RightButton);
  EXPECT_EQ(session().history.count, 2);
  EXPECT_TRUE(window_->recomposePending());
  release({300, 300}, Qt::ControlModifier, Qt::RightButton);
  paint();
  press({300, 300}, Qt::ControlModifier, Qt::RightButton);
  EXPECT_EQ(session().history.count, 2);
  release({300, 300}, Qt::ControlModifier, Qt::RightButton);
}

TEST_F(MouseWindowTest, WhileMeasuringAShiftDragPansAndTheMeasurementGoesOn) {
  showRect(600, 900, 1400, 2100);
  window_->command(32815);
  ASSERT_TRUE(mouse().measure().isOpen());
  paint();
  EXPECT_EQ(mouse().cursorShape(), MapCursor::Measure);
  click(pixelOf(1000, 1200));
  move(pixelOf(1000, 1400), Qt::NoButton);
  click(pixelOf(1000, 1400));
  ASSERT_EQ(mouse().measure().state().measureCount(), 2);

  keyDown(Qt::Key_Shift, Qt::ShiftModifier);
  press({400, 300}, Qt::ShiftModifier);
  move({300, 300}, Qt::LeftButton, Qt::ShiftModifier);
  EXPECT_EQ(map().frameOffset(), QPoint(-100, 0));
  release({300, 300}, Qt::ShiftModifier);
  keyUp(Qt::Key_Shift);
  paint();
  // The middle button pans as well, and the measurement stays.
  press({300, 300}, Qt::NoModifier, Qt::MiddleButton);
  send(QEvent::MouseMove, {350, 300}, Qt::NoButton, Qt::MiddleButton, Qt::NoModifier);
  release({350, 300}, Qt::NoModifier, Qt::MiddleButton);
  paint();
  EXPECT_TRUE(mouse().measure().isOpen());
  EXPECT_EQ(mouse().cursorShape(), MapCursor::Measure);
  EXPECT_EQ(mouse().measure().state().measureCount(), 2);
  // The rubber line starts again at the last point, at its new pixel.
  const MapPoint last = mouse().measure().state().measurePoints.back();
  EXPECT_EQ(mouse().rubberPoints()[0], pixelOf(last.x, last.y));
  EXPECT_EQ(mouse().rubberPoints()[1], mouse().rubberPoints()[0]);
}

}  // namespace
}  // namespace tikhomap
