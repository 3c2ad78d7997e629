#include "mapdata/loader.h"

#include <cstdio>
#include <string>

#include "mapdata/city_info.h"
#include "mapdata/map_file.h"
#include "mapdata/map_readers.h"

namespace tikhomap {
namespace {

void say(const LoadProgress& progress, const std::string& caption) {
  if (progress) progress(caption);
}

bool readOrReport(const std::filesystem::path& dir, const char* name, std::vector<uint8_t>& bytes,
                  LoadResult& result, uint64_t describedLimit = UINT64_MAX) {
  return readMapFile(dir / name, name, bytes, result.problems, describedLimit);
}

// city.txt is optional: without it the built-in values hold and nothing is
// reported. Anything else in its place, or a file far larger than any
// description, is reported and ignored.
void readCityInfo(const std::filesystem::path& dir, MapData& map, LoadResult& result) {
  map.city = CityInfo{};
  const std::filesystem::path path = dir / kCityInfoFile;
  std::error_code ec;
  if (std::filesystem::symlink_status(path, ec).type() == std::filesystem::file_type::not_found) {
    return;
  }
  std::vector<uint8_t> bytes;
  if (!readMapFile(path, kCityInfoFile, bytes, result.problems)) return;
  map.city = parseCityInfo(bytes, &result.problems);
}

// houses.txt is optional as city.txt is; its lines name buildings by their
// address points, so it is read after the building table.
void readFurtherAddresses(const std::filesystem::path& dir, MapData& map, LoadResult& result) {
  const std::filesystem::path path = dir / kFurtherAddressFile;
  std::error_code ec;
  if (std::filesystem::symlink_status(path, ec).type() == std::filesystem::file_type::not_found) {
    return;
  }
  std::vector<uint8_t> bytes;
  if (!readMapFile(path, kFurtherAddressFile, bytes, result.problems)) return;
  map.furtherAddresses = parseFurtherAddresses(bytes, map.buildings, &result.problems);
}

}  // namespace

void clearBaseMap(MapData& map) {
  for (auto* table : {&map.areaFeatures, &map.lineFeatures, &map.waterFeatures, &map.streetOutlines,
                      &map.streetLines}) {
    table->clear();
  }
  map.streetNames.clear();
  map.streetCodeIndex.clear();
  map.streetLabelPoints.clear();
  map.microdistricts.clear();
  map.districtAreas.clear();
}

void clearBuildingsAndReferences(MapData& map) {
  map.buildings.clear();
  map.furtherAddresses.clear();
  map.themeNodes.clear();
  map.themeHead = -1;
  map.userObjects.clear();
  map.userObjectsDeclared = 0;
  map.signRecords.clear();
  map.signRecordsDeclared = 0;
}

LoadResult loadBaseMap(const std::filesystem::path& dir, MapData& map,
                       const LoadProgress& progress) {
  LoadResult result;
  std::vector<uint8_t> bytes;
  // A layer whose file is missing must come out empty, not keep old data.
  clearBaseMap(map);
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
  const bool districtsRead = readOrReport(dir, "3.tkm", bytes, result);
  if (!districtsRead || !parseDistrictFile(bytes, map, result.problems) ||
      map.districtAreas.empty()) {
    if (districtsRead) result.problems.push_back({"3.tkm", 0, "no district areas"});
    map.districtAreas.clear();
    result.missingFile = "3.tkm";
    return result;
  }

  // Without the topographic base or the streets the city can still be shown.
  say(progress, "Загрузка:  Топооснова");
  if (readOrReport(dir, "4.tkm", bytes, result)) parseTopoFile(bytes, map, result.problems);

  say(progress, "Загрузка:  Улицы и проезды");
  if (readOrReport(dir, "5.tkm", bytes, result)) parseStreetFile(bytes, map, result.problems);

  result.ok = true;
  return result;
}

LoadResult loadBuildingsAndReferences(const std::filesystem::path& dir, MapData& map,
                                      const LoadProgress& progress) {
  LoadResult result;
  std::vector<uint8_t> attributes;
  std::vector<uint8_t> geometry;
  // A reference file that is not read leaves its table empty, as at start.
  clearBuildingsAndReferences(map);
  if (!readOrReport(dir, "7.tkm", attributes, result)) {
    result.missingFile = "7.tkm";
    return result;
  }
  // 6.tkm has no counts of its own: 7.tkm tells how much of it is read.
  if (!readOrReport(dir, "6.tkm", geometry, result, buildingGeometryBytes(attributes))) {
    result.missingFile = "6.tkm";
    return result;
  }
  const BuildingProgress buildingProgress = [&progress](int done, int total) {
    char caption[96];
    std::snprintf(caption, sizeof caption, "Загрузка: Здания  %d (%d)", done, total);
    say(progress, caption);
  };
  parseBuildingFiles(attributes, geometry, map, result.problems, buildingProgress);
  readFurtherAddresses(dir, map, result);
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
