// The whole program on its main window: every part the running program
// installs, in the order it installs them. The program's entry point and the
// whole-program test driver build the same window through it.
#pragma once

namespace tikhomap {

class MainWindow;
class MouseController;
class Printing;

class MapFolders;

struct ProgramParts {
  MouseController& mouse;
  Printing& printing;
  MapFolders& folders;
};

// Installs the mouse, the searches, the shell commands, the sun tool and
// printing on the window, and ends the application when the window closes.
ProgramParts installProgram(MainWindow& window);

}  // namespace tikhomap
