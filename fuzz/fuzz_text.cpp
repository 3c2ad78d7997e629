// Fuzz target: names of any bytes on their way to the screen. The input is
// three control bytes (the letter height, the street's bend, where the name
// ends) and then a street name and a flag's text. Each is made drawable,
// split into letters and cut; the street name is placed along a street that
// lies inside a small frame and drawn by the label pass and the right-click
// label, the flag's text by the name flash, all through the display list
// replayed onto a recording canvas. No letter may leave the frame by more
// than the label's own sideways shift, and every drawn text must be whole
// UTF-8.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "fuzz/fuzz_checks.h"
#include "render/display_list.h"
#include "render/found_markers.h"
#include "render/graphemes.h"
#include "render/layer_passes.h"
#include "render/recording_canvas.h"
#include "render/street_labels.h"
#include "render/style_set.h"

namespace {

using namespace tikhomap;
using fuzz::require;

constexpr int kFrame = 200;  // pixels, one per metre

template <size_t N>
void setText(char (&field)[N], std::string_view bytes) {
  const size_t n = std::min(bytes.size(), N - 1);
  std::memcpy(field, bytes.data(), n);
  field[n] = '\0';
}
[[maybe_unused]] void setText(std::string& field, std::string_view bytes) {
  field = std::string(bytes);
}

// Whole UTF-8 with nothing left out: what drawableText gives back as it is.
bool whole(std::string_view text) {
  return drawableText(text) == text;
}

void checkLetters(std::string_view bytes, uint8_t cap) {
  const std::string drawn = drawableText(bytes);
  require(whole(drawn));
  const std::vector<uint32_t> bounds = graphemeBounds(drawn);
  require(!bounds.empty() && bounds.front() == 0 && bounds.back() == drawn.size());
  for (size_t c = 0; c + 1 < bounds.size(); ++c) {
    require(bounds[c] < bounds[c + 1]);
    require(whole(std::string_view(drawn).substr(bounds[c], bounds[c + 1] - bounds[c])));
  }
  for (const size_t k : {size_t{0}, size_t{1}, static_cast<size_t>(cap % 40)}) {
    const std::string cut = cutToGraphemes(bytes, k);
    require(whole(cut));
    require(graphemeCount(cut) <= k);
    const bool same = cut == drawn;
    const bool cutShort = cut.size() >= 3 && cut.ends_with("\u2026") &&
                          drawn.starts_with(std::string_view(cut).substr(0, cut.size() - 3));
    require(same || cutShort || (k == 0 && cut.empty()));
  }
}

MapFeature streetFeature(uint8_t bend) {
  MapFeature f;
  f.code = 7;
  // Northing first: a street running east across the frame, bent by `bend`.
  const float b = static_cast<float>(bend % 160);
  f.points = {{100, 20}, {100 + (b - 80) * 0.5f, 100}, {20 + b, 180}};
  f.pointCount = static_cast<int16_t>(f.points.size());
  f.bounds = {20, 20, 180, 180};
  return f;
}

void checkPlacement(const ViewState& view, int fontHeight, const MapFeature& street,
                    std::string_view name) {
  LabelPlacement out;
  if (!placeLabel(view, fontHeight, street.points[0], street, name, out)) return;
  require(out.text == drawableText(name));
  require(out.letterCount() + 1 == out.bounds.size());
  const int32_t reach = static_cast<int32_t>(0.55 * fontHeight) + 2;
  for (size_t c = 0; c < out.letterCount(); ++c) {
    require(out.x[c] >= -reach && out.x[c] <= kFrame + reach);
    require(out.y[c] >= -reach && out.y[c] <= kFrame + reach);
    require(out.angle[c] >= 0 && out.angle[c] < 3600);
    require(whole(out.letter(c)));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  const uint8_t height = data[0];
  const uint8_t bend = data[1];
  const std::string_view rest(reinterpret_cast<const char*>(data + 3), size - 3);
  const size_t split = std::min<size_t>(data[2] * 4u, rest.size());
  const std::string_view name = rest.substr(0, split);
  const std::string_view flag = rest.substr(split);
  checkLetters(name, height);
  checkLetters(flag, bend);

  MapData map;
  ViewState view;
  ViewHistory history;
  FrameCache cache;
  LayerChoices layers;
  MarkingState marking;
  StyleSet styles;
  int viewMode = kViewFlat;
  WindowRandom random;
  RenderContext ctx{map,     view,   history,  cache,  layers,
                    marking, styles, viewMode, random, [] { return ClockTime{12, 0}; },
                    {},      0};
  view.viewRight = kFrame;
  view.viewBottom = kFrame;
  view.pixelsPerMmX = 10;
  view.pixelsPerMmY = 10;
  view.mmPerMetre = 0.1;
  view.viewXMax = kFrame;
  view.viewYMax = kFrame;
  view.detailLevel = 1 + height % 5;
  buildStyleSet(styles, viewMode);

  const MapFeature street = streetFeature(bend);
  checkPlacement(view, 1 + height % 48, street, name);

  StreetName streetName;
  streetName.streetCode = 7;
  setText(streetName.name, name);
  map.streetNames.push_back(streetName);
  map.streetCodeIndex.assign(8, -1);
  map.streetCodeIndex[7] = 0;
  map.streetLines.push_back(street);
  map.streetLabelPoints.push_back({100, 20, 0, 7});
  UserObject object;
  object.x = 100;
  object.y = 100;
  setText(object.name, flag);
  map.userObjects.push_back(object);

  DeviceCaps caps;
  caps.width = kFrame;
  caps.height = kFrame;
  DisplayList list;
  list.reset(caps, nullptr);
  streetLabelPass(ctx, list);
  labelAtPoint(ctx, list, 100, 100);
  drawNameFlash(ctx, list, NameFlash{NameFlash::Source::Object, 0});
  RecordingCanvas dc(caps);
  list.replay(dc);

  // The street's letters are 12 pixels high at this scale; the flash's are
  // at least 40 and are centred on the object as the program centres them.
  const int32_t reach = static_cast<int32_t>(0.55 * 12) + 3;
  for (const RecordedCall& call : dc.calls()) {
    if (call.kind != CallKind::TextOut) continue;
    require(whole(call.text));
    if (call.state.font.height < 40) {
      require(call.points[0].x >= -reach && call.points[0].x <= kFrame + reach);
      require(call.points[0].y >= -reach && call.points[0].y <= kFrame + reach);
    }
  }
  releaseStyleSet(styles, nullptr);
  return 0;
}
