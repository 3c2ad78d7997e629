#include "app/search_commands.h"

#include "app/main_window.h"
#include "app/object_search_window.h"
#include "app/place_dialogs.h"
#include "app/quick_search_bar.h"
#include "app/street_search_dialog.h"
#include "render/found_markers.h"
#include "resources/command_ids.h"

namespace tikhomap {

void installSearches(MainWindow& main) {
  MainWindow* window = &main;
  main.setCommandHandler(ids::kStreetSearch, [window] { runStreetSearch(*window); });
  main.setCommandHandler(ids::kDistrictChoice, [window] { runDistrictChoice(*window); });
  main.setCommandHandler(ids::kMicrodistrictChoice, [window] { runMicrodistrictChoice(*window); });
  installObjectSearch(main);
  auto* bar = new QuickSearchBar(main);
  main.setCommandHandler(ids::kQuickSearch, [bar] { bar->open(); });

  // Flags and flashes are drawn over the frame with the view it was
  // composed for.
  const float widthMm = 0;  // unused by the overlays: they draw in pixels
  main.setFoundMarkersPainter([widthMm](MapSession& session, Canvas& dc) {
    drawFoundMarkers(session.context(widthMm), dc);
  });
  main.setFlashPainter([widthMm](MapSession& session, Canvas& dc) {
    const RenderContext ctx = session.context(widthMm);
    if (session.marking.districtFlash) drawDistrictFlash(ctx, dc, *session.marking.districtFlash);
    if (session.marking.nameFlash) drawNameFlash(ctx, dc, *session.marking.nameFlash);
  });
}

}  // namespace tikhomap
