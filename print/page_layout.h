// The page of a print: the printable area of the paper in printer pixels and
// millimetres, and the map rectangle laid out on it at a true scale.
#pragma once

#include <cstdint>

#include "mapdata/records.h"
#include "view/view_state.h"

namespace tikhomap {

// What the printer reports about the printable area of one page.
struct PrinterMetrics {
  int horzRes = 0;     // printable width in printer pixels
  int vertRes = 0;     // printable height in printer pixels
  int logPixelsX = 0;  // printer pixels per inch
  int logPixelsY = 0;
  float horzSizeMm = 0;  // printable width in millimetres
  float vertSizeMm = 0;
};

// The metrics of a printable area of widthPx x heightPx printer pixels at
// dpi dots per inch, the sizes in millimetres following from them.
PrinterMetrics metricsAt(int widthPx, int heightPx, int dpi);

// Lays the asked map rectangle (a view history entry) out on the page: its
// north-south extent fills the page height exactly, and its east-west extent
// is centred and widened or narrowed to the page width. The view's drawing
// area is the page in printer pixels. False (page untouched) when the page
// or the rectangle has no size, or the page is larger than the drawing area
// can hold.
bool layoutPage(const PrinterMetrics& printer, const MapBounds& asked, ViewState& page);

// Width of the page frame in printer pixels: half a millimetre, at least 1.
int pageFrameWidth(const ViewState& page);

// The page's scale denominator as the screen's caption gives it: rounded to
// a multiple of ten, halves up. 0 when the page has no scale.
int32_t pageScaleDenominator(const ViewState& page);

// The longest round length (1, 2 or 5 times a power of ten metres) whose bar
// is at most maxMm long on the paper; at least 1 m.
int32_t scaleBarMetres(double mmPerMetre, double maxMm);

// Map metres that make 5 mm on the paper: a building must reach it in height
// or in width to carry its house number under "отбор".
int32_t labelMinSize(const ViewState& page);

}  // namespace tikhomap
