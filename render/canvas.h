// The drawing surface every map routine draws on: a small GDI-like interface
// with selected pen, brush and font, raster operation, clip rectangle and
// device capabilities. The shell implements it over QPainter for the frame
// image, the window and the printer; tests use RecordingCanvas.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "mapdata/records.h"

namespace tikhomap {

// Pixels from left to right and top to bottom, edges included.
struct PixelBox {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = -1;
  int32_t bottom = -1;
  bool empty() const { return right < left || bottom < top; }
};

// The box of the vertices, extreme vertices included; empty for none.
inline PixelBox vertexBox(std::span<const ScreenPoint> points) {
  if (points.empty()) return {};
  PixelBox box{points[0].x, points[0].y, points[0].x, points[0].y};
  for (const ScreenPoint p : points) {
    box.left = p.x < box.left ? p.x : box.left;
    box.right = p.x > box.right ? p.x : box.right;
    box.top = p.y < box.top ? p.y : box.top;
    box.bottom = p.y > box.bottom ? p.y : box.bottom;
  }
  return box;
}

struct Rgb {
  uint8_t r = 0;
  uint8_t g = 0;
  uint8_t b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

enum class PenStyle : uint8_t { Null, Solid, Dot };

struct Pen {
  PenStyle style = PenStyle::Null;
  int width = 1;
  Rgb color;
  bool flatCaps = false;  // geometric pen with flat ends (wide bands)
  friend bool operator==(const Pen&, const Pen&) = default;
};

enum class BrushStyle : uint8_t { Null, Solid, HatchDiagCross };

struct Brush {
  BrushStyle style = BrushStyle::Null;
  Rgb color;
  friend bool operator==(const Brush&, const Brush&) = default;
};

struct Font {
  std::string face = "Arial Cyr";  // mapped to an installed face by the shell
  int height = 12;                 // character cell height in pixels
  int weight = 400;
  bool italic = false;
  int escapement = 0;  // text angle in tenths of a degree, counter-clockwise
  friend bool operator==(const Font&, const Font&) = default;
};

enum class RasterOp : uint8_t {
  CopyPen,  // the drawing colour replaces the pixel
  MaskPen,  // pixel AND drawing colour
  Not,      // inverts the pixel (rubber figures)
};

enum class EdgeKind : uint8_t { Sunken, Raised };

// Left, top inclusive; right, bottom exclusive (as a GDI RECT).
struct Rect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
  friend bool operator==(const Rect&, const Rect&) = default;
};

struct DeviceCaps {
  int width = 0;  // drawing surface in pixels
  int height = 0;
  float widthMm = 0;  // physical width of the surface
  float heightMm = 0;
  int logPixelsX = 96;  // pixels per inch
  int logPixelsY = 96;
};

// The system colour of dialog and window faces (the title sheet background).
inline constexpr Rgb kButtonFace{240, 240, 240};

class Canvas {
 public:
  virtual ~Canvas() = default;

  virtual void selectPen(const Pen& pen) = 0;
  virtual void selectBrush(const Brush& brush) = 0;
  virtual void selectFont(const Font& font) = 0;
  virtual void setTextColor(Rgb color) = 0;
  virtual void setBackgroundTransparent(bool transparent) = 0;
  virtual void setTextCharacterExtra(int pixels) = 0;
  virtual void setRasterOp(RasterOp op) = 0;
  virtual void setClipRect(const Rect& rect) = 0;
  virtual void clearClip() = 0;

  // Filled with the brush and outlined with the pen, closed implicitly.
  virtual void polygon(std::span<const ScreenPoint> points) = 0;
  virtual void polyline(std::span<const ScreenPoint> points) = 0;
  // A four-vertex polygon, drawn exactly as polygon() draws it. The window
  // grid draws tens of thousands of these per frame, so a surface may fill
  // them on a faster path that gives the same pixels.
  virtual void quad(const std::array<ScreenPoint, 4>& points) { polygon(points); }
  // Fills the polygon once at each offset, with the selected pen and brush.
  // In mask mode a pixel covered by several copies darkens once, so a surface
  // may merge the copies before it touches its pixels.
  virtual void polygonStamps(std::span<const ScreenPoint> points,
                             std::span<const ScreenPoint> offsets);
  virtual void moveTo(int32_t x, int32_t y) = 0;
  virtual void lineTo(int32_t x, int32_t y) = 0;
  virtual void ellipse(const Rect& rect) = 0;
  virtual void rectangle(const Rect& rect) = 0;
  virtual void fillRect(const Rect& rect, const Brush& brush) = 0;
  virtual void drawEdge(const Rect& rect, EdgeKind kind) = 0;
  // Text is UTF-8; a surface shows malformed bytes as U+FFFD. (x, y) is the
  // top-left of the text cell before rotation by the font's escapement.
  virtual void textOut(int32_t x, int32_t y, std::string_view utf8) = 0;

  virtual DeviceCaps deviceCaps() const = 0;
};

}  // namespace tikhomap
