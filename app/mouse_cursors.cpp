#include "app/mouse_cursors.h"

#include <QPainter>
#include <QPixmap>

namespace tikhomap {
namespace {

// A magnifying glass with a plus or a minus; the hot spot is the centre of
// the lens.
QCursor magnifier(bool plus) {
  QPixmap pixmap(32, 32);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(Qt::white, 4));
  p.drawEllipse(QRectF(3, 3, 18, 18));
  p.drawLine(QPointF(19, 19), QPointF(28, 28));
  p.setPen(QPen(Qt::black, 2));
  p.setBrush(QColor(255, 255, 255, 160));
  p.drawEllipse(QRectF(3, 3, 18, 18));
  p.setPen(QPen(Qt::black, 3));
  p.drawLine(QPointF(19, 19), QPointF(28, 28));
  p.setPen(QPen(Qt::black, 2));
  p.drawLine(QPointF(8, 12), QPointF(16, 12));
  if (plus) p.drawLine(QPointF(12, 8), QPointF(12, 16));
  p.end();
  return QCursor(pixmap, 12, 12);
}

}  // namespace

QCursor mapCursor(MapCursor kind) {
  switch (kind) {
    case MapCursor::Pan:
      return QCursor(Qt::SizeAllCursor);
    case MapCursor::ZoomIn:
      return magnifier(true);
    case MapCursor::ZoomOut:
      return magnifier(false);
    case MapCursor::Measure:
      return QCursor(Qt::CrossCursor);
    case MapCursor::Info:
      return QCursor(Qt::WhatsThisCursor);
    case MapCursor::Wait:
      return QCursor(Qt::WaitCursor);
    case MapCursor::Arrow:
      break;
  }
  return QCursor(Qt::ArrowCursor);
}

}  // namespace tikhomap
