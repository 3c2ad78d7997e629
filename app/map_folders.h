// Opening other maps and remembering between runs: the commands "Открыть
// карту…" (Ctrl+O), the list "Недавние карты" and "Последний вид карты" (F6,
// back to the last view asked for in this map's folder), placed in the
// "Вид" menu above "Выход"; a folder or a map file dropped on the window;
// and the settings written when the window closes (see program_settings.h).
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

#include "app/program_settings.h"

class QMenu;

namespace tikhomap {

class MainWindow;
class MouseController;

inline constexpr int kOpenMapCommand = 32950;
inline constexpr int kLastViewCommand = 32951;

class MapFolders final : public QObject {
  Q_OBJECT
 public:
  MapFolders(MainWindow& main, MouseController& mouse);

  const Remembered& remembered() const { return remembered_; }
  // Applies what the settings remember to the window before it is shown:
  // view mode, layers, palette; true when a window geometry was restored.
  bool restore();
  // Writes what is to be remembered now.
  void save();
  // The folder chooser of "Открыть карту…" (tests replace it); an empty
  // answer opens nothing.
  void setFolderChooser(std::function<QString()> chooser) { chooser_ = std::move(chooser); }
  // Opens the map of a folder, or of the folder of a map file.
  bool open(const QString& path);
  void returnToLastView();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void fillRecent();
  void rememberCurrentView();

  MainWindow& main_;
  MouseController& mouse_;
  Remembered remembered_;
  QMenu* recent_ = nullptr;
  std::function<QString()> chooser_;
};

MapFolders& installMapFolders(MainWindow& main, MouseController& mouse);

}  // namespace tikhomap
