// The pointer shapes of the map window: the arrow, the pan hand, the zoom
// magnifiers, the measurement cross, the information pointer and the wait
// cursor.
#pragma once

#include <QCursor>

namespace tikhomap {

enum class MapCursor { Arrow, Pan, ZoomIn, ZoomOut, Measure, Info, Wait };

QCursor mapCursor(MapCursor kind);

}  // namespace tikhomap
