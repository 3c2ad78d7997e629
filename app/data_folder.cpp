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
                                       const std::optional<std::filesystem::path>& sampleCity) {
  if (given) return *given;
  if (!holdsBaseMap(workingDir) && sampleCity) return *sampleCity;
  return workingDir;
}

}  // namespace tikhomap
