// Writers of every map data file: the exact byte layouts the readers parse.
#include "mapdata/tkm_writer.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <string>
#include <string_view>

#include "mapdata/byte_writer.h"
#include "mapdata/cp1251.h"
#include "mapdata/limits.h"
#include "mapdata/point_codec.h"
#include "mapdata/text_rules.h"

namespace tikhomap {
namespace {

constexpr int16_t kNoDistrict = 250;
constexpr int kMaxVertices = kFileVertexLimit;
const char* const kLineEnd = "\r\n";

// A text is written in cp1251 (Latin letters outside it transliterated)
// and cut to what its field holds.
std::string writtenText(std::string_view utf8, size_t width) {
  std::string text = utf8ToCp1251(upToNul(utf8));
  if (text.size() > width) text.resize(width);
  return text;
}

int16_t tableCount(size_t n) {
  return static_cast<int16_t>(std::min<size_t>(n, kFileTableLimit));
}

// The first value of the map that a field of the eleven files cannot hold,
// as a refusal; the model holds 32-bit values, the files 16-bit ones.
class FitCheck {
 public:
  bool table(const char* what, size_t n) {
    if (n <= static_cast<size_t>(kFileTableLimit)) return true;
    return refuse(std::string(what) + ": " + std::to_string(n) +
                  " records, the map files hold at most " + std::to_string(kFileTableLimit));
  }
  bool vertices(const char* what, size_t row, size_t n) {
    if (n <= static_cast<size_t>(kFileVertexLimit)) return true;
    return refuse(std::string(what) + " " + std::to_string(row) + ": " + std::to_string(n) +
                  " vertices, the map files hold at most " + std::to_string(kFileVertexLimit));
  }
  bool value(const char* what, size_t row, int64_t v, int64_t min, int64_t max) {
    if (v >= min && v <= max) return true;
    return refuse(std::string(what) + " " + std::to_string(row) + ": " + std::to_string(v) +
                  ", the map files hold " + std::to_string(min) + " to " + std::to_string(max));
  }
  bool point(const char* what, size_t row, int64_t x, int64_t y) {
    return value(what, row, x, 0, kFileCoordinateMax) && value(what, row, y, 0, kFileCoordinateMax);
  }
  bool code(const char* what, size_t row, int64_t v) { return value(what, row, v, -32768, 32767); }
  const std::string& refusal() const { return refusal_; }

