// What must hold between any two actions of a person, whatever they did.
#include <QAction>
#include <QApplication>
#include <QCursor>
#include <algorithm>
#include <cmath>
#include <sstream>

#include "app/coordinates_window.h"
#include "app/data_folder.h"
#include "app/help_window.h"
#include "app/main_window.h"
#include "app/measure_window.h"
#include "app/mouse_controller.h"
#include "app/object_search_window.h"
#include "app/sun_window.h"
#include "app/tools_palette.h"
#include "render/style_set.h"
#include "resources/command_ids.h"
#include "tests/monkey/monkey_driver.h"

namespace tikhomap::monkey {
namespace {

bool finite(const MapBounds& r) {
  return std::isfinite(r.xMin) && std::isfinite(r.yMin) && std::isfinite(r.xMax) &&
         std::isfinite(r.yMax);
}

std::string describe(const MapBounds& r) {
  std::ostringstream out;
  out << "(" << r.xMin << ", " << r.yMin << " .. " << r.xMax << ", " << r.yMax << ")";
  return out.str();
}

// Visible top-level windows of one kind.
template <typename W>
int visibleCount() {
  int n = 0;
  for (QWidget* top : QApplication::topLevelWidgets()) {
    if (qobject_cast<W*>(top) != nullptr && top->isVisible()) ++n;
  }
  return n;
}

std::string checkView(const MapSession& s) {
  const ViewHistory& h = s.history;
  if (h.count < 1 || h.count > kViewHistorySize) {
    return "history count " + std::to_string(h.count) + " outside 1.." +
           std::to_string(kViewHistorySize);
  }
  const MapBounds city = h.entry(0);
  if (!finite(city) || !(city.xMin < city.xMax) || !(city.yMin < city.yMax)) {
    return "history entry 0 is not a city extent: " + describe(city);
  }
  // A rounding slack of a millimetre per kilometre of the city.
  const float slack = 1e-6f * std::max(city.xMax - city.xMin, city.yMax - city.yMin);
  for (int i = 1; i < h.count; ++i) {
    const MapBounds r = h.entry(i);
    if (!finite(r) || !(r.xMin < r.xMax) || !(r.yMin < r.yMax) || r.xMin < city.xMin - slack ||
        r.yMin < city.yMin - slack || r.xMax > city.xMax + slack || r.yMax > city.yMax + slack) {
      return "asked rectangle " + std::to_string(i) + " " + describe(r) +
             " is empty or leaves the city " + describe(city);
    }
  }
  if (h.count >= 2) {
    const ViewState& v = s.view;
    if (!std::isfinite(v.mmPerMetre) || !(v.mmPerMetre > 0)) {
      return "shown scale " + std::to_string(v.mmPerMetre) + " is not positive";
    }
    const MapBounds shown{v.viewXMin, v.viewYMin, v.viewXMax, v.viewYMax};
    if (!finite(shown) || !(shown.xMin < shown.xMax) || !(shown.yMin < shown.yMax)) {
      return "shown rectangle " + describe(shown) + " is not finite or empty";
    }
  }
  return {};
}

std::string checkMarks(const MapSession& s) {
  const MarkingState& m = s.marking;
  const auto rows = static_cast<int32_t>(s.map.buildings.size());
  if (m.chosenCount() < 0 || m.chosenCount() > kMaxChosenBuildings) {
    return "chosenCount " + std::to_string(m.chosenCount()) + " outside 0..500";
  }
  for (size_t i = 0; i < m.chosenBuildings.size(); ++i) {
    const int32_t row = m.chosenBuildings[i];
    if (row < 0 || row >= rows) return "chosen row " + std::to_string(row) + " is no building";
    for (size_t j = 0; j < i; ++j) {
      if (m.chosenBuildings[j] == row) return "building " + std::to_string(row) + " chosen twice";
    }
  }
  if (m.markedStreet < -1) return "marked street " + std::to_string(m.markedStreet);
  if (m.objectResultCount < 0 ||
      m.objectResultCount > static_cast<int32_t>(s.map.userObjects.size())) {
    return "object result count " + std::to_string(m.objectResultCount) + " of " +
           std::to_string(s.map.userObjects.size()) + " objects";
  }
  const auto nameOk = [&s](const std::optional<NameFlash>& f) {
    if (!f) return true;
    const size_t n = f->source == NameFlash::Source::Microdistrict ? s.map.microdistricts.size()
                                                                   : s.map.userObjects.size();
    return f->row >= 0 && static_cast<size_t>(f->row) < n;
  };
  const auto districtOk = [&s](const std::optional<int32_t>& f) {
    return !f || (*f >= 0 && static_cast<size_t>(*f) < s.map.districtAreas.size());
  };
  if (!nameOk(m.nameFlash) || !nameOk(m.pendingNameFlash)) return "a name flash names no row";
  if (!districtOk(m.districtFlash) || !districtOk(m.pendingDistrictFlash)) {
    return "a district flash names no district";
  }
  return {};
}

std::string checkWindows(MainWindow& w, MouseController& mouse) {
  MapSession& s = w.session();
  // The measurement: its window is held exactly while it is open.
  MeasureWindow* measure = mouse.measure().window();
  if (mouse.measure().isOpen() != (measure != nullptr && measure->isVisible())) {
    return "the measurement is open without its window, or its window is hidden";
  }
  if (visibleCount<MeasureWindow>() > (mouse.measure().isOpen() ? 1 : 0)) {
    return "a measurement window is shown that the tool does not hold";
  }
  if (mouse.interactionState() == kStateMeasuring && !mouse.measure().isOpen()) {
    return "measuring with the measurement closed";
  }
  CoordinatesWindow* coordinates = mouse.coordinatesWindow();
  if (coordinates != nullptr && !coordinates->isVisible()) return "coordinates held but hidden";
  if (visibleCount<CoordinatesWindow>() > (coordinates != nullptr ? 1 : 0)) {
    return "a coordinates window is shown that the program does not hold";
  }
  // The palette: open exactly while its menu item is checked; its tools
  // only while it is open (reopened, it has none chosen).
  ToolsPalette* palette = openPalette(w);
  if (QAction* item = w.action(ids::kToolsPalette); item->isChecked() != (palette != nullptr)) {
    return "the palette's menu mark says " + std::string(item->isChecked() ? "open" : "closed");
  }
  const int tool = mouse.toolMode();
  if (palette == nullptr && tool != kToolArrow && tool != kToolClosed) {
    return "palette tool " + std::to_string(tool) + " chosen with the palette closed";
  }
  if (visibleCount<ToolsPalette>() > 1) return "two palettes";
  if (visibleCount<HelpWindow>() > 1) return "two help windows";
  if (visibleCount<ObjectSearchWindow>() > 1) return "two object search windows";
  if (visibleCount<SunWindow>() > 1) return "two sun windows";
  // The menu marks follow the state they show.
  for (const int mode :
       {ids::kViewGraphic, ids::kViewFlat, ids::kViewClockWindows, ids::kViewNewYear,
        ids::kViewPowerCut, ids::kViewWideWindows, ids::kViewFrame, ids::kViewNight}) {
    if (w.action(mode)->isChecked() != (mode == s.viewMode)) {
      return "view mode " + std::to_string(s.viewMode) + " but item " + std::to_string(mode) +
             (w.action(mode)->isChecked() ? " checked" : " unchecked");
    }
  }
  if (w.action(ids::kRealShadows)->isChecked() != s.realShadows) {
    return "the real-shadows mark differs from the real-shadows state";
  }
  // The mouse: captured exactly while the map holds the grab.
  const bool grabbed = QWidget::mouseGrabber() == &w.mapWidget();
  if (mouse.mouseCaptured() != grabbed) {
    return std::string("mouse ") +
           (grabbed ? "grabbed by the map without a drag" : "captured by a drag but not grabbed");
  }
  if (QApplication::overrideCursor() != nullptr) return "a busy cursor was left on";
  if (QWidget* modal = QApplication::activeModalWidget(); modal != nullptr && !modal->isVisible()) {
    return "a hidden modal window blocks the program";
  }
  return {};
}

}  // namespace

// The invariants, in order:
//  - the view history holds 1..100 entries; entry 0 is the city; every asked
//    rectangle after it is finite, not empty and inside the city;
//  - with the map shown, the shown rectangle is finite with a positive scale;
//  - the frame has the map area's size (an empty area keeps the old frame);
//  - the marks: 0..500 chosen buildings, each a building row, none twice;
//    flashes and pending flashes name rows that exist;
//  - the tool windows the program holds (measurement, coordinates, palette)
//    are shown exactly while their state says so, and no kind of tool window
//    is shown twice; the menu marks follow the view mode, the real shadows
//    and the palette;
//  - the map holds the mouse grab exactly during a drag; no busy cursor
//    outlives its work; no hidden window stays modal;
//  - the frame is shown moved only while a pan is dragged; the open map's
//    folder holds a base map (a failed open keeps the map).
std::string checkInvariants(MainWindow& window, MouseController& mouse) {
  MapSession& s = window.session();
  if (!s.baseMapLoaded()) return "the base map is not loaded";
  if (std::string v = checkView(s); !v.empty()) return v;
  const MapWidget& map = window.mapWidget();
  if (map.isVisible() && !map.size().isEmpty() &&
      map.frame().deviceIndependentSize().toSize() != map.size()) {
    return "frame " + std::to_string(map.frame().width()) + "x" +
           std::to_string(map.frame().height()) + " for a map area of " +
           std::to_string(map.width()) + "x" + std::to_string(map.height());
  }
  if (std::string m = checkMarks(s); !m.empty()) return m;
  // The frame moves only under a pan being dragged, and the open map is
  // always one whose base map reads.
  if (!map.frameOffset().isNull() &&
      !(mouse.dragArmed() && mouse.interactionState() == kStatePan)) {
    return "the frame is shown moved without a pan";
  }
  if (!holdsBaseMap(s.dataDir)) return "the open map's folder holds no base map";
  return checkWindows(window, mouse);
}

}  // namespace tikhomap::monkey
