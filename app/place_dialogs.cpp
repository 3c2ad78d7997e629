#include "app/place_dialogs.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <algorithm>
#include <functional>

#include "app/dialog_units.h"
#include "app/search_list_box.h"
#include "app/shell.h"
#include "app/text_convert.h"
#include "mapdata/district_names.h"
#include "raster/font_substitution.h"
#include "resources/command_ids.h"
#include "search/name_matching.h"
#include "search/place_choice.h"
#include "session/map_session.h"

namespace tikhomap {
namespace {

QFont arial8() {
  QFont font(substituteFontFace("Arial"));
  font.setPointSize(8);
  return font;
}

// "Показать" (the default button) and "Отмена" at the given row. Either
// takes Enter while it has the focus.
void addButtons(QDialog& dialog, const QFont& font, int y, const std::function<void()>& show) {
  auto* ok = new QPushButton(QStringLiteral("Показать"), &dialog);
  ok->setObjectName(QString::number(ids::kIdOk));
  ok->setGeometry(dialogUnitsRect(font, 23, y, 43, 14));
  ok->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("Отмена"), &dialog);
  cancel->setObjectName(QString::number(ids::kIdCancel));
  cancel->setGeometry(dialogUnitsRect(font, 83, y, 43, 14));
  QObject::connect(ok, &QPushButton::clicked, &dialog, show);
  QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
}

QListWidget* nameList(QWidget& parent, const QString& name, const QRect& rect) {
  auto* list = new SearchListBox(&parent);
  list->setObjectName(name);
  list->setGeometry(rect);
  list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  return list;
}

}  // namespace

DistrictDialog::DistrictDialog(Shell& shell)
    : QDialog(&shell.shellWindow(), Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                        Qt::WindowCloseButtonHint),
      shell_(shell) {
  setObjectName(QString::number(kDistrictDialog));
  setWindowTitle(QStringLiteral("Районы города"));
  setWindowModality(Qt::ApplicationModal);
  const QFont font = arial8();
  setFont(font);
  list_ = nameList(*this, QString::number(kDistrictList), dialogUnitsRect(font, 7, 6, 135, 43));
  for (int district = 1; district <= kDistrictCount; ++district) {
    list_->addItem(fromUtf8(districtName(shell_.session().map, district)));
  }
  connect(list_, &QListWidget::itemDoubleClicked, this, [this] { showChosen(); });
  addButtons(*this, font, 55, [this] { showChosen(); });
  setFixedSize(dialogUnitsToPixels(font, 149, 75));
  list_->setFocus();
}

void DistrictDialog::showChosen() {
  const int row = list_->currentItem() != nullptr && list_->currentItem()->isSelected()
                      ? list_->currentRow()
                      : -1;
  if (row < 0) {
    shell_.beep();
    list_->setFocus();
    return;
  }
  accept();
  MapSession& s = shell_.session();
  // A district without a polygon closes the dialog and leaves the view.
  if (chooseDistrict(s.map, s.marking, s.history, row)) shell_.requestRecompose();
}

MicrodistrictDialog::MicrodistrictDialog(Shell& shell)
    : QDialog(&shell.shellWindow(), Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                        Qt::WindowCloseButtonHint),
      shell_(shell) {
  setObjectName(QString::number(kMicrodistrictDialog));
  setWindowTitle(QStringLiteral("Микрорайоны"));
  setWindowModality(Qt::ApplicationModal);
  const QFont font = arial8();
  setFont(font);
  // The combo box's 180 units hold the text field (12 units) and the list.
  text_ = new QLineEdit(this);
  text_->setObjectName(QString::number(kMicrodistrictCombo));
  text_->setGeometry(dialogUnitsRect(font, 7, 10, 133, 12));
  list_ = nameList(*this, QStringLiteral("%1.list").arg(kMicrodistrictCombo),
                   dialogUnitsRect(font, 7, 23, 133, 167));
  list_->setFocusPolicy(Qt::NoFocus);
  for (const Microdistrict& m : shell_.session().map.microdistricts) {
    list_->addItem(fromUtf8(m.name));
  }
  connect(text_, &QLineEdit::textChanged, this, &MicrodistrictDialog::typed);
  text_->installEventFilter(this);
  // A name chosen in the list is written into the text field.
  connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (syncing_ || row < 0) return;
    syncing_ = true;
    text_->setText(list_->item(row)->text());
    syncing_ = false;
  });
  connect(list_, &QListWidget::itemDoubleClicked, this, [this] { showChosen(); });
  addButtons(*this, font, 195, [this] { showChosen(); });
  setFixedSize(dialogUnitsToPixels(font, 149, 216));
  text_->setFocus();
}

void MicrodistrictDialog::typed(const QString& text) {
  if (syncing_) return;
  const int32_t row = findMicrodistrictRow(shell_.session().map, text.toStdString());
  syncing_ = true;
  if (row < 0) {
    list_->setCurrentRow(-1);
    list_->clearSelection();
  } else {
    list_->setCurrentRow(row);
    list_->scrollToItem(list_->item(row), QAbstractItemView::PositionAtTop);
  }
  syncing_ = false;
}

bool MicrodistrictDialog::eventFilter(QObject* watched, QEvent* event) {
  // As in a simple combo box, Up and Down in the text move the list's
  // selection (the first press selects the first row), and the chosen name
  // is written into the text, ready to be typed over.
  if (watched == text_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if ((key == Qt::Key_Up || key == Qt::Key_Down) && list_->count() > 0) {
      const QListWidgetItem* current = list_->currentItem();
      const int row = current == nullptr || !current->isSelected()
                          ? 0
                          : std::clamp(list_->currentRow() + (key == Qt::Key_Down ? 1 : -1), 0,
                                       list_->count() - 1);
      syncing_ = true;
      list_->setCurrentRow(row);
      list_->item(row)->setSelected(true);
      text_->setText(list_->item(row)->text());
      syncing_ = false;
      list_->scrollToItem(list_->item(row));
      text_->selectAll();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void MicrodistrictDialog::showChosen() {
  const int row = list_->currentItem() != nullptr && list_->currentItem()->isSelected()
                      ? list_->currentRow()
                      : -1;
  if (row < 0) {
    shell_.beep();
    text_->setFocus();
    return;
  }
  accept();
  MapSession& s = shell_.session();
  if (chooseMicrodistrict(s.map, s.marking, s.history, row)) shell_.requestRecompose();
}

void runDistrictChoice(Shell& shell) {
  DistrictDialog dialog(shell);
  dialog.exec();
}

void runMicrodistrictChoice(Shell& shell) {
  MicrodistrictDialog dialog(shell);
  dialog.exec();
}

}  // namespace tikhomap
