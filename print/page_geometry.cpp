#include "print/page_geometry.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tikhomap {

namespace {

int32_t toPixel(double v) {
  constexpr double kHigh = std::numeric_limits<int32_t>::max();
  constexpr double kLow = std::numeric_limits<int32_t>::min();
  const double t = std::trunc(v);
  if (std::isnan(t)) return 0;
  if (t >= kHigh) return std::numeric_limits<int32_t>::max();
  if (t <= kLow) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(t);
}

// One side of the box as a half plane: inside when value(p) >= 0.
enum class Side : uint8_t { Left, Top, Right, Bottom };

double value(Side side, const PageBox& box, PagePoint p) {
  switch (side) {
    case Side::Left:
      return p.x - box.left;
    case Side::Top:
      return p.y - box.top;
    case Side::Right:
      return box.right - p.x;
    case Side::Bottom:
      return box.bottom - p.y;
  }
  return 0;
}

PagePoint between(PagePoint a, PagePoint b, double t) {
  return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t};
}

// One Sutherland-Hodgman step: the polygon cut by one side.
void cutBySide(const std::vector<PagePoint>& in, Side side, const PageBox& box,
               std::vector<PagePoint>& out) {
  out.clear();
  const size_t n = in.size();
  for (size_t i = 0; i < n; ++i) {
    const PagePoint cur = in[i];
    const PagePoint next = in[(i + 1) % n];
    const double vc = value(side, box, cur);
    const double vn = value(side, box, next);
    if (vc >= 0) out.push_back(cur);
    if ((vc >= 0) != (vn >= 0)) out.push_back(between(cur, next, vc / (vc - vn)));
  }
}

void appendPixel(std::vector<ScreenPoint>& out, size_t runStart, PagePoint p) {
  const ScreenPoint s = pagePixel(p);
  if (out.size() > runStart && out.back() == s) return;
  out.push_back(s);
}

}  // namespace

PagePoint pagePoint(const ViewState& page, float x, float y) {
  return {(y - page.viewYMin) * page.mmPerMetre * page.pixelsPerMmX + 0.5 + page.viewLeft,
          page.viewBottom - ((x - page.viewXMin) * page.mmPerMetre * page.pixelsPerMmY + 0.5)};
}

ScreenPoint pagePixel(PagePoint p) {
  return {toPixel(p.x), toPixel(p.y)};
}

ScreenPoint pagePixel(const ViewState& page, float x, float y) {
  return pagePixel(pagePoint(page, x, y));
}

PageBox cuttingBox(const ViewState& page) {
  // The widest pens of a print are street casings of 3 mm and line features
  // of 2 mm; 5 mm of margin hides half of either.
  const double margin = std::max(16.0, 5.0 * page.pixelsPerMmX);
  return {page.viewLeft - margin, page.viewTop - margin, page.viewRight + margin,
          page.viewBottom + margin};
}

void cutPolygon(std::span<const PagePoint> polygon, const PageBox& box, CutScratch& scratch,
                std::vector<ScreenPoint>& out) {
  out.clear();
  if (polygon.size() < 3) return;
  scratch.a.assign(polygon.begin(), polygon.end());
  for (const Side side : {Side::Left, Side::Top, Side::Right, Side::Bottom}) {
    cutBySide(scratch.a, side, box, scratch.b);
    scratch.a.swap(scratch.b);
    if (scratch.a.empty()) return;
  }
  for (const PagePoint& p : scratch.a) appendPixel(out, 0, p);
  if (out.size() < 3) out.clear();
}

void cutPolyline(std::span<const PagePoint> line, const PageBox& box, std::vector<ScreenPoint>& out,
                 std::vector<size_t>& runStarts) {
  out.clear();
  runStarts.clear();
  bool open = false;  // the last segment reached its end inside the box
  const auto closeRun = [&] {
    if (!runStarts.empty() && out.size() - runStarts.back() < 2) {
      out.resize(runStarts.back());
      runStarts.pop_back();
    }
    open = false;
  };
  for (size_t i = 0; i + 1 < line.size(); ++i) {
    const PagePoint p = line[i];
    const PagePoint q = line[i + 1];
    // Liang-Barsky: the part t0..t1 of p→q lies inside every side.
    double t0 = 0;
    double t1 = 1;
    bool visible = true;
    for (const Side side : {Side::Left, Side::Top, Side::Right, Side::Bottom}) {
      const double vp = value(side, box, p);
      const double vq = value(side, box, q);
      if (vp < 0 && vq < 0) {
        visible = false;
        break;
      }
      if (vp < 0) t0 = std::max(t0, vp / (vp - vq));
      if (vq < 0) t1 = std::min(t1, vp / (vp - vq));
    }
    if (!visible || t0 > t1 || std::isnan(t0) || std::isnan(t1)) {
      if (open) closeRun();
      continue;
    }
    if (!(open && t0 == 0)) {
      if (open) closeRun();
      runStarts.push_back(out.size());
      appendPixel(out, runStarts.back(), between(p, q, t0));
    }
    appendPixel(out, runStarts.back(), between(p, q, t1));
    open = t1 == 1;
    if (!open) closeRun();
  }
  if (open) closeRun();
}

std::vector<std::span<const ScreenPoint>> linePieces(const std::vector<ScreenPoint>& points,
                                                     const std::vector<size_t>& runStarts) {
  std::vector<std::span<const ScreenPoint>> pieces;
  for (size_t r = 0; r < runStarts.size(); ++r) {
    const size_t begin = runStarts[r];
    const size_t end = r + 1 < runStarts.size() ? runStarts[r + 1] : points.size();
    pieces.emplace_back(points.data() + begin, end - begin);
  }
  return pieces;
}

}  // namespace tikhomap
