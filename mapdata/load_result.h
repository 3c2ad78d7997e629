// What a map loader reports: success, the file that stopped it, and every
// damaged or unexpected place it stepped over on the way.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tikhomap {

struct LoadProblem {
  std::string file;     // bare file name, e.g. "4.tkm"
  uint64_t offset = 0;  // byte offset (text files: offset of the line start)
  std::string what;
};

// Receives the progress caption (UTF-8) each time it changes.
using LoadProgress = std::function<void(const std::string& captionUtf8)>;

struct LoadResult {
  bool ok = false;
  std::string missingFile;  // the file that made ok false, if any
  std::vector<LoadProblem> problems;
};

}  // namespace tikhomap
