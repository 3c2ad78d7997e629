// Street names along the streets: the per-frame label pass, the placement of
// one name on a street polyline, the right-click label and house numbers.
#include "render/street_labels.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>

#include "mapdata/codes.h"
#include "render/feature_draw.h"
#include "render/graphemes.h"
#include "render/layer_passes.h"
#include "view/geometry.h"
#include "view/visibility.h"

namespace tikhomap {

namespace {

constexpr float kSegmentTolerance = 3.0f;  // anchor to street segment, metres
constexpr float kStreetMatchTolerance = 5.0f;
constexpr float kCharacterAdvance = 1.2f;  // label length per character height
// A wide letter is about twice as wide as a Latin or Cyrillic one; it keeps
// the same gap to its neighbours.
constexpr float kWideAdvance = 1.6f;
// A name written right to left is one shaped run, straight along the street
// from the label's start; its letters take about this much of their height.
constexpr float kRunAdvance = 0.55f;
constexpr float kLateralShift = 0.55f;  // of the character height
constexpr float kBendAngle = 0.12f;     // radians kept as a bend of the path
constexpr float kLongStretchPitches = 4.0f;
constexpr int kFontAngleStep = 10;  // tenths of a degree: a new font above 1°

constexpr Rgb kBoldLabelColour{180, 146, 118};
constexpr Rgb kLightLabelHalo{250, 250, 0};
constexpr Rgb kLightLabelColour{180, 60, 40};
constexpr int kBoldWeight = 700;
constexpr int kLightWeight = 100;

struct Walk {
  MapPoint point;
  int vertex = 0;  // the street vertex the walk was heading for
  float left = 0;  // distance not consumed when the street ended
};

float distance(MapPoint a, MapPoint b) {
  return pointDistance(a.x, a.y, b.x, b.y);
}

MapPoint along(MapPoint from, MapPoint to, float d, float length) {
  if (length <= 0) return from;
  const float f = d / length;
  return {from.x + (to.x - from.x) * f, from.y + (to.y - from.y) * f};
}

// From `from` on segment i toward S[i], S[i-1], ... S[0].
Walk walkBack(std::span<const MapPoint> s, int i, MapPoint from, float d) {
  MapPoint cur = from;
  for (int k = i;; --k) {
    const float seg = distance(cur, s[k]);
    if (d <= seg) return {along(cur, s[k], d, seg), k, 0};
    d -= seg;
    cur = s[k];
    if (k == 0) return {cur, 0, d};
  }
}

// From `from` on segment i toward S[i+1], ... S[W-1].
Walk walkForward(std::span<const MapPoint> s, int i, MapPoint from, float d) {
  const int last = static_cast<int>(s.size()) - 1;
  MapPoint cur = from;
  for (int k = i + 1;; ++k) {
    const float seg = distance(cur, s[k]);
    if (d <= seg) return {along(cur, s[k], d, seg), k, 0};
    d -= seg;
    cur = s[k];
    if (k == last) return {cur, last, d};
  }
}

// Direction of travel from a to b, counter-clockwise from east.
float heading(MapPoint a, MapPoint b) {
  return std::atan2(b.x - a.x, b.y - a.y);
}

float angleBetween(float a, float b) {
  float d = std::fabs(a - b);
  if (d > std::numbers::pi_v<float>) d = 2 * std::numbers::pi_v<float> - d;
  return d;
}

// Letters drawn one by one at their placed cells, with a new font only
// when the angle turns by more than a degree from the previous letter (or
// for every letter when everyFont is set).
void drawCharacters(Canvas& dc, const LabelPlacement& at, int fontHeight, int weight, bool withHalo,
                    bool everyFont) {
  for (size_t c = 0; c < at.letterCount(); ++c) {
    if (c == 0 || everyFont || std::abs(at.angle[c] - at.angle[c - 1]) > kFontAngleStep) {
      dc.selectFont(Font{"Arial Cyr", fontHeight, weight, false, at.angle[c]});
    }
    const std::string_view ch = at.letter(c);
    if (withHalo) {
      dc.setTextColor(kLightLabelHalo);
      dc.textOut(at.x[c] + 1, at.y[c] + 1, ch);
      dc.setTextColor(kLightLabelColour);
    } else {
      dc.setTextColor(kBoldLabelColour);
    }
    dc.textOut(at.x[c], at.y[c], ch);
  }
}

}  // namespace

std::string_view streetLabelText(const MapData& map, int streetCode) {
  const StreetName* street = map.streetByCode(streetCode);
  if (street == nullptr) return {};
  const std::string_view name = street->name;
  return name.substr(0, name.find('/'));
}

int placeLabel(const ViewState& view, int fontHeight, MapPoint anchor, const MapFeature& street,
               std::string_view name, LabelPlacement& out) {
  const std::span<const MapPoint> s = featurePoints(street);
  const int w = static_cast<int>(s.size());
  int seg = -1;
  for (int i = 0; i + 1 < w; ++i) {
    if (pointNearSegment(anchor.x, anchor.y, s[i].x, s[i].y, s[i + 1].x, s[i + 1].y,
                         kSegmentTolerance)) {
      seg = i;
      break;
    }
  }
  if (seg < 0) return 0;

  // Foot of the perpendicular from the anchor onto the segment's line.
  const Line ln = lineThrough(s[seg].x, s[seg].y, s[seg + 1].x, s[seg + 1].y);
  const float norm = ln.a * ln.a + ln.b * ln.b;
  MapPoint foot = anchor;
  if (norm > 0) {
    foot.x = (ln.b * (ln.b * anchor.x - ln.a * anchor.y) - ln.a * ln.c) / norm;
    foot.y = (ln.a * (ln.a * anchor.y - ln.b * anchor.x) - ln.b * ln.c) / norm;
  }

  out.text = drawableText(name);
  out.bounds = graphemeBounds(out.text);
  const bool run = hasRightToLeft(out.text);
  const float runUnits =
      static_cast<float>(out.bounds.size() - 1) * kRunAdvance / kCharacterAdvance;
  if (run) out.bounds = {0, static_cast<uint32_t>(out.text.size())};
  const int n = static_cast<int>(out.bounds.size()) - 1;
  // Each letter's advance in units of a code-page letter's; the sums stay
  // whole numbers, and so exactly today's pitch, for names without wide
  // letters.
  std::vector<float> units(static_cast<size_t>(n), 1.0f);
  float total = 0;
  for (int c = 0; c < n; ++c) {
    if (run) {
      units[static_cast<size_t>(c)] = runUnits;
    } else if (isWideCluster(out.letter(static_cast<size_t>(c)))) {
      units[static_cast<size_t>(c)] = kWideAdvance / kCharacterAdvance;
    }
    total += units[static_cast<size_t>(c)];
  }
  const float gaps = n > 0 ? total - units[static_cast<size_t>(n - 1)] : 0.0f;
  const float hm = static_cast<float>(fontHeight / view.pixelsPerMmX / view.mmPerMetre);
  const float length = total * hm * kCharacterAdvance;
  const float half = length * 0.5f;

  // Centre the name on the foot; where the street ends too soon forward, push
  // the start back; where it is short both ways, the name is compressed.
  Walk a = walkBack(s, seg, foot, half);
  Walk b = walkForward(s, seg, foot, half + a.left);
  float remainder = b.left;
  if (b.left > 0) {
    b = walkForward(s, seg, foot, half);
    a = walkBack(s, seg, foot, half + b.left);
    remainder = a.left;
  }
  // The first letter sits at A and the last at B.
  const float pitch = n > 1 ? (length - remainder) / gaps : 0.0f;

  // The path: A, the street vertices between, B; small wiggles straightened.
  std::vector<MapPoint> path{a.point};
  for (int k = a.vertex + 1; k <= b.vertex - 1; ++k) {
    const MapPoint last = path.back();
    const MapPoint next = s[k + 1];
    const bool bend = angleBetween(heading(last, s[k]), heading(s[k], next)) > kBendAngle;
    const bool far = distance(last, s[k]) > kLongStretchPitches * pitch;
    if (bend || far) path.push_back(s[k]);
  }
  path.push_back(b.point);
  if (path.back().y < path.front().y) std::reverse(path.begin(), path.end());

  const float shift = kLateralShift * hm;
  out.x.assign(n, 0);
  out.y.assign(n, 0);
  out.angle.assign(n, 0);
  size_t segStart = 0;  // path segment the walk is on
  float segOffset = 0;  // distance along the path where that segment starts
  float before = 0;     // units of the letters before this one
  for (int c = 0; c < n; ++c) {
    const float at = before * pitch;
    before += units[static_cast<size_t>(c)];
    float segLength = distance(path[segStart], path[segStart + 1]);
    while (at > segOffset + segLength && segStart + 2 < path.size()) {
      segOffset += segLength;
      ++segStart;
      segLength = distance(path[segStart], path[segStart + 1]);
    }
    const MapPoint p0 = path[segStart];
    const MapPoint p1 = path[segStart + 1];
    MapPoint q = along(p0, p1, std::min(at - segOffset, segLength), segLength);
    // A damaged vertex (not a number) gives no direction: such a letter
    // stands upright rather than at an undefined angle.
    float phi = heading(p0, p1);
    if (!std::isfinite(phi)) phi = 0;
    int angle = static_cast<int>(phi * 573.0f + 0.5f);
    if (angle < 0) angle += 3600;
    out.angle[c] = angle;
    q.x += std::cos(phi) * shift;
    q.y -= std::sin(phi) * shift;
    mapToScreen(view, q.x, q.y, out.x[c], out.y[c]);
  }
  return 1;
}

void streetLabelPass(RenderContext& ctx, Canvas& dc) {
  const ViewState& view = ctx.view;
  const MapData& map = ctx.map;
  // The marks say what this frame labelled, so they are cleared before a
  // scale too small for names returns: a print must not name the streets of
  // an older frame.
  std::vector<uint8_t>& labelled = ctx.cache.labelledAnchors;
  labelled.assign(map.streetLabelPoints.size(), 0);
  const double k = 100.0 * view.mmPerMetre;
  if (k < 10) return;
  ctx.cache.labelFontHeight = std::max(12, static_cast<int>(0.5 * k));

  const bool bold = view.detailLevel >= 3;
  LabelPlacement placed;
  const int count = static_cast<int>(map.streetLabelPoints.size());
  for (int i = std::max(0, ctx.cache.firstLabelPoint); i < count; ++i) {
    const StreetLabelPoint& anchor = map.streetLabelPoints[i];
    const float ax = anchor.x;
    const float ay = anchor.y;
    if (ax < view.viewXMin) break;
    // A level read as negative counts by its size.
    // Widened first: the most negative level has no opposite in 32 bits.
    if (std::abs(static_cast<int64_t>(anchor.level)) > k || !pointInView(view, ax, ay)) continue;

    const MapFeature* street = nullptr;
    for (const MapFeature& line : map.streetLines) {
      if (line.code == anchor.streetCode &&
          pointNearPolyline(ax, ay, featurePoints(line), kStreetMatchTolerance)) {
        street = &line;
        break;
      }
    }
    if (street == nullptr) continue;
    const std::string_view name = streetLabelText(map, anchor.streetCode);
    if (!placeLabel(view, ctx.cache.labelFontHeight, {ax, ay}, *street, name, placed)) continue;
    drawCharacters(dc, placed, ctx.cache.labelFontHeight, bold ? kBoldWeight : kLightWeight, !bold,
                   false);
    labelled[static_cast<size_t>(i)] = 1;
  }
}

int labelAtPoint(RenderContext& ctx, Canvas& dc, int sx, int sy) {
  const ViewState& view = ctx.view;
  const MapData& map = ctx.map;
  if (view.mmPerMetre <= 0) return 0;
  float px = 0;
  float py = 0;
  screenToMap(view, sx, sy, px, py);
  const float tolerance = static_cast<float>(3.0 / view.mmPerMetre);

  const MapFeature* street = nullptr;
  const int count = static_cast<int>(map.streetLines.size());
  for (int i = std::max(0, ctx.cache.firstStreetLine); i < count; ++i) {
    const MapFeature& line = map.streetLines[i];
    const MapBounds& b = line.bounds;
    // The box is widened by the tolerance: a street running exactly north or
    // east has a box of no width, and a click beside it must still find it.
    if (pointInRect(px, py, b.xMin - tolerance, b.yMin - tolerance, b.xMax + tolerance,
                    b.yMax + tolerance) &&
        pointNearPolyline(px, py, featurePoints(line), tolerance)) {
      street = &line;
      break;
    }
  }
  if (street == nullptr || street->code == 0) return 0;
  const std::string_view name = streetLabelText(map, street->code);
  if (name.empty()) return 0;

  const int fontHeight = std::max(12, static_cast<int>(33.333333 * view.mmPerMetre));
  LabelPlacement placed;
  if (!placeLabel(view, fontHeight, {px, py}, *street, name, placed)) return 0;

  dc.setClipRect(
      Rect{view.viewLeft + 1, view.viewTop + 1, view.viewRight + 2, view.viewBottom + 1});
  dc.setBackgroundTransparent(true);
  const bool light = view.detailLevel == 1 || view.detailLevel == 2;
  drawCharacters(dc, placed, fontHeight, light ? kLightWeight : kBoldWeight, light, true);
  dc.setBackgroundTransparent(false);
  dc.clearClip();
  return 1;
}

void houseNumberLabel(RenderContext& ctx, Canvas& dc, const Building& building, int offset) {
  if (ctx.layers.houseNumberChoice == kChoiceSelected) {
    const MapBounds& b = building.bounds;
    const float span = static_cast<float>(ctx.cache.houseNumberMinSpan);
    if (b.xMax - b.xMin < span && b.yMax - b.yMin < span) return;
  }
  const std::string number = drawableText(houseNumberText(building));
  if (number.empty()) return;
  int32_t sx = 0;
  int32_t sy = 0;
  mapToScreen(ctx.view, building.x, building.y, sx, sy);
  const int m = static_cast<int>(graphemeCount(number));
  dc.textOut(sx - 3 * m, sy - offset - 6, number);
}

}  // namespace tikhomap
