#include "app/layer_dialog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QPushButton>

#include "app/dialog_units.h"
#include "app/shell.h"
#include "raster/font_substitution.h"
#include "session/map_session.h"

namespace tikhomap {
namespace {

constexpr int kStaticId = 65535;

QString fromU8(const char8_t* text) {
  return QString::fromUtf8(reinterpret_cast<const char*>(text));
}

}  // namespace

void FocusRadioButton::focusInEvent(QFocusEvent* event) {
  QRadioButton::focusInEvent(event);
  emit focused();
}

void FocusRadioButton::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Left:
      emit stepped(-1);
      return;
    case Qt::Key_Down:
    case Qt::Key_Right:
      emit stepped(1);
      return;
    default:
      QRadioButton::keyPressEvent(event);
  }
}

LayerDialog::LayerDialog(LayerChoices& choices, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      choices_(choices) {
  setObjectName(QString::number(kLayerDialogId));
  setWindowTitle(QStringLiteral("Состав схемы"));
  QFont font(substituteFontFace("MS Sans Serif"));
  font.setPointSize(8);
  setFont(font);

  streetLabels_ = addGroup(u8"Подписи улиц", 3, kStreetLabelButtons, choices.streetLabelChoice);
  buildings_ = addGroup(u8"Здания и сооружения", 31, kBuildingButtons, choices.buildingChoice);
  houseNumbers_ = addGroup(u8"Номера домов", 60, kHouseNumberButtons, choices.houseNumberChoice);
  // The tab stops, in this order: the checked button of each group, the
  // check boxes and OK.
  coloured_ = addBox(kColouredHousesBox, u8"цветные дома", 19, 91, 66, 10, choices.colouredHouses);
  shadows_ = addBox(kShadowsBox, u8"показывать тени", 19, 104, 75, 9, choices.showShadows);
  borders_ =
      addBox(kDistrictBordersBox, u8"границы районов", 19, 116, 75, 9, choices.showDistrictBorders);
  ok_ = new QPushButton(QStringLiteral("OK"), this);
  ok_->setObjectName(QString::number(1));
  ok_->setGeometry(dialogUnitsRect(font, 107, 101, 50, 14));
  ok_->setDefault(true);
  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);

  setFixedSize(dialogUnitsToPixels(font, 175, 138));
}

LayerDialog::Group LayerDialog::addGroup(const char8_t* title, int y, const std::array<int, 3>& ids,
                                         int16_t value) {
  auto* box = new QGroupBox(fromU8(title), this);
  box->setObjectName(QString::number(kStaticId));
  box->setGeometry(dialogUnitsRect(font(), 7, y, 161, 25));
  box->setFocusPolicy(Qt::NoFocus);

  constexpr int kX[3] = {25, 76, 119};
  constexpr int kWidth[3] = {40, 35, 40};
  const char8_t* const kTexts[3] = {u8"нет", u8"все", u8"отбор"};
  Group group{};
  for (int i = 0; i < 3; ++i) {
    auto* button = new FocusRadioButton(fromU8(kTexts[i]), this);
    button->setObjectName(QString::number(ids[static_cast<size_t>(i)]));
    button->setGeometry(dialogUnitsRect(font(), kX[i], y + 10, kWidth[i], 10));
    // Within a group the buttons exclude each other only through the focus
    // rule below; Qt's own exclusivity would check a button on its own.
    button->setAutoExclusive(false);
    button->setChecked(value == i);
    group[static_cast<size_t>(i)] = button;
  }
  // Only the checked button of a group is a tab stop, so Tab reaches the
  // group without changing its choice; the arrow keys move the focus, and
  // with it the choice, within the group.
  const auto setTabStops = [group] {
    for (FocusRadioButton* b : group) {
      b->setFocusPolicy(b->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
    }
  };
  setTabStops();
  constexpr int kButtons = static_cast<int>(std::tuple_size_v<Group>);
  for (int i = 0; i < kButtons; ++i) {
    FocusRadioButton* button = group[static_cast<size_t>(i)];
    connect(button, &FocusRadioButton::focused, this, [group, button, setTabStops] {
      for (FocusRadioButton* other : group) other->setChecked(other == button);
      setTabStops();
    });
    connect(button, &FocusRadioButton::stepped, this, [group, i](int direction) {
      const int next = (i + direction + kButtons) % kButtons;
      group[static_cast<size_t>(next)]->setFocus(Qt::OtherFocusReason);
    });
  }
  return group;
}

QCheckBox* LayerDialog::addBox(int id, const char8_t* text, int x, int y, int w, int h,
                               int16_t value) {
  auto* box = new QCheckBox(fromU8(text), this);
  box->setObjectName(QString::number(id));
  box->setGeometry(dialogUnitsRect(font(), x, y, w, h));
  box->setFocusPolicy(Qt::StrongFocus);
  box->setChecked(value == 1);
  return box;
}

int16_t LayerDialog::groupValue(const Group& group) {
  if (group[0]->isChecked()) return 0;
  if (group[1]->isChecked()) return 1;
  return 2;
}

void LayerDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  ok_->setFocus(Qt::OtherFocusReason);
}

void LayerDialog::done(int result) {
  choices_.streetLabelChoice = groupValue(streetLabels_);
  choices_.buildingChoice = groupValue(buildings_);
  choices_.houseNumberChoice = groupValue(houseNumbers_);
  choices_.colouredHouses = coloured_->isChecked() ? 1 : 0;
  choices_.showShadows = shadows_->isChecked() ? 1 : 0;
  choices_.showDistrictBorders = borders_->isChecked() ? 1 : 0;
  QDialog::done(result);
}

void runLayerDialog(Shell& shell) {
  {
    LayerDialog dialog(shell.session().layers, &shell.shellWindow());
    dialog.exec();
  }
  shell.requestRecompose();
}

}  // namespace tikhomap
