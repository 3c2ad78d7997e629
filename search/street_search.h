// The logic of the street and house search window: what typing selects, what
// the focus changes do, the house list of a street, the list of houses chosen
// for viewing, and where the view goes for a house, a street or the chosen
// list. The window itself (app/) only shows this state and carries out the
// outcomes: beeps, focus moves, closing, recomposing.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "mapdata/map_data.h"
#include "search/name_matching.h"
#include "view/marking_state.h"
#include "view/view_state.h"

namespace tikhomap {

// Longest text read from either text field, in characters.
inline constexpr std::size_t kTypedFieldLength = 31;
// A house already on screen is only marked when the scale is finer than this.
inline constexpr double kShowHouseMinMmPerMetre = 0.4;
// Margins, in metres, around a house, the chosen houses and a street.
inline constexpr float kHouseMargin = 200;
inline constexpr float kStreetWideMargin = 500;
inline constexpr float kStreetMargin = 100;

enum class SearchFocus : uint8_t { Keep, StreetText, StreetList, HouseText, HouseList };

// What the window must do after a step of the logic.
struct SearchOutcome {
  bool beep = false;
  SearchFocus focus = SearchFocus::Keep;
  bool close = false;             // the window closes
  bool recompose = false;         // the next paint composes a new frame
  bool closeChosenList = false;   // the chosen-list window closes
  bool openChosenList = false;    // the chosen-list window opens
  bool houseListChanged = false;  // the house list box is refilled
  bool chosenLinesChanged = false;
};

// Everything the search reads and writes outside its own state.
struct StreetSearchContext {
  const MapData& map;
  MarkingState& marking;
  ViewHistory& history;
  const ViewState& view;
};

struct StreetSearchState {
  int32_t streetRow = -1;  // row of map.streetNames, -1 = none
  int32_t houseRow = -1;   // row of houseList, -1 = none
  bool listMode = false;   // "Формировать список"
  // The houses of the selected street; empty also means "not built yet".
  // A street lists every numbered house it has, however many.
  std::vector<HouseListEntry> houseList;
  // Lines of the chosen-list window (UTF-8), one per entry of
  // marking.chosenBuildings.
  std::vector<std::string> chosenLines;
  // The street mark the last composed frame carries (a street highlight is
  // part of the frame): when the marks change from it, the frame is stale.
  int32_t framedStreet = -1;
};

// Cuts typed text (UTF-8) to what a field holds: its first
// kTypedFieldLength characters.
std::string fieldTyped(std::string_view utf8);

// Opening: the marks are cleared, the lists are empty, no street selected.
void openStreetSearch(StreetSearchState& state, StreetSearchContext& ctx);

// The street text (UTF-8) changed: selects the row findStreetRow gives, or
// none for an empty text.
void streetTextChanged(StreetSearchState& state, const StreetSearchContext& ctx,
                       std::string_view typed);
// The house text changed: selects the row findHouseRow gives, or none.
void houseTextChanged(StreetSearchState& state, std::string_view typed);
// A row chosen with the mouse or the arrow keys (-1 = none).
void streetListSelected(StreetSearchState& state, int32_t row);
void houseListSelected(StreetSearchState& state, int32_t row);

// The street text or the street list gained the focus: the house side is
// emptied; the shell then clears both texts (house first, then street).
SearchOutcome streetFocusGained(StreetSearchState& state);
// The house text or list gained the focus: without a street the beep sounds
// and the focus goes back to the street text; otherwise the house list is
// built if it is not yet.
SearchOutcome houseFocusGained(StreetSearchState& state, const StreetSearchContext& ctx);

// Fills state.houseList for state.streetRow: every building of the street
// with a house number, in house order, with the description appended.
void buildHouseList(StreetSearchState& state, const StreetSearchContext& ctx);

// The commands of the window.
SearchOutcome showCommand(StreetSearchState& state, StreetSearchContext& ctx);  // "Показать"
SearchOutcome enterCommand(StreetSearchState& state, StreetSearchContext& ctx);  // Enter
SearchOutcome houseDoubleClick(StreetSearchState& state, StreetSearchContext& ctx);
SearchOutcome cancelCommand(StreetSearchState& state, StreetSearchContext& ctx);  // "Отмена"
// The list-mode box inverted its check mark.
SearchOutcome listModeToggled(StreetSearchState& state, StreetSearchContext& ctx);

// Appends the selected house to the chosen list; a house already there is
// left alone, and a full list refuses it with the beep.
SearchOutcome addChosenHouse(StreetSearchState& state, StreetSearchContext& ctx);
// A double click on line `line` of the chosen-list window deletes it.
SearchOutcome deleteChosenLine(StreetSearchState& state, StreetSearchContext& ctx, int32_t line);

// Where the view goes for one building of a street: it is marked alone with
// its street; the view moves to it (200 m around) unless its south-west
// corner is already on the map at a scale finer than 0.4 mm per metre.
// Returns whether the view moved. A row outside the table changes nothing.
bool showBuilding(StreetSearchContext& ctx, int32_t building, int32_t streetCode);
// Marks a street and shows all its lines with a 100 m margin, one step back
// with 500 m; false (nothing changes) when the street has no line.
bool showStreetCode(StreetSearchContext& ctx, int32_t streetCode);

// The same for the window's selection (each pushes onto the view history when
// it moves). showHouse returns whether the view changed.
bool showHouse(StreetSearchState& state, StreetSearchContext& ctx, int32_t houseRow);
bool showChosen(StreetSearchState& state, StreetSearchContext& ctx);
bool showStreet(StreetSearchState& state, StreetSearchContext& ctx);

// Whether the frame must be composed again because the street highlight it
// carries is not the one the marks now ask for.
bool streetHighlightStale(const StreetSearchState& state, const MarkingState& marking);

}  // namespace tikhomap
