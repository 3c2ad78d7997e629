// osm2tkm [--bbox LON0,LAT0,LON1,LAT1] [--title "Caption"] [--force] INPUT OUT_DIR
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

struct CommandLine {
  BuildOptions build;
  bool force = false;
  std::filesystem::path input;
  std::filesystem::path outDir;
};

// false with a message for bad usage.
bool parseCommandLine(const std::vector<std::string>& args, CommandLine& line, std::string& error);
// "LON0,LAT0,LON1,LAT1" with LON0 < LON1 and LAT0 < LAT1 in range.
std::optional<GeoBox> parseBox(const std::string& text);

// Writes the eleven files and city.txt into a fresh folder beside outDir and
// moves it into place; on any failure nothing is left at outDir that was not
// there before (with force, the old folder is replaced only at the end).
bool writeCityFolder(const CityImport& city, const std::filesystem::path& outDir, bool force,
                     std::string& error);

// Exit status: 0 written, 1 refused or failed (nothing written), 2 usage.
int runImport(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace tikhomap::osm
