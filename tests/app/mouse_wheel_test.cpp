// The wheel and the pinch over the map: zoom about the pointer, a burst as
// one history entry, the beep at the whole city, the pans of horizontal and
// touchpad deltas, and where the wheel does nothing.
#include <QDialog>
#include <QNativeGestureEvent>
#include <QWheelEvent>
#include <cmath>
#include <limits>

#include "tests/app/mouse_test_fixture.h"
#include "view/zoom_about_point.h"

namespace tikhomap {
namespace {

class WheelTest : public testing::MouseWindowTest {
 protected:
  void SetUp() override {
    MouseWindowTest::SetUp();
    mouse().mapWheel().setClock([this] { return now_; });
  }
  void wheel(QPoint at, QPoint angle, QPoint pixel = {},
             Qt::ScrollPhase phase = Qt::NoScrollPhase) {
    QWheelEvent event(QPointF(at), QPointF(map().mapToGlobal(at)), pixel, angle, Qt::NoButton,
                      Qt::NoModifier, phase, false);
    QCoreApplication::sendEvent(&map(), &event);
  }
  void pinch(QPoint at, double value) {
    QNativeGestureEvent event(Qt::ZoomNativeGesture, QPointingDevice::primaryPointingDevice(), 2,
                              QPointF(at), QPointF(at), QPointF(map().mapToGlobal(at)), value,
                              QPointF());
    QCoreApplication::sendEvent(&map(), &event);
  }
  // The next event comes after a pause that ends the burst.
  void pause() { now_ += 1000; }
  bool insideCity() {
    const MapBounds city = session().history.entry(0);
    const MapBounds v = session().history.last();
    return std::isfinite(v.xMin) && std::isfinite(v.yMax) && v.xMin >= city.xMin - 0.01f &&
           v.yMin >= city.yMin - 0.01f && v.xMax <= city.xMax + 0.01f &&
           v.yMax <= city.yMax + 0.01f;
  }
  qint64 now_ = 0;
};

TEST_F(WheelTest, NotchesZoomAboutThePointerToTheNextScaleAndFractionsAddUp) {
  struct Row {
    QPoint at;
    std::vector<int> deltas;  // one burst
    int steps;                // +in / -out
  };
  const Row rows[] = {
      {{450, 350}, {120}, 1},     {{100, 600}, {120, 120}, 2}, {{800, 80}, {-120}, -1},
      {{300, 200}, {60, 60}, 1},  {{300, 200}, {40, 40}, 0},   {{500, 300}, {0}, 0},
      {{500, 300}, {60, -60}, 0}, {{222, 444}, {-240}, -2},
  };
  for (const Row& r : rows) {
    showRect(700, 1100, 1300, 1900);
    pause();
    const MapPoint under = mapOf(r.at);
    int32_t expected = session().view.scaleDenominator;
    for (int i = 0; i < std::abs(r.steps); ++i) {
      expected = nextQuantisedDenominator(expected, r.steps > 0 ? 1 : -1);
    }
    const int count = session().history.count;
    for (const int delta : r.deltas) wheel(r.at, {0, delta});
    paint();
    EXPECT_EQ(session().view.scaleDenominator, expected) << r.at.x() << "," << r.at.y();
    EXPECT_EQ(session().history.count, count + (r.steps != 0 ? 1 : 0));
    const QPoint now = pixelOf(under.x, under.y);
    EXPECT_LE(std::abs(now.x() - r.at.x()), 1) << r.at.x() << "," << r.at.y();
    EXPECT_LE(std::abs(now.y() - r.at.y()), 1) << r.at.x() << "," << r.at.y();
  }
}

TEST_F(WheelTest, ABurstIsOneHistoryEntryAndPageUpReturnsToItsStart) {
  showRect(700, 1100, 1300, 1900);
  const int count = session().history.count;
  const MapBounds start = session().history.last();
  for (int i = 0; i < 5; ++i) {
    wheel({400, 300}, {0, 120});
    now_ += 300;
  }
  paint();
  EXPECT_EQ(session().history.count, count + 1);
  now_ += 800;  // a pause: a new burst
  wheel({400, 300}, {0, -120});
  EXPECT_EQ(session().history.count, count + 2);
  // A key's view change between two notches ends the burst as well.
  keyDown(Qt::Key_Right);
  now_ += 100;
  wheel({400, 300}, {0, 120});
  EXPECT_EQ(session().history.count, count + 4);
  for (int i = 0; i < 4; ++i) keyDown(Qt::Key_PageUp);
  EXPECT_EQ(session().history.last(), start);
}

TEST_F(WheelTest, TheWholeCityBeepsOncePerBurstAndTheTitleSheetOpensTheMap) {
  // On the title sheet: out beeps, left of the split nothing, the first
  // step forward opens the whole city's map.
  wheel({800, 300}, {0, -120});
  EXPECT_EQ(beeps_, 1);
  pause();
  ASSERT_GT(session().cache.sheetSplitX, 10);
  wheel({5, 300}, {0, 120});
  EXPECT_EQ(session().history.count, 1);
  wheel({session().cache.sheetSplitX + 20, 300}, {0, 120});
  EXPECT_EQ(session().history.count, 2);
  EXPECT_EQ(session().history.last(), session().history.entry(0));
  paint();
  pause();
  beeps_ = 0;
  for (int i = 0; i < 4; ++i) wheel({400, 300}, {0, -120});
  EXPECT_EQ(beeps_, 1);
  EXPECT_EQ(session().history.count, 2);
  pause();
  wheel({400, 300}, {0, -120});
  EXPECT_EQ(beeps_, 2);
  // Zooming out from near the whole city ends at the whole city.
  showRect(100, 100, 1900, 2800);
  pause();
  for (int i = 0; i < 6; ++i) wheel({400, 300}, {0, -120});
  EXPECT_EQ(session().history.last(), session().history.entry(0));
  EXPECT_EQ(beeps_, 3);
}

TEST_F(WheelTest, HorizontalAndTouchpadDeltasPanAtTheSameScale) {
  struct Row {
    QPoint angle, pixel;
    Qt::ScrollPhase phase;
    int east, north;  // the sign of the view's move, metres
  };
  const Row rows[] = {
      {{-120, 0}, {}, Qt::NoScrollPhase, +1, 0},  {{120, 0}, {}, Qt::NoScrollPhase, -1, 0},
      {{0, 0}, {30, 0}, Qt::ScrollUpdate, -1, 0}, {{0, 0}, {0, 40}, Qt::ScrollUpdate, 0, +1},
      {{0, -80}, {}, Qt::ScrollUpdate, 0, -1},
  };
  for (const Row& r : rows) {
    showRect(700, 1100, 1300, 1900);
    pause();
    const int32_t scale = session().view.scaleDenominator;
    const MapBounds before = session().history.last();
    wheel({400, 300}, r.angle, r.pixel, r.phase);
    paint();
    const MapBounds after = session().history.last();
    EXPECT_EQ(session().view.scaleDenominator, scale);
    const auto sign = [](float d) { return d > 0.5f ? 1 : d < -0.5f ? -1 : 0; };
    EXPECT_EQ(sign(after.yMin - before.yMin), r.east) << r.angle.x() << " " << r.pixel.x();
    EXPECT_EQ(sign(after.xMin - before.xMin), r.north) << r.angle.y() << " " << r.pixel.y();
    EXPECT_FLOAT_EQ(after.yMax - after.yMin, before.yMax - before.yMin);
  }
}

TEST_F(WheelTest, PinchesZoomTheSameWayAndWildValuesStayInsideTheCity) {
  showRect(700, 1100, 1300, 1900);
  pause();
  const int32_t scale = session().view.scaleDenominator;
  pinch({400, 300}, 0.1);
  pinch({400, 300}, 0.15);  // 1.1 x 1.15 > 1.25: one step
  paint();
  EXPECT_EQ(session().view.scaleDenominator, nextQuantisedDenominator(scale, 1));
  const double wild[] = {-1.0,
                         -5.0,
                         std::numeric_limits<double>::infinity(),
                         std::numeric_limits<double>::quiet_NaN(),
                         1e300,
                         -std::numeric_limits<double>::infinity(),
                         0.0};
  for (const double value : wild) {
    pinch({400, 300}, value);
    wheel({400, 300}, {0, value > 0 ? 1 << 30 : -(1 << 30)});
    paint();
    EXPECT_TRUE(insideCity()) << value;
    EXPECT_GT(session().view.mmPerMetre, 0);
  }
}

TEST_F(WheelTest, NoWheelDuringADragOrUnderAModalWindowAndThePaletteToolStays) {
  showRect(700, 1100, 1300, 1900);
  const int count = session().history.count;
  keyDown(Qt::Key_Control, Qt::ControlModifier);
  press({300, 300}, Qt::ControlModifier);
  wheel({300, 300}, {0, 120});
  EXPECT_EQ(session().history.count, count);
  release({300, 300}, Qt::ControlModifier);
  keyUp(Qt::Key_Control);
  paint();
  {
    // Nor under a modal window.
    QDialog modal(window_.get());
    modal.setModal(true);
    modal.show();
    wheel({300, 300}, {0, 120});
    EXPECT_EQ(session().history.count, count);
  }
  pause();
  mouse().setToolMode(kToolZoomOut);
  wheel({300, 300}, {0, 120});
  paint();
  EXPECT_EQ(session().history.count, count + 1);
  EXPECT_EQ(mouse().toolMode(), kToolZoomOut);
  EXPECT_EQ(mouse().cursorShape(), MapCursor::ZoomOut);
}

}  // namespace
}  // namespace tikhomap
