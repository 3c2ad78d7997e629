#include "osm2tkm/import_command.h"

#include <unistd.h>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "mapdata/tkm_writer.h"
#include "osm2tkm/osm_input.h"

namespace tikhomap::osm {
namespace {

namespace fs = std::filesystem;

const char* const kUsage =
    "usage: osm2tkm [--bbox LON0,LAT0,LON1,LAT1] [--title \"Caption\"] [--force] INPUT OUT_DIR\n"
    "  INPUT is an OpenStreetMap extract: .osm.pbf, .osm or .osm.bz2\n";

bool nonEmptyDirectory(const fs::path& p) {
  std::error_code ec;
  return fs::is_directory(p, ec) && !fs::is_empty(p, ec);
}

// A name beside outDir that nothing else uses.
fs::path besideName(const fs::path& outDir, const char* what) {
  const fs::path parent = outDir.parent_path().empty() ? fs::path(".") : outDir.parent_path();
  for (int n = 0;; ++n) {
    const fs::path p = parent / ("." + outDir.filename().string() + "." + what + "." +
                                 std::to_string(::getpid()) + "." + std::to_string(n));
    std::error_code ec;
    if (!fs::exists(p, ec)) return p;
  }
}

}  // namespace

std::optional<GeoBox> parseBox(const std::string& text) {
  double v[4];
  std::istringstream in(text);
  for (int i = 0; i < 4; ++i) {
    std::string part;
    if (!std::getline(in, part, i < 3 ? ',' : '\n') || part.empty()) return std::nullopt;
    char* end = nullptr;
    v[i] = std::strtod(part.c_str(), &end);
    if (*end != 0 || !std::isfinite(v[i])) return std::nullopt;
  }
  if (in.peek() != std::char_traits<char>::eof()) return std::nullopt;
  const GeoBox box{{v[0], v[1]}, {v[2], v[3]}};
  if (!box.valid() || v[0] < -180 || v[2] > 180 || v[1] < -85 || v[3] > 85) return std::nullopt;
  return box;
}

bool parseCommandLine(const std::vector<std::string>& args, CommandLine& line, std::string& error) {
  std::vector<std::string> positional;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--bbox" && i + 1 < args.size()) {
      line.build.bbox = parseBox(args[++i]);
      if (!line.build.bbox) {
        error = "--bbox wants LON0,LAT0,LON1,LAT1 with LON0 < LON1 and LAT0 < LAT1";
        return false;
      }
    } else if (a == "--title" && i + 1 < args.size()) {
      line.build.title = args[++i];
    } else if (a == "--force") {
      line.force = true;
    } else if (!a.empty() && a[0] == '-' && a != "-") {
      error = "unknown option " + a;
      return false;
    } else {
      positional.push_back(a);
    }
  }
  if (positional.size() != 2) {
    error = "INPUT and OUT_DIR are needed";
    return false;
  }
  if (positional[0] == "-") {
    error = "the import reads its input twice: standard input cannot be read";
    return false;
  }
  line.input = positional[0];
  line.outDir = positional[1];
  return true;
}

bool writeCityFolder(const CityImport& city, const fs::path& outDir, bool force,
                     std::string& error) {
  std::error_code ec;
  if (fs::exists(outDir, ec) && !fs::is_directory(outDir, ec)) {
    error = outDir.string() + " exists and is not a folder";
    return false;
  }
  if (nonEmptyDirectory(outDir) && !force) {
    error = outDir.string() + " is not empty; give --force to replace it";
    return false;
  }
  const fs::path fresh = besideName(outDir, "new");
  auto fail = [&](const std::string& why) {
    std::error_code ignored;
    fs::remove_all(fresh, ignored);
    error = why;
    return false;
  };
  if (!writeMapFolder(fresh, city.map, city.regional, city.cityWater))
    return fail("cannot write the map files beside " + outDir.string());
  {
    std::ofstream info(fresh / kCityInfoFile, std::ios::binary | std::ios::trunc);
    info << writeCityInfo(city.info);
    if (!info.flush()) return fail("cannot write " + std::string(kCityInfoFile));
  }
  // Into place: an old folder is first moved aside, and comes back if the
  // move of the new one fails.
  fs::path old;
  if (fs::exists(outDir, ec)) {
    old = besideName(outDir, "old");
    fs::rename(outDir, old, ec);
    if (ec) return fail("cannot move the old " + outDir.string() + " aside: " + ec.message());
  }
  fs::rename(fresh, outDir, ec);
  if (ec) {
    std::error_code back;
    if (!old.empty()) fs::rename(old, outDir, back);
    return fail("cannot move the new folder into place: " + ec.message());
  }
  if (!old.empty()) fs::remove_all(old, ec);
  return true;
}

