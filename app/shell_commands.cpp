#include "app/shell_commands.h"

#include "app/about_dialog.h"
#include "app/help_window.h"
#include "app/layer_dialog.h"
#include "app/main_window.h"
#include "app/overview_inset.h"
#include "app/tools_palette.h"
#include "resources/command_ids.h"

namespace tikhomap {

void installShellCommands(MainWindow& main, MouseController& mouse) {
  MainWindow* window = &main;
  main.setCommandHandler(ids::kLayerDialog, [window] { runLayerDialog(*window); });
  main.setCommandHandler(ids::kAbout,
                         [window] { runAboutBox(window, window->session().map.city); });
  installToolsPalette(main, mouse);
  installHelp(main);
  installOverviewInset(main, mouse);
}

}  // namespace tikhomap
