#include "app/dialog_units.h"

#include <QFontMetrics>
#include <QString>
#include <cmath>

namespace tikhomap {

QSize dialogUnitsToPixels(const QFont& font, int unitsX, int unitsY) {
  const QFontMetrics fm(font);
  // The average width of the 52 Latin letters and the line height are one
  // quarter and one eighth of a dialog unit's base.
  const QString letters = QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ");
  const double baseX = fm.horizontalAdvance(letters) / 52.0;
  const double baseY = fm.height();
  return QSize(static_cast<int>(std::lround(unitsX * baseX / 4.0)),
               static_cast<int>(std::lround(unitsY * baseY / 8.0)));
}

QRect dialogUnitsRect(const QFont& font, int x, int y, int width, int height) {
  const QSize origin = dialogUnitsToPixels(font, x, y);
  return QRect(QPoint(origin.width(), origin.height()), dialogUnitsToPixels(font, width, height));
}

}  // namespace tikhomap
