// The title sheet: button-face background, the regional panel of 1.tkm on the
// left and the overview panel of the whole city on the right.
#include "render/title_sheet.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <vector>

#include "gpkg/map_location.h"
#include "mapdata/codes.h"
#include "render/feature_draw.h"
#include "render/graphemes.h"
#include "render/style_set.h"
#include "view/visibility.h"

namespace tikhomap {

namespace {

constexpr int kSmallScreenMaxHeight = 800;  // up to this a screen is small
constexpr int kFullCaptionHeight = 1024;    // lower screens skip some captions
constexpr double kInchesPerMm = 0.03937007874;

constexpr Rgb kHighlight{255, 255, 0};
constexpr Rgb kShallowWater{180, 240, 250};
constexpr Rgb kSheetStreet{190, 170, 140};

bool smallScreen(int frameHeight) {
  return frameHeight <= kSmallScreenMaxHeight;
}

// Plan palette for the length of the sheet; the chosen mode's palette is put
// back however the drawing ends.
class PlanPaletteScope {
 public:
  PlanPaletteScope(RenderContext& ctx, Canvas& dc) : ctx_(ctx), dc_(dc), saved_(ctx.viewMode) {
    ctx_.viewMode = kViewFlat;
    releaseStyleSet(ctx_.styles, &dc_);
    buildStyleSet(ctx_.styles, kViewFlat);
  }
  ~PlanPaletteScope() {
    if (saved_ == kViewFlat) return;
    ctx_.viewMode = saved_;
    releaseStyleSet(ctx_.styles, &dc_);
    buildStyleSet(ctx_.styles, saved_);
  }
  PlanPaletteScope(const PlanPaletteScope&) = delete;
  PlanPaletteScope& operator=(const PlanPaletteScope&) = delete;

