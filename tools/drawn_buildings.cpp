#include "tools/drawn_buildings.h"

#include <algorithm>
#include <cstdint>

#include "mapdata/codes.h"
#include "view/drawn_building.h"
#include "view/visibility.h"

namespace tikhomap {
namespace {

// Orders: the phase of the pass first, then the table row.
int64_t orderOf(int phase, int32_t row) {
  return (int64_t{phase} << 32) | static_cast<uint32_t>(row);
}

}  // namespace

std::vector<DrawnSlab> drawnSlabs(const Building& b, int32_t row, BlockStyle style,
                                  int storeyHeight, int detailLevel) {
  const int storeys = drawnStoreys(b);
  std::vector<DrawnSlab> slabs;
  if (detailLevel <= 0) {
    // The whole city: every view draws the buildings as flat bodies.
    if (!hiddenAtCityScale(b.purpose)) slabs.push_back({0, 0, orderOf(0, row)});
    return slabs;
  }
  if (style == BlockStyle::Volumetric) {
    const int base = standsOnOpenGround(b.purpose) && storeys > 0 ? storeyHeight : 0;
    slabs.push_back({base, storeys * storeyHeight, orderOf(0, row)});
    return slabs;
  }
  const int level = detailLevel;
  if (level <= 1) {
    if (standsOnOpenGround(b.purpose)) return slabs;
    slabs.push_back({0, storeys < 2 ? 4 : 3 * (storeys + 1), orderOf(0, row)});
    return slabs;
  }
  // Ground storeys in table order, then every upper storey of every tall
  // building, storey by storey.
  if (!standsOnOpenGround(b.purpose)) {
    int top = 0;
    if (storeys >= 2) {
      top = level * level;
    } else if (b.purpose == kPurposeOutbuilding) {
      top = level * (level - 1);
    } else {
      top = level * level;
    }
    slabs.push_back({0, top, orderOf(0, row)});
  }
  int d = static_cast<int>(level * level + 1.5 * level);
  for (int storey = 2; storey <= storeys; ++storey) {
    slabs.push_back({d, d + level * (level - 1), orderOf(storey - 1, row)});
    d += level / 2 + level * level;
  }
  return slabs;
}

bool liftedOutlineCovers(const ViewState& view, const Building& b, int low, int high, int px,
                         int py) {
  const size_t n =
      std::min(b.outline.size(), static_cast<size_t>(std::max<int32_t>(b.pointCount, 0)));
  if (n < 3 || high < low) return false;
  // The outline moved up by t covers (px, py) exactly when the outline
  // itself covers (px, py + t): the vertical run from py + low to py + high
  // must meet the outline. A pixel is taken at its centre.
  const double x = px + 0.5;
  const double yLow = py + low + 0.5;
  const double yHigh = py + high + 0.5;
  std::vector<std::pair<double, double>> pts(n);
  for (size_t i = 0; i < n; ++i) {
    int32_t sx = 0;
    int32_t sy = 0;
    mapToScreen(view, b.outline[i].x, b.outline[i].y, sx, sy);
    pts[i] = {double(sx), double(sy)};
  }
  // Crossings of the vertical line through x, with the y where each edge
  // crosses it; inside between pairs of crossings (even-odd).
  std::vector<double> crossings;
  for (size_t i = 0; i < n; ++i) {
    const auto [x1, y1] = pts[i];
    const auto [x2, y2] = pts[(i + 1) % n];
    if ((x1 <= x) == (x2 <= x)) continue;
    crossings.push_back(y1 + (x - x1) * (y2 - y1) / (x2 - x1));
  }
  std::sort(crossings.begin(), crossings.end());
  for (size_t i = 0; i + 1 < crossings.size(); i += 2) {
    if (crossings[i] <= yHigh && crossings[i + 1] >= yLow) return true;
  }
  return false;
}

int32_t findDrawnBuildingAt(const MapData& map, const ViewState& view, int32_t firstBuilding,
                            BlockStyle style, int storeyHeight, int buildingChoice, int px,
                            int py) {
  if (buildingChoice == kChoiceNone) return -1;
  int32_t best = -1;
  int64_t bestOrder = -1;
  const PixelMetres metres = pixelMetres(view);
  // The city-scale bodies and the volumetric blocks leave out under "отбор"
  // what is too small to see; the night view draws every building.
  const bool selection = view.detailLevel <= 0 || style == BlockStyle::Volumetric;
  const size_t first = static_cast<size_t>(std::max(0, firstBuilding));
  for (size_t i = first; i < map.buildings.size(); ++i) {
    const Building& b = map.buildings[i];
    if (selection && leftOutBySelection(view, static_cast<int16_t>(buildingChoice), b)) continue;
    const int32_t row = static_cast<int32_t>(i);
    const std::vector<DrawnSlab> slabs = drawnSlabs(b, row, style, storeyHeight, view.detailLevel);
    int rise = 0;
    for (const DrawnSlab& slab : slabs) rise = std::max(rise, slab.high);
    // A building just south of the view still reaches into it with its
    // walls and roof.
    if (!reachInView(view, metres, b.bounds, ScreenReach{0, rise, 0, 0})) continue;
    for (const DrawnSlab& slab : slabs) {
      if (slab.order <= bestOrder) continue;
      if (liftedOutlineCovers(view, b, slab.low, slab.high, px, py)) {
        best = row;
        bestOrder = slab.order;
      }
    }
  }
  return best;
}

}  // namespace tikhomap