 private:
  bool refuse(std::string text) {
    refusal_ = std::move(text);
    return false;
  }
  std::string refusal_;
};

bool featuresFit(FitCheck& c, const char* what, const std::vector<MapFeature>& table) {
  if (!c.table(what, table.size())) return false;
  for (size_t i = 0; i < table.size(); ++i) {
    if (!c.code(what, i, table[i].code) || !c.vertices(what, i, table[i].points.size())) {
      return false;
    }
  }
  return true;
}

bool titleFits(FitCheck& c, const char* what, const TitleSheetFile& file) {
  for (size_t k = 0; k < 4; ++k) {
    if (file.hasHeader && !c.value(what, k, file.extent[k], 0, kFileCoordinateMax)) return false;
  }
  for (size_t i = 0; i < file.shapes.size(); ++i) {
    if (file.shapes[i].points.size() > 0xFFFF) {
      return c.vertices(what, i, file.shapes[i].points.size());
    }
    for (const MetrePoint& p : file.shapes[i].points) {
      if (!c.point(what, i, p.x, p.y)) return false;
    }
  }
  for (size_t i = 0; i < file.texts.size(); ++i) {
    if (!c.point(what, i, file.texts[i].x, file.texts[i].y)) return false;
  }
  return true;
}

bool mapFits(FitCheck& c, const MapData& m) {
  const std::pair<const char*, size_t> tables[] = {
      {"microdistricts", m.microdistricts.size()},
      {"district polygons", m.districtAreas.size()},
      {"street names", m.streetNames.size()},
      {"street label anchors", m.streetLabelPoints.size()},
      {"buildings", m.buildings.size()},
      {"objects", m.userObjects.size()},
      {"signs", m.signRecords.size()},
      {"themes", m.themeNodes.size()},
  };
  for (const auto& [what, n] : tables) {
    if (!c.table(what, n)) return false;
  }
  if (!featuresFit(c, "area", m.areaFeatures) || !featuresFit(c, "line", m.lineFeatures) ||
      !featuresFit(c, "water feature", m.waterFeatures) ||
      !featuresFit(c, "street outline edge", m.streetOutlines) ||
      !featuresFit(c, "street axis", m.streetLines)) {
    return false;
  }
  for (size_t i = 0; i < m.microdistricts.size(); ++i) {
    if (!c.point("microdistrict", i, m.microdistricts[i].x, m.microdistricts[i].y)) return false;
  }
  for (size_t i = 0; i < m.districtAreas.size(); ++i) {
    const DistrictArea& a = m.districtAreas[i];
    if (!c.code("district number of polygon", i, a.district) ||
        !c.vertices("district polygon", i, a.points.size()) ||
        !c.point("district bounds of polygon", i, a.boundsLow[0], a.boundsLow[1]) ||
        !c.point("district bounds of polygon", i, a.boundsLow[2], a.boundsLow[3])) {
      return false;
    }
    for (const MetrePoint& p : a.points) {
      if (!c.point("district polygon", i, p.x, p.y)) return false;
    }
  }
  for (size_t i = 0; i < m.streetNames.size(); ++i) {
    if (!c.code("street code of name", i, m.streetNames[i].streetCode) ||
        !c.value("street kind of name", i, m.streetNames[i].kind, 0, 255)) {
      return false;
    }
  }
  for (size_t i = 0; i < m.streetLabelPoints.size(); ++i) {
    const StreetLabelPoint& p = m.streetLabelPoints[i];
    if (!c.point("street label anchor", i, p.x, p.y) ||
        !c.code("street code of label anchor", i, p.streetCode) ||
        !c.code("level of label anchor", i, p.level)) {
      return false;
    }
  }
  for (size_t i = 0; i < m.buildings.size(); ++i) {
    const Building& b = m.buildings[i];
    if (!c.point("address point of building", i, b.x, b.y) ||
        !c.vertices("building", i, b.outline.size()) ||
        !c.code("street code of building", i, b.streetCode) ||
        !c.code("purpose of building", i, b.purpose) ||
        !c.code("floors of building", i, b.floors)) {
      return false;
    }
  }
  for (size_t i = 0; i < m.userObjects.size(); ++i) {
    const UserObject& o = m.userObjects[i];
    if (!c.code("point of object", i, o.x) || !c.code("point of object", i, o.y)) return false;
  }
  for (size_t i = 0; i < m.signRecords.size(); ++i) {
    const SignRecord& s = m.signRecords[i];
    if (!c.code("point of sign", i, s.a) || !c.code("point of sign", i, s.b)) return false;
  }
  return true;
}

void writeName(ByteWriter& w, std::string_view name) {
  w.u8(static_cast<uint8_t>(name.size()));
  w.text(name);
}

void writeFeature(ByteWriter& w, const MapFeature& f) {
  const int count = static_cast<int>(std::min<size_t>(f.points.size(), kMaxVertices));
  w.i16(f.code);
  w.i16(headerEndValue(f.code, count));
  w.f32(f.bounds.xMin);
  w.f32(f.bounds.yMin);
  w.f32(f.bounds.xMax);
  w.f32(f.bounds.yMax);
  for (int i = 0; i < count; ++i) w.raw(encodePoint8(f.points[static_cast<size_t>(i)]));
}

void writeFeatures(ByteWriter& w, const std::vector<MapFeature>& table) {
  const int16_t n = tableCount(table.size());
  w.i16(n);
  for (int i = 0; i < n; ++i) writeFeature(w, table[static_cast<size_t>(i)]);
}

// A code of two characters as text: a missing character is written as a
// space so that the line stays text.
std::string codeText(const char (&code)[2]) {
  std::string s;
  for (char c : code) s.push_back(c == '\0' || c == '\n' || c == '\r' ? ' ' : c);
  return s;
}

void appendThemeLine(std::string& out, const ThemeNode& node) {
  // Code, three spaces, then the name after a comma at the sixth character.
  out += codeText(node.code) + "   ," + writtenText(node.name, kThemeNameBytes) + kLineEnd;
}

// The file written and closed (a full disk often shows only when the last
// bytes leave the buffer); on failure, why, with the system's message.
bool writeFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes,
               std::string* error) {
  errno = 0;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (out) {
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (out) out.close();
    if (out) return true;
  }
  if (error) {
    const int code = errno;
    *error = "cannot write " + path.string() + ": " +
             (code != 0 ? std::strerror(code) : "the write failed");
  }
  return false;
}

std::vector<uint8_t> textBytes(const std::string& s) {
  return {s.begin(), s.end()};
}

}  // namespace

