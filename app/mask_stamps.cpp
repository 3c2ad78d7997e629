#include "app/mask_stamps.h"

#include <QPainter>
#include <QPolygon>
#include <algorithm>
#include <vector>

namespace tikhomap {

namespace {

struct Run {
  int x0;  // first covered column
  int x1;  // one past the last
};

}  // namespace

void maskPolygonStamps(QImage& target, const QRect& clip, QRgb colour,
                       std::span<const ScreenPoint> points, std::span<const ScreenPoint> offsets) {
  const QRect visible = clip.intersected(target.rect());
  if (points.size() < 2 || offsets.empty() || visible.isEmpty()) return;

  int minOx = offsets[0].x, maxOx = minOx, minOy = offsets[0].y, maxOy = minOy;
  for (const ScreenPoint o : offsets) {
    minOx = std::min(minOx, o.x);
    maxOx = std::max(maxOx, o.x);
    minOy = std::min(minOy, o.y);
    maxOy = std::max(maxOy, o.y);
  }
  // Only the part of the polygon that some copy brings into view is filled.
  int minX = points[0].x, maxX = minX, minY = points[0].y, maxY = minY;
  for (const ScreenPoint p : points) {
    minX = std::min(minX, p.x);
    maxX = std::max(maxX, p.x);
    minY = std::min(minY, p.y);
    maxY = std::max(maxY, p.y);
  }
  const QRect box(QPoint(minX, minY), QPoint(maxX, maxY));
  const QRect reach(QPoint(visible.left() - maxOx, visible.top() - maxOy),
                    QPoint(visible.right() - minOx, visible.bottom() - minOy));
  const QRect window = box.intersected(reach);
  if (window.isEmpty()) return;

  // The polygon filled once, by the same painter rules as the target, moved
  // by whole pixels into a mask of the window.
  QImage mask(window.size(), QImage::Format_ARGB32_Premultiplied);
  mask.fill(0);
  {
    QPolygon moved(static_cast<int>(points.size()));
    for (size_t i = 0; i < points.size(); ++i) {
      moved.setPoint(static_cast<int>(i), points[i].x - window.left(), points[i].y - window.top());
    }
    QPainter painter(&mask);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    painter.drawPolygon(moved, Qt::OddEvenFill);
  }
  std::vector<std::vector<Run>> rows(static_cast<size_t>(window.height()));
  for (int y = 0; y < window.height(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(mask.constScanLine(y));
    for (int x = 0; x < window.width();) {
      if (qAlpha(line[x]) == 0) {
        ++x;
        continue;
      }
      const int start = x;
      while (x < window.width() && qAlpha(line[x]) != 0) ++x;
      rows[static_cast<size_t>(y)].push_back({start + window.left(), x + window.left()});
    }
  }

  // Runs of every copy gathered by target row, merged, then darkened once.
  std::vector<std::vector<Run>> covered(static_cast<size_t>(visible.height()));
  for (const ScreenPoint o : offsets) {
    const int first = std::max(window.top(), visible.top() - o.y);
    const int last = std::min(window.bottom(), visible.bottom() - o.y);
    for (int y = first; y <= last; ++y) {
      auto& out = covered[static_cast<size_t>(y + o.y - visible.top())];
      for (const Run r : rows[static_cast<size_t>(y - window.top())]) {
        out.push_back({r.x0 + o.x, r.x1 + o.x});
      }
    }
  }
  const QRgb keep = colour | 0xff000000u;
  for (int row = 0; row < visible.height(); ++row) {
    auto& runs = covered[static_cast<size_t>(row)];
    if (runs.empty()) continue;
    std::sort(runs.begin(), runs.end(), [](const Run& a, const Run& b) { return a.x0 < b.x0; });
    auto* line = reinterpret_cast<QRgb*>(target.scanLine(row + visible.top()));
    int done = visible.left();
    for (const Run r : runs) {
      const int from = std::max({r.x0, done, visible.left()});
      const int to = std::min(r.x1, visible.right() + 1);
      for (int x = from; x < to; ++x) line[x] &= keep;
      done = std::max(done, to);
    }
  }
}

}  // namespace tikhomap
