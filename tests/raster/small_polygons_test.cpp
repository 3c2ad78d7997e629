// Small polygons are written straight into the frame from shapes learnt
// from the painter; every pixel must be the one the painter itself gives,
// for random and degenerate shapes anywhere on the image, filled, outlined
// or both, copied or in mask mode, near a clip edge and inside a band.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <random>
#include <vector>

#include "raster/qt_canvas.h"
#include "raster/small_polygons.h"

namespace tikhomap {
namespace {

struct Case {
  std::vector<ScreenPoint> points;
  Pen pen;
  Brush brush;
  RasterOp op = RasterOp::CopyPen;
  std::optional<Rect> clip;
};

const QColor kPaper(208, 217, 186);

// The painter alone, set up as the frame's canvas sets it up.
QImage byPainter(const Case& c, QSize size) {
  QImage img(size, QImage::Format_RGB32);
  img.fill(kPaper);
  QPainter painter(&img);
  painter.setRenderHint(QPainter::Antialiasing, false);
  if (c.clip) {
    painter.setClipRect(QRect(c.clip->left, c.clip->top, c.clip->right - c.clip->left,
                              c.clip->bottom - c.clip->top));
  }
  if (c.op == RasterOp::MaskPen) {
    painter.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
  }
  if (c.pen.style == PenStyle::Solid) {
    QPen pen(toQColor(c.pen.color));
    pen.setWidthF(1.0);
    pen.setCosmetic(true);
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
  } else {
    painter.setPen(Qt::NoPen);
  }
  painter.setBrush(toQBrush(c.brush));
  QPolygon polygon;
  for (const ScreenPoint p : c.points) polygon << QPoint(p.x, p.y);
  painter.drawPolygon(polygon, Qt::OddEvenFill);
  return img;
}

QImage byCanvas(const Case& c, QSize size, std::optional<std::pair<int, int>> band = {}) {
  QImage img(size, QImage::Format_RGB32);
  img.fill(kPaper);
  QPainter painter(&img);
  QtCanvas dc(painter, 100);
  if (band) dc.setBand(band->first, band->second);
  if (c.clip) dc.setClipRect(*c.clip);
  dc.setRasterOp(c.op);
  dc.selectPen(c.pen);
  dc.selectBrush(c.brush);
  dc.polygon(c.points);
  return img;
}

int differing(const QImage& a, const QImage& b, int top = 0, int bottom = INT_MAX) {
  int n = 0;
  for (int y = std::max(top, 0); y < std::min(bottom, a.height()); ++y) {
    for (int x = 0; x < a.width(); ++x) n += a.pixel(x, y) != b.pixel(x, y);
  }
  return n;
}

TEST(SmallPolygons, RandomShapesGiveThePaintersPixels) {
  std::mt19937 random(11);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
  const QSize size(40, 40);
  const Pen pens[] = {Pen{}, Pen{PenStyle::Solid, 1, {90, 60, 30}},
                      Pen{PenStyle::Solid, 0, {0, 0, 0}}};
  const Brush brushes[] = {Brush{}, Brush{BrushStyle::Solid, {200, 120, 40}}};
  int drawn = 0;
  for (int round = 0; round < 4000; ++round) {
    Case c;
    const int side = pick(0, SmallPolygonCache::kMaxSide);
    const int x0 = pick(-6, 36);
    const int y0 = pick(-6, 36);
    c.points.resize(
        static_cast<size_t>(pick(2, static_cast<int>(SmallPolygonCache::kMaxVertices))));
    for (ScreenPoint& p : c.points) p = {x0 + pick(0, side), y0 + pick(0, side)};
    c.pen = pens[round % 3];
    c.brush = brushes[(round / 3) % 2];
    c.op = (round / 6) % 2 == 0 ? RasterOp::CopyPen : RasterOp::MaskPen;
    if (round % 5 == 0) c.clip = Rect{pick(0, 15), pick(0, 15), pick(20, 40), pick(20, 40)};
    const QImage expected = byPainter(c, size);
    drawn += differing(expected, QImage(size, QImage::Format_RGB32)) > 0;
    ASSERT_EQ(differing(expected, byCanvas(c, size)), 0)
        << "round " << round << ", " << c.points.size() << " vertices from " << x0 << "," << y0;
    // A band gets the same pixels in its rows.
    const int top = pick(0, 30);
    const int bottom = top + pick(1, 12);
    ASSERT_EQ(differing(expected, byCanvas(c, size, std::pair{top, bottom}), top, bottom), 0)
        << "round " << round << " in rows " << top << ".." << bottom;
  }
  EXPECT_GT(drawn, 3000);
}

// One shape learnt once, then drawn at every position of a small image:
// moved by whole pixels it covers the painter's pixels moved alike.
TEST(SmallPolygons, OneShapeAnywhereGivesThePaintersPixels) {
  const std::vector<std::vector<ScreenPoint>> shapes{
      {{0, 0}, {3, 1}, {2, 4}},
      {{0, 2}, {5, 0}, {7, 3}, {1, 5}},
      {{0, 0}, {4, 4}, {4, 0}, {0, 4}},  // crossed
      {{0, 0}, {6, 0}},                  // flat: the outline only
      {{0, 0}, {12, 5}, {3, 12}, {8, 1}, {11, 11}, {0, 7}},
  };
  const QSize size(30, 30);
  for (const auto& shape : shapes) {
    for (int y = -2; y < 24; y += 3) {
      for (int x = -2; x < 24; x += 2) {
        Case c;
        for (const ScreenPoint p : shape) c.points.push_back({p.x + x, p.y + y});
        c.pen = Pen{PenStyle::Solid, 1, {10, 20, 30}};
        c.brush = Brush{BrushStyle::Solid, {250, 250, 0}};
        ASSERT_EQ(differing(byPainter(c, size), byCanvas(c, size)), 0)
            << shape.size() << " vertices at " << x << "," << y;
      }
    }
  }
}

// A frame learns a limited number of new shapes; the rest go to the
// painter until a later frame learns them, while known shapes are drawn.
TEST(SmallPolygons, AFrameLearnsALimitedNumberOfShapes) {
  SmallPolygonCache cache;
  std::vector<uint32_t> pixels(64 * 64, 0xffffffffu);
  const PixelBox all{0, 0, 63, 63};
  auto draw = [&](int shape) {
    // Distinct triangles within the largest box that fits.
    const std::vector<ScreenPoint> points{
        {20 + shape % 13, 20 + (shape / 13) % 13}, {32, 20}, {20 + (shape / 169) % 13, 32}};
    return cache.draw(pixels.data(), 64, all, points, vertexBox(points), true, qRgb(1, 2, 3), true,
                      qRgb(4, 5, 6), QuadFillOp::Copy);
  };
  cache.beginFrame();
  int learnt = 0;
  while (learnt < 13 * 13 * 13 && draw(learnt)) ++learnt;
  EXPECT_GE(learnt, 100);
  EXPECT_LT(learnt, 13 * 13 * 13);
  EXPECT_EQ(cache.shapeCount(), static_cast<size_t>(learnt));
  EXPECT_TRUE(draw(0));        // known shapes are still drawn
  EXPECT_FALSE(draw(learnt));  // a new one waits for the next frame
  cache.beginFrame();
  EXPECT_TRUE(draw(learnt));
  EXPECT_NE(std::count(pixels.begin(), pixels.end(), qRgb(4, 5, 6)), 0);
}

// Small shapes at the far ends of the coordinate range are left to the
// painter, and the image keeps its pixels.
TEST(SmallPolygons, ShapesFarOutsideTheImageDrawNothing) {
  for (const int32_t far : {INT32_MIN, INT32_MAX - 5}) {
    Case c;
    c.points = {{far, far}, {far + 5, far}, {far + 5, far + 5}};
    c.pen = Pen{PenStyle::Solid, 1, {1, 2, 3}};
    c.brush = Brush{BrushStyle::Solid, {4, 5, 6}};
    QImage blank(20, 20, QImage::Format_RGB32);
    blank.fill(kPaper);
    EXPECT_EQ(differing(blank, byCanvas(c, QSize(20, 20))), 0) << far;
  }
}

TEST(SmallPolygons, OnlySmallShapesFit) {
  EXPECT_TRUE(SmallPolygonCache::fits(std::vector<ScreenPoint>{{0, 0}, {12, 12}}));
  EXPECT_FALSE(SmallPolygonCache::fits(std::vector<ScreenPoint>{{0, 0}, {13, 0}}));
  EXPECT_FALSE(SmallPolygonCache::fits(std::vector<ScreenPoint>{{0, 0}}));
  EXPECT_FALSE(SmallPolygonCache::fits(std::vector<ScreenPoint>(9, ScreenPoint{5, 5})));
  EXPECT_FALSE(SmallPolygonCache::fits(
      std::vector<ScreenPoint>{{INT32_MIN, 0}, {INT32_MAX, 0}}));  // no overflow
}

}  // namespace
}  // namespace tikhomap
