// Copies of one polygon at many offsets, darkened into an image in mask mode
// (pixel AND colour) with each covered pixel touched once. Shadows of the
// volumetric views are hundreds of such copies; filling them one by one
// costs a polygon fill per pixel of shadow length.
#pragma once

#include <QImage>
#include <QRect>
#include <span>

#include "mapdata/records.h"

namespace tikhomap {

// Darkens, inside clip, every pixel of target that a fill of the polygon
// (odd-even, no antialiasing) at one of the offsets would cover. target must
// be a 32-bit RGB image.
void maskPolygonStamps(QImage& target, const QRect& clip, QRgb colour,
                       std::span<const ScreenPoint> points, std::span<const ScreenPoint> offsets);

}  // namespace tikhomap
