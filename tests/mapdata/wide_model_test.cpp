// The model holds 32-bit values; the eleven files hold 16-bit ones. Their
// writer refuses what they cannot hold, and the street-code index allocates
// only for the codes it can hold.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <limits>

#include "mapdata/limits.h"
#include "mapdata/table_order.h"
#include "mapdata/tkm_writer.h"
#include "sample_map.h"

namespace tikhomap {
namespace {

namespace fs = std::filesystem;

TEST(MapFilesFit, EachValueBeyondItsFieldIsRefusedAndNothingIsWritten) {
  struct Case {
    const char* says;
    std::function<void(MapData&, TitleSheetFile&)> change;
  };
  const Case cases[] = {
      {"buildings: 32768 records",
       [](MapData& m, TitleSheetFile&) { m.buildings.resize(32768, m.buildings[0]); }},
      {"address point of building 0: 65536",
       [](MapData& m, TitleSheetFile&) { m.buildings[0].x = 65536; }},
      {"address point of building 1: -1",
       [](MapData& m, TitleSheetFile&) { m.buildings[1].y = -1; }},
      {"building 0: 32768 vertices",
       [](MapData& m, TitleSheetFile&) { m.buildings[0].outline.resize(32768); }},
      {"street code of building 0: 32768",
       [](MapData& m, TitleSheetFile&) { m.buildings[0].streetCode = 32768; }},
      {"point of object 0: 32768", [](MapData& m, TitleSheetFile&) { m.userObjects[0].x = 32768; }},
      {"point of sign 0: -32769", [](MapData& m, TitleSheetFile&) { m.signRecords[0].b = -32769; }},
      {"level of label anchor 1: -32769",
       [](MapData& m, TitleSheetFile&) { m.streetLabelPoints[1].level = -32769; }},
      {"street code of name 0: 40000",
       [](MapData& m, TitleSheetFile&) { m.streetNames[0].streetCode = 40000; }},
      {"street kind of name 1: 256",
       [](MapData& m, TitleSheetFile&) { m.streetNames[1].kind = 256; }},
      {"district polygon 1: 70000",
       [](MapData& m, TitleSheetFile&) { m.districtAreas[1].points[0].x = 70000; }},
      {"district bounds of polygon 0: 65536",
       [](MapData& m, TitleSheetFile&) { m.districtAreas[0].boundsLow[2] = 65536; }},
      {"microdistrict 0: 65536",
       [](MapData& m, TitleSheetFile&) { m.microdistricts[0].x = 65536; }},
      {"street axis 0: 32768 vertices",
       [](MapData& m, TitleSheetFile&) { m.streetLines[0].points.resize(32768); }},
      {"area 0: -40000", [](MapData& m, TitleSheetFile&) { m.areaFeatures[0].code = -40000; }},
      {"regional panel 0: 66000",
       [](MapData&, TitleSheetFile& t) {
         t.texts.push_back({'e', 66000, 10, "A"});
       }},
  };
  const fs::path dir =
      fs::temp_directory_path() / ("tikhomap-wide-model-" + std::to_string(::getpid()));
  fs::remove_all(dir);
  const TitleSheetFile water;
  {
    const MapData fits = testing::sampleMap();
    TitleSheetFile panel;
    EXPECT_EQ(mapFilesRefusal(fits, panel, water), "");
  }
  for (const Case& c : cases) {
    MapData m = testing::sampleMap();
    TitleSheetFile panel;
    c.change(m, panel);
    std::string error;
    EXPECT_FALSE(writeMapFolder(dir, m, panel, water, &error)) << c.says;
    EXPECT_NE(error.find(c.says), std::string::npos) << error;
    EXPECT_NE(error.find("does not fit the eleven map files"), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(dir)) << c.says;
  }
  fs::remove_all(dir);
}

TEST(StreetCodeIndex, CodesBeyondTheCapAreLeftOutAndAllocateNothing) {
  MapData m;
  m.streetNames.resize(4);
  m.streetNames[0].streetCode = std::numeric_limits<int32_t>::max();
  m.streetNames[1].streetCode = kMaxStreetCode + 1;
  m.streetNames[2].streetCode = 70000;  // beyond 16 bits, within the cap
  m.streetNames[3].streetCode = -1;
  EXPECT_EQ(indexStreetCodes(m), 3);
  EXPECT_EQ(m.streetCodeIndex.size(), 70001u);
  ASSERT_NE(m.streetByCode(70000), nullptr);
  EXPECT_EQ(m.streetByCode(70000), &m.streetNames[2]);
  EXPECT_EQ(m.streetByCode(std::numeric_limits<int32_t>::max()), nullptr);
  EXPECT_EQ(m.streetByCode(kMaxStreetCode + 1), nullptr);

  m.streetNames[2].streetCode = kMaxStreetCode;
  EXPECT_EQ(indexStreetCodes(m), 3);
  EXPECT_EQ(m.streetByCode(kMaxStreetCode), &m.streetNames[2]);
}

}  // namespace
}  // namespace tikhomap
