// "Поиск объектов с адресной привязкой" (dialog 209): the modeless object
// search. The filter and the showing live in search/object_search; this
// window holds the criteria fields, the theme list and the result list.
#pragma once

#include <QDialog>
#include <QPointer>
#include <functional>

#include "search/object_search.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace tikhomap {

class MainWindow;
class Shell;

inline constexpr int kObjectSearchDialog = 209;
inline constexpr int kObjectNameMode = 1135;
inline constexpr int kObjectNameText = 1127;
inline constexpr int kObjectStreetCombo = 1136;
inline constexpr int kObjectHouseField = 1134;
inline constexpr int kObjectDistrictCombo = 1138;
inline constexpr int kObjectMicroCombo = 1137;
inline constexpr int kObjectThemeList = 1128;
inline constexpr int kObjectClearButton = 1130;
inline constexpr int kObjectCountText = 1140;
inline constexpr int kObjectCloseOnShow = 1139;
inline constexpr int kObjectResultList = 1173;
inline constexpr int kObjectShowButton = 1040;

// What lives longer than one window: the box "Закрывать окно при выходе на
// карту" and the theme of the last search (the right button reads it).
struct ObjectSearchMemory {
  bool closeOnShow = false;
  int32_t selectedTheme = -1;  // node of themeNodes, -1 = none
};

class ObjectSearchWindow final : public QDialog {
  Q_OBJECT
 public:
  // commandsRefused answers whether the building information dialog is open
  // (then every command beeps).
  ObjectSearchWindow(Shell& shell, ObjectSearchMemory& memory,
                     std::function<bool()> commandsRefused);

  // "Отмена": the results are discarded and the window goes.
  void cancel();
  void reject() override { cancel(); }

  // The rows the editable combo boxes stand at (-1 = none).
  int streetRow() const { return streetRow_; }
  int districtRow() const { return districtRow_; }
  int microRow() const { return microRow_; }

 signals:
  // The window is finished (closed by "Отмена", Esc, the close box, or by
  // showing a result with the box set); the owner deletes it.
  void finished();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void runSearch();
  void clearAll();
  void showSelected();
  void showAddress();
  void fillResults();
  void finish();
  bool refused();
  void apply(const ObjectSearchOutcome& out);
  void setComboText(QComboBox* combo, const QString& text);
  void trackCombo(QComboBox* combo, int& row);

  Shell& shell_;
  ObjectSearchMemory& memory_;
  std::function<bool()> commandsRefused_;
  std::vector<ThemeLine> themeLines_;
  QComboBox* mode_;
  QLineEdit* name_;
  QComboBox* street_;
  QLineEdit* house_;
  QComboBox* district_;
  QComboBox* micro_;
  QListWidget* themes_;
  QPushButton* list_;
  QLabel* count_;
  QCheckBox* closeOnShow_;
  QListWidget* results_;
  QPushButton* show_;
  int streetRow_ = -1;
  int districtRow_ = -1;
  int microRow_ = -1;
  bool settingText_ = false;  // a result's address is being shown
  bool finished_ = false;
};

// Registers "Объект" (32799, F5): a fresh window each time; Home closes it.
void installObjectSearch(MainWindow& main);

}  // namespace tikhomap
