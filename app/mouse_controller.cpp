#include "app/mouse_controller.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QNativeGestureEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "app/main_window.h"
#include "raster/qt_canvas.h"
#include "render/street_labels.h"
#include "render/style_set.h"
#include "resources/command_ids.h"
#include "tools/drawn_buildings.h"

namespace tikhomap {
namespace {

// Rubber rectangles smaller than this in either direction, and pans shorter
// than this in both, change nothing.
constexpr int kMinDragPixels = 5;
// The free corner of the zoom rectangle sits this far right of and below
// the pointer.
constexpr int kRectangleCornerOffset = 6;

Qt::KeyboardModifiers dragModifiers(const QMouseEvent& event) {
  return event.modifiers() & (Qt::ShiftModifier | Qt::ControlModifier);
}

// The button held alone with exactly this one of Shift and Ctrl.
bool exactly(const QMouseEvent& event, Qt::MouseButton button, Qt::KeyboardModifier modifier) {
  return event.buttons() == button && dragModifiers(event) == modifier;
}

bool paletteTool(int mode) {
  return mode >= kToolZoomOut && mode <= kToolPan;
}

}  // namespace

MouseController::MouseController(Shell& shell)
    : QObject(&shell.shellWindow()),
      shell_(shell),
      map_(&shell.mapWidget()),
      measure_(shell),
      wheel_(shell) {
  infoDialogRunner_ = [this](const BuildingInfoTexts& texts) {
    const auto dialog = makeBuildingInfoDialog(texts, &shell_.shellWindow());
    dialog->exec();
  };
  overlayId_ = shell_.mapWidget().addOverlay([this](QPainter& painter) { drawOverlays(painter); });
  connect(&measure_, &MeasureTool::opened, this, [this] {
    interactionState_ = kStateMeasuring;
    setCursorShape(MapCursor::Measure);
  });
  connect(&measure_, &MeasureTool::closed, this, [this] {
    interactionState_ = kStateIdle;
    setCursorShape(MapCursor::Arrow);
  });
  shell.shellWindow().installEventFilter(this);
}

bool MouseController::eventFilter(QObject* watched, QEvent* event) {
  if (watched == &shell_.shellWindow() && event->type() == QEvent::WindowBlocked) cancelPress();
  return false;
}

void MouseController::cancelPress() {
  if (restoreInfoLabel()) {
    setCursorShape(measure_.isOpen() ? MapCursor::Measure : MapCursor::Arrow);
  }
  if (!dragInProgress() && !captured_) return;
  dragArmed_ = false;
  shell_.mapWidget().setFrameOffset({});
  if (captured_) {
    shell_.mapWidget().releaseMouse();
    captured_ = false;
  }
  interactionState_ = measure_.isOpen() ? kStateMeasuring : kStateIdle;
  setCursorShape(measure_.isOpen() ? MapCursor::Measure : MapCursor::Arrow);
  setToolCursor();
  overlayUpdate();
}

MouseController::~MouseController() {
  // The main window may be half destroyed already (the controller is its
  // child): only the map widget, if it is still there, is touched.
  if (map_ != nullptr) {
    map_->removeOverlay(overlayId_);
    if (map_->mouseHandler() == this) map_->setMouseHandler(nullptr);
  }
  delete coordinates_.data();
}

void MouseController::beep() {
  shell_.beep();
}

void MouseController::setToolMode(int mode) {
  toolMode_ = mode;
  // A palette tool ignores Shift, Ctrl and every key release: a drag the keys
  // armed before would stay armed under the tool and turn its presses into
  // Shift or Ctrl drags, which its releases do not end.
  if (paletteTool(mode) && !dragInProgress()) dragArmed_ = false;
  // The arrow tool and no tool at all both show the plain pointer.
  if (mode == kToolArrow || mode == kToolClosed) setCursorShape(MapCursor::Arrow);
  setToolCursor();
}

void MouseController::setCursorShape(MapCursor shape) {
  cursor_ = shape;
  shell_.mapWidget().setCursor(mapCursor(shape));
}

void MouseController::setToolCursor() {
  switch (toolMode_) {
    case kToolPan:
      setCursorShape(MapCursor::Pan);
      break;
    case kToolZoomOut:
      setCursorShape(MapCursor::ZoomOut);
      break;
    case kToolZoomRect:
      setCursorShape(MapCursor::ZoomIn);
      break;
    default:
      break;
  }
}

void MouseController::overlayUpdate() {
  overlayOnly_ = true;
  shell_.mapWidget().update();
}

// ---- keys ------------------------------------------------------------------

bool MouseController::keyPress(QKeyEvent& event) {
  if (paletteTool(toolMode_)) return false;
  if (event.key() == Qt::Key_Shift) {
    if (shell_.session().history.titleSheetShown()) return false;
    setCursorShape(MapCursor::Pan);
    dragArmed_ = true;
    return true;
  }
  if (event.key() == Qt::Key_Control) {
    // Ctrl zooms from the title sheet too.
    setCursorShape(MapCursor::ZoomIn);
    dragArmed_ = true;
    return true;
  }
  return false;
}

bool MouseController::keyRelease(QKeyEvent&) {
  // The overview goes with the key in every tool mode; with a palette tool
  // chosen nothing else is done on a release, so the tool's cursor stays.
  if (overviewCloser_ && overviewCloser_()) return true;
  if (paletteTool(toolMode_)) return false;
  const bool dragging = interactionState_ == kStateZoomRect || interactionState_ == kStatePan;
  if (dragArmed_ && dragging) return true;  // the drag goes on
  setCursorShape(measure_.isOpen() ? MapCursor::Measure : MapCursor::Arrow);
  dragArmed_ = false;
  return true;
}

// ---- left and right presses ------------------------------------------------

bool MouseController::mousePress(QMouseEvent& event) {
  // The second press of a double click is dropped with the double click
  // itself: the map answers single presses and every release.
  if (event.flags().testFlag(Qt::MouseEventCreatedDoubleClick)) return true;
  const QPoint at = event.position().toPoint();
  MapSession& session = shell_.session();

  if (event.button() == Qt::RightButton) {
    if (paletteTool(toolMode_)) return true;
    if (exactly(event, Qt::RightButton, Qt::ControlModifier)) {
      if (session.history.canGoBack()) {
        viewBack(session.history);
        shell_.requestRecompose();
      }
    } else if (measure_.isOpen()) {
      // The popup takes the mouse; a left button held on the map comes up
      // over it.
      cancelPress();
      measure_.showPopup(at);
    } else {
      showStreetNameAt(at);
    }
    return true;
  }
  if (event.button() == Qt::MiddleButton) {
    startMiddlePan(at);
    return true;
  }
  if (event.button() != Qt::LeftButton) return false;
  // A middle-button pan owns the mouse until its button comes up.
  if (dragInProgress() && dragButton_ != Qt::LeftButton) return true;

  if (session.history.titleSheetShown() && !exactly(event, Qt::LeftButton, Qt::ControlModifier) &&
      toolMode_ != kToolZoomRect) {
    return true;
  }
  if (!dragArmed_ && toolMode_ != kToolZoomRect && toolMode_ != kToolPan) {
    if (toolMode_ == kToolZoomOut) return true;  // the zoom-out acts on release
    if (interactionState_ == kStateMeasuring) {
      if (measure_.state().measureCount() == 0) {
        rubber_[0] = at;
        rubber_[1] = at;
      }
    } else {
      showBuildingInfo(at);
    }
    return true;
  }
  startDrag(event, at);
  return true;
}

void MouseController::startMiddlePan(QPoint at) {
  // The middle button pans the map with any tool and while measuring; the
  // title sheet is not panned, and a drag under way goes on alone.
  const MapSession& session = shell_.session();
  if (dragInProgress() || session.titleSheetShown() || !session.baseMapLoaded()) return;
  restoreInfoLabel();
  dragArmed_ = true;
  dragButton_ = Qt::MiddleButton;
  interactionState_ = kStatePan;
  setCursorShape(MapCursor::Pan);
  shell_.mapWidget().grabMouse();
  captured_ = true;
  rubber_.fill(at);
}

void MouseController::startDrag(QMouseEvent& event, QPoint at) {
  MapSession& session = shell_.session();
  dragArmed_ = true;
  dragButton_ = Qt::LeftButton;
  if (session.titleSheetShown() && at.x() < session.cache.sheetSplitX) {
    // Left of the split the title sheet shows the region, not the city.
    setCursorShape(MapCursor::Arrow);
    dragArmed_ = false;
    return;
  }
  if (exactly(event, Qt::LeftButton, Qt::ShiftModifier) || toolMode_ == kToolPan) {
    // The title sheet is not panned (its release ends only a zoom
    // rectangle): a Shift press with the zoom-rectangle tool starts nothing.
    if (session.titleSheetShown()) {
      dragArmed_ = false;
      return;
    }
    interactionState_ = kStatePan;
  } else if (exactly(event, Qt::LeftButton, Qt::ControlModifier) || toolMode_ == kToolZoomRect) {
    interactionState_ = kStateZoomRect;
  } else {
    return;  // Shift and Ctrl together start nothing
  }
  shell_.mapWidget().grabMouse();
  captured_ = true;
  rubber_.fill(at);
  overlayUpdate();
}

// ---- wheel and pinch ----------------------------------------------------------

bool MouseController::wheelAllowed(QPoint at) const {
  const MapSession& session = shell_.session();
  if (QApplication::activeModalWidget() != nullptr || dragInProgress()) return false;
  // Left of the split the title sheet shows the region, not the city.
  return !(session.titleSheetShown() && at.x() < session.cache.sheetSplitX);
}

bool MouseController::wheel(QWheelEvent& event) {
  if (!wheelAllowed(event.position().toPoint())) return true;
  // The label names what was under the pointer before the view changed.
  if (restoreInfoLabel()) setCursorShape(measure_.isOpen() ? MapCursor::Measure : MapCursor::Arrow);
  wheel_.wheel(event);
  return true;
}

bool MouseController::nativeGesture(QNativeGestureEvent& event) {
  if (event.gestureType() != Qt::ZoomNativeGesture) return false;
  if (!wheelAllowed(event.position().toPoint())) return true;
  if (restoreInfoLabel()) setCursorShape(measure_.isOpen() ? MapCursor::Measure : MapCursor::Arrow);
  wheel_.pinch(event);
  return true;
}

// ---- movement ----------------------------------------------------------------

bool MouseController::mouseMove(QMouseEvent& event) {
  const QPoint at = event.position().toPoint();
  if (dragArmed_) {
    if (interactionState_ == kStateZoomRect) {
      rubber_[1].setX(at.x() + kRectangleCornerOffset);
      rubber_[2] = QPoint(at.x() + kRectangleCornerOffset, at.y() + kRectangleCornerOffset);
      rubber_[3].setY(at.y() + kRectangleCornerOffset);
      overlayUpdate();
    } else if (interactionState_ == kStatePan) {
      rubber_[1] = at;
      shell_.mapWidget().setFrameOffset(panOffset(at),
                                        toQColor(shell_.session().styles.land.color));
    }
    return true;
  }
  if (coordinates_ == nullptr && interactionState_ != kStateMeasuring) return true;
  float mx = 0;
  float my = 0;
  screenToMap(shell_.session().view, at.x(), at.y(), mx, my);
  if (coordinates_ != nullptr) coordinates_->showMapPoint(shell_.session().map, mx, my);
  if (interactionState_ == kStateMeasuring && measure_.state().measureCount() > 0) {
    measure_.showPointer(mx, my);
    rubber_[1] = at;
    overlayUpdate();
  }
  return true;
}

// ---- releases ----------------------------------------------------------------

bool MouseController::mouseRelease(QMouseEvent& event) {
  const QPoint at = event.position().toPoint();
  MapSession& session = shell_.session();

  if (event.button() == Qt::RightButton) {
    if (measure_.isOpen() || paletteTool(toolMode_)) return true;
    if (!(themeSelected_ && themeSelected_())) showStreetNameAt(at);
    return true;
  }
  if (dragInProgress() && dragButton_ == Qt::MiddleButton) {
    if (event.button() == Qt::MiddleButton) {
      panTo(at);
      endDragAndRecompose();
    }
    return true;
  }
  if (event.button() != Qt::LeftButton) return false;

  if (session.titleSheetShown() && interactionState_ != kStateZoomRect) {
    // Only the label a press showed goes with the release here, and a pan
    // begun on the map before the title sheet came back ends unmoved.
    if (dragInProgress()) endDragAndRecompose();
    if (restoreInfoLabel()) setCursorShape(MapCursor::Arrow);
    return true;
  }
  if (toolMode_ == kToolZoomOut) {
    // A refused zoom-out changes nothing, but a drag never outlives its
    // button.
    if (zoomOutAt(at) || dragInProgress()) endDragAndRecompose();
    return true;
  }
  // A drag ended by an earlier release keeps its state until the next paint;
  // a second release before that paint (the one after a double click) finds
  // no drag.
  const MouseState state =
      dragInProgress() || interactionState_ == kStateMeasuring ? interactionState_ : kStateIdle;
  switch (state) {
    case kStateZoomRect:
      zoomToRubberRectangle();
      endDragAndRecompose();
      break;
    case kStatePan:
      panTo(at);
      endDragAndRecompose();
      break;
    case kStateMeasuring:
      measure_.addPoint(rubber_[1]);
      rubber_[0] = rubber_[1] = measure_.lastPointPixel();
      break;
    default:
      if (restoreInfoLabel()) setCursorShape(MapCursor::Arrow);
      break;
  }
  return true;
}

bool MouseController::zoomOutAt(QPoint at) {
  MapSession& session = shell_.session();
  const ViewState& v = session.view;
  const MapBounds city = session.history.entry(0);
  float mx = 0;
  float my = 0;
  screenToMap(v, at.x(), at.y(), mx, my);
  const float w = v.viewYMax - v.viewYMin;
  const float h = v.viewXMax - v.viewXMin;
  const float xMin = std::max(mx - 0.75f * h, city.xMin);
  const float xMax = std::min(mx + 0.75f * h, city.xMax);
  const float yMin = std::max(my - 0.75f * w, city.yMin);
  const float yMax = std::min(my + 0.75f * w, city.yMax);
  // Clamped to the city, the rectangle is never refused by the history; when
  // the clamping leaves it no larger than the visible window in both
  // directions, the zoom-out would go beyond the city: refused.
  const bool grows = xMax - xMin > h * 1.001f || yMax - yMin > w * 1.001f;
  if (!grows || pushView(session.history, xMin, yMin, xMax, yMax) == 0) {
    beep();
    return false;
  }
  return true;
}

void MouseController::zoomToRubberRectangle() {
  const QPoint p1 = rubber_[1];
  const QPoint p3 = rubber_[3];
  if (std::abs(p3.x() - p1.x()) <= kMinDragPixels || std::abs(p3.y() - p1.y()) <= kMinDragPixels) {
    return;
  }
  MapSession& session = shell_.session();
  float xMin = 0;
  float yMin = 0;
  float xMax = 0;
  float yMax = 0;
  // Lower left corner: south-west; upper right: north-east.
  screenToMap(session.view, std::min(p1.x(), p3.x()), std::max(p1.y(), p3.y()), xMin, yMin);
  screenToMap(session.view, std::max(p1.x(), p3.x()), std::min(p1.y(), p3.y()), xMax, yMax);
  pushView(session.history, xMin, yMin, xMax, yMax);
}

std::optional<MapBounds> MouseController::pannedView(QPoint at) const {
  const QPoint p0 = rubber_[0];
  if (std::abs(at.x() - p0.x()) <= kMinDragPixels && std::abs(at.y() - p0.y()) <= kMinDragPixels) {
    return std::nullopt;
  }
  const MapSession& session = shell_.session();
  float ax = 0;
  float ay = 0;
  float bx = 0;
  float by = 0;
  screenToMap(session.view, p0.x(), p0.y(), ax, ay);
  screenToMap(session.view, at.x(), at.y(), bx, by);
  const float dx = ax - bx;
  const float dy = ay - by;
  const MapBounds last = session.history.last();
  // The map follows the pointer.
  return MapBounds{last.xMin + dx, last.yMin + dy, last.xMax + dx, last.yMax + dy};
}

void MouseController::panTo(QPoint at) {
  if (const std::optional<MapBounds> r = pannedView(at)) {
    pushView(shell_.session().history, r->xMin, r->yMin, r->xMax, r->yMax);
  }
}

QPoint MouseController::panOffset(QPoint at) const {
  const std::optional<MapBounds> r = pannedView(at);
  if (!r) return {};
  // The release will ask for this view, clamped to the city: the frame moves
  // as far as the map will.
  const MapSession& session = shell_.session();
  ViewHistory after = session.history;
  if (pushView(after, r->xMin, r->yMin, r->xMax, r->yMax) == 0) return {};
  const MapBounds from = session.history.last();
  const MapBounds to = after.last();
  const ViewState& v = session.view;
  const double east = (double{to.yMin} - from.yMin) * v.mmPerMetre * v.pixelsPerMmX;
  const double north = (double{to.xMin} - from.xMin) * v.mmPerMetre * v.pixelsPerMmY;
  if (!std::isfinite(east) || !std::isfinite(north)) return {};
  constexpr double kFar = 32000;
  return {static_cast<int>(std::lround(std::clamp(-east, -kFar, kFar))),
          static_cast<int>(std::lround(std::clamp(north, -kFar, kFar)))};
}

void MouseController::endDragAndRecompose() {
  dragArmed_ = false;
  shell_.mapWidget().setFrameOffset({});
  if (captured_) {
    shell_.mapWidget().releaseMouse();
    captured_ = false;
  }
  overlayOnly_ = false;
  shell_.requestRecompose();
}

// ---- building information and street names ------------------------------------

void MouseController::showBuildingInfo(QPoint at) {
  MapSession& session = shell_.session();
  float mx = 0;
  float my = 0;
  screenToMap(session.view, at.x(), at.y(), mx, my);
  // Where buildings stand up, the press opens the one drawn in front under
  // the pointer; elsewhere, and where no building is drawn, the footprint
  // decides.
  if (const int32_t drawn = drawnBlockUnderPointer(session, at.x(), at.y()); drawn >= 0) {
    openBuildingInfo(drawn);
    return;
  }
  const InfoTarget target = infoTargetAt(session.map, session.view, session.cache.firstBuilding,
                                         session.cache.firstStreetLine, mx, my);
  if (target.kind == InfoTarget::Kind::building) {
    openBuildingInfo(target.building);
    return;
  }
  if (target.kind != InfoTarget::Kind::label) return;
  setCursorShape(MapCursor::Info);
  infoLabel_.shown = true;
  infoLabel_.box = placeInfoLabel(at.x(), at.y(), target.label.charCount);
  infoLabel_.text = QString::fromStdString(target.label.text);
  infoLabel_.background = target.label.background;
  overlayUpdate();
}

void MouseController::openBuildingInfo(int32_t building) {
  MapSession& session = shell_.session();
  if (building < 0 || building >= static_cast<int32_t>(session.map.buildings.size())) return;
  const BuildingInfoTexts texts =
      buildingInfoTexts(session.map, session.map.buildings[static_cast<size_t>(building)]);
  infoDialogOpen_ = true;
  if (infoDialogRunner_) infoDialogRunner_(texts);
  infoDialogOpen_ = false;
}

bool MouseController::restoreInfoLabel() {
  if (!infoLabel_.shown) return false;
  infoLabel_ = InfoLabelOverlay{};
  overlayUpdate();
  return true;
}

void MouseController::showStreetNameAt(QPoint at) {
  // The title sheet is a picture, not the map under the view: no street
  // lies under its pixels.
  if (shell_.session().titleSheetShown()) return;
  streetNames_.push_back(at);
  ++streetNamesRequested_;
  overlayUpdate();
}

// ---- measurement and coordinates windows ----------------------------------------

bool MouseController::openMeasurement(bool alongStreets) {
  if (measure_.isOpen() || shell_.session().history.titleSheetShown() || paletteTool(toolMode_)) {
    return false;
  }
  return measure_.open(alongStreets);
}

bool MouseController::openCoordinates() {
  if (coordinates_ != nullptr || shell_.session().history.titleSheetShown()) return false;
  coordinates_ = new CoordinatesWindow(&shell_.mapWidget());
  connect(coordinates_, &CoordinatesWindow::closeRequested, this, [this] { closeCoordinates(); });
  coordinates_->show();
  return true;
}

void MouseController::closeCoordinates() {
  if (coordinates_ == nullptr) return;
  coordinates_->hide();
  coordinates_->deleteLater();
  coordinates_ = nullptr;
  shell_.setRecomposePending(false);
  shell_.mapWidget().update();
}

// ---- painting ----------------------------------------------------------------

void MouseController::drawOverlays(QPainter& painter) {
  const bool composed = shell_.recomposePending();
  if (!overlayOnly_ || composed) afterPaint();
  overlayOnly_ = false;

  painter.setRenderHint(QPainter::Antialiasing, false);
  if (measure_.isOpen()) {
    painter.save();
    measure_.drawPolyline(painter);
    painter.restore();
  }
  // The rubber figures invert the pixels under them.
  painter.save();
  painter.setCompositionMode(QPainter::RasterOp_NotDestination);
  painter.setPen(QPen(Qt::black, 1));
  painter.setBrush(Qt::NoBrush);
  if (dragArmed_ && interactionState_ == kStateZoomRect) {
    painter.drawPolyline(rubber_.data(), static_cast<int>(rubber_.size()));
  } else if (interactionState_ == kStateMeasuring && measure_.state().measureCount() > 0 &&
             rubber_[0] != rubber_[1]) {
    painter.drawLine(rubber_[0], rubber_[1]);
  }
  painter.restore();

  if (infoLabel_.shown) {
    painter.save();
    drawInfoLabel(painter, infoLabel_);
    painter.restore();
  }
  if (!streetNames_.empty()) {
    RenderContext context = shell_.session().context(shell_.frameWidthMm());
    QtCanvas canvas(painter, shell_.frameWidthMm());
    for (const QPoint& at : streetNames_) {
      painter.save();
      streetNamesWritten_ += labelAtPoint(context, canvas, at.x(), at.y());
      painter.restore();
    }
    // Written once: the next copy of the frame removes them.
    streetNames_.clear();
  }
}

void MouseController::afterPaint() {
  if (dragInProgress()) return;
  if (measure_.isOpen()) {
    if (measure_.state().measureCount() > 0) rubber_[0] = rubber_[1] = measure_.lastPointPixel();
    interactionState_ = kStateMeasuring;
    if (!infoLabel_.shown) setCursorShape(MapCursor::Measure);
  } else {
    interactionState_ = kStateIdle;
    if (!infoLabel_.shown) setCursorShape(MapCursor::Arrow);
  }
  setToolCursor();
}

MouseController& installMouseController(MainWindow& main) {
  auto* controller = new MouseController(main);
  // Back to the title sheet: the measurement ends.
  QObject::connect(&main, &MainWindow::titleSheetRequested, controller,
                   [controller] { controller->measure().close(); });
  main.mapWidget().setMouseHandler(controller);
  main.setCommandHandler(ids::kMeasure, [controller] { controller->openMeasurement(false); });
  main.setCommandHandler(ids::kMeasureAlongStreets,
                         [controller] { controller->openMeasurement(true); });
  main.setCommandHandler(ids::kCoordinates, [controller] { controller->openCoordinates(); });
  return *controller;
}

}  // namespace tikhomap
