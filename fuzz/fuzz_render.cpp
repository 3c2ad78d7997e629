// Fuzz target: the composition of frames from fuzzed map data. The input is
// a control block (fuzz_scene.h) and a whole map folder (fuzz_folder.h). The
// folder is loaded as the program loads it; then a few frames are composed
// through a recording canvas of a tiny size, as the shell composes them one
// after the other with the same cache: each frame in a view mode, at an hour
// and for a rectangle the control bytes choose, the first one the title
// sheet. The flags and flashes are drawn over every map frame.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <span>

#include "fuzz/fuzz_folder.h"
#include "fuzz/fuzz_scene.h"
#include "render/compose_frame.h"
#include "render/found_markers.h"
#include "render/recording_canvas.h"

namespace {

using namespace tikhomap;

void checkFrame(const RenderContext& ctx, const RecordingCanvas& dc) {
  const MapData& m = ctx.map;
  const FrameCache& c = ctx.cache;
  fuzz::require(c.firstAreaFeature >= 0 &&
                static_cast<size_t>(c.firstAreaFeature) <= m.areaFeatures.size());
  fuzz::require(c.firstWaterFeature >= 0 &&
                static_cast<size_t>(c.firstWaterFeature) <= m.waterFeatures.size());
  fuzz::require(c.firstBuilding >= 0 && static_cast<size_t>(c.firstBuilding) <= m.buildings.size());
  fuzz::require(c.firstLabelPoint >= 0 &&
                static_cast<size_t>(c.firstLabelPoint) <= m.streetLabelPoints.size());
  if (ctx.history.count > 1 && ctx.view.mmPerMetre > 0) {
    fuzz::require(std::isfinite(ctx.view.mmPerMetre));
    fuzz::require(ctx.view.detailLevel >= 0 && ctx.view.detailLevel <= 5);
  }
  // No text of the map carries a NUL: a cp1251 field copied past its end
  // would. (The title sheet's texts are counted bytes of their files and
  // are drawn as they are.)
  if (ctx.history.count <= 1) return;
  for (const RecordedCall& call : dc.calls()) {
    if (call.kind == CallKind::TextOut) {
      fuzz::require(call.text.find('\0') == std::string::npos);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
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
  int viewMode = kViewFlat;
  WindowRandom random;
  ClockTime now;
  RenderContext ctx{map,         view,   history,  cache,  layers,
                    marking,     styles, viewMode, random, [&now] { return now; },
                    folder.dir()};
  // The shell's start: the whole city is entry 0 of the history.
  pushView(history, map.cityExtent.xMin, map.cityExtent.yMin, map.cityExtent.xMax,
           map.cityExtent.yMax);
  buildStyleSet(styles, viewMode);

  DeviceCaps caps;
  caps.width = c.next() % 97;
  caps.height = c.next() % 97;
  const uint8_t mm = c.next();
  caps.widthMm = static_cast<float>(caps.width) * (0.1f + mm / 64.0f);
  caps.heightMm = static_cast<float>(caps.height) * (0.1f + mm / 64.0f);
  ctx.screenHeight = c.next() * 8;
  fuzz::chooseLayers(layers, c.next());
  fuzz::chooseMarks(marking, map, c);
  const uint8_t sun = c.next();
  if (sun & 0x80) ctx.realSun = RealSun{sun * 2.9, static_cast<double>(c.next()) - 128.0};

  const int frames = 1 + c.next() % 4;
  for (int f = 0; f < frames; ++f) {
    const int mode = c.mode();
    if (mode != viewMode) {
      releaseStyleSet(styles, nullptr);
      viewMode = mode;
      fuzz::require(buildStyleSet(styles, viewMode));
    }
    const uint8_t hour = c.next();
    now = ClockTime{hour % 24, hour / 24 * 6};
    if (f > 0) {
      const uint8_t cx = c.next(), cy = c.next(), e = c.next();
      if (e == 0xFF) {
        viewWholeCity(history);
      } else if (e == 0xFE) {
        viewBack(history);
      } else {
        const MapBounds r = fuzz::askedRect(map.cityExtent, cx, cy, e);
        pushView(history, r.xMin, r.yMin, r.xMax, r.yMax);
      }
    }
    RecordingCanvas dc(caps);
    composeFrame(ctx, dc);
    checkFrame(ctx, dc);
    if (history.count > 1) {
      drawFoundMarkers(ctx, dc);
      if (marking.districtFlash) drawDistrictFlash(ctx, dc, *marking.districtFlash);
      if (marking.nameFlash) drawNameFlash(ctx, dc, *marking.nameFlash);
    }
  }
  releaseStyleSet(styles, nullptr);
  return 0;
}
