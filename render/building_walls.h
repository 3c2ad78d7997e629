// Walls and windows of one volumetric building: which walls show, the order
// that lets nearer walls paint over farther ones, and the window styles.
#pragma once

#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

#include "mapdata/records.h"
#include "render/canvas.h"
#include "render/frame_state.h"

namespace tikhomap {

// Wall k joins vertex k and vertex k+1 of a screen outline. Per wall its
// upper end (smaller y; vertex k+1 when level) and lower end, and the walls
// that show, in the order they are painted. Reused from building to building.
struct WallOrder {
  std::vector<ScreenPoint> upper;
  std::vector<ScreenPoint> lower;
  std::vector<uint8_t> done;
  std::vector<int> order;
};

// A four-cornered piece filled with the selected brush, outlined with the pen.
void quad(Canvas& dc, ScreenPoint a, ScreenPoint b, ScreenPoint c, ScreenPoint d);

// Whether the window from p1 to p2, raised by rise pixels, lies wholly
// outside the view's pixels widened by the given slack to the right and
// below; such a window leaves no mark.
bool windowOutside(const ViewState& v, ScreenPoint p1, ScreenPoint p2, int rise, int slackRight,
                   int slackBottom);

// Hides the walls whose foot, one storey down, lies inside the outline at
// both ends and orders the rest from the top of the screen downward, so that
// nearer walls paint over farther ones.
void orderWalls(std::span<const ScreenPoint> outline, int storeyHeight, WallOrder& walls);

// One wall as it stands: its upper end a and lower end b on the ground (or,
// on an open ground storey, one storey up), its storeys and the storey
// height H in pixels. The screen and the page draw the same walls and the
// same windows; each only chooses the pens and brushes.
struct WallShape {
  ScreenPoint a;
  ScreenPoint b;
  int storeys = 0;
  int height = 0;  // H
  ScreenPoint aTop() const { return {a.x, a.y - storeys * height}; }
  ScreenPoint bTop() const { return {b.x, b.y - storeys * height}; }
};

// Length of the wall's foot in pixels.
float wallLength(const WallShape& w);

WallShape wallShape(ScreenPoint upper, ScreenPoint lower, const Building& building,
                    int storeyHeight);

// Whether a wall carries windows on the screen and on paper: from detail
// level 1, not in "Каркас", and on an outbuilding only above one storey and
// when it is not a garage.
bool wallHasWindows(const WallShape& w, const Building& building, int detailLevel, int viewMode);

// Windows as lines (detail level 1): two lines every four pixels up the
// wall, each handed to line(from, to).
template <typename Line>
void forEachWindowLine(const WallShape& w, Line&& line) {
  const int ax = w.b.x < w.a.x ? w.a.x - 1 : w.a.x + 1;
  const int bx = w.b.x < w.a.x ? w.b.x + 1 : w.b.x - 1;
  const int top = w.storeys * w.height;
  if (top <= 2) return;
  for (int d = 2; d < top; d += 4) {
    line(ScreenPoint{ax, w.a.y - d}, ScreenPoint{bx, w.b.y - d});
    line(ScreenPoint{ax, w.a.y - d - 1}, ScreenPoint{bx, w.b.y - d - 1});
  }
}

// Windows as one band a storey, half a storey high and a quarter storey in
// from both ends; each band's four corners go to band(p0, p1, p2, p3).
template <typename Band>
void forEachWindowBand(const WallShape& w, Band&& band) {
  const float len = wallLength(w);
  if (len <= 0) return;  // a wall of no length has no direction to run a band along
  const float ux = static_cast<float>(w.b.x - w.a.x) / len;
  const float uy = static_cast<float>(w.b.y - w.a.y) / len;
  const int h = w.height;
  const float q = static_cast<float>(h / 4);
  const ScreenPoint e1{static_cast<int32_t>(w.a.x + q * ux),
                       static_cast<int32_t>(w.a.y + q * uy - q)};
  const ScreenPoint e2{static_cast<int32_t>(w.b.x - q * ux),
                       static_cast<int32_t>(w.b.y - q * uy - q)};
  const int halfStorey = h / 2;
  for (int l = 0; l < w.storeys; ++l) {
    const int lift = l * h;
    band(ScreenPoint{e1.x, e1.y - lift}, ScreenPoint{e2.x, e2.y - lift},
         ScreenPoint{e2.x, e2.y - halfStorey - lift}, ScreenPoint{e1.x, e1.y - halfStorey - lift});
  }
}

// A wall longer than any building (only damaged data makes one) gets no
// more windows in a row than this, so that one building cannot stall a
// frame or a page: 4096 windows of one storey's width make a wall of 16 km.
inline constexpr int kMaxWindowColumns = 4096;

// Columns of the window grid: as many whole storey widths as the wall is
// long, 0 on a wall shorter than one or of no height.
inline int windowColumns(const WallShape& w) {
  if (w.height <= 0) return 0;
  return static_cast<int>(std::min(wallLength(w) / static_cast<float>(w.height),
                                   static_cast<float>(kMaxWindowColumns)));
}

// Windows in a grid: a column per storey width, centred, each 0.6 of a
// storey wide and half a storey high, row by row from the ground up. Each
// window's foot goes to window(p1, p2) (it rises h / 2 above it), also for
// windows off the picture, so that the generator's numbers drawn per window
// do not depend on where the picture ends.
template <typename Window>
void forEachGridWindow(const WallShape& w, Window&& window) {
  const int h = w.height;
  const int columns = windowColumns(w);
  if (columns <= 0) return;
  const float len = wallLength(w);
  const float hf = static_cast<float>(h);
  const float ux = static_cast<float>(w.b.x - w.a.x) / len;
  const float uy = static_cast<float>(w.b.y - w.a.y) / len;
  const float s0 = (len - static_cast<float>(columns) * hf) * 0.5f + hf * 0.2f;
  int yb = w.a.y - h / 4;
  for (int row = 0; row < w.storeys; ++row) {
    for (int c = 0; c < columns; ++c) {
      const float s = s0 + static_cast<float>(c) * hf;
      const float s2 = s + 0.6f * hf;
      window(
          ScreenPoint{static_cast<int32_t>(w.a.x + s * ux), static_cast<int32_t>(yb + s * uy)},
          ScreenPoint{static_cast<int32_t>(w.a.x + s2 * ux), static_cast<int32_t>(yb + s2 * uy)});
    }
    yb -= h;
  }
}

enum class WindowStyle { Lines, Bands, Grid };

// Paints the windows of a wall in the given style: lines with linePen,
// bands with bandBrush, and each grid window with the brush gridBrush(p1, p2,
// rise) gives (nullptr: the window leaves no mark). The medium chooses only
// the pens and brushes.
template <typename GridBrush>
void paintWindows(Canvas& dc, const WallShape& w, WindowStyle style, const Pen& linePen,
                  const Brush& bandBrush, GridBrush&& gridBrush) {
  switch (style) {
    case WindowStyle::Lines:
      dc.selectPen(linePen);
      forEachWindowLine(w, [&](ScreenPoint from, ScreenPoint to) {
        dc.moveTo(from.x, from.y);
        dc.lineTo(to.x, to.y);
      });
      return;
    case WindowStyle::Bands:
      if (wallLength(w) <= 0) return;
      dc.selectPen(fixed::nullPen);
      dc.selectBrush(bandBrush);
      forEachWindowBand(w, [&](ScreenPoint p0, ScreenPoint p1, ScreenPoint p2, ScreenPoint p3) {
        quad(dc, p0, p1, p2, p3);
      });
      return;
    case WindowStyle::Grid: {
      if (windowColumns(w) <= 0) return;
      dc.selectPen(fixed::nullPen);
      const int rise = w.height / 2;
      forEachGridWindow(w, [&](ScreenPoint p1, ScreenPoint p2) {
        const Brush* fill = gridBrush(p1, p2, rise);
        if (fill == nullptr) return;
        dc.selectBrush(*fill);
        quad(dc, p1, p2, {p2.x, p2.y - rise}, {p1.x, p1.y - rise});
      });
      return;
    }
  }
}

// What the walls of one pass share: the pass's storey height, hour, view and
// fills, and the wall scratch arrays.
struct WallPass {
  int storeyHeight = 0;  // H, pixels
  int hour = 12;
  int viewMode = 0;
  int detailLevel = 1;
  Brush wallFill;
  WallOrder walls;
};

// Draws the visible walls of a building standing on the screen outline, from
// the top of the screen downward, with their windows. The outline is left as
// it was.
void drawWalls(RenderContext& ctx, Canvas& dc, WallPass& pass, std::span<const ScreenPoint> outline,
               const Building& building);

// Whether a window of the "Окна по часам" view is lit at the hour, for a
// number r drawn from the generator.
bool clockWindowLit(int hour, int32_t purpose, int r);

}  // namespace tikhomap
