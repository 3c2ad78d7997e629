// Fuzz target: the reader of tema.tkm.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "fuzz/fuzz_checks.h"
#include "mapdata/map_readers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tikhomap::MapData map;
  std::vector<tikhomap::LoadProblem> problems;
  tikhomap::parseThemeFile(std::span<const uint8_t>(data, size), map, problems);
  tikhomap::fuzz::checkMap(map);
  return 0;
}
