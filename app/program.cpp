#include "app/program.h"

#include <QCoreApplication>

#include "app/insolation_map.h"
#include "app/main_window.h"
#include "app/map_folders.h"
#include "app/mouse_controller.h"
#include "app/print_job.h"
#include "app/search_commands.h"
#include "app/shell_commands.h"
#include "app/sun_window.h"

namespace tikhomap {

ProgramParts installProgram(MainWindow& window) {
  MouseController& mouse = installMouseController(window);
  installSearches(window);
  installShellCommands(window, mouse);
  // The program ends with its main window, whatever else is open.
  QObject::connect(&window, &MainWindow::closed, QCoreApplication::instance(),
                   &QCoreApplication::quit, Qt::QueuedConnection);
  installSunTool(window);
  installInsolationTools(window);
  Printing& printing = installPrinting(window);
  MapFolders& folders = installMapFolders(window, mouse);
  return {mouse, printing, folders};
}

}  // namespace tikhomap
