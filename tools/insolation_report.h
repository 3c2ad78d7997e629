// The insolation screening of every dwelling of a map, across threads, and
// its report as CSV (UTF-8, fields quoted as RFC 4180 says).
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tools/insolation_check.h"

namespace tikhomap {

struct ScreenedBuilding {
  int32_t row = 0;
  BuildingNormCheck check;
};

struct CityScreening {
  int year = 0;
  std::vector<ScreenedBuilding> buildings;  // every dwelling, by row
  int skipped = 0;                          // dwellings not screened (their reason in each)
  bool cancelled = false;
};

// Screens every dwelling of the map for the year on `threads` threads (0:
// one per core), each with blocks of its own. `progress` is called from the
// workers with the number done (it must be thread-safe); `cancel`, when
// given and set, ends the work early.
CityScreening screenCity(const MapData& map, int year, const NormSettings& settings, int threads,
                         const std::function<void(int done, int total)>& progress = {},
                         const std::atomic<bool>* cancel = nullptr);

// The facade-storeys of a date that fail, as "Ю (180°) 60 м: эт. 1–3; С (0°) 60 м: эт. 1–9".
std::string failingText(const DateCheck& date);

// The CSV: one row per dwelling, then the statements every report makes.
std::string insolationCsv(const MapData& map, const CityScreening& screening,
                          const NormSettings& settings);

// One CSV field, quoted when it holds a comma, a quote or a line break.
std::string csvField(const std::string& text);

}  // namespace tikhomap
