// The tool window "Координаты" (dialog 256): the latitude and longitude of
// the map point under the pointer. It floats over the main window, is shown
// without taking the activation, and its fields never keep the focus.
#pragma once

#include <QDialog>
#include <functional>

#include "mapdata/map_data.h"

class QLineEdit;

namespace tikhomap {

inline constexpr int kCoordinatesDialog = 256;
inline constexpr int kLatitudeField = 1158;
inline constexpr int kLongitudeField = 1159;

class CoordinatesWindow final : public QDialog {
  Q_OBJECT
 public:
  // owner: the main window's map area; the window is placed at (20, 20)
  // dialog units from its top left corner.
  explicit CoordinatesWindow(QWidget* owner);

  // The pointer is over the map point (x northing, y easting).
  void showMapPoint(float x, float y);
  // By the grid of the loaded map's city description when it has one.
  void showMapPoint(const MapData& map, float x, float y);
  QString latitudeText() const;
  QString longitudeText() const;

 signals:
  // The close box, Enter or Esc: the owner destroys the window.
  void closeRequested();

 protected:
  void done(int result) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  QLineEdit* latitude_;
  QLineEdit* longitude_;
};

}  // namespace tikhomap