std::vector<uint8_t> writeMicrodistrictFile(const MapData& map) {
  ByteWriter w;
  const int16_t n = tableCount(map.microdistricts.size());
  w.i16(n);
  for (int i = 0; i < n; ++i) {
    const Microdistrict& m = map.microdistricts[static_cast<size_t>(i)];
    w.u16(m.x);
    w.u16(m.y);
    writeName(w, writtenText(m.name, kNameBytes));
  }
  return std::move(w.bytes());
}

std::vector<uint8_t> writeDistrictFile(const MapData& map) {
  ByteWriter w;
  const int16_t n = tableCount(map.districtAreas.size());
  w.i16(n);
  w.f32(map.cityExtent.xMin);
  w.f32(map.cityExtent.yMin);
  w.f32(map.cityExtent.xMax);
  w.f32(map.cityExtent.yMax);
  for (int i = 0; i < n; ++i) {
    const DistrictArea& a = map.districtAreas[static_cast<size_t>(i)];
    const int count = static_cast<int>(std::min<size_t>(a.points.size(), kMaxVertices));
    const int16_t code = a.district == 0 ? kNoDistrict : a.district;
    w.i16(code);
    w.i16(headerEndValue(code, count));
    for (int32_t low : a.boundsLow) w.i32(low);
    for (int k = 0; k < count; ++k) w.raw(encodePoint4(a.points[static_cast<size_t>(k)]));
  }
  return std::move(w.bytes());
}

std::vector<uint8_t> writeTopoFile(const MapData& map) {
  ByteWriter w;
  const std::vector<MapFeature>* tables[] = {&map.areaFeatures, &map.lineFeatures,
                                             &map.waterFeatures, &map.streetOutlines};
  for (int16_t featureClass = 1; featureClass <= 4; ++featureClass) {
    w.i16(featureClass);
    writeFeatures(w, *tables[featureClass - 1]);
  }
  return std::move(w.bytes());
}

std::vector<uint8_t> writeStreetFile(const MapData& map) {
  ByteWriter w;
  writeFeatures(w, map.streetLines);
  const int16_t names = tableCount(map.streetNames.size());
  w.i16(names);
  for (int i = 0; i < names; ++i) {
    const StreetName& s = map.streetNames[static_cast<size_t>(i)];
    w.i16(s.streetCode);
    w.u8(static_cast<uint8_t>(s.kind));
    writeName(w, writtenText(s.name, kNameBytes));
  }
  const int16_t anchors = tableCount(map.streetLabelPoints.size());
  w.i16(anchors);
  for (int i = 0; i < anchors; ++i) {
    const StreetLabelPoint& p = map.streetLabelPoints[static_cast<size_t>(i)];
    w.i16(p.streetCode);
    w.u16(p.x);
    w.u16(p.y);
    w.i16(p.level);
  }
  return std::move(w.bytes());
}

std::vector<uint8_t> writeBuildingAttributeFile(const MapData& map) {
  ByteWriter w;
  const int16_t n = tableCount(map.buildings.size());
  w.i16(n);
  for (int i = 0; i < n; ++i) {
    const Building& b = map.buildings[static_cast<size_t>(i)];
    const std::string number = writtenText(b.houseNumber, kHouseNumberBytes);
    const std::string description = writtenText(b.description, kDescriptionBytes);
    w.u16(b.x);
    w.i16(static_cast<int16_t>(std::min<size_t>(b.outline.size(), kMaxVertices)));
    w.i16(b.floors);
    w.u16(b.y);
    w.i16(b.streetCode);
    w.i16(b.purpose);
    w.u8(static_cast<uint8_t>(number.size()));
    w.u8(static_cast<uint8_t>(description.size()));
    w.text(number);
    w.text(description);
  }
  return std::move(w.bytes());
}

