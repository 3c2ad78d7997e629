#include "render/recording_canvas.h"

#include <algorithm>

namespace tikhomap {

bool isDrawingCall(CallKind kind) {
  switch (kind) {
    case CallKind::Polygon:
    case CallKind::Polyline:
    case CallKind::LineTo:
    case CallKind::Ellipse:
    case CallKind::Rectangle:
    case CallKind::FillRect:
    case CallKind::DrawEdge:
    case CallKind::TextOut:
      return true;
    default:
      return false;
  }
}

RecordingCanvas::RecordingCanvas(DeviceCaps caps) : caps_(caps) {}

DeviceCaps RecordingCanvas::defaultCaps() {
  DeviceCaps caps;
  caps.width = 1280;
  caps.height = 1024;
  caps.widthMm = 1280 * 25.4f / 96;
  caps.heightMm = 1024 * 25.4f / 96;
  return caps;
}

std::vector<RecordedCall> RecordingCanvas::callsOf(CallKind kind) const {
  std::vector<RecordedCall> result;
  std::copy_if(calls_.begin(), calls_.end(), std::back_inserter(result),
               [kind](const RecordedCall& call) { return call.kind == kind; });
  return result;
}

std::vector<RecordedCall> RecordingCanvas::drawingCalls() const {
  std::vector<RecordedCall> result;
  std::copy_if(calls_.begin(), calls_.end(), std::back_inserter(result),
               [](const RecordedCall& call) { return isDrawingCall(call.kind); });
  return result;
}

size_t RecordingCanvas::count(CallKind kind) const {
  return static_cast<size_t>(std::count_if(
      calls_.begin(), calls_.end(), [kind](const RecordedCall& c) { return c.kind == kind; }));
}

RecordedCall& RecordingCanvas::record(CallKind kind) {
  RecordedCall& call = calls_.emplace_back();
  call.kind = kind;
  call.state = state_;
  return call;
}

void RecordingCanvas::selectPen(const Pen& pen) {
  state_.pen = pen;
  record(CallKind::SelectPen);
}

void RecordingCanvas::selectBrush(const Brush& brush) {
  state_.brush = brush;
  record(CallKind::SelectBrush);
}

void RecordingCanvas::selectFont(const Font& font) {
  state_.font = font;
  record(CallKind::SelectFont);
}

void RecordingCanvas::setTextColor(Rgb color) {
  state_.textColor = color;
  record(CallKind::SetTextColor);
}

void RecordingCanvas::setBackgroundTransparent(bool transparent) {
  state_.backgroundTransparent = transparent;
  record(CallKind::SetBackgroundTransparent);
}

void RecordingCanvas::setTextCharacterExtra(int pixels) {
  state_.characterExtra = pixels;
  record(CallKind::SetTextCharacterExtra);
}

void RecordingCanvas::setRasterOp(RasterOp op) {
  state_.rasterOp = op;
  record(CallKind::SetRasterOp);
}

void RecordingCanvas::setClipRect(const Rect& rect) {
  state_.clip = rect;
  record(CallKind::SetClipRect).rect = rect;
}

void RecordingCanvas::clearClip() {
  state_.clip.reset();
  record(CallKind::ClearClip);
}

void RecordingCanvas::polygon(std::span<const ScreenPoint> points) {
  record(CallKind::Polygon).points.assign(points.begin(), points.end());
}

void RecordingCanvas::polyline(std::span<const ScreenPoint> points) {
  record(CallKind::Polyline).points.assign(points.begin(), points.end());
}

void RecordingCanvas::moveTo(int32_t x, int32_t y) {
  state_.current = {x, y};
  record(CallKind::MoveTo).points = {{x, y}};
}

void RecordingCanvas::lineTo(int32_t x, int32_t y) {
  const ScreenPoint from = state_.current;
  state_.current = {x, y};
  record(CallKind::LineTo).points = {from, {x, y}};
}

void RecordingCanvas::ellipse(const Rect& rect) {
  record(CallKind::Ellipse).rect = rect;
}

void RecordingCanvas::rectangle(const Rect& rect) {
  record(CallKind::Rectangle).rect = rect;
}

void RecordingCanvas::fillRect(const Rect& rect, const Brush& brush) {
  RecordedCall& call = record(CallKind::FillRect);
  call.rect = rect;
  call.fillBrush = brush;
}

void RecordingCanvas::drawEdge(const Rect& rect, EdgeKind kind) {
  RecordedCall& call = record(CallKind::DrawEdge);
  call.rect = rect;
  call.edge = kind;
}

void RecordingCanvas::textOut(int32_t x, int32_t y, std::string_view utf8) {
  RecordedCall& call = record(CallKind::TextOut);
  call.points = {{x, y}};
  call.text = std::string(utf8);
}

}  // namespace tikhomap
