// The mouse and modifier-key side of the map window. The map widget hands
// every mouse event, and the keys the main window does not take itself, to
// one optional handler; each hook answers whether it used the event.
#pragma once

class QMouseEvent;
class QKeyEvent;
class QWheelEvent;
class QNativeGestureEvent;

namespace tikhomap {

class MouseHandler {
 public:
  virtual ~MouseHandler() = default;
  virtual bool mousePress(QMouseEvent& event) = 0;
  virtual bool mouseMove(QMouseEvent& event) = 0;
  virtual bool mouseRelease(QMouseEvent& event) = 0;
  virtual bool mouseDoubleClick(QMouseEvent& /*event*/) { return false; }
  virtual bool wheel(QWheelEvent& /*event*/) { return false; }
  virtual bool nativeGesture(QNativeGestureEvent& /*event*/) { return false; }
  // Shift and Ctrl arm a drag when pressed; every released key ends what a
  // held key showed.
  virtual bool keyPress(QKeyEvent& event) = 0;
  virtual bool keyRelease(QKeyEvent& event) = 0;
};

}  // namespace tikhomap
