#include "mapdata/loader.h"

#include <cstdio>
#include <fstream>
#include <string>

#include "mapdata/city_info.h"
#include "mapdata/map_readers.h"

namespace tikhomap {
namespace {

constexpr uintmax_t kMaxCityInfoBytes = 64 * 1024;

void say(const LoadProgress& progress, const std::string& caption) {
  if (progress) progress(caption);
}

bool readOrReport(const std::filesystem::path& dir, const char* name, std::vector<uint8_t>& bytes,
                  LoadResult& result) {
  if (readWholeFile(dir / name, bytes)) return true;
  result.problems.push_back({name, 0, "cannot be read"});
  return false;
}

// city.txt is optional: without it the built-in values hold and nothing is
// reported. A file far larger than any description is not read at all.
void readCityInfo(const std::filesystem::path& dir, MapData& map, LoadResult& result) {
  map.city = CityInfo{};
  const std::filesystem::path path = dir / kCityInfoFile;
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return;
  const auto size = std::filesystem::file_size(path, ec);
  std::vector<uint8_t> bytes;
  if (ec || size > kMaxCityInfoBytes || !readWholeFile(path, bytes)) {
    result.problems.push_back({kCityInfoFile, 0, "cannot be read or too large, ignored"});
    return;
  }
  map.city = parseCityInfo(bytes, &result.problems);
}

}  // namespace

bool readWholeFile(const std::filesystem::path& path, std::vector<uint8_t>& bytes) {
  bytes.clear();
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  if (size < 0) return false;
  in.seekg(0, std::ios::beg);
  bytes.resize(static_cast<size_t>(size));
  if (size > 0) in.read(reinterpret_cast<char*>(bytes.data()), size);
  return static_cast<bool>(in);
}

LoadResult loadBaseMap(const std::filesystem::path& dir, MapData& map,
                       const LoadProgress& progress) {
  LoadResult result;
  std::vector<uint8_t> bytes;
  // A layer whose file is missing must come out empty, not keep old data.
  for (auto* table : {&map.areaFeatures, &map.lineFeatures, &map.waterFeatures, &map.streetOutlines,
                      &map.streetLines}) {
    table->clear();
  }
  map.streetNames.clear();
  map.streetCodeIndex.clear();
  map.streetLabelPoints.clear();
  map.microdistricts.clear();
  map.districtAreas.clear();
  readCityInfo(dir, map, result);

  say(progress, "Загрузка: Гидрография");
  if (!readOrReport(dir, "8.tkm", bytes, result)) {
    result.missingFile = "8.tkm";
    return result;
  }
  // A file too short for its count only leaves the table empty.
  parseMicrodistrictFile(bytes, map, result.problems);

  say(progress, "Загрузка:  Береговая");
  map.maxPointCount = 0;
  if (!readOrReport(dir, "3.tkm", bytes, result) ||
      !parseDistrictFile(bytes, map, result.problems) || map.districtAreas.empty()) {
    if (result.problems.empty() || result.problems.back().file != "3.tkm") {
      result.problems.push_back({"3.tkm", 0, "no district areas"});
    }
    map.districtAreas.clear();
    result.missingFile = "3.tkm";
    return result;
  }

  // Without the topographic base or the streets the city can still be shown.
  say(progress, "Загрузка:  Топооснова");
  if (readOrReport(dir, "4.tkm", bytes, result)) parseTopoFile(bytes, map, result.problems);

  say(progress, "Загрузка:  Улицы и проезды");
  if (readOrReport(dir, "5.tkm", bytes, result)) parseStreetFile(bytes, map, result.problems);

  sizeScreenPoints(map);
  result.ok = true;
  return result;
}

LoadResult loadBuildingsAndReferences(const std::filesystem::path& dir, MapData& map,
                                      const LoadProgress& progress) {
  LoadResult result;
  std::vector<uint8_t> attributes;
  std::vector<uint8_t> geometry;
  map.buildings.clear();
  // A reference file that is not read leaves its table empty, as at start.
  map.themeNodes.clear();
  map.themeHead = -1;
  map.userObjects.clear();
  map.userObjectsDeclared = 0;
  map.signRecords.clear();
  map.signRecordsDeclared = 0;
  if (!readOrReport(dir, "7.tkm", attributes, result)) {
    result.missingFile = "7.tkm";
    return result;
  }
  if (!readOrReport(dir, "6.tkm", geometry, result)) {
    result.missingFile = "6.tkm";
    return result;
  }
  const BuildingProgress buildingProgress = [&progress](int done, int total) {
    char caption[96];
    std::snprintf(caption, sizeof caption, "Загрузка: Здания  %d (%d)", done, total);
    say(progress, caption);
  };
  parseBuildingFiles(attributes, geometry, map, result.problems, buildingProgress);
  sizeScreenPoints(map);
  result.ok = true;

  // Each reference file is read only when the one before it was.
  std::vector<uint8_t> bytes;
  if (!readOrReport(dir, "tema.tkm", bytes, result)) return result;
  parseThemeFile(bytes, map, result.problems);
  if (!readOrReport(dir, "user.tkm", bytes, result) ||
      !parseUserObjectFile(bytes, map, result.problems)) {
    return result;
  }
  if (readOrReport(dir, "sign.tkm", bytes, result)) parseSignFile(bytes, map, result.problems);
  return result;
}

}  // namespace tikhomap
