// Copies of one polygon at many offsets, darkened into an image in mask mode
// (pixel AND colour) with each covered pixel touched once. Shadows of the
// volumetric views are hundreds of such copies; filling them one by one
// costs a polygon fill per pixel of shadow length.
#pragma once

#include <QImage>
#include <QPainter>
#include <QRect>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "mapdata/records.h"

namespace tikhomap {

// Working storage kept between calls, so that a frame's hundreds of shadows
// do not allocate each time.
struct MaskStampScratch {
  struct Run {
    int32_t row;
    int32_t x0;  // first covered column
    int32_t x1;  // one past the last
  };
  // Offsets in one row over a range of columns, or in one column over a
  // range of rows (inclusive).
  struct OffsetGroup {
    int32_t x0;
    int32_t x1;
    int32_t y0;
    int32_t y1;
  };
  // The polygon is filled by a painter that stays on the mask between
  // calls (a frame fills hundreds); both live on the heap, so that the
  // scratch can move while the painter keeps its device.
  struct MaskSurface {
    explicit MaskSurface(QSize size);
    QImage image;
    QPainter painter;
  };
  std::unique_ptr<MaskSurface> mask;
  std::vector<Run> shape;     // the polygon's runs, by row
  std::vector<size_t> rowAt;  // index of each mask row's first run in shape
  std::vector<Run> covered;   // runs of every copy in target rows
  std::vector<Run> sorted;    // the same by row and first column
  std::vector<size_t> rowStarts;
  std::vector<size_t> rowNext;
  std::vector<Run> columns;      // the polygon's runs down each column
  std::vector<size_t> columnAt;  // index of each mask column's first run
  std::vector<OffsetGroup> rowGroups;
  std::vector<OffsetGroup> columnGroups;
  // Covered pixels of the area the copies reach; all zero between calls,
  // each call clearing what it marked.
  std::vector<uint8_t> marks;
  // Per row of that area: the first marked column and one past the last.
  std::vector<int32_t> markedFrom;
  std::vector<int32_t> markedTo;
};

// Darkens, inside clip, every pixel of target that a fill of the polygon
// (odd-even, no antialiasing) at one of the offsets would cover. target must
// be a 32-bit RGB image. Only pixels inside writable (a part of clip, such as
// one band of a frame drawn by several threads) are touched; the polygon is
// filled as for the whole clip, so each band darkens the pixels the whole
// would.
void maskPolygonStamps(QImage& target, const QRect& clip, QRgb colour,
                       std::span<const ScreenPoint> points, std::span<const ScreenPoint> offsets,
                       MaskStampScratch& scratch, const QRect& writable);

}  // namespace tikhomap
