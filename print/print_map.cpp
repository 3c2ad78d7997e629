// The layers of a page bottom to top, the page frame and the title.
#include "print/print_map.h"

#include <algorithm>
#include <cmath>

#include "mapdata/codes.h"
#include "mapdata/utf8_text.h"
#include "render/feature_draw.h"
#include "render/graphemes.h"
#include "render/start_indexes.h"
#include "view/visibility.h"

namespace tikhomap {

namespace {

constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kOutlineColour{0, 0, 200};
constexpr Rgb kStreetCasing{200, 150, 120};
constexpr Rgb kStreetCasingGrey{40, 40, 40};
constexpr Rgb kStreetFill{200, 200, 170};
constexpr Rgb kLineColour{75, 75, 75};
constexpr Rgb kWaterLineColour{0, 0, 150};

Pen solid(int width, Rgb colour) {
  return Pen{PenStyle::Solid, width, colour, false};
}

int truncated(double v) {
  return static_cast<int>(v);
}

// In colour the brush follows the code only where the code changes and has
// a print fill of its own; other codes keep what is in use. In black and
// white every area is one light grey.
void printAreas(const PrintScene& scene, PageState& page, Canvas& dc) {
  dc.selectPen(fixed::nullPen);
  dc.selectBrush(scene.colour ? fixed::whiteBrush : fixed::grey240Brush);
  int32_t previous = 0;
  for (const MapFeature& area : scene.map.areaFeatures) {
    if (scene.colour && area.code != previous) {
      previous = area.code;
      switch (area.code) {
        case kAreaForest:
          dc.selectBrush(scene.styles.printGreen);
          break;
        case kAreaOrchard:
          dc.selectBrush(scene.styles.orchard);
          break;
        case kAreaIndustry:
          dc.selectBrush(scene.styles.industry);
          break;
        case kAreaGreen:  // parks print in the forest's darker green
          dc.selectBrush(scene.styles.forest);
          break;
        default:
          break;
      }
    }
    if (!boundsInView(page.view, area.bounds)) continue;
    cutAreaToPage(page.view, featurePoints(area), page.box, page.cut, page.points);
    if (page.points.size() >= 3) dc.polygon(page.points);
  }
}

void drawPieces(PageState& page, Canvas& dc) {
  for (const auto piece : linePieces(page.points, page.runStarts)) dc.polyline(piece);
}

void printCityOutline(const PrintScene& scene, PageState& page, Canvas& dc) {
  if (scene.map.districtAreas.empty()) return;
  const int width = std::max(1, truncated(page.view.pixelsPerMmX * 0.25));
  dc.selectPen(solid(width, scene.colour ? kOutlineColour : kBlack));
  cutLineToPage(page.view, areaPoints(scene.map.districtAreas[0]), page.box, page.cut, page.points,
                page.runStarts);
  drawPieces(page, dc);
}

void printStreets(const PrintScene& scene, PageState& page, Canvas& dc) {
  const ViewState& v = page.view;
  const Rgb casing = scene.colour ? kStreetCasing : kStreetCasingGrey;
  if (v.detailLevel >= 3) {
    dc.selectPen(solid(std::max(3, truncated(v.pixelsPerMmX * 0.3)), casing));
    for (const MapFeature& f : scene.map.streetOutlines) printPolyline(page, dc, f);
    return;
  }
  // Casings first, then the fills over them, so crossings stay open.
  const double b = v.detailLevel * static_cast<double>(v.pixelsPerMmX);
  int c = truncated(1.5 * b);
  int f = 1;
  if (c > 2) {
    f = truncated(1.2 * b);
    if (c - f < 4) f = c - 4;
    f = std::max(f, 1);
  } else {
    c = 3;
  }
  dc.selectPen(solid(c, casing));
  for (const MapFeature& s : scene.map.streetLines) printPolyline(page, dc, s);
  dc.selectPen(solid(f, scene.colour ? kStreetFill : kWhite));
  for (const MapFeature& s : scene.map.streetLines) printPolyline(page, dc, s);
}

// District boundaries are a screen aid and never reach the paper.
void printLineFeatures(const PrintScene& scene, PageState& page, Canvas& dc) {
  const ViewState& v = page.view;
  dc.selectPen(solid(std::max(3, truncated(v.detailLevel * v.pixelsPerMmX * 0.4)), kLineColour));
  for (const MapFeature& f : scene.map.lineFeatures) {
    if (f.code != kLineDistrictBoundary) printPolyline(page, dc, f);
  }
}

void printWater(const PrintScene& scene, PageState& page, Canvas& dc) {
  const ViewState& v = page.view;
  dc.selectBrush(scene.styles.sea);
  dc.selectPen(fixed::nullPen);
  for (const MapFeature& f : scene.map.waterFeatures) {
    if (!isWaterBody(f.code) || !boundsInView(v, f.bounds)) continue;
    cutAreaToPage(v, featurePoints(f), page.box, page.cut, page.points);
    if (page.points.size() >= 3) dc.polygon(page.points);
  }
  dc.selectPen(solid(std::max(3, truncated(v.detailLevel * v.pixelsPerMmX * 0.2)),
                     scene.colour ? kWaterLineColour : kBlack));
  for (const MapFeature& f : scene.map.waterFeatures) printPolyline(page, dc, f);
}

}  // namespace

PurposeGroup printPurposeGroup(int32_t purpose) {
  return purpose == kPurposePublicBand ? PurposeGroup::Other : purposeGroup(purpose);
}

std::string printTitle(const CityInfo& city) {
  return cityTitle(city);
}

std::string pageScaleCaption(int32_t denominator) {
  // Thousands apart by a space, as a person writes a scale.
  std::string digits = std::to_string(denominator);
  for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3) {
    digits.insert(static_cast<size_t>(i), 1, ' ');
  }
  return "Масштаб 1:" + digits;
}

