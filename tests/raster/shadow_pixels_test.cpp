// Shadows are hundreds of mask-mode copies of a building outline. On the
// frame image QtCanvas merges the copies and darkens each pixel once; that
// must darken exactly the pixels that filling the copies one by one darkens,
// for the outline shapes and sun positions of a day, with and without a clip.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <random>
#include <vector>

#include "raster/qt_canvas.h"
#include "render/style_set.h"
#include "render/volumetric_sun.h"

namespace tikhomap {
namespace {

// Fills every copy through Canvas's own one-by-one stamping.
class CopyByCopy : public Canvas {
 public:
  explicit CopyByCopy(QtCanvas& inner) : inner_(inner) {}
  void selectPen(const Pen& pen) override { inner_.selectPen(pen); }
  void selectBrush(const Brush& brush) override { inner_.selectBrush(brush); }
  void selectFont(const Font& font) override { inner_.selectFont(font); }
  void setTextColor(Rgb color) override { inner_.setTextColor(color); }
  void setBackgroundTransparent(bool t) override { inner_.setBackgroundTransparent(t); }
  void setTextCharacterExtra(int pixels) override { inner_.setTextCharacterExtra(pixels); }
  void setRasterOp(RasterOp op) override { inner_.setRasterOp(op); }
  void setClipRect(const Rect& rect) override { inner_.setClipRect(rect); }
  void clearClip() override { inner_.clearClip(); }
  void polygon(std::span<const ScreenPoint> points) override { inner_.polygon(points); }
  void polyline(std::span<const ScreenPoint> points) override { inner_.polyline(points); }
  void moveTo(int32_t x, int32_t y) override { inner_.moveTo(x, y); }
  void lineTo(int32_t x, int32_t y) override { inner_.lineTo(x, y); }
  void ellipse(const Rect& rect) override { inner_.ellipse(rect); }
  void rectangle(const Rect& rect) override { inner_.rectangle(rect); }
  void fillRect(const Rect& rect, const Brush& brush) override { inner_.fillRect(rect, brush); }
  void drawEdge(const Rect& rect, EdgeKind kind) override { inner_.drawEdge(rect, kind); }
  void textOut(int32_t x, int32_t y, std::string_view text) override { inner_.textOut(x, y, text); }
  DeviceCaps deviceCaps() const override { return inner_.deviceCaps(); }

