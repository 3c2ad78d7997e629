// The street and house search "Где эта улица, где этот дом" (dialog 130)
// and its companion list "Выбраны для просмотра" (dialog 134). The search
// logic lives in search/street_search; this window shows its state and
// carries out its outcomes.
#pragma once

#include <QDialog>
#include <QListWidget>
#include <QPointer>

#include "app/search_list_box.h"
#include "search/street_search.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace tikhomap {

class Shell;

inline constexpr int kStreetSearchDialog = 130;
inline constexpr int kChosenListDialog = 134;
inline constexpr int kStreetTextField = 1048;
inline constexpr int kStreetListBox = 1049;
inline constexpr int kHouseTextField = 1050;
inline constexpr int kHouseListBox = 1051;
inline constexpr int kListModeBox = 1018;
inline constexpr int kShowButton = 1058;
inline constexpr int kChosenListBox = 1019;

// Dialog 134: one line per chosen house; a double click deletes the line.
class ChosenListWindow final : public QDialog {
  Q_OBJECT
 public:
  explicit ChosenListWindow(QWidget* owner, QPoint topLeftGlobal);
  void setLines(const std::vector<std::string>& lines);  // UTF-8
  QListWidget& list() { return *list_; }

 signals:
  void lineDoubleClicked(int line);

 private:
  QListWidget* list_;
};

class StreetSearchDialog final : public QDialog {
  Q_OBJECT
 public:
  explicit StreetSearchDialog(Shell& shell);
  ~StreetSearchDialog() override;

  const StreetSearchState& state() const { return state_; }
  ChosenListWindow* chosenListWindow() const { return chosen_; }

  // Esc and the close box are "Отмена".
  void reject() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  StreetSearchContext context();
  void apply(const SearchOutcome& out);
  void moveFocus(SearchFocus focus);
  void refillHouseList();
  void refillChosenLines();
  void openChosenList();
  void closeChosenList();
  void streetEdited(const QString& text);
  void houseEdited(const QString& text);
  void selectRow(QListWidget& list, int row);

  Shell& shell_;
  StreetSearchState state_;
  QLineEdit* streetText_;
  SearchListBox* streetList_;
  QLineEdit* houseText_;
  SearchListBox* houseList_;
  QCheckBox* listMode_;
  QPushButton* show_;
  QPushButton* cancel_;
  QPointer<ChosenListWindow> chosen_;
  QPointer<QWidget> focusField_;  // the field that last received the focus
  bool syncing_ = false;          // the lists are being changed by the dialog itself
  bool finished_ = false;
};

// Runs the modal dialog (command 32774, key F2).
void runStreetSearch(Shell& shell);

}  // namespace tikhomap
