// The counts an import reports at its end: every table written and
// everything dropped or changed, with why, in the order first counted.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace tikhomap::osm {

class ImportSummary {
 public:
  void add(const std::string& what, int64_t n = 1);
  int64_t count(const std::string& what) const;
  const std::vector<std::pair<std::string, int64_t>>& lines() const { return lines_; }
  void print(std::ostream& out) const;

 private:
  std::vector<std::pair<std::string, int64_t>> lines_;
};

}  // namespace tikhomap::osm
