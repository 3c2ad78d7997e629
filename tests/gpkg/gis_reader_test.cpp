// A GIS program reads the container: where GDAL's ogrinfo is installed, it
// lists the layers with the map's counts, and ogr2ogr puts a building's
// corner at the latitude and longitude the program's coordinates give.
// Without GDAL (as in CI) only the program's own reading of the grid is
// checked and the test is marked skipped; the schema test covers the file at
// the SQLite level.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>

#include "citygen/city_generator.h"
#include "gpkg/geopackage.h"
#include "tools/sun_place.h"

namespace tikhomap {
namespace {

namespace fs = std::filesystem;

std::string output(const std::string& command) {
  std::string text;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return text;
  char buffer[4096];
  size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, n);
  ::pclose(pipe);
  return text;
}

TEST(GisReader, OgrinfoListsTheLayersAndPlacesABuilding) {
  const bool gdal = std::system(
                        "command -v ogrinfo >/dev/null 2>&1 && "
                        "command -v ogr2ogr >/dev/null 2>&1") == 0;
  const fs::path file = fs::temp_directory_path() / "tikhomap-gis-reader.gpkg";
  GeneratedCity town = generateCity({1, CitySize::Tiny});
  for (const bool ownGrid : {false, true}) {
    SCOPED_TRACE(ownGrid ? "the town's grid" : "the built-in grid");
    if (ownGrid) {
      town.map.city.grid = GridProjection{9.55, 5209646, -9274};
    }
    ASSERT_TRUE(writeGeoPackage(file, town.map, town.regional, town.cityWater));
    // The grid is kept for the program too, though no city.txt was read.
    MapData back;
    ASSERT_TRUE(loadContainerBaseMap(file, back, {}).ok);
    EXPECT_EQ(back.city.grid.has_value(), ownGrid);
    if (!gdal) continue;

    std::map<std::string, long> counts;
    std::istringstream info(output("ogrinfo -ro -so -al '" + file.string() + "' 2>&1"));
    std::string line, layer;
    while (std::getline(info, line)) {
      if (line.rfind("Layer name: ", 0) == 0) layer = line.substr(12);
      if (line.rfind("Feature Count: ", 0) == 0) counts[layer] = std::stol(line.substr(15));
    }
    EXPECT_EQ(counts["buildings"], static_cast<long>(town.map.buildings.size()));
    EXPECT_EQ(counts["districts"], static_cast<long>(town.map.districtAreas.size()));
    EXPECT_EQ(counts["street_axes"], static_cast<long>(town.map.streetLines.size()));
    EXPECT_EQ(counts["street_names"], static_cast<long>(town.map.streetNames.size()));
    EXPECT_EQ(counts["area_features"], static_cast<long>(town.map.areaFeatures.size()));
    EXPECT_EQ(counts.size(), 19u);

    // The first vertex of building 10, in longitude and latitude.
    const std::string csv = output("ogr2ogr -f CSV /vsistdout/ '" + file.string() +
                                   "' buildings -t_srs EPSG:4326 -lco GEOMETRY=AS_WKT "
                                   "-where 'fid = 10' 2>&1");
    double lon = 0, lat = 0;
    const size_t at = csv.find_first_not_of('(', csv.find('('));
    ASSERT_NE(at, std::string::npos) << csv;
    ASSERT_EQ(std::sscanf(csv.c_str() + at, "%lf %lf", &lon, &lat), 2) << csv;
    const MapPoint corner = town.map.buildings[9].outline[0];
    const SunPlace place = sunPlaceAt(town.map, corner.x, corner.y);
    // A metre is about 1e-5 degrees.
    EXPECT_NEAR(lat, place.latitude, 1e-5) << csv;
    EXPECT_NEAR(lon, place.longitude, 1e-5) << csv;
  }
  fs::remove(file);
  if (!gdal) GTEST_SKIP() << "GDAL's ogrinfo is not installed";
}

}  // namespace
}  // namespace tikhomap
