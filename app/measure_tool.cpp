#include "app/measure_tool.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPainter>

#include "app/map_widget.h"
#include "app/shell.h"
#include "session/map_session.h"

namespace tikhomap {

MeasureTool::MeasureTool(Shell& shell, QObject* parent) : QObject(parent), shell_(shell) {
  chooser_ = [this](QPoint global) { return runPopup(global); };
}

MeasureTool::~MeasureTool() {
  delete window_.data();
}

MeasureContext MeasureTool::context() const {
  MapSession& s = shell_.session();
  return MeasureContext{s.map, s.view, s.cache.firstStreetLine};
}

bool MeasureTool::open(bool alongStreets) {
  if (isOpen()) return false;
  startMeasurement(state_, alongStreets);
  window_ = new MeasureWindow(&shell_.mapWidget());
  connect(window_, &MeasureWindow::closeRequested, this, [this] { close(); });
  window_->show();
  emit opened();
  return true;
}

void MeasureTool::close() {
  if (!isOpen()) return;
  window_->hide();
  window_->deleteLater();
  window_ = nullptr;
  endMeasurement(state_);
  // The next paint only copies the frame: the measurement lines vanish.
  shell_.setRecomposePending(false);
  shell_.mapWidget().update();
  emit closed();
}

void MeasureTool::applyReadings(const MeasureReadings& readings) {
  if (!isOpen()) return;
  if (readings.length) {
    window_->setField(kMeasureLengthField, QString::fromStdString(*readings.length));
  }
  if (readings.area) window_->setField(kMeasureAreaField, QString::fromStdString(*readings.area));
}

void MeasureTool::addPoint(QPoint pixel) {
  if (!isOpen()) return;
  MapPoint q;
  screenToMap(shell_.session().view, pixel.x(), pixel.y(), q.x, q.y);
  const AddPointResult result = addMeasurePoint(state_, context(), q);
  applyReadings(result.readings);
  if (result.beep) shell_.beep();
  shell_.mapWidget().update();
}

void MeasureTool::showPointer(float mx, float my) {
  if (!isOpen()) return;
  const auto readings = pointerReadings(state_, {mx, my}, shell_.session().view.detailLevel);
  if (!readings) return;
  window_->setField(kMeasureOffsetField, QString::fromStdString(readings->offset));
  window_->setField(kMeasureCurrentField, QString::fromStdString(readings->currentLength));
}

int MeasureTool::runPopup(QPoint global) {
  QMenu popup(&shell_.mapWidget());
  popup.setObjectName(QStringLiteral("Popup1"));
  QAction* undo = popup.addAction(QStringLiteral("Отменить последнее"));
  undo->setData(kUndoLastMeasurePoint);
  QAction* clear = popup.addAction(QStringLiteral("Отменить измерение"));
  clear->setData(kClearMeasurement);
  const QAction* chosen = popup.exec(global);
  return chosen != nullptr ? chosen->data().toInt() : 0;
}

void MeasureTool::showPopup(QPoint pixel) {
  if (!isOpen() || !chooser_) return;
  const int id = chooser_(shell_.mapWidget().mapToGlobal(pixel));
  popupCommand(id);
}

void MeasureTool::popupCommand(int id) {
  if (!isOpen()) return;
  if (id == kClearMeasurement || (id == kUndoLastMeasurePoint && state_.measureCount() == 0)) {
    clearMeasurement(state_);
    for (int field : {kMeasureCurrentField, kMeasureLengthField, kMeasureAreaField}) {
      window_->setField(field, QString());
    }
    shell_.setRecomposePending(false);
    shell_.mapWidget().update();
    return;
  }
  if (id != kUndoLastMeasurePoint) return;  // dismissed
  const auto readings = undoLastMeasurePoint(state_, context());
  if (readings) applyReadings(*readings);
  // The paint copies the frame and draws the remaining polyline.
  shell_.mapWidget().update();
}

QPoint MeasureTool::lastPointPixel() const {
  if (state_.measurePoints.empty()) return {};
  const MapPoint& p = state_.measurePoints.back();
  int32_t sx = 0;
  int32_t sy = 0;
  mapToScreen(shell_.session().view, p.x, p.y, sx, sy);
  return {sx, sy};
}

void MeasureTool::drawPolyline(QPainter& painter) const {
  if (state_.measurePoints.empty()) return;
  const ViewState& view = shell_.session().view;
  QPolygon line;
  for (const MapPoint& p : state_.measurePoints) {
    int32_t sx = 0;
    int32_t sy = 0;
    mapToScreen(view, p.x, p.y, sx, sy);
    line << QPoint(sx, sy);
  }
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setCompositionMode(QPainter::RasterOp_NotDestination);
  painter.setPen(QPen(Qt::black, 1));
  painter.setBrush(Qt::NoBrush);
  if (line.size() >= 2) painter.drawPolyline(line);
  for (const QPoint& p : line) painter.drawEllipse(QRect(p.x() - 2, p.y() - 2, 4, 4));
}

}  // namespace tikhomap
