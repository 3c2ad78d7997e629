#include "app/data_folder.h"

#include <system_error>

#include "gpkg/map_location.h"

namespace tikhomap {

bool holdsBaseMap(const std::filesystem::path& dir) {
  return holdsMap(dir);
}

std::optional<std::filesystem::path> installedSampleCity(const std::filesystem::path& programDir) {
  if (programDir.filename() != "bin") return std::nullopt;
  const std::filesystem::path city = programDir.parent_path() / "share" / "tikhomap" / "city";
  if (!holdsBaseMap(city)) return std::nullopt;
  return city;
}

std::filesystem::path chooseDataFolder(const std::optional<std::filesystem::path>& given,
                                       const std::filesystem::path& workingDir,
                                       const std::optional<std::filesystem::path>& sampleCity,
                                       const std::optional<std::filesystem::path>& lastFolder) {
  if (given) {
    // A file manager hands over a file of the map (8.tkm, city.txt …): its
    // folder is the map; a container file is the map itself. A relative
    // name counts from the working directory.
    const std::filesystem::path named = given->is_absolute() ? *given : workingDir / *given;
    const std::filesystem::path map = mapPathFor(named);
    return map == named ? *given : map;
  }
  if (holdsBaseMap(workingDir)) return workingDir;
  if (lastFolder && holdsBaseMap(*lastFolder)) return *lastFolder;
  if (sampleCity) return *sampleCity;
  return workingDir;
}

}  // namespace tikhomap