std::string scaleBarLabel(int32_t metres) {
  return metres >= 1000 && metres % 1000 == 0 ? std::to_string(metres / 1000) + " км"
                                              : std::to_string(metres) + " м";
}

Rect printScaleBox(const ViewState& v, int frame, Canvas& dc) {
  const double ppm = v.pixelsPerMmX;
  const int h = std::max(4, truncated(ppm * kScaleTextMm));
  const int pad = std::max(1, truncated(ppm * 2));
  const int gap = std::max(1, truncated(ppm * 1.5));
  const std::string caption = pageScaleCaption(pageScaleDenominator(v));
  const int32_t metres = scaleBarMetres(v.mmPerMetre, kScaleBarMaxMm);
  const int bar = std::max(2, static_cast<int>(std::lround(metres * v.mmPerMetre * ppm)));
  const std::string label = scaleBarLabel(metres);
  // Arial's characters are on average a little over half their height wide.
  const auto textWidth = [h](const std::string& text) {
    return truncated(static_cast<double>(codePointCount(text)) * h * 0.6);
  };
  const int width = 2 * pad + std::max(textWidth(caption), bar + gap + textWidth(label));
  const int height = 2 * pad + 2 * h + gap;
  const int bottom = v.viewBottom - frame;
  const Rect box{frame, bottom - height, frame + width, bottom};
  // Opaque: the map under the box does not show through.
  dc.fillRect(box, fixed::whiteBrush);
  const int line = std::max(1, truncated(ppm * 0.2));
  dc.selectPen(solid(line, kBlack));
  const ScreenPoint edge[] = {{box.left, box.top},
                              {box.right, box.top},
                              {box.right, box.bottom},
                              {box.left, box.bottom},
                              {box.left, box.top}};
  dc.polyline(edge);

  dc.setBackgroundTransparent(true);
  dc.selectFont(Font{"Arial Cyr", -h, 400, false, 0});
  dc.setTextColor(kBlack);
  const int left = box.left + pad;
  dc.textOut(left, box.top + pad, caption);
  // The bar: its first half black, the whole outlined, its length beside it.
  const int rowTop = box.top + pad + h + gap;
  const int thick = std::max(2, h / 3);
  const int barTop = rowTop + (h - thick) / 2;
  dc.fillRect(Rect{left, barTop, left + bar / 2, barTop + thick}, Brush{BrushStyle::Solid, kBlack});
  const ScreenPoint outline[] = {{left, barTop},
                                 {left + bar, barTop},
                                 {left + bar, barTop + thick},
                                 {left, barTop + thick},
                                 {left, barTop}};
  dc.polyline(outline);
  dc.textOut(left + bar + gap, rowTop, label);
  dc.selectPen(fixed::nullPen);
  return box;
}

