#include "tools/building_info.h"

#include <gtest/gtest.h>

#include <cstring>

namespace tikhomap {
namespace {

void setText(std::string& field, std::string_view utf8) {
  field = utf8;
}

DistrictArea squareArea(int16_t district, uint16_t xMin, uint16_t yMin, uint16_t xMax,
                        uint16_t yMax) {
  DistrictArea a;
  a.district = district;
  a.points = {{xMin, yMin}, {xMin, yMax}, {xMax, yMax}, {xMax, yMin}};
  a.pointCount = 4;
  return a;
}

Building squareBuilding(float x, float y, float size) {
  Building b;
  b.outline = {{x, y}, {x, y + size}, {x + size, y + size}, {x + size, y}};
  b.pointCount = 4;
  b.bounds = {x, y, x + size, y + size};
  b.x = static_cast<int32_t>(x + size / 2);
  b.y = static_cast<int32_t>(y + size / 2);
  return b;
}

class BuildingInfoFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    map.streetNames.resize(3);
    map.streetNames[0].streetCode = 4;
    setText(map.streetNames[0].name, "Морская");
    map.streetNames[1].streetCode = 9;
    setText(map.streetNames[1].name, "Ленина/пр.");
    map.streetNames[2].streetCode = 2;
    setText(map.streetNames[2].name, "Речная");
    map.streetCodeIndex = {0, 0, 2, 0, 0, 0, 0, 0, 0, 1};

    map.districtAreas.push_back(squareArea(0, 0, 0, 20000, 20000));  // land
    map.districtAreas.push_back(squareArea(2, 1000, 1000, 5000, 5000));
    map.districtAreas.push_back(squareArea(4, 5000, 5000, 9000, 9000));

    Microdistrict m;
    m.x = 2000;
    m.y = 2300;
    setText(m.name, "Бухта");
    map.microdistricts.push_back(m);

    Building house = squareBuilding(1990, 1990, 20);  // address point (2000, 2000)
    house.streetCode = 9;
    setText(house.houseNumber, "12а");
    house.floors = 5;
    house.purpose = 411;
    setText(house.description, "Дом культуры");
    map.buildings.push_back(house);

    MapFeature street;
    street.code = 9;
    street.points = {{3000, 1000}, {3000, 4000}};
    street.pointCount = 2;
    street.bounds = {2990, 1000, 3010, 4000};
    map.streetLines.push_back(street);

    view.mmPerMetre = 0.5;
    view.detailLevel = 3;  // street tolerance 12 m
  }

  MapData map;
  ViewState view;
};

TEST_F(BuildingInfoFixture, APressInsideABuildingOpensItsInformation) {
  const InfoTarget t = infoTargetAt(map, view, 0, 0, 2005, 2001);
  EXPECT_EQ(t.kind, InfoTarget::Kind::building);
  EXPECT_EQ(t.building, 0);
  EXPECT_TRUE(t.label.text.empty());
  // Buildings before firstBuilding are not looked at.
  EXPECT_NE(infoTargetAt(map, view, 1, 0, 2005, 2001).kind, InfoTarget::Kind::building);
}

TEST_F(BuildingInfoFixture, AStreetIsNamedInYellowUpToItsSlash) {
  const InfoTarget t = infoTargetAt(map, view, 0, 0, 3008, 2500);
  ASSERT_EQ(t.kind, InfoTarget::Kind::label);
  EXPECT_EQ(t.label.text, "Ленина");
  EXPECT_EQ(t.label.charCount, 6);
  EXPECT_EQ(t.label.background, kStreetLabelColour);
  // The street runs exactly east, so its box has no height: a press beside it
  // still finds it.
  map.streetLines[0].bounds = {3000, 1000, 3000, 4000};
  EXPECT_EQ(infoTargetAt(map, view, 0, 0, 3008, 2500).label.text, "Ленина");
  // 16 m away is beyond two screen millimetres at 1:2000.
  EXPECT_EQ(infoTargetAt(map, view, 0, 0, 3016, 2500).label.background, kDistrictLabelColour);
  // At detail level 0 the tolerance is that of level 1: 4 m.
  view.detailLevel = 0;
  EXPECT_EQ(infoTargetAt(map, view, 0, 0, 3003, 2500).label.background, kStreetLabelColour);
  EXPECT_EQ(infoTargetAt(map, view, 0, 0, 3005, 2500).label.background, kDistrictLabelColour);
}

