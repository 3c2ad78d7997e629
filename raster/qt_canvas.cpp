#include "raster/qt_canvas.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QScreen>
#include <QString>
#include <climits>
#include <cmath>
#include <map>

#include "raster/font_substitution.h"
#include "raster/mask_stamps.h"
#include "raster/quad_fill.h"
#include "raster/small_polygons.h"
#include "raster/thin_pen.h"

namespace tikhomap {

namespace {

// Colours of the system's three-dimensional frame edges.
const QColor kEdgeHighlight(255, 255, 255);
const QColor kEdgeLight(227, 227, 227);
const QColor kEdgeShadow(160, 160, 160);
const QColor kEdgeDarkShadow(105, 105, 105);

// Each thread that draws frames keeps the small shapes it has learnt.
SmallPolygonCache& smallPolygons() {
  static thread_local SmallPolygonCache cache;
  return cache;
}

// Pens up to this width draw their joins and ends square (within a pixel of
// round).
constexpr int kSquareJoinWidth = 3;

// Cell height (ascent + descent) per pixel of em size, per family.
double cellRatio(const QString& family) {
  static thread_local std::map<QString, double> ratios;
  auto it = ratios.find(family);
  if (it != ratios.end()) return it->second;
  QFont probe(family);
  probe.setPixelSize(100);
  const QFontMetricsF fm(probe);
  double ratio = (fm.ascent() + fm.descent()) / 100.0;
  if (ratio <= 0.1) ratio = 1.0;
  ratios.emplace(family, ratio);
  return ratio;
}

}  // namespace

QColor toQColor(Rgb color) {
  return QColor(color.r, color.g, color.b);
}

QBrush toQBrush(const Brush& brush) {
  switch (brush.style) {
    case BrushStyle::Solid:
      return QBrush(toQColor(brush.color));
    case BrushStyle::HatchDiagCross:
      return QBrush(toQColor(brush.color), Qt::DiagCrossPattern);
    case BrushStyle::Null:
      break;
  }
  return QBrush(Qt::NoBrush);
}

QFont makeCellFont(const Font& font) {
  const QString family = substituteFontFace(font.face);
  QFont q(family);
  int pixels = 0;
  if (font.height < 0) {
    pixels = -font.height;
  } else if (font.height > 0) {
    pixels = static_cast<int>(std::lround(font.height / cellRatio(family)));
  } else {
    pixels = 12;
  }
  q.setPixelSize(std::max(1, pixels));
  const int weight = font.weight <= 0 ? 400 : std::clamp(font.weight, 1, 1000);
  q.setWeight(static_cast<QFont::Weight>(weight));
  q.setItalic(font.italic);
  q.setStyleStrategy(QFont::PreferAntialias);
  return q;
}

float widthMmAt96Dpi(int widthPx) {
  return static_cast<float>(widthPx) * 25.4f / 96.0f;
}

float physicalWidthMm(const QScreen* screen, int widthPx) {
  if (screen != nullptr) {
    const double mm = screen->physicalSize().width();
    const int px = screen->geometry().width();
    if (mm > 1.0 && px > 0) return static_cast<float>(mm * widthPx / px);
  }
  return widthMmAt96Dpi(widthPx);
}

DeviceCaps deviceCapsOf(const QPaintDevice& device, float widthMm) {
  // The map is drawn on the logical pixel grid of the device; on a screen of
  // a higher pixel ratio the painter puts each logical pixel on ratio × ratio
  // device pixels, so geometry and letters are rasterised at the device's
  // resolution. Images and pixmaps count device pixels, widgets logical ones.
  const qreal ratio = device.devicePixelRatio();
  const bool countsDevicePixels =
      device.devType() == QInternal::Image || device.devType() == QInternal::Pixmap;
  DeviceCaps caps;
  caps.width = countsDevicePixels ? qRound(device.width() / ratio) : device.width();
  caps.height = countsDevicePixels ? qRound(device.height() / ratio) : device.height();
  caps.logPixelsX = device.logicalDpiX();
  caps.logPixelsY = device.logicalDpiY();
  caps.widthMm = widthMm > 0 ? widthMm : widthMmAt96Dpi(caps.width);
  caps.heightMm = caps.width > 0 ? caps.widthMm * static_cast<float>(caps.height) / caps.width : 0;
  return caps;
}

QtCanvas::QtCanvas(QPainter& painter, float widthMm) : painter_(painter) {
  QPaintDevice* device = painter.device();
  ratio_ = device->devicePixelRatio();
  caps_ = deviceCapsOf(*device, widthMm);
  // A printer (or a PDF file) takes whole paths: a wide line goes to it as one
  // stroke, which keeps the spooled page small.
  nativeStrokes_ = device->devType() == QInternal::Printer;
  const qreal whole = std::round(ratio_);
  if (whole >= 1 && whole <= 8 && whole == ratio_) wholeRatio_ = static_cast<int>(whole);
  image_ = dynamic_cast<QImage*>(device);
  if (image_ != nullptr && wholeRatio_ != 0) {
    const QImage::Format format = image_->format();
    maskable_ = format == QImage::Format_RGB32 || format == QImage::Format_ARGB32_Premultiplied;
    if (maskable_ || format == QImage::Format_ARGB32) {
      // The painter detached the image when it began; constBits() then
      // names the very buffer the painter draws into (bits() would detach
      // again if the image were copied meanwhile, and part the two).
      pixels_ = const_cast<uint32_t*>(reinterpret_cast<const uint32_t*>(image_->constBits()));
      stride_ = image_->bytesPerLine() / 4;
    }
  }
  updatePixelClips();
  if (pixels_ != nullptr) smallPolygons().beginFrame();
  painter_.setRenderHint(QPainter::Antialiasing, false);
  painter_.setRenderHint(QPainter::TextAntialiasing, true);
  painter_.setBackground(QBrush(Qt::white));
  painter_.setBackgroundMode(Qt::OpaqueMode);
  painter_.setPen(Qt::NoPen);
  painter_.setBrush(Qt::NoBrush);
}

void QtCanvas::selectPen(const Pen& pen) {
  // Buildings select their pen and brush one by one; most are the same, and
  // in a band of the frame most of them draw nothing: the painter takes the
  // pen only when a figure is drawn with it.
  if (pen == pen_ && penSelected_) return;
  pen_ = pen;
  penSelected_ = true;
  penPending_ = true;
}

void QtCanvas::applyPen() {
  if (!penPending_) return;
  penPending_ = false;
  // A frame uses a few dozen pens, selected tens of thousands of times.
  for (const auto& [pen, q] : qpens_) {
    if (pen == pen_) {
      painter_.setPen(q);
      return;
    }
  }
  if (qpens_.size() >= kKeptPens) qpens_.erase(qpens_.begin());
  qpens_.emplace_back(pen_, makeQPen(pen_));
  painter_.setPen(qpens_.back().second);
}

QPen QtCanvas::makeQPen(const Pen& pen) const {
  if (pen.style == PenStyle::Null) return QPen(Qt::NoPen);
  if (pen.width <= 1) {
    QPen q = thinPen(toQColor(pen.color), ratio_);
    if (pen.style == PenStyle::Dot) q.setStyle(Qt::DotLine);
    return q;
  }
  QPen q(toQColor(pen.color));
  q.setWidth(pen.width);
  q.setCapStyle(pen.flatCaps ? Qt::FlatCap : Qt::RoundCap);
  q.setJoinStyle(Qt::RoundJoin);
  if (pen.style == PenStyle::Dot) q.setStyle(Qt::DotLine);
  return q;
}

void QtCanvas::selectBrush(const Brush& brush) {
  // The painter takes the brush only when it fills: the window grid selects
  // a brush per window and quad() fills most windows without the painter.
  if (brush == brush_ && brushSelected_) return;
  brush_ = brush;
  brushSelected_ = true;
  brushPending_ = true;
}

void QtCanvas::applyBrush() {
  if (!brushPending_) return;
  brushPending_ = false;
  painter_.setBrush(toQBrush(brush_));
}

void QtCanvas::selectFont(const Font& font) {
  if (!(font == font_)) {
    font_ = font;
    fontDirty_ = true;
  }
}

void QtCanvas::setTextColor(Rgb color) {
  textColor_ = toQColor(color);
}

void QtCanvas::setBackgroundTransparent(bool transparent) {
  painter_.setBackgroundMode(transparent ? Qt::TransparentMode : Qt::OpaqueMode);
}

void QtCanvas::setTextCharacterExtra(int pixels) {
  if (pixels != characterExtra_) {
    characterExtra_ = pixels;
    fontDirty_ = true;
  }
}

void QtCanvas::setRasterOp(RasterOp op) {
  rasterOp_ = op;
  switch (op) {
    case RasterOp::CopyPen:
      painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
      break;
    case RasterOp::MaskPen:
      painter_.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
      break;
    case RasterOp::Not:
      painter_.setCompositionMode(QPainter::RasterOp_NotDestination);
      break;
  }
}

void QtCanvas::setClipRect(const Rect& rect) {
  clip_ = QRect(rect.left, rect.top, std::max(0, rect.right - rect.left),
                std::max(0, rect.bottom - rect.top));
  painter_.setClipRect(*clip_);
  updatePixelClips();
}

void QtCanvas::clearClip() {
  clip_.reset();
  painter_.setClipping(false);
  updatePixelClips();
}

void QtCanvas::setBand(int top, int bottom) {
  band_ = QRect(0, top, std::max(caps_.width, 0), std::max(0, bottom - top));
  updatePixelClips();
}

void QtCanvas::updatePixelClips() {
  // Asked once per window quad and small polygon: kept until the clip or
  // the band changes.
  clipPixels_ = devicePixels(false);
  bandPixels_ = devicePixels(true);
}

QRect QtCanvas::devicePixels(bool inBand) const {
  int left = 0;
  int top = 0;
  int right = caps_.width;
  int bottom = caps_.height;
  if (clip_) {
    left = clip_->x();
    top = clip_->y();
    right = clip_->x() + clip_->width();
    bottom = clip_->y() + clip_->height();
  }
  if (band_ && inBand) {
    top = std::max(top, band_->y());
    bottom = std::min(bottom, band_->y() + band_->height());
  }
  const int r = wholeRatio_ > 0 ? wholeRatio_ : std::max(1, static_cast<int>(std::lround(ratio_)));
  left *= r;
  top *= r;
  right *= r;
  bottom *= r;
  if (image_ != nullptr) {
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, image_->width());
    bottom = std::min(bottom, image_->height());
  }
  return QRect(left, top, std::max(0, right - left), std::max(0, bottom - top));
}

