// What a plain press on the map tells about the place: the building under
// the pointer (its information dialog), else the street (a yellow label),
// else the district with a nearby microdistrict (a light cyan label).
// Every text here is UTF-8, as the model holds it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "mapdata/district_names.h"
#include "mapdata/map_data.h"
#include "view/view_state.h"

namespace tikhomap {

inline constexpr int kInfoDialogWithObjects = 153;
inline constexpr int kInfoDialogPlain = 223;

// A microdistrict this near the point is named with the district.
inline constexpr float kLabelMicrodistrictRadius = 400.0f;
inline constexpr float kDialogMicrodistrictRadius = 200.0f;

struct LabelColour {
  uint8_t r = 0;
  uint8_t g = 0;
  uint8_t b = 0;
  friend bool operator==(const LabelColour&, const LabelColour&) = default;
};

inline constexpr LabelColour kStreetLabelColour{255, 255, 0};
inline constexpr LabelColour kDistrictLabelColour{150, 255, 255};
inline constexpr LabelColour kInfoLabelTextColour{255, 0, 0};

// Name of a street code cut at its first "/"; empty when no street
// has the code.
std::string streetNameCut(const MapData& map, int code);

// Row of the first building (from firstBuilding on) whose bounds and outline
// contain the map point, or -1.
int32_t findBuildingAt(const MapData& map, int32_t firstBuilding, float mx, float my);

// Row of the first district polygon (from entry 1 on) containing the point,
// or -1; none with fewer than two entries.
int32_t findDistrictAt(const MapData& map, float mx, float my);

// Row of the microdistrict nearest to the point (the earlier one on a tie),
// or -1 when the table is empty.
int32_t nearestMicrodistrict(const MapData& map, float mx, float my, float* distance = nullptr);

// The district text: "<name> район", then "  (<microdistrict>)" when the
// nearest microdistrict is closer than `radius`; empty outside every
// district.
std::string districtText(const MapData& map, float mx, float my, float radius);

struct InfoLabel {
  std::string text;   // UTF-8, trimmed
  int charCount = 0;  // characters of the trimmed text
  LabelColour background;
};

struct InfoTarget {
  enum class Kind { nothing, building, label };
  Kind kind = Kind::nothing;
  int32_t building = -1;  // row of buildings for Kind::building
  InfoLabel label;        // for Kind::label
};

// The building, street and district tests of a press at the map point
// (mx, my), in that order. The street tolerance is two screen millimetres
// per detail level (level 0 counts as 1).
InfoTarget infoTargetAt(const MapData& map, const ViewState& view, int32_t firstBuilding,
                        int32_t firstStreetLine, float mx, float my);

// Where the label goes for a press at window pixel (x, y): 6 pixels right
// of and 6 above the pointer, 12 pixels per character, 14 pixels high.
struct InfoLabelBox {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 14;
};
InfoLabelBox placeInfoLabel(int x, int y, int charCount);

// The texts of the dialog "Справка" for one building.
struct BuildingInfoTexts {
  std::string address;                   // caption when not empty: "<street>, <number>"
  std::string kind;                      // control 123: storeys and purpose
  std::string description;               // control 1015
  std::string district;                  // control 120
  std::vector<int32_t> objects;          // rows of userObjects at the address point
  std::vector<std::string> objectNames;  // their names, same order

  // 153 with objects (it has the list), else 223.
  int dialogId() const { return objects.empty() ? kInfoDialogPlain : kInfoDialogWithObjects; }
};

// The purpose word of a purpose code (UTF-8), empty for unlisted codes.
std::string_view purposeText(int purpose);
// "%d-этажное " above one storey, else "одноэтажное ", then the purpose.
std::string buildingKindText(int floors, int purpose);
BuildingInfoTexts buildingInfoTexts(const MapData& map, const Building& building);

}  // namespace tikhomap
