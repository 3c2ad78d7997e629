// What must hold after any reader has run, whatever its input: every vertex
// count matches its array, and every text field is terminated in its field.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "mapdata/map_data.h"

namespace tikhomap::fuzz {

// Stops the run where a check fails, naming the check's place.
inline void require(bool condition, const char* file = __builtin_FILE(),
                    int line = __builtin_LINE()) {
  if (condition) return;
  std::fprintf(stderr, "fuzz check failed at %s:%d\n", file, line);
  std::abort();
}

template <size_t N>
void requireTerminated(const char (&field)[N]) {
  require(std::memchr(field, '\0', N) != nullptr);
}

// A text of the model: no NUL inside, and no longer than any source makes it
// (a container's texts are cut to kMaxTextBytes, a file's fields hold at
// most 255 cp1251 bytes, each at most three bytes of UTF-8).
inline void requireTerminated(const std::string& text) {
  require(text.find('\0') == std::string::npos);
  require(text.size() <= 3 * 255);
}

inline void requireFeatures(const std::vector<MapFeature>& table, const MapData& map) {
  for (const MapFeature& f : table) {
    require(f.pointCount >= 0 && static_cast<size_t>(f.pointCount) == f.points.size());
    require(f.pointCount <= map.maxPointCount);
  }
}

inline void checkMap(const MapData& m) {
  for (const Microdistrict& r : m.microdistricts) requireTerminated(r.name);
  for (const DistrictArea& a : m.districtAreas) {
    require(a.pointCount >= 0 && static_cast<size_t>(a.pointCount) == a.points.size());
    require(a.pointCount <= m.maxPointCount);
  }
  for (const auto* t :
       {&m.areaFeatures, &m.lineFeatures, &m.waterFeatures, &m.streetOutlines, &m.streetLines}) {
    requireFeatures(*t, m);
  }
  for (const StreetName& s : m.streetNames) {
    requireTerminated(s.name);
    if (s.streetCode >= 0) {
      require(m.streetByCode(s.streetCode) != nullptr);
    }
  }
  for (const Building& b : m.buildings) {
    require(b.pointCount >= 0 && static_cast<size_t>(b.pointCount) == b.outline.size());
    requireTerminated(b.houseNumber);
    requireTerminated(b.description);
  }
  for (const ThemeNode& t : m.themeNodes) {
    requireTerminated(t.name);
    require(t.children < static_cast<int32_t>(m.themeNodes.size()));
    require(t.next < static_cast<int32_t>(m.themeNodes.size()));
  }
  require(m.userObjects.size() <= static_cast<size_t>(m.userObjectsDeclared));
  for (const UserObject& o : m.userObjects) requireTerminated(o.name);
  require(m.signRecords.size() <= static_cast<size_t>(m.signRecordsDeclared));
  for (const SignRecord& s : m.signRecords) requireTerminated(s.text);
}

}  // namespace tikhomap::fuzz
