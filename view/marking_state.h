// What the searches have marked on the map: chosen buildings, the marked
// street, and the names waiting to flash at the next paint or flashing now.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

namespace tikhomap {

inline constexpr int kMaxChosenBuildings = 500;

// What a name flash names: a microdistrict or an addressed object. The flash
// keeps the row, not a copy, so it always names what the table holds.
struct NameFlash {
  enum class Source : uint8_t { Microdistrict, Object };
  Source source = Source::Microdistrict;
  int32_t row = 0;  // of MapData::microdistricts or MapData::userObjects
  friend bool operator==(const NameFlash&, const NameFlash&) = default;
};

struct MarkingState {
  // Rows of MapData::buildings in the order chosen. The vector is the one
  // truth; chosenCount() is its size, and it never holds more than
  // kMaxChosenBuildings rows.
  std::vector<int32_t> chosenBuildings;
  // Found objects that have no building (a landmark whose building the map
  // lacks): a flag stands at the object's own point, map x and y.
  struct Point {
    float x = 0;
    float y = 0;
    friend bool operator==(const Point&, const Point&) = default;
  };
  std::vector<Point> chosenPoints;
  int32_t markedStreet = -1;  // street code, -1 = none
  // Objects of the last object search (their foundMark is 1); kept while the
  // search window is closed by showing them.
  int32_t objectResultCount = 0;

  // Asked for by a search; the next composed frame shows them.
  std::optional<NameFlash> pendingNameFlash;
  std::optional<int32_t> pendingDistrictFlash;  // row of MapData::districtAreas
  // Shown over the frame until the flash timer ends them.
  std::optional<NameFlash> nameFlash;
  std::optional<int32_t> districtFlash;

  int32_t chosenCount() const { return static_cast<int32_t>(chosenBuildings.size()); }
  bool hasMarks() const {
    return !chosenBuildings.empty() || !chosenPoints.empty() || markedStreet >= 0;
  }
  bool isChosen(int32_t row) const {
    return std::find(chosenBuildings.begin(), chosenBuildings.end(), row) != chosenBuildings.end();
  }
  // Appends a building unless it is already chosen or the list is full;
  // false when nothing was added.
  bool choose(int32_t row) {
    if (isChosen(row) || chosenCount() >= kMaxChosenBuildings) return false;
    chosenBuildings.push_back(row);
    return true;
  }
  void clearMarks() {
    chosenBuildings.clear();
    chosenPoints.clear();
    markedStreet = -1;
  }
  bool flashShown() const { return nameFlash.has_value() || districtFlash.has_value(); }
};

}  // namespace tikhomap
