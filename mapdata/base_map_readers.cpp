// Readers of the base map: 8.tkm, 3.tkm, 4.tkm and 5.tkm.
#include <algorithm>
#include <cstring>
#include <string>

#include "mapdata/byte_reader.h"
#include "mapdata/cp1251.h"
#include "mapdata/map_readers.h"
#include "mapdata/point_codec.h"
#include "mapdata/table_order.h"

namespace tikhomap {
namespace {

constexpr int16_t kNoDistrict = 250;
constexpr size_t kMaxNameLength = 29;

void addProblem(std::vector<LoadProblem>& problems, const char* file, size_t offset,
                std::string what) {
  problems.push_back({file, offset, std::move(what)});
}

// Room for the announced records, but never more than the bytes left could
// hold: a count beyond the data ends the table where the data ends.
size_t plausibleCount(int count, const ByteReader& r, size_t minRecordSize) {
  if (count <= 0) return 0;
  return std::min(static_cast<size_t>(count), r.remaining() / minRecordSize);
}

void reportShortTable(std::vector<LoadProblem>& problems, const char* file, size_t offset,
                      const char* table, size_t read, int announced) {
  if (static_cast<int>(read) < announced) {
    addProblem(problems, file, offset,
               std::string(table) + ": " + std::to_string(read) + " of " +
                   std::to_string(announced) + " records read");
  }
}

// Reads a name of L bytes (uint8 L already read), up to its first NUL and
// converted to UTF-8. A longer name is read over and cut to the 29 bytes the
// file's field holds.
bool readName(ByteReader& r, uint8_t length, std::string& name, std::vector<LoadProblem>& problems,
              const char* file) {
  const size_t at = r.offset();
  const size_t kept = std::min<size_t>(length, kMaxNameLength);
  if (!r.canRead(length)) return false;
  char field[kMaxNameLength] = {};
  r.bytes(reinterpret_cast<uint8_t*>(field), kept);
  r.skip(length - kept);
  name = cp1251FieldToUtf8(std::string_view(field, kept));
  if (length > kMaxNameLength) {
    addProblem(
        problems, file, at,
        "name of " + std::to_string(length) + " bytes cut to " + std::to_string(kMaxNameLength));
  }
  return true;
}

enum class RecordEnd { kRead, kEndOfData, kZeroHeader, kDamaged };

// One polyline record with float bounds and 8-byte points (4.tkm, 5.tkm).
RecordEnd readFeature(ByteReader& r, MapFeature& feature, bool zeroHeaderEnds,
                      std::vector<LoadProblem>& problems, const char* file) {
  const size_t start = r.offset();
  int16_t code = 0;
  int16_t endValue = 0;
  if (!r.i16(code) || !r.i16(endValue)) {
    if (start == r.offset() && r.atEnd()) return RecordEnd::kEndOfData;
    addProblem(problems, file, start, "record header cut short");
    return RecordEnd::kDamaged;
  }
  if (zeroHeaderEnds && code == 0 && endValue == 0) return RecordEnd::kZeroHeader;
  const int16_t count = vertexCountFromHeader(code, endValue);
  if (count < 0) {
    addProblem(problems, file, start, "negative vertex count " + std::to_string(count));
    return RecordEnd::kDamaged;
  }
  MapBounds b;
  if (!r.f32(b.xMin) || !r.f32(b.yMin) || !r.f32(b.xMax) || !r.f32(b.yMax) ||
      !r.canRead(static_cast<size_t>(count) * 8)) {
    addProblem(problems, file, start, "record cut short");
    return RecordEnd::kDamaged;
  }
  feature.code = code;
  feature.pointCount = count;
  feature.bounds = b;
  feature.points.resize(static_cast<size_t>(count));
  uint8_t raw[8];
  for (MapPoint& p : feature.points) {
    r.bytes(raw, 8);
    p = decodePoint8(raw);
  }
  return RecordEnd::kRead;
}

// Reads up to `announced` feature records. Returns false when the data is
// damaged beyond the point where the next part of the file could be found.
bool readFeatureTable(ByteReader& r, int announced, bool zeroHeaderEnds,
                      std::vector<MapFeature>& table, MapData& map,
                      std::vector<LoadProblem>& problems, const char* file, const char* name) {
  const size_t start = r.offset();
  table.clear();
  table.reserve(plausibleCount(announced, r, 20));
  bool intact = true;
  for (int i = 0; i < announced; ++i) {
    MapFeature feature;
    const RecordEnd end = readFeature(r, feature, zeroHeaderEnds, problems, file);
    if (end == RecordEnd::kZeroHeader) return true;
    if (end != RecordEnd::kRead) {
      intact = false;
      break;
    }
    map.maxPointCount = std::max<int32_t>(map.maxPointCount, feature.pointCount);
    table.push_back(std::move(feature));
  }
  reportShortTable(problems, file, start, name, table.size(), announced);
  return intact;
}

}  // namespace

bool parseMicrodistrictFile(std::span<const uint8_t> bytes, MapData& map,
                            std::vector<LoadProblem>& problems) {
  const char* file = "8.tkm";
  ByteReader r(bytes);
  map.microdistricts.clear();
  int16_t count = 0;
  if (!r.i16(count)) {
    addProblem(problems, file, 0, "no record count");
    return false;
  }
  if (count < 0) addProblem(problems, file, 0, "negative record count");
  map.microdistricts.reserve(plausibleCount(count, r, 5));
  for (int i = 0; i < count; ++i) {
    Microdistrict m;
    uint8_t length = 0;
    if (!r.u16(m.x) || !r.u16(m.y) || !r.u8(length) ||
        !readName(r, length, m.name, problems, file)) {
      break;
    }
    map.microdistricts.push_back(m);
  }
  reportShortTable(problems, file, 2, "microdistricts", map.microdistricts.size(), count);
  return true;
}

namespace {

// The city extent is entry 0 of the view history and sets the scale of the
// whole-city view and of its print. An extent that is not finite, has a side
// under 1 m, or reaches beyond a thousand kilometres (the district points
// themselves only reach 65 km) cannot be shown at any scale.
constexpr float kLargestCoordinate = 1e6f;
constexpr float kSmallestCitySide = 1.0f;

bool usableExtent(const MapBounds& e) {
  for (const float v : {e.xMin, e.yMin, e.xMax, e.yMax}) {
    if (!(v >= -kLargestCoordinate && v <= kLargestCoordinate)) return false;
  }
  return e.xMax - e.xMin >= kSmallestCitySide && e.yMax - e.yMin >= kSmallestCitySide;
}

// The bounds of every district point, each side at least 1 m.
MapBounds districtBounds(const std::vector<DistrictArea>& areas) {
  MapBounds b{65535, 65535, 0, 0};
  for (const DistrictArea& a : areas) {
    for (const MetrePoint& p : a.points) {
      b.xMin = std::min<float>(b.xMin, p.x);
      b.yMin = std::min<float>(b.yMin, p.y);
      b.xMax = std::max<float>(b.xMax, p.x);
      b.yMax = std::max<float>(b.yMax, p.y);
    }
  }
  b.xMax = std::max(b.xMax, b.xMin + kSmallestCitySide);
  b.yMax = std::max(b.yMax, b.yMin + kSmallestCitySide);
  return b;
}

}  // namespace

bool parseDistrictFile(std::span<const uint8_t> bytes, MapData& map,
                       std::vector<LoadProblem>& problems) {
  const char* file = "3.tkm";
  ByteReader r(bytes);
  map.districtAreas.clear();
  map.maxPointCount = 0;
  int16_t count = 0;
  MapBounds extent;
  if (!r.i16(count) || !r.f32(extent.xMin) || !r.f32(extent.yMin) || !r.f32(extent.xMax) ||
      !r.f32(extent.yMax)) {
    addProblem(problems, file, 0, "header cut short");
    return false;
  }
  map.cityExtent = extent;
  if (count < 0) addProblem(problems, file, 0, "negative record count");
  map.districtAreas.reserve(plausibleCount(count, r, 20));
  for (int i = 0; i < count; ++i) {
    const size_t start = r.offset();
    int16_t code = 0;
    int16_t endValue = 0;
    if (!r.i16(code) || !r.i16(endValue)) {
      if (start != r.offset() || !r.atEnd())
        addProblem(problems, file, start, "record header cut short");
      break;
    }
    const int16_t points = vertexCountFromHeader(code, endValue);
    if (points < 0) {
      addProblem(problems, file, start, "negative vertex count " + std::to_string(points));
      break;
    }
    DistrictArea area;
    area.district = code == kNoDistrict ? 0 : code;
    area.pointCount = points;
    bool complete = true;
    for (int32_t& low : area.boundsLow) {
      uint32_t bound = 0;
      complete = complete && r.u32(bound);
      low = static_cast<int32_t>(bound & 0xFFFF);
    }
    if (!complete || !r.canRead(static_cast<size_t>(points) * 4)) {
      addProblem(problems, file, start, "record cut short");
      break;
    }
    area.points.resize(static_cast<size_t>(points));
    uint8_t raw[4];
    for (MetrePoint& p : area.points) {
      r.bytes(raw, 4);
      p = decodePoint4(raw);
    }
    map.maxPointCount = std::max<int32_t>(map.maxPointCount, points);
    map.districtAreas.push_back(std::move(area));
  }
  reportShortTable(problems, file, 18, "districtAreas", map.districtAreas.size(), count);
  if (!usableExtent(extent) && !map.districtAreas.empty()) {
    map.cityExtent = districtBounds(map.districtAreas);
    addProblem(problems, file, 2, "city extent out of range, the bounds of the districts used");
  }
  return true;
}

bool parseTopoFile(std::span<const uint8_t> bytes, MapData& map,
                   std::vector<LoadProblem>& problems) {
  const char* file = "4.tkm";
  static constexpr const char* kNames[] = {"areaFeatures", "lineFeatures", "waterFeatures",
                                           "streetOutlines"};
  std::vector<MapFeature>* tables[] = {&map.areaFeatures, &map.lineFeatures, &map.waterFeatures,
                                       &map.streetOutlines};
  for (auto* table : tables) table->clear();
  bool seen[4] = {false, false, false, false};
  ByteReader r(bytes);
  for (int section = 0;; ++section) {
    const size_t start = r.offset();
    if (section == kTopoSections) {
      // Unknown or repeated sections must not go on without end: a file of
      // zeros would otherwise read as one empty section every four bytes.
      if (!r.atEnd()) {
        addProblem(problems, file, start, "data after the fourth section ignored");
      }
      break;
    }
    int16_t featureClass = 0;
    int16_t count = 0;
    if (!r.i16(featureClass) || !r.i16(count)) {
      if (start != r.offset() || !r.atEnd())
        addProblem(problems, file, start, "section header cut short");
      break;
    }
    if (count < 0) {
      // The section's length is unknown, so nothing after it can be found.
      addProblem(problems, file, start,
                 "negative record count in class " + std::to_string(featureClass));
      break;
    }
    const bool known = featureClass >= 1 && featureClass <= 4;
    const bool repeated = known && seen[featureClass - 1];
    if (known && !repeated) {
      seen[featureClass - 1] = true;
      if (!readFeatureTable(r, count, false, *tables[featureClass - 1], map, problems, file,
                            kNames[featureClass - 1])) {
        break;
      }
      continue;
    }
    // An unknown or repeated class is read over so that the sections after
    // it still load; the first section of a class is the one kept.
    addProblem(problems, file, start,
               std::string(known ? "repeated" : "unknown") + " class " +
                   std::to_string(featureClass) + " skipped");
    std::vector<MapFeature> discarded;
    MapData scratch;
    if (!readFeatureTable(r, count, false, discarded, scratch, problems, file, "skipped class"))
      break;
  }
  return true;
}

bool parseStreetFile(std::span<const uint8_t> bytes, MapData& map,
                     std::vector<LoadProblem>& problems) {
  const char* file = "5.tkm";
  ByteReader r(bytes);
  map.streetLines.clear();
  map.streetNames.clear();
  map.streetCodeIndex.clear();
  map.streetLabelPoints.clear();

  int16_t lineCount = 0;
  if (!r.i16(lineCount)) {
    addProblem(problems, file, 0, "no street-axis count");
    return true;
  }
  if (lineCount < 0) addProblem(problems, file, 0, "negative street-axis count");
  if (!readFeatureTable(r, lineCount, true, map.streetLines, map, problems, file, "streetLines")) {
    return true;
  }

  const size_t namesStart = r.offset();
  int16_t nameCount = 0;
  if (!r.i16(nameCount)) {
    addProblem(problems, file, namesStart, "no street-name count");
    return true;
  }
  if (nameCount < 0) addProblem(problems, file, namesStart, "negative street-name count");
  map.streetNames.reserve(plausibleCount(nameCount, r, 4));
  bool namesIntact = true;
  for (int i = 0; i < nameCount; ++i) {
    StreetName name;
    uint8_t kind = 0;
    uint8_t length = 0;
    if (!r.i16(name.streetCode) || !r.u8(kind) || !r.u8(length) ||
        !readName(r, length, name.name, problems, file)) {
      namesIntact = false;
      break;
    }
    name.kind = kind;
    map.streetNames.push_back(name);
  }
  reportShortTable(problems, file, namesStart, "streetNames", map.streetNames.size(), nameCount);

  if (indexStreetCodes(map) > 0) {
    for (const StreetName& n : map.streetNames) {
      if (n.streetCode >= 0) continue;
      addProblem(problems, file, namesStart,
                 "negative street code " + std::to_string(n.streetCode) + " not indexed");
    }
  }
  if (!namesIntact) return true;

  const size_t anchorsStart = r.offset();
  int16_t anchorCount = 0;
  if (!r.i16(anchorCount)) {
    addProblem(problems, file, anchorsStart, "no label-anchor count");
    return true;
  }
  if (anchorCount < 0) addProblem(problems, file, anchorsStart, "negative label-anchor count");
  map.streetLabelPoints.reserve(plausibleCount(anchorCount, r, 8));
  for (int i = 0; i < anchorCount; ++i) {
    StreetLabelPoint p;
    if (!r.i16(p.streetCode) || !r.u16(p.x) || !r.u16(p.y) || !r.i16(p.level)) break;
    map.streetLabelPoints.push_back(p);
  }
  reportShortTable(problems, file, anchorsStart, "streetLabelPoints", map.streetLabelPoints.size(),
                   anchorCount);
  return true;
}

}  // namespace tikhomap
