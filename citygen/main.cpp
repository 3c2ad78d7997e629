// citygen [--seed N] [--size tiny|default|large|huge] OUT_DIR|OUT.gpkg
// Writes the eleven map files of the sample city into OUT_DIR, or the map
// container OUT.gpkg. A city the map files cannot hold (the huge one) goes
// into the container map.gpkg inside OUT_DIR.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "citygen/city_generator.h"
#include "gpkg/geopackage.h"
#include "mapdata/tkm_writer.h"

namespace {

int usage() {
  std::fprintf(stderr,
               "usage: citygen [--seed N] [--size tiny|default|large|huge] OUT_DIR|OUT.gpkg\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  tikhomap::CityOptions options;
  std::string out;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--seed" && i + 1 < argc) {
      char* end = nullptr;
      const unsigned long v = std::strtoul(argv[++i], &end, 10);
      if (!end || *end || v > 0xFFFFFFFFul) return usage();
      options.seed = static_cast<uint32_t>(v);
    } else if (arg == "--size" && i + 1 < argc) {
      const std::string s = argv[++i];
      if (s == "tiny")
        options.size = tikhomap::CitySize::Tiny;
      else if (s == "default")
        options.size = tikhomap::CitySize::Default;
      else if (s == "large")
        options.size = tikhomap::CitySize::Large;
      else if (s == "huge")
        options.size = tikhomap::CitySize::Huge;
      else
        return usage();
    } else if (!arg.empty() && arg[0] == '-') {
      return usage();
    } else if (out.empty()) {
      out = arg;
    } else {
      return usage();
    }
  }
  if (out.empty()) return usage();
  const tikhomap::GeneratedCity city = tikhomap::generateCity(options);
  std::filesystem::path target = out;
  const bool container = out.size() > 5 && out.ends_with(tikhomap::kContainerExtension);
  std::string error;
  if (!container && !tikhomap::mapFilesRefusal(city.map, city.regional, city.cityWater).empty()) {
    std::error_code ec;
    std::filesystem::create_directories(target, ec);
    target /= tikhomap::kContainerFileName;
  }
  const bool written =
      target.extension() == tikhomap::kContainerExtension
          ? tikhomap::writeGeoPackage(target, city.map, city.regional, city.cityWater, &error)
          : tikhomap::writeMapFolder(target, city.map, city.regional, city.cityWater, &error);
  if (!written) {
    std::fprintf(stderr, "citygen: %s\n", error.c_str());
    return 1;
  }
  std::printf("citygen: %zu streets, %zu buildings, %zu objects written to %s\n",
              city.map.streetNames.size(), city.map.buildings.size(), city.map.userObjects.size(),
              target.c_str());
  return 0;
}
