#include "gpkg/map_location.h"

#include <system_error>

#include "gpkg/geopackage.h"
#include "mapdata/loader.h"
#include "mapdata/map_file.h"

namespace tikhomap {
namespace {

namespace fs = std::filesystem;

bool isContainerFile(const fs::path& path) {
  std::error_code ec;
  return path.extension() == kContainerExtension && fs::is_regular_file(path, ec);
}

}  // namespace

MapLocation locateMap(const fs::path& path) {
  std::error_code ec;
  if (isContainerFile(path)) return {path.parent_path(), path};
  if (fs::is_regular_file(path, ec)) return {path.parent_path(), {}};
  if (fs::is_regular_file(path / "3.tkm", ec)) return {path, {}};
  // The folder's one container; with none, or several, it is read as map
  // files (and their absence reported as for any folder).
  fs::path found;
  int count = 0;
  for (fs::directory_iterator it(path, ec), end; !ec && it != end; it.increment(ec)) {
    if (!isContainerFile(it->path())) continue;
    found = it->path();
    if (++count > 1) break;
  }
  if (count == 1) return {path, found};
  return {path, {}};
}

fs::path mapPathFor(const fs::path& chosen) {
  std::error_code ec;
  if (isContainerFile(chosen)) return chosen;
  if (fs::is_regular_file(chosen, ec)) return chosen.parent_path();
  return chosen;
}

bool holdsMap(const fs::path& path) {
  const MapLocation where = locateMap(path);
  if (where.isContainer()) return true;
  std::error_code ec;
  return fs::is_regular_file(where.folder / "8.tkm", ec) &&
         fs::is_regular_file(where.folder / "3.tkm", ec);
}

LoadResult loadMapBase(const fs::path& path, MapData& map, const LoadProgress& progress) {
  const MapLocation where = locateMap(path);
  if (where.isContainer()) return loadContainerBaseMap(where.container, map, progress);
  return loadBaseMap(where.folder, map, progress);
}

LoadResult loadMapBuildings(const fs::path& path, MapData& map, const LoadProgress& progress) {
  const MapLocation where = locateMap(path);
  if (where.isContainer()) return loadContainerBuildings(where.container, map, progress);
  return loadBuildingsAndReferences(where.folder, map, progress);
}

std::optional<TitleSheetFile> readMapTitleSheet(const fs::path& path, bool regional) {
  const MapLocation where = locateMap(path);
  if (where.isContainer()) {
    TitleSheetFile sheet;
    if (!readContainerTitleSheet(where.container, regional, sheet)) return std::nullopt;
    return sheet;
  }
  const char* name = regional ? "1.tkm" : "2.tkm";
  std::vector<uint8_t> bytes;
  std::vector<LoadProblem> problems;
  if (!readMapFile(where.folder / name, name, bytes, problems)) return std::nullopt;
  return parseTitleFile(bytes, regional);
}

}  // namespace tikhomap
