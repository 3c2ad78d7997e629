// QtCanvas draws by the map's pixel rules: fills leave out the right and
// bottom edge, thin lines leave out their last pixel, raster operations
// combine with the frame, text is placed by the top-left of its cell.
#include <gtest/gtest.h>

#include <QFontInfo>
#include <QImage>
#include <QPainter>

#include "mapdata/cp1251.h"
#include "raster/font_substitution.h"
#include "raster/qt_canvas.h"

namespace tikhomap {
namespace {

const Brush kRed{BrushStyle::Solid, {255, 0, 0}};
const QRgb kWhite = qRgb(255, 255, 255);

QImage whiteImage(int w = 20, int h = 20) {
  QImage img(w, h, QImage::Format_RGB32);
  img.fill(Qt::white);
  return img;
}

// The painted pixels as a bounding box and a count.
struct Painted {
  int count = 0;
  QRect box;
};
Painted painted(const QImage& img, QRgb background = kWhite) {
  Painted p;
  for (int y = 0; y < img.height(); ++y) {
    for (int x = 0; x < img.width(); ++x) {
      if (img.pixel(x, y) != background) {
        ++p.count;
        p.box = p.box.united(QRect(x, y, 1, 1));
      }
    }
  }
  return p;
}

TEST(QtCanvasTest, FilledPolygonWithoutPenLeavesOutRightAndBottomEdge) {
  QImage img = whiteImage();
  {
    QPainter painter(&img);
    QtCanvas dc(painter, 100);
    dc.selectPen(Pen{});
    dc.selectBrush(kRed);
    const ScreenPoint square[] = {{2, 3}, {8, 3}, {8, 7}, {2, 7}};
    dc.polygon(square);
  }
  const Painted p = painted(img);
  EXPECT_EQ(p.box, QRect(QPoint(2, 3), QPoint(7, 6)));
  EXPECT_EQ(p.count, 6 * 4);
  EXPECT_EQ(img.pixel(2, 3), qRgb(255, 0, 0));
}

TEST(QtCanvasTest, PolygonWithThinPenCoversItsOutlinePixels) {
  QImage img = whiteImage();
  {
    QPainter painter(&img);
    QtCanvas dc(painter, 100);
    dc.selectPen(Pen{PenStyle::Solid, 1, {0, 0, 0}, false});
    dc.selectBrush(kRed);
    const ScreenPoint square[] = {{2, 3}, {8, 3}, {8, 7}, {2, 7}};
    dc.polygon(square);
  }
  const Painted p = painted(img);
  EXPECT_EQ(p.box, QRect(QPoint(2, 3), QPoint(8, 7)));
  EXPECT_EQ(img.pixel(8, 7), qRgb(0, 0, 0));
  EXPECT_EQ(img.pixel(5, 5), qRgb(255, 0, 0));
}

TEST(QtCanvasTest, ThinLinesLeaveOutTheirLastPixel) {
  QImage img = whiteImage();
  {
    QPainter painter(&img);
    QtCanvas dc(painter, 100);
    dc.selectPen(Pen{PenStyle::Solid, 1, {0, 0, 255}, false});
    dc.moveTo(2, 5);
    dc.lineTo(10, 5);
    const ScreenPoint line[] = {{2, 10}, {6, 10}, {6, 14}};
    dc.polyline(line);
  }
  EXPECT_EQ(img.pixel(2, 5), qRgb(0, 0, 255));
  EXPECT_EQ(img.pixel(9, 5), qRgb(0, 0, 255));
  EXPECT_EQ(img.pixel(10, 5), kWhite);
  EXPECT_EQ(img.pixel(6, 13), qRgb(0, 0, 255));
  EXPECT_EQ(img.pixel(6, 14), kWhite);
}

TEST(QtCanvasTest, WidePensHaveRoundEndsAndJoinsWithinAPixel) {
  QImage img = whiteImage(60, 60);
  {
    QPainter painter(&img);
    QtCanvas dc(painter, 100);
    dc.selectPen(Pen{PenStyle::Solid, 7, {0, 0, 0}, false});
    const ScreenPoint corner[] = {{10, 10}, {40, 10}, {40, 40}};
    dc.polyline(corner);
  }
  const Painted p = painted(img);
  // The band is 7 pixels wide around the axis; the round ends reach 3
  // pixels past the first and last point.
  EXPECT_NEAR(p.box.left(), 7, 1);
  EXPECT_NEAR(p.box.top(), 7, 1);
  EXPECT_NEAR(p.box.right(), 43, 1);
  EXPECT_NEAR(p.box.bottom(), 43, 1);
  EXPECT_EQ(img.pixel(25, 10), qRgb(0, 0, 0));
  EXPECT_EQ(img.pixel(25, 14), kWhite);
  EXPECT_EQ(img.pixel(40, 25), qRgb(0, 0, 0));
  // The outer corner is rounded, not square.
  EXPECT_EQ(img.pixel(43, 7), kWhite);
  // Flat ends stop at the end points.
  QImage flat = whiteImage(60, 60);
  {
    QPainter painter(&flat);
    QtCanvas dc(painter, 100);
    dc.selectPen(Pen{PenStyle::Solid, 20, {0, 0, 0}, true});
    const ScreenPoint band[] = {{10, 30}, {50, 30}};
    dc.polyline(band);
  }
  const Painted f = painted(flat);
  EXPECT_NEAR(f.box.left(), 10, 1);
  EXPECT_NEAR(f.box.right(), 49, 1);
  EXPECT_NEAR(f.box.height(), 20, 1);
}

TEST(QtCanvasTest, FillRectCoversExactlyTheRectangle) {
  QImage img = whiteImage();
  {
    QPainter painter(&img);
    QtCanvas dc(painter, 100);
    dc.fillRect({1, 2, 5, 9}, kRed);
    dc.fillRect({10, 10, 10, 15}, kRed);  // empty
  }
  const Painted p = painted(img);
  EXPECT_EQ(p.box, QRect(1, 2, 4, 7));
  EXPECT_EQ(p.count, 28);
}

TEST(QtCanvasTest, MaskPenAndsAndNotInverts) {
  QImage img = whiteImage();
  img.fill(qRgb(200, 100, 255));
  {
    QPainter painter(&img);
    QtCanvas dc(painter, 100);
    dc.selectPen(Pen{});
    dc.selectBrush(Brush{BrushStyle::Solid, {0x0f, 0xff, 0xf0}});
    dc.setRasterOp(RasterOp::MaskPen);
    const ScreenPoint a[] = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    dc.polygon(a);
    dc.setRasterOp(RasterOp::Not);
    const ScreenPoint b[] = {{10, 10}, {20, 10}, {20, 20}, {10, 20}};
    dc.polygon(b);
    dc.setRasterOp(RasterOp::CopyPen);
    dc.fillRect({0, 15, 2, 17}, kRed);
  }
  EXPECT_EQ(img.pixel(3, 3), qRgb(200 & 0x0f, 100 & 0xff, 255 & 0xf0));
  EXPECT_EQ(img.pixel(15, 15), qRgb(255 - 200, 255 - 100, 0));
  EXPECT_EQ(img.pixel(15, 5), qRgb(200, 100, 255));
  EXPECT_EQ(img.pixel(1, 16), qRgb(255, 0, 0));
}

TEST(QtCanvasTest, ClipRectLimitsDrawingUntilCleared) {
  QImage img = whiteImage();
  {
    QPainter painter(&img);
    QtCanvas dc(painter, 100);
    dc.setClipRect({5, 5, 10, 10});
    dc.fillRect({0, 0, 20, 20}, kRed);
    dc.clearClip();
    dc.fillRect({0, 0, 1, 1}, kRed);
  }
  const Painted p = painted(img);
  EXPECT_EQ(p.count, 25 + 1);
  EXPECT_EQ(img.pixel(9, 9), qRgb(255, 0, 0));
  EXPECT_EQ(img.pixel(10, 10), kWhite);
}

TEST(QtCanvasTest, HatchedBrushLeavesGapsWithTransparentBackground) {
  QImage img = whiteImage(32, 32);
  {
    QPainter painter(&img);
    QtCanvas dc(painter, 100);
    dc.setBackgroundTransparent(true);
    dc.selectPen(Pen{});
    dc.selectBrush(Brush{BrushStyle::HatchDiagCross, {0, 110, 0}});
    const ScreenPoint a[] = {{0, 0}, {32, 0}, {32, 32}, {0, 32}};
    dc.polygon(a);
  }
  const Painted p = painted(img);
  EXPECT_GT(p.count, 32 * 2);
  EXPECT_LT(p.count, 32 * 32 / 2);
}

TEST(QtCanvasTest, TextStartsAtTheTopLeftOfItsCell) {
  QImage img = whiteImage(200, 60);
  {
    QPainter painter(&img);
    QtCanvas dc(painter, 100);
    dc.selectFont(Font{"Arial Cyr", 20, 400, false, 0});
    dc.setTextColor({0, 0, 0});
    dc.setBackgroundTransparent(true);
    dc.textOut(30, 20, utf8ToCp1251("ЖЁЛТЫЙ"));
  }
  const Painted p = painted(img);
  ASSERT_GT(p.count, 0);
  EXPECT_GE(p.box.left(), 30);
  EXPECT_LE(p.box.left(), 33);
  EXPECT_GE(p.box.top(), 19);  // the accent of Ё sits inside the cell, within a pixel
  EXPECT_LE(p.box.bottom(), 40);
  EXPECT_GE(p.box.bottom(), 30);
}

TEST(QtCanvasTest, EscapementTurnsTextCounterClockwiseAroundItsOrigin) {
  QImage img = whiteImage(100, 100);
  {
    QPainter painter(&img);
    QtCanvas dc(painter, 100);
    dc.selectFont(Font{"Arial Cyr", 16, 400, false, 900});
    dc.setTextColor({0, 0, 0});
    dc.setBackgroundTransparent(true);
    dc.textOut(30, 90, "HHHHHH");
  }
  const Painted p = painted(img);
  ASSERT_GT(p.count, 0);
  // Written upwards from the origin, to the right of it (the cell's top
  // side now faces left... its baseline runs up at x = 30 + ascent).
  EXPECT_GT(p.box.height(), p.box.width());
  EXPECT_LE(p.box.bottom(), 90);
  EXPECT_GE(p.box.left(), 30);
}

TEST(QtCanvasTest, DeviceCapsComeFromThePaintDevice) {
  QImage img = whiteImage(400, 300);
  QPainter painter(&img);
  QtCanvas dc(painter, 0);
  const DeviceCaps caps = dc.deviceCaps();
  EXPECT_EQ(caps.width, 400);
  EXPECT_EQ(caps.height, 300);
  EXPECT_NEAR(caps.widthMm, 400 * 25.4f / 96, 0.01f);
  EXPECT_NEAR(caps.heightMm, 300 * 25.4f / 96, 0.01f);
  QtCanvas physical(painter, 250);
  EXPECT_FLOAT_EQ(physical.deviceCaps().widthMm, 250);
}

TEST(FontSubstitutionTest, ArialCyrIsLiberationSansAndCellHeightIsKept) {
  EXPECT_EQ(substituteFontFace("Arial Cyr"), QStringLiteral("Liberation Sans"));
  EXPECT_EQ(substituteFontFace("Verdana"), QStringLiteral("Verdana"));
  const QFont font = makeCellFont(Font{"Arial Cyr", 24, 700, true, 0});
  EXPECT_EQ(QFontInfo(font).family(), QStringLiteral("Liberation Sans"));
  EXPECT_TRUE(font.italic());
  EXPECT_EQ(font.weight(), QFont::Bold);
  const QFontMetrics fm(font);
  EXPECT_NEAR(fm.ascent() + fm.descent(), 24, 1);
}

// A negative height asks for the characters (the em) and a positive one for
// the whole cell, so that paper shows 3 mm numbers and 4 mm titles.
TEST(FontSubstitutionTest, NegativeHeightsAreCharacterHeightsPositiveOnesCellHeights) {
  const QFont character = makeCellFont(Font{"Arial Cyr", -40, 400, false, 0});
  EXPECT_EQ(character.pixelSize(), 40);
  const QFontMetrics fc(character);
  EXPECT_GT(fc.ascent() + fc.descent(), 42);  // the cell holds more than the characters
  const QFont cell = makeCellFont(Font{"Arial Cyr", 40, 400, false, 0});
  const QFontMetrics fm(cell);
  EXPECT_NEAR(fm.ascent() + fm.descent(), 40, 1);
  EXPECT_LT(cell.pixelSize(), 38);
}

}  // namespace
}  // namespace tikhomap
