// The measurement tool of the main window: its state (map points), its
// window "Измерения", the popup "Popup1" and the polyline drawn over the
// frame after every paint.
#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <functional>

#include "app/measure_window.h"
#include "tools/measurement.h"

class QPainter;

namespace tikhomap {

class Shell;

class MeasureTool final : public QObject {
  Q_OBJECT
 public:
  explicit MeasureTool(Shell& shell, QObject* parent = nullptr);
  ~MeasureTool() override;

  bool isOpen() const { return window_ != nullptr; }
  MeasureWindow* window() const { return window_; }
  const MeasureState& state() const { return state_; }

  // startMeasurement: opens the window; false when it is open already.
  bool open(bool alongStreets);
  // endMeasurement: the window goes, the points are freed, and the next
  // paint copies the clean frame.
  void close();

  // Fixes the next point at the window pixel of the pointer.
  void addPoint(QPoint pixel);
  // The pointer is over the map point (mx, my): fields 1248 and 1159.
  void showPointer(float mx, float my);
  // The popup "Popup1" at the window pixel, and what its commands do.
  void showPopup(QPoint pixel);
  void popupCommand(int id);

  // Window pixel of the last fixed point under the current view.
  QPoint lastPointPixel() const;
  // The fixed polyline with a 4 by 4 pixel circle at every point; drawn
  // with an inverting pen so that it shows over any map colour.
  void drawPolyline(QPainter& painter) const;

  // Replaceable for tests: the popup menu (answers the chosen command id, 0
  // when dismissed). Refusals sound the main window's beep.
  void setPopupChooser(std::function<int(QPoint global)> chooser) { chooser_ = std::move(chooser); }

 signals:
  void opened();
  void closed();

 private:
  MeasureContext context() const;
  void applyReadings(const MeasureReadings& readings);
  int runPopup(QPoint global);

  Shell& shell_;
  MeasureState state_;
  QPointer<MeasureWindow> window_;
  std::function<int(QPoint)> chooser_;
};

}  // namespace tikhomap
