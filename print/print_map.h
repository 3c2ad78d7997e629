// The map of a page at printer resolution: the layers of the current view
// with line widths and text sizes in millimetres of paper, in colour or in
// black and white, drawn through the same Canvas the screen uses.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "mapdata/map_data.h"
#include "print/page_geometry.h"
#include "print/page_layout.h"
#include "render/canvas.h"
#include "render/frame_state.h"
#include "render/style_set.h"
#include "view/marking_state.h"
#include "view/view_state.h"

namespace tikhomap {

// What a print reads and never changes: the map, the layer choices, the
// marks of the searches, the style set of the view mode and the street label
// anchors the last screen frame named.
struct PrintScene {
  const MapData& map;
  const LayerChoices& layers;
  const MarkingState& marking;
  const StyleSet& styles;
  int viewMode = kViewClockWindows;
  bool colour = false;  // printInColour
  std::span<const uint8_t> labelledAnchors = {};
};

// Everything that belongs to one page and to nothing else: its own view
// (printer pixels, the page's scale and rectangle), its own start indexes,
// the per-page sizes, a copy of the window-lighting generator and scratch
// space. Nothing of the screen's state is touched by a print.
struct PageState {
  ViewState view;
  FrameCache cache;
  int32_t labelMinSize = 0;       // metres that make 5 mm on paper
  int32_t printStoreyHeight = 0;  // one storey (4 map metres) in printer pixels
  int32_t printWallDrop = 0;      // half a storey: the hidden-wall test
  WindowRandom random;
  PageBox box;
  CutScratch cut;
  std::vector<ScreenPoint> points;
  std::vector<size_t> runStarts;
};

// Lays the asked rectangle out on the page and prepares the page's own start
// indexes and sizes. False when the page cannot be laid out.
bool preparePage(const PrintScene& scene, const PrinterMetrics& printer, const MapBounds& asked,
                 const WindowRandom& random, PageState& page);

// Every layer of the page, bottom to top: areas, city outline, streets, line
// features (never district boundaries), water areas and lines, the street
// names the last screen frame showed, buildings with house numbers, flags.
void printMap(const PrintScene& scene, PageState& page, Canvas& dc);

// A whole page: the map cut to the paper inside a half-millimetre frame, and
// the title in the top-left corner. False when the page cannot be laid out
// (nothing is drawn then).
bool printPage(const PrintScene& scene, const PrinterMetrics& printer, const MapBounds& asked,
               const WindowRandom& random, Canvas& dc);

// One line feature with the selected pen, cut to the page: nothing when its
// bounds are off the page.
void printPolyline(PageState& page, Canvas& dc, const MapFeature& feature);

// The purpose groups of the print passes; unlike the screen, 888 is "other".
PurposeGroup printPurposeGroup(int32_t purpose);

// "Тихоморск. Адресный план города", or the imported town's name
// (city.txt) before ". Адресный план города".
std::string printTitle(const CityInfo& city);

// The scale box of a page, in its bottom-left corner inside the frame: an
// opaque white box over the map with "Масштаб 1:3 450" (the page's scale
// rounded as the screen's caption is) and a bar of a round length with that
// length beside it ("200 м", "1 км"). Returns the box.
inline constexpr double kScaleTextMm = 3.5;
inline constexpr double kScaleBarMaxMm = 40;
std::string pageScaleCaption(int32_t denominator);
std::string scaleBarLabel(int32_t metres);
Rect printScaleBox(const ViewState& page, int frame, Canvas& dc);

// Inside print_buildings.cpp and print_labels.cpp.
void printStreetLabels(const PrintScene& scene, PageState& page, Canvas& dc);
void flatPrintPass(const PrintScene& scene, PageState& page, Canvas& dc);
void volumetricPrintPass(const PrintScene& scene, PageState& page, Canvas& dc);
void printMarkers(const PrintScene& scene, PageState& page, Canvas& dc);
// The house-number font: 3 mm characters.
Font houseNumberFont(const ViewState& page);
// The colour of a house number on paper: black or white, whichever stands
// out more from the fill it is written on (the contrast ratio of two
// colours' relative luminances), so that a number is legible on every fill
// of every view mode, the dark roofs of "Ночной" included. A fill that is
// not solid (hatching on paper) takes black.
Rgb houseNumberColour(const Brush& fill);
// (L1 + 0.05) / (L2 + 0.05) of the lighter and the darker colour: 1 to 21.
double contrastRatio(Rgb a, Rgb b);

}  // namespace tikhomap
