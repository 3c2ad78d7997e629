// osm2tkm: an OpenStreetMap extract of a town into the map files.
#include <iostream>
#include <string>
#include <vector>

#include "osm2tkm/import_command.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return tikhomap::osm::runImport(args, std::cout, std::cerr);
}
