// Buildings on paper: the flat pass of the plan views, the volumetric pass of
// every other view with its walls and windows, house numbers and the flags
// of the found buildings.
#include <algorithm>
#include <array>
#include <cmath>
#include <span>

#include "print/print_map.h"
#include "render/building_filter.h"
#include "render/building_walls.h"
#include "render/feature_draw.h"
#include "render/graphemes.h"
#include "render/layer_passes.h"
#include "view/geometry.h"
#include "view/visibility.h"

namespace tikhomap {

namespace {

constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kWindowGrey{180, 180, 180};

int truncated(double v) {
  return static_cast<int>(v);
}

Pen solid(int width, Rgb colour) {
  return Pen{PenStyle::Solid, width, colour, false};
}

Pen printOutlinePen(const ViewState& v) {
  return solid(std::max(1, truncated(v.pixelsPerMmX * 0.2)), kBlack);
}

// Buildings are converted without the screen's clamp, but kept within this
// many pixels of the page's origin: far beyond any page, so that no outline
// of a building near the paper bends, and with room left for the storey
// lifts and the wall tests in 32 bits. Only a damaged building (an outline
// or address point far from its own bounds) reaches it.
constexpr int32_t kBuildingPixelLimit = 1 << 28;

ScreenPoint buildingPixel(const ViewState& page, float x, float y) {
  const ScreenPoint p = pagePixel(page, x, y);
  return {std::clamp(p.x, -kBuildingPixelLimit, kBuildingPixelLimit),
          std::clamp(p.y, -kBuildingPixelLimit, kBuildingPixelLimit)};
}

void projectBuilding(const ViewState& page, const Building& b, std::vector<ScreenPoint>& out) {
  out.clear();
  for (const MapPoint& p : outlinePoints(b)) {
    const ScreenPoint s = buildingPixel(page, p.x, p.y);
    if (out.empty() || !(out.back() == s)) out.push_back(s);
  }
}

bool isFlatView(int viewMode) {
  return viewMode == kViewFlat || viewMode == kViewGraphic;
}

// Under "отбор" buildings under 2 mm on paper are left out. Buildings stood
// up by `storeyHeight` pixels a storey rise up the paper, so one just south
// of the page can still reach onto it.
bool printedBuilding(const PrintScene& scene, const PageState& page, const PixelMetres& metres,
                     int storeyHeight, const Building& b) {
  if (!boundsInView(page.view, b.bounds)) {
    const ScreenReach up{0, drawnStoreys(b) * storeyHeight, 0, 0};
    if (up.up <= 0 || !reachInView(page.view, metres, b.bounds, up)) return false;
  }
  return !leftOutBySelection(page.view, scene.layers.buildingChoice, b);
}

template <typename Visit>
void forEachPrintedBuilding(const PrintScene& scene, const PageState& page, int storeyHeight,
                            Visit visit) {
  const auto& buildings = scene.map.buildings;
  const PixelMetres metres = pixelMetres(page.view);
  for (size_t i = static_cast<size_t>(std::max(page.cache.firstBuilding, 0)); i < buildings.size();
       ++i) {
    if (printedBuilding(scene, page, metres, storeyHeight, buildings[i])) visit(buildings[i]);
  }
}

// The number stands centred over the address point, raised by `raise`
// pixels; under "отбор" only buildings of 5 mm on paper carry it.
void printHouseNumber(const PrintScene& scene, const PageState& page, Canvas& dc, const Building& b,
                      int raise, Rgb colour) {
  if (scene.layers.houseNumberChoice == kChoiceSelected) {
    const float minSize = static_cast<float>(page.labelMinSize);
    if (b.bounds.xMax - b.bounds.xMin < minSize && b.bounds.yMax - b.bounds.yMin < minSize) return;
  }
  const std::string number = drawableText(houseNumberText(b));
  if (number.empty()) return;
  const ScreenPoint p = buildingPixel(page.view, b.x, b.y);
  const int n = static_cast<int>(graphemeCount(number));
  const int hf = std::abs(houseNumberFont(page.view).height);
  const int x = truncated(p.x - n * hf * 0.3);
  const int y = p.y - raise - hf / 2;
  if (colour == kWhite) {
    // A white number on a small dark roof may reach past it onto the paper:
    // a thin black rim keeps it legible there.
    const int d = std::max(1, truncated(page.view.pixelsPerMmX * 0.15));
    dc.setTextColor(kBlack);
    for (const auto& [dx, dy] :
         {std::pair{-d, 0}, std::pair{d, 0}, std::pair{0, -d}, std::pair{0, d}}) {
      dc.textOut(x + dx, y + dy, number);
    }
  }
  dc.setTextColor(colour);
  dc.textOut(x, y, number);
}

// Relative luminance of an sRGB colour, 0 (black) to 1 (white).
double luminance(Rgb c) {
  const auto linear = [](uint8_t v) {
    const double x = v / 255.0;
    return x <= 0.04045 ? x / 12.92 : std::pow((x + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * linear(c.r) + 0.7152 * linear(c.g) + 0.0722 * linear(c.b);
}

}  // namespace

double contrastRatio(Rgb a, Rgb b) {
  const double la = luminance(a);
  const double lb = luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

Rgb houseNumberColour(const Brush& fill) {
  if (fill.style != BrushStyle::Solid) return kBlack;
  return contrastRatio(fill.color, kBlack) >= contrastRatio(fill.color, kWhite) ? kBlack : kWhite;
}

namespace {

bool wantsHouseNumber(const PrintScene& scene, const PageState& page, const Building& b) {
  return page.view.detailLevel != 0 && hasHouseNumber(b) &&
         scene.layers.houseNumberChoice != kChoiceNone;
}

struct WallPrint {
  const PrintScene& scene;
  PageState& page;
  Canvas& dc;
  Pen outlinePen;
  Pen windowPen;
  Brush wallBrush;
  int storeyHeight = 0;  // H
  WallOrder walls;
};

// Paper knows no time of day: in "Окна по часам" each window is lit or dark
// by one number of the page's generator; the night view's windows are lit.
const Brush& gridWindowBrush(WallPrint& w) {
  const StyleSet& s = w.scene.styles;
  if (!w.scene.colour) return fixed::grey180Brush;
  switch (w.scene.viewMode) {
    case kViewPowerCut:
      return s.darkWindowBrush;
    case kViewClockWindows:
      return w.page.random.next() % 2 == 0 ? s.litWindowBrush : s.darkWindowBrush;
    default:
      return s.litWindowBrush;
  }
}

// Paper draws every purpose's windows alike: lines at detail level 1,
// bands in "Широкие окна" and a grid otherwise.
void printWindows(WallPrint& p, const WallShape& w) {
  const WindowStyle style = p.page.view.detailLevel == 1           ? WindowStyle::Lines
                            : p.scene.viewMode == kViewWideWindows ? WindowStyle::Bands
                                                                   : WindowStyle::Grid;
  paintWindows(p.dc, w, style, p.windowPen,
               p.scene.colour ? p.scene.styles.litWindowBrush : fixed::grey180Brush,
               [&](ScreenPoint p1, ScreenPoint p2, int rise) -> const Brush* {
                 const Brush& fill = gridWindowBrush(p);
                 // A window wholly off the paper leaves no mark.
                 return windowOutside(p.page.view, p1, p2, rise, 0, 0) ? nullptr : &fill;
               });
}

void printWall(WallPrint& p, ScreenPoint a, ScreenPoint b, const Building& building) {
  const WallShape w = wallShape(a, b, building, p.storeyHeight);
  p.dc.selectPen(p.outlinePen);
  p.dc.selectBrush(p.wallBrush);
  quad(p.dc, w.a, w.b, w.bTop(), w.aTop());
  if (!wallHasWindows(w, building, p.page.view.detailLevel, p.scene.viewMode)) return;
  printWindows(p, w);
  p.dc.selectPen(p.outlinePen);
  p.dc.selectBrush(p.wallBrush);
  const std::array<ScreenPoint, 4> edge{w.a, w.b, w.bTop(), w.aTop()};
  p.dc.polyline(edge);
}

// First vertex with the largest northing; nullptr without an outline.
const MapPoint* northernmostVertex(const Building& b) {
  const MapPoint* best = nullptr;
  for (const MapPoint& p : outlinePoints(b)) {
    if (best == nullptr || p.x > best->x) best = &p;
  }
  return best;
}

// A flag on a stem, 2 mm high, standing at a page pixel raised by `lift`.
// The flag is placed in doubles and tested against the paper before it is
// cut to whole pixels: a corner far off the page lies at the edge of the
// pixel range, where the flag's own sizes would overflow it.
void printFlagAt(const PageState& page, Canvas& dc, ScreenPoint at, double lift) {
  const double x = at.x;
  const double y = at.y - lift;
  const double e = page.view.pixelsPerMmX * 2.0;
  const ViewState& v = page.view;
  if (std::trunc(x + 2 * e) < v.viewLeft || x > v.viewRight || y < v.viewTop ||
      std::trunc(y - 2 * e) > v.viewBottom) {
    return;
  }
  const ScreenPoint m{at.x, truncated(y)};
  const Rect flag{m.x, truncated(y - 2 * e), truncated(x + 2 * e), truncated(y - e)};
  dc.moveTo(m.x, m.y);
  dc.lineTo(m.x, truncated(y - e));
  dc.rectangle(flag);
}

// At the northernmost corner; on the roof where the page stands buildings
// up, at the outline on the flat plans.
void printMarker(const PrintScene& scene, const PageState& page, Canvas& dc, const Building& b) {
  const MapPoint* top = northernmostVertex(b);
  if (top == nullptr) return;
  const double lift = isFlatView(scene.viewMode)
                          ? 0.0
                          : static_cast<double>(drawnStoreys(b)) * page.printStoreyHeight;
  printFlagAt(page, dc, pagePixel(page.view, top->x, top->y), lift);
}

}  // namespace

void flatPrintPass(const PrintScene& scene, PageState& page, Canvas& dc) {
  const bool graphic = scene.viewMode == kViewGraphic;
  dc.selectPen(printOutlinePen(page.view));
  dc.setTextColor(kBlack);
  // "Графический" draws outlines only: its numbers stand on the paper.
  Brush fill = fixed::whiteBrush;
  std::vector<ScreenPoint>& outline = page.points;
  forEachPrintedBuilding(scene, page, 0, [&](const Building& b) {
    projectBuilding(page.view, b, outline);
    if (graphic) {
      if (outline.size() >= 2) {
        outline.push_back(outline.front());
        dc.polyline(outline);
      }
    } else if (outline.size() >= 2) {
      fill = scene.colour ? scene.styles.body[static_cast<int>(printPurposeGroup(b.purpose))]
             : b.purpose == kPurposeOutbuilding ? fixed::grey180Brush
                                                : fixed::grey200Brush;
      dc.selectBrush(fill);
      dc.polygon(outline);
    }
    if (wantsHouseNumber(scene, page, b)) {
      printHouseNumber(scene, page, dc, b, 0, houseNumberColour(fill));
    }
  });
  dc.selectPen(fixed::blackPen);
}

void volumetricPrintPass(const PrintScene& scene, PageState& page, Canvas& dc) {
  const ViewState& v = page.view;
  WallPrint w{scene, page, dc, printOutlinePen(v), {}, {}, page.printStoreyHeight, {}};
  if (v.detailLevel <= 1) {
    w.windowPen = solid(std::max(1, truncated(page.printStoreyHeight * 0.5)), kWindowGrey);
  }
  dc.setTextColor(kBlack);
  const StyleSet& s = scene.styles;
  std::vector<ScreenPoint> outline;
  forEachPrintedBuilding(scene, page, page.printStoreyHeight, [&](const Building& b) {
    Brush roof;
    if (!scene.colour) {
      w.wallBrush = fixed::grey240Brush;
      roof = fixed::grey200Brush;
    } else {
      const int g = static_cast<int>(scene.layers.colouredHouses != 0 ? printPurposeGroup(b.purpose)
                                                                      : PurposeGroup::Public);
      w.wallBrush = s.body[g];
      roof = s.roof[g];
    }
    projectBuilding(v, b, outline);
    orderWalls(outline, page.printWallDrop, w.walls);
    for (const int k : w.walls.order) printWall(w, w.walls.upper[k], w.walls.lower[k], b);

    const int raise = drawnStoreys(b) * page.printStoreyHeight;
    for (ScreenPoint& p : outline) p.y -= raise;
    dc.selectPen(w.outlinePen);
    dc.selectBrush(roof);
    if (outline.size() >= 2) dc.polygon(outline);
    if (wantsHouseNumber(scene, page, b)) {
      printHouseNumber(scene, page, dc, b, raise, houseNumberColour(roof));
    }
  });
  dc.selectPen(fixed::blackPen);
}

void printMarkers(const PrintScene& scene, PageState& page, Canvas& dc) {
  const MarkingState& m = scene.marking;
  if (!m.hasMarks()) return;
  dc.selectPen(solid(truncated(page.view.pixelsPerMmX * 0.25), kBlack));
  dc.selectBrush(fixed::grey240Brush);
  const auto& buildings = scene.map.buildings;
  const auto count = static_cast<int32_t>(buildings.size());
  // An object found without a building is flagged at its own point, on the
  // ground, as on the screen.
  for (const MarkingState::Point& p : m.chosenPoints)
    printFlagAt(page, dc, pagePixel(page.view, p.x, p.y), 0);
  if (!m.chosenBuildings.empty() || !m.chosenPoints.empty()) {
    for (const int32_t row : m.chosenBuildings) {
      if (row >= 0 && row < count) printMarker(scene, page, dc, buildings[row]);
    }
  } else {
    for (const Building& b : buildings) {
      if (b.streetCode == m.markedStreet) printMarker(scene, page, dc, b);
    }
  }
  dc.selectPen(fixed::blackPen);
}

}  // namespace tikhomap
