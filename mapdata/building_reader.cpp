// Reader of the building files: 7.tkm (attributes) and 6.tkm (geometry),
// read side by side, one entry of each per building.
#include <algorithm>
#include <string>

#include "mapdata/byte_reader.h"
#include "mapdata/cp1251.h"
#include "mapdata/map_readers.h"
#include "mapdata/point_codec.h"

namespace tikhomap {
namespace {

constexpr int kProgressStep = 200;
constexpr size_t kFixedPartSize = 14;

constexpr size_t kHouseNumberBytes = 6;
constexpr size_t kDescriptionBytes = 46;

// Reads L bytes of text, keeps at most `room` of them up to the first NUL,
// and converts them to UTF-8.
void copyText(ByteReader& r, uint8_t length, size_t room, std::string& text) {
  char field[255] = {};
  const size_t kept = std::min<size_t>(length, room);
  r.bytes(reinterpret_cast<uint8_t*>(field), kept);
  r.skip(length - kept);
  text = cp1251FieldToUtf8(std::string_view(field, kept));
}

}  // namespace

bool parseBuildingFiles(std::span<const uint8_t> attributes, std::span<const uint8_t> geometry,
                        MapData& map, std::vector<LoadProblem>& problems,
                        const BuildingProgress& progress) {
  map.buildings.clear();
  ByteReader attr(attributes);
  ByteReader geom(geometry);
  int16_t count = 0;
  if (!attr.i16(count)) {
    problems.push_back({"7.tkm", 0, "no building count"});
    return false;
  }
  if (count < 0) problems.push_back({"7.tkm", 0, "negative building count"});
  if (count > 0) {
    map.buildings.reserve(
        std::min<size_t>(static_cast<size_t>(count), attr.remaining() / kFixedPartSize));
  }
  for (int i = 0; i < count; ++i) {
    if (progress && i % kProgressStep == 0) progress(i, count);
    const size_t start = attr.offset();
    Building b;
    uint8_t numberLength = 0;
    uint8_t descriptionLength = 0;
    if (!attr.u16(b.x) || !attr.i16(b.pointCount) || !attr.i16(b.floors) || !attr.u16(b.y) ||
        !attr.i16(b.streetCode) || !attr.i16(b.purpose) || !attr.u8(numberLength) ||
        !attr.u8(descriptionLength)) {
      if (start != attr.offset() || !attr.atEnd()) {
        problems.push_back({"7.tkm", start, "record cut short"});
      }
      break;
    }
    if (!attr.canRead(static_cast<size_t>(numberLength) + descriptionLength)) {
      problems.push_back({"7.tkm", start, "record texts cut short"});
      break;
    }
    if (numberLength > kHouseNumberBytes || descriptionLength > kDescriptionBytes) {
      problems.push_back({"7.tkm", start, "house number or description too long, cut"});
    }
    copyText(attr, numberLength, kHouseNumberBytes, b.houseNumber);
    copyText(attr, descriptionLength, kDescriptionBytes, b.description);
    if (b.pointCount < 0) {
      // Where the next outline starts in 6.tkm is then unknown.
      problems.push_back({"7.tkm", start, "negative vertex count " + std::to_string(b.pointCount)});
      break;
    }
    const size_t geomStart = geom.offset();
    if (!geom.f32(b.bounds.xMin) || !geom.f32(b.bounds.yMin) || !geom.f32(b.bounds.xMax) ||
        !geom.f32(b.bounds.yMax) || !geom.canRead(static_cast<size_t>(b.pointCount) * 8)) {
      problems.push_back(
          {"6.tkm", geomStart, "outline of building " + std::to_string(i) + " missing"});
      break;
    }
    b.outline.resize(static_cast<size_t>(b.pointCount));
    uint8_t raw[8];
    for (MapPoint& p : b.outline) {
      geom.bytes(raw, 8);
      p = decodePoint8(raw);
    }
    b.state = 0;
    map.buildings.push_back(std::move(b));
  }
  if (static_cast<int>(map.buildings.size()) < count) {
    problems.push_back({"7.tkm", 0,
                        "buildings: " + std::to_string(map.buildings.size()) + " of " +
                            std::to_string(count) + " records read"});
  }
  return true;
}

}  // namespace tikhomap
