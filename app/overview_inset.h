// The overview inset: while the overview key is held, a picture of the
// whole city stands in the map's upper left corner with the shown view
// marked on it. The picture is drawn from the loaded city, so any city has
// its own. The inset is an overlay: releasing a key removes it and the
// frame is shown as it was.
#pragma once

#include <QImage>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QSize>

#include "app/map_widget.h"
#include "mapdata/map_data.h"

class QKeyEvent;
class QPainter;

namespace tikhomap {

class MainWindow;
class Shell;
class MouseController;
struct StyleSet;

// The key that shows the overview is the one right of the full stop on a US
// keyboard ("/"), wherever the layout puts a character on it: it is known by
// its place on the keyboard (the platform's key code), not by what it types.
// Events without native codes (synthesised ones) are matched by the "/" of
// the main keyboard.
bool isOverviewKey(const QKeyEvent& event);

// Where the shown window lies on the picture, in map-widget pixels: the
// picture's horizontal span starts 400 m east of the city's west edge, its
// vertical span is the whole city; the picture stands 14 pixels from the
// corner.
struct OverviewMarks {
  int west = 0;
  int east = 0;
  int north = 0;
  int south = 0;
  // Narrow rectangles get a pointer beside them, with its corner here.
  bool pointer = false;
  QPoint pointerAt;
};
OverviewMarks overviewMarks(const MapBounds& city, const MapBounds& visible, QSize picture);

// The picture's size for a city: 240 pixels high, as wide as the city's
// shape asks, within 80 to 480 pixels.
QSize overviewPictureSize(const MapBounds& city);
// The whole city as the inset shows it: sea, land, green areas, water,
// streets and district borders, size × pixelRatio device pixels.
QImage renderOverviewPicture(const MapData& map, const MapBounds& city, QSize size,
                             qreal pixelRatio);

class OverviewInset final : public QObject {
  Q_OBJECT
 public:
  explicit OverviewInset(Shell& shell);
  ~OverviewInset() override;

  bool shown() const { return shown_; }
  void show();
  // Removes the inset; false when none was shown.
  bool close();
  const QImage& picture() const { return picture_; }
  OverviewMarks marks() const;
  // Renders the picture of the loaded city anew.
  void preparePicture();

 private:
  void draw(QPainter& painter);

  Shell& shell_;
  QPointer<MapWidget> map_;
  int overlayId_ = 0;
  bool shown_ = false;
  QImage picture_;
};

// Makes the inset for the main window: the overview key shows it, every key
// release removes it.
OverviewInset& installOverviewInset(MainWindow& main, MouseController& mouse);

}  // namespace tikhomap
