// The painter's pen for the map's lines of width 0 or 1, shared by the canvas
// and the shapes it learns from the painter.
#pragma once

#include <QColor>
#include <QPen>

namespace tikhomap {

// One logical pixel at any transform (ratio device pixels); flat caps leave
// out the last pixel of a line, as the map's line rules expect.
inline QPen thinPen(const QColor& colour, qreal ratio) {
  QPen q(colour);
  q.setWidthF(ratio);
  q.setCosmetic(true);
  q.setCapStyle(Qt::FlatCap);
  q.setJoinStyle(Qt::MiterJoin);
  return q;
}

}  // namespace tikhomap
