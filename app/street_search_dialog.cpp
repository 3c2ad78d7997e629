#include "app/street_search_dialog.h"

#include <QCheckBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

#include "app/dialog_units.h"
#include "app/map_widget.h"
#include "app/shell.h"
#include "app/text_convert.h"
#include "raster/font_substitution.h"
#include "resources/command_ids.h"
#include "session/map_session.h"

namespace tikhomap {
namespace {

QFont dialogFont(std::string_view face) {
  QFont font(substituteFontFace(face));
  font.setPointSize(8);
  return font;
}

template <typename W>
W* control(QWidget& parent, int id, const QFont& font, int x, int y, int w, int h) {
  auto* widget = new W(&parent);
  widget->setObjectName(QString::number(id));
  widget->setGeometry(dialogUnitsRect(font, x, y, w, h));
  return widget;
}

// The system moves the focus back into a window that is activated again.
bool returningFocus(const QEvent* event) {
  const auto reason = static_cast<const QFocusEvent*>(event)->reason();
  return reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason;
}

}  // namespace

ChosenListWindow::ChosenListWindow(QWidget* owner, QPoint topLeftGlobal)
    : QDialog(owner, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
  setObjectName(QString::number(kChosenListDialog));
  setWindowTitle(QStringLiteral("Выбраны для просмотра"));
  // It never takes the activation, not even when clicked: the typing stays
  // in the search dialog.
  setAttribute(Qt::WA_ShowWithoutActivating);
  setWindowFlag(Qt::WindowDoesNotAcceptFocus);
  const QFont font = dialogFont("Arial");
  setFont(font);
  list_ = control<QListWidget>(*this, kChosenListBox, font, 10, 10, 105, 130);
  list_->setFocusPolicy(Qt::NoFocus);
  connect(list_, &QListWidget::itemDoubleClicked, this,
          [this](QListWidgetItem* item) { emit lineDoubleClicked(list_->row(item)); });
  setFixedSize(dialogUnitsToPixels(font, 124, 151));
  move(topLeftGlobal);
}

void ChosenListWindow::setLines(const std::vector<std::string>& lines) {
  list_->clear();
  for (const std::string& line : lines) list_->addItem(QString::fromStdString(line));
}

StreetSearchDialog::StreetSearchDialog(Shell& shell)
    : QDialog(&shell.shellWindow(), Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      shell_(shell) {
  setObjectName(QString::number(kStreetSearchDialog));
  setWindowTitle(QStringLiteral("Где эта улица, где этот дом"));
  setWindowModality(Qt::ApplicationModal);
  const QFont font = dialogFont("MS Sans Serif");
  setFont(font);

  streetText_ = control<QLineEdit>(*this, kStreetTextField, font, 6, 6, 130, 12);
  streetList_ = control<SearchListBox>(*this, kStreetListBox, font, 6, 19, 130, 105);
  houseText_ = control<QLineEdit>(*this, kHouseTextField, font, 145, 6, 120, 12);
  houseList_ = control<SearchListBox>(*this, kHouseListBox, font, 145, 19, 120, 105);
  listMode_ = control<QCheckBox>(*this, kListModeBox, font, 20, 130, 85, 15);
  listMode_->setText(QStringLiteral("Формировать список"));
  show_ = control<QPushButton>(*this, kShowButton, font, 120, 130, 50, 14);
  show_->setText(QStringLiteral("Показать"));
  cancel_ = control<QPushButton>(*this, ids::kIdCancel, font, 195, 130, 50, 14);
  cancel_->setText(QStringLiteral("Отмена"));
  // No default button: Enter is a command of its own. The box and the
  // buttons are no tab stops; the box never keeps the focus.
  for (QPushButton* button : {show_, cancel_}) {
    button->setAutoDefault(false);
    button->setDefault(false);
    button->setFocusPolicy(Qt::ClickFocus);
  }
  listMode_->setFocusPolicy(Qt::NoFocus);
  // The lists are no tab stops either: Tab goes from the street text to the
  // house text, and a list reached by Tab would clear the typed street.
  for (QListWidget* list :
       {static_cast<QListWidget*>(streetList_), static_cast<QListWidget*>(houseList_)}) {
    list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setFocusPolicy(Qt::ClickFocus);
  }
  setTabOrder(streetText_, houseText_);
  setFixedSize(dialogUnitsToPixels(font, 272, 151));

  for (QWidget* w : {static_cast<QWidget*>(streetText_), static_cast<QWidget*>(streetList_),
                     static_cast<QWidget*>(houseText_), static_cast<QWidget*>(houseList_)}) {
    w->installEventFilter(this);
  }
  houseList_->viewport()->installEventFilter(this);

  connect(streetText_, &QLineEdit::textChanged, this, &StreetSearchDialog::streetEdited);
  connect(houseText_, &QLineEdit::textChanged, this, &StreetSearchDialog::houseEdited);
  connect(streetList_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (!syncing_) streetListSelected(state_, row);
  });
  connect(houseList_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (!syncing_) houseListSelected(state_, row);
  });
  connect(listMode_, &QCheckBox::clicked, this, [this] {
    // One click is one toggle; the box shows what the search state holds.
    StreetSearchContext ctx = context();
    const SearchOutcome out = listModeToggled(state_, ctx);
    const QSignalBlocker blocker(listMode_);
    listMode_->setChecked(state_.listMode);
    apply(out);
  });
  connect(show_, &QPushButton::clicked, this, [this] {
    StreetSearchContext ctx = context();
    apply(showCommand(state_, ctx));
  });
  connect(cancel_, &QPushButton::clicked, this, &StreetSearchDialog::reject);

