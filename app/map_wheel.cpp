#include "app/map_wheel.h"

#include <QInputDevice>
#include <QNativeGestureEvent>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "app/shell.h"
#include "session/map_session.h"
#include "view/zoom_about_point.h"

namespace tikhomap {
namespace {

constexpr qint64 kBurstPauseMs = 700;
constexpr double kNotch = 120.0;
constexpr double kEighthsPerPixel = 8.0;
// A horizontal notch pans by this part of the visible width.
constexpr double kSidewaysPart = 0.1;
// One event takes at most this many steps: a flood or an enormous delta
// still ends quickly at a finite view.
constexpr int kMostStepsPerEvent = 8;
// A pinch factor at or below zero has no meaning; it is taken as this.
constexpr double kSmallestPinchFactor = 0.05;
constexpr double kLargestPinchFactor = 20.0;

// The view the last history entry shows now, fitted as the next frame will
// fit it (events may come faster than frames).
ViewState shownView(const MapSession& session) {
  ViewState v = session.view;
  const MapBounds last = session.history.last();
  fitView(v, session.history, last.xMin, last.yMin, last.xMax, last.yMax);
  return v;
}

}  // namespace

MapWheel::MapWheel(Shell& shell) : shell_(shell) {
  elapsed_.start();
  clock_ = [this] { return elapsed_.elapsed(); };
}

void MapWheel::startEvent() {
  const qint64 now = clock_();
  if (!anyEvent_ || now - lastEventMs_ > kBurstPauseMs || now < lastEventMs_) {
    burstCount_ = -1;
    beeped_ = false;
    notches_ = 0;
    pinchLog_ = 0;
  }
  anyEvent_ = true;
  lastEventMs_ = now;
}

void MapWheel::wheel(const QWheelEvent& event) {
  startEvent();
  const QPoint angle = event.angleDelta();
  const QPoint pixel = event.pixelDelta();
  const QPointingDevice* device = event.pointingDevice();
  const bool touchpad = event.phase() != Qt::NoScrollPhase ||
                        (device != nullptr && device->type() == QInputDevice::DeviceType::TouchPad);
  if (touchpad) {
    panByPixels(!pixel.isNull() ? QPointF(pixel) : QPointF(angle) / kEighthsPerPixel);
    return;
  }
  if (angle.y() == 0) {
    if (angle.x() != 0) {
      const double width = shell_.session().view.viewRight - shell_.session().view.viewLeft;
      panByPixels(QPointF(angle.x() / kNotch * width * kSidewaysPart, 0));
    }
    return;
  }
  steps(notches_, angle.y(), kNotch, event.position().toPoint());
}

void MapWheel::pinch(const QNativeGestureEvent& event) {
  if (event.gestureType() != Qt::ZoomNativeGesture) return;
  pinchBy(event.value(), event.position().toPoint());
}

void MapWheel::pinchBy(double value, QPoint at) {
  if (!std::isfinite(value)) return;
  startEvent();
  const double factor = std::clamp(1.0 + value, kSmallestPinchFactor, kLargestPinchFactor);
  steps(pinchLog_, std::log(factor), std::log(1.25), at);
}

void MapWheel::steps(double& accumulated, double added, double stepSize, QPoint at) {
  // A change of direction drops what was gathered the other way.
  if ((accumulated > 0 && added < 0) || (accumulated < 0 && added > 0)) accumulated = 0;
  accumulated += added;
  const double whole = std::trunc(accumulated / stepSize);
  if (whole == 0) return;
  accumulated -= whole * stepSize;
  const int count = static_cast<int>(std::min(std::abs(whole), double{kMostStepsPerEvent}));
  if (std::abs(whole) > kMostStepsPerEvent) accumulated = 0;
  const int direction = whole > 0 ? 1 : -1;
  for (int i = 0; i < count; ++i) {
    if (!zoomStep(at, direction)) break;
  }
}

bool MapWheel::zoomStep(QPoint at, int direction) {
  MapSession& session = shell_.session();
  if (!session.baseMapLoaded() || !session.history.hasWholeCity()) return false;
  if (session.titleSheetShown()) {
    if (direction < 0) {
      refuse();
      return false;
    }
    return zoomToWholeCity();
  }
  const std::optional<MapBounds> asked =
      zoomAboutPixel(shownView(session), session.history.entry(0), at.x(), at.y(), direction);
  if (asked && apply(*asked)) return true;
  // Coarser than the city allows: the last step out shows the whole city,
  // and one more is refused.
  if (direction < 0) return zoomToWholeCity();
  return false;
}

bool MapWheel::zoomToWholeCity() {
  MapSession& session = shell_.session();
  const MapBounds city = session.history.entry(0);
  if (!session.titleSheetShown() && session.history.last() == city) {
    refuse();
    return false;
  }
  return apply(city);
}

void MapWheel::panByPixels(QPointF pixels) {
  MapSession& session = shell_.session();
  if (!session.baseMapLoaded() || session.titleSheetShown()) return;
  if (!std::isfinite(pixels.x()) || !std::isfinite(pixels.y())) return;
  if (pixels.isNull()) return;
  const ViewState v = shownView(session);
  if (!(v.mmPerMetre > 0) || !(v.pixelsPerMmX > 0) || !(v.pixelsPerMmY > 0)) return;
  // The map follows the fingers: a move down shows what lies north.
  const float north = static_cast<float>(pixels.y() / v.pixelsPerMmY / v.mmPerMetre);
  const float east = static_cast<float>(-pixels.x() / v.pixelsPerMmX / v.mmPerMetre);
  const MapBounds last = session.history.last();
  apply({last.xMin + north, last.yMin + east, last.xMax + north, last.yMax + east});
}

bool MapWheel::apply(const MapBounds& asked) {
  ViewHistory& history = shell_.session().history;
  const bool sameBurst =
      burstCount_ == history.count && !history.titleSheetShown() && history.last() == burstEntry_;
  const int accepted =
      sameBurst ? replaceLastView(history, asked.xMin, asked.yMin, asked.xMax, asked.yMax)
                : pushView(history, asked.xMin, asked.yMin, asked.xMax, asked.yMax);
  if (accepted == 0) return false;
  burstCount_ = history.count;
  burstEntry_ = history.last();
  shell_.requestRecompose();
  return true;
}

void MapWheel::refuse() {
  if (beeped_) return;
  beeped_ = true;
  shell_.beep();
}

}  // namespace tikhomap
