// The district and microdistrict choices: which record a chosen list row
// names, where the view goes, and the name flash they leave for the next
// frame. Neither touches the building marks.
#pragma once

#include <cstdint>
#include <string_view>

#include "mapdata/map_data.h"
#include "view/marking_state.h"
#include "view/view_state.h"

namespace tikhomap {

// Half the side, in metres, of the square shown around a microdistrict.
inline constexpr float kMicrodistrictHalfSide = 500;

// Row of districtAreas of the first polygon (entry 0, the land outline, is
// never one) of district `listRow + 1`, or -1 when the city has none.
int32_t districtAreaForListRow(const MapData& map, int32_t listRow);

// Moves the view to the bounds of the district's first polygon and asks for
// its flash. False, with nothing changed, when the district has no polygon.
bool chooseDistrict(const MapData& map, MarkingState& marking, ViewHistory& history,
                    int32_t listRow);

// Moves the view to a 1 km square around the microdistrict's point (kept
// inside the city by the view history) and asks for its name flash. False
// for a row outside the table.
bool chooseMicrodistrict(const MapData& map, MarkingState& marking, ViewHistory& history,
                         int32_t row);

// Row of the first microdistrict whose folded name begins with the folded
// typed text (UTF-8), -1 when none does or the text is empty.
int32_t findMicrodistrictRow(const MapData& map, std::string_view typed);

}  // namespace tikhomap
