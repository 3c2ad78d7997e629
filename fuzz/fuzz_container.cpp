// Fuzz target: the container reader over a whole file. The input is written
// as a .gpkg file of this process and opened as the program opens a map:
// the base map, the buildings and reference tables, and the title sheet.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "fuzz/fuzz_checks.h"
#include "gpkg/map_location.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tikhomap;
  static const std::filesystem::path file =
      std::filesystem::temp_directory_path() /
      ("tikhomap-fuzz-container-" + std::to_string(::getpid()) + ".gpkg");
  {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  MapData map;
  const LoadResult base = loadMapBase(file, map, {});
  for (const LoadProblem& p : base.problems) fuzz::require(p.file == file.filename().string());
  if (base.ok) {
    fuzz::require(!map.districtAreas.empty());
    const LoadResult rest = loadMapBuildings(file, map, {});
    for (const Building& b : map.buildings) {
      fuzz::require(b.pointCount == static_cast<int>(b.outline.size()));
    }
    for (const FurtherAddress& a : map.furtherAddresses) {
      fuzz::require(a.building >= 0 && static_cast<size_t>(a.building) < map.buildings.size());
    }
    fuzz::require(map.themeHead >= -1 && map.themeHead < static_cast<int>(map.themeNodes.size()));
  } else {
    fuzz::require(base.missingFile == file.filename().string());
  }
  for (const bool regional : {true, false}) {
    if (const auto sheet = readMapTitleSheet(file, regional)) {
      for (const TitleText& t : sheet->texts)
        fuzz::require(!t.text.empty() && t.text.size() <= 127);
    }
  }
  return 0;
}
