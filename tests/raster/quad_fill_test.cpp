// The window grid's quads are filled straight into the frame's pixels; each
// must cover exactly the pixels the painter's aliased polygon fill covers,
// for windows of a few pixels, slivers, crossed and flat outlines, vertices
// far outside the image and on the clip's borders, in both raster modes.
// TIKHOMAP_QUAD_FILL_CASES sets the number of random quads per test (a few
// thousand by default; millions for a thorough check).
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <cstdlib>
#include <optional>
#include <random>
#include <string>

#include "raster/qt_canvas.h"
#include "raster/quad_fill.h"

namespace tikhomap {
namespace {

constexpr int kW = 40;
constexpr int kH = 32;
constexpr QRgb kGround = 0xff9ab3c4u;
constexpr QRgb kFill = 0xffe8d040u;

int caseCount(int defaultCount) {
  const char* env = std::getenv("TIKHOMAP_QUAD_FILL_CASES");
  if (env == nullptr || *env == 0) return defaultCount;
  return std::max(1, std::atoi(env));
}

using Quad = std::array<ScreenPoint, 4>;

struct Case {
  Quad quad;
  std::optional<QRect> clip;
};

std::string describe(const Case& c) {
  std::string s;
  for (const ScreenPoint p : c.quad)
    s += "(" + std::to_string(p.x) + "," + std::to_string(p.y) + ")";
  if (c.clip) {
    s += " clip " + std::to_string(c.clip->left()) + "," + std::to_string(c.clip->top()) + " " +
         std::to_string(c.clip->width()) + "x" + std::to_string(c.clip->height());
  }
  return s;
}

// The quads of the frame and the shapes that stress the rounding.
class QuadSource {
 public:
  explicit QuadSource(uint32_t seed) : rng_(seed) {}

  Case next() {
    Case c;
    c.quad = quad(kind_++ % 9);
    if (pick(0, 2) != 0) {
      // Clips inside, across and off the image, and empty ones.
      const int l = pick(-6, kW + 2);
      const int t = pick(-6, kH + 2);
      c.clip = QRect(l, t, pick(0, kW + 4), pick(0, kH + 4));
    }
    clip_ = c.clip ? *c.clip : QRect(0, 0, kW, kH);
    return c;
  }

 private:
  int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
  // Coordinates at, beside and across the current clip's borders.
  int nearBorder(bool vertical) {
    const int lo = vertical ? clip_.top() : clip_.left();
    const int hi = (vertical ? clip_.bottom() : clip_.right()) + 1;
    return (pick(0, 1) == 0 ? lo : hi) + pick(-2, 2);
  }
  ScreenPoint around(int margin) {
    return {pick(-margin, kW + margin), pick(-margin, kH + margin)};
  }

  Quad quad(int kind) {
    constexpr int kLimit = static_cast<int>(kQuadFillCoordinateLimit);
    switch (kind) {
      case 0:
      case 1: {
        // A window: two vertical sides on a sloping wall, a few pixels big.
        const ScreenPoint p1 = around(4);
        const ScreenPoint p2{p1.x + pick(-5, 5), p1.y + pick(-4, 4)};
        const int h = pick(0, 5);
        return {p1, p2, ScreenPoint{p2.x, p2.y - h}, ScreenPoint{p1.x, p1.y - h}};
      }
      case 2: {
        // Anything within a few pixels: slivers, points, crossed outlines.
        const ScreenPoint o = around(3);
        Quad q;
        for (ScreenPoint& p : q) p = {o.x + pick(-3, 3), o.y + pick(-3, 3)};
        return q;
      }
      case 3: {
        Quad q;
        for (ScreenPoint& p : q) p = around(12);
        return q;
      }
      case 4: {
        // A crossed outline (bow-tie) or a flat one along a line.
        const ScreenPoint a = around(6);
        const ScreenPoint b = around(6);
        if (pick(0, 1) == 0) return {a, b, ScreenPoint{a.x, b.y}, ScreenPoint{b.x, a.y}};
        const int dx = pick(-4, 4);
        const int dy = pick(-4, 4);
        return {a, ScreenPoint{a.x + 2 * dx, a.y + 2 * dy}, ScreenPoint{a.x + dx, a.y + dy},
                ScreenPoint{a.x + 3 * dx, a.y + 3 * dy}};
      }
      case 5: {
        // A rectangle along the axes, its corners in any order.
        const ScreenPoint a = around(5);
        const ScreenPoint b = around(5);
        Quad q{a, ScreenPoint{b.x, a.y}, b, ScreenPoint{a.x, b.y}};
        std::rotate(q.begin(), q.begin() + pick(0, 3), q.end());
        if (pick(0, 1) == 0) std::reverse(q.begin(), q.end());
        return q;
      }
      case 6: {
        Quad q;
        for (ScreenPoint& p : q) p = {nearBorder(false), nearBorder(true)};
        if (pick(0, 1) == 0) q[static_cast<size_t>(pick(0, 3))] = around(10);
        return q;
      }
      case 7: {
        // Long edges from far outside: the clip cuts them.
        Quad q;
        for (ScreenPoint& p : q) {
          p = pick(0, 2) == 0 ? ScreenPoint{pick(-kLimit, kLimit), pick(-kLimit, kLimit)}
                              : around(8);
        }
        return q;
      }
      default: {
        // Large but within the range the painter fills without cutting first.
        Quad q;
        for (ScreenPoint& p : q) p = {pick(-5000, 5000), pick(-5000, 5000)};
        if (pick(0, 1) == 0) q[0] = {pick(-kLimit / 2, kLimit / 2), pick(-kLimit / 2, kLimit / 2)};
        return q;
      }
    }
  }

