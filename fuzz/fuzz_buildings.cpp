// Fuzz target: the reader of 7.tkm with 6.tkm. The first two bytes of the
// input (little-endian) give the length of the 7.tkm part; the rest is 6.tkm.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "fuzz/fuzz_checks.h"
#include "mapdata/map_readers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const std::span<const uint8_t> input(data + 2, size - 2);
  const size_t split = std::min<size_t>(data[0] | (data[1] << 8), input.size());
  tikhomap::MapData map;
  std::vector<tikhomap::LoadProblem> problems;
  int calls = 0;
  tikhomap::parseBuildingFiles(input.first(split), input.subspan(split), map, problems,
                               [&calls](int done, int total) {
                                 tikhomap::fuzz::require(done % 200 == 0 && done < total);
                                 ++calls;
                               });
  tikhomap::fuzz::checkMap(map);
  return 0;
}
