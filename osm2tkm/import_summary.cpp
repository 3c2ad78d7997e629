#include "osm2tkm/import_summary.h"

namespace tikhomap::osm {

void ImportSummary::add(const std::string& what, int64_t n) {
  for (auto& [name, value] : lines_) {
    if (name == what) {
      value += n;
      return;
    }
  }
  lines_.emplace_back(what, n);
}

int64_t ImportSummary::count(const std::string& what) const {
  for (const auto& [name, value] : lines_)
    if (name == what) return value;
  return 0;
}

void ImportSummary::print(std::ostream& out) const {
  for (const auto& [name, value] : lines_) {
    if (value == 0) continue;
    out << "  " << name << ": " << value << "\n";
  }
}

}  // namespace tikhomap::osm
