#include "tools/building_info.h"

#include <cstring>

#include "mapdata/codes.h"
#include "mapdata/text_rules.h"
#include "mapdata/utf8_text.h"
#include "view/geometry.h"

namespace tikhomap {
namespace {

// A NUL-terminated field of a fixed-size record, never read past its end.
bool inBounds(const MapBounds& b, float x, float y) {
  return b.xMin <= x && x <= b.xMax && b.yMin <= y && y <= b.yMax;
}

}  // namespace

std::string streetNameCut(const MapData& map, int code) {
  const StreetName* street = map.streetByCode(code);
  if (street == nullptr) return {};
  const std::string_view name = upToNul(street->name);
  return std::string(name.substr(0, name.find('/')));
}

int32_t findBuildingAt(const MapData& map, int32_t firstBuilding, float mx, float my) {
  for (size_t row = static_cast<size_t>(std::max(firstBuilding, 0)); row < map.buildings.size();
       ++row) {
    const Building& b = map.buildings[row];
    if (inBounds(b.bounds, mx, my) && pointInPolygon(b.outline, mx, my)) {
      return static_cast<int32_t>(row);
    }
  }
  return -1;
}

int32_t findDistrictAt(const MapData& map, float mx, float my) {
  for (size_t row = 1; row < map.districtAreas.size(); ++row) {
    if (pointInMetrePolygon(map.districtAreas[row].points, mx, my))
      return static_cast<int32_t>(row);
  }
  return -1;
}

int32_t nearestMicrodistrict(const MapData& map, float mx, float my, float* distance) {
  int32_t nearest = -1;
  float best = 0;
  for (size_t row = 0; row < map.microdistricts.size(); ++row) {
    const Microdistrict& m = map.microdistricts[row];
    const float d = pointDistance(mx, my, static_cast<float>(m.x), static_cast<float>(m.y));
    if (nearest < 0 || d < best) {
      nearest = static_cast<int32_t>(row);
      best = d;
    }
  }
  if (distance != nullptr) *distance = best;
  return nearest;
}

namespace {

// "<name> район" of the district polygon holding the point, else empty.
std::string districtNameText(const MapData& map, float mx, float my) {
  const int32_t area = findDistrictAt(map, mx, my);
  if (area < 0) return {};
  std::string text(districtName(map, map.districtAreas[static_cast<size_t>(area)].district));
  text += " район";
  return text;
}

// Appends "  (<microdistrict>)" when the nearest one is closer than `radius`.
void appendNearbyMicrodistrict(const MapData& map, float mx, float my, float radius,
                               std::string& text) {
  float distance = 0;
  const int32_t micro = nearestMicrodistrict(map, mx, my, &distance);
  if (micro >= 0 && distance < radius) {
    text += "  (";
    text += upToNul(map.microdistricts[static_cast<size_t>(micro)].name);
    text += ")";
  }
}

}  // namespace

std::string districtText(const MapData& map, float mx, float my, float radius) {
  std::string text = districtNameText(map, mx, my);
  if (!text.empty()) appendNearbyMicrodistrict(map, mx, my, radius, text);
  return text;
}

namespace {

InfoTarget labelTarget(std::string text, LabelColour background) {
  InfoTarget target;
  target.kind = InfoTarget::Kind::label;
  trimText(text);
  target.label.charCount = static_cast<int>(codePointCount(text));
  target.label.text = std::move(text);
  target.label.background = background;
  return target;
}

// An object's coordinate against the building's address point. user.tkm
// holds object points as signed 16-bit numbers, so a point of 32768 m or
// more comes back negative: it is the building's when it is that point
// wrapped into 16 bits. Other values meet only when equal.
bool sameObjectCoordinate(int32_t object, int32_t building) {
  return object == building || (object < 0 && object >= -32768 && object + 65536 == building);
}

}  // namespace

InfoTarget infoTargetAt(const MapData& map, const ViewState& view, int32_t firstBuilding,
                        int32_t firstStreetLine, float mx, float my) {
  const int32_t building = findBuildingAt(map, firstBuilding, mx, my);
  if (building >= 0) {
    InfoTarget target;
    target.kind = InfoTarget::Kind::building;
    target.building = building;
    return target;
  }

  const int detail = view.detailLevel == 0 ? 1 : view.detailLevel;
  const float t = view.mmPerMetre > 0 ? static_cast<float>(2.0 * detail / view.mmPerMetre) : 0;
  for (size_t row = static_cast<size_t>(std::max(firstStreetLine, 0)); row < map.streetLines.size();
       ++row) {
    const MapFeature& line = map.streetLines[row];
    // Widened like the street box of a right click: a street running exactly
    // north or east has a box without width.
    const MapBounds& b = line.bounds;
    if (!inBounds({b.xMin - t, b.yMin - t, b.xMax + t, b.yMax + t}, mx, my) ||
        !pointNearPolyline(mx, my, line.points, t)) {
      continue;
    }
    // A line without a street code (or with a code that names no street)
    // leaves the place to the district.
    if (line.code == 0 || map.streetByCode(line.code) == nullptr) break;
    return labelTarget(streetNameCut(map, line.code), kStreetLabelColour);
  }

  if (map.districtAreas.size() < 2) return {};
  std::string text = districtText(map, mx, my, kLabelMicrodistrictRadius);
  if (text.empty()) return {};
  return labelTarget(std::move(text), kDistrictLabelColour);
}

InfoLabelBox placeInfoLabel(int x, int y, int charCount) {
  return {x + 6, y - 6, 12 * charCount, 14};
}

std::string_view purposeText(int purpose) {
  switch (purpose) {
    case kPurposeDwelling:
    case kPurposeOpenGroundDwelling:
      return "жилое";
    case kPurposeOutbuilding:
    case kPurposePavilion:
    case kPurposeWarehouse:
      return "нежилое или производственное";
    case kPurposeSchool:
    case kPurposeKindergarten:
      return "образовательное учреждение";
    case kPurposePublic:
    case kPurposeOpenGroundPublic:
    case kPurposePublicBand:
      return "общественного назначения";
    case kPurposeMedical:
    case kPurposeClinic:
      return "медицинское учреждение";
    default:
      return {};
  }
}

std::string buildingKindText(int floors, int purpose) {
  std::string text = floors > 1 ? std::to_string(floors) + "-этажное " : "одноэтажное ";
  text += purposeText(purpose);
  return text;
}

BuildingInfoTexts buildingInfoTexts(const MapData& map, const Building& building) {
  BuildingInfoTexts texts;
  std::string address;
  if (building.streetCode != 0) address = streetNameCut(map, building.streetCode);
  const std::string_view number = upToNul(building.houseNumber);
  if (!number.empty()) {
    address += ", ";
    address += number;
  }
  texts.address = std::move(address);
  texts.description = upToNul(building.description);
  texts.kind = buildingKindText(building.floors, building.purpose);
  // The dialog names a nearby microdistrict even where no district polygon
  // holds the address point (the district part then stays empty).
  const float ax = static_cast<float>(building.x);
  const float ay = static_cast<float>(building.y);
  std::string district = districtNameText(map, ax, ay);
  appendNearbyMicrodistrict(map, ax, ay, kDialogMicrodistrictRadius, district);
  texts.district = std::move(district);
  // Every object at the address point, however many there are.
  for (size_t row = 0; row < map.userObjects.size(); ++row) {
    const UserObject& object = map.userObjects[row];
    if (sameObjectCoordinate(object.x, building.x) && sameObjectCoordinate(object.y, building.y)) {
      texts.objects.push_back(static_cast<int32_t>(row));
      texts.objectNames.emplace_back(upToNul(object.name));
    }
  }
  return texts;
}

}  // namespace tikhomap
