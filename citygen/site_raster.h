// A raster of the city's ground: what each 10 m cell is (sea, land, river,
// lake, reserved for parks and the like), its district and its distance to
// the nearest water. Streets, buildings and areas are laid out against it.
#pragma once

#include <cstdint>
#include <vector>

#include "mapdata/plane.h"

namespace tikhomap::citygen {

enum CellUse : uint8_t {
  kSea = 0,
  kLand = 1,
  kInlandWater = 2,  // river, lake
  kGreen = 3,        // park, forest: no streets, no buildings
  kOpenGround = 4,   // sports ground, square: no buildings
  kIndustry = 5,     // industrial ground: industrial buildings only
};

struct SiteRaster {
  double cell = 10;
  int rows = 0;  // along x (northing)
  int cols = 0;  // along y (easting)
  std::vector<uint8_t> use;
  std::vector<uint8_t> zone;        // index of the district seed nearest
  std::vector<uint16_t> waterDist;  // metres to the nearest water, capped
  std::vector<uint8_t> bridge;      // 1 where a main road may cross the river

  void init(double extentX, double extentY, double cellSize);
  bool valid(int r, int c) const { return r >= 0 && c >= 0 && r < rows && c < cols; }
  size_t index(int r, int c) const { return static_cast<size_t>(r) * cols + c; }
  int rowOf(double x) const { return static_cast<int>(x / cell); }
  int colOf(double y) const { return static_cast<int>(y / cell); }
  uint8_t useAt(Vec p) const;
  uint8_t zoneAt(Vec p) const;
  double waterDistanceAt(Vec p) const;
  bool isLand(Vec p) const { return useAt(p) != kSea && useAt(p) != kInlandWater; }

  // Sets the use of every cell whose centre lies inside the polygon; with
  // onlyOver set, only cells that currently have that use change.
  void fillPolygon(const Polyline& polygon, uint8_t value, int onlyOver = -1);
  void fillMask(const Polyline& polygon, std::vector<uint8_t>& target, uint8_t value);
  bool bridgeAt(Vec p) const;
  void computeWaterDistance();
  // Contours where the distance to water equals level (marching squares),
  // as polylines in map metres.
  std::vector<Polyline> waterDistanceContours(double level) const;
};

}  // namespace tikhomap::citygen
