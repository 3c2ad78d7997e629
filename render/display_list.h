// A frame recorded as drawing commands, to be replayed onto one or several
// surfaces. Composition decides what to draw (visibility, the window
// generator's numbers, the labels that fit) in one pass over the map; the
// pixels can then be laid down in horizontal bands of the frame at once,
// each band replaying only the commands that reach its rows.
//
// The recorded form is flat: commands of a fixed size in one array, their
// points in another, texts in one byte string, pens, brushes, fonts and
// rectangles in small tables. Recording a frame allocates only while the
// arrays grow beyond what an earlier frame needed.
#pragma once

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "render/canvas.h"

namespace tikhomap {

// Text can only be measured where its fonts are known: the surface that will
// draw it says which rows it can touch.
class TextMeasure {
 public:
  virtual ~TextMeasure() = default;
  // A rectangle holding every pixel that textOut(x, y, utf8) writes with
  // the font, the character extra and the background mode (an opaque
  // background fills the text's cell), the font's escapement included.
  virtual Rect textBox(const Font& font, int characterExtra, bool opaqueBackground, int32_t x,
                       int32_t y, std::string_view utf8) = 0;
};

class DisplayList final : public Canvas {
 public:
  enum class Op : uint8_t {
    SelectPen,
    SelectBrush,
    SelectFont,
    SetTextColor,
    SetBackgroundTransparent,
    SetTextCharacterExtra,
    SetRasterOp,
    SetClipRect,
    ClearClip,
    MoveTo,
    // Commands that put pixels on the surface; from here on each has rows.
    Polygon,
    Polyline,
    Quad,
    PolygonStamps,
    LineTo,
    Ellipse,
    Rectangle,
    FillRect,
    DrawEdge,
    TextOut,
  };

  struct Command {
    Op op = Op::ClearClip;
    uint8_t flag = 0;  // raster op, background mode, edge kind
    int32_t a = 0;     // first point, table index or x
    int32_t b = 0;     // point count, second index, y or text offset
    int32_t c = 0;     // stamp offsets or text length
    // Rows [top, bottom) the command can write; state commands and moveTo
    // span every row.
    int32_t top = INT32_MIN;
    int32_t bottom = INT32_MAX;
  };

  // Starts a new recording for a surface of the given capabilities; texts
  // are measured by measure (without one they count as reaching every row).
  // The arrays keep their capacity.
  void reset(const DeviceCaps& caps, TextMeasure* measure);

  // Replays the commands in order onto target, leaving out the drawing
  // commands whose rows lie wholly outside [top, bottom). A left-out lineTo
  // still moves the current point. Every state command is replayed.
  void replay(Canvas& target, int32_t top = INT32_MIN, int32_t bottom = INT32_MAX) const;

  // Band edges for n bands over rows [0, height): n + 1 ascending rows from
  // 0 to height, chosen so that the recorded work is spread evenly over the
  // bands (each command weighs once in every row it can reach, and more
  // for the rows it covers).
  std::vector<int32_t> bandEdges(int n, int32_t height) const;

  const std::vector<Command>& commands() const { return commands_; }
  size_t pointCount() const { return points_.size(); }

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
  void quad(const std::array<ScreenPoint, 4>& points) override;
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

 private:
  Command& push(Op op);
  // Rows of a figure spanning rows minY..maxY (inclusive) drawn with the
  // current pen.
  void setRows(Command& c, int32_t minY, int32_t maxY) const;
  int32_t addRect(const Rect& rect);
  int32_t addBrush(const Brush& brush);

  DeviceCaps caps_;
  TextMeasure* measure_ = nullptr;
  std::vector<Command> commands_;
  std::vector<ScreenPoint> points_;
  std::string text_;
  std::vector<Pen> pens_;
  std::vector<Brush> brushes_;
  std::vector<Font> fonts_;
  std::vector<Rect> rects_;
  // The recording's own state, for the rows of later commands.
  Pen pen_;
  Font font_;
  int characterExtra_ = 0;
  bool opaqueBackground_ = true;
  ScreenPoint current_;
};

}  // namespace tikhomap