std::vector<uint8_t> writeBuildingGeometryFile(const MapData& map) {
  ByteWriter w;
  const size_t n = static_cast<size_t>(tableCount(map.buildings.size()));
  for (size_t i = 0; i < n; ++i) {
    const Building& b = map.buildings[i];
    w.f32(b.bounds.xMin);
    w.f32(b.bounds.yMin);
    w.f32(b.bounds.xMax);
    w.f32(b.bounds.yMax);
    const size_t count = std::min<size_t>(b.outline.size(), kMaxVertices);
    for (size_t k = 0; k < count; ++k) w.raw(encodePoint8(b.outline[k]));
  }
  return std::move(w.bytes());
}

std::vector<uint8_t> writeThemeFile(const MapData& map) {
  // List order: each top-level node followed by its themes, which is the
  // order the reader rebuilds the same list from.
  std::string out;
  const auto at = [&map](int32_t i) -> const ThemeNode& {
    return map.themeNodes[static_cast<size_t>(i)];
  };
  const auto valid = [&map](int32_t i) {
    return i >= 0 && i < static_cast<int32_t>(map.themeNodes.size());
  };
  size_t guard = 0;  // a damaged list with a cycle must not loop forever
  for (int32_t g = map.themeHead; valid(g) && guard <= map.themeNodes.size(); g = at(g).next) {
    appendThemeLine(out, at(g));
    ++guard;
    for (int32_t t = at(g).children; valid(t) && guard <= map.themeNodes.size(); t = at(t).next) {
      appendThemeLine(out, at(t));
      ++guard;
    }
  }
  return textBytes(out);
}

std::vector<uint8_t> writeUserObjectFile(const MapData& map) {
  std::string out = std::to_string(map.userObjects.size()) + kLineEnd;
  for (const UserObject& o : map.userObjects) {
    out += std::to_string(o.x) + "," + std::to_string(o.y) + "," + codeText(o.theme) + "," +
           writtenText(o.name, kObjectNameBytes) + kLineEnd;
  }
  return textBytes(out);
}

std::vector<uint8_t> writeSignFile(const MapData& map) {
  std::string out = std::to_string(map.signRecords.size()) + kLineEnd;
  for (const SignRecord& s : map.signRecords) {
    out += std::to_string(s.id) + ",0," + std::to_string(s.a) + "," + std::to_string(s.b) + "," +
           std::to_string(std::lround(s.p)) + "," + std::to_string(std::lround(s.q)) + "," +
           writtenText(s.text, kSignTextBytes) + kLineEnd;
  }
  return textBytes(out);
}

std::string mapFilesRefusal(const MapData& map, const TitleSheetFile& regional,
                            const TitleSheetFile& cityWater) {
  FitCheck c;
  if (!mapFits(c, map) || !titleFits(c, "regional panel", regional) ||
      !titleFits(c, "city water", cityWater)) {
    return c.refusal();
  }
  return {};
}

bool writeMapFolder(const std::filesystem::path& dir, const MapData& map,
                    const TitleSheetFile& regional, const TitleSheetFile& cityWater,
                    std::string* error) {
  // Nothing is written of a map the files cannot hold: a value cut to 16
  // bits would put a building elsewhere or under another street.
  if (std::string refusal = mapFilesRefusal(map, regional, cityWater); !refusal.empty()) {
    if (error) *error = "the map does not fit the eleven map files: " + refusal;
    return false;
  }
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec) {
    if (error) *error = "cannot create " + dir.string() + ": " + ec.message();
    return false;
  }
  // 1.tkm always carries the panel's extent, 2.tkm never does.
  TitleSheetFile panel = regional;
  panel.hasHeader = true;
  TitleSheetFile water = cityWater;
  water.hasHeader = false;
  const std::pair<const char*, std::vector<uint8_t>> files[] = {
      {"1.tkm", writeTitleFile(panel)},
      {"2.tkm", writeTitleFile(water)},
      {"3.tkm", writeDistrictFile(map)},
      {"4.tkm", writeTopoFile(map)},
      {"5.tkm", writeStreetFile(map)},
      {"6.tkm", writeBuildingGeometryFile(map)},
      {"7.tkm", writeBuildingAttributeFile(map)},
      {"8.tkm", writeMicrodistrictFile(map)},
      {"tema.tkm", writeThemeFile(map)},
      {"user.tkm", writeUserObjectFile(map)},
      {"sign.tkm", writeSignFile(map)},
  };
  for (const auto& [name, bytes] : files) {
    if (!writeFile(dir / name, bytes, error)) return false;
  }
  return true;
}

}  // namespace tikhomap
