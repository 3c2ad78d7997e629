// The map area of the main window: it owns the frame image, shows it with one
// copy, and draws the overlays (marks, flashes, rubber figures) over it. What
// goes into the frame is decided by its host, the main window.
#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>
#include <functional>
#include <vector>

namespace tikhomap {

class MouseHandler;

// Draws over the copied frame; an overlay with nothing to show draws nothing.
using OverlayDrawer = std::function<void(QPainter&)>;

// An overlay drawn at map positions moves with the frame while the map is
// dragged; one drawn at a place of the window (the overview inset) stays.
enum class OverlayAnchor { Map, Window };

class MapWidgetHost {
 public:
  virtual ~MapWidgetHost() = default;
  // At the start of every paint, before the frame is copied.
  virtual void prepareFrame(QImage& frame) = 0;
  // After the frame and the overlays are on the window.
  virtual void finishPaint() = 0;
  // The frame was made anew at another size; its content is blank.
  virtual void frameRemade() = 0;
  virtual void keyPressed(QKeyEvent& event) = 0;
  virtual void keyReleased(QKeyEvent& event) = 0;
};

class MapWidget final : public QWidget {
  Q_OBJECT
 public:
  explicit MapWidget(MapWidgetHost& host, QWidget* parent = nullptr);

  // The frame at the device's resolution; its device-independent size is
  // the widget's.
  QImage& frame() { return frame_; }
  const QImage& frame() const { return frame_; }

  // Overlays are drawn in the order they were added; the id removes one.
  int addOverlay(OverlayDrawer draw, OverlayAnchor anchor = OverlayAnchor::Map);
  void removeOverlay(int id);

  void setMouseHandler(MouseHandler* handler) { mouseHandler_ = handler; }
  MouseHandler* mouseHandler() const { return mouseHandler_; }

  int paintCount() const { return paintCount_; }

  // While the map is dragged the last frame is shown moved by this many
  // pixels, the uncovered edges in the given colour; (0, 0) shows it in
  // place.
  void setFrameOffset(QPoint offset, QColor uncovered = QColor());
  QPoint frameOffset() const { return frameOffset_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  bool focusNextPrevChild(bool) override { return false; }

 private:
  bool frameFits() const;
  struct Overlay {
    int id;
    OverlayDrawer draw;
    OverlayAnchor anchor;
  };

  MapWidgetHost& host_;
  QImage frame_;
  std::vector<Overlay> overlays_;
  int nextOverlayId_ = 1;
  MouseHandler* mouseHandler_ = nullptr;
  int paintCount_ = 0;
  QPoint frameOffset_;
  QColor uncovered_;
};

}  // namespace tikhomap
