// The searches over a map beyond the 16-bit ranges: address points and rows
// above 65535 and 32767, street codes up to the cap, hostile codes beyond it.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>

#include "mapdata/limits.h"
#include "mapdata/table_order.h"
#include "search/object_search.h"
#include "search/quick_search.h"
#include "search/street_search.h"

namespace tikhomap {
namespace {

constexpr int32_t kWideCode = 70000;

Building house(int32_t x, int32_t y, int32_t street, const char* number) {
  Building b;
  b.x = x;
  b.y = y;
  b.streetCode = street;
  b.houseNumber = number;
  b.bounds = {x - 5.0f, y - 5.0f, x + 5.0f, y + 5.0f};
  return b;
}

// A town of 40,000 buildings on a street of code 70,000, its last house at
// row 39,999; a building at (70000, 5) and one at (4464, 5), the same point
// in its low 16 bits; and streets of hostile codes.
MapData wideTown() {
  MapData m;
  StreetName s;
  s.kind = 1;
  s.streetCode = kWideCode;
  s.name = "Широкая ул.";
  m.streetNames.push_back(s);
  MapFeature axis;
  axis.code = kWideCode;
  axis.points = {{70000, 0}, {70100, 0}};
  axis.pointCount = 2;
  m.streetLines.push_back(axis);
  axis.code = std::numeric_limits<int32_t>::max();
  m.streetLines.push_back(axis);
  indexStreetCodes(m);
  m.buildings.push_back(house(70000, 5, kWideCode, "1"));
  m.buildings.push_back(house(4464, 5, std::numeric_limits<int32_t>::max(), "2"));
  m.buildings.push_back(house(4464, 5, kMaxStreetCode + 1, "3"));
  while (m.buildings.size() < 39999) m.buildings.push_back(house(100, 100, 0, ""));
  m.buildings.push_back(house(80000, 90000, kWideCode, "7"));
  return m;
}

TEST(WideMap, AddressPointsMeetOnlyWhenWhollyEqual) {
  const MapData m = wideTown();
  const AddressIndex index(m);
  EXPECT_EQ(index.buildingAt(70000, 5), 0);
  EXPECT_EQ(index.buildingAt(4464, 5), 1);  // the first of the point
  EXPECT_EQ(index.buildingAt(80000, 90000), 39999);
  EXPECT_EQ(index.buildingAt(70000 + 65536, 5), -1);
  EXPECT_EQ(index.buildingAt(80000 + 65536, 90000), -1);
  for (const auto& [x, y] : {std::pair{70000, 5}, {4464, 5}, {80000, 90000}, {-1, 5}}) {
    EXPECT_EQ(index.buildingAt(x, y), firstBuildingAt(m, x, y)) << x << "," << y;
  }
}

TEST(WideMap, StreetIndexesHoldWideCodesAndRowsAndLeaveOutHostileOnes) {
  const MapData m = wideTown();
  const QuickSearchIndex index(m);
  EXPECT_EQ(std::vector<int32_t>(index.rowsOf(kWideCode).begin(), index.rowsOf(kWideCode).end()),
            (std::vector<int32_t>{0, 39999}));
  EXPECT_TRUE(index.hasLine(kWideCode));
  EXPECT_FALSE(index.hasLine(std::numeric_limits<int32_t>::max()));
  EXPECT_TRUE(index.rowsOf(std::numeric_limits<int32_t>::max()).empty());
  EXPECT_TRUE(index.rowsOf(kMaxStreetCode + 1).empty());

  const QuickSearchResult r = quickSearch(m, index, "Широкая 7");
  ASSERT_EQ(r.matches.size(), 1u);
  EXPECT_EQ(r.matches[0].building, 39999);
  EXPECT_EQ(quickSearch(m, "Широкая 7").matches.size(), 1u);

  // The house list of the street keeps rows beyond 32767.
  MarkingState marking;
  ViewHistory history;
  const ViewState view;
  const StreetSearchContext ctx{m, marking, history, view};
  StreetSearchState state;
  state.streetRow = 0;
  buildHouseList(state, ctx);
  ASSERT_EQ(state.houseList.size(), 2u);
  EXPECT_EQ(state.houseList[1].building, 39999);
}

}  // namespace
}  // namespace tikhomap
