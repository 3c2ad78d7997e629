// The peak resident memory of the benchmark's process so far, in MB: the
// figure the memory budgets are measured by.
#pragma once

#include <sys/resource.h>

namespace tikhomap {

inline double peakMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024;  // kilobytes on Linux
}

}  // namespace tikhomap
