// Four-vertex polygons filled straight into 32-bit pixels, with the pixels
// the frame painter's aliased odd-even polygon fill gives them.
//
// The painter's rule, which fillQuad follows step by step in the same
// arithmetic (so that a window drawn here and one drawn by the painter never
// differ by a pixel):
//  - vertices are taken to 1/64 pixel (whole pixels here, so exactly);
//  - an edge from a (upper) to b (lower) crosses the rows whose centre line
//    y + 0.5 lies in (a.y, b.y]; horizontal edges cross none;
//  - where it crosses, its x is kept in 16.16 fixed point: the slope is
//    dx / dy in double, truncated to 16.16; the first row's x is
//    a.x + 0.5 + slope × (row + 0.5 - a.y), the product rounded down, and each
//    further row adds the slope;
//  - a crossing at x counts at column floor(x): between the 1st and 2nd,
//    3rd and 4th ... crossings of a row (in order of x) the columns
//    floor(x1) .. floor(x2) - 1 are filled;
//  - the clip rectangle limits the rows, and an edge that leaves it to the
//    left or right is replaced outside by a vertical edge on the clip's
//    border (left, or right + 1), split at the row its fixed-point x passes
//    the border, computed as the painter computes it.
// The filled pixels are thus mostly those whose centre lies inside, with the
// painter's fixed-point rounding deciding centres on or near an edge.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "mapdata/records.h"
#include "render/canvas.h"

namespace tikhomap {

enum class QuadFillOp : uint8_t {
  Copy,  // the pixel becomes the colour
  And,   // the pixel keeps the bits it shares with the colour (mask mode)
};

// Beyond this magnitude (or extent) the painter first cuts the outline to
// that range in floating point; such quads are left to the painter.
inline constexpr int64_t kQuadFillCoordinateLimit = (int64_t{1} << 23) - 1;

// Whether fillQuad gives the painter's pixels for these vertices.
bool quadFillable(const std::array<ScreenPoint, 4>& points);

// Fills the closed quadrilateral p0 p1 p2 p3 (odd-even: a crossed outline
// fills the two triangles) in the pixels of a 32-bit image: pixels[0] is the
// image's top-left pixel and each row is stride pixels after the last. Only
// pixels inside clip are written; clip must lie inside the image. The points
// must be quadFillable. In Copy mode a pixel becomes colour | 0xff000000, in
// And mode it is ANDed with that.
void fillQuad(uint32_t* pixels, ptrdiff_t stride, const PixelBox& clip,
              const std::array<ScreenPoint, 4>& points, uint32_t colour, QuadFillOp op);

}  // namespace tikhomap
