// Everything one open map holds: the map model, the view and its history, the
// frame cache, the layer choices, the marks, the style set of the view mode,
// the clock and the window-lighting generator. The main window and the
// headless renderer each own one and compose frames from it the same way.
#pragma once

#include <QImage>
#include <QString>
#include <filesystem>
#include <memory>
#include <optional>

#include "mapdata/load_result.h"
#include "mapdata/map_data.h"
#include "render/frame_state.h"
#include "render/style_set.h"
#include "search/object_search.h"
#include "search/quick_search.h"
#include "tools/solar_position.h"
#include "view/marking_state.h"
#include "view/view_state.h"

namespace tikhomap {

class BandedFrameComposer;

// The local time of day.
Clock systemClock();
// A clock that always answers the given time.
Clock fixedClock(int hour, int minute);

struct MapSession {
  std::filesystem::path dataDir;
  MapData map;
  ViewState view;
  ViewHistory history;
  FrameCache cache;
  LayerChoices layers;
  MarkingState marking;
  // The searches' indexes of the map, built when its buildings are read.
  AddressIndex addressIndex;
  QuickSearchIndex quickSearchIndex;
  StyleSet styles;
  int viewMode = kViewClockWindows;
  WindowRandom random;
  Clock clock = systemClock();
  // Shadows by the real sun of today's date at the clock's time.
  bool realShadows = false;
  std::optional<CivilDate> sunDate;  // the real sun's date; none = today
  // "Инсоляция по норме": wall colours by verdict, a row per building.
  bool insolationColouring = false;
  std::vector<uint8_t> insolationColours;
  int screenHeight = 0;  // pixels of the screen the frames are shown on
  // Threads that rasterise a frame, each a band of its rows; 0 = one per
  // core of the machine.
  int frameThreads = 0;
  // The display list and the threads of the frames, made on the first frame.
  std::shared_ptr<BandedFrameComposer> composer;

  explicit MapSession(std::filesystem::path dir);

  bool baseMapLoaded() const { return !map.districtAreas.empty(); }
  bool titleSheetShown() const { return history.titleSheetShown(); }
  // Sets the view mode and rebuilds the style set; false for an id that is
  // not a view mode (nothing changes then).
  bool setViewMode(int mode);
  RenderContext context(float screenWidthMm);
};

// The real sun over the middle of the city for today's date at the clock's
// time, in grid directions.
RealSun realSunNow(const MapSession& session);

// Row of the building whose drawn block (roof or wall) is in front at window
// pixel (px, py) in the volumetric and night views, or -1 (also in the flat
// views).
int32_t drawnBlockUnderPointer(const MapSession& session, int px, int py);

// Row of the building a press at window pixel (px, py) lands on, or -1:
// where buildings stand up, the one drawn in front under the pointer (a
// roof covers what lies behind it); elsewhere, and where no block is
// drawn, the footprint under the pointer.
int32_t buildingUnderPointer(const MapSession& session, int px, int py);

// Reads the base map from the session's folder and makes the city extent
// entry 0 of the view history (the title sheet).
LoadResult loadSessionBaseMap(MapSession& session, const LoadProgress& progress);
// Reads the buildings and the reference tables, and indexes them for the
// searches.
LoadResult loadSessionBuildings(MapSession& session, const LoadProgress& progress);

// Composes the current view into the frame image, which must be RGB32 and
// not null. widthMm is the physical width of the image. The frame is
// recorded, then rasterised in bands by the session's frame threads.
void composeSessionFrame(MapSession& session, QImage& frame, float widthMm);
// The same frame drawn straight through one painter, as a printer is.
void composeSessionFrameDirect(MapSession& session, QImage& frame, float widthMm);

// One frame composed ahead while the title sheet is shown, into scratch (an
// image of the window's frame size, RGB32, not null): step 0 the whole city,
// each further step a view around the city's middle of half the size before,
// down to the finest detail level. Such frames start the band threads and
// fill what each of them keeps (the fonts and glyphs of every label size, the
// shapes learnt from the painter, the band surfaces), so that the first map
// frame a person asks for costs what any later one does. The session's view,
// caches, styles and window lighting are left as they were. Returns the
// detail level of the frame composed: a caller stops at kFinestDetailLevel.
// -1, composing nothing, past the last step or without a map and its
// buildings.
int warmSessionFrame(MapSession& session, int step, QImage& scratch, float widthMm);
// The steps warmSessionFrame takes at most, and the level it stops at.
inline constexpr int kWarmFrameSteps = 10;
inline constexpr int kFinestDetailLevel = 5;

// The message shown when the base map cannot be read, naming the file and
// the folder.
QString baseMapFailureText(const LoadResult& result, const std::filesystem::path& dir);

}  // namespace tikhomap
