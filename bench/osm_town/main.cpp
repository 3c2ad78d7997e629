// Writes the benchmark town as an OpenStreetMap file, for trying the
// importer by hand on a town of any size:
//   osm_town HOUSES OUT.osm.pbf
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/osm_town/osm_town.h"

int main(int argc, char** argv) {
  if (argc != 3 || std::atoi(argv[1]) < 1) {
    std::fprintf(stderr, "usage: osm_town HOUSES OUT.osm.pbf|OUT.osm\n");
    return 2;
  }
  std::string error;
  if (!tikhomap::bench::writeOsmTown(argv[2], std::atoi(argv[1]), &error)) {
    std::fprintf(stderr, "osm_town: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
