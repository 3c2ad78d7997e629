// "Состав схемы" (dialog 271): which buildings and house numbers are drawn,
// the street-label choice, coloured houses, shadows and district borders.
// Every way out of the dialog (OK, Esc, the close box) stores the choices.
#pragma once

#include <QDialog>
#include <QRadioButton>
#include <array>

#include "render/frame_state.h"

class QCheckBox;
class QPushButton;

namespace tikhomap {

class Shell;

inline constexpr int kLayerDialogId = 271;
// The three buttons "нет", "все", "отбор" of each group.
inline constexpr std::array<int, 3> kStreetLabelButtons{1162, 1163, 1164};
inline constexpr std::array<int, 3> kBuildingButtons{1159, 1160, 1161};
inline constexpr std::array<int, 3> kHouseNumberButtons{1165, 1166, 1167};
inline constexpr int kColouredHousesBox = 1252;
inline constexpr int kShadowsBox = 1253;
inline constexpr int kDistrictBordersBox = 1254;

// A radio button that never checks itself: it reports the focus it gets,
// and its group checks it then. A click gives it the focus; so do the arrow
// keys on a button of its group, which it reports as a step.
class FocusRadioButton final : public QRadioButton {
  Q_OBJECT
 public:
  using QRadioButton::QRadioButton;

 signals:
  void focused();
  void stepped(int direction);  // -1 Up or Left, +1 Down or Right

 protected:
  void focusInEvent(QFocusEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void nextCheckState() override {}
};

class LayerDialog final : public QDialog {
  Q_OBJECT
 public:
  LayerDialog(LayerChoices& choices, QWidget* parent);

  // Stores the choices shown, whatever the answer.
  void done(int result) override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  using Group = std::array<FocusRadioButton*, 3>;
  Group addGroup(const char8_t* title, int y, const std::array<int, 3>& ids, int16_t value);
  QCheckBox* addBox(int id, const char8_t* text, int x, int y, int w, int h, int16_t value);
  static int16_t groupValue(const Group& group);

  LayerChoices& choices_;
  Group streetLabels_{};
  Group buildings_{};
  Group houseNumbers_{};
  QCheckBox* coloured_ = nullptr;
  QCheckBox* shadows_ = nullptr;
  QCheckBox* borders_ = nullptr;
  QPushButton* ok_ = nullptr;
};

// Runs the dialog modally over the main window, then the frame is composed
// anew with the stored choices.
void runLayerDialog(Shell& shell);

}  // namespace tikhomap
