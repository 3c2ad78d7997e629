// The importer on the whole: the Liechtenstein extract (when it is on this
// machine), and a generated town at the building limit of the map files.
// The peak resident memory of the process is reported as the counter
// "peak_MB" (the generated town runs last, so its figure is the importer's
// peak at the limit).
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "osm2tkm/import_command.h"

namespace {

namespace fs = std::filesystem;

double peakMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024;  // kilobytes on Linux
}

fs::path scratch(const char* name) {
  return fs::temp_directory_path() /
         ("tikhomap-import-bench-" + std::to_string(::getpid()) + "-" + name);
}

void importOnce(benchmark::State& state, const fs::path& input) {
  const fs::path out = scratch("out");
  for (auto _ : state) {
    fs::remove_all(out);
    std::ostringstream said, errors;
    if (tikhomap::osm::runImport({input.string(), out.string()}, said, errors) != 0) {
      state.SkipWithError(errors.str().c_str());
      break;
    }
  }
  fs::remove_all(out);
  state.counters["peak_MB"] = peakMegabytes();
}

void BM_ImportLiechtenstein(benchmark::State& state) {
  const char* given = std::getenv("TIKHOMAP_OSM_EXTRACT");
  const fs::path input =
      given ? fs::path(given)
            : fs::path(TIKHOMAP_SOURCE_DIR) / "../shared/data/osm/liechtenstein-2013-08-03.osm.pbf";
  if (!fs::exists(input)) {
    state.SkipWithError(("no extract at " + input.string()).c_str());
    return;
  }
  importOnce(state, input);
}
BENCHMARK(BM_ImportLiechtenstein)->Unit(benchmark::kMillisecond)->Iterations(3);

// 32,767 houses of five storeys in blocks along named streets, an address
// on each, a shop in every tenth, a lake, a forest, boundaries and places:
// about 9 by 9 km.
fs::path writeLimitTown() {
  const fs::path path = scratch("limit.osm");
  std::ofstream x(path);
  x.precision(9);
  x << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<osm version=\"0.6\" generator=\"bench\">\n"
       "<bounds minlat=\"47.0\" minlon=\"9.0\" maxlat=\"47.085\" maxlon=\"9.125\"/>\n";
  long id = 0;
  auto node = [&](double lat, double lon, const std::string& tags = {}) {
    x << "<node id=\"" << ++id << "\" version=\"1\" lat=\"" << lat << "\" lon=\"" << lon << "\"";
    x << (tags.empty() ? "/>\n" : ">" + tags + "</node>\n");
    return id;
  };
  auto tag = [](const std::string& k, const std::string& v) {
    return "<tag k=\"" + k + "\" v=\"" + v + "\"/>";
  };
  std::ostringstream ways;
  auto way = [&](const std::vector<long>& refs, const std::string& tags) {
    ways << "<way id=\"" << ++id << "\" version=\"1\">";
    for (long r : refs) ways << "<nd ref=\"" << r << "\"/>";
    ways << tags << "</way>\n";
    return id;
  };
  constexpr int kRows = 182, kColumns = 181;  // 32,942 places for houses
  constexpr double kStep = 0.00045;           // about 50 m north, 34 m east
  int houses = 0;
  for (int r = 0; r < kRows; ++r) {
    const double lat = 47.002 + r * kStep;
    const std::string street = "Strasse " + std::to_string(r + 1);
    way({node(lat - 0.00012, 9.001), node(lat - 0.00012, 9.124)},
        tag("highway", "residential") + tag("name", street));
    for (int c = 0; c < kColumns && houses < 32767; ++c, ++houses) {
      const double lon = 9.002 + c * 0.00067;
      const long a = node(lat, lon), b = node(lat, lon + 0.0002),
                 d = node(lat + 0.00015, lon + 0.0002), e = node(lat + 0.00015, lon);
      way({a, b, d, e, a}, tag("building", "apartments") + tag("building:levels", "5") +
                               tag("addr:housenumber", std::to_string(c + 1)) +
                               tag("addr:street", street));
      if (c % 10 == 0)
        node(lat + 0.00007, lon + 0.0001,
             tag("shop", "bakery") + tag("name", "Bäckerei " + std::to_string(houses)));
    }
  }
  // The country, a relation, and its four municipalities, closed ways.
  auto ring = [&](double lat0, double lon0, double lat1, double lon1, const std::string& tags) {
    const long a = node(lat0, lon0);
    return way({a, node(lat0, lon1), node(lat1, lon1), node(lat1, lon0), a}, tags);
  };
  const long country = ring(46.99, 8.99, 47.095, 9.135, "");
  for (int q = 0; q < 4; ++q)
    ring(47.0 + (q / 2) * 0.0425, 9.0 + (q % 2) * 0.0625, 47.0425 + (q / 2) * 0.0425,
         9.0625 + (q % 2) * 0.0625,
         tag("boundary", "administrative") + tag("admin_level", "8") +
             tag("name", "Gemeinde " + std::to_string(q + 1)));
  std::ostringstream relations;
  relations << "<relation id=\"" << ++id << "\" version=\"1\"><member type=\"way\" ref=\""
            << country << "\" role=\"outer\"/>" << tag("type", "boundary")
            << tag("boundary", "administrative") << tag("admin_level", "2") << tag("name", "Land")
            << "</relation>\n";
  for (int p = 0; p < 30; ++p)
    node(47.005 + (p % 6) * 0.014, 9.01 + (p / 6) * 0.022,
         tag("place", p % 3 ? "village" : "suburb") + tag("name", "Ort " + std::to_string(p)));
  x << ways.str() << relations.str() << "</osm>\n";
  return path;
}

void BM_ImportAtTheBuildingLimit(benchmark::State& state) {
  const fs::path input = writeLimitTown();
  importOnce(state, input);
  fs::remove(input);
}
BENCHMARK(BM_ImportAtTheBuildingLimit)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
