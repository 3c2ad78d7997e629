// citygen [--seed N] [--size tiny|default|large] OUT_DIR
// Writes the eleven map files of the sample city into OUT_DIR, or the map
// container OUT_DIR when it ends in ".gpkg".
#include <cstdio>
#include <cstdlib>
#include <string>

#include "citygen/city_generator.h"
#include "gpkg/geopackage.h"
#include "mapdata/tkm_writer.h"

namespace {

int usage() {
  std::fprintf(stderr, "usage: citygen [--seed N] [--size tiny|default|large] OUT_DIR|OUT.gpkg\n");
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
  if (out.size() > 5 && out.ends_with(tikhomap::kContainerExtension)) {
    std::string error;
    if (!tikhomap::writeGeoPackage(out, city.map, city.regional, city.cityWater, &error)) {
      std::fprintf(stderr, "citygen: %s\n", error.c_str());
      return 1;
    }
  } else if (!tikhomap::writeMapFolder(out, city.map, city.regional, city.cityWater)) {
    std::fprintf(stderr, "citygen: cannot write the map files into %s\n", out.c_str());
    return 1;
  }
  std::printf("citygen: %zu streets, %zu buildings, %zu objects written to %s\n",
              city.map.streetNames.size(), city.map.buildings.size(), city.map.userObjects.size(),
              out.c_str());
  return 0;
}