  std::mt19937 rng_;
  int kind_ = 0;
  QRect clip_;
};

QImage ground(QImage::Format format) {
  QImage img(kW, kH, format);
  // A pattern, so that mask mode has bits to keep and to clear.
  for (int y = 0; y < kH; ++y) {
    auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
    for (int x = 0; x < kW; ++x)
      line[x] = kGround ^ static_cast<QRgb>((x * 37 + y * 91) & 0x3f3f3f);
  }
  return img;
}

QImage byPainter(const Case& c, QImage::Format format, QuadFillOp op) {
  QImage img = ground(format);
  QPainter painter(&img);
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor::fromRgb(kFill));
  painter.setCompositionMode(op == QuadFillOp::Copy ? QPainter::CompositionMode_SourceOver
                                                    : QPainter::RasterOp_SourceAndDestination);
  if (c.clip) painter.setClipRect(*c.clip);
  QPoint pts[4];
  for (size_t i = 0; i < 4; ++i) pts[i] = QPoint(c.quad[i].x, c.quad[i].y);
  painter.drawPolygon(pts, 4, Qt::OddEvenFill);
  painter.end();
  return img;
}

QImage byFiller(const Case& c, QImage::Format format, QuadFillOp op) {
  QImage img = ground(format);
  const QRect r = (c.clip ? *c.clip : img.rect()).intersected(img.rect());
  const PixelBox box{r.left(), r.top(), r.right(), r.bottom()};
  fillQuad(reinterpret_cast<uint32_t*>(img.bits()), img.bytesPerLine() / 4,
           r.isEmpty() ? PixelBox{} : box, c.quad, kFill, op);
  return img;
}

int differingPixels(const QImage& a, const QImage& b) {
  int n = 0;
  for (int y = 0; y < a.height(); ++y) {
    const auto* la = reinterpret_cast<const QRgb*>(a.constScanLine(y));
    const auto* lb = reinterpret_cast<const QRgb*>(b.constScanLine(y));
    for (int x = 0; x < a.width(); ++x) n += la[x] != lb[x];
  }
  return n;
}

int changedPixels(const QImage& img, QImage::Format format) {
  return differingPixels(img, ground(format));
}

void checkAgainstPainter(uint32_t seed, QImage::Format format, QuadFillOp op, int count) {
  QuadSource source(seed);
  int drawn = 0;
  int failures = 0;
  for (int i = 0; i < count && failures < 10; ++i) {
    const Case c = source.next();
    // Wider than the painter fills uncut: QtCanvas leaves those to it.
    if (!quadFillable(c.quad)) continue;
    const QImage expected = byPainter(c, format, op);
    const QImage got = byFiller(c, format, op);
    const int diff = differingPixels(expected, got);
    if (diff != 0) {
      ++failures;
      ADD_FAILURE() << diff << " pixels differ for " << describe(c);
    }
    drawn += changedPixels(expected, format) > 0;
  }
  // The cases must mostly draw something, or the comparison proves little.
  EXPECT_GT(drawn, count / 3);
}

TEST(QuadFill, CopyGivesThePaintersPixels) {
  checkAgainstPainter(1, QImage::Format_RGB32, QuadFillOp::Copy, caseCount(6000));
}

TEST(QuadFill, MaskModeGivesThePaintersPixels) {
  checkAgainstPainter(2, QImage::Format_ARGB32_Premultiplied, QuadFillOp::And, caseCount(3000));
  checkAgainstPainter(3, QImage::Format_RGB32, QuadFillOp::And, caseCount(3000));
}

TEST(QuadFill, OtherThirtyTwoBitFormatsTakeTheSamePixels) {
  checkAgainstPainter(4, QImage::Format_ARGB32, QuadFillOp::Copy, caseCount(2000));
  checkAgainstPainter(5, QImage::Format_ARGB32_Premultiplied, QuadFillOp::Copy, caseCount(2000));
}

// Small windows one pixel apart: a rule that moved a window by a pixel or
// dropped its last column would change the pattern.
TEST(QuadFill, TwoByTwoWindowsOnSlopingWallsKeepTheirPattern) {
  for (int slope = -3; slope <= 3; ++slope) {
    for (int w = 1; w <= 4; ++w) {
      for (int h = 1; h <= 3; ++h) {
        for (int x = 3; x < 8; ++x) {
          const ScreenPoint p1{x, 20};
          const ScreenPoint p2{x + w, 20 + slope};
          const Case c{{p1, p2, ScreenPoint{p2.x, p2.y - h}, ScreenPoint{p1.x, p1.y - h}}, {}};
          const QImage expected = byPainter(c, QImage::Format_RGB32, QuadFillOp::Copy);
          EXPECT_EQ(differingPixels(expected, byFiller(c, QImage::Format_RGB32, QuadFillOp::Copy)),
                    0)
              << describe(c);
          if (slope == 0) {
            EXPECT_EQ(changedPixels(expected, QImage::Format_RGB32), w * h);
          }
        }
      }
    }
  }
}

TEST(QuadFill, CoordinatesThePainterCutsFirstAreNotFilledHere) {
  constexpr int kLimit = static_cast<int>(kQuadFillCoordinateLimit);
  EXPECT_TRUE(quadFillable({{{-kLimit, 0}, {0, -kLimit}, {0, 0}, {-5, -5}}}));
  EXPECT_TRUE(quadFillable({{{kLimit, kLimit}, {0, kLimit}, {0, 0}, {5, 5}}}));
  EXPECT_FALSE(quadFillable({{{-kLimit - 1, 0}, {5, 5}, {6, 6}, {0, 7}}}));
  EXPECT_FALSE(quadFillable({{{0, 0}, {5, kLimit + 1}, {6, 6}, {0, 7}}}));
  // Within the range, but wider than it.
  EXPECT_FALSE(quadFillable({{{-kLimit / 2 - 1, 0}, {kLimit / 2 + 1, 0}, {0, 5}, {0, 6}}}));
}

// QtCanvas takes the quads it can fill itself to the filler and the rest to
// the painter; either way the frame must be the painter's.
QImage drawnByCanvas(bool quads, const Quad& q, int ratio, const Pen& pen, const Brush& brush,
                     RasterOp op, const std::optional<Rect>& clip) {
  QImage img(kW * ratio, kH * ratio, QImage::Format_RGB32);
  img.fill(QColor::fromRgb(kGround));
  img.setDevicePixelRatio(ratio);
  QPainter painter(&img);
  QtCanvas dc(painter, 100);
  if (clip) dc.setClipRect(*clip);
  dc.setRasterOp(op);
  dc.selectPen(pen);
  dc.selectBrush(brush);
  if (quads) {
    dc.quad(q);
  } else {
    dc.polygon(q);
  }
  painter.end();
  return img;
}

TEST(QuadFill, CanvasQuadsMatchItsPolygonsInEveryState) {
  const Brush solid{BrushStyle::Solid, {232, 208, 64}};
  const Brush hatch{BrushStyle::HatchDiagCross, {20, 20, 20}};
  const Pen grey{PenStyle::Solid, 1, {128, 128, 128}};
  const Quad shapes[] = {
      {{{3, 20}, {6, 19}, {6, 17}, {3, 18}}},          // a window
      {{{-9, 40}, {30, -7}, {45, 12}, {12, 37}}},      // across the image
      {{{2, 2}, {30, 25}, {2, 25}, {30, 2}}},          // crossed
      {{{5, 5}, {9000000, 6}, {9000000, 9}, {5, 9}}},  // beyond the fill range
      {{{1, 1}, {1, 1}, {1, 1}, {1, 1}}},              // a point
  };
  const std::optional<Rect> clips[] = {std::nullopt, Rect{4, 3, 30, 26}, Rect{10, 10, 10, 30}};
  int drawn = 0;
  for (const int ratio : {1, 2}) {
    for (const Quad& q : shapes) {
      for (const auto& clip : clips) {
        for (const RasterOp op : {RasterOp::CopyPen, RasterOp::MaskPen}) {
          for (const auto& [pen, brush] :
               {std::pair{Pen{}, solid}, std::pair{grey, solid}, std::pair{Pen{}, hatch}}) {
            const QImage expected = drawnByCanvas(false, q, ratio, pen, brush, op, clip);
            const QImage got = drawnByCanvas(true, q, ratio, pen, brush, op, clip);
            EXPECT_EQ(differingPixels(expected, got), 0)
                << "ratio " << ratio << " " << describe({q, {}}) << " op " << static_cast<int>(op)
                << " pen " << static_cast<int>(pen.style) << " brush "
                << static_cast<int>(brush.style) << " clip " << clip.has_value();
            drawn += differingPixels(expected,
                                     drawnByCanvas(false, {}, ratio, Pen{}, Brush{}, op, clip)) > 0;
          }
        }
      }
    }
  }
  EXPECT_GT(drawn, 60);
}

}  // namespace
}  // namespace tikhomap
