#include "app/app_pictures.h"

#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <functional>

namespace tikhomap {
namespace {

using PaintFn = std::function<void(QPainter&, const QRectF&)>;

// Pictures are designed on a 64 × 64 grid; this maps the grid into the
// largest centred square of rect.
void toGrid(QPainter& p, const QRectF& rect) {
  const qreal side = std::min(rect.width(), rect.height());
  p.translate(rect.x() + (rect.width() - side) / 2, rect.y() + (rect.height() - side) / 2);
  p.scale(side / 64.0, side / 64.0);
  p.setRenderHint(QPainter::Antialiasing);
}

class PaintedIconEngine final : public QIconEngine {
 public:
  explicit PaintedIconEngine(PaintFn paint) : paint_(std::move(paint)) {}

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
    painter->save();
    if (mode == QIcon::Disabled) painter->setOpacity(0.4);
    paint_(*painter, QRectF(rect));
    painter->restore();
  }
  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    return scaledPixmap(size, mode, state, 1.0);
  }
  QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                       qreal scale) override {
    QPixmap pixmap(size * scale);
    pixmap.fill(Qt::transparent);
    {
      QPainter painter(&pixmap);
      paint(&painter, QRect(QPoint(0, 0), pixmap.size()), mode, state);
    }
    pixmap.setDevicePixelRatio(scale);
    return pixmap;
  }
  QIconEngine* clone() const override { return new PaintedIconEngine(paint_); }
  QString key() const override { return QStringLiteral("tikhomap-painted"); }

 private:
  PaintFn paint_;
};

void magnifier(QPainter& p, bool plus) {
  p.setBrush(QColor(230, 245, 255));
  p.setPen(QPen(QColor(20, 20, 20), 5));
  p.drawEllipse(QPointF(26, 26), 17, 17);
  p.setPen(QPen(QColor(20, 20, 20), 9, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(39, 39), QPointF(56, 56));
  p.setPen(QPen(QColor(20, 20, 20), 5, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(17, 26), QPointF(35, 26));
  if (plus) p.drawLine(QPointF(26, 17), QPointF(26, 35));
}

void pointerArrow(QPainter& p) {
  QPainterPath arrow;
  arrow.moveTo(18, 8);
  arrow.lineTo(18, 50);
  arrow.lineTo(28, 40);
  arrow.lineTo(36, 57);
  arrow.lineTo(43, 54);
  arrow.lineTo(35, 37);
  arrow.lineTo(49, 37);
  arrow.closeSubpath();
  p.setPen(QPen(QColor(20, 20, 20), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Qt::white);
  p.drawPath(arrow);
}

// Four arrows out of the centre: the map moves with the pointer.
void panArrows(QPainter& p) {
  p.setPen(QPen(QColor(20, 20, 20), 4, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(32, 10), QPointF(32, 54));
  p.drawLine(QPointF(10, 32), QPointF(54, 32));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(20, 20, 20));
  for (int turn = 0; turn < 4; ++turn) {
    p.save();
    p.translate(32, 32);
    p.rotate(90.0 * turn);
    const QPointF head[3] = {{0, -29}, {-9, -17}, {9, -17}};
    p.drawPolygon(head, 3);
    p.restore();
  }
  p.setBrush(Qt::white);
  p.setPen(QPen(QColor(20, 20, 20), 3));
  p.drawEllipse(QPointF(32, 32), 6, 6);
}

}  // namespace

void paintProgramIcon(QPainter& p, const QRectF& rect) {
  p.save();
  toGrid(p, rect);
  // The bay: a rounded square of sea with the city's land on it.
  p.setPen(QPen(QColor(40, 90, 150), 2));
  p.setBrush(QColor(150, 215, 250));
  p.drawRoundedRect(QRectF(2, 2, 60, 60), 10, 10);
  QPainterPath land;
  land.moveTo(3, 22);
  land.cubicTo(18, 14, 30, 30, 46, 20);
  land.cubicTo(54, 15, 58, 22, 61, 26);
  land.lineTo(61, 52);
  land.quadTo(61, 61, 52, 61);
  land.lineTo(12, 61);
  land.quadTo(3, 61, 3, 52);
  land.closeSubpath();
  p.setPen(QPen(QColor(80, 80, 255), 1.5));
  p.setBrush(QColor(208, 217, 186));
  p.drawPath(land);
  // Two crossing streets.
  p.setPen(QPen(QColor(255, 255, 255), 5, Qt::SolidLine, Qt::FlatCap));
  p.drawLine(QPointF(8, 46), QPointF(60, 40));
  p.drawLine(QPointF(26, 61), QPointF(34, 26));
  p.setPen(QPen(QColor(150, 130, 100), 1.2));
  p.drawLine(QPointF(8, 46), QPointF(60, 40));
  p.drawLine(QPointF(26, 61), QPointF(34, 26));
  // The red flag of a found house.
  p.setPen(QPen(QColor(60, 20, 20), 2.5, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(44, 50), QPointF(44, 12));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(220, 30, 30));
  const QPointF flag[3] = {{44, 12}, {60, 18}, {44, 25}};
  p.drawPolygon(flag, 3);
  p.restore();
}

void paintToolPicture(QPainter& p, const QRectF& rect, ToolPicture picture) {
  p.save();
  toGrid(p, rect);
  switch (picture) {
    case ToolPicture::Arrow:
      pointerArrow(p);
      break;
    case ToolPicture::ZoomOut:
      magnifier(p, false);
      break;
    case ToolPicture::ZoomRectangle:
      p.setPen(QPen(QColor(255, 0, 255), 3, Qt::DashLine));
      p.setBrush(Qt::NoBrush);
      p.drawRect(QRectF(4, 4, 40, 40));
      magnifier(p, true);
      break;
    case ToolPicture::Pan:
      panArrows(p);
      break;
  }
  p.restore();
}

void paintPointerPicture(QPainter& p, const QRectF& rect) {
  p.save();
  toGrid(p, rect);
  // A thick red arrow pointing right, at the small view rectangle.
  QPainterPath arrow;
  arrow.moveTo(62, 32);
  arrow.lineTo(36, 8);
  arrow.lineTo(36, 22);
  arrow.lineTo(4, 22);
  arrow.lineTo(4, 42);
  arrow.lineTo(36, 42);
  arrow.lineTo(36, 56);
  arrow.closeSubpath();
  p.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(QColor(230, 0, 0));
  p.drawPath(arrow);
  p.restore();
}

QIcon programIcon() {
  return QIcon(new PaintedIconEngine(paintProgramIcon));
}

QIcon toolIcon(ToolPicture picture) {
  return QIcon(new PaintedIconEngine(
      [picture](QPainter& p, const QRectF& r) { paintToolPicture(p, r, picture); }));
}

QImage programIconImage(int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  paintProgramIcon(painter, QRectF(0, 0, size, size));
  return image;
}

}  // namespace tikhomap