 private:
  RenderContext& ctx_;
  Canvas& dc_;
  int saved_;
};

// Points a panel's map area at the view state: pixel rectangle, pixels per
// millimetre from the device's logical resolution, usable millimetres.
// False when the area has no room.
bool setPanelArea(ViewState& v, const DeviceCaps& caps, int left, int top, int right, int bottom,
                  int usableWidthPx, int usableHeightPx) {
  v.viewLeft = static_cast<int16_t>(left);
  v.viewTop = static_cast<int16_t>(top);
  v.viewRight = static_cast<int16_t>(right);
  v.viewBottom = static_cast<int16_t>(bottom);
  v.pixelsPerMmX = static_cast<float>((caps.logPixelsX > 0 ? caps.logPixelsX : 96) * kInchesPerMm);
  v.pixelsPerMmY = static_cast<float>((caps.logPixelsY > 0 ? caps.logPixelsY : 96) * kInchesPerMm);
  v.screenWidthMm = static_cast<float>(usableWidthPx) / v.pixelsPerMmX;
  v.screenHeightMm = static_cast<float>(usableHeightPx) / v.pixelsPerMmY;
  return usableWidthPx > 0 && usableHeightPx > 0;
}

void setScale(ViewState& v, double mmPerMetre) {
  v.mmPerMetre = mmPerMetre;
  v.detailLevel = detailLevelFor(mmPerMetre);
}

bool hasArea(const MapBounds& b) {
  return b.xMax > b.xMin && b.yMax > b.yMin;
}

// The kind's font and colour, unless it is already in effect.
void useTextStyle(Canvas& dc, char kind, int frameHeight, char& current) {
  if (kind == current) return;
  const SheetTextStyle style = sheetTextStyle(kind, frameHeight);
  dc.selectFont(style.font);
  dc.setTextColor(style.color);
  current = kind;
}

// The sheet's text records: on a large screen a yellow copy first, then the
// text one pixel up and left in the kind's colour.
void drawSheetTexts(RenderContext& ctx, Canvas& dc, const std::vector<TitleText>& texts,
                    const char (&kinds)[3], int frameHeight) {
  const int screenHeight = ctx.screenHeight > 0 ? ctx.screenHeight : frameHeight;
  char current = 0;
  useTextStyle(dc, kinds[0], frameHeight, current);
  for (const TitleText& t : texts) {
    if (std::find(std::begin(kinds), std::end(kinds), t.kind) == std::end(kinds)) continue;
    if (sheetTextSkipped(t.kind, screenHeight)) continue;
    useTextStyle(dc, t.kind, frameHeight, current);
    int32_t sx = 0;
    int32_t sy = 0;
    mapToScreen(ctx.view, static_cast<float>(t.x), static_cast<float>(t.y), sx, sy);
    const std::string& text = t.text;
    if (!smallScreen(frameHeight)) {
      const Rgb color = sheetTextStyle(t.kind, frameHeight).color;
      dc.setTextColor(kHighlight);
      dc.textOut(sx, sy, text);
      dc.setTextColor(color);
    }
    dc.textOut(sx - 1, sy - 1, text);
  }
  dc.selectFont(fixed::defaultFont);
}

Rect regionalPanelInside(int w, int h) {
  return Rect{8, 4, w - 2, h - 3};  // within the two-pixel raised edge
}

void drawRegionalPanel(RenderContext& ctx, Canvas& dc, int w, int h) {
  const std::optional<TitleSheetFile> file = readMapTitleSheet(ctx.dataDir, true);
  if (!file) return;
  const DeviceCaps caps = dc.deviceCaps();
  ViewState& v = ctx.view;
  const bool room = setPanelArea(v, caps, 22, 22, w - 18, h - 18, w - 40, h - 40);
  const MapBounds extent{static_cast<float>(file->extent[0]), static_cast<float>(file->extent[1]),
                         static_cast<float>(file->extent[2]), static_cast<float>(file->extent[3])};

  const Rect panel{6, 2, w, h - 1};
  dc.fillRect(panel, ctx.styles.sea);
  dc.drawEdge(panel, EdgeKind::Raised);
  // A header without an extent gives no scale: the panel stays open sea.
  if (!room || !hasArea(extent)) return;

  const float dx = extent.xMax - extent.xMin;
  const float dy = extent.yMax - extent.yMin;
  if (v.screenWidthMm / v.screenHeightMm > dy / dx) {
    setScale(v, v.screenHeightMm / dx);
    const double span = v.screenWidthMm / v.mmPerMetre;
    v.viewXMin = extent.xMin;
    v.viewXMax = extent.xMax;
    v.viewYMin = static_cast<float>((extent.yMin + extent.yMax) * 0.5 - span * 0.5);
    v.viewYMax = static_cast<float>(v.viewYMin + span);
  } else {
    setScale(v, v.screenWidthMm / dy);
    const double span = v.screenHeightMm / v.mmPerMetre;
    v.viewYMin = extent.yMin;
    v.viewYMax = extent.yMax;
    v.viewXMin = static_cast<float>((extent.xMin + extent.xMax) * 0.5 - span * 0.5);
    v.viewXMax = static_cast<float>(v.viewXMin + span);
  }

  // Land masses standing on a shadow two pixels to the lower right. Land that
  // runs on beyond the panel's extent, and captions near its edge, are kept
  // inside the panel's frame instead of spilling over the sheet.
  dc.setClipRect(regionalPanelInside(w, h));
  dc.selectPen(fixed::nullPen);
  // An imported town's outline is a line on the land, not land of its own.
  const bool outline = ctx.map.city.regionalOutline && file->shapes.size() >= 2;
  const size_t land = file->shapes.size() - (outline ? 1 : 0);
  for (size_t i = 0; i < land; ++i) {
    const std::span<ScreenPoint> points = convertMetrePoints(ctx, file->shapes[i].points);
    dc.selectBrush(ctx.styles.dropShadow);
    dc.polygon(points);
    for (ScreenPoint& p : points) {
      p.x -= 2;
      p.y -= 2;
    }
    dc.selectBrush(ctx.styles.green);
    dc.polygon(points);
  }
  if (outline) {
    dc.selectPen(ctx.styles.marker);
    dc.polyline(convertMetrePoints(ctx, file->shapes.back().points));
    dc.selectPen(fixed::nullPen);
  }
  drawSheetTexts(ctx, dc, file->texts, {'e', 'f', 'g'}, caps.height);
  dc.clearClip();
}

struct Caption {
  const char* text;  // UTF-8
  float x;
  float y;
  int smallHeight;
  int largeHeight;
  int escapement;
  int weight;
  Rgb light;
  Rgb dark;
  int shift;  // the dark copy is this many pixels up and left
};

constexpr Rgb kBayLight{180, 240, 250};
constexpr Rgb kBayDark{80, 140, 200};

const Caption kCaptions[] = {
    {"Западный залив", 18250, 2500, 22, 30, 450, 400, kBayLight, kBayDark, 2},
    {"Восточный", 1750, 15800, 18, 28, 500, 400, kBayLight, kBayDark, 2},
    {"залив", 2350, 19100, 18, 28, 500, 400, kBayLight, kBayDark, 2},
    {"п-ов Светлый", 7850, 9100, 18, 28, 520, 100, {250, 250, 0}, {140, 20, 20}, 1},
};

void drawCaptions(RenderContext& ctx, Canvas& dc, int frameHeight) {
  // The bays and the peninsula are the built-in city's; a city description
  // may take them away.
  if (!ctx.map.city.builtInCaptions) return;
  dc.setTextCharacterExtra(8);
  for (const Caption& c : kCaptions) {
    Font font;
    font.height = smallScreen(frameHeight) ? c.smallHeight : c.largeHeight;
    font.weight = c.weight;
    font.italic = true;
    font.escapement = c.escapement;
    dc.selectFont(font);
    int32_t sx = 0;
    int32_t sy = 0;
    mapToScreen(ctx.view, c.x, c.y, sx, sy);
    const std::string_view text = c.text;
    dc.setTextColor(c.light);
    dc.textOut(sx, sy, text);
    dc.setTextColor(c.dark);
    dc.textOut(sx - c.shift, sy - c.shift, text);
  }
  dc.setTextCharacterExtra(0);
}

void drawCredit(const MapData& map, Canvas& dc, int panelLeft, int frameWidth, int frameHeight) {
  Font font;
  font.height = smallScreen(frameHeight) ? 14 : 22;
  font.weight = 100;
  dc.selectFont(font);
  const int x = panelLeft + 22;
  std::string first = creditLine(map, 0);
  std::string second = creditLine(map, 1);
  if (map.city.credit && frameWidth > x) {
    // An imported town's lines, of any length, end at the frame's edge with
    // "…" (letters taken as 0.6 of the height wide, a wide letter twice).
    const double room = (frameWidth - x) / (0.6 * font.height);
    first = cutToWidth(first, room);
    second = cutToWidth(second, room);
  }
  // The built-in lines stand 15 pixels apart, as that sheet was drawn; an
  // imported town's own lines, of any letters, a whole font height apart so
  // that they never overlap.
  const int y2 = map.city.credit ? 14 + font.height : 29;
  dc.setTextColor({250, 250, 0});
  dc.textOut(x + 1, 15, first);
  dc.textOut(x + 1, y2 + 1, second);
  dc.setTextColor({0, 0, 0});
  dc.textOut(x, 14, first);
  dc.textOut(x, y2, second);
}

void polylineOf(RenderContext& ctx, Canvas& dc, const MapFeature& f) {
  dc.polyline(convertPoints(ctx, featurePoints(f)));
}

void drawCityPanel(RenderContext& ctx, Canvas& dc, int clientRight, int w, int h) {
  const DeviceCaps caps = dc.deviceCaps();
  ViewState& v = ctx.view;
  const StyleSet& s = ctx.styles;
  const int left = clientRight - w + 10;
  const int top = 2;
  const int right = clientRight - 10;
  const int bottom = h;
  const bool room = setPanelArea(v, caps, left, top, right, bottom, w - 20, h - 2);
  const MapBounds city = ctx.history.entry(0);
  if (!room || !hasArea(city)) return;

  // The city keeps to the panel's east and north edges; the slack goes west
  // or south.
  const float dx = city.xMax - city.xMin;
  const float dy = city.yMax - city.yMin;
  if (v.screenWidthMm / v.screenHeightMm > dy / dx) {
    setScale(v, v.screenHeightMm / dx);
    v.viewXMin = city.xMin;
    v.viewXMax = city.xMax;
    v.viewYMax = city.yMax;
    v.viewYMin = static_cast<float>(city.yMax - v.screenWidthMm / v.mmPerMetre);
  } else {
    setScale(v, v.screenWidthMm / dy);
    v.viewYMin = city.yMin;
    v.viewYMax = city.yMax;
    v.viewXMax = city.xMax;
    v.viewXMin = static_cast<float>(city.xMax - v.screenHeightMm / v.mmPerMetre);
  }

  dc.setClipRect(Rect{left - 1, top, right - 2, bottom});
  const Rect panel{left, top, right - 1, bottom - 1};
  // An inland city lies in land, not in sea: no shallow band, no coastline.
  const bool coast = ctx.map.city.coast;
  dc.fillRect(panel, coast ? s.sea : s.land);

  if (!ctx.map.districtAreas.empty()) {
    const std::span<const MetrePoint> outline = areaPoints(ctx.map.districtAreas[0]);
    if (coast) {
      dc.selectPen(Pen{PenStyle::Solid, 20, kShallowWater, true});
      dc.polyline(convertMetrePoints(ctx, outline));
    }
    dc.selectPen(fixed::nullPen);
    dc.selectBrush(s.land);
    dc.polygon(convertMetrePoints(ctx, outline));
  }

  int32_t previous = 0;
  for (const MapFeature& area : ctx.map.areaFeatures) {
    if (area.code == kAreaBeach || area.code == kAreaIndustry) continue;
    if (area.code != previous) {
      previous = area.code;
      if (area.code == kAreaForest || area.code == kAreaOrchard) {
        dc.selectPen(fixed::nullPen);
        dc.selectBrush(s.forest);
      } else if (area.code == kAreaGreen) {
        dc.selectPen(fixed::nullPen);
        dc.selectBrush(s.green);
      }
    }
    if (boundsInView(v, area.bounds)) dc.polygon(convertPoints(ctx, featurePoints(area)));
  }

  if (coast && !ctx.map.districtAreas.empty()) {
    dc.selectPen(s.coastline);
    dc.polyline(convertMetrePoints(ctx, areaPoints(ctx.map.districtAreas[0])));
  }

  dc.selectPen(fixed::blackPen);
  for (const MapFeature& line : ctx.map.lineFeatures) {
    if (line.code != kLineDistrictBoundary) polylineOf(ctx, dc, line);
  }

  dc.selectBrush(s.sea);
  dc.selectPen(s.waterLine);
  const std::optional<TitleSheetFile> water = readMapTitleSheet(ctx.dataDir, false);
  if (water) {
    for (const TitleShape& shape : water->shapes) {
      const std::span<ScreenPoint> points = convertMetrePoints(ctx, shape.points);
      if (shape.closed()) {
        dc.polygon(points);
      } else {
        dc.polyline(points);
      }
    }
  }

  if (!smallScreen(caps.height)) {
    dc.selectPen(Pen{PenStyle::Solid, 1, kSheetStreet, false});
    for (const MapFeature& street : ctx.map.streetLines) polylineOf(ctx, dc, street);
  }

  dc.selectPen(s.marker);
  for (const MapFeature& line : ctx.map.lineFeatures) {
    if (line.code == kLineDistrictBoundary) polylineOf(ctx, dc, line);
  }

  drawCaptions(ctx, dc, caps.height);
  drawCredit(ctx.map, dc, left, caps.width, caps.height);
  if (water) drawSheetTexts(ctx, dc, water->texts, {'o', 'p', 'q'}, caps.height);
  dc.selectFont(fixed::defaultFont);

  dc.clearClip();
  dc.drawEdge(panel, EdgeKind::Raised);
}

}  // namespace

SheetTextStyle sheetTextStyle(char kind, int frameHeight) {
  const bool small = smallScreen(frameHeight);
  SheetTextStyle style;
  switch (kind) {
    case 'f':
    case 'p':
      style.font.height = small ? 12 : 16;
      style.font.italic = !small;
      style.color = {0, 0, 255};
      break;
    case 'g':
    case 'q':
      style.font.height = small ? 16 : 24;
      style.color = {0, 0, 155};
      break;
    case 'o':
      style.font.height = small ? 12 : 16;
      style.color = {150, 0, 0};
      break;
    default:  // 'e'
      style.font.height = small ? 12 : 16;
      style.color = {200, 100, 0};
      break;
  }
  return style;
}

bool sheetTextSkipped(char kind, int screenHeight) {
  return screenHeight < kFullCaptionHeight && (kind == 'f' || kind == 'g' || kind == 'p');
}

std::string creditLine(int line) {
  return line == 0 ? "Тихоморское картографическое бюро" : "Составлено и издано в 2024 г.";
}

std::string creditLine(const MapData& map, int line) {
  if (!map.city.credit) return creditLine(line);
  return (*map.city.credit)[line == 0 ? 0 : 1];
}

void drawTitleSheet(RenderContext& ctx, Canvas& dc) {
  const DeviceCaps caps = dc.deviceCaps();
  const PlanPaletteScope plan(ctx, dc);
  dc.setBackgroundTransparent(true);
  dc.fillRect(Rect{0, 0, caps.width, caps.height}, Brush{BrushStyle::Solid, kButtonFace});
  if (ctx.history.count < 1) return;

  // The city's size on the screen when it is fitted into a frame 0.6 of the
  // screen wide and the full screen high.
  ViewState& v = ctx.view;
  const int clientRight = v.viewRight;
  const MapBounds city = ctx.history.entry(0);
  const double frameW = 0.6 * v.screenWidthMm;
  const double frameH = v.screenHeightMm;
  if (!hasArea(city) || !(frameW > 0) || !(frameH > 0)) return;
  const double dx = city.xMax - city.xMin;
  const double dy = city.yMax - city.yMin;
  setScale(v, std::min(frameW / dy, frameH / dx));
  v.viewXMin = static_cast<float>(city.xMin - (frameH / v.mmPerMetre - dx) * 0.5);
  v.viewXMax = static_cast<float>(v.viewXMin + frameH / v.mmPerMetre);
  v.viewYMin = static_cast<float>(city.yMin - (frameW / v.mmPerMetre - dy) * 0.5);
  v.viewYMax = static_cast<float>(v.viewYMin + frameW / v.mmPerMetre);
  int32_t nwX = 0, nwY = 0, seX = 0, seY = 0;
  mapToScreen(v, city.xMax, city.yMin, nwX, nwY);
  mapToScreen(v, city.xMin, city.yMax, seX, seY);
  const int cityW = std::abs(seX - nwX);
  const int cityH = std::abs(seY - nwY);

  ctx.cache.sheetSplitX = clientRight - cityW - 50;
  drawRegionalPanel(ctx, dc, clientRight - cityW - 54, cityH);
  dc.selectBrush(ctx.styles.sea);
  drawCityPanel(ctx, dc, clientRight, cityW + 40, cityH);
}

}  // namespace tikhomap
