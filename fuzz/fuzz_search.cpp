// Fuzz target: the searches on a small fixed city (fuzz_city.h). The input is
// a stream of steps, each an operation byte followed by its arguments: a
// length byte and that many bytes of typed text, or a row byte. The steps
// type into the quick search line, the street and house fields of the
// street search and the name field of the object search, run their
// commands, choose districts and microdistricts and compare house numbers,
// one after the other on the same marks and view history, as a user would
// in any order. After each step the state must still be consistent.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <set>
#include <span>
#include <string>
#include <string_view>

#include "fuzz/fuzz_checks.h"
#include "fuzz/fuzz_city.h"
#include "search/name_matching.h"
#include "search/object_search.h"
#include "search/place_choice.h"
#include "search/quick_search.h"
#include "search/street_search.h"

namespace {

using namespace tikhomap;
using fuzz::require;

class Steps {
 public:
  explicit Steps(std::span<const uint8_t> input) : input_(input) {}
  bool done() const { return at_ >= input_.size(); }
  uint8_t byte() { return at_ < input_.size() ? input_[at_++] : 0; }
  std::string_view text() {
    const size_t n = std::min<size_t>(byte(), input_.size() - at_);
    const std::string_view t(reinterpret_cast<const char*>(input_.data() + at_), n);
    at_ += n;
    return t;
  }
  // A row of a table of `size` rows, or -1.
  int32_t row(size_t size) {
    const uint8_t b = byte();
    return size == 0 || b == 0xFF ? -1 : static_cast<int32_t>(b % size);
  }

