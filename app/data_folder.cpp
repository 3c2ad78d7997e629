#include "app/data_folder.h"

#include <system_error>

namespace tikhomap {

bool holdsBaseMap(const std::filesystem::path& dir) {
  std::error_code error;
  return std::filesystem::is_regular_file(dir / "8.tkm", error) &&
         std::filesystem::is_regular_file(dir / "3.tkm", error);
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
    // folder is the map. A relative name counts from the working directory.
    std::error_code error;
    const std::filesystem::path named = given->is_absolute() ? *given : workingDir / *given;
    if (std::filesystem::is_regular_file(named, error)) return named.parent_path();
    return *given;
  }
  if (holdsBaseMap(workingDir)) return workingDir;
  if (lastFolder && holdsBaseMap(*lastFolder)) return *lastFolder;
  if (sampleCity) return *sampleCity;
  return workingDir;
}

}  // namespace tikhomap
