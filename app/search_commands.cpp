#include "app/search_commands.h"

#include "app/main_window.h"
#include "app/place_dialogs.h"
#include "app/street_search_dialog.h"
#include "resources/command_ids.h"

namespace tikhomap {

void installSearches(MainWindow& main) {
  MainWindow* window = &main;
  main.setCommandHandler(ids::kStreetSearch, [window] { runStreetSearch(*window); });
  main.setCommandHandler(ids::kDistrictChoice, [window] { runDistrictChoice(*window); });
  main.setCommandHandler(ids::kMicrodistrictChoice, [window] { runMicrodistrictChoice(*window); });
}

}  // namespace tikhomap