QRect QtCanvas::pixelClip() const {
  return bandPixels_;
}

const QPoint* QtCanvas::toPoints(std::span<const ScreenPoint> points) {
  // One buffer for every call: the map draws tens of thousands of small
  // polygons per frame.
  points_.resize(points.size());
  for (size_t i = 0; i < points.size(); ++i) points_[i] = QPoint(points[i].x, points[i].y);
  return points_.data();
}

void QtCanvas::polygonStamps(std::span<const ScreenPoint> points,
                             std::span<const ScreenPoint> offsets) {
  // Mask-mode fills without an outline merge on the frame image itself; any
  // other combination (a printer, a pen, another raster mode) is filled copy
  // by copy.
  QImage* image = image_;
  const int ratio = wholeRatio_;
  const bool mergeable = image != nullptr && ratio >= 1 && rasterOp_ == RasterOp::MaskPen &&
                         pen_.style == PenStyle::Null && brush_.style == BrushStyle::Solid &&
                         painter_.worldTransform().isIdentity() &&
                         (image->format() == QImage::Format_RGB32 ||
                          image->format() == QImage::Format_ARGB32_Premultiplied);
  if (!mergeable) {
    Canvas::polygonStamps(points, offsets);
    return;
  }
  // The copies are filled as for the whole clip; only the band's pixels
  // are written.
  const QRect clip = clipPixels_;
  const QRect writable = bandPixels_;
  if (ratio == 1) {
    maskPolygonStamps(*image, clip, toQColor(brush_.color).rgb(), points, offsets, *stamps_,
                      writable);
    return;
  }
  // The stamps write device pixels: the polygon and its offsets are taken to
  // the device grid first.
  scaledPoints_.resize(points.size());
  for (size_t i = 0; i < points.size(); ++i) {
    scaledPoints_[i] = {points[i].x * ratio, points[i].y * ratio};
  }
  scaledOffsets_.resize(offsets.size());
  for (size_t i = 0; i < offsets.size(); ++i) {
    scaledOffsets_[i] = {offsets[i].x * ratio, offsets[i].y * ratio};
  }
  maskPolygonStamps(*image, clip, toQColor(brush_.color).rgb(), scaledPoints_, scaledOffsets_,
                    *stamps_, writable);
}

