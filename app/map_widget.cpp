#include "app/map_widget.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QNativeGestureEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>

#include "app/mouse_handler.h"
#include "raster/qt_canvas.h"

namespace tikhomap {

MapWidget::MapWidget(MapWidgetHost& host, QWidget* parent) : QWidget(parent), host_(host) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
  setFocusPolicy(Qt::StrongFocus);
  setMouseTracking(true);
  setObjectName(QStringLiteral("mapWidget"));
}

int MapWidget::addOverlay(OverlayDrawer draw, OverlayAnchor anchor) {
  const int id = nextOverlayId_++;
  overlays_.push_back({id, std::move(draw), anchor});
  return id;
}

void MapWidget::removeOverlay(int id) {
  std::erase_if(overlays_, [id](const Overlay& o) { return o.id == id; });
}

namespace {

// The frame has a pixel for every device pixel of the map area, so that a
// screen of a higher pixel ratio shows it without scaling.
QImage makeFrame(QSize logical, qreal ratio) {
  QImage frame(logical.expandedTo(QSize(1, 1)) * ratio, QImage::Format_RGB32);
  frame.setDevicePixelRatio(ratio);
  frame.fill(toQColor(kButtonFace));
  return frame;
}

}  // namespace

bool MapWidget::frameFits() const {
  return !frame_.isNull() && frame_.devicePixelRatio() == devicePixelRatioF() &&
         frame_.deviceIndependentSize().toSize() == size();
}

void MapWidget::paintEvent(QPaintEvent*) {
  ++paintCount_;
  if (!frameFits()) {
    // A paint can come before the first resize event.
    frame_ = makeFrame(size(), devicePixelRatioF());
    host_.frameRemade();
  }
  host_.prepareFrame(frame_);
  {
    QPainter painter(this);
    if (frameOffset_.isNull()) {
      painter.drawImage(0, 0, frame_);
    } else {
      // Only the uncovered edges are filled: the moved frame covers the rest.
      const QRect moved(frameOffset_, size());
      const QRegion uncovered = QRegion(rect()).subtracted(QRegion(moved));
      for (const QRect& r : uncovered) painter.fillRect(r, uncovered_);
      painter.drawImage(frameOffset_, frame_);
    }
    for (const Overlay& overlay : overlays_) {
      painter.save();
      if (overlay.anchor == OverlayAnchor::Map) painter.translate(frameOffset_);
      overlay.draw(painter);
      painter.restore();
    }
  }
  host_.finishPaint();
}

void MapWidget::resizeEvent(QResizeEvent*) {
  if (size().isEmpty()) return;
  if (frameFits()) return;
  frame_ = makeFrame(size(), devicePixelRatioF());
  host_.frameRemade();
  update();
}

void MapWidget::mousePressEvent(QMouseEvent* event) {
  if (mouseHandler_ == nullptr || !mouseHandler_->mousePress(*event))
    QWidget::mousePressEvent(event);
}

void MapWidget::mouseMoveEvent(QMouseEvent* event) {
  if (mouseHandler_ == nullptr || !mouseHandler_->mouseMove(*event)) QWidget::mouseMoveEvent(event);
}

void MapWidget::mouseReleaseEvent(QMouseEvent* event) {
  if (mouseHandler_ == nullptr || !mouseHandler_->mouseRelease(*event)) {
    QWidget::mouseReleaseEvent(event);
  }
}

void MapWidget::mouseDoubleClickEvent(QMouseEvent* event) {
  if (mouseHandler_ == nullptr || !mouseHandler_->mouseDoubleClick(*event)) {
    QWidget::mouseDoubleClickEvent(event);
  }
}

void MapWidget::setFrameOffset(QPoint offset, QColor uncovered) {
  if (offset == frameOffset_) return;
  frameOffset_ = offset;
  if (uncovered.isValid()) uncovered_ = uncovered;
  update();
}

void MapWidget::wheelEvent(QWheelEvent* event) {
  if (mouseHandler_ == nullptr || !mouseHandler_->wheel(*event)) QWidget::wheelEvent(event);
}

bool MapWidget::event(QEvent* event) {
  if (event->type() == QEvent::NativeGesture && mouseHandler_ != nullptr &&
      mouseHandler_->nativeGesture(*static_cast<QNativeGestureEvent*>(event))) {
    return true;
  }
  return QWidget::event(event);
}

void MapWidget::keyPressEvent(QKeyEvent* event) {
  host_.keyPressed(*event);
}

void MapWidget::keyReleaseEvent(QKeyEvent* event) {
  host_.keyReleased(*event);
}

}  // namespace tikhomap
