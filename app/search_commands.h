// The searches of the menu "Поиск": the street and house search (F2), the
// district (F3) and microdistrict (F4) choices, the quick search line
// (Ctrl+F), and the flags and name flashes that show their results.
#pragma once

namespace tikhomap {

class MainWindow;

void installSearches(MainWindow& main);

}  // namespace tikhomap
