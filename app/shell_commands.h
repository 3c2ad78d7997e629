// The rest of the menu "Вид" and the menu "?": "Состав схемы ..." (32822),
// "Инструменты" (32816) with its palette, "Справка" (32794) with F1,
// "About ..." (104), and the overview inset on its key.
#pragma once

namespace tikhomap {

class MainWindow;
class MouseController;

void installShellCommands(MainWindow& main, MouseController& mouse);

}  // namespace tikhomap
