#include "raster/quad_fill.h"

#include <algorithm>
#include <limits>

namespace tikhomap {

namespace {

// 16.16 fixed point, 64 bits wide, as the painter keeps edge positions.
using Fixed = int64_t;
constexpr Fixed kOne = 65536;
constexpr Fixed kHalf = 32768;

// An edge as the rows see it: its x at the first row it crosses and the step
// to each next row. A clipped edge becomes up to three of these.
struct Edge {
  Fixed x;
  Fixed step;
  int32_t first;
  int32_t last;
};

// Four edges, each cut in at most three pieces by the clip's left and right.
struct EdgeSet {
  std::array<Edge, 12> edge;
  int count = 0;
  void add(Fixed x, Fixed step, int32_t first, int32_t last) {
    edge[static_cast<size_t>(count++)] = {x, step, first, last};
  }
};

struct FixedClip {
  Fixed left;   // x of the clip's left border
  Fixed right;  // x of its right border (one past the last column)
  int32_t top;
  int32_t bottom;
};

// Cuts the part of a sloping edge that lies beyond one vertical border of
// the clip and puts a vertical edge on the border in its place. x, first and
// last describe what remains. True when nothing of the edge remains inside.
bool cutAtBorder(EdgeSet& out, Fixed& x, int32_t& first, int32_t& last, Fixed step, Fixed border,
                 bool right) {
  if (x == border) {
    if ((step > 0) != right) return false;
    out.add(border, 0, first, last);
    return true;
  }
  const Fixed end = x + step * (last - first);
  if (end == border) {
    if ((step < 0) != right) return false;
    out.add(border, 0, first, last);
    return true;
  }
  if ((end < border) != (x < border)) {
    // Rows to the crossing, in 16.16, computed in double as the painter does.
    const auto rows = static_cast<Fixed>(static_cast<double>(border - x) /
                                         (static_cast<double>(step) * (1. / 65536.)));
    if ((x < border) != right) {
      // The upper part lies outside.
      const auto height = static_cast<int32_t>((rows + 1) >> 16);
      const int32_t middle = first + height;
      out.add(border, 0, first, middle);
      if (middle == last) return true;
      x += step * (height + 1);
      first = middle + 1;
    } else {
      // The lower part lies outside.
      const auto height = static_cast<int32_t>(rows >> 16);
      const int32_t middle = first + height;
      if (middle != last) {
        out.add(border, 0, middle + 1, last);
        last = middle;
      }
    }
    return false;
  }
  if ((x < border) != right) {
    // Wholly outside.
    out.add(border, 0, first, last);
    return true;
  }
  return false;
}

void addEdge(EdgeSet& out, const FixedClip& clip, ScreenPoint a, ScreenPoint b, bool cut) {
  if (a.y > b.y) std::swap(a, b);
  // Rows whose centre line lies in (a.y, b.y].
  int32_t first = std::max(clip.top, a.y);
  int32_t last = std::min(clip.bottom, b.y - 1);
  if (first > last) return;
  const Fixed ax = Fixed{a.x} * kOne + kHalf;
  if (a.x == b.x) {
    out.add(std::clamp(ax, clip.left, clip.right), 0, first, last);
    return;
  }
  // The one division of the edge; rows then only add.
  const double slope = static_cast<double>(b.x - a.x) / static_cast<double>(b.y - a.y);
  const auto step = static_cast<Fixed>(slope * 65536.);
  Fixed x = ax + ((step * (Fixed{first} * kOne + kHalf - Fixed{a.y} * kOne)) >> 16);
  if (cut) {
    if (cutAtBorder(out, x, first, last, step, clip.left, false)) return;
    if (cutAtBorder(out, x, first, last, step, clip.right, true)) return;
  }
  out.add(x, step, first, last);
}

template <QuadFillOp op>
void fillRun(uint32_t* row, int32_t from, int32_t to, uint32_t colour) {
  if constexpr (op == QuadFillOp::Copy) {
    std::fill(row + from, row + to, colour);
  } else {
    for (int32_t x = from; x < to; ++x) row[x] &= colour;
  }
}

template <QuadFillOp op>
void fillRows(uint32_t* pixels, ptrdiff_t stride, const PixelBox& clip, EdgeSet& edges, int32_t top,
              int32_t bottom, uint32_t colour) {
  const int n = edges.count;
  // An edge piece whose last row lies above its first (which the cut can
  // give in principle) stays to the bottom, as the painter keeps it.
  for (int i = 0; i < n; ++i) {
    Edge& e = edges.edge[static_cast<size_t>(i)];
    if (e.last < e.first) e.last = bottom;
  }
  uint32_t* row = pixels + static_cast<ptrdiff_t>(top) * stride;
  std::array<int32_t, 12> cross;
  for (int32_t y = top; y <= bottom; ++y, row += stride) {
    int k = 0;
    for (int i = 0; i < n; ++i) {
      Edge& e = edges.edge[static_cast<size_t>(i)];
      if (y < e.first || y > e.last) continue;
      // Inserted in order: rarely more than four crossings.
      const auto c = static_cast<int32_t>(e.x >> 16);
      int j = k++;
      while (j > 0 && cross[static_cast<size_t>(j - 1)] > c) {
        cross[static_cast<size_t>(j)] = cross[static_cast<size_t>(j - 1)];
        --j;
      }
      cross[static_cast<size_t>(j)] = c;
      e.x += e.step;
    }
    for (int i = 0; i + 1 < k; i += 2) {
      // The cut keeps crossings on the clip's columns; the bounds make sure.
      const int32_t from = std::max(cross[static_cast<size_t>(i)], clip.left);
      const int32_t to = std::min(cross[static_cast<size_t>(i + 1)], clip.right + 1);
      if (from < to) fillRun<op>(row, from, to, colour);
    }
  }
}

}  // namespace

bool quadFillable(const std::array<ScreenPoint, 4>& points) {
  const PixelBox box = vertexBox(points);
  const int64_t minX = box.left, maxX = box.right, minY = box.top, maxY = box.bottom;
  constexpr int64_t kLimit = kQuadFillCoordinateLimit;
  return minX >= -kLimit && maxX <= kLimit && minY >= -kLimit && maxY <= kLimit &&
         maxX - minX <= kLimit && maxY - minY <= kLimit;
}

void fillQuad(uint32_t* pixels, ptrdiff_t stride, const PixelBox& clip,
              const std::array<ScreenPoint, 4>& points, uint32_t colour, QuadFillOp op) {
  if (clip.empty()) return;
  const PixelBox box = vertexBox(points);
  const int32_t minX = box.left, maxX = box.right, minY = box.top, maxY = box.bottom;
  // Rows whose centre lies between the highest and lowest vertex; no column
  // can be reached when every vertex lies at or left of the clip's first
  // column, or right of its last.
  const int32_t top = std::max(clip.top, minY);
  const int32_t bottom = std::min(clip.bottom, maxY - 1);
  if (top > bottom || maxX <= clip.left || minX > clip.right) return;

  const FixedClip fixedClip{Fixed{clip.left} * kOne, (Fixed{clip.right} + 1) * kOne, top, bottom};
  // With every vertex on the clip's columns, no edge reaches a border: its
  // x stays within half a pixel (less the rounding) of its ends.
  const bool cut = minX < clip.left || maxX > clip.right;
  EdgeSet edges;
  for (size_t i = 0; i < 4; ++i) {
    addEdge(edges, fixedClip, points[i], points[(i + 1) % 4], cut);
  }
  if (edges.count == 0) return;
  colour |= 0xff000000u;
  if (op == QuadFillOp::Copy) {
    fillRows<QuadFillOp::Copy>(pixels, stride, clip, edges, top, bottom, colour);
  } else {
    fillRows<QuadFillOp::And>(pixels, stride, clip, edges, top, bottom, colour);
  }
}

}  // namespace tikhomap
