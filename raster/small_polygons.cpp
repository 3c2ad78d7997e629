#include "raster/small_polygons.h"

#include <QImage>
#include <QPainter>
#include <QPen>
#include <QPoint>
#include <algorithm>

#include "raster/thin_pen.h"

namespace tikhomap {

namespace {

// The scratch image: the shape sits kMargin pixels in from the top-left,
// far enough from every edge that nothing is cut.
constexpr int kMargin = 4;
constexpr int kScratchSide = SmallPolygonCache::kMaxSide + 2 * kMargin + 1;

// Fill and outline are drawn in OR mode in two colours of their own bits.
constexpr QRgb kFillBits = 0xff0000ffu;
constexpr QRgb kOutlineBits = 0xff00ff00u;

}  // namespace

bool SmallPolygonCache::fits(size_t count, const PixelBox& box) {
  return count >= 2 && count <= kMaxVertices && !box.empty() &&
         int64_t{box.right} - box.left <= kMaxSide && int64_t{box.bottom} - box.top <= kMaxSide;
}

size_t SmallPolygonCache::KeyHash::operator()(const Key& k) const {
  // FNV-1a over the key's bytes.
  uint64_t h = 1469598103934665603ull;
  auto mix = [&h](uint8_t byte) {
    h ^= byte;
    h *= 1099511628211ull;
  };
  mix(k.count);
  mix(k.flags);
  for (size_t i = 0; i < 2 * static_cast<size_t>(k.count); ++i) {
    mix(static_cast<uint8_t>(k.xy[i]));
  }
  return static_cast<size_t>(h);
}

SmallPolygonCache::Shape SmallPolygonCache::learn(const Key& key) {
  if (!painter_) {
    scratch_ = QImage(kScratchSide, kScratchSide, QImage::Format_RGB32);
    scratch_.fill(0xff000000u);
    painter_ = std::make_unique<QPainter>(&scratch_);
    painter_->setRenderHint(QPainter::Antialiasing, false);
    // Fill and outline add their own bits.
    painter_->setCompositionMode(QPainter::RasterOp_SourceOrDestination);
    scratchBits_ = reinterpret_cast<uint32_t*>(scratch_.bits());
    scratchStride_ = scratch_.bytesPerLine() / 4;
    paintedFlags_ = -1;
  }
  QPainter& painter = *painter_;
  if (paintedFlags_ != key.flags) {
    paintedFlags_ = key.flags;
    if ((key.flags & 2) != 0) {
      painter.setPen(thinPen(QColor::fromRgb(kOutlineBits), 1.0));
    } else {
      painter.setPen(Qt::NoPen);
    }
    if ((key.flags & 1) != 0) {
      painter.setBrush(QColor::fromRgb(kFillBits));
    } else {
      painter.setBrush(Qt::NoBrush);
    }
  }
  QPoint polygon[kMaxVertices];
  for (int i = 0; i < key.count; ++i) {
    polygon[i] = QPoint(key.xy[2 * i] + kMargin, key.xy[2 * i + 1] + kMargin);
  }
  painter.drawPolygon(polygon, key.count, Qt::OddEvenFill);
  if (shapes_.size() >= kMaxShapes) {
    shapes_.clear();
    marks_.clear();
  }
  Shape shape{static_cast<uint32_t>(marks_.size()), 0};
  // Each painted pixel is read and made black again for the next shape.
  for (int y = 0; y < kScratchSide; ++y) {
    uint32_t* line = scratchBits_ + static_cast<ptrdiff_t>(y) * scratchStride_;
    for (int x = 0; x < kScratchSide; ++x) {
      if (line[x] == 0xff000000u) continue;
      const uint8_t kinds = static_cast<uint8_t>(((line[x] & 0xffu) != 0 ? 1 : 0) |
                                                 ((line[x] & 0xff00u) != 0 ? 2 : 0));
      line[x] = 0xff000000u;
      if (kinds == 0) continue;
      marks_.push_back({static_cast<int8_t>(x - kMargin), static_cast<int8_t>(y - kMargin), kinds});
      ++shape.count;
    }
  }
  shapes_.emplace(key, shape);
  return shape;
}

bool SmallPolygonCache::draw(uint32_t* pixels, ptrdiff_t stride, const PixelBox& writable,
                             std::span<const ScreenPoint> points, const PixelBox& box, bool filled,
                             QRgb fill, bool outlined, QRgb outline, QuadFillOp op) {
  const int32_t minX = box.left;
  const int32_t minY = box.top;
  Key key;
  key.count = static_cast<uint8_t>(points.size());
  key.flags = static_cast<uint8_t>((filled ? 1 : 0) | (outlined ? 2 : 0));
  for (size_t i = 0; i < points.size(); ++i) {
    key.xy[2 * i] = static_cast<int8_t>(points[i].x - minX);
    key.xy[2 * i + 1] = static_cast<int8_t>(points[i].y - minY);
  }
  const auto found = shapes_.find(key);
  if (found == shapes_.end() && learnable_ <= 0) return false;
  if (found == shapes_.end()) --learnable_;
  const Shape shape = found != shapes_.end() ? found->second : learn(key);

  const uint32_t fillColour = fill | 0xff000000u;
  const uint32_t outlineColour = outline | 0xff000000u;
  const Mark* marks = marks_.data() + shape.first;
  for (uint32_t i = 0; i < shape.count; ++i) {
    const Mark m = marks[i];
    const int32_t x = minX + m.dx;
    const int32_t y = minY + m.dy;
    if (x < writable.left || x > writable.right || y < writable.top || y > writable.bottom) {
      continue;
    }
    uint32_t& pixel = pixels[static_cast<ptrdiff_t>(y) * stride + x];
    // The painter fills first and draws the outline over the fill.
    if (op == QuadFillOp::Copy) {
      pixel = (m.kinds & 2) != 0 ? outlineColour : fillColour;
    } else {
      if ((m.kinds & 1) != 0) pixel &= fillColour;
      if ((m.kinds & 2) != 0) pixel &= outlineColour;
    }
  }
  return true;
}

}  // namespace tikhomap
