// The building information of a plain press on the map: the modal dialogs
// "Справка" (153 with the objects at the address, 223 without) and the small
// label that names a street or a district next to the pointer.
#pragma once

#include <QDialog>
#include <QPoint>
#include <QString>
#include <memory>

#include "tools/building_info.h"

class QPainter;

namespace tikhomap {

inline constexpr int kInfoDistrictControl = 120;
inline constexpr int kInfoKindControl = 123;
inline constexpr int kInfoDescriptionControl = 1015;
inline constexpr int kInfoObjectList = 1105;
inline constexpr int kInfoCloseButton = 8;

// Dialog 153 or 223 filled with the texts; any command closes it.
std::unique_ptr<QDialog> makeBuildingInfoDialog(const BuildingInfoTexts& texts, QWidget* parent);

// The label shown while the button is held: red text on the background
// colour at the label's corner.
struct InfoLabelOverlay {
  bool shown = false;
  InfoLabelBox box;
  QString text;
  LabelColour background;
};
void drawInfoLabel(QPainter& painter, const InfoLabelOverlay& label);

}  // namespace tikhomap
