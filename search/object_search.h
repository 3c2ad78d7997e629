// The logic of the object search window: the theme list, the criteria, the
// filter that marks the found objects, where the map goes for the results
// and the address of a result. The window itself (app/) shows this state.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "mapdata/map_data.h"
#include "view/marking_state.h"
#include "view/view_state.h"

namespace tikhomap {

// At most this many objects are marked by one search.
inline constexpr int32_t kMaxFoundObjects = 500;
// Longest name text read, in characters.
inline constexpr std::size_t kObjectNameLength = 39;
// A microdistrict filter takes the buildings this near its point.
inline constexpr float kMicrodistrictReach = 1000;
// A result's address names a microdistrict nearer than this.
inline constexpr float kAddressMicrodistrictReach = 500;
// Margin around the buildings of the results shown on the map.
inline constexpr float kObjectMargin = 250;

// One line of the theme list: " group" or "        theme", with the node it
// was made from (two themes may share a name).
struct ThemeLine {
  std::string text;  // UTF-8
  int32_t node = -1;
};
std::vector<ThemeLine> themeLines(const MapData& map);

// What the window's fields say when "Список" is pressed.
struct ObjectCriteria {
  std::string nameText = {};  // UTF-8 as typed
  int32_t nameMode = -1;      // 0 "начинается с", 1 "содержит", -1 none (= 1)
  int32_t streetRow = -1;     // row of streetNames
  int32_t districtRow = -1;   // district number - 1
  int32_t microRow = -1;      // row of microdistricts
  int32_t themeNode = -1;     // node of themeNodes, -1 = any theme
};

// The first building at an address point, -1 for none: one look-up walks
// the table; AddressIndex serves a search that looks up every object.
int32_t firstBuildingAt(const MapData& map, int32_t x, int32_t y);

// The same for many look-ups: the buildings sorted once by address point,
// when the map's buildings are read. buildingAt answers what
// firstBuildingAt answers. It also keeps the objects' names folded, so that
// a search by name folds no name.
class AddressIndex {
 public:
  AddressIndex() = default;
  // foldNames false leaves the names out, for an index of one search.
  explicit AddressIndex(const MapData& map, bool foldNames = true);
  int32_t buildingAt(int32_t x, int32_t y) const;
  // Object `row`'s name folded (search/name_fold.h); "" past the objects the
  // index was built with.
  std::string_view foldedName(std::size_t row) const;
  std::size_t foldedCount() const { return foldedNames_.size(); }

 private:
  struct Entry {
    uint64_t point = 0;  // x in the high 32 bits, y in the low
    int32_t row = 0;
  };
  std::vector<Entry> entries_;  // by point, then row
  std::vector<std::string> foldedNames_;
};

// Marks the objects that pass every criterion (at most 500) with foundMark
// and answers their count (also kept in marking.objectResultCount).
// markedStreet is the street filter's code (-1 = none). Without an index
// of the map's address points, one is sorted for this search.
int32_t filterObjects(MapData& map, MarkingState& marking, const ObjectCriteria& criteria,
                      int32_t streetCode, const AddressIndex* index = nullptr);

struct ObjectSearchOutcome {
  bool beep = false;
  int32_t count = 0;
  bool viewMoved = false;
  bool closeWindow = false;  // a single result with "Закрывать окно ..."
};

// "Список": filters, and with results marks the street and asks for the
// microdistrict's flash; a single result is marked and shown at once. A
// search that finds nothing changes nothing on the map.
ObjectSearchOutcome runObjectSearch(MapData& map, MarkingState& marking, ViewHistory& history,
                                    const ViewState& view, const ObjectCriteria& criteria,
                                    bool closeOnShow, const AddressIndex* index = nullptr);

// Rows of the objects of the current result, in table order.
std::vector<int32_t> foundObjects(const MapData& map);
// Forgets the current result.
void discardResults(MapData& map, MarkingState& marking);

// "На карте": marks the buildings of the selected objects (rows of
// userObjects) and moves the view to them when they are several, off the
// map, or the scale is coarse. Beeps for an empty selection.
ObjectSearchOutcome showObjectResults(const MapData& map, MarkingState& marking,
                                      ViewHistory& history, const ViewState& view,
                                      std::span<const int32_t> objects,
                                      const AddressIndex* index = nullptr);

// Where a result is, for the window's fields (UTF-8). found is false when
// no building stands at the object's address point.
struct ObjectAddress {
  bool found = false;
  std::string street;
  std::string house;
  std::string district;
  std::string microdistrict;
};
ObjectAddress objectAddress(const MapData& map, int32_t object);

// "Всего: 12", or "Всего более 500" for a full result (UTF-8).
std::string objectCountText(int32_t count);

}  // namespace tikhomap
