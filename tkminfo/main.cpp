#include <iostream>
#include <string>
#include <vector>

#include "tkminfo/tkminfo_lib.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return tikhomap::runTkminfo(args, std::cout, std::cerr);
}
