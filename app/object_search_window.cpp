#include "app/object_search_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "app/dialog_units.h"
#include "app/main_window.h"
#include "app/mouse_controller.h"
#include "app/search_list_box.h"
#include "app/text_convert.h"
#include "mapdata/district_names.h"
#include "mapdata/text_rules.h"
#include "raster/font_substitution.h"
#include "resources/command_ids.h"
#include "search/name_fold.h"
#include "search/name_matching.h"

namespace tikhomap {
namespace {

template <typename W>
W* control(QWidget& parent, int id, const QFont& font, int x, int y, int w, int h) {
  auto* widget = new W(&parent);
  if (id != 0) widget->setObjectName(QString::number(id));
  widget->setGeometry(dialogUnitsRect(font, x, y, w, h));
  return widget;
}

void label(QWidget& parent, const QFont& font, const QString& text, int x, int y, int w, int h) {
  control<QLabel>(parent, 0, font, x, y, w, h)->setText(text);
}

// The text of a combo box or field compared as the map compares names.
std::string folded(const QString& text) {
  return foldName(text.toStdString());
}

QComboBox* editableCombo(QWidget& parent, int id, const QFont& font, int x, int y, int w) {
  // The drop-down part opens below; the field is one line high.
  auto* combo = control<QComboBox>(parent, id, font, x, y, w, 13);
  combo->setEditable(true);
  combo->setInsertPolicy(QComboBox::NoInsert);
  combo->setMaxVisibleItems(12);
  return combo;
}

}  // namespace

ObjectSearchWindow::ObjectSearchWindow(Shell& shell, ObjectSearchMemory& memory,
                                       std::function<bool()> commandsRefused)
    : QDialog(&shell.shellWindow(), Qt::Tool | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                        Qt::WindowCloseButtonHint),
      shell_(shell),
      memory_(memory),
      commandsRefused_(std::move(commandsRefused)) {
  setObjectName(QString::number(kObjectSearchDialog));
  setWindowTitle(QStringLiteral("Поиск объектов с адресной привязкой"));
  setAttribute(Qt::WA_ShowWithoutActivating);
  QFont font(substituteFontFace("MS Sans Serif"));
  font.setPointSize(8);
  setFont(font);
  const MapData& map = shell_.session().map;

  label(*this, font, QStringLiteral("Название"), 5, 10, 40, 10);
  mode_ = control<QComboBox>(*this, kObjectNameMode, font, 45, 8, 68, 13);
  mode_->addItems({QStringLiteral("начинается с"), QStringLiteral("содержит")});
  mode_->setCurrentIndex(-1);
  name_ = control<QLineEdit>(*this, kObjectNameText, font, 122, 8, 116, 12);

  label(*this, font, QStringLiteral("по улице"), 5, 29, 40, 10);
  street_ = editableCombo(*this, kObjectStreetCombo, font, 45, 28, 151);
  for (const StreetName& s : map.streetNames) street_->addItem(fromUtf8(s.name));
  house_ = control<QLineEdit>(*this, kObjectHouseField, font, 209, 28, 29, 12);
  house_->setEnabled(false);

  label(*this, font, QStringLiteral("в районе"), 5, 48, 56, 13);
  district_ = editableCombo(*this, kObjectDistrictCombo, font, 67, 48, 171);
  for (int d = 1; d <= kDistrictCount; ++d) district_->addItem(fromUtf8(districtName(map, d)));

  label(*this, font, QStringLiteral("в микрорайоне"), 5, 70, 56, 13);
  micro_ = editableCombo(*this, kObjectMicroCombo, font, 67, 68, 171);
  for (const Microdistrict& m : map.microdistricts) micro_->addItem(fromUtf8(m.name));
  for (QComboBox* combo : {street_, district_, micro_}) {
    combo->setCurrentIndex(-1);
    combo->clearEditText();
  }
  trackCombo(street_, streetRow_);
  trackCombo(district_, districtRow_);
  trackCombo(micro_, microRow_);

  label(*this, font, QStringLiteral("Поиск выполнять в теме"), 5, 86, 217, 8);
  themes_ = control<SearchListBox>(*this, kObjectThemeList, font, 4, 98, 234, 63);
  themeLines_ = themeLines(map);
  for (const ThemeLine& line : themeLines_) themes_->addItem(fromUtf8(line.text));

  list_ = control<QPushButton>(*this, ids::kIdOk, font, 23, 169, 55, 15);
  list_->setText(QStringLiteral("Список"));
  // "Список" takes Enter, unless another push button has the focus: then
  // that one does.
  list_->setDefault(true);
  auto* clear = control<QPushButton>(*this, kObjectClearButton, font, 93, 169, 55, 15);
  clear->setText(QStringLiteral("Очистить"));
  auto* cancelButton = control<QPushButton>(*this, ids::kIdCancel, font, 163, 169, 55, 15);
  cancelButton->setText(QStringLiteral("Отмена"));
  count_ = control<QLabel>(*this, kObjectCountText, font, 13, 191, 62, 10);
  count_->setText(QStringLiteral("Всего:"));
  closeOnShow_ = control<QCheckBox>(*this, kObjectCloseOnShow, font, 92, 191, 144, 10);
  closeOnShow_->setText(QStringLiteral("Закрывать окно при выходе на карту"));
  closeOnShow_->setChecked(memory_.closeOnShow);
  results_ = control<SearchListBox>(*this, kObjectResultList, font, 4, 206, 234, 77);
  results_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  results_->setSortingEnabled(true);
  show_ = control<QPushButton>(*this, kObjectShowButton, font, 87, 289, 67, 15);
  show_->setText(QStringLiteral("На карте"));
  show_->setEnabled(false);
  setFixedSize(dialogUnitsToPixels(font, 242, 311));

  connect(list_, &QPushButton::clicked, this, [this] {
    if (!refused()) runSearch();
  });
  connect(themes_, &QListWidget::itemDoubleClicked, this, [this] {
    if (!refused()) runSearch();
  });
  connect(clear, &QPushButton::clicked, this, [this] {
    if (!refused()) clearAll();
  });
  connect(cancelButton, &QPushButton::clicked, this, [this] { cancel(); });
  connect(show_, &QPushButton::clicked, this, [this] {
    if (!refused()) showSelected();
  });
  connect(results_, &QListWidget::itemDoubleClicked, this, [this] {
    if (!refused()) showSelected();
  });
  connect(results_, &QListWidget::itemSelectionChanged, this, [this] { showAddress(); });
  connect(closeOnShow_, &QCheckBox::toggled, this, [this](bool on) { memory_.closeOnShow = on; });

  // Results of an earlier search shown on the map are still there.
  if (shell_.session().marking.objectResultCount != 0) fillResults();
  list_->setFocus();
}

void ObjectSearchWindow::trackCombo(QComboBox* combo, int& row) {
  // A name picked from the list selects its row; typed text selects the
  // row whose name it equals, ignoring case, and otherwise none. Nothing
  // typed is ever added to the list.
  connect(combo, &QComboBox::activated, this, [&row](int index) { row = index; });
  connect(combo, &QComboBox::editTextChanged, this, [this, combo, &row](const QString& text) {
    if (settingText_) return;
    row = -1;
    const std::string typed = folded(text);
    if (typed.empty()) return;
    for (int i = 0; i < combo->count(); ++i) {
      if (folded(combo->itemText(i)) == typed) {
        row = i;
        return;
      }
    }
  });
}

bool ObjectSearchWindow::refused() {
  if (commandsRefused_ && commandsRefused_()) {
    shell_.beep();
    return true;
  }
  return false;
}

void ObjectSearchWindow::runSearch() {
  ObjectCriteria criteria;
  criteria.nameMode = mode_->currentIndex();
  criteria.nameText = name_->text().toStdString();
  criteria.streetRow = streetRow_;
  criteria.districtRow = districtRow_;
  criteria.microRow = microRow_;
  const QListWidgetItem* theme = themes_->currentItem();
  const int themeRow = theme != nullptr && theme->isSelected() ? themes_->row(theme) : -1;
  criteria.themeNode = themeRow >= 0 && themeRow < static_cast<int>(themeLines_.size())
                           ? themeLines_[themeRow].node
                           : -1;
  memory_.selectedTheme = criteria.themeNode;

  MapSession& s = shell_.session();
  const ObjectSearchOutcome out = runObjectSearch(s.map, s.marking, s.history, s.view, criteria,
                                                  closeOnShow_->isChecked(), &s.addressIndex);
  if (out.beep) {
    results_->clear();
    show_->setEnabled(false);
    shell_.beep();
    list_->setFocus();
    return;
  }
  shell_.requestRecompose();  // the street mark, the flash, perhaps the view
  if (out.closeWindow) {
    finish();
    return;
  }
  fillResults();
  count_->setText(QString::fromStdString(objectCountText(out.count)));
  show_->setFocus();
}

void ObjectSearchWindow::fillResults() {
  const MapData& map = shell_.session().map;
  results_->clear();
  for (const int32_t row : foundObjects(map)) {
    auto* item = new QListWidgetItem(fromUtf8(map.userObjects[static_cast<size_t>(row)].name));
    item->setData(Qt::UserRole, row);
    results_->addItem(item);
  }
  show_->setEnabled(results_->count() > 0);
}

void ObjectSearchWindow::clearAll() {
  results_->clear();
  name_->clear();
  house_->clear();
  house_->setEnabled(false);
  show_->setEnabled(false);
  mode_->setCurrentIndex(-1);
  for (QComboBox* combo : {street_, district_, micro_}) {
    combo->setCurrentIndex(-1);
    combo->clearEditText();
  }
  streetRow_ = districtRow_ = microRow_ = -1;
  themes_->clearSelection();
  themes_->setCurrentRow(-1);
  memory_.selectedTheme = -1;
  MapSession& s = shell_.session();
  discardResults(s.map, s.marking);
  count_->clear();
  list_->setFocus();
}

void ObjectSearchWindow::showSelected() {
  std::vector<int32_t> objects;
  for (int i = 0; i < results_->count(); ++i) {
    const QListWidgetItem* item = results_->item(i);
    if (item->isSelected()) objects.push_back(item->data(Qt::UserRole).toInt());
  }
  MapSession& s = shell_.session();
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const ObjectSearchOutcome out =
      showObjectResults(s.map, s.marking, s.history, s.view, objects, &s.addressIndex);
  QApplication::restoreOverrideCursor();
  if (out.beep) {
    shell_.beep();
    results_->setFocus();
    return;
  }
  shell_.requestRecompose();
  if (closeOnShow_->isChecked()) finish();  // the results stay marked
}

void ObjectSearchWindow::setComboText(QComboBox* combo, const QString& text) {
  settingText_ = true;
  combo->setEditText(text);
  settingText_ = false;
}

void ObjectSearchWindow::showAddress() {
  const QListWidgetItem* item = results_->currentItem();
  if (item == nullptr || !item->isSelected()) return;
  const ObjectAddress a = objectAddress(shell_.session().map, item->data(Qt::UserRole).toInt());
  if (!a.found) {
    shell_.beep();
    results_->setFocus();
    return;
  }
  house_->setEnabled(true);
  house_->setText(fromUtf8(a.house));
  setComboText(street_, fromUtf8(a.street));
  setComboText(district_, fromUtf8(a.district));
  setComboText(micro_, fromUtf8(a.microdistrict));
}

void ObjectSearchWindow::cancel() {
  if (finished_) return;
  MapSession& s = shell_.session();
  discardResults(s.map, s.marking);
  finish();
}

void ObjectSearchWindow::finish() {
  if (finished_) return;
  finished_ = true;
  hide();
  emit finished();
}

void ObjectSearchWindow::closeEvent(QCloseEvent* event) {
  cancel();
  event->accept();
}

void installObjectSearch(MainWindow& main) {
  struct State : QObject {
    using QObject::QObject;
    ObjectSearchMemory memory;
    QPointer<ObjectSearchWindow> window;
  };
  auto* state = new State(&main);
  MainWindow* w = &main;
  const auto refused = [w] {
    const auto* mouse = w->findChild<MouseController*>();
    return mouse != nullptr && mouse->infoDialogOpen();
  };
  const auto closeWindow = [state] {
    if (state->window == nullptr) return;
    state->window->cancel();
    delete state->window.data();
  };
  main.setCommandHandler(ids::kObjectSearch, [w, state, refused, closeWindow] {
    // The old window goes, with what "Отмена" does, before the new one
    // fills its lists.
    closeWindow();
    auto* window = new ObjectSearchWindow(*w, state->memory, refused);
    state->window = window;
    QObject::connect(window, &ObjectSearchWindow::finished, window, &QObject::deleteLater);
    const QWidget& map = w->mapWidget();
    window->move(map.mapToGlobal(QPoint(std::max(0, map.width() - window->width() - 24), 24)));
    window->show();
  });
  // Home: the window closes and no theme stays selected.
  QObject::connect(&main, &MainWindow::titleSheetRequested, state, [state, closeWindow] {
    closeWindow();
    state->memory.selectedTheme = -1;
  });
  if (auto* mouse = main.findChild<MouseController*>()) {
    mouse->setThemeSelected([state] { return state->memory.selectedTheme >= 0; });
  }
}

}  // namespace tikhomap
