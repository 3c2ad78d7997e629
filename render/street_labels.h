// Street names written letter by letter along the street's centre line, and
// the routines shared with the right-click label and the print rendering.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "mapdata/map_data.h"
#include "mapdata/records.h"
#include "render/canvas.h"
#include "render/frame_state.h"
#include "view/view_state.h"

namespace tikhomap {

// Where each letter of a placed name goes: its screen cell and its text
// angle in tenths of a degree (0..3599, counter-clockwise from the screen's x
// axis). One entry per letter (grapheme cluster) of the name as it is drawn,
// however long the name is.
struct LabelPlacement {
  std::string text;              // the name made safe to draw (render/graphemes.h)
  std::vector<uint32_t> bounds;  // byte offsets of its letters, end last
  std::vector<int32_t> x;
  std::vector<int32_t> y;
  std::vector<int> angle;

  size_t letterCount() const { return x.size(); }
  std::string_view letter(size_t c) const {
    return std::string_view(text).substr(bounds[c], bounds[c + 1] - bounds[c]);
  }
};

// The name of a street code as it is written on the map, in UTF-8: cut at
// the first "/", empty when no street has the code. Points into
// map.streetNames.
std::string_view streetLabelText(const MapData& map, int streetCode);

// Places `name` (UTF-8; any bytes) along the street polyline around the
// anchor (map metres), letter by letter, with letters fontHeight pixels
// high. A letter of the eleven files' code page advances 1.2 times its
// height, an East-Asian wide one (Chinese, kana, hangul) 1.6 times. A name
// written right to left (Hebrew, Arabic) is one "letter": the whole name,
// shaped and ordered by the surface, straight from the label's start along
// the street's direction there. Returns 1 and fills out when
// the anchor lies within 3 m of a segment of the street, 0 otherwise.
int placeLabel(const ViewState& view, int fontHeight, MapPoint anchor, const MapFeature& street,
               std::string_view name, LabelPlacement& out);

// Writes the name of the street under the screen point (sx, sy) along that
// street, straight onto dc. Returns 1 when a name was written, 0 otherwise.
// The name is 3 mm of map high; the frame's labelFontHeight is left alone.
int labelAtPoint(RenderContext& ctx, Canvas& dc, int sx, int sy);

}  // namespace tikhomap
