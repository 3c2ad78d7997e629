// Fuzz target: the print passes on fuzzed map data. The input is a control
// block (fuzz_scene.h) and a whole map folder (fuzz_folder.h). The folder is
// loaded as the program loads it; a screen frame may be composed first (its
// street labels are the ones a print writes), then one page of a size and
// resolution the control bytes choose is laid out and printed through a
// recording canvas, in colour or in black and white.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <span>

#include "fuzz/fuzz_folder.h"
#include "fuzz/fuzz_scene.h"
#include "print/page_layout.h"
#include "print/print_map.h"
#include "render/compose_frame.h"
#include "render/recording_canvas.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tikhomap;
  static fuzz::FuzzFolder folder;
  const std::span<const uint8_t> input(data, size);
  fuzz::Controls c(input);
  folder.write(fuzz::splitFolder(fuzz::folderPart(input)));
  MapData map;
  if (!fuzz::loadFolder(folder.dir(), map)) return 0;

  ViewState view;
  ViewHistory history;
  FrameCache cache;
  LayerChoices layers;
  MarkingState marking;
  StyleSet styles;
  int viewMode = c.mode();
  WindowRandom random;
  RenderContext ctx{map,    view,     history, cache, layers,      marking,
                    styles, viewMode, random,  {},    folder.dir()};
  buildStyleSet(styles, viewMode);
  pushView(history, map.cityExtent.xMin, map.cityExtent.yMin, map.cityExtent.xMax,
           map.cityExtent.yMax);
  fuzz::chooseLayers(layers, c.next());
  fuzz::chooseMarks(marking, map, c);
  const uint8_t cx = c.next(), cy = c.next(), e = c.next();
  if (e != 0xFF) {
    const MapBounds r = fuzz::askedRect(map.cityExtent, cx, cy, e);
    pushView(history, r.xMin, r.yMin, r.xMax, r.yMax);
  }
  const uint8_t flags = c.next();
  if (flags & 1) {
    RecordingCanvas screen(DeviceCaps{64, 48, 16, 12, 96, 96});
    composeFrame(ctx, screen);
  }

  // Pages up to the largest the layout takes, and a little beyond it.
  const int width = (c.next() | c.next() << 8) % 33000;
  const int height = (c.next() | c.next() << 8) % 33000;
  const int dpi = (c.next() | c.next() << 8) % 2500;
  const PrinterMetrics printer = metricsAt(width, height, dpi);
  const PrintScene scene{
      map, layers, marking, styles, viewMode, (flags & 2) != 0, cache.labelledAnchors};
  const MapBounds asked = history.last();

  ViewState page;
  const bool laidOut = layoutPage(printer, asked, page);
  if (laidOut) {
    fuzz::require(page.viewRight == width && page.viewBottom == height);
    fuzz::require(std::isfinite(page.mmPerMetre) && page.mmPerMetre > 0);
    fuzz::require(page.detailLevel >= 0 && page.detailLevel <= 5);
    fuzz::require(pageFrameWidth(page) >= 1);
  }
  RecordingCanvas dc(DeviceCaps{width, height, printer.horzSizeMm, printer.vertSizeMm, dpi, dpi});
  const bool printed = printPage(scene, printer, asked, random, dc);
  fuzz::require(printed == laidOut);
  if (!printed) fuzz::require(dc.drawingCalls().empty());
  for (const RecordedCall& call : dc.calls()) {
    if (call.kind == CallKind::TextOut) {
      fuzz::require(call.text.find('\0') == std::string::npos);
    }
  }
  releaseStyleSet(styles, nullptr);
  return 0;
}