bool QtCanvas::drawSmallPolygon(std::span<const ScreenPoint> points) {
  const bool outlined = pen_.style == PenStyle::Solid && pen_.width <= 1;
  const bool filled = brush_.style == BrushStyle::Solid;
  if (pixels_ == nullptr || wholeRatio_ != 1 || (!filled && !outlined) ||
      (!outlined && pen_.style != PenStyle::Null) ||
      (!filled && brush_.style != BrushStyle::Null) ||
      !(rasterOp_ == RasterOp::CopyPen || (rasterOp_ == RasterOp::MaskPen && maskable_)) ||
      painter_.hasClipping() != clip_.has_value() || !painter_.worldTransform().isIdentity() ||
      painter_.opacity() != 1.0) {
    return false;
  }
  const PixelBox box = vertexBox(points);
  if (!SmallPolygonCache::fits(points.size(), box)) return false;
  // Near a clip edge the painter cuts the shape first: left to it.
  // In 64 bits: any int32 vertex may come in.
  constexpr int64_t r = SmallPolygonCache::kReach;
  const QRect clip = clipPixels_;
  if (box.left - r < clip.left() || box.right + r > clip.right() || box.top - r < clip.top() ||
      box.bottom + r > clip.bottom()) {
    return false;
  }
  const QRect w = pixelClip();
  return smallPolygons().draw(pixels_, stride_, PixelBox{w.left(), w.top(), w.right(), w.bottom()},
                              points, box, filled,
                              qRgb(brush_.color.r, brush_.color.g, brush_.color.b), outlined,
                              qRgb(pen_.color.r, pen_.color.g, pen_.color.b),
                              rasterOp_ == RasterOp::CopyPen ? QuadFillOp::Copy : QuadFillOp::And);
}

