// A shown main window with the tiny city loaded and the mouse controller
// installed, with helpers that send synthesised mouse and key events to the
// map and count the beeps.
#pragma once

#include <QKeyEvent>
#include <QMouseEvent>
#include <QTest>
#include <memory>

#include "app/main_window.h"
#include "app/map_widget.h"
#include "app/mouse_controller.h"
#include "tests/app/app_fixture.h"

namespace tikhomap::testing {

class MouseWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = std::make_unique<MainWindow>(folder_.path());
    window_->setFatalHandler([](const QString&) {});
    controller_ = &installMouseController(*window_);
    window_->setBeep([this] { ++beeps_; });
    controller_->setInfoDialogRunner([this](const BuildingInfoTexts& texts) {
      infoOpenDuringDialog_ = controller_->infoDialogOpen();
      dialogs_.push_back(texts);
    });
    ASSERT_TRUE(showLoaded(*window_));
  }

  MapWidget& map() { return window_->mapWidget(); }
  MapSession& session() { return window_->session(); }
  MouseController& mouse() { return *controller_; }
  void paint() { map().repaint(); }

  // Leaves the title sheet for a view of the given rectangle (history 2 for
  // the whole city, more for any other).
  void showMap() {
    const MapBounds city = session().history.entry(0);
    pushView(session().history, city.xMin, city.yMin, city.xMax, city.yMax);
    window_->requestRecompose();
    paint();
  }
  void showRect(float xMin, float yMin, float xMax, float yMax) {
    if (session().history.count < 2) showMap();
    pushView(session().history, xMin, yMin, xMax, yMax);
    window_->requestRecompose();
    paint();
  }

  QPoint pixelOf(float x, float y) {
    int32_t sx = 0;
    int32_t sy = 0;
    mapToScreen(session().view, x, y, sx, sy);
    return {sx, sy};
  }
  // The window as a person sees it: the frame with the overlays over it.
  QImage shown() { return map().grab().toImage().convertToFormat(QImage::Format_RGB32); }
  // A drag under way shows: a pan moves the frame with the pointer, a zoom
  // draws its rectangle over it. False when the window shows the frame as
  // it is.
  bool dragShown() { return map().frameOffset() != QPoint(0, 0) || shown() != map().frame(); }

  MapPoint mapOf(QPoint p) {
    MapPoint m;
    screenToMap(session().view, p.x(), p.y(), m.x, m.y);
    return m;
  }

  void send(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons buttons,
            Qt::KeyboardModifiers mods) {
    QMouseEvent event(type, QPointF(at), QPointF(map().mapToGlobal(at)), button, buttons, mods);
    QCoreApplication::sendEvent(&map(), &event);
  }
  void press(QPoint at, Qt::KeyboardModifiers mods = Qt::NoModifier,
             Qt::MouseButton button = Qt::LeftButton) {
    send(QEvent::MouseButtonPress, at, button, button, mods);
  }
  void move(QPoint at, Qt::MouseButtons buttons = Qt::LeftButton,
            Qt::KeyboardModifiers mods = Qt::NoModifier) {
    send(QEvent::MouseMove, at, Qt::NoButton, buttons, mods);
  }
  void release(QPoint at, Qt::KeyboardModifiers mods = Qt::NoModifier,
               Qt::MouseButton button = Qt::LeftButton) {
    send(QEvent::MouseButtonRelease, at, button, Qt::NoButton, mods);
  }
  void click(QPoint at, Qt::KeyboardModifiers mods = Qt::NoModifier,
             Qt::MouseButton button = Qt::LeftButton) {
    press(at, mods, button);
    release(at, mods, button);
  }
  // A double click as the window system delivers it to a widget: press,
  // release, the second press (marked as making a double click) with the
  // double-click event, release; nothing is painted in between.
  void doubleClick(QWidget& target, QPoint at, Qt::KeyboardModifiers mods, Qt::MouseButton button) {
    QWidget* top = target.window();
    QTest::mouseDClick(top->windowHandle(), button, mods, target.mapTo(top, at));
  }
  void keyDown(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QKeyEvent event(QEvent::KeyPress, key, mods);
    QCoreApplication::sendEvent(&map(), &event);
  }
  void keyUp(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QKeyEvent event(QEvent::KeyRelease, key, mods);
    QCoreApplication::sendEvent(&map(), &event);
  }

  TinyCityFolder folder_;
  std::unique_ptr<MainWindow> window_;
  MouseController* controller_ = nullptr;
  int beeps_ = 0;
  bool infoOpenDuringDialog_ = false;
  std::vector<BuildingInfoTexts> dialogs_;
};

}  // namespace tikhomap::testing