TEST_F(BuildingInfoFixture, ALineWithoutStreetCodeGivesWayToTheDistrict) {
  map.streetLines[0].code = 0;
  const InfoTarget t = infoTargetAt(map, view, 0, 0, 3000, 2500);
  ASSERT_EQ(t.kind, InfoTarget::Kind::label);
  EXPECT_EQ(t.label.text, "Центральный район");
  EXPECT_EQ(t.label.background, kDistrictLabelColour);
}

TEST_F(BuildingInfoFixture, TheHoverLabelNamesAMicrodistrictUpTo400Metres) {
  map.buildings.clear();
  InfoTarget t = infoTargetAt(map, view, 0, 0, 2000, 2000);  // 300 m from "Бухта"
  EXPECT_EQ(t.label.text, "Центральный район  (Бухта)");
  EXPECT_EQ(t.label.charCount, 26);
  t = infoTargetAt(map, view, 0, 0, 2000, 1899);  // 401 m
  EXPECT_EQ(t.label.text, "Центральный район");
  t = infoTargetAt(map, view, 0, 0, 6000, 6000);
  EXPECT_EQ(t.label.text, "Заречный район");
}

TEST_F(BuildingInfoFixture, NothingOutsideEveryDistrictOrWithoutDistricts) {
  EXPECT_EQ(infoTargetAt(map, view, 0, 0, 15000, 15000).kind, InfoTarget::Kind::nothing);
  map.districtAreas.resize(1);
  EXPECT_EQ(infoTargetAt(map, view, 0, 0, 2000, 1500).kind, InfoTarget::Kind::nothing);
}

TEST_F(BuildingInfoFixture, TheNearestMicrodistrictKeepsTheEarlierOneOnATie) {
  Microdistrict twin = map.microdistricts[0];
  twin.y = 1700;  // also 300 m away
  setText(twin.name, "Другой");
  map.microdistricts.push_back(twin);
  float distance = 0;
  EXPECT_EQ(nearestMicrodistrict(map, 2000, 2000, &distance), 0);
  EXPECT_FLOAT_EQ(distance, 300);
  EXPECT_EQ(nearestMicrodistrict(map, 2000, 1999), 1);
}

TEST_F(BuildingInfoFixture, TheLabelSitsRightOfAndAboveThePointer) {
  const InfoLabelBox box = placeInfoLabel(100, 50, 6);
  EXPECT_EQ(box.x, 106);
  EXPECT_EQ(box.y, 44);
  EXPECT_EQ(box.width, 72);
  EXPECT_EQ(box.height, 14);
}

TEST_F(BuildingInfoFixture, DialogTextsOfAResidentialBuilding) {
  const BuildingInfoTexts texts = buildingInfoTexts(map, map.buildings[0]);
  EXPECT_EQ(texts.address, "Ленина, 12а");
  EXPECT_EQ(texts.kind, "5-этажное жилое");
  EXPECT_EQ(texts.description, "Дом культуры");
  // The dialog names microdistricts only within 200 m: "Бухта" is 300 m away.
  EXPECT_EQ(texts.district, "Центральный район");
  EXPECT_EQ(texts.dialogId(), kInfoDialogPlain);
  map.microdistricts[0].y = 2150;
  EXPECT_EQ(buildingInfoTexts(map, map.buildings[0]).district, "Центральный район  (Бухта)");
}

TEST_F(BuildingInfoFixture, StoreysAndPurposes) {
  EXPECT_EQ(buildingKindText(1, 999), "одноэтажное ");
  EXPECT_EQ(buildingKindText(0, 444), "одноэтажное образовательное учреждение");
  EXPECT_EQ(buildingKindText(2, 777), "2-этажное нежилое или производственное");
  EXPECT_EQ(buildingKindText(12, 888), "12-этажное общественного назначения");
  EXPECT_EQ(buildingKindText(3, 661), "3-этажное медицинское учреждение");
  EXPECT_EQ(buildingKindText(9, 658), "9-этажное жилое");
}

