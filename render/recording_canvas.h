// A Canvas that draws nothing and keeps every call with the drawing state in
// effect at that moment, so that tests can check the exact calls, points,
// pens, brushes, fonts and texts of a drawing routine.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "render/canvas.h"

namespace tikhomap {

enum class CallKind : uint8_t {
  SelectPen,
  SelectBrush,
  SelectFont,
  SetTextColor,
  SetBackgroundTransparent,
  SetTextCharacterExtra,
  SetRasterOp,
  SetClipRect,
  ClearClip,
  Polygon,
  Polyline,
  MoveTo,
  LineTo,
  Ellipse,
  Rectangle,
  FillRect,
  DrawEdge,
  TextOut,
};

// The state a drawing call is made with.
struct CanvasState {
  Pen pen{PenStyle::Solid, 1, {0, 0, 0}, false};  // a fresh surface has the black pen
  Brush brush{BrushStyle::Solid, {255, 255, 255}};
  Font font;
  Rgb textColor{0, 0, 0};
  bool backgroundTransparent = false;
  int characterExtra = 0;
  RasterOp rasterOp = RasterOp::CopyPen;
  std::optional<Rect> clip;
  ScreenPoint current;  // pen position of moveTo / lineTo
};

struct RecordedCall {
  CallKind kind = CallKind::Polygon;
  std::vector<ScreenPoint>
      points;       // polygon, polyline; moveTo: target; lineTo: from, to; textOut: origin
  Rect rect;        // ellipse, rectangle, fillRect, drawEdge, setClipRect
  Brush fillBrush;  // fillRect
  EdgeKind edge = EdgeKind::Sunken;
  std::string text;   // textOut: UTF-8
  CanvasState state;  // after the call took effect
};

class RecordingCanvas : public Canvas {
 public:
  explicit RecordingCanvas(DeviceCaps caps = defaultCaps());

  static DeviceCaps defaultCaps();  // 1280 x 1024 at 96 dpi

  void setDeviceCaps(const DeviceCaps& caps) { caps_ = caps; }
  const std::vector<RecordedCall>& calls() const { return calls_; }
  const CanvasState& state() const { return state_; }
  void clearCalls() { calls_.clear(); }

  // The calls of one kind, in order.
  std::vector<RecordedCall> callsOf(CallKind kind) const;
  // Only the calls that put something on the surface (no state changes).
  std::vector<RecordedCall> drawingCalls() const;
  size_t count(CallKind kind) const;

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
  void polyline(std::span<const ScreenPoint> points) override;
  void moveTo(int32_t x, int32_t y) override;
  void lineTo(int32_t x, int32_t y) override;
  void ellipse(const Rect& rect) override;
  void rectangle(const Rect& rect) override;
  void fillRect(const Rect& rect, const Brush& brush) override;
  void drawEdge(const Rect& rect, EdgeKind kind) override;
  void textOut(int32_t x, int32_t y, std::string_view utf8) override;

  DeviceCaps deviceCaps() const override { return caps_; }

 private:
  RecordedCall& record(CallKind kind);

  DeviceCaps caps_;
  CanvasState state_;
  std::vector<RecordedCall> calls_;
};

bool isDrawingCall(CallKind kind);

}  // namespace tikhomap
