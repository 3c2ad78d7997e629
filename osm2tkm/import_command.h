// osm2tkm [--bbox LON0,LAT0,LON1,LAT1] [--title "Caption"] [--container] [--force] INPUT OUT_DIR
// The whole command as a function of its arguments, so that the tests run it
// in-process.
#pragma once

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "osm2tkm/city_builder.h"

namespace tikhomap::osm {

// The files an import writes into its folder, and the only files that
// --force replaces.
inline constexpr const char* kImportedFiles[] = {
    "1.tkm", "2.tkm",    "3.tkm",    "4.tkm",    "5.tkm",    "6.tkm",      "7.tkm",
    "8.tkm", "tema.tkm", "user.tkm", "sign.tkm", "city.txt", "houses.txt", "map.gpkg"};

struct CommandLine {
  BuildOptions build;
  bool force = false;
  bool help = false;
  bool container = false;  // the map container even when the eleven files would hold the town
  std::filesystem::path input;
  std::filesystem::path outDir;
};

// false with a message for bad usage.
bool parseCommandLine(const std::vector<std::string>& args, CommandLine& line, std::string& error);
// "LON0,LAT0,LON1,LAT1" with LON0 < LON1 and LAT0 < LAT1 in range.
std::optional<GeoBox> parseBox(const std::string& text);

// The folder an OUT_DIR argument names, absolute, without a trailing
// separator or "." ("town/" and "." name folders as well as "town").
std::filesystem::path folderOf(const std::filesystem::path& outDir);

// Whether the import may write into outDir: it is missing, an empty folder,
// or (with force) a folder of nothing but kImportedFiles; never when the
// input is in it. false with the reason, naming what is there.
bool mayWriteInto(const std::filesystem::path& outDir, const std::filesystem::path& input,
                  bool force, std::string& error);

// Removes the temporary folders beside and inside outDir that imports which
// are no longer running left behind; returns what it removed. A running
// import holds a lock on its temporary folder, so its folder is never taken.
std::vector<std::filesystem::path> removeDeadLeftovers(const std::filesystem::path& outDir);

// Writes the eleven files with city.txt and houses.txt, or (container, or a
// town the eleven files cannot hold) the one map container map.gpkg, into a
// fresh locked temporary folder (beside a missing outDir, inside an existing
// one) and moves them into place at the end; on any failure outDir is as it
// was. Only kImportedFiles are ever replaced, all of them, so a container
// never sits beside the map files of an earlier import: the checks of
// mayWriteInto are made again here. wroteContainer tells which was written.
bool writeCityFolder(const CityImport& city, const std::filesystem::path& outDir,
                     const std::filesystem::path& input, bool force, bool container,
                     bool& wroteContainer, std::string& error);

// Exit status: 0 written, 1 refused or failed (nothing written), 2 usage.
int runImport(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace tikhomap::osm
