// Hours of direct sun on the facades of a building on one day: the real sun
// for the place and its time zone, the neighbours and the building's own
// wings as blocks (outline x storeys x 3 m). Terrain is not modelled.
#pragma once

#include <cstdint>
#include <vector>

#include "mapdata/map_data.h"
#include "tools/solar_position.h"
#include "tools/time_zone.h"

namespace tikhomap {

// A physical storey: a block of n storeys stands n x 3 m high.
inline constexpr double kPhysicalStoreyHeight = 3.0;
// The day is sampled every 5 minutes.
inline constexpr int kSunStepMinutes = 5;
// Sun grazing the wall at this angle of incidence or more does not count.
inline constexpr double kGrazingIncidence = 85.0;
// The sample points stand this far in front of the wall.
inline constexpr double kSampleOffset = 0.5;
// Storey counts beyond this are damaged data, as on the map.
inline constexpr int kMaxStoreys = 200;

// The buildings in a grid of square cells, for the rays towards the sun.
class BuildingBlocks {
 public:
  explicit BuildingBlocks(const MapData& map);
  const MapData& map() const { return map_; }
  double heightOf(int32_t row) const { return heights_[static_cast<std::size_t>(row)]; }

  // Whether the ray from (x north, y east, z up) along the horizontal
  // direction (dx, dy) (a unit vector) rising by `slope` metres per metre
  // goes through any block: over the inside of its footprint, below its
  // top. Touching a footprint (a corner, or a wall on the side the ray
  // counts as outside) does not block the ray.
  bool blocked(double x, double y, double z, double dx, double dy, double slope) const;
  // The highest angle (degrees) above the horizontal at which blocks are
  // seen from the point along a horizontal direction, within `reach`.
  double skyline(double x, double y, double z, double dx, double dy, double reach) const;

 private:
  template <typename Visit>
  void walkCells(double x, double y, double dx, double dy, double reach, Visit&& visit) const;
  // Visits each block taller than z that the horizontal ray meets, once,
  // with the distance at which the ray first stands over its footprint (0
  // when it starts there); enterCell looks at, skips or ends at each cell,
  // meetBlock answers whether to go on.
  enum class CellStep : uint8_t { Look, Skip, Stop };
  template <typename EnterCell, typename MeetBlock>
  void walkBlocks(double x, double y, double z, double dx, double dy, double reach,
                  EnterCell&& enterCell, MeetBlock&& meetBlock) const;
  // Distances along the ray's whole line (negative behind the start) to the
  // crossings of a building's outline, in order.
  void crossings(int32_t row, double x, double y, double dx, double dy,
                 std::vector<double>& out) const;
  // Distance at which the ray first stands over the footprint's inside (0
  // when it starts there or goes in from its outline), or -1 if never.
  static double firstInside(const std::vector<double>& hits);

  const MapData& map_;
  std::vector<double> heights_;
  double cell_ = 32;
  double x0_ = 0, y0_ = 0;
  int columns_ = 0, rows_ = 0;
  double tallest_ = 0;
  std::vector<std::vector<int32_t>> cells_;
  std::vector<double> cellHeight_;
  mutable std::vector<uint32_t> seen_;
  mutable uint32_t ray_ = 0;
  mutable std::vector<double> hits_;
};

// Where the map is on the earth: the position of a map point and the angle
// from true north to the grid's north (meridian convergence, degrees east).
struct SunPlace {
  double latitude = 0;
  double longitude = 0;
  double gridConvergence = 0;
  TimeZone zone = TimeZone::fixed(0);
};

// A run of sunlit samples over the local day, in minutes after midnight.
struct SunlitTime {
  int minutes = 0;  // total
  int longest = 0;  // longest continuous run
  int first = -1;   // first sunlit moment, -1 for none
  int last = -1;    // last sunlit moment
};

struct FacadeSun {
  int32_t edge = 0;   // outline edge from vertex edge to edge + 1
  double facing = 0;  // direction the facade faces, degrees from grid north
  double length = 0;  // metres
  SunlitTime ground;  // middle of the first storey
  SunlitTime top;     // middle of the top storey
};

// The sun every 5 minutes of the local day, in grid directions.
struct SunTrackPoint {
  int minute = 0;
  double azimuth = 0;  // degrees from grid north, clockwise
  double elevation = 0;
};

enum class SunDay : uint8_t {
  Ordinary,
  PolarDay,    // "солнце не заходит"
  PolarNight,  // "солнце не восходит"
  OutOfRange,  // a date before 1950 or after 2100, or no such date
};

struct Insolation {
  SunDay day = SunDay::Ordinary;
  std::vector<SunTrackPoint> track;
  // One row per outline edge of non-zero length; empty for a building with
  // fewer than three vertices or no storeys.
  std::vector<FacadeSun> facades;
};

// The sun of a local day at a place.
std::vector<SunTrackPoint> sunTrack(const CivilDate& date, const SunPlace& place, SunDay& day);

Insolation insolation(const BuildingBlocks& blocks, int32_t building, const CivilDate& date,
                      const SunPlace& place);

// The point in front of a facade's middle at a height, and its outward
// direction (unit vector, x north, y east).
struct FacadePoint {
  double x = 0, y = 0, nx = 0, ny = 0;
};
FacadePoint facadePoint(const Building& b, int32_t edge);

}  // namespace tikhomap
