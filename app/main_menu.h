// The menu bar of the main window: every item with its command id, text,
// check mark and separators, and the keys F2 to F5 of the search commands.
#pragma once

#include <QString>
#include <functional>
#include <map>

class QAction;
class QMenuBar;
class QWidget;

namespace tikhomap {

struct MainMenu {
  std::map<int, QAction*> actions;  // by command id
};

// Fills the menu bar; every item calls command with its id. The keys F2..F5
// are bound on the window, not shown as shortcuts: the item texts already
// name them.
MainMenu buildMainMenu(QMenuBar& bar, QWidget& window, const std::function<void(int)>& command);

}  // namespace tikhomap
