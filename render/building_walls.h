// Walls and windows of one volumetric building: which walls show, the order
// that lets nearer walls paint over farther ones, and the window styles.
#pragma once

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
bool clockWindowLit(int hour, int16_t purpose, int r);

}  // namespace tikhomap
