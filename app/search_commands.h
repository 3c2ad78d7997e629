// The searches of the menu "Поиск": the street and house search (F2), the
// district (F3) and microdistrict (F4) choices, the object search (F5), the
// quick search line (Ctrl+F), and the flags and name flashes that show their
// results. Installed after the mouse controller, whose information dialog
// refuses the object search's commands while it is open.
#pragma once

namespace tikhomap {

class MainWindow;

void installSearches(MainWindow& main);

}  // namespace tikhomap
