// The map's codes by name: the purposes of buildings, the kinds of areas and
// lines, and the choices of the "Состав схемы" dialog. The numbers are those
// the map files carry; the readers and writers keep them as numbers, every
// other place says which one it means.
#pragma once

#include <cstdint>

namespace tikhomap {

// Purposes of a building, in five groups. The dwelling, outbuilding and
// public groups have each a twin for a building standing on an open ground
// storey (on columns): its walls and windows start one storey up, and the
// whole city and the simple night glow leave it out. Kindergartens (660) and
// clinics and pharmacies (661) belong to the education and medical groups and
// stand on the ground like the rest.
inline constexpr int32_t kPurposeDwelling = 411;  // "жилое"
inline constexpr int32_t kPurposeOutbuilding = 413;  // "нежилое или производственное"
inline constexpr int32_t kPurposeSchool = 444;  // "образовательное учреждение"
inline constexpr int32_t kPurposePublic = 461;  // "общественного назначения"
inline constexpr int32_t kPurposeGlass = 464;   // glass: translucent, no windows
inline constexpr int32_t kPurposeMedical = 555;   // "медицинское учреждение"
inline constexpr int32_t kPurposePavilion = 657;  // an outbuilding on columns
inline constexpr int32_t kPurposeOpenGroundDwelling = 658;
inline constexpr int32_t kPurposeOpenGroundPublic = 659;
inline constexpr int32_t kPurposeKindergarten = 660;
inline constexpr int32_t kPurposeClinic = 661;
inline constexpr int32_t kPurposeWarehouse = 777;   // dark windows in bands
inline constexpr int32_t kPurposePublicBand = 888;  // windows in bands

inline constexpr bool standsOnOpenGround(int32_t purpose) {
  return purpose >= kPurposePavilion && purpose <= kPurposeOpenGroundPublic;
}
inline constexpr bool hiddenAtCityScale(int32_t purpose) {
  return standsOnOpenGround(purpose) || purpose == kPurposeGlass;
}

// Kinds of the areas of 4.tkm, drawn under the streets.
inline constexpr int32_t kAreaForest = 718;
inline constexpr int32_t kAreaOrchard = 750;  // gardens and allotments, hatched
inline constexpr int32_t kAreaBeach = 1010;
inline constexpr int32_t kAreaIndustry = 1014;  // the grounds of works
inline constexpr int32_t kAreaSportsGround = 2830;
inline constexpr int32_t kAreaGreen = 6614;  // parks, lawns, cemeteries

// Kinds of the water features: bodies filled with the sea's brush, and
// rivers and streams drawn as lines.
inline constexpr int32_t kWaterLake = 4912;
inline constexpr int32_t kWaterReservoir = 4925;
inline constexpr int32_t kWaterCourse = 4950;  // rivers and streams
inline constexpr bool isWaterBody(int32_t code) {
  return code == kWaterLake || code == kWaterReservoir;
}

// Kinds of the line features.
inline constexpr int32_t kLineRailway = 3011;
inline constexpr int32_t kLineFence = 3035;
inline constexpr int32_t kLineDistrictBoundary = 9005;

// The three choices of the "Состав схемы" dialog: buildings, house numbers
// and street labels.
inline constexpr int32_t kChoiceNone = 0;      // "нет"
inline constexpr int32_t kChoiceAll = 1;       // "все"
inline constexpr int32_t kChoiceSelected = 2;  // "отбор"

}  // namespace tikhomap
