// The pixels of small outlined polygons, learnt from the painter once per
// shape and then written straight into the frame's pixels.
//
// At the coarsest level the whole city's buildings are drawn as polygons of
// a few pixels each, tens of thousands per frame, and the painter spends far
// more on setting up each call than on its pixels. Such a polygon's pixels
// depend only on its vertices relative to one another: the painter takes
// whole-pixel vertices exactly into its fixed-point arithmetic, so a shape
// moved by whole pixels covers the same pixels moved alike, as long as no
// clip edge comes near it. The painter draws each new shape once, on a
// scratch image, fill and outline told apart by their colours; the frame
// then gets the same pixels for every later copy of that shape.
#pragma once

#include <QImage>
#include <QPainter>
#include <QRgb>
#include <cstdint>
#include <memory>
#include <span>
#include <unordered_map>
#include <vector>

#include "mapdata/records.h"
#include "raster/quad_fill.h"

namespace tikhomap {

class SmallPolygonCache {
 public:
  // Shapes larger than this (pixels between extreme vertices) or with more
  // vertices are left to the painter.
  static constexpr int kMaxSide = 12;
  static constexpr size_t kMaxVertices = 8;
  // A shape's pixels reach this far beyond its vertices' box (the outline's
  // pixels); the box grown by it must lie inside the clip.
  static constexpr int kReach = 2;

  // Whether draw() takes a polygon of these vertices (count of them, box
  // their vertexBox).
  static bool fits(size_t count, const PixelBox& box);
  static bool fits(std::span<const ScreenPoint> points) {
    return fits(points.size(), vertexBox(points));
  }

  // Draws the polygon as the painter's aliased odd-even fill (when filled)
  // followed by its one-pixel cosmetic outline (when outlined) would, in
  // Copy or And mode, writing only pixels inside writable. The points must
  // fit, box be their vertexBox, and the box grown by kReach lie inside the
  // painter's clip.
  // Returns false, drawing nothing, for a shape not yet learnt once this
  // frame has learnt its share: learning costs several painter calls, and
  // the first frame of the whole city would otherwise learn thousands.
  bool draw(uint32_t* pixels, ptrdiff_t stride, const PixelBox& writable,
            std::span<const ScreenPoint> points, const PixelBox& box, bool filled, QRgb fill,
            bool outlined, QRgb outline, QuadFillOp op);

  // Starts a frame's share of shapes to learn.
  void beginFrame() { learnable_ = kLearnsPerFrame; }

  size_t shapeCount() const { return shapes_.size(); }

 private:
  struct Key {
    uint8_t count = 0;
    uint8_t flags = 0;  // 1: filled, 2: outlined
    int8_t xy[2 * kMaxVertices] = {};
    friend bool operator==(const Key&, const Key&) = default;
  };
  struct KeyHash {
    size_t operator()(const Key& k) const;
  };
  // One covered pixel of a shape, relative to its box's top-left.
  struct Mark {
    int8_t dx;
    int8_t dy;
    uint8_t kinds;  // 1: fill, 2: outline
  };
  struct Shape {
    uint32_t first = 0;
    uint32_t count = 0;
  };
  static constexpr int kLearnsPerFrame = 2000;
  // Above this many shapes the cache starts again.
  static constexpr size_t kMaxShapes = 1 << 18;

  Shape learn(const Key& key);

  // The painter stays on its scratch image: a shape is learnt in a few
  // microseconds, and the first frame of the whole city learns thousands.
  QImage scratch_;
  std::unique_ptr<QPainter> painter_;
  uint32_t* scratchBits_ = nullptr;
  ptrdiff_t scratchStride_ = 0;
  int paintedFlags_ = -1;  // the flags the painter's pen and brush are set for
  std::unordered_map<Key, Shape, KeyHash> shapes_;
  std::vector<Mark> marks_;
  int learnable_ = kLearnsPerFrame;
};

}  // namespace tikhomap