 private:
  QtCanvas& inner_;
};

QImage drawWith(bool merged, const std::vector<ScreenPoint>& outline, int dx, int dy,
                const Rect* clip = nullptr) {
  QImage img(400, 400, QImage::Format_RGB32);
  img.fill(QColor(208, 217, 186));
  QPainter painter(&img);
  QtCanvas qt(painter, 100);
  CopyByCopy copies(qt);
  Canvas& dc = merged ? static_cast<Canvas&>(qt) : copies;
  if (clip != nullptr) dc.setClipRect(*clip);
  dc.setRasterOp(RasterOp::MaskPen);
  dc.selectPen(fixed::nullPen);
  dc.selectBrush(fixed::grey195Brush);
  std::vector<ScreenPoint> offsets;
  drawShadow(dc, outline, dx, dy, offsets);
  painter.end();
  return img;
}

int differingPixels(const QImage& a, const QImage& b) {
  int n = 0;
  for (int y = 0; y < a.height(); ++y) {
    for (int x = 0; x < a.width(); ++x) n += a.pixel(x, y) != b.pixel(x, y);
  }
  return n;
}

int darkenedPixels(const QImage& img) {
  int n = 0;
  for (int y = 0; y < img.height(); ++y) {
    for (int x = 0; x < img.width(); ++x) n += img.pixel(x, y) != qRgb(208, 217, 186);
  }
  return n;
}

TEST(ShadowPixels, MergedCopiesDarkenExactlyThePixelsOfTheSingleFills) {
  const std::vector<std::vector<ScreenPoint>> outlines{
      {{180, 180}, {240, 180}, {240, 220}, {180, 220}},  // block along the screen
      {{200, 150}, {250, 200}, {220, 230}, {170, 180}},  // turned 45 degrees
      {{170, 170}, {230, 170}, {230, 190}, {190, 190}, {190, 240}, {170, 240}},  // L-shape
      {{180, 180}, {260, 190}, {255, 225}, {185, 212}},  // skewed, no edge on an axis
  };
  // Sun positions through a day at a street view (9 storeys).
  for (const ClockTime t : {ClockTime{6, 0}, ClockTime{8, 30}, ClockTime{11, 15}, ClockTime{14, 0},
                            ClockTime{17, 40}, ClockTime{20, 0}}) {
    const SunShadow sun = sunShadowAt(t, 0.8);
    int dx = 0;
    int dy = 0;
    shadowOffset(sun, 9, dx, dy);
    for (const auto& outline : outlines) {
      const QImage stamped = drawWith(false, outline, dx, dy);
      const QImage swept = drawWith(true, outline, dx, dy);
      SCOPED_TRACE(::testing::Message() << t.hour << ":" << t.minute << " offset " << dx << ","
                                        << dy << " outline of " << outline.size());
      EXPECT_GT(darkenedPixels(stamped), 0);
      EXPECT_EQ(differingPixels(stamped, swept), 0);
      // The frame's clip, and copies reaching beyond the image.
      const Rect clip{150, 120, 260, 230};
      EXPECT_EQ(differingPixels(drawWith(false, outline, dx, dy, &clip),
                                drawWith(true, outline, dx, dy, &clip)),
                0);
      EXPECT_EQ(differingPixels(drawWith(false, outline, 4 * dx, 4 * dy),
                                drawWith(true, outline, 4 * dx, 4 * dy)),
                0);
    }
  }
}

// A large outline with a long shadow is merged run by run instead of pixel
// by pixel; the pixels must be the same.
TEST(ShadowPixels, LargeOutlinesWithLongShadowsMergeToTheSamePixels) {
  const std::vector<ScreenPoint> block{{60, 40}, {390, 70}, {370, 380}, {40, 360}};
  for (const auto& [dx, dy] : {std::pair{-300, -120}, std::pair{0, -350}, std::pair{280, -260}}) {
    const Rect clip{10, 10, 395, 390};
    EXPECT_EQ(differingPixels(drawWith(false, block, dx, dy, &clip),
                              drawWith(true, block, dx, dy, &clip)),
              0)
        << dx << "," << dy;
  }
}

// Copies at any offsets, not only along a line: rows of the outline with
// several runs, offsets repeated, out of order, with gaps and jumps. Groups
// of neighbouring offsets must cover what their copies cover, no more.
TEST(ShadowPixels, CopiesAtAnyOffsetsDarkenThePixelsOfTheSingleFills) {
  const std::vector<std::vector<ScreenPoint>> outlines{
      // A comb: several runs in most rows and most columns.
      {{150, 150},
       {250, 150},
       {250, 230},
       {230, 230},
       {230, 170},
       {210, 170},
       {210, 230},
       {190, 230},
       {190, 170},
       {170, 170},
       {170, 230},
       {150, 230}},
      {{200, 150}, {250, 200}, {220, 230}, {170, 180}},
      {{199, 199}, {201, 199}, {201, 201}},  // a few pixels
  };
  const std::vector<std::vector<ScreenPoint>> offsetSets{
      {{1, 0}, {2, 0}, {3, 0}, {3, 0}, {2, 0}, {5, 0}, {6, 1}, {7, 1}, {-4, 1}},
      {{0, 1}, {0, 2}, {0, 4}, {0, 3}, {1, 3}, {1, 4}, {1, 9}, {1, 8}, {1, 7}, {0, 2}},
      {{-3, -3}, {-2, -3}, {-1, -3}, {-1, -2}, {-1, -1}, {-1, 0}, {40, -60}, {41, -60}},
      {{0, 0}, {30, 0}, {0, 30}, {-30, 0}, {0, -30}},
  };
  auto draw = [](bool merged, const std::vector<ScreenPoint>& outline,
                 const std::vector<ScreenPoint>& offsets, const Rect& clip) {
    QImage img(400, 400, QImage::Format_RGB32);
    img.fill(QColor(208, 217, 186));
    QPainter painter(&img);
    QtCanvas qt(painter, 100);
    CopyByCopy copies(qt);
    Canvas& dc = merged ? static_cast<Canvas&>(qt) : copies;
    dc.setClipRect(clip);
    dc.setRasterOp(RasterOp::MaskPen);
    dc.selectPen(fixed::nullPen);
    dc.selectBrush(fixed::grey195Brush);
    dc.polygonStamps(outline, offsets);
    painter.end();
    return img;
  };
  for (const auto& outline : outlines) {
    for (const auto& offsets : offsetSets) {
      for (const Rect& clip : {Rect{0, 0, 400, 400}, Rect{160, 140, 215, 235}}) {
        const QImage single = draw(false, outline, offsets, clip);
        EXPECT_GT(darkenedPixels(single), 0);
        EXPECT_EQ(differingPixels(single, draw(true, outline, offsets, clip)), 0)
            << "outline of " << outline.size() << ", " << offsets.size() << " offsets, clip "
            << clip.left;
      }
    }
  }
}

// A frame draws hundreds of shadows on one canvas, large and small in turn:
// nothing of one outline may stay behind in the next one's pixels.
TEST(ShadowPixels, ManyShadowsOnOneCanvasDarkenThePixelsOfTheSingleFills) {
  std::mt19937 random(5);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
  std::vector<std::pair<std::vector<ScreenPoint>, std::pair<int, int>>> shadows;
  for (int i = 0; i < 80; ++i) {
    const int x = pick(20, 360);
    const int y = pick(20, 360);
    const int size = i % 3 == 0 ? pick(30, 120) : pick(2, 12);
    shadows.push_back({{{x, y},
                        {x + size, y + pick(0, 3)},
                        {x + size - pick(0, 5), y + size},
                        {x + pick(0, 4), y + size - pick(0, 6)}},
                       {pick(-40, 40), pick(-40, 40)}});
  }
  auto draw = [&](bool merged) {
    QImage img(400, 400, QImage::Format_RGB32);
    img.fill(QColor(208, 217, 186));
    QPainter painter(&img);
    QtCanvas qt(painter, 100);
    CopyByCopy copies(qt);
    Canvas& dc = merged ? static_cast<Canvas&>(qt) : copies;
    dc.setRasterOp(RasterOp::MaskPen);
    dc.selectPen(fixed::nullPen);
    std::vector<ScreenPoint> offsets;
    int n = 0;
    for (const auto& [outline, offset] : shadows) {
      // Shades of their own, so that each shadow's pixels tell which it is.
      const uint8_t shade = static_cast<uint8_t>(120 + 4 * (n++ % 30));
      dc.selectBrush(Brush{BrushStyle::Solid, {shade, static_cast<uint8_t>(255 - shade), 200}});
      drawShadow(dc, outline, offset.first, offset.second, offsets);
    }
    painter.end();
    return img;
  };
  const QImage single = draw(false);
  EXPECT_GT(darkenedPixels(single), 10000);
  EXPECT_EQ(differingPixels(single, draw(true)), 0);
}

TEST(ShadowPixels, ShortShadowsAreNotDrawnEitherWay) {
  const std::vector<ScreenPoint> square{{10, 10}, {30, 10}, {30, 30}, {10, 30}};
  for (const auto& [dx, dy] : {std::pair{0, 0}, std::pair{1, -1}, std::pair{-1, 0}}) {
    EXPECT_EQ(darkenedPixels(drawWith(true, square, dx, dy)), 0);
  }
  EXPECT_GT(darkenedPixels(drawWith(true, square, 2, 0)), 0);
}

}  // namespace
}  // namespace tikhomap