int runImport(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  CommandLine line;
  std::string error;
  if (!parseCommandLine(args, line, error)) {
    err << "osm2tkm: " << error << "\n" << kUsage;
    return 2;
  }
  // Refused before the long read: an existing folder without --force.
  std::error_code ec;
  if (nonEmptyDirectory(line.outDir) && !line.force) {
    err << "osm2tkm: " << line.outDir.string() << " is not empty; give --force to replace it\n";
    return 1;
  }
  if (!fs::is_regular_file(line.input, ec)) {
    err << "osm2tkm: cannot read " << line.input.string() << "\n";
    return 1;
  }
  const auto start = std::chrono::steady_clock::now();
  auto stage = [&](const std::string& what) {
    const double s =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    out << "osm2tkm: [" << std::fixed;
    out.precision(2);
    out << s << " s] " << what << "\n";
    out.flush();
  };
  Extract extract;
  if (!readExtract(line.input, extract, error, stage)) {
    err << "osm2tkm: " << line.input.string() << " cannot be read as OpenStreetMap data: " << error
        << "\nnothing was written\n";
    return 1;
  }
  stage("read " + std::to_string(extract.nodeCount) + " nodes, " +
        std::to_string(extract.wayCount) + " ways, " + std::to_string(extract.relationCount) +
        " relations");
  CityImport city;
  if (!buildCity(extract, line.build, city, error, stage)) {
    err << "osm2tkm: refused: " << error << "\nnothing was written\n";
    return 1;
  }
  stage("writing " + line.outDir.string());
  if (!writeCityFolder(city, line.outDir, line.force, error)) {
    err << "osm2tkm: " << error << "\nnothing was written\n";
    return 1;
  }
  stage("done");

  const MapData& m = city.map;
  out << "written to " << line.outDir.string() << ":\n";
  out << "  district polygons (3.tkm): " << m.districtAreas.size() << "\n"
      << "  areas / lines / water / street edges (4.tkm): " << m.areaFeatures.size() << " / "
      << m.lineFeatures.size() << " / " << m.waterFeatures.size() << " / "
      << m.streetOutlines.size() << "\n"
      << "  street axes / names / label anchors (5.tkm): " << m.streetLines.size() << " / "
      << m.streetNames.size() << " / " << m.streetLabelPoints.size() << "\n"
      << "  buildings (6.tkm, 7.tkm): " << m.buildings.size() << "\n"
      << "  microdistricts (8.tkm): " << m.microdistricts.size() << "\n"
      << "  themes (tema.tkm): " << m.themeNodes.size() << "\n"
      << "  objects (user.tkm): " << m.userObjects.size() << "\n"
      << "  regional shapes and captions (1.tkm): " << city.regional.shapes.size() << ", "
      << city.regional.texts.size() << "\n"
      << "  city panel water shapes (2.tkm): " << city.cityWater.shapes.size() << "\n";
  size_t numbered = 0, onStreet = 0;
  for (const Building& b : m.buildings) {
    numbered += b.houseNumber[0] != 0;
    onStreet += b.streetCode != 0;
  }
  out << "  buildings with a house number / on a street: " << numbered << " / " << onStreet << "\n";
  if (extract.waysWithMissingNodes)
    out << "  ways with nodes missing from the extract: " << extract.waysWithMissingNodes << "\n";
  if (extract.areasNotAssembled)
    out << "  area assembly problems (open rings, missing nodes, crossings): "
        << extract.areasNotAssembled << "\n";
  out << "counted on the way:\n";
  city.summary.print(out);
  out << "Map data \u00a9 OpenStreetMap contributors, ODbL 1.0\n";
  return 0;
}

}  // namespace tikhomap::osm
