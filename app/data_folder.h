// Which folder the map is read from: the one named on the command line, else
// the working directory when it holds a map, else the last map folder opened,
// else the sample city installed beside the program.
#pragma once

#include <filesystem>
#include <optional>

namespace tikhomap {

// A map is there: the base map's files (8.tkm and 3.tkm, read first) or a
// map container.
bool holdsBaseMap(const std::filesystem::path& dir);

// The sample city of an installed program: <prefix>/share/tikhomap/city for
// a program in <prefix>/bin. Nothing for a program that is not installed so.
std::optional<std::filesystem::path> installedSampleCity(const std::filesystem::path& programDir);

// given: the folder named on the command line, if any; a file named there
// stands for the folder that holds it, unless it is a map container. Without it: the working
// directory when it holds a base map, else the last map folder opened (when it still holds one),
// else the sample city, else the working directory.
std::filesystem::path chooseDataFolder(
    const std::optional<std::filesystem::path>& given, const std::filesystem::path& workingDir,
    const std::optional<std::filesystem::path>& sampleCity,
    const std::optional<std::filesystem::path>& lastFolder = std::nullopt);

}  // namespace tikhomap
