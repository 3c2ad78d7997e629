#include "app/coordinates_window.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>

#include "app/dialog_units.h"
#include "raster/font_substitution.h"
#include "tools/coordinates.h"

namespace tikhomap {
CoordinatesWindow::CoordinatesWindow(QWidget* owner)
    : QDialog(owner, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                         Qt::CustomizeWindowHint) {
  setObjectName(QString::number(kCoordinatesDialog));
  setWindowTitle(QStringLiteral("Координаты"));
  setAttribute(Qt::WA_ShowWithoutActivating);
  setFocusPolicy(Qt::NoFocus);
  QFont font(substituteFontFace("MS Sans Serif"));
  font.setPointSize(8);
  setFont(font);

  auto* latitudeLabel = new QLabel(QStringLiteral("широта"), this);
  latitudeLabel->setGeometry(dialogUnitsRect(font, 2, 3, 26, 8));
  latitude_ = new QLineEdit(this);
  latitude_->setObjectName(QString::number(kLatitudeField));
  latitude_->setGeometry(dialogUnitsRect(font, 30, 2, 42, 12));
  auto* longitudeLabel = new QLabel(QStringLiteral("долгота"), this);
  longitudeLabel->setGeometry(dialogUnitsRect(font, 77, 3, 28, 8));
  longitude_ = new QLineEdit(this);
  longitude_->setObjectName(QString::number(kLongitudeField));
  longitude_->setGeometry(dialogUnitsRect(font, 107, 2, 46, 12));
  for (QLineEdit* field : {latitude_, longitude_}) {
    field->setReadOnly(true);
    field->setFocusPolicy(Qt::NoFocus);
  }
  // The longitude field ends at the window's right edge.
  setFixedSize(dialogUnitsToPixels(font, 153, 15));

  if (owner != nullptr) {
    const QSize at = dialogUnitsToPixels(font, 20, 20);
    move(owner->mapToGlobal(QPoint(at.width(), at.height())));
  }
}

void CoordinatesWindow::showMapPoint(float x, float y) {
  const LatLongTexts texts = latLongAtMapPoint(x, y);
  latitude_->setText(QString::fromStdString(texts.latitude));
  longitude_->setText(QString::fromStdString(texts.longitude));
}

void CoordinatesWindow::showMapPoint(const MapData& map, float x, float y) {
  const LatLongTexts texts = latLongAtMapPoint(map, x, y);
  latitude_->setText(QString::fromStdString(texts.latitude));
  longitude_->setText(QString::fromStdString(texts.longitude));
}

QString CoordinatesWindow::latitudeText() const {
  return latitude_->text();
}
QString CoordinatesWindow::longitudeText() const {
  return longitude_->text();
}

void CoordinatesWindow::done(int) {
  emit closeRequested();
}

void CoordinatesWindow::closeEvent(QCloseEvent* event) {
  event->ignore();
  emit closeRequested();
}

}  // namespace tikhomap