void QtCanvas::polygon(std::span<const ScreenPoint> points) {
  if (points.size() < 2) return;
  if (drawSmallPolygon(points)) return;
  applyPen();
  applyBrush();
  painter_.drawPolygon(toPoints(points), static_cast<int>(points.size()), Qt::OddEvenFill);
}

void QtCanvas::quad(const std::array<ScreenPoint, 4>& points) {
  // The filler writes what the painter would: an opaque solid fill without
  // an outline, copied or ANDed, on the painter's own pixel grid and clip.
  const bool direct =
      pixels_ != nullptr && pen_.style == PenStyle::Null && brush_.style == BrushStyle::Solid &&
      (rasterOp_ == RasterOp::CopyPen || (rasterOp_ == RasterOp::MaskPen && maskable_)) &&
      painter_.hasClipping() == clip_.has_value() && painter_.worldTransform().isIdentity() &&
      painter_.opacity() == 1.0;
  // Far-off vertices the painter cuts in floating point before it fills.
  if (!direct || !quadFillable(points)) {
    polygon(points);
    return;
  }
  std::array<ScreenPoint, 4> device = points;
  if (wholeRatio_ != 1) {
    for (ScreenPoint& p : device) p = {p.x * wholeRatio_, p.y * wholeRatio_};
    if (!quadFillable(device)) {
      polygon(points);
      return;
    }
  }
  const QRect clip = pixelClip();
  const PixelBox box{clip.left(), clip.top(), clip.right(), clip.bottom()};
  fillQuad(pixels_, stride_, box, device, qRgb(brush_.color.r, brush_.color.g, brush_.color.b),
           rasterOp_ == RasterOp::CopyPen ? QuadFillOp::Copy : QuadFillOp::And);
}

