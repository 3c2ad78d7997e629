// "Районы города" (dialog 210) and "Микрорайоны" (dialog 133): a list of
// names, "Показать" and "Отмена". Showing moves the map to the place and
// names it in large letters over the next frame.
#pragma once

#include <QDialog>

class QLineEdit;
class QListWidget;

namespace tikhomap {

class Shell;

inline constexpr int kDistrictDialog = 210;
inline constexpr int kDistrictList = 1126;
inline constexpr int kMicrodistrictDialog = 133;
inline constexpr int kMicrodistrictCombo = 1014;

class DistrictDialog final : public QDialog {
  Q_OBJECT
 public:
  explicit DistrictDialog(Shell& shell);
  QListWidget& list() { return *list_; }

 private:
  void showChosen();

  Shell& shell_;
  QListWidget* list_;
};

// The simple combo box is a text field above a list that is always open;
// both carry the combo box's id (the list with ".list" appended).
class MicrodistrictDialog final : public QDialog {
  Q_OBJECT
 public:
  explicit MicrodistrictDialog(Shell& shell);
  QLineEdit& text() { return *text_; }
  QListWidget& list() { return *list_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void showChosen();
  void typed(const QString& text);

  Shell& shell_;
  QLineEdit* text_;
  QListWidget* list_;
  bool syncing_ = false;
};

// Run the modal dialogs (commands 32800 and 32773, keys F3 and F4).
void runDistrictChoice(Shell& shell);
void runMicrodistrictChoice(Shell& shell);

}  // namespace tikhomap
