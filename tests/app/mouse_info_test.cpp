// Plain presses and right clicks on the map: the building information
// dialog, the street and district label, the street name written along the
// street; the pointer feedback of the measurement and coordinates windows.
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "app/coordinates_window.h"
#include "app/measure_window.h"
#include "app/mouse_cursors.h"
#include "app/object_search_window.h"
#include "app/search_commands.h"
#include "resources/command_ids.h"
#include "tests/app/mouse_test_fixture.h"
#include "tools/coordinates.h"

namespace tikhomap {
namespace {

using testing::MouseWindowTest;

QImage shownImage(QWidget& widget) {
  return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

TEST_F(MouseWindowTest, APressInsideABuildingOpensItsInformation) {
  showRect(1400, 1300, 1800, 1800);
  press(pixelOf(1610, 1535));
  ASSERT_EQ(dialogs_.size(), 1u);
  EXPECT_TRUE(infoOpenDuringDialog_);
  EXPECT_FALSE(mouse().infoDialogOpen());
  const BuildingInfoTexts& texts = dialogs_[0];
  EXPECT_EQ(texts.address, "Морская ул., 1");
  EXPECT_EQ(texts.kind, "9-этажное жилое");
  EXPECT_EQ(texts.description, "Жилой дом");
  EXPECT_EQ(texts.district, "Северный район");
  EXPECT_EQ(texts.dialogId(), kInfoDialogPlain);
  EXPECT_FALSE(mouse().infoLabel().shown);
  release(pixelOf(1610, 1535));
}

TEST_F(MouseWindowTest, APressOnAStreetShowsAYellowLabelUntilTheRelease) {
  showRect(1000, 1200, 1500, 1800);
  const QImage frame = map().frame().copy();
  const QPoint at = pixelOf(1250, 1500);
  press(at);
  EXPECT_TRUE(dialogs_.empty());
  const InfoLabelOverlay& label = mouse().infoLabel();
  ASSERT_TRUE(label.shown);
  EXPECT_EQ(label.text, QStringLiteral("Морская ул."));
  EXPECT_EQ(label.background, kStreetLabelColour);
  EXPECT_EQ(label.box.x, at.x() + 6);
  EXPECT_EQ(label.box.y, at.y() - 6);
  EXPECT_EQ(label.box.width, 12 * 11);
  EXPECT_EQ(mouse().cursorShape(), MapCursor::Info);
  const QImage shown = shownImage(map());
  EXPECT_EQ(shown.pixel(at.x() + 7, at.y() - 5), qRgb(255, 255, 0));
  EXPECT_EQ(map().frame(), frame);

  release(at);
  EXPECT_FALSE(mouse().infoLabel().shown);
  EXPECT_EQ(mouse().cursorShape(), MapCursor::Arrow);
  EXPECT_EQ(shownImage(map()).pixel(at.x() + 7, at.y() - 5), frame.pixel(at.x() + 7, at.y() - 5));
}

TEST_F(MouseWindowTest, APressOnOpenGroundNamesTheDistrictAndANearbyMicrodistrict) {
  showRect(1300, 500, 1700, 1100);
  press(pixelOf(1500, 900));  // 200 m from the microdistrict point
  EXPECT_EQ(mouse().infoLabel().text, QStringLiteral("Северный район  (Северный)"));
  EXPECT_EQ(mouse().infoLabel().background, kDistrictLabelColour);
  release(pixelOf(1500, 900));
  press(pixelOf(1500, 1150));  // 450 m
  EXPECT_EQ(mouse().infoLabel().text, QStringLiteral("Северный район"));
  release(pixelOf(1500, 1150));
}

TEST_F(MouseWindowTest, ARightClickWritesTheStreetNameOnPressAndAgainOnRelease) {
  showRect(800, 1700, 1200, 2300);
  const QImage frame = map().frame().copy();
  const QPoint at = pixelOf(1000, 2000);
  press(at, Qt::NoModifier, Qt::RightButton);
  EXPECT_EQ(mouse().streetNamesRequested(), 1);
  paint();
  EXPECT_EQ(mouse().streetNamesWritten(), 1);
  EXPECT_EQ(map().frame(), frame);
  release(at, Qt::NoModifier, Qt::RightButton);
  EXPECT_EQ(mouse().streetNamesRequested(), 2);
  paint();
  EXPECT_EQ(mouse().streetNamesWritten(), 2);
  // Written once: a later paint copies the clean frame.
  paint();
  EXPECT_EQ(mouse().streetNamesWritten(), 2);

  // With a theme selected in the object search only the press writes.
  mouse().setThemeSelected([] { return true; });
  click(at, Qt::NoModifier, Qt::RightButton);
  EXPECT_EQ(mouse().streetNamesRequested(), 3);
}

TEST_F(MouseWindowTest, MeasuringReadsOutLengthsAndAreasAndTheMenuUndoes) {
  window_->command(32815);
  EXPECT_FALSE(mouse().measure().isOpen());  // not on the title sheet
  showRect(600, 900, 1400, 2100);
  mouse().setToolMode(kToolPan);
  window_->command(32815);
  EXPECT_FALSE(mouse().measure().isOpen());  // not with a palette tool
  mouse().setToolMode(kToolArrow);
  window_->command(32815);
  ASSERT_TRUE(mouse().measure().isOpen());
  EXPECT_EQ(mouse().cursorShape(), MapCursor::Measure);
  MeasureWindow& w = *mouse().measure().window();
  EXPECT_TRUE(w.testAttribute(Qt::WA_ShowWithoutActivating));
  EXPECT_FALSE(mouse().measure().open(false));  // one window at a time
  const QImage frame = map().frame().copy();

  const QPoint p0 = pixelOf(800, 1000);
  const QPoint p1 = pixelOf(800, 1300);
  const QPoint p2 = pixelOf(1200, 1300);
  click(p0);
  move(p1, Qt::NoButton);
  const MapPoint m0 = mouse().measure().state().measurePoints[0];
  const MapPoint m1 = mapOf(p1);
  EXPECT_EQ(w.fieldText(kMeasureOffsetField),
            QString::asprintf("%.1f, %.1f", m1.y - m0.y, m1.x - m0.x));
  click(p1);
  move(p2, Qt::NoButton);
  click(p2);
  const auto& points = mouse().measure().state().measurePoints;
  ASSERT_EQ(points.size(), 3u);
  const double length = measuredLength(points);
  const int detail = session().view.detailLevel;
  EXPECT_EQ(w.fieldText(kMeasureLengthField).toStdString(), accumulatedLengthText(length, detail));
  EXPECT_EQ(w.fieldText(kMeasureAreaField).toStdString(), areaText(measuredArea(points), detail));
  EXPECT_NEAR(length, 700, 8);  // two legs of about 300 m and 400 m

  // The polyline is drawn over the frame after every paint.
  paint();
  EXPECT_EQ(map().frame(), frame);
  const QImage shown = shownImage(map());
  // Halfway along the first leg, at the pixels of the stored map points.
  const QPoint q0 = pixelOf(points[0].x, points[0].y);
  const QPoint q1 = pixelOf(points[1].x, points[1].y);
  const QPoint mid((q0.x() + q1.x()) / 2, q0.y());
  ASSERT_EQ(q0.y(), q1.y());
  EXPECT_NE(shown.pixel(mid), frame.pixel(mid));

  mouse().measure().setPopupChooser([](QPoint) { return 32840; });
  press(p2, Qt::NoModifier, Qt::RightButton);
  EXPECT_EQ(mouse().measure().state().measureCount(), 2);
  EXPECT_EQ(w.fieldText(kMeasureAreaField), QString());
  release(p2, Qt::NoModifier, Qt::RightButton);
  EXPECT_EQ(mouse().streetNamesRequested(), 0);  // no street names while measuring

  mouse().measure().setPopupChooser([](QPoint) { return 32839; });
  press(p2, Qt::NoModifier, Qt::RightButton);
  EXPECT_EQ(mouse().measure().state().measureCount(), 0);
  EXPECT_EQ(w.fieldText(kMeasureLengthField), QString());
  EXPECT_TRUE(mouse().measure().isOpen());
  EXPECT_EQ(mouse().cursorShape(), MapCursor::Measure);

  w.reject();  // Esc or the close box
  EXPECT_FALSE(mouse().measure().isOpen());
  paint();
  EXPECT_EQ(mouse().cursorShape(), MapCursor::Arrow);
}

TEST_F(MouseWindowTest, AlongStreetsAClickAwayFromEveryStreetBeeps) {
  showRect(800, 1200, 1200, 1800);
  window_->command(32828);
  ASSERT_TRUE(mouse().measure().isOpen());
  click(pixelOf(1000, 1400));  // on the east-west street
  EXPECT_EQ(beeps_, 0);
  move(pixelOf(900, 1300), Qt::NoButton);
  click(pixelOf(900, 1300));  // open ground
  EXPECT_EQ(beeps_, 1);
  move(pixelOf(1100, 1500), Qt::NoButton);
  click(pixelOf(1100, 1500));  // on the north-south street
  EXPECT_EQ(beeps_, 1);
  const auto& points = mouse().measure().state().measurePoints;
  ASSERT_EQ(points.size(), 3u);
  EXPECT_FLOAT_EQ(points[0].x, 1000);
  EXPECT_FLOAT_EQ(points[2].y, 1500);
  // Home ends the measurement.
  keyDown(Qt::Key_Home);
  EXPECT_FALSE(mouse().measure().isOpen());
}

TEST_F(MouseWindowTest, TheCoordinatesWindowFollowsThePointer) {
  window_->command(32829);
  EXPECT_EQ(mouse().coordinatesWindow(), nullptr);  // not on the title sheet
  showMap();
  window_->command(32829);
  CoordinatesWindow* w = mouse().coordinatesWindow();
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(w->testAttribute(Qt::WA_ShowWithoutActivating));
  EXPECT_TRUE(w->latitudeText().isEmpty());
  const QPoint at(321, 234);
  move(at, Qt::NoButton);
  const MapPoint m = mapOf(at);
  const LatLongTexts expected = latLongAtMapPoint(m.x, m.y);
  EXPECT_EQ(w->latitudeText().toStdString(), expected.latitude);
  EXPECT_EQ(w->longitudeText().toStdString(), expected.longitude);
  EXPECT_TRUE(w->latitudeText().startsWith(QStringLiteral(" 43°")));
  // A drag does not update it.
  keyDown(Qt::Key_Shift, Qt::ShiftModifier);
  press(at, Qt::ShiftModifier);
  move({500, 500}, Qt::LeftButton, Qt::ShiftModifier);
  EXPECT_EQ(w->latitudeText().toStdString(), expected.latitude);
  release({500, 500}, Qt::ShiftModifier);

  w->reject();
  EXPECT_EQ(mouse().coordinatesWindow(), nullptr);
  EXPECT_FALSE(window_->recomposePending());
}

}  // namespace
}  // namespace tikhomap

namespace tikhomap {
namespace {

using testing::MouseWindowTest;

TEST_F(MouseWindowTest, TheObjectSearchRefusesEveryCommandWhileTheInformationIsOpen) {
  installSearches(*window_);
  window_->command(ids::kObjectSearch);
  auto* search = window_->findChild<ObjectSearchWindow*>();
  ASSERT_NE(search, nullptr);
  auto* list = search->findChild<QPushButton*>(QString::number(ids::kIdOk));
  int beepsInside = -1;
  mouse().setInfoDialogRunner([&](const BuildingInfoTexts&) {
    const int before = beeps_;
    list->click();
    beepsInside = beeps_ - before;
  });
  showRect(1400, 1300, 1800, 1800);
  click(pixelOf(1610, 1535));
  EXPECT_EQ(beepsInside, 1);
  // Afterwards the same command runs (the tiny city has no objects: a beep
  // for the empty result, and no refusal).
  const int before = beeps_;
  list->click();
  EXPECT_EQ(beeps_ - before, 1);
  EXPECT_EQ(search->findChild<QLabel*>(QString::number(kObjectCountText))->text(),
            QStringLiteral("Всего:"));
}

// A modal window opened while the button is held (a search key pressed with
// the other hand) takes the release away from the map: the label it showed
// goes at once, and a drag ends without moving the view and without keeping
// the mouse, so the dialog can be clicked.
TEST_F(MouseWindowTest, AModalWindowOpenedDuringAPressEndsWhatThePressShowed) {
  showRect(1000, 1200, 1500, 1800);
  press(pixelOf(1250, 1500));
  ASSERT_TRUE(mouse().infoLabel().shown);
  const auto runModal = [](const std::function<void()>& inside) {
    QDialog dialog(nullptr);
    QTimer::singleShot(0, &dialog, [&dialog, inside] {
      inside();
      dialog.reject();
    });
    dialog.exec();
  };
  bool labelDuringDialog = true;
  runModal([this, &labelDuringDialog] { labelDuringDialog = mouse().infoLabel().shown; });
  EXPECT_FALSE(labelDuringDialog);
  EXPECT_EQ(mouse().cursorShape(), MapCursor::Arrow);

  const int16_t count = session().history.count;
  keyDown(Qt::Key_Control, Qt::ControlModifier);
  press({200, 150}, Qt::ControlModifier);
  move({400, 300}, Qt::LeftButton, Qt::ControlModifier);
  ASSERT_TRUE(dragShown());
  bool grabbedDuringDialog = true;
  runModal([&grabbedDuringDialog] { grabbedDuringDialog = QWidget::mouseGrabber() != nullptr; });
  EXPECT_FALSE(grabbedDuringDialog);
  // The rectangle is gone, and moves and the release that come late change
  // nothing.
  EXPECT_FALSE(dragShown());
  move({450, 350}, Qt::LeftButton, Qt::ControlModifier);
  EXPECT_FALSE(dragShown());
  release({450, 350}, Qt::ControlModifier);
  EXPECT_EQ(session().history.count, count);
}

// On the title sheet only the zoom rectangle can be dragged: a Shift press
// with the zoom-rectangle tool chosen starts no pan, so nothing is left
// holding the mouse after the release.
TEST_F(MouseWindowTest, AShiftPressOnTheTitleSheetStartsNoPan) {
  ASSERT_TRUE(session().titleSheetShown());
  mouse().setToolMode(kToolZoomRect);
  const QPoint at(map().width() - 60, map().height() / 2);
  ASSERT_GE(at.x(), session().cache.sheetSplitX);
  press(at, Qt::ShiftModifier);
  move(at + QPoint(-100, 50), Qt::LeftButton, Qt::ShiftModifier);
  release(at + QPoint(-100, 50), Qt::ShiftModifier);
  EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
  move(at + QPoint(-50, 80), Qt::NoButton);
  EXPECT_FALSE(dragShown());
  EXPECT_TRUE(session().titleSheetShown());
  mouse().setToolMode(kToolArrow);
}

// A Ctrl press on the title sheet (Ctrl held since before the window had the
// keys, so no drag is armed) shows the label of what lies under it; the
// release takes it away there too.
TEST_F(MouseWindowTest, TheLabelOfAPressOnTheTitleSheetGoesWithTheRelease) {
  ASSERT_TRUE(session().titleSheetShown());
  bool found = false;
  for (int y = 10; y < map().height() && !found; y += 15) {
    for (int x = 10; x < map().width() && !found; x += 15) {
      press({x, y}, Qt::ControlModifier);
      found = mouse().infoLabel().shown;
      release({x, y}, Qt::ControlModifier);
      if (found) {
        EXPECT_FALSE(mouse().infoLabel().shown) << x << "," << y;
      }
    }
  }
  EXPECT_TRUE(found);
  EXPECT_EQ(mouse().cursorShape(), MapCursor::Arrow);
}

TEST_F(MouseWindowTest, AControllerThatGoesTakesItsOverlayAndHandlerWithIt) {
  showMap();
  delete controller_;
  controller_ = nullptr;
  EXPECT_EQ(map().mouseHandler(), nullptr);
  // Its overlay would draw through the deleted controller.
  paint();
  press(QPoint(100, 100));
  release(QPoint(100, 100));
}

}  // namespace
}  // namespace tikhomap
