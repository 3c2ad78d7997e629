#include "search/place_choice.h"

#include <string>

#include "mapdata/text_rules.h"
#include "search/name_fold.h"

namespace tikhomap {

int32_t districtAreaForListRow(const MapData& map, int32_t listRow) {
  const auto& areas = map.districtAreas;
  for (size_t i = 1; i < areas.size(); ++i) {
    if (areas[i].district == listRow + 1) return static_cast<int32_t>(i);
  }
  return -1;
}

bool chooseDistrict(const MapData& map, MarkingState& marking, ViewHistory& history,
                    int32_t listRow) {
  const int32_t row = districtAreaForListRow(map, listRow);
  if (row < 0) return false;
  const int32_t* b = map.districtAreas[static_cast<size_t>(row)].boundsLow;
  marking.pendingDistrictFlash = row;
  pushView(history, b[0], b[1], b[2], b[3]);
  return true;
}

bool chooseMicrodistrict(const MapData& map, MarkingState& marking, ViewHistory& history,
                         int32_t row) {
  if (row < 0 || row >= static_cast<int32_t>(map.microdistricts.size())) return false;
  const Microdistrict& m = map.microdistricts[static_cast<size_t>(row)];
  marking.pendingNameFlash = NameFlash{NameFlash::Source::Microdistrict, row};
  const float x = m.x;
  const float y = m.y;
  pushView(history, x - kMicrodistrictHalfSide, y - kMicrodistrictHalfSide,
           x + kMicrodistrictHalfSide, y + kMicrodistrictHalfSide);
  return true;
}

int32_t findMicrodistrictRow(const MapData& map, std::string_view typed) {
  const std::string prefix = foldName(upToNul(typed));
  if (prefix.empty()) return -1;
  for (size_t i = 0; i < map.microdistricts.size(); ++i) {
    const std::string name = foldName(map.microdistricts[i].name);
    if (name.starts_with(prefix)) return static_cast<int32_t>(i);
  }
  return -1;
}

}  // namespace tikhomap
