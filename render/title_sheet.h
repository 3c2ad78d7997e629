// The title sheet shown while the view history holds only the whole city: a
// regional panel drawn from 1.tkm and an overview panel of the city drawn
// from the base map and the hydrography of 2.tkm.
#pragma once

#include "mapdata/title_files.h"
#include "render/canvas.h"
#include "render/frame_state.h"

namespace tikhomap {

// Draws the whole sheet into dc, always in the plan palette: the view mode
// is switched to "Плоский" for the drawing and the style set of the chosen
// mode is rebuilt afterwards. Reads 1.tkm and 2.tkm (or their content in a
// container) from the map at ctx.dataDir; a missing file leaves its part of
// the sheet empty. Stores sheetSplitX.
void drawTitleSheet(RenderContext& ctx, Canvas& dc);

// Font and colour of a text record kind ('e', 'f', 'g' of 1.tkm; 'o', 'p',
// 'q' of 2.tkm) for a screen of the given height.
struct SheetTextStyle {
  Font font;
  Rgb color;
};
SheetTextStyle sheetTextStyle(char kind, int frameHeight);
// Records of this kind are not written on a screen of the given height (the
// whole screen's, not the frame's: a window with a title bar and a panel on
// a 1080-line screen still shows them).
bool sheetTextSkipped(char kind, int screenHeight);

// The two lines of the credit caption, UTF-8.
std::string creditLine(int line);
// The credit line of the loaded map: its city description's when it has
// one, else the built-in line.
std::string creditLine(const MapData& map, int line);

}  // namespace tikhomap