TEST_F(BuildingInfoFixture, AddressWithoutStreetOrNumberAndOutsideDistricts) {
  Building b = squareBuilding(15000, 15000, 10);
  setText(b.houseNumber, "7");
  EXPECT_EQ(buildingInfoTexts(map, b).address, ", 7");
  EXPECT_EQ(buildingInfoTexts(map, b).district, "");
  b.streetCode = 2;
  b.houseNumber[0] = '\0';
  EXPECT_EQ(buildingInfoTexts(map, b).address, "Речная");
  b.streetCode = 5;  // no street has this code
  EXPECT_EQ(buildingInfoTexts(map, b).address, "");
  EXPECT_EQ(buildingInfoTexts(map, b).description, "");
}

TEST_F(BuildingInfoFixture, TheDialogNamesANearbyMicrodistrictEvenOutsideEveryDistrict) {
  Building b = squareBuilding(15000, 15000, 10);  // address point (15005, 15005)
  Microdistrict m;
  m.x = 15100;
  m.y = 15005;
  setText(m.name, "Маяк");
  map.microdistricts.push_back(m);
  EXPECT_EQ(buildingInfoTexts(map, b).district, "  (Маяк)");
  // The hover label there shows nothing at all.
  map.buildings.clear();
  EXPECT_EQ(infoTargetAt(map, view, 0, 0, 15005, 15005).kind, InfoTarget::Kind::nothing);
}

TEST_F(BuildingInfoFixture, EveryObjectAtTheAddressPointIsListed) {
  for (int i = 0; i < 130; ++i) {
    UserObject o;
    o.x = static_cast<int16_t>(i % 13 == 12 ? 2001 : 2000);  // 10 of them next door
    o.y = 2000;
    setText(o.name, "Аптека №" + std::to_string(i));
    map.userObjects.push_back(o);
  }
  const BuildingInfoTexts texts = buildingInfoTexts(map, map.buildings[0]);
  ASSERT_EQ(texts.objects.size(), 120u);  // beyond 100, in table order
  EXPECT_EQ(texts.objects[0], 0);
  EXPECT_EQ(texts.objects[12], 13);
  EXPECT_EQ(texts.objects[119], 128);
  EXPECT_EQ(texts.objectNames[12], "Аптека №13");
  EXPECT_EQ(texts.dialogId(), kInfoDialogWithObjects);
}

TEST_F(BuildingInfoFixture, ObjectsBeyond32767MetresMatchTheirBuilding) {
  Building far = squareBuilding(40000, 100, 10);  // address point (40005, 105)
  UserObject o;
  o.x = static_cast<int16_t>(static_cast<uint16_t>(40005));  // stored wrapped
  o.y = 105;
  setText(o.name, "Склад");
  map.userObjects.push_back(o);
  const BuildingInfoTexts texts = buildingInfoTexts(map, far);
  ASSERT_EQ(texts.objectNames.size(), 1u);
  EXPECT_EQ(texts.objectNames[0], "Склад");

  // Beyond 16 bits (a map not read from the eleven files) points meet only
  // when equal: 70005 is not 4469, its low 16 bits.
  Building wide = squareBuilding(70000, 100, 10);  // address point (70005, 105)
  map.userObjects[0].x = 4469;
  EXPECT_TRUE(buildingInfoTexts(map, wide).objectNames.empty());
  map.userObjects[0].x = 70005;
  EXPECT_EQ(buildingInfoTexts(map, wide).objectNames.size(), 1u);
  EXPECT_TRUE(buildingInfoTexts(map, far).objectNames.empty());
}

TEST(DistrictNames, FiveBuiltInNamesAndEmptyOtherwise) {
  EXPECT_EQ(std::string(districtName(1)), "Северный");
  EXPECT_EQ(std::string(districtName(5)), "Нагорный");
  EXPECT_TRUE(districtName(0).empty());
  EXPECT_TRUE(districtName(6).empty());
}

}  // namespace
}  // namespace tikhomap