Font houseNumberFont(const ViewState& page) {
  return Font{"Arial Cyr", truncated(page.pixelsPerMmX * -3.0), 400, false, 0};
}

bool preparePage(const PrintScene& scene, const PrinterMetrics& printer, const MapBounds& asked,
                 const WindowRandom& random, PageState& page) {
  if (!layoutPage(printer, asked, page.view)) return false;
  const ViewState& v = page.view;
  page.cache = FrameCache{};
  updateStartIndexes(scene.map, v.viewXMax, page.cache);
  page.labelMinSize = labelMinSize(v);
  page.printStoreyHeight = truncated(v.pixelsPerMmX * v.mmPerMetre * 4);
  page.printWallDrop = truncated(v.pixelsPerMmX * v.mmPerMetre * 2);
  page.random = random;
  page.box = cuttingBox(v);
  return true;
}

void printPolyline(PageState& page, Canvas& dc, const MapFeature& feature) {
  if (feature.pointCount < 1 || !boundsInView(page.view, feature.bounds)) return;
  cutLineToPage(page.view, featurePoints(feature), page.box, page.cut, page.points, page.runStarts);
  drawPieces(page, dc);
}

void printMap(const PrintScene& scene, PageState& page, Canvas& dc) {
  printAreas(scene, page, dc);
  printCityOutline(scene, page, dc);
  printStreets(scene, page, dc);
  printLineFeatures(scene, page, dc);
  printWater(scene, page, dc);
  if (!scene.map.streetNames.empty() && !scene.map.streetLabelPoints.empty()) {
    printStreetLabels(scene, page, dc);
  }
  if (scene.layers.buildingChoice == kChoiceNone) return;

  dc.selectFont(houseNumberFont(page.view));
  if (scene.viewMode == kViewFlat || scene.viewMode == kViewGraphic) {
    flatPrintPass(scene, page, dc);
  } else {
    volumetricPrintPass(scene, page, dc);
  }
  printMarkers(scene, page, dc);
  dc.selectFont(fixed::defaultFont);
}

bool printPage(const PrintScene& scene, const PrinterMetrics& printer, const MapBounds& asked,
               const WindowRandom& random, Canvas& dc) {
  PageState page;
  if (!preparePage(scene, printer, asked, random, page)) return false;
  const ViewState& v = page.view;
  const int right = v.viewRight;
  const int bottom = v.viewBottom;
  dc.setBackgroundTransparent(true);
  const int f = pageFrameWidth(v);
  const Rect inside{f, f, right - f, bottom - f};
  dc.setClipRect(inside);
  printMap(scene, page, dc);
  dc.clearClip();
  printScaleBox(v, f, dc);

  dc.selectPen(solid(f, kBlack));
  dc.selectBrush(fixed::hollowBrush);
  dc.rectangle(inside);
  dc.selectPen(fixed::nullPen);

  // The title stands on a white ground over whatever map lies beneath.
  dc.setBackgroundTransparent(false);
  const int h = std::abs(truncated(v.pixelsPerMmX * -4.0));
  dc.selectFont(Font{"Arial Cyr", -h, 400, true, 0});
  dc.setTextColor(kBlack);
  // A title longer than the page is cut with "…" (letters taken as 0.6 of
  // the height wide, a wide letter twice that).
  const double room = (right - h) / (0.6 * h);
  dc.textOut(h / 2, h / 2, cutToWidth(printTitle(scene.map.city), room));
  dc.selectFont(fixed::defaultFont);
  return true;
}

}  // namespace tikhomap
