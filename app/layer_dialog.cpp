#include "app/layer_dialog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>

#include "app/dialog_units.h"
#include "app/font_substitution.h"
#include "app/main_window.h"

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
  // The check boxes and OK are the dialog's only tab stops, in this order.
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
    // No tab stop: the keyboard never lands on a radio button by itself
    // and so never changes a choice unasked.
    button->setFocusPolicy(Qt::ClickFocus);
    button->setChecked(value == i);
    group[static_cast<size_t>(i)] = button;
  }
  for (FocusRadioButton* button : group) {
    connect(button, &FocusRadioButton::focused, this, [group, button] {
      for (FocusRadioButton* other : group) other->setChecked(other == button);
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

void runLayerDialog(MainWindow& main) {
  {
    LayerDialog dialog(main.session().layers, &main);
    dialog.exec();
  }
  main.requestRecompose();
}

}  // namespace tikhomap