  // Opening: the old marks go; the street list holds every street.
  StreetSearchContext ctx = context();
  openStreetSearch(state_, ctx);
  streetList_->setUniformItemSizes(true);
  for (const StreetName& street : shell_.session().map.streetNames) {
    streetList_->addItem(fromUtf8(street.name));
  }
  shell_.mapWidget().update();  // the flags of the old marks vanish
  streetText_->setFocus(Qt::OtherFocusReason);
}

StreetSearchDialog::~StreetSearchDialog() {
  delete chosen_.data();
}

StreetSearchContext StreetSearchDialog::context() {
  MapSession& s = shell_.session();
  return StreetSearchContext{s.map, s.marking, s.history, s.view};
}

void StreetSearchDialog::selectRow(QListWidget& list, int row) {
  syncing_ = true;
  if (row < 0 || row >= list.count()) {
    list.setCurrentRow(-1);
    list.clearSelection();
  } else {
    list.setCurrentRow(row);
    list.scrollToItem(list.item(row), QAbstractItemView::PositionAtTop);
  }
  syncing_ = false;
}

void StreetSearchDialog::streetEdited(const QString& text) {
  streetTextChanged(state_, context(), text.toStdString());
  selectRow(*streetList_, state_.streetRow);
}

void StreetSearchDialog::houseEdited(const QString& text) {
  houseTextChanged(state_, text.toStdString());
  selectRow(*houseList_, state_.houseRow);
}

void StreetSearchDialog::refillHouseList() {
  syncing_ = true;
  houseList_->clear();
  for (const HouseListEntry& entry : state_.houseList) {
    houseList_->addItem(QString::fromStdString(entry.text));
  }
  syncing_ = false;
  selectRow(*houseList_, state_.houseRow);
}

void StreetSearchDialog::refillChosenLines() {
  if (chosen_ != nullptr) chosen_->setLines(state_.chosenLines);
}

