// Dialog layouts are given in dialog units: a quarter of the dialog font's
// average character width across, an eighth of its height down.
#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

namespace tikhomap {

QSize dialogUnitsToPixels(const QFont& font, int unitsX, int unitsY);
// A control's rectangle from its position and size in dialog units.
QRect dialogUnitsRect(const QFont& font, int x, int y, int width, int height);

}  // namespace tikhomap
