// The map on a screen of a higher device pixel ratio: the frame has a pixel
// for every device pixel, while everything the user reads or points at (the
// scale, the view, the building under a click, the overlays) stays where it
// is at ratio 1. The test program also runs with QT_SCALE_FACTOR=2 (CTest
// "app_pixel_ratio_2"); both runs must give the same answers.
#include <QImage>

#include "app/overview_inset.h"
#include "app/shell_commands.h"
#include "tests/app/mouse_test_fixture.h"

namespace tikhomap::testing {
namespace {

// The scale of the view below in a window of the same physical size at any
// pixel ratio (a map area of 880 × 640 pixels at ratio 1): the scale is true, so it does
// not depend on how many pixels make up a millimetre.
constexpr int32_t kExpectedScale = 2460;

class PixelRatioTest : public MouseWindowTest {
 protected:
  static qreal expectedRatio() {
    const QByteArray factor = qgetenv("QT_SCALE_FACTOR");
    return factor.isEmpty() ? 1.0 : factor.toDouble();
  }
};

TEST_F(PixelRatioTest, TheFrameHasAPixelForEveryDevicePixel) {
  const qreal ratio = map().devicePixelRatioF();
  EXPECT_EQ(ratio, expectedRatio());
  showRect(1400, 1300, 1800, 1800);
  const QImage& frame = map().frame();
  EXPECT_EQ(frame.devicePixelRatio(), ratio);
  EXPECT_EQ(frame.size(), map().size() * ratio);
  EXPECT_EQ(frame.deviceIndependentSize().toSize(), map().size());
  if (ratio < 2) return;
  // Letters and slanted edges use the device pixels: the frame is not a
  // pixel-doubled picture.
  int mixedBlocks = 0;
  for (int y = 0; y + 1 < frame.height(); y += 2) {
    for (int x = 0; x + 1 < frame.width(); x += 2) {
      const QRgb c = frame.pixel(x, y);
      mixedBlocks += c != frame.pixel(x + 1, y) || c != frame.pixel(x, y + 1) ||
                     c != frame.pixel(x + 1, y + 1);
    }
  }
  EXPECT_GT(mixedBlocks, 100);
}

TEST_F(PixelRatioTest, TheSameClickOpensTheSameBuildingAtTheSameScale) {
  // The offscreen screen keeps its millimetres when its pixels grow, so a
  // window of the same physical size has 1/ratio the logical pixels.
  const qreal ratio = map().devicePixelRatioF();
  const QSize mapSize = (QSizeF(880, 640) / ratio).toSize();
  window_->resize(mapSize + (window_->size() - map().size()));
  ASSERT_TRUE(waitFor([this, mapSize] { return map().size() == mapSize; }));
  showRect(1400, 1300, 1800, 1800);
  EXPECT_EQ(session().view.scaleDenominator, kExpectedScale);
  EXPECT_EQ(session().view.viewRight, map().width());
  const QPoint at = pixelOf(1610, 1535);
  press(at);
  ASSERT_EQ(dialogs_.size(), 1u);
  EXPECT_EQ(dialogs_[0].address, "Морская ул., 1");
  release(at);
}

TEST_F(PixelRatioTest, OverlaysKeepTheirPlaceInLogicalPixels) {
  installShellCommands(*window_, mouse());
  showMap();
  keyDown(Qt::Key_Slash);
  const QImage shown = map().grab().toImage();
  const qreal ratio = map().devicePixelRatioF();
  auto* inset = window_->findChild<OverviewInset*>();
  ASSERT_NE(inset, nullptr);
  ASSERT_TRUE(inset->shown());
  const QImage& picture = inset->picture();
  EXPECT_EQ(picture.devicePixelRatio(), ratio);
  // The picture's middle, device pixel for device pixel, 14 logical pixels
  // from the corner.
  const QPoint inPicture(picture.width() / 2, picture.height() / 3);
  const QPoint onScreen = inPicture + QPoint(14, 14) * ratio;
  EXPECT_EQ(shown.pixel(onScreen), picture.pixel(inPicture));
  keyUp(Qt::Key_Slash);
}

}  // namespace
}  // namespace tikhomap::testing
