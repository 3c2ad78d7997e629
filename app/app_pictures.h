// The program's own pictures, drawn as vector shapes so that they are sharp
// at any size and device pixel ratio: the program icon (icon 300), the four
// tool pictures of the palette and the pointer of the overview inset.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QRectF>

class QPainter;

namespace tikhomap {

enum class ToolPicture { Arrow, ZoomOut, ZoomRectangle, Pan };

// Draws the picture into rect (any aspect; the picture keeps its own,
// centred).
void paintProgramIcon(QPainter& painter, const QRectF& rect);
void paintToolPicture(QPainter& painter, const QRectF& rect, ToolPicture picture);
void paintPointerPicture(QPainter& painter, const QRectF& rect);

// Icons that paint themselves at whatever size and pixel ratio is asked.
QIcon programIcon();
QIcon toolIcon(ToolPicture picture);

// The program icon as an image of size × size pixels (for the installed
// icon files).
QImage programIconImage(int size);

}  // namespace tikhomap
