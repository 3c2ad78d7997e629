// Street names on paper: exactly the anchors the last screen frame labelled,
// placed again at the page's scale with letters sized in millimetres.
#include <algorithm>

#include "print/print_map.h"
#include "render/feature_draw.h"
#include "render/street_labels.h"
#include "view/geometry.h"
#include "view/visibility.h"

namespace tikhomap {

namespace {

constexpr float kStreetMatchTolerance = 5.0f;  // anchor to its street, metres
constexpr Rgb kFineLabelColour{100, 100, 100};
constexpr Rgb kLabelColour{0, 0, 0};

const MapFeature* streetOfAnchor(const MapData& map, const StreetLabelPoint& anchor) {
  for (const MapFeature& line : map.streetLines) {
    if (line.code == anchor.streetCode &&
        pointNearPolyline(anchor.x, anchor.y, featurePoints(line), kStreetMatchTolerance)) {
      return &line;
    }
  }
  return nullptr;
}

}  // namespace

void printStreetLabels(const PrintScene& scene, PageState& page, Canvas& dc) {
  const ViewState& v = page.view;
  if (100.0 * v.mmPerMetre < 10) return;
  const int fontHeight = std::max(4, static_cast<int>(v.detailLevel * v.pixelsPerMmX * 2.0));
  const int weight = v.detailLevel == 1 || v.detailLevel == 2 ? 100 : 700;
  dc.setTextColor(v.detailLevel > 3 ? kFineLabelColour : kLabelColour);

  LabelPlacement placed;
  const std::span<const uint8_t> labelled = scene.labelledAnchors;
  for (size_t row = 0; row < labelled.size() && row < scene.map.streetLabelPoints.size(); ++row) {
    const StreetLabelPoint& anchor = scene.map.streetLabelPoints[row];
    if (labelled[row] == 0 || !pointInView(v, anchor.x, anchor.y)) continue;
    const MapFeature* street = streetOfAnchor(scene.map, anchor);
    if (street == nullptr) continue;
    const std::string_view name = streetLabelText(scene.map, anchor.streetCode);
    if (name.empty()) continue;
    const MapPoint at{static_cast<float>(anchor.x), static_cast<float>(anchor.y)};
    if (!placeLabel(v, fontHeight, at, *street, name, placed)) continue;
    for (size_t c = 0; c < placed.letterCount(); ++c) {
      dc.selectFont(Font{"Arial Cyr", fontHeight, weight, false, placed.angle[c]});
      dc.textOut(placed.x[c], placed.y[c], placed.letter(c));
    }
  }
  dc.selectFont(fixed::defaultFont);
}

}  // namespace tikhomap
