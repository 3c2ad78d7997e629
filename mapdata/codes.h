// The map's codes by name: the purposes of buildings, the kinds of areas and
// lines, and the choices of the "Состав схемы" dialog. The numbers are those
// the map files carry; the readers and writers keep them as numbers, every
// other place says which one it means.
#pragma once

#include <cstdint>

namespace tikhomap {

// Purposes of a building. Each of the five groups has an ordinary code and a
// twin for a building standing on an open ground storey (on columns): the
// walls and windows start one storey up.
inline constexpr int16_t kPurposeDwelling = 411;  // "жилое"
inline constexpr int16_t kPurposeOutbuilding = 413;  // "нежилое или производственное"
inline constexpr int16_t kPurposeSchool = 444;  // "образовательное учреждение"
inline constexpr int16_t kPurposePublic = 461;  // "общественного назначения"
inline constexpr int16_t kPurposeGlass = 464;   // glass: translucent, no windows
inline constexpr int16_t kPurposeMedical = 555;  // "медицинское учреждение"
inline constexpr int16_t kPurposeOpenGroundOutbuilding = 657;
inline constexpr int16_t kPurposeOpenGroundDwelling = 658;
inline constexpr int16_t kPurposeOpenGroundPublic = 659;
inline constexpr int16_t kPurposeOpenGroundSchool = 660;
inline constexpr int16_t kPurposeOpenGroundMedical = 661;
inline constexpr int16_t kPurposeWarehouse = 777;   // dark windows in bands
inline constexpr int16_t kPurposePublicBand = 888;  // windows in bands

// All five twins stand on an open ground storey, in every view and on paper.
inline constexpr bool standsOnOpenGround(int16_t purpose) {
  return purpose >= kPurposeOpenGroundOutbuilding && purpose <= kPurposeOpenGroundMedical;
}

// The light pavilions on columns and glass are left out where the whole
// city is drawn as flat bodies, and the simple night glow leaves out the
// first three twins.
inline constexpr bool openGroundPavilion(int16_t purpose) {
  return purpose >= kPurposeOpenGroundOutbuilding && purpose <= kPurposeOpenGroundPublic;
}
inline constexpr bool hiddenAtCityScale(int16_t purpose) {
  return openGroundPavilion(purpose) || purpose == kPurposeGlass;
}

// The three choices of the "Состав схемы" dialog: buildings, house numbers
// and street labels.
inline constexpr int16_t kChoiceNone = 0;      // "нет"
inline constexpr int16_t kChoiceAll = 1;       // "все"
inline constexpr int16_t kChoiceSelected = 2;  // "отбор"

}  // namespace tikhomap
