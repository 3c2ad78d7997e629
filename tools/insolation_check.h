// Screening of a dwelling against the insolation norm: the map has no
// windows, so points along each facade at a room's spacing, on every storey
// at sill height, stand in for them. Each point's sunlit runs are found
// exactly (every moment the sun appears or goes bisected to the tolerance),
// within the counted part of the day, on both boundary dates of the zone's
// period. A facade-storey is screened as meeting the norm when one of its
// points does. Terrain, trees, balconies, loggias and window reveals are not
// in the data; this is a screening, not a certificate.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/insolation.h"
#include "tools/insolation_norm.h"

namespace tikhomap {

// The purposes of dwellings: the norm checked here is theirs alone.
bool isDwelling(int purpose);

// Why a building was not screened.
enum class NormSkip : unsigned char {
  None,
  NotDwelling,  // "норма инсоляции относится к жилым зданиям"
  NoSuchBuilding,    // a row that is not on the map
  FewVertices,       // "в контуре меньше трёх вершин"
  BadStoreys,        // "этажность 0 или больше 200"
  SelfIntersecting,  // "контур самопересекается"
  NoZone,            // "широта вне зон нормы"
  PolarDayOrNight,   // "полярный день или полярная ночь"
  SunOutOfRange,     // "дата вне 1950–2100"
};
std::string_view skipText(NormSkip skip);

// The sun at one stand-in point over the counted part of one day.
struct PointSun {
  int longestSeconds = 0;
  int totalSeconds = 0;
  NormVerdict verdict = NormVerdict::Fails;
  // Sunlit runs in seconds since the counted part's local midnight.
  std::vector<std::pair<int, int>> runs;
};

struct FacadeStorey {
  int32_t edge = 0;   // outline edge from vertex edge to edge + 1
  int storey = 1;     // 1 = the ground storey
  double facing = 0;  // degrees from grid north
  double length = 0;  // metres
  int points = 0;     // stand-in points on it
  PointSun best;      // its best point
};

struct DateCheck {
  CivilDate date;
  SunDay day = SunDay::Ordinary;
  // The counted part of the day, in local seconds after midnight.
  int countedFrom = 0, countedTo = 0;
  std::vector<FacadeStorey> rows;  // by edge, then storey
  int meeting = 0;                 // rows meeting the norm, either way
  int interrupted = 0;             // of them, only by the interrupted rule
  int64_t longestSum = 0;          // seconds, to break ties between dates
};

struct BuildingNormCheck {
  NormSkip skip = NormSkip::None;
  int zone = -1;
  int requiredMinutes = 0;
  bool withinEdition = true;  // both dates in the rules' term of validity
  DateCheck dates[2];
  int worse = 0;  // the date with fewer facade-storeys meeting the norm
  // The facade-storey of the worse date with the shortest longest run.
  int worstRow = -1;
  int storeys = 0;
};

// Checks building `row` for the year `year` (both boundary dates of its
// zone's period). `blocks` keeps working state of its own: one per thread.
BuildingNormCheck checkInsolationNorm(const BuildingBlocks& blocks, int32_t row, int year,
                                      const SunPlace& place,
                                      const NormSettings& settings = NormSettings{});

// The building's colour on the map, from its worse date: each storey takes
// the best verdict of its facades, the building the worst of its storeys.
// A storey none of whose facades gets the sun cannot hold a flat that meets
// the norm; the converse is not shown by a facade alone. Fails for a
// building that was not screened is not given: the caller sees `skip`.
NormVerdict buildingColourVerdict(const BuildingNormCheck& check);

// The sun at one point on one local date (x north, y east, z up; n the
// wall's outward normal), sunlit runs bisected to the settings' tolerance,
// within the counted part of the day. Also the counted part and the kind of
// day.
PointSun pointSun(const BuildingBlocks& blocks, double x, double y, double z, double nx, double ny,
                  const CivilDate& date, const SunPlace& place, int uncountedMinutes,
                  const NormSettings& settings, int requiredMinutesValue, SunDay* day = nullptr,
                  int* countedFrom = nullptr, int* countedTo = nullptr);

// Whether a closed outline crosses or touches itself (walls of no length
// left out first).
bool selfIntersecting(const std::vector<MapPoint>& outline);

// The statements every report makes: a screening, the rules and dates, the
// settings, the blocks, what the data leaves out, the neighbours' reach.
std::vector<std::string> screeningStatements(const NormSettings& settings, int zone,
                                             const CivilDate* dates);

}  // namespace tikhomap
