// The mouse side of the main window: Shift-drag pans, Ctrl-drag zooms to a
// rectangle, the palette's zoom-out, zoom-rectangle and pan tools, the
// building information press, the street name of a right click, and the
// pointer feedback of the measurement and coordinates windows, the middle
// button's pan, the wheel and the pinch. The zoom rectangle, the information
// label and the street name are overlays over the copied frame. A pan moves
// the last frame with the pointer once it has gone more than 5 pixels (the
// overlays drawn at map positions move with it) and composes the new frame
// when the button comes up.
#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <array>
#include <functional>
#include <optional>
#include <vector>

#include "app/building_info_dialog.h"
#include "app/coordinates_window.h"
#include "app/map_wheel.h"
#include "app/map_widget.h"
#include "app/measure_tool.h"
#include "app/mouse_cursors.h"
#include "app/mouse_handler.h"

class QPainter;

namespace tikhomap {

class MainWindow;
class Shell;

// toolMode: 0 palette closed, 1 zoom out by a click, 2 zoom rectangle,
// 3 pan, 4 arrow.
inline constexpr int kToolClosed = 0;
inline constexpr int kToolZoomOut = 1;
inline constexpr int kToolZoomRect = 2;
inline constexpr int kToolPan = 3;
inline constexpr int kToolArrow = 4;

// What a press and a drag on the map do now.
enum MouseState { kStateIdle, kStateZoomRect, kStatePan, kStateMeasuring };

class MouseController final : public QObject, public MouseHandler {
  Q_OBJECT
 public:
  explicit MouseController(Shell& shell);
  ~MouseController() override;

  bool mousePress(QMouseEvent& event) override;
  bool mouseMove(QMouseEvent& event) override;
  bool mouseRelease(QMouseEvent& event) override;
  // The second press of a double click is dropped: the map answers single
  // presses and every release, nothing else.
  bool mouseDoubleClick(QMouseEvent&) override { return true; }
  // The wheel and the pinch zoom about the pointer (see MapWheel), except
  // during a drag, left of the title sheet's split and under a modal window.
  bool wheel(QWheelEvent& event) override;
  bool nativeGesture(QNativeGestureEvent& event) override;
  MapWheel& mapWheel() { return wheel_; }
  bool keyPress(QKeyEvent& event) override;
  bool keyRelease(QKeyEvent& event) override;

  int toolMode() const { return toolMode_; }
  // Set by the tools palette; 0 when the palette closes.
  void setToolMode(int mode);
  MouseState interactionState() const { return interactionState_; }
  bool dragArmed() const { return dragArmed_; }
  bool mouseCaptured() const { return captured_; }
  // The button of the drag under way: left, or middle for the middle pan.
  Qt::MouseButton dragButton() const { return dragButton_; }
  const std::array<QPoint, 5>& rubberPoints() const { return rubber_; }
  MapCursor cursorShape() const { return cursor_; }

  // "Измерения" (along streets or not) and "Координаты": false when the
  // command does not apply now.
  bool openMeasurement(bool alongStreets);
  bool openCoordinates();
  void closeCoordinates();
  MeasureTool& measure() { return measure_; }
  CoordinatesWindow* coordinatesWindow() const { return coordinates_; }

  // A modal window or a popup takes the mouse away from the map: the release
  // of the press will not come here. What the press showed goes (the
  // information label), and a drag ends without changing the view.
  void cancelPress();

  bool infoDialogOpen() const { return infoDialogOpen_; }
  const InfoLabelOverlay& infoLabel() const { return infoLabel_; }
  // Street names asked for by right clicks, written at the next paint.
  int streetNamesRequested() const { return streetNamesRequested_; }
  int streetNamesWritten() const { return streetNamesWritten_; }

  // Replaceable hooks: how the building information dialog is run (the
  // default runs it modally); whether a theme is selected in the object
  // search; removing the overview inset on a key release (answers whether it
  // was shown). The beep is the main window's.
  void setInfoDialogRunner(std::function<void(const BuildingInfoTexts&)> runner) {
    infoDialogRunner_ = std::move(runner);
  }
  void setThemeSelected(std::function<bool()> selected) { themeSelected_ = std::move(selected); }
  void setOverviewCloser(std::function<bool()> closer) { overviewCloser_ = std::move(closer); }

 protected:
  // The main window blocked by a modal window cancels the press.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void drawOverlays(QPainter& painter);
  void afterPaint();
  void overlayUpdate();
  // A zoom rectangle or a pan is being dragged.
  bool dragInProgress() const {
    return dragArmed_ && (interactionState_ == kStateZoomRect || interactionState_ == kStatePan);
  }
  void setCursorShape(MapCursor shape);
  void setToolCursor();
  void startDrag(QMouseEvent& event, QPoint at);
  void startMiddlePan(QPoint at);
  // The rectangle a pan released here asks for; nothing for a move of 5
  // pixels or less both ways.
  std::optional<MapBounds> pannedView(QPoint at) const;
  void endDragAndRecompose();
  bool zoomOutAt(QPoint at);
  void zoomToRubberRectangle();
  void panTo(QPoint at);
  // The shift of the frame a pan released at this point shows, in pixels.
  QPoint panOffset(QPoint at) const;
  bool wheelAllowed(QPoint at) const;
  void showBuildingInfo(QPoint at);
  void openBuildingInfo(int32_t building);
  bool restoreInfoLabel();
  void showStreetNameAt(QPoint at);
  void beep();

  Shell& shell_;
  QPointer<MapWidget> map_;
  MeasureTool measure_;
  QPointer<CoordinatesWindow> coordinates_;
  int overlayId_ = 0;

  int toolMode_ = kToolArrow;
  MouseState interactionState_ = kStateIdle;
  bool dragArmed_ = false;
  bool captured_ = false;
  // The button that drags the pan or the rectangle: the left one, or the
  // middle one, which pans with any tool.
  Qt::MouseButton dragButton_ = Qt::LeftButton;
  MapWheel wheel_;
  std::array<QPoint, 5> rubber_{};
  MapCursor cursor_ = MapCursor::Arrow;
  bool overlayOnly_ = false;  // the pending paint only redraws overlays

  InfoLabelOverlay infoLabel_;
  bool infoDialogOpen_ = false;
  std::vector<QPoint> streetNames_;
  int streetNamesRequested_ = 0;
  int streetNamesWritten_ = 0;

  std::function<void(const BuildingInfoTexts&)> infoDialogRunner_;
  std::function<bool()> themeSelected_;
  std::function<bool()> overviewCloser_;
};

// Creates the controller for the main window, makes it the map's mouse
// handler and connects the commands "Измерения" (32815), "Измерения (по
// улицам)" (32828) and "Координаты" (32829). The window owns it.
MouseController& installMouseController(MainWindow& main);

}  // namespace tikhomap
