// The view changes of the keyboard: panning by half the visible window with
// the arrows and zooming with "*", "+", "-" and "/". Each computes the
// rectangle to push into the view history from the visible window.
#pragma once

#include "mapdata/records.h"
#include "view/view_state.h"

namespace tikhomap {

enum class PanDirection { Left, Right, Up, Down };

// The visible window moved by half its width (left, right) or height (up,
// down), kept inside the city extent with its size unchanged.
MapBounds panView(const ViewState& view, const MapBounds& city, PanDirection direction);

enum class ZoomChar { In3 = '*', In2 = '+', Out14 = '-', Out3 = '/' };

// True for the four zoom characters; out receives the rectangle to push.
// Zooming out moves each side outwards and clamps it to the city extent on
// its own.
bool zoomView(const ViewState& view, const MapBounds& city, char character, MapBounds& out);

// Zooming out sounds a beep when the history refuses the rectangle.
inline bool beepsOnRefusal(char character) {
  return character == '-' || character == '/';
}

}  // namespace tikhomap