bool QtCanvas::strokesByPieces() const {
  // Segments and discs may overlap; only raster operations that give the
  // same pixel when applied twice may be drawn in pieces.
  return !nativeStrokes_ && pen_.style == PenStyle::Solid && pen_.width > 1 &&
         rasterOp_ != RasterOp::Not;
}

void QtCanvas::wideStroke(std::span<const ScreenPoint> points) {
  // A wide pen with round ends and joins covers the union of its segments
  // drawn with flat ends and a disc of its width at every vertex (with flat
  // ends: at every inner vertex). Drawn so, no join is constructed per
  // vertex. Up to 3 pixels a disc is its square within a pixel: the segments
  // then get square ends instead.
  //
  // In a band of the frame only the pieces that reach the band's rows are
  // drawn: the pieces are filled as one union, so a pixel of the band is
  // covered by exactly the pieces that reach it.
  const QPen original = painter_.pen();
  const int w = pen_.width;
  const int reach = w / 2 + 2;
  const int bandTop = band_ ? band_->y() : INT_MIN;
  const int bandBottom = band_ ? band_->y() + band_->height() : INT_MAX;
  auto inBand = [&](int32_t y0, int32_t y1) {
    return int64_t{std::max(y0, y1)} + reach >= bandTop &&
           int64_t{std::min(y0, y1)} - reach < bandBottom;
  };
  lines_.clear();
  for (size_t i = 1; i < points.size(); ++i) {
    if (points[i] == points[i - 1] || !inBand(points[i - 1].y, points[i].y)) continue;
    lines_.emplace_back(points[i - 1].x, points[i - 1].y, points[i].x, points[i].y);
  }
  const bool discs = w > kSquareJoinWidth;
  QPen segments = original;
  segments.setCapStyle(pen_.flatCaps || discs ? Qt::FlatCap : Qt::SquareCap);
  segments.setJoinStyle(Qt::BevelJoin);
  painter_.setPen(segments);
  if (!lines_.empty()) painter_.drawLines(lines_.data(), static_cast<int>(lines_.size()));
  if (discs) {
    const QBrush originalBrush = painter_.brush();
    painter_.setPen(Qt::NoPen);
    painter_.setBrush(original.color());
    const size_t first = pen_.flatCaps ? 1 : 0;
    const size_t end = pen_.flatCaps ? points.size() - 1 : points.size();
    for (size_t i = first; i < end; ++i) {
      if ((i > 0 && points[i] == points[i - 1]) || !inBand(points[i].y, points[i].y)) continue;
      // An integer rectangle keeps the raster engine on its fast ellipse.
      painter_.drawEllipse(QRect(points[i].x - w / 2, points[i].y - w / 2, w, w));
    }
    painter_.setBrush(originalBrush);
  }
  painter_.setPen(original);
}

void QtCanvas::polyline(std::span<const ScreenPoint> points) {
  if (points.size() < 2) return;
  applyPen();
  if (strokesByPieces()) {
    wideStroke(points);
    return;
  }
  painter_.drawPolyline(toPoints(points), static_cast<int>(points.size()));
}

void QtCanvas::moveTo(int32_t x, int32_t y) {
  current_ = QPoint(x, y);
}

void QtCanvas::lineTo(int32_t x, int32_t y) {
  applyPen();
  if (strokesByPieces()) {
    const ScreenPoint pts[] = {{current_.x(), current_.y()}, {x, y}};
    wideStroke(pts);
  } else {
    painter_.drawLine(current_, QPoint(x, y));
  }
  current_ = QPoint(x, y);
}

void QtCanvas::ellipse(const Rect& rect) {
  applyPen();
  applyBrush();
  // The figure lies inside left..right-1 and top..bottom-1.
  painter_.drawEllipse(
      QRect(rect.left, rect.top, rect.right - rect.left - 1, rect.bottom - rect.top - 1));
}

