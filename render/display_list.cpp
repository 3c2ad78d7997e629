#include "render/display_list.h"

#include <algorithm>

namespace tikhomap {

namespace {

// Pixels a figure may reach beyond its points: a pen's half width, the
// rounding of its ends and the outline's own pixel.
int32_t penReach(const Pen& pen) {
  if (pen.style == PenStyle::Null) return 1;
  return std::max(pen.width, 1) / 2 + 2;
}

constexpr size_t kReservedCommands = size_t{1} << 19;
constexpr size_t kReservedPoints = size_t{1} << 21;

bool drawsPixels(DisplayList::Op op) {
  return op >= DisplayList::Op::Polygon;
}

}  // namespace

void DisplayList::reset(const DeviceCaps& caps, TextMeasure* measure) {
  caps_ = caps;
  measure_ = measure;
  commands_.clear();
  points_.clear();
  // Room for a dense frame from the start: a frame larger than any before
  // would otherwise move the arrays while it records, copying them onto
  // memory not yet touched. Untouched room costs address space only.
  if (commands_.capacity() < kReservedCommands) commands_.reserve(kReservedCommands);
  if (points_.capacity() < kReservedPoints) points_.reserve(kReservedPoints);
  text_.clear();
  pens_.clear();
  brushes_.clear();
  fonts_.clear();
  rects_.clear();
  pen_ = Pen{};
  font_ = Font{};
  characterExtra_ = 0;
  opaqueBackground_ = true;
  current_ = {};
}

DisplayList::Command& DisplayList::push(Op op) {
  Command& c = commands_.emplace_back();
  c.op = op;
  return c;
}

void DisplayList::setRows(Command& c, int32_t minY, int32_t maxY) const {
  const int32_t reach = penReach(pen_);
  c.top = minY - reach;
  c.bottom = maxY + reach + 1;
}

int32_t DisplayList::addRect(const Rect& rect) {
  rects_.push_back(rect);
  return static_cast<int32_t>(rects_.size() - 1);
}

int32_t DisplayList::addBrush(const Brush& brush) {
  if (brushes_.empty() || !(brushes_.back() == brush)) brushes_.push_back(brush);
  return static_cast<int32_t>(brushes_.size() - 1);
}

void DisplayList::selectPen(const Pen& pen) {
  pen_ = pen;
  if (pens_.empty() || !(pens_.back() == pen)) pens_.push_back(pen);
  push(Op::SelectPen).a = static_cast<int32_t>(pens_.size() - 1);
}

void DisplayList::selectBrush(const Brush& brush) {
  push(Op::SelectBrush).a = addBrush(brush);
}

void DisplayList::selectFont(const Font& font) {
  font_ = font;
  if (fonts_.empty() || !(fonts_.back() == font)) fonts_.push_back(font);
  push(Op::SelectFont).a = static_cast<int32_t>(fonts_.size() - 1);
}

void DisplayList::setTextColor(Rgb color) {
  push(Op::SetTextColor).a = (color.r << 16) | (color.g << 8) | color.b;
}

void DisplayList::setBackgroundTransparent(bool transparent) {
  opaqueBackground_ = !transparent;
  push(Op::SetBackgroundTransparent).flag = transparent ? 1 : 0;
}

void DisplayList::setTextCharacterExtra(int pixels) {
  characterExtra_ = pixels;
  push(Op::SetTextCharacterExtra).a = pixels;
}

void DisplayList::setRasterOp(RasterOp op) {
  push(Op::SetRasterOp).flag = static_cast<uint8_t>(op);
}

void DisplayList::setClipRect(const Rect& rect) {
  push(Op::SetClipRect).a = addRect(rect);
}

void DisplayList::clearClip() {
  push(Op::ClearClip);
}

void DisplayList::polygon(std::span<const ScreenPoint> points) {
  if (points.empty()) return;
  Command& c = push(Op::Polygon);
  c.a = static_cast<int32_t>(points_.size());
  c.b = static_cast<int32_t>(points.size());
  const PixelBox box = vertexBox(points);
  points_.insert(points_.end(), points.begin(), points.end());
  setRows(c, box.top, box.bottom);
}

void DisplayList::polyline(std::span<const ScreenPoint> points) {
  polygon(points);
  commands_.back().op = Op::Polyline;
}

void DisplayList::quad(const std::array<ScreenPoint, 4>& points) {
  polygon(points);
  commands_.back().op = Op::Quad;
}

void DisplayList::polygonStamps(std::span<const ScreenPoint> points,
                                std::span<const ScreenPoint> offsets) {
  if (points.empty() || offsets.empty()) return;
  Command& c = push(Op::PolygonStamps);
  c.a = static_cast<int32_t>(points_.size());
  c.b = static_cast<int32_t>(points.size());
  c.c = static_cast<int32_t>(offsets.size());
  const PixelBox box = vertexBox(points);
  const PixelBox reach = vertexBox(offsets);
  points_.insert(points_.end(), points.begin(), points.end());
  points_.insert(points_.end(), offsets.begin(), offsets.end());
  setRows(c, box.top + reach.top, box.bottom + reach.bottom);
}

void DisplayList::moveTo(int32_t x, int32_t y) {
  Command& c = push(Op::MoveTo);
  c.a = x;
  c.b = y;
  current_ = {x, y};
}

void DisplayList::lineTo(int32_t x, int32_t y) {
  Command& c = push(Op::LineTo);
  c.a = x;
  c.b = y;
  setRows(c, std::min(current_.y, y), std::max(current_.y, y));
  current_ = {x, y};
}

void DisplayList::ellipse(const Rect& rect) {
  Command& c = push(Op::Ellipse);
  c.a = addRect(rect);
  setRows(c, std::min(rect.top, rect.bottom), std::max(rect.top, rect.bottom));
}

void DisplayList::rectangle(const Rect& rect) {
  Command& c = push(Op::Rectangle);
  c.a = addRect(rect);
  setRows(c, std::min(rect.top, rect.bottom), std::max(rect.top, rect.bottom));
}

void DisplayList::fillRect(const Rect& rect, const Brush& brush) {
  Command& c = push(Op::FillRect);
  c.a = addRect(rect);
  c.b = addBrush(brush);
  c.top = rect.top;
  c.bottom = rect.bottom;
}

void DisplayList::drawEdge(const Rect& rect, EdgeKind kind) {
  Command& c = push(Op::DrawEdge);
  c.a = addRect(rect);
  c.flag = static_cast<uint8_t>(kind);
  c.top = rect.top;
  c.bottom = rect.bottom;
}

void DisplayList::textOut(int32_t x, int32_t y, std::string_view utf8) {
  Command& c = push(Op::TextOut);
  c.a = static_cast<int32_t>(points_.size());
  c.b = static_cast<int32_t>(text_.size());
  c.c = static_cast<int32_t>(utf8.size());
  points_.push_back({x, y});
  text_.append(utf8);
  if (measure_ != nullptr) {
    const Rect box = measure_->textBox(font_, characterExtra_, opaqueBackground_, x, y, utf8);
    c.top = box.top;
    c.bottom = box.bottom;
  }
}

void DisplayList::replay(Canvas& target, int32_t top, int32_t bottom) const {
  const ScreenPoint* pts = points_.data();
  for (const Command& c : commands_) {
    const bool outside = drawsPixels(c.op) && (c.bottom <= top || c.top >= bottom);
    switch (c.op) {
      case Op::SelectPen:
        target.selectPen(pens_[static_cast<size_t>(c.a)]);
        break;
      case Op::SelectBrush:
        target.selectBrush(brushes_[static_cast<size_t>(c.a)]);
        break;
      case Op::SelectFont:
        target.selectFont(fonts_[static_cast<size_t>(c.a)]);
        break;
      case Op::SetTextColor:
        target.setTextColor(Rgb{static_cast<uint8_t>(c.a >> 16), static_cast<uint8_t>(c.a >> 8),
                                static_cast<uint8_t>(c.a)});
        break;
      case Op::SetBackgroundTransparent:
        target.setBackgroundTransparent(c.flag != 0);
        break;
      case Op::SetTextCharacterExtra:
        target.setTextCharacterExtra(c.a);
        break;
      case Op::SetRasterOp:
        target.setRasterOp(static_cast<RasterOp>(c.flag));
        break;
      case Op::SetClipRect:
        target.setClipRect(rects_[static_cast<size_t>(c.a)]);
        break;
      case Op::ClearClip:
        target.clearClip();
        break;
      case Op::MoveTo:
        target.moveTo(c.a, c.b);
        break;
      case Op::Polygon:
        if (!outside) target.polygon({pts + c.a, static_cast<size_t>(c.b)});
        break;
      case Op::Polyline:
        if (!outside) target.polyline({pts + c.a, static_cast<size_t>(c.b)});
        break;
      case Op::Quad:
        if (!outside) target.quad({pts[c.a], pts[c.a + 1], pts[c.a + 2], pts[c.a + 3]});
        break;
      case Op::PolygonStamps:
        if (!outside) {
          target.polygonStamps({pts + c.a, static_cast<size_t>(c.b)},
                               {pts + c.a + c.b, static_cast<size_t>(c.c)});
        }
        break;
      case Op::LineTo:
        // The current point moves even where the line is not drawn.
        if (outside) {
          target.moveTo(c.a, c.b);
        } else {
          target.lineTo(c.a, c.b);
        }
        break;
      case Op::Ellipse:
        if (!outside) target.ellipse(rects_[static_cast<size_t>(c.a)]);
        break;
      case Op::Rectangle:
        if (!outside) target.rectangle(rects_[static_cast<size_t>(c.a)]);
        break;
      case Op::FillRect:
        if (!outside) {
          target.fillRect(rects_[static_cast<size_t>(c.a)], brushes_[static_cast<size_t>(c.b)]);
        }
        break;
      case Op::DrawEdge:
        if (!outside) {
          target.drawEdge(rects_[static_cast<size_t>(c.a)], static_cast<EdgeKind>(c.flag));
        }
        break;
      case Op::TextOut:
        if (!outside) {
          const ScreenPoint at = pts[c.a];
          target.textOut(
              at.x, at.y,
              std::string_view(text_).substr(static_cast<size_t>(c.b), static_cast<size_t>(c.c)));
        }
        break;
    }
  }
}

std::vector<int32_t> DisplayList::bandEdges(int n, int32_t height) const {
  n = std::max(1, n);
  height = std::max<int32_t>(height, 0);
  std::vector<int32_t> edges(static_cast<size_t>(n) + 1, height);
  edges[0] = 0;
  if (n == 1 || height == 0) return edges;
  // What each command costs to draw, in microseconds as measured on the
  // frame's surfaces, spread evenly over the rows it reaches; every row
  // costs a little of its own. A window quad is filled straight into the
  // pixels, a figure's scanlines cost per row, the copies of a shadow per
  // pixel of the area they sweep, a filled rectangle per pixel, and a
  // letter is shaped and drawn by the toolkit, the larger the dearer.
  constexpr double kRowCost = 0.05;
  std::vector<double> change(static_cast<size_t>(height) + 1, 0.0);
  change[0] += kRowCost;
  for (const Command& c : commands_) {
    if (!drawsPixels(c.op)) continue;
    const int32_t t = std::clamp(c.top, 0, height);
    const int32_t b = std::clamp(c.bottom, 0, height);
    if (t >= b) continue;
    const double rows = static_cast<double>(std::min<int64_t>(int64_t{c.bottom} - c.top, 1 << 20));
    double cost = 1.0;
    switch (c.op) {
      case Op::Quad:
        cost = 0.1;
        break;
      case Op::Polygon:
        cost = 0.1 + 0.02 * rows;
        break;
      case Op::Polyline:
        cost = 2.0 + 0.005 * rows;
        break;
      case Op::LineTo:
        cost = 0.3 + 0.005 * rows;
        break;
      case Op::PolygonStamps: {
        // Per pixel of the area the copies sweep, cut to the frame's width.
        const ScreenPoint* p = points_.data() + c.a;
        const PixelBox box = vertexBox({p, static_cast<size_t>(c.b)});
        const PixelBox reach = vertexBox({p + c.b, static_cast<size_t>(c.c)});
        const double width = static_cast<double>(
            std::clamp<int64_t>(int64_t{box.right} + reach.right, 0, caps_.width) -
            std::clamp<int64_t>(int64_t{box.left} + reach.left, 0, caps_.width));
        cost = 2.0 + 0.002 * width * rows;
        break;
      }
      case Op::FillRect: {
        const Rect& r = rects_[static_cast<size_t>(c.a)];
        const double width = std::clamp(static_cast<double>(r.right) - r.left, 0.0,
                                        static_cast<double>(caps_.width));
        cost = 1.0 + 0.0001 * width * rows;
        break;
      }
      case Op::TextOut:
        // Large letters cost more to draw than small ones.
        cost = 2.0 + 0.15 * rows;
        break;
      default:
        cost = 1.0 + 0.01 * rows;
        break;
    }
    const double perRow = cost / rows;  // rows outside the frame keep their share
    change[static_cast<size_t>(t)] += perRow;
    change[static_cast<size_t>(b)] -= perRow;
  }
  double total = 0;
  double density = 0;
  std::vector<double> upTo(static_cast<size_t>(height) + 1, 0.0);
  for (int32_t y = 0; y < height; ++y) {
    density += change[static_cast<size_t>(y)];
    total += std::max(density, 0.0);
    upTo[static_cast<size_t>(y) + 1] = total;
  }
  int32_t row = 0;
  for (int i = 1; i < n; ++i) {
    const double share = total * i / n;
    while (row < height && upTo[static_cast<size_t>(row) + 1] < share) ++row;
    // Every band keeps at least one row where the frame has enough of them.
    const int32_t lowest = edges[static_cast<size_t>(i) - 1] + (height >= n ? 1 : 0);
    const int32_t highest = height - (height >= n ? (n - i) : 0);
    edges[static_cast<size_t>(i)] = std::clamp(row + 1, lowest, highest);
  }
  return edges;
}

}  // namespace tikhomap
