#include "search/street_search.h"

#include <algorithm>
#include <cstring>

#include "mapdata/text_rules.h"
#include "search/name_fold.h"
#include "view/visibility.h"

namespace tikhomap {
namespace {

// Street kinds: 0 has no house list, 100 cannot be shown by itself.
constexpr int16_t kKindNoHouses = 0;
constexpr int16_t kKindNotAlone = 100;
// Room for the house number, ", " and the description in a list line.
constexpr std::size_t kHouseLineRoom = 29;

const StreetName* selectedStreet(const StreetSearchState& state, const StreetSearchContext& ctx) {
  if (state.streetRow < 0 || state.streetRow >= static_cast<int32_t>(ctx.map.streetNames.size())) {
    return nullptr;
  }
  return &ctx.map.streetNames[static_cast<size_t>(state.streetRow)];
}

int32_t selectedStreetCode(const StreetSearchState& state, const StreetSearchContext& ctx) {
  const StreetName* street = selectedStreet(state, ctx);
  return street == nullptr ? -1 : street->streetCode;
}

bool validBuilding(const MapData& map, int32_t row) {
  return row >= 0 && row < static_cast<int32_t>(map.buildings.size());
}

bool validHouseRow(const StreetSearchState& state, int32_t row) {
  return row >= 0 && row < static_cast<int32_t>(state.houseList.size());
}

std::string_view upTo(std::string_view text, char stop) {
  return text.substr(0, text.find(stop));
}

// A house list line holds at most kHouseLineLength characters.
void setText(std::string& line, std::string_view text) {
  line = firstCodePoints(text, kHouseLineLength);
}

SearchOutcome focusTo(SearchFocus focus, bool beep = false) {
  SearchOutcome out;
  out.focus = focus;
  out.beep = beep;
  return out;
}

// Closing the window: whatever path closes it, a frame that carries a street
// highlight the marks no longer ask for is composed again.
void closing(SearchOutcome& out, const StreetSearchState& state, const MarkingState& marking) {
  out.close = true;
  if (streetHighlightStale(state, marking)) out.recompose = true;
}

MapBounds widened(const MapBounds& b, float margin) {
  return {b.xMin - margin, b.yMin - margin, b.xMax + margin, b.yMax + margin};
}

}  // namespace

std::string fieldTyped(std::string_view utf8) {
  return std::string(firstCodePoints(upToNul(utf8), kTypedFieldLength));
}

void openStreetSearch(StreetSearchState& state, StreetSearchContext& ctx) {
  state = StreetSearchState{};
  // The frame composed before the window opened shows the street then marked
  // (only while no buildings were chosen).
  state.framedStreet = ctx.marking.chosenCount() == 0 ? ctx.marking.markedStreet : -1;
  ctx.marking.clearMarks();
}

void streetTextChanged(StreetSearchState& state, const StreetSearchContext& ctx,
                       std::string_view typed) {
  const std::string text = fieldTyped(typed);
  state.streetRow = text.empty() ? -1 : findStreetRow(ctx.map.streetNames, text);
}

void houseTextChanged(StreetSearchState& state, std::string_view typed) {
  const std::string text = fieldTyped(typed);
  state.houseRow = text.empty() ? -1 : findHouseRow(state.houseList, text);
}

void streetListSelected(StreetSearchState& state, int32_t row) {
  state.streetRow = row;
}

void houseListSelected(StreetSearchState& state, int32_t row) {
  state.houseRow = validHouseRow(state, row) ? row : -1;
}

SearchOutcome streetFocusGained(StreetSearchState& state) {
  state.houseRow = -1;
  state.houseList.clear();
  SearchOutcome out;
  out.houseListChanged = true;
  return out;
}

SearchOutcome houseFocusGained(StreetSearchState& state, const StreetSearchContext& ctx) {
  if (state.streetRow < 0) return focusTo(SearchFocus::StreetText, true);
  SearchOutcome out;
  if (state.houseList.empty()) {
    buildHouseList(state, ctx);
    out.houseListChanged = true;
  }
  return out;
}

void buildHouseList(StreetSearchState& state, const StreetSearchContext& ctx) {
  state.houseList.clear();
  const StreetName* street = selectedStreet(state, ctx);
  // A street of kind 100 cannot be shown by itself, but its houses can: it
  // keeps its house list.
  if (street == nullptr || street->kind == kKindNoHouses) return;
  const auto& buildings = ctx.map.buildings;
  for (size_t row = 0; row < buildings.size(); ++row) {
    const Building& b = buildings[row];
    if (b.streetCode != street->streetCode) continue;
    if (b.houseNumber.empty()) continue;
    const std::string number = b.houseNumber;
    HouseListEntry entry;
    entry.building = static_cast<int32_t>(row);
    setText(entry.text, number);
    state.houseList.push_back(entry);
  }
  // The further numbers of buildings (houses.txt) each have a line of their own.
  for (const FurtherAddress& a : ctx.map.furtherAddresses) {
    if (a.streetCode != street->streetCode || !validBuilding(ctx.map, a.building)) continue;
    HouseListEntry entry;
    entry.building = a.building;
    setText(entry.text, a.number);
    state.houseList.push_back(entry);
  }
  sortHouseList(state.houseList);
  for (HouseListEntry& entry : state.houseList) {
    const std::string number = entry.text;
    const std::size_t length = codePointCount(number);
    const std::size_t room = kHouseLineRoom - std::min(length, kHouseLineRoom);
    const std::string whole = buildings[static_cast<size_t>(entry.building)].description;
    std::string description(firstCodePoints(whole, room));
    trimText(description);
    if (!description.empty()) setText(entry.text, number + ", " + description);
  }
}

bool showBuilding(StreetSearchContext& ctx, int32_t building, int32_t streetCode) {
  if (!validBuilding(ctx.map, building)) return false;
  ctx.marking.markedStreet = streetCode;
  ctx.marking.chosenBuildings.assign(1, building);
  ctx.marking.chosenPoints.clear();
  const MapBounds& b = ctx.map.buildings[static_cast<size_t>(building)].bounds;
  // On the title sheet the shown rectangle is an old one: the map always opens.
  const bool onMap = ctx.history.count > 1;
  if (onMap && pointInView(ctx.view, b.xMin, b.yMin) &&
      ctx.view.mmPerMetre > kShowHouseMinMmPerMetre) {
    return false;
  }
  const MapBounds r = widened(b, kHouseMargin);
  return pushView(ctx.history, r.xMin, r.yMin, r.xMax, r.yMax) != 0;
}

bool showStreetCode(StreetSearchContext& ctx, int32_t streetCode) {
  MapBounds u{1e10f, 1e10f, -1e10f, -1e10f};
  for (const MapFeature& f : ctx.map.streetLines) {
    if (f.code != streetCode) continue;
    u.xMin = std::min(u.xMin, f.bounds.xMin);
    u.yMin = std::min(u.yMin, f.bounds.yMin);
    u.xMax = std::max(u.xMax, f.bounds.xMax);
    u.yMax = std::max(u.yMax, f.bounds.yMax);
  }
  if (ctx.map.streetLines.empty() || u.xMax < u.xMin) return false;
  ctx.marking.markedStreet = streetCode;
  const MapBounds wide = widened(u, kStreetWideMargin);
  const MapBounds close = widened(u, kStreetMargin);
  pushView(ctx.history, wide.xMin, wide.yMin, wide.xMax, wide.yMax);
  pushView(ctx.history, close.xMin, close.yMin, close.xMax, close.yMax);
  return true;
}

bool showHouse(StreetSearchState& state, StreetSearchContext& ctx, int32_t houseRow) {
  if (!validHouseRow(state, houseRow)) return false;
  return showBuilding(ctx, state.houseList[static_cast<size_t>(houseRow)].building,
                      selectedStreetCode(state, ctx));
}

bool showChosen(StreetSearchState& state, StreetSearchContext& ctx) {
  ctx.marking.markedStreet = selectedStreetCode(state, ctx);
  bool any = false;
  MapBounds u{};
  for (const int32_t row : ctx.marking.chosenBuildings) {
    if (!validBuilding(ctx.map, row)) continue;
    const MapBounds& b = ctx.map.buildings[static_cast<size_t>(row)].bounds;
    if (!any) {
      u = b;
      any = true;
      continue;
    }
    u.xMin = std::min(u.xMin, b.xMin);
    u.yMin = std::min(u.yMin, b.yMin);
    u.xMax = std::max(u.xMax, b.xMax);
    u.yMax = std::max(u.yMax, b.yMax);
  }
  if (!any) return false;
  const MapBounds r = widened(u, kHouseMargin);
  pushView(ctx.history, r.xMin, r.yMin, r.xMax, r.yMax);
  return true;
}

bool showStreet(StreetSearchState& state, StreetSearchContext& ctx) {
  const StreetName* street = selectedStreet(state, ctx);
  return street != nullptr && showStreetCode(ctx, street->streetCode);
}

bool streetHighlightStale(const StreetSearchState& state, const MarkingState& marking) {
  const int32_t wanted = marking.chosenCount() == 0 ? marking.markedStreet : -1;
  return wanted != state.framedStreet;
}

SearchOutcome showCommand(StreetSearchState& state, StreetSearchContext& ctx) {
  SearchOutcome out;
  if (state.listMode) {
    if (ctx.marking.chosenCount() == 0) return focusTo(SearchFocus::StreetText, true);
    out.closeChosenList = true;
    showChosen(state, ctx);
    out.recompose = true;
    closing(out, state, ctx.marking);
    return out;
  }
  if (state.streetRow < 0) return focusTo(SearchFocus::StreetText, true);
  if (validHouseRow(state, state.houseRow)) {
    out.recompose = showHouse(state, ctx, state.houseRow);
    closing(out, state, ctx.marking);
    return out;
  }
  const StreetName* street = selectedStreet(state, ctx);
  if (street == nullptr || street->kind == kKindNotAlone) {
    return focusTo(SearchFocus::StreetList, true);
  }
  if (!showStreet(state, ctx)) return focusTo(SearchFocus::StreetList, true);
  out.recompose = true;
  closing(out, state, ctx.marking);
  return out;
}

SearchOutcome enterCommand(StreetSearchState& state, StreetSearchContext& ctx) {
  if (state.streetRow < 0) return focusTo(SearchFocus::StreetText, true);
  if (!validHouseRow(state, state.houseRow)) return focusTo(SearchFocus::HouseText);
  if (state.listMode) return addChosenHouse(state, ctx);
  SearchOutcome out;
  showHouse(state, ctx, state.houseRow);
  out.recompose = true;
  closing(out, state, ctx.marking);
  return out;
}

SearchOutcome houseDoubleClick(StreetSearchState& state, StreetSearchContext& ctx) {
  if (!validHouseRow(state, state.houseRow)) return focusTo(SearchFocus::HouseList);
  return enterCommand(state, ctx);
}

SearchOutcome cancelCommand(StreetSearchState& state, StreetSearchContext& ctx) {
  SearchOutcome out;
  out.closeChosenList = state.listMode;
  if (state.streetRow >= 0) {
    ctx.marking.clearMarks();
    out.recompose = true;
  }
  closing(out, state, ctx.marking);
  return out;
}

SearchOutcome listModeToggled(StreetSearchState& state, StreetSearchContext& ctx) {
  SearchOutcome out;
  state.listMode = !state.listMode;
  if (state.listMode) {
    out.openChosenList = true;
  } else {
    out.closeChosenList = true;
    ctx.marking.chosenBuildings.clear();
    ctx.marking.chosenPoints.clear();
    state.chosenLines.clear();
    out.chosenLinesChanged = true;
  }
  out.focus = state.streetRow >= 0 ? SearchFocus::HouseText : SearchFocus::StreetText;
  return out;
}

SearchOutcome addChosenHouse(StreetSearchState& state, StreetSearchContext& ctx) {
  SearchOutcome out;
  if (!validHouseRow(state, state.houseRow)) return out;
  const HouseListEntry& entry = state.houseList[static_cast<size_t>(state.houseRow)];
  if (ctx.marking.isChosen(entry.building)) return out;
  if (!ctx.marking.choose(entry.building)) {
    out.beep = true;  // the list is full
    return out;
  }
  const StreetName* street = selectedStreet(state, ctx);
  const std::string name = street == nullptr ? std::string{} : street->name;
  std::string line(upTo(name, '/'));
  line += ", ";
  line += upTo(entry.text, ',');
  state.chosenLines.push_back(std::move(line));
  out.chosenLinesChanged = true;
  return out;
}

SearchOutcome deleteChosenLine(StreetSearchState& state, StreetSearchContext& ctx, int32_t line) {
  SearchOutcome out;
  auto& chosen = ctx.marking.chosenBuildings;
  if (line < 0 || line >= static_cast<int32_t>(chosen.size())) return out;
  chosen.erase(chosen.begin() + line);
  if (line < static_cast<int32_t>(state.chosenLines.size())) {
    state.chosenLines.erase(state.chosenLines.begin() + line);
  }
  out.chosenLinesChanged = true;
  return out;
}

}  // namespace tikhomap
