#include "search/object_search.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <optional>

#include "mapdata/district_names.h"
#include "search/name_fold.h"
#include "search/name_matching.h"
#include "view/geometry.h"
#include "view/visibility.h"

namespace tikhomap {
namespace {

constexpr double kCoarseMmPerMetre = 0.4;

bool isGroup(const ThemeNode& node) {
  return node.code[1] == '1';
}

bool validRow(int32_t row, std::size_t size) {
  return row >= 0 && static_cast<std::size_t>(row) < size;
}

// Node indexes are checked and the walk is bounded, so a damaged list can
// neither read outside the table nor loop.
template <typename F>
void forEachInList(const MapData& map, int32_t head, F&& visit) {
  std::size_t steps = 0;
  for (int32_t n = head; validRow(n, map.themeNodes.size()) && steps <= map.themeNodes.size();
       n = map.themeNodes[static_cast<std::size_t>(n)].next, ++steps) {
    visit(n);
  }
}

uint64_t packPoint(int32_t x, int32_t y) {
  return (static_cast<uint64_t>(static_cast<uint32_t>(x)) << 32) | static_cast<uint32_t>(y);
}

// The district polygon of a district number: the first area from entry 1.
const DistrictArea* districtPolygon(const MapData& map, int32_t district) {
  for (std::size_t i = 1; i < map.districtAreas.size(); ++i) {
    if (map.districtAreas[i].district == district) return &map.districtAreas[i];
  }
  return nullptr;
}

struct Box {
  float xMin = 1e10f, yMin = 1e10f, xMax = -1e10f, yMax = -1e10f;
  void add(const MapBounds& b) {
    xMin = std::min(xMin, b.xMin);
    yMin = std::min(yMin, b.yMin);
    xMax = std::max(xMax, b.xMax);
    yMax = std::max(yMax, b.yMax);
  }
};

bool pushWidened(ViewHistory& history, const Box& b) {
  return pushView(history, b.xMin - kObjectMargin, b.yMin - kObjectMargin, b.xMax + kObjectMargin,
                  b.yMax + kObjectMargin) != 0;
}

}  // namespace

std::vector<ThemeLine> themeLines(const MapData& map) {
  std::vector<ThemeLine> lines;
  forEachInList(map, map.themeHead, [&](int32_t group) {
    const ThemeNode& g = map.themeNodes[static_cast<std::size_t>(group)];
    lines.push_back({" " + g.name, group});
    forEachInList(map, g.children, [&](int32_t theme) {
      const ThemeNode& t = map.themeNodes[static_cast<std::size_t>(theme)];
      lines.push_back({"        " + t.name, theme});
    });
  });
  return lines;
}

AddressIndex::AddressIndex(const MapData& map, bool foldNames) {
  entries_.reserve(map.buildings.size());
  for (std::size_t row = 0; row < map.buildings.size(); ++row) {
    const Building& b = map.buildings[row];
    entries_.push_back({packPoint(b.x, b.y), static_cast<int32_t>(row)});
  }
  // By point, then row: the first building of a point comes first.
  std::sort(entries_.begin(), entries_.end(), [](const Entry& a, const Entry& b) {
    return a.point != b.point ? a.point < b.point : a.row < b.row;
  });
  if (!foldNames) return;
  foldedNames_.reserve(map.userObjects.size());
  for (const UserObject& o : map.userObjects) {
    foldedNames_.push_back(foldName(o.name));
  }
}

std::string_view AddressIndex::foldedName(std::size_t row) const {
  return row < foldedNames_.size() ? std::string_view(foldedNames_[row]) : std::string_view{};
}

int32_t AddressIndex::buildingAt(int32_t x, int32_t y) const {
  // Whole values meet: an object point and a building point are the same
  // point only when both coordinates are equal.
  const uint64_t point = packPoint(x, y);
  const auto it = std::lower_bound(entries_.begin(), entries_.end(), point,
                                   [](const Entry& e, uint64_t p) { return e.point < p; });
  if (it == entries_.end() || it->point != point) return -1;
  return it->row;
}

int32_t firstBuildingAt(const MapData& map, int32_t x, int32_t y) {
  for (std::size_t row = 0; row < map.buildings.size(); ++row) {
    const Building& b = map.buildings[row];
    if (b.x == x && b.y == y) return static_cast<int32_t>(row);
  }
  return -1;
}

int32_t filterObjects(MapData& map, MarkingState& marking, const ObjectCriteria& criteria,
                      int32_t streetCode, const AddressIndex* index) {
  std::string search(firstCodePoints(upToNul(criteria.nameText), kObjectNameLength));
  prepareObjectSearch(search);
  const auto mode = criteria.nameMode == 0 ? NameMatchMode::kBeginsWith : NameMatchMode::kContains;

  const ThemeNode* theme = validRow(criteria.themeNode, map.themeNodes.size())
                               ? &map.themeNodes[static_cast<std::size_t>(criteria.themeNode)]
                               : nullptr;
  const std::size_t themeLength = theme != nullptr && isGroup(*theme) ? 1 : 2;

  const bool byStreet = streetCode >= 0;
  const bool byDistrict = criteria.districtRow >= 0;
  const bool byMicro = validRow(criteria.microRow, map.microdistricts.size());
  const DistrictArea* polygon =
      byDistrict ? districtPolygon(map, criteria.districtRow + 1) : nullptr;
  const Microdistrict* micro =
      byMicro ? &map.microdistricts[static_cast<std::size_t>(criteria.microRow)] : nullptr;
  const bool byAddress = byStreet || byDistrict || byMicro;
  std::optional<AddressIndex> ownIndex;
  if (byAddress && index == nullptr) index = &ownIndex.emplace(map, false);

  std::string ownFolded;
  marking.objectResultCount = 0;
  for (UserObject& o : map.userObjects) o.foundMark = 0;
  for (UserObject& o : map.userObjects) {
    if (marking.objectResultCount >= kMaxFoundObjects) break;
    if (theme != nullptr && !std::equal(o.theme, o.theme + themeLength, theme->code)) continue;
    // An empty search lets every name pass: no name is folded for it.
    if (!search.empty()) {
      const auto row = static_cast<std::size_t>(&o - map.userObjects.data());
      std::string_view folded;
      if (index != nullptr && row < index->foldedCount()) {
        folded = index->foldedName(row);
      } else {
        foldNameInto(o.name, ownFolded);
        folded = ownFolded;
      }
      if (!matchesFoldedName(folded, search, mode)) continue;
    }
    if (byAddress) {
      const int32_t row = index->buildingAt(o.x, o.y);
      if (row < 0) continue;
      const Building& b = map.buildings[static_cast<std::size_t>(row)];
      if (byStreet && b.streetCode != streetCode) continue;
      // A district without a polygon has no buildings.
      if (byDistrict && (polygon == nullptr || !pointInMetrePolygon(polygon->points, b.x, b.y))) {
        continue;
      }
      if (micro != nullptr && pointDistance(b.x, b.y, micro->x, micro->y) > kMicrodistrictReach) {
        continue;
      }
    }
    o.foundMark = 1;
    ++marking.objectResultCount;
  }
  return marking.objectResultCount;
}

std::vector<int32_t> foundObjects(const MapData& map) {
  std::vector<int32_t> rows;
  for (std::size_t i = 0; i < map.userObjects.size(); ++i) {
    if (map.userObjects[i].foundMark == 1) rows.push_back(static_cast<int32_t>(i));
  }
  return rows;
}

void discardResults(MapData& map, MarkingState& marking) {
  for (UserObject& o : map.userObjects) o.foundMark = 0;
  marking.objectResultCount = 0;
}

ObjectSearchOutcome runObjectSearch(MapData& map, MarkingState& marking, ViewHistory& history,
                                    const ViewState& view, const ObjectCriteria& criteria,
                                    bool closeOnShow, const AddressIndex* index) {
  ObjectSearchOutcome out;
  const int32_t streetCode =
      validRow(criteria.streetRow, map.streetNames.size())
          ? map.streetNames[static_cast<std::size_t>(criteria.streetRow)].streetCode
          : -1;
  out.count = filterObjects(map, marking, criteria, streetCode, index);
  if (out.count == 0) {
    out.beep = true;  // the map keeps what it showed
    return out;
  }
  marking.markedStreet = streetCode;
  if (validRow(criteria.microRow, map.microdistricts.size())) {
    marking.pendingNameFlash = NameFlash{NameFlash::Source::Microdistrict, criteria.microRow};
  } else {
    marking.pendingNameFlash.reset();
  }
  if (out.count != 1) return out;

  const std::vector<int32_t> found = foundObjects(map);
  const UserObject& o = map.userObjects[static_cast<std::size_t>(found.front())];
  const int32_t b = firstBuildingAt(map, o.x, o.y);
  // An object without a building at its point gets its flag at that point.
  marking.chosenPoints.clear();
  if (b < 0) {
    marking.chosenBuildings.clear();
    marking.chosenPoints.push_back({static_cast<float>(o.x), static_cast<float>(o.y)});
  }
  {
    if (b >= 0) marking.chosenBuildings.assign(1, b);
    const MapBounds bounds = b >= 0 ? map.buildings[static_cast<std::size_t>(b)].bounds
                                    : MapBounds{static_cast<float>(o.x), static_cast<float>(o.y),
                                                static_cast<float>(o.x), static_cast<float>(o.y)};
    if (history.count <= 1 || !pointInView(view, bounds.xMin, bounds.yMin) ||
        view.mmPerMetre < kCoarseMmPerMetre) {
      Box box;
      box.add(bounds);
      out.viewMoved = pushWidened(history, box);
    }
  }
  if (closeOnShow) {
    discardResults(map, marking);
    out.closeWindow = true;
  }
  return out;
}

ObjectSearchOutcome showObjectResults(const MapData& map, MarkingState& marking,
                                      ViewHistory& history, const ViewState& view,
                                      std::span<const int32_t> objects, const AddressIndex* index) {
  ObjectSearchOutcome out;
  if (objects.empty()) {
    out.beep = true;
    return out;
  }
  std::optional<AddressIndex> ownIndex;
  if (index == nullptr) index = &ownIndex.emplace(map, false);
  marking.chosenBuildings.clear();
  marking.chosenPoints.clear();
  Box box;
  // Each selected line stands for its own object, so two objects of one
  // name mark their own buildings; a building is marked once. An object
  // without a building is flagged at its own point.
  for (const int32_t row : objects) {
    if (!validRow(row, map.userObjects.size())) continue;
    const UserObject& o = map.userObjects[static_cast<std::size_t>(row)];
    const int32_t b = index->buildingAt(o.x, o.y);
    if (marking.chosenCount() + static_cast<int32_t>(marking.chosenPoints.size()) >=
        kMaxChosenBuildings)
      break;
    if (b < 0) {
      const MarkingState::Point p{static_cast<float>(o.x), static_cast<float>(o.y)};
      if (std::find(marking.chosenPoints.begin(), marking.chosenPoints.end(), p) ==
          marking.chosenPoints.end())
        marking.chosenPoints.push_back(p);
      box.add(MapBounds{p.x, p.y, p.x, p.y});
      continue;
    }
    marking.choose(b);
    box.add(map.buildings[static_cast<std::size_t>(b)].bounds);
  }
  const int32_t marked = marking.chosenCount() + static_cast<int32_t>(marking.chosenPoints.size());
  if (marked == 0) return out;  // nothing to show: the view stays
  const float cx = (box.xMin + box.xMax) / 2;
  const float cy = (box.yMin + box.yMax) / 2;
  if (marked > 1 || history.count <= 1 || !pointInView(view, cx, cy) ||
      view.mmPerMetre < kCoarseMmPerMetre) {
    out.viewMoved = pushWidened(history, box);
  }
  return out;
}

ObjectAddress objectAddress(const MapData& map, int32_t object) {
  ObjectAddress a;
  if (!validRow(object, map.userObjects.size())) return a;
  const UserObject& o = map.userObjects[static_cast<std::size_t>(object)];
  const int32_t row = firstBuildingAt(map, o.x, o.y);
  if (row < 0) return a;
  a.found = true;
  const Building& b = map.buildings[static_cast<std::size_t>(row)];
  if (b.streetCode != 0) {
    if (const StreetName* street = map.streetByCode(b.streetCode)) {
      a.street = street->name;
    }
  }
  a.house = b.houseNumber;
  for (std::size_t i = 1; i < map.districtAreas.size(); ++i) {
    const DistrictArea& d = map.districtAreas[i];
    if (pointInMetrePolygon(d.points, b.x, b.y)) {
      a.district = districtName(map, d.district);
      break;
    }
  }
  float nearest = std::numeric_limits<float>::max();
  for (const Microdistrict& m : map.microdistricts) {
    const float d = pointDistance(b.x, b.y, m.x, m.y);
    if (d < nearest) {
      nearest = d;
      a.microdistrict = d < kAddressMicrodistrictReach ? m.name : "";
    }
  }
  return a;
}

std::string objectCountText(int32_t count) {
  char text[64];
  if (count > kMaxFoundObjects - 1) {
    std::snprintf(text, sizeof text, "Всего более %d", count);
  } else {
    std::snprintf(text, sizeof text, "Всего: %d", count);
  }
  return text;
}

}  // namespace tikhomap