void StreetSearchDialog::openChosenList() {
  if (chosen_ != nullptr) return;
  // Owned by this dialog, so that it takes double clicks while the dialog is
  // modal; placed at (400, 100) dialog units from the main window's corner.
  const QSize at = dialogUnitsToPixels(dialogFont("Arial"), 400, 100);
  QPoint place = shell_.shellWindow().mapToGlobal(QPoint(0, 0)) + QPoint(at.width(), at.height());
  // Where that would cover the dialog's fields it stands beside the dialog.
  const QSize size = dialogUnitsToPixels(dialogFont("Arial"), 124, 151);
  if (QRect(place, size).intersects(frameGeometry())) {
    place = QPoint(frameGeometry().right() + 8, frameGeometry().top());
  }
  chosen_ = new ChosenListWindow(this, place);
  connect(chosen_, &ChosenListWindow::lineDoubleClicked, this, [this](int line) {
    StreetSearchContext ctx = context();
    apply(deleteChosenLine(state_, ctx, line));
  });
  chosen_->setLines(state_.chosenLines);
  chosen_->show();
  // The list never takes the activation from the dialog, where the typing is.
  activateWindow();
}

void StreetSearchDialog::closeChosenList() {
  delete chosen_.data();
}

void StreetSearchDialog::moveFocus(SearchFocus focus) {
  QWidget* target = nullptr;
  switch (focus) {
    case SearchFocus::Keep:
      return;
    case SearchFocus::StreetText:
      target = streetText_;
      break;
    case SearchFocus::StreetList:
      target = streetList_;
      break;
    case SearchFocus::HouseText:
      target = houseText_;
      break;
    case SearchFocus::HouseList:
      target = houseList_;
      break;
  }
  if (target->hasFocus()) return;
  target->setFocus(Qt::OtherFocusReason);
  // Outside an active window no focus event arrives; the field's rules
  // still apply.
  if (!target->hasFocus()) {
    QFocusEvent event(QEvent::FocusIn, Qt::OtherFocusReason);
    eventFilter(target, &event);
  }
}

void StreetSearchDialog::apply(const SearchOutcome& out) {
  if (out.beep) shell_.beep();
  if (out.houseListChanged) refillHouseList();
  if (out.chosenLinesChanged) refillChosenLines();
  if (out.closeChosenList) closeChosenList();
  if (out.openChosenList) openChosenList();
  if (out.close) {
    finished_ = true;
    closeChosenList();
    if (out.recompose) {
      shell_.requestRecompose();
    } else {
      shell_.mapWidget().update();
    }
    QDialog::done(out.recompose ? QDialog::Accepted : QDialog::Rejected);
    return;
  }
  moveFocus(out.focus);
}

bool StreetSearchDialog::eventFilter(QObject* watched, QEvent* event) {
  if (finished_) return QDialog::eventFilter(watched, event);
  // Only a move of the user's (a click, Tab) or of the program's counts as
  // the focus arriving at a field; the activation of the window returning
  // it to the field that had it does not. A click into a field of the
  // inactive window moves the focus there first and activates afterwards:
  // that arrival counts.
  const bool arrival =
      event->type() == QEvent::FocusIn && (!returningFocus(event) || watched != focusField_.data());
  if (event->type() == QEvent::FocusIn) focusField_ = qobject_cast<QWidget*>(watched);
  if (arrival) {
    if (watched == streetText_ || watched == streetList_) {
      apply(streetFocusGained(state_));
      // Clearing the texts is a change of them: the street is unselected.
      houseText_->clear();
      streetText_->clear();
      streetEdited(QString());
    } else if (watched == houseText_ || watched == houseList_) {
      StreetSearchContext ctx = context();
      apply(houseFocusGained(state_, ctx));
    }
  } else if (event->type() == QEvent::MouseButtonDblClick && watched == houseList_->viewport()) {
    StreetSearchContext ctx = context();
    apply(houseDoubleClick(state_, ctx));
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

void StreetSearchDialog::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    StreetSearchContext ctx = context();
    apply(enterCommand(state_, ctx));
    return;
  }
  QDialog::keyPressEvent(event);
}

void StreetSearchDialog::reject() {
  if (finished_) {
    QDialog::reject();
    return;
  }
  StreetSearchContext ctx = context();
  apply(cancelCommand(state_, ctx));
}

void runStreetSearch(Shell& shell) {
  StreetSearchDialog dialog(shell);
  dialog.exec();
}

}  // namespace tikhomap
