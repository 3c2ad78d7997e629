// Map geometry on a page. A page at printer resolution reaches far beyond the
// ±32000 pixels the screen conversions clamp to, and a clamped vertex bends
// the line or area it belongs to; so the page converts without the clamp and
// cuts lines and areas at a box a little larger than the paper instead.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "mapdata/records.h"
#include "view/view_state.h"

namespace tikhomap {

// A converted point before it is cut to whole pixels.
struct PagePoint {
  double x = 0;
  double y = 0;
};

// The box geometry is cut at, in printer pixels.
struct PageBox {
  double left = 0;
  double top = 0;
  double right = 0;
  double bottom = 0;
};

// The same arithmetic as mapToScreen, without truncation and without the
// clamp.
PagePoint pagePoint(const ViewState& page, float x, float y);
// A page point cut to whole pixels as mapToScreen cuts them (toward zero);
// values beyond the 32-bit range saturate.
ScreenPoint pagePixel(PagePoint p);
ScreenPoint pagePixel(const ViewState& page, float x, float y);

// The paper with a margin wider than half of any pen the print uses, so that
// ends and outlines made by the cut never show on the paper.
PageBox cuttingBox(const ViewState& page);

// Converts a vertex array without the clamp, dropping consecutive duplicate
// pixels (as projectPoints does).
template <typename Point>
void projectOnPage(const ViewState& page, std::span<const Point> points,
                   std::vector<ScreenPoint>& out) {
  out.clear();
  for (const Point& p : points) {
    const ScreenPoint s = pagePixel(page, static_cast<float>(p.x), static_cast<float>(p.y));
    if (out.empty() || !(out.back() == s)) out.push_back(s);
  }
}

// Scratch space of the cutting routines, kept from feature to feature.
struct CutScratch {
  std::vector<PagePoint> in;
  std::vector<PagePoint> a;
  std::vector<PagePoint> b;
};

// Converts an area and cuts it to the box. Every side of the box is a half
// plane, and cutting by a half plane keeps the even-odd parity of every
// point inside it, so areas with holes and self-touching outlines fill the
// same pixels inside the box as uncut. Fewer than 3 points: out is empty.
template <typename Point>
void cutAreaToPage(const ViewState& page, std::span<const Point> points, const PageBox& box,
                   CutScratch& scratch, std::vector<ScreenPoint>& out);

// Converts a line and cuts it to the box: every segment is cut on its own,
// so a segment crossing the box between two far vertices keeps its middle.
// The visible pieces are written one after the other into out; runStarts
// holds the index where each piece begins (pieces have 2 points or more).
template <typename Point>
void cutLineToPage(const ViewState& page, std::span<const Point> points, const PageBox& box,
                   CutScratch& scratch, std::vector<ScreenPoint>& out,
                   std::vector<size_t>& runStarts);

// The pieces of a cut line, one span each.
std::vector<std::span<const ScreenPoint>> linePieces(const std::vector<ScreenPoint>& points,
                                                     const std::vector<size_t>& runStarts);

// The untemplated cores, on points already converted.
void cutPolygon(std::span<const PagePoint> polygon, const PageBox& box, CutScratch& scratch,
                std::vector<ScreenPoint>& out);
void cutPolyline(std::span<const PagePoint> line, const PageBox& box, std::vector<ScreenPoint>& out,
                 std::vector<size_t>& runStarts);

template <typename Point>
void cutAreaToPage(const ViewState& page, std::span<const Point> points, const PageBox& box,
                   CutScratch& scratch, std::vector<ScreenPoint>& out) {
  scratch.in.clear();
  for (const Point& p : points) {
    scratch.in.push_back(pagePoint(page, static_cast<float>(p.x), static_cast<float>(p.y)));
  }
  cutPolygon(scratch.in, box, scratch, out);  // works in scratch.a and scratch.b only
}

template <typename Point>
void cutLineToPage(const ViewState& page, std::span<const Point> points, const PageBox& box,
                   CutScratch& scratch, std::vector<ScreenPoint>& out,
                   std::vector<size_t>& runStarts) {
  scratch.in.clear();
  for (const Point& p : points) {
    scratch.in.push_back(pagePoint(page, static_cast<float>(p.x), static_cast<float>(p.y)));
  }
  cutPolyline(scratch.in, box, out, runStarts);
}

}  // namespace tikhomap
