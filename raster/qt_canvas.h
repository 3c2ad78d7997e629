// Canvas over a QPainter: the frame image, the window and the printer all
// draw through it. Geometry is drawn without antialiasing so that the pixel
// rules of the map routines hold: polygon fills leave out the right and
// bottom edge, 1-pixel lines leave out their last pixel, and text is placed
// by the top-left of its cell.
#pragma once

#include <QFont>
#include <QLine>
#include <QPainter>
#include <QPoint>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "raster/mask_stamps.h"
#include "render/canvas.h"

class QPaintDevice;
class QScreen;

namespace tikhomap {

class QtCanvas final : public Canvas {
 public:
  // The painter must be active on its device for the canvas's lifetime.
  // widthMm is the physical width of the whole device.
  QtCanvas(QPainter& painter, float widthMm);

  void selectPen(const Pen& pen) override;
  void selectBrush(const Brush& brush) override;
  void selectFont(const Font& font) override;
  void setTextColor(Rgb color) override;
  void setBackgroundTransparent(bool transparent) override;
  void setTextCharacterExtra(int pixels) override;
  void setRasterOp(RasterOp op) override;
  void setClipRect(const Rect& rect) override;
  void clearClip() override;

  void polygon(std::span<const ScreenPoint> points) override;
  // Without a pen, with a solid brush in copy or mask mode, on a 32-bit
  // image: filled straight into the pixels, exactly as polygon() fills it.
  void quad(const std::array<ScreenPoint, 4>& points) override;
  void polyline(std::span<const ScreenPoint> points) override;
  void polygonStamps(std::span<const ScreenPoint> points,
                     std::span<const ScreenPoint> offsets) override;
  void moveTo(int32_t x, int32_t y) override;
  void lineTo(int32_t x, int32_t y) override;
  void ellipse(const Rect& rect) override;
  void rectangle(const Rect& rect) override;
  void fillRect(const Rect& rect, const Brush& brush) override;
  void drawEdge(const Rect& rect, EdgeKind kind) override;
  void textOut(int32_t x, int32_t y, std::string_view utf8) override;

  DeviceCaps deviceCaps() const override { return caps_; }

  // Makes the canvas one band, rows [top, bottom) (logical pixels), of a
  // frame drawn by several threads. The painter keeps the frame's own clip:
  // Qt places the pixels of a line that crosses a clip edge from where it
  // meets that edge, so a band clip would move pixels. The band's painter
  // draws on a surface of its own and only the band's rows are kept (see
  // BandedFrameComposer); what writes pixels past the painter writes the
  // band's rows only, inside pixelClip().
  void setBand(int top, int bottom);
  // The device pixels drawing may write now: the clip rectangle (the whole
  // surface without one), cut to the band and to the image. Whatever writes
  // pixels past the painter must stay inside it; inside a band, no clip
  // means the band.
  QRect pixelClip() const;
  // Keeps the working storage of the merged shadow stamps in scratch, which
  // outlives the canvas: a frame's stamps need megabytes of it, and
  // allocating them anew for every frame costs more than the stamps.
  void useStampScratch(MaskStampScratch& scratch) { stamps_ = &scratch; }

 private:
  void applyPen();
  QPen makeQPen(const Pen& pen) const;
  void applyBrush();
  void applyFont();
  const QPoint* toPoints(std::span<const ScreenPoint> points);
  bool strokesByPieces() const;
  // The clip in device pixels, cut to the image, and to the band if asked.
  QRect devicePixels(bool inBand) const;
  void updatePixelClips();
  void wideStroke(std::span<const ScreenPoint> points);
  // Draws a small polygon straight into the image's pixels when the painter
  // would give the same pixels there; false when it is left to the painter.
  bool drawSmallPolygon(std::span<const ScreenPoint> points);

  QPainter& painter_;
  DeviceCaps caps_;
  Pen pen_;
  bool penSelected_ = false;
  bool penPending_ = false;  // selected but not yet given to the painter
  static constexpr size_t kKeptPens = 32;
  std::vector<std::pair<Pen, QPen>> qpens_;  // the pens made so far, oldest first
  Brush brush_;
  bool brushSelected_ = false;
  bool brushPending_ = false;  // selected but not yet given to the painter
  Font font_;
  int characterExtra_ = 0;
  QFont qfont_;
  double ascent_ = 0;       // of qfont_
  bool fontDirty_ = true;   // qfont_ is not yet font_
  bool fontGiven_ = false;  // the painter has qfont_
  QColor textColor_{0, 0, 0};
  QPoint current_{0, 0};
  RasterOp rasterOp_ = RasterOp::CopyPen;
  bool nativeStrokes_ = false;
  std::optional<QRect> clip_;
  std::optional<QRect> band_;
  QRect clipPixels_;  // devicePixels(false), kept
  QRect bandPixels_;  // devicePixels(true), kept
  MaskStampScratch stampScratch_;
  MaskStampScratch* stamps_ = &stampScratch_;
  qreal ratio_ = 1;          // device pixels per logical pixel
  int wholeRatio_ = 0;       // ratio_ when it is a whole number, else 0
  QImage* image_ = nullptr;  // the device when it is an image
  // The image's pixels when quads are filled into them directly: 32 bits
  // each, stride_ per row; maskable_ when mask mode may be applied there too.
  uint32_t* pixels_ = nullptr;
  ptrdiff_t stride_ = 0;
  bool maskable_ = false;
  std::vector<ScreenPoint> scaledPoints_;
  std::vector<ScreenPoint> scaledOffsets_;
  std::vector<QLine> lines_;
  std::vector<QPoint> points_;
};

// What a QtCanvas over a painter on device reports as its capabilities.
DeviceCaps deviceCapsOf(const QPaintDevice& device, float widthMm);

QColor toQColor(Rgb color);
QBrush toQBrush(const Brush& brush);

// A QFont whose character cell (ascent + descent) is cellHeight pixels, as
// the map's fonts are sized; negative heights give the em size instead.
QFont makeCellFont(const Font& font);

// Physical width in millimetres of widthPx pixels of the screen; 96 dots per
// inch when the screen reports no physical size.
float physicalWidthMm(const QScreen* screen, int widthPx);
// The width at 96 dots per inch.
float widthMmAt96Dpi(int widthPx);

}  // namespace tikhomap
