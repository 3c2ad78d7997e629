// The wheel, the touchpad and the pinch over the map.
//
// What a wheel event means:
//  - a touchpad (the device says so, or the event carries a scroll phase)
//    pans: the map follows the fingers by the event's pixel delta (or by its
//    angle delta, an eighth of a pixel per unit, where it has none);
//  - a horizontal delta alone (buttons 6 and 7, Alt with the wheel) pans
//    sideways, a tenth of the visible width per notch of 120;
//  - anything else zooms about the pointer, one step of the quantised scale
//    per notch of 120; fractions of a notch add up across the events of a
//    burst, and a change of direction starts the count afresh.
// A pinch zooms the same way: the factors multiply up, and every factor of
// 1.25 is one step.
//
// The events that follow one another with pauses of at most 0.7 s are one
// burst, and a burst is one entry of the view history: its first change is
// appended, the following ones replace it, so that one step back returns to
// where the burst began. A burst that would go beyond the whole city beeps
// once. On the title sheet the first step forward opens the map of the whole
// city. The frame is composed anew after every change, so every overlay is
// redrawn with the map under it.
#pragma once

#include <QElapsedTimer>
#include <QPoint>
#include <QPointF>
#include <functional>

#include "mapdata/records.h"

class QWheelEvent;
class QNativeGestureEvent;

namespace tikhomap {

class Shell;

class MapWheel {
 public:
  explicit MapWheel(Shell& shell);

  void wheel(const QWheelEvent& event);
  void pinch(const QNativeGestureEvent& event);
  // One pinch step: a zoom by the factor 1 + value about the pixel.
  void pinchBy(double value, QPoint at);

  // The time in milliseconds that separates bursts (tests replace it).
  void setClock(std::function<qint64()> clock) { clock_ = std::move(clock); }

 private:
  void startEvent();
  // One step of the quantised scale; false when none was taken.
  bool zoomStep(QPoint at, int direction);
  bool zoomToWholeCity();
  void panByPixels(QPointF pixels);
  bool apply(const MapBounds& asked);
  void refuse();
  void steps(double& accumulated, double added, double stepSize, QPoint at);

  Shell& shell_;
  QElapsedTimer elapsed_;
  std::function<qint64()> clock_;
  qint64 lastEventMs_ = 0;
  bool anyEvent_ = false;
  // The entry the burst made, to know it is still the last one.
  int burstCount_ = -1;
  MapBounds burstEntry_{};
  bool beeped_ = false;
  double notches_ = 0;
  double pinchLog_ = 0;
};

}  // namespace tikhomap
