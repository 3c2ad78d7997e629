// What the program remembers between runs, in the user's settings file of
// the platform (organisation and application "tikhomap": on Linux
// ~/.config/tikhomap/tikhomap.ini, shared with the print settings): the
// window's place and state, the view mode, the layer choices, whether the
// tools palette is open, and the map folders opened, most recent first, each
// with its last view. A folder is a value in a list, never a key (a "/" in a
// key would open a group). Anything damaged or foreign reads as not
// remembered: the built-in values hold.
#pragma once

#include <QByteArray>
#include <QSettings>
#include <QString>
#include <optional>
#include <vector>

#include "mapdata/records.h"
#include "render/frame_state.h"

namespace tikhomap {

inline constexpr int kRememberedMaps = 10;

// The program's settings file.
QSettings programSettings();

struct RememberedMap {
  QString folder;                 // absolute path
  std::optional<MapBounds> view;  // the last view asked for there
};

struct Remembered {
  QByteArray geometry;  // QWidget::saveGeometry
  QByteArray state;     // QMainWindow::saveState
  std::optional<int> viewMode;
  std::optional<LayerChoices> layers;
  std::optional<bool> paletteOpen;
  std::vector<RememberedMap> maps;  // most recent first
};

Remembered readRemembered(QSettings& settings);
void writeRemembered(QSettings& settings, const Remembered& remembered);

// Puts the folder first in the list, with its view when one is given (the
// view remembered before stays otherwise); the list keeps kRememberedMaps.
void rememberMap(Remembered& remembered, const QString& folder,
                 std::optional<MapBounds> view = std::nullopt);
const RememberedMap* findRememberedMap(const Remembered& remembered, const QString& folder);

}  // namespace tikhomap