void QtCanvas::rectangle(const Rect& rect) {
  applyPen();
  applyBrush();
  painter_.drawRect(
      QRect(rect.left, rect.top, rect.right - rect.left - 1, rect.bottom - rect.top - 1));
}

void QtCanvas::fillRect(const Rect& rect, const Brush& brush) {
  // A band fills only its own rows: a rectangle's pixels (and a hatch,
  // which keeps to the surface's origin) do not depend on the rest of it.
  const int top = band_ ? std::max(rect.top, band_->y()) : rect.top;
  const int bottom = band_ ? std::min(rect.bottom, band_->y() + band_->height()) : rect.bottom;
  if (rect.right <= rect.left || bottom <= top) return;
  painter_.fillRect(QRect(rect.left, top, rect.right - rect.left, bottom - top), toQBrush(brush));
}

void QtCanvas::drawEdge(const Rect& rect, EdgeKind kind) {
  const int l = rect.left;
  const int t = rect.top;
  const int r = rect.right - 1;
  const int b = rect.bottom - 1;
  if (r - l < 1 || b - t < 1) return;
  const bool sunken = kind == EdgeKind::Sunken;
  const QColor outerTopLeft = sunken ? kEdgeShadow : kEdgeLight;
  const QColor outerBottomRight = sunken ? kEdgeHighlight : kEdgeDarkShadow;
  const QColor innerTopLeft = sunken ? kEdgeDarkShadow : kEdgeHighlight;
  const QColor innerBottomRight = sunken ? kEdgeLight : kEdgeShadow;
  painter_.save();
  painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
  auto hline = [&](int x0, int x1, int y, const QColor& c) {
    if (x1 >= x0) painter_.fillRect(QRect(x0, y, x1 - x0 + 1, 1), c);
  };
  auto vline = [&](int x, int y0, int y1, const QColor& c) {
    if (y1 >= y0) painter_.fillRect(QRect(x, y0, 1, y1 - y0 + 1), c);
  };
  // Outer ring, then the inner ring one pixel further in.
  hline(l, r, b, outerBottomRight);
  vline(r, t, b, outerBottomRight);
  hline(l, r - 1, t, outerTopLeft);
  vline(l, t, b - 1, outerTopLeft);
  if (r - l >= 3 && b - t >= 3) {
    hline(l + 1, r - 1, b - 1, innerBottomRight);
    vline(r - 1, t + 1, b - 1, innerBottomRight);
    hline(l + 1, r - 2, t + 1, innerTopLeft);
    vline(l + 1, t + 1, b - 2, innerTopLeft);
  }
  painter_.restore();
}

void QtCanvas::applyFont() {
  if (!fontDirty_) return;
  qfont_ = makeCellFont(font_);
  qfont_.setLetterSpacing(QFont::AbsoluteSpacing, characterExtra_);
  ascent_ = QFontMetricsF(qfont_).ascent();
  fontDirty_ = false;
  fontGiven_ = false;
}

void QtCanvas::textOut(int32_t x, int32_t y, std::string_view utf8) {
  if (utf8.empty()) return;
  applyFont();
  // Malformed bytes become U+FFFD.
  const QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
  // Street names are drawn a letter at a time, each turned its own way:
  // the painter's state is changed and put back by hand rather than saved
  // and restored whole. The pen of the figures is given back before the
  // next figure.
  if (!fontGiven_) {
    painter_.setFont(qfont_);
    fontGiven_ = true;
  }
  painter_.setPen(textColor_);
  penPending_ = true;
  const QTransform before = painter_.worldTransform();
  painter_.translate(x, y);
  if (font_.escapement != 0) painter_.rotate(-font_.escapement / 10.0);
  // The map places text by the top-left of its cell; Qt draws from the
  // baseline, which lies one ascent lower.
  painter_.drawText(QPointF(0, ascent_), text);
  painter_.setWorldTransform(before);
}

}  // namespace tikhomap