 private:
  std::span<const uint8_t> input_;
  size_t at_ = 0;
};

bool finiteEntry(const MapBounds& b) {
  return std::isfinite(b.xMin) && std::isfinite(b.yMin) && std::isfinite(b.xMax) &&
         std::isfinite(b.yMax) && b.xMin <= b.xMax && b.yMin <= b.yMax;
}

void checkState(const MapData& map, const MarkingState& marking, const ViewHistory& history,
                const StreetSearchState& state, bool streetOpen) {
  require(history.count >= 1 && history.count <= kViewHistorySize);
  for (int i = 0; i < history.count; ++i) require(finiteEntry(history.entry(i)));
  require(marking.chosenCount() <= kMaxChosenBuildings);
  std::set<int32_t> rows;
  for (const int32_t row : marking.chosenBuildings) {
    require(row >= 0 && static_cast<size_t>(row) < map.buildings.size());
    require(rows.insert(row).second);
  }
  require(marking.objectResultCount >= 0 && marking.objectResultCount <= kMaxFoundObjects);
  require(state.streetRow >= -1 && state.streetRow < static_cast<int32_t>(map.streetNames.size()));
  require(state.houseRow >= -1 && state.houseRow < static_cast<int32_t>(state.houseList.size()));
  for (const HouseListEntry& e : state.houseList) {
    require(e.building >= 0 && static_cast<size_t>(e.building) < map.buildings.size());
    require(codePointCount(e.text) <= kHouseLineLength);
  }
  if (streetOpen) require(state.chosenLines.size() == marking.chosenBuildings.size());
  if (marking.pendingNameFlash) {
    const NameFlash& f = *marking.pendingNameFlash;
    const size_t size = f.source == NameFlash::Source::Microdistrict ? map.microdistricts.size()
                                                                     : map.userObjects.size();
    require(f.row >= 0 && static_cast<size_t>(f.row) < size);
  }
  if (marking.pendingDistrictFlash) {
    require(*marking.pendingDistrictFlash > 0 &&
            static_cast<size_t>(*marking.pendingDistrictFlash) < map.districtAreas.size());
  }
}

void quickStep(const MapData& map, std::string_view typed) {
  const ParsedQuery q = parseQuickQuery(typed);
  for (const std::string* part : {&q.street, &q.house}) {
    require(part->find("  ") == std::string::npos);
    require(part->empty() || (part->front() != ' ' && part->back() != ' '));
  }
  const QuickSearchResult r = quickSearch(map, typed);
  require(r.matches.size() <= static_cast<size_t>(kQuickMatchLimit));
  for (const QuickMatch& m : r.matches) {
    require(m.streetRow >= 0 && static_cast<size_t>(m.streetRow) < map.streetNames.size());
    if (m.kind == QuickMatch::House) {
      require(m.building >= 0 && static_cast<size_t>(m.building) < map.buildings.size());
      require(map.buildings[static_cast<size_t>(m.building)].streetCode ==
              map.streetNames[static_cast<size_t>(m.streetRow)].streetCode);
    } else {
      require(m.building == -1);
    }
  }
  if (r.miss) {
    require(r.miss->streetRow >= 0 &&
            static_cast<size_t>(r.miss->streetRow) < map.streetNames.size());
    (void)quickMissText(*r.miss);
  }
}

void houseNumberStep(std::string_view a, std::string_view b) {
  // Not antisymmetric by its own rule: after two equal digit runs both
  // texts step on together for as long as a's run lasts ("007а" and "7б"
  // each sort after the other).
  const int ab = compareHouseNumbers(a, b);
  require(ab >= -1 && ab <= 1);
  require(compareHouseNumbers(a, a) == 0);
  (void)isPlainNumber(a);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const MapData city = fuzz::smallCity();
  MapData map = city;
  MarkingState marking;
  ViewHistory history;
  ViewState view;
  pushView(history, map.cityExtent.xMin, map.cityExtent.yMin, map.cityExtent.xMax,
           map.cityExtent.yMax);
  measureViewport(view, 400, 300, 100);
  StreetSearchState street;
  StreetSearchContext ctx{map, marking, history, view};
  ObjectCriteria criteria;

  // The street search is a dialog of its own: a step of it opens the dialog
  // when it is closed, and any other step closes it first.
  bool streetOpen = false;
  Steps steps({data, size});
  for (int n = 0; n < 64 && !steps.done(); ++n) {
    const int op = steps.byte() % 20;
    const bool streetStep = op >= 1 && op <= 12;
    if (streetStep && !streetOpen) openStreetSearch(street, ctx);
    if (!streetStep && streetOpen) (void)cancelCommand(street, ctx);
    streetOpen = streetStep;
    SearchOutcome outcome;
    switch (op) {
      case 0:
        quickStep(map, steps.text());
        break;
      case 1:
        streetTextChanged(street, ctx, fieldTyped(steps.text()));
        break;
      case 2:
        houseTextChanged(street, fieldTyped(steps.text()));
        break;
      case 3:
        outcome = streetFocusGained(street);
        break;
      case 4:
        outcome = houseFocusGained(street, ctx);
        break;
      case 5:
        outcome = showCommand(street, ctx);
        break;
      case 6:
        outcome = enterCommand(street, ctx);
        break;
      case 7:
        outcome = addChosenHouse(street, ctx);
        break;
      case 8:
        outcome = listModeToggled(street, ctx);
        break;
      case 9:
        outcome = deleteChosenLine(street, ctx, steps.row(street.chosenLines.size()));
        break;
      case 10:
        streetListSelected(street, steps.row(map.streetNames.size()));
        break;
      case 11:
        houseListSelected(street, steps.row(street.houseList.size()));
        break;
      case 12:
        outcome = houseDoubleClick(street, ctx);
        break;
      case 13: {
        // The object search's fields, then "Список".
        criteria.nameText = std::string(steps.text().substr(0, kObjectNameLength));
        criteria.nameMode = static_cast<int32_t>(steps.byte() % 3) - 1;
        criteria.streetRow = steps.row(map.streetNames.size());
        criteria.districtRow = steps.row(5);
        criteria.microRow = steps.row(map.microdistricts.size());
        criteria.themeNode = steps.row(map.themeNodes.size());
        const ObjectSearchOutcome out =
            runObjectSearch(map, marking, history, view, criteria, steps.byte() & 1);
        require(out.count >= 0 && out.count <= kMaxFoundObjects);
        if (!out.closeWindow) {
          require(foundObjects(map).size() == static_cast<size_t>(out.count));
        }
        for (const ThemeLine& line : themeLines(map)) {
          require(line.node >= 0 && static_cast<size_t>(line.node) < map.themeNodes.size());
        }
        break;
      }
      case 14: {
        const std::vector<int32_t> found = foundObjects(map);
        (void)showObjectResults(map, marking, history, view, found);
        for (const int32_t row : found) (void)objectAddress(map, row);
        break;
      }
      case 15: {
        const std::string typed(steps.text());
        const int32_t row = findMicrodistrictRow(map, typed);
        require(row >= -1 && row < static_cast<int32_t>(map.microdistricts.size()));
        if (row >= 0) require(chooseMicrodistrict(map, marking, history, row));
        break;
      }
      case 16:
        (void)chooseDistrict(map, marking, history, steps.row(6));
        break;
      case 17: {
        const std::string_view a = steps.text();
        houseNumberStep(a, steps.text());
        break;
      }
      case 18: {
        std::string search(steps.text());
        prepareObjectSearch(search);
        for (const UserObject& o : map.userObjects) {
          (void)matchesObjectName(o.name, search, NameMatchMode::kBeginsWith);
          (void)matchesObjectName(o.name, search, NameMatchMode::kContains);
        }
        const int row = findStreetRow(map.streetNames, steps.text());
        require(row >= -1 && row < static_cast<int>(map.streetNames.size()));
        break;
      }
      default:
        discardResults(map, marking);
        break;
    }
    if (outcome.close) streetOpen = false;
    // The view follows the history as the next frame would show it.
    const MapBounds last = history.last();
    fitView(view, history, last.xMin, last.yMin, last.xMax, last.yMax);
    checkState(map, marking, history, street, streetOpen);
  }
  return 0;
}
