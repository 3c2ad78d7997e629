#include "raster/mask_stamps.h"

#include <QPainter>
#include <QPolygon>
#include <algorithm>

#include "render/canvas.h"

namespace tikhomap {

namespace {

using Run = MaskStampScratch::Run;
using OffsetGroup = MaskStampScratch::OffsetGroup;

// Above this many pixel marks (outline pixels times copies) the copies are
// merged as runs instead.
constexpr int64_t kMarkPixelLimit = 8'000'000;

// The polygon filled once, by the same painter rules as the target, moved by
// whole pixels into the window's mask; its covered pixels as runs per row.
void shapeRuns(std::span<const ScreenPoint> points, const QRect& window, MaskStampScratch& s) {
  const QSize had = s.mask ? s.mask->image.size() : QSize(0, 0);
  if (had.width() < window.width() || had.height() < window.height()) {
    s.mask.reset();
    s.mask = std::make_unique<MaskStampScratch::MaskSurface>(
        QSize(std::max(window.width(), had.width()), std::max(window.height(), had.height())));
  }
  const QRect area(0, 0, window.width(), window.height());
  {
    QPolygon moved(static_cast<int>(points.size()));
    for (size_t i = 0; i < points.size(); ++i) {
      moved.setPoint(static_cast<int>(i), points[i].x - window.left(), points[i].y - window.top());
    }
    QPainter& painter = s.mask->painter;
    painter.setClipping(false);
    painter.fillRect(area, Qt::transparent);
    painter.setClipRect(area);
    painter.drawPolygon(moved, Qt::OddEvenFill);
  }
  s.shape.clear();
  s.rowAt.assign(static_cast<size_t>(window.height()) + 1, 0);
  for (int y = 0; y < window.height(); ++y) {
    s.rowAt[static_cast<size_t>(y)] = s.shape.size();
    const auto* line = reinterpret_cast<const QRgb*>(s.mask->image.constScanLine(y));
    for (int x = 0; x < window.width();) {
      if (qAlpha(line[x]) == 0) {
        ++x;
        continue;
      }
      const int start = x;
      while (x < window.width() && qAlpha(line[x]) != 0) ++x;
      s.shape.push_back({y + window.top(), start + window.left(), x + window.left()});
    }
  }
  s.rowAt[static_cast<size_t>(window.height())] = s.shape.size();
}

// Consecutive offsets in one row (alongRows) or one column whose other
// coordinates stay contiguous, each group with the range it spans.
void groupOffsets(std::span<const ScreenPoint> offsets, bool alongRows,
                  std::vector<OffsetGroup>& groups) {
  groups.clear();
  for (const ScreenPoint o : offsets) {
    if (!groups.empty()) {
      OffsetGroup& g = groups.back();
      // In 64 bits: a group may reach the ends of the int32 range.
      if (alongRows && o.y == g.y0 && int64_t{o.x} >= int64_t{g.x0} - 1 &&
          int64_t{o.x} <= int64_t{g.x1} + 1) {
        g.x0 = std::min(g.x0, o.x);
        g.x1 = std::max(g.x1, o.x);
        continue;
      }
      if (!alongRows && o.x == g.x0 && int64_t{o.y} >= int64_t{g.y0} - 1 &&
          int64_t{o.y} <= int64_t{g.y1} + 1) {
        g.y0 = std::min(g.y0, o.y);
        g.y1 = std::max(g.y1, o.y);
        continue;
      }
    }
    groups.push_back({o.x, o.x, o.y, o.y});
  }
}

// The filled shape in the mask as runs down each column of the window.
void columnRuns(const QRect& window, MaskStampScratch& s) {
  s.columns.clear();
  s.columnAt.assign(static_cast<size_t>(window.width()) + 1, 0);
  // Walked down each column: the mask's rows are reached by their stride,
  // not asked of the image pixel by pixel.
  const auto* bits = reinterpret_cast<const QRgb*>(s.mask->image.constBits());
  const ptrdiff_t stride = s.mask->image.bytesPerLine() / 4;
  for (int x = 0; x < window.width(); ++x) {
    s.columnAt[static_cast<size_t>(x)] = s.columns.size();
    const QRgb* column = bits + x;
    for (int y = 0; y < window.height();) {
      if (qAlpha(column[y * stride]) == 0) {
        ++y;
        continue;
      }
      const int start = y;
      while (y < window.height() && qAlpha(column[y * stride]) != 0) ++y;
      s.columns.push_back({x + window.left(), start + window.top(), y + window.top()});
    }
  }
  s.columnAt[static_cast<size_t>(window.width())] = s.columns.size();
}

}  // namespace

MaskStampScratch::MaskSurface::MaskSurface(QSize size)
    : image(size, QImage::Format_ARGB32_Premultiplied), painter(&image) {
  painter.setCompositionMode(QPainter::CompositionMode_Source);
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setPen(Qt::NoPen);
  painter.setBrush(Qt::black);
}

void maskPolygonStamps(QImage& target, const QRect& clip, QRgb colour,
                       std::span<const ScreenPoint> points, std::span<const ScreenPoint> offsets,
                       MaskStampScratch& scratch, const QRect& writable) {
  const QRect visible = clip.intersected(target.rect());
  const QRect written = writable.intersected(visible);
  if (points.size() < 2 || offsets.empty() || written.isEmpty()) return;

  const PixelBox offsetBox = vertexBox(offsets);
  const int minOx = offsetBox.left, maxOx = offsetBox.right;
  const int minOy = offsetBox.top, maxOy = offsetBox.bottom;
  const PixelBox pointBox = vertexBox(points);
  // Only the part of the polygon that some copy brings into view is filled.
  const QRect box(QPoint(pointBox.left, pointBox.top), QPoint(pointBox.right, pointBox.bottom));
  const QRect reach(QPoint(visible.left() - maxOx, visible.top() - maxOy),
                    QPoint(visible.right() - minOx, visible.bottom() - minOy));
  const QRect window = box.intersected(reach);
  if (window.isEmpty()) return;
  shapeRuns(points, window, scratch);

  const QRgb keep = colour | 0xff000000u;
  // Short shadows of small outlines are marked pixel by pixel in a mask of
  // the area they can reach; long ones of large outlines are merged as runs,
  // which costs per run instead of per pixel.
  int64_t shapePixels = 0;
  for (const Run& r : scratch.shape) shapePixels += r.x1 - r.x0;
  const QRect reachable = QRect(QPoint(window.left() + minOx, window.top() + minOy),
                                QPoint(window.right() + maxOx, window.bottom() + maxOy))
                              .intersected(written);
  if (reachable.isEmpty()) return;
  // The offsets of a shadow walk a line one pixel at a time: along its
  // major axis consecutive offsets share a row (or a column) and step by one
  // pixel. Copies of a run at neighbouring offsets touch, so a group of them
  // covers one run from the first copy's start to the last copy's end.
  groupOffsets(offsets, true, scratch.rowGroups);
  groupOffsets(offsets, false, scratch.columnGroups);
  const bool byColumns = scratch.columnGroups.size() < scratch.rowGroups.size();
  const auto& groups = byColumns ? scratch.columnGroups : scratch.rowGroups;
  if (shapePixels * static_cast<int64_t>(groups.size()) <= kMarkPixelLimit) {
    auto& marks = scratch.marks;
    const size_t width = static_cast<size_t>(reachable.width());
    const size_t height = static_cast<size_t>(reachable.height());
    // Zero from the calls before: only what a call marks is cleared again.
    if (marks.size() < width * height) marks.resize(width * height, 0);
    // Only the marked stretch of each row is written back: the area of a
    // slanting shadow is mostly empty.
    auto& markedFrom = scratch.markedFrom;
    auto& markedTo = scratch.markedTo;
    markedFrom.assign(height, static_cast<int32_t>(width));
    markedTo.assign(height, 0);
    if (byColumns) {
      columnRuns(window, scratch);
      for (const OffsetGroup& g : groups) {
        const int firstX = std::max(window.left(), reachable.left() - g.x0);
        const int lastX = std::min(window.right(), reachable.right() - g.x0);
        if (firstX > lastX) continue;
        const size_t begin = scratch.columnAt[static_cast<size_t>(firstX - window.left())];
        const size_t end = scratch.columnAt[static_cast<size_t>(lastX - window.left()) + 1];
        for (size_t i = begin; i < end; ++i) {
          const Run r = scratch.columns[i];  // row holds the column, x0..x1 the rows
          const int from = std::max(r.x0 + g.y0, reachable.top());
          const int to = std::min(r.x1 + g.y1, reachable.bottom() + 1);
          const int32_t column = r.row + g.x0 - reachable.left();
          uint8_t* mark = marks.data() + static_cast<size_t>(column);
          for (int y = from; y < to; ++y) {
            const size_t at = static_cast<size_t>(y - reachable.top());
            mark[at * width] = 1;
            markedFrom[at] = std::min(markedFrom[at], column);
            markedTo[at] = std::max(markedTo[at], column + 1);
          }
        }
      }
    } else {
      for (const OffsetGroup& g : groups) {
        // Only the shape's rows that this group brings into the reachable rows.
        const int first = std::max(window.top(), reachable.top() - g.y0);
        const int last = std::min(window.bottom(), reachable.bottom() - g.y0);
        if (first > last) continue;
        const size_t begin = scratch.rowAt[static_cast<size_t>(first - window.top())];
        const size_t end = scratch.rowAt[static_cast<size_t>(last - window.top()) + 1];
        for (size_t i = begin; i < end; ++i) {
          const Run r = scratch.shape[i];
          const int row = r.row + g.y0;
          const int from = std::max(r.x0 + g.x0, reachable.left());
          const int to = std::min(r.x1 + g.x1, reachable.right() + 1);
          if (from >= to) continue;
          const size_t at = static_cast<size_t>(row - reachable.top());
          const int32_t x0 = from - reachable.left();
          const int32_t x1 = to - reachable.left();
          std::fill_n(marks.begin() + static_cast<ptrdiff_t>(at * width + static_cast<size_t>(x0)),
                      x1 - x0, uint8_t{1});
          markedFrom[at] = std::min(markedFrom[at], x0);
          markedTo[at] = std::max(markedTo[at], x1);
        }
      }
    }
    // Every pixel of a row's marked stretch is written, unmarked ones with
    // themselves: without a branch per pixel the loop runs on vectors. The
    // marks are cleared behind.
    uchar* bits = target.bits();
    const qsizetype stride = target.bytesPerLine();
    for (size_t y = 0; y < height; ++y) {
      const int32_t x0 = markedFrom[y];
      const int32_t x1 = markedTo[y];
      if (x0 >= x1) continue;
      auto* line =
          reinterpret_cast<QRgb*>(bits + (static_cast<qsizetype>(y) + reachable.top()) * stride) +
          reachable.left();
      uint8_t* mark = marks.data() + y * width;
      for (int32_t x = x0; x < x1; ++x) {
        line[x] &= keep | ((static_cast<uint32_t>(mark[x]) - 1u) & ~keep);
      }
      std::fill(mark + x0, mark + x1, uint8_t{0});
    }
    return;
  }

  // Runs of every copy in target rows, merged per row, then darkened once.
  auto& covered = scratch.covered;
  covered.clear();
  for (const OffsetGroup& g : scratch.rowGroups) {
    const int first = std::max(window.top(), written.top() - g.y0);
    const int last = std::min(window.bottom(), written.bottom() - g.y0);
    if (first > last) continue;
    const size_t from = scratch.rowAt[static_cast<size_t>(first - window.top())];
    const size_t to = scratch.rowAt[static_cast<size_t>(last - window.top()) + 1];
    for (size_t i = from; i < to; ++i) {
      const Run r = scratch.shape[i];
      covered.push_back({r.row + g.y0, r.x0 + g.x0, r.x1 + g.x1});
    }
  }
  // Sorted by row, then by first column: the runs are dealt into their rows
  // first (the rows are few, the runs many), then each row is sorted alone.
  const size_t rowCount = static_cast<size_t>(written.height());
  auto& starts = scratch.rowStarts;
  starts.assign(rowCount + 1, 0);
  for (const Run& r : covered) ++starts[static_cast<size_t>(r.row - written.top()) + 1];
  for (size_t i = 1; i <= rowCount; ++i) starts[i] += starts[i - 1];
  auto& sorted = scratch.sorted;
  sorted.resize(covered.size());
  {
    auto& next = scratch.rowNext;
    next.assign(starts.begin(), starts.end() - 1);
    for (const Run& r : covered) sorted[next[static_cast<size_t>(r.row - written.top())]++] = r;
  }
  for (size_t i = 0; i < rowCount; ++i) {
    std::sort(sorted.begin() + static_cast<ptrdiff_t>(starts[i]),
              sorted.begin() + static_cast<ptrdiff_t>(starts[i + 1]),
              [](const Run& a, const Run& b) { return a.x0 < b.x0; });
  }
  int row = -1;
  int done = 0;
  QRgb* line = nullptr;
  for (const Run r : sorted) {
    if (r.row != row) {
      row = r.row;
      done = written.left();
      line = reinterpret_cast<QRgb*>(target.scanLine(row));
    }
    const int from = std::max(r.x0, done);
    const int to = std::min(r.x1, written.right() + 1);
    for (int x = from; x < to; ++x) line[x] &= keep;
    done = std::max(done, to);
  }
}

}  // namespace tikhomap
