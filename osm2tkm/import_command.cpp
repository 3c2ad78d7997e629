#include "osm2tkm/import_command.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "gpkg/geopackage.h"
#include "mapdata/tkm_writer.h"
#include "osm2tkm/osm_input.h"

namespace tikhomap::osm {
namespace {

namespace fs = std::filesystem;

const char* const kUsage =
    "usage: osm2tkm [--bbox LON0,LAT0,LON1,LAT1] [--title \"Caption\"] [--container] [--force]\n"
    "               INPUT OUT_DIR\n"
    "       osm2tkm --help\n";

const char* const kHelp =
    "Turns an OpenStreetMap extract of a town into a map folder.\n"
    "\n"
    "  INPUT     the extract: .osm.pbf (or .pbf), .osm, .osm.bz2 or .osm.gz, in any\n"
    "            case; read into memory whole, so not standard input\n"
    "  OUT_DIR   the map folder: created when missing; an empty folder is filled\n"
    "\n"
    "  --bbox LON0,LAT0,LON1,LAT1\n"
    "            the area in degrees (west, south, east, north); else the box in\n"
    "            the file's header, else the box of its data. At most 194 km on\n"
    "            each side.\n"
    "  --title \"Caption\"\n"
    "            the map's caption; else the name of the area\n"
    "  --container\n"
    "            write the map container map.gpkg (one GeoPackage file) even when\n"
    "            the eleven map files would hold the town. A town they cannot hold\n"
    "            (more than 32,767 records a table, or wider than 26.7 km) is\n"
    "            always written as the container.\n"
    "  --force   let OUT_DIR be a folder an earlier import wrote: its files 1.tkm\n"
    "            to 8.tkm, tema.tkm, user.tkm, sign.tkm, city.txt, houses.txt and\n"
    "            map.gpkg\n"
    "            are replaced when the new ones are complete. A folder that holds\n"
    "            anything else, or the input, is refused and left as it is.\n"
    "  --help    this text\n"
    "\n"
    "Exit status: 0 written, 1 refused or failed (nothing written), 2 bad usage.\n";

bool isImportedFile(const std::string& name) {
  for (const char* f : kImportedFiles)
    if (name == f) return true;
  return false;
}

// "." + name + ".new." or ".old." + pid + "." + serial: the temporary
// folders of an import into a folder called name.
bool isTemporaryName(const std::string& entry, const std::string& name) {
  const std::string head = "." + name + ".";
  if (entry.size() <= head.size() || entry.compare(0, head.size(), head) != 0) return false;
  std::string rest = entry.substr(head.size());
  if (rest.compare(0, 4, "new.") != 0 && rest.compare(0, 4, "old.") != 0) return false;
  rest = rest.substr(4);
  const size_t dot = rest.find('.');
  const auto digits = [](const std::string& t) {
    return !t.empty() && t.find_first_not_of("0123456789") == std::string::npos;
  };
  return dot != std::string::npos && digits(rest.substr(0, dot)) && digits(rest.substr(dot + 1));
}

// A folder of the import's own making, locked for as long as the import
// runs (the lock goes with the process, however it ends), and removed with
// what it holds unless it was moved into place.
class TemporaryFolder {
 public:
  TemporaryFolder() = default;
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;
  ~TemporaryFolder() {
    if (!path_.empty()) {
      std::error_code ignored;
      for (const char* f : kImportedFiles) fs::remove(path_ / f, ignored);
      fs::remove(path_, ignored);
    }
    if (fd_ >= 0) ::close(fd_);
  }

  // Made in `where` under a name nothing else uses.
  bool create(const fs::path& where, const std::string& name, const char* what,
              std::string& error) {
    for (int n = 0;; ++n) {
      const fs::path p = where / ("." + name + "." + what + "." + std::to_string(::getpid()) + "." +
                                  std::to_string(n));
      std::error_code ec;
      if (fs::exists(fs::symlink_status(p, ec))) continue;
      if (!fs::create_directory(p, ec)) {
        if (!ec) continue;  // made by someone else meanwhile
        error = "cannot create a temporary folder in " + where.string() + ": " + ec.message();
        return false;
      }
      path_ = p;
      fd_ = ::open(p.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      if (fd_ < 0 || ::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        error = "cannot lock " + p.string() + ": " + std::strerror(errno);
        return false;
      }
      return true;
    }
  }
  const fs::path& path() const { return path_; }
  // Moved into place: no longer ours to remove (the lock stays until the end).
  void release() { path_.clear(); }

 private:
  fs::path path_;
  int fd_ = -1;
};

// A temporary folder that no running import holds: its lock can be taken,
// and it is older than the moment between its making and its locking.
bool isDeadLeftover(const fs::path& p) {
  std::error_code ec;
  if (!fs::is_directory(fs::symlink_status(p, ec))) return false;
  const auto age = fs::file_time_type::clock::now() - fs::last_write_time(p, ec);
  if (ec || age < std::chrono::seconds(10)) return false;
  const int fd = ::open(p.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
  ::close(fd);
  return free;
}

// Only the files an import writes, and nothing else.
bool holdsOnlyImportedFiles(const fs::path& dir) {
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
    if (!isImportedFile(it->path().filename().string()) ||
        !fs::is_regular_file(it->symlink_status()))
      return false;
  return !ec;
}

}  // namespace

fs::path folderOf(const fs::path& outDir) {
  std::error_code ec;
  fs::path p = fs::absolute(outDir, ec).lexically_normal();
  if (ec) p = outDir.lexically_normal();
  if (!p.has_filename() && p.has_relative_path()) p = p.parent_path();
  return p;
}

bool mayWriteInto(const fs::path& outDir, const fs::path& input, bool force, std::string& error) {
  const fs::path dir = folderOf(outDir);
  std::error_code ec;
  const fs::file_status status = fs::status(dir, ec);
  if (!fs::exists(status)) return true;
  if (!fs::is_directory(status)) {
    error = outDir.string() + " exists and is not a folder";
    return false;
  }
  std::vector<std::string> others;
  bool any = false;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    any = true;
    const std::string name = it->path().filename().string();
    std::error_code same;
    if (fs::equivalent(it->path(), input, same)) {
      error = outDir.string() + " holds the input " + input.string() +
              "; write the map into another folder";
      return false;
    }
    if (!isImportedFile(name) || !fs::is_regular_file(it->symlink_status()))
      others.push_back(name + (it->is_directory() ? "/" : ""));
  }
  if (ec) {
    error = "cannot list " + outDir.string() + ": " + ec.message();
    return false;
  }
  // The input deeper inside the folder.
  const fs::path inputPath = fs::weakly_canonical(input, ec);
  const fs::path dirPath = fs::weakly_canonical(dir, ec);
  if (!ec) {
    const auto [d, i] =
        std::mismatch(dirPath.begin(), dirPath.end(), inputPath.begin(), inputPath.end());
    if (d == dirPath.end()) {
      error = outDir.string() + " holds the input " + input.string() +
              "; write the map into another folder";
      return false;
    }
  }
  if (!any) return true;
  if (!force) {
    error = outDir.string() + " is not empty; give --force to replace the map files of an " +
            "earlier import in it";
    return false;
  }
  if (!others.empty()) {
    std::sort(others.begin(), others.end());
    std::string list;
    for (size_t i = 0; i < others.size() && i < 5; ++i) list += (i ? ", " : "") + others[i];
    if (others.size() > 5) list += " and " + std::to_string(others.size() - 5) + " more";
    error = outDir.string() + " holds more than the map files of an import (" + list +
            "); --force replaces only 1.tkm to 8.tkm, tema.tkm, user.tkm, sign.tkm, " +
            "city.txt, houses.txt and map.gpkg. Write the map into another folder.";
    return false;
  }
  return true;
}

std::vector<fs::path> removeDeadLeftovers(const fs::path& outDir) {
  const fs::path dir = folderOf(outDir);
  const std::string name = dir.filename().string();
  std::vector<fs::path> removed;
  for (const fs::path& where : {dir.parent_path(), dir}) {
    std::error_code ec;
    std::vector<fs::path> found;
    for (fs::directory_iterator it(where, ec), end; !ec && it != end; it.increment(ec))
      if (isTemporaryName(it->path().filename().string(), name)) found.push_back(it->path());
    for (const fs::path& p : found) {
      if (!isDeadLeftover(p) || !holdsOnlyImportedFiles(p)) continue;
      std::error_code gone;
      for (const char* f : kImportedFiles) fs::remove(p / f, gone);
      if (fs::remove(p, gone)) removed.push_back(p);
    }
  }
  return removed;
}

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
    const bool valued = a == "--bbox" || a == "--title";
    if (valued && i + 1 == args.size()) {
      error = a + (a == "--bbox" ? " needs a value: LON0,LAT0,LON1,LAT1" : " needs a value");
      return false;
    }
    if (a == "--help" || a == "-h") {
      line.help = true;
    } else if (a == "--bbox") {
      line.build.bbox = parseBox(args[++i]);
      if (!line.build.bbox) {
        error = "--bbox wants LON0,LAT0,LON1,LAT1 with LON0 < LON1 and LAT0 < LAT1, not " + args[i];
        return false;
      }
    } else if (a == "--title") {
      line.build.title = args[++i];
    } else if (a == "--force") {
      line.force = true;
    } else if (a == "--container") {
      line.container = true;
      line.build.container = true;
    } else if (!a.empty() && a[0] == '-' && a != "-") {
      error = "unknown option " + a;
      return false;
    } else {
      positional.push_back(a);
    }
  }
  if (line.help) return true;
  if (positional.size() != 2) {
    error = positional.size() < 2 ? "INPUT and OUT_DIR are needed"
                                  : "too many arguments: only INPUT and OUT_DIR are expected";
    return false;
  }
  if (positional[0] == "-") {
    error = "the import reads its input whole from a file: standard input cannot be read";
    return false;
  }
  line.input = positional[0];
  line.outDir = positional[1];
  return true;
}

namespace {

// Each imported file moved from one folder to another; on a failure the
// files already moved go back. true when every file that was there moved.
bool moveFiles(const fs::path& from, const fs::path& to, std::vector<std::string>& moved,
               std::string& error) {
  for (const char* f : kImportedFiles) {
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(from / f, ec))) continue;
    fs::rename(from / f, to / f, ec);
    if (ec) {
      error = "cannot move " + (from / f).string() + " to " + to.string() + ": " + ec.message();
      for (const std::string& m : moved) fs::rename(to / m, from / m, ec);
      moved.clear();
      return false;
    }
    moved.push_back(f);
  }
  return true;
}

}  // namespace

bool writeCityFolder(const CityImport& city, const fs::path& outDir, const fs::path& input,
                     bool force, bool container, bool& wroteContainer, std::string& error) {
  // The eleven files hold 32767 records a table and 16-bit points: a larger
  // town goes into the container, never cut or wrapped.
  wroteContainer = container || !mapFilesRefusal(city.map, city.regional, city.cityWater).empty();
  if (!mayWriteInto(outDir, input, force, error)) return false;
  const fs::path dir = folderOf(outDir);
  const std::string name = dir.filename().string();
  std::error_code ec;
  const bool exists = fs::exists(dir, ec);
  // A missing folder is made beside and renamed into place in one step;
  // into an existing one (perhaps the current folder, or a mount point) the
  // files move one by one, the old ones kept aside until all new ones are in.
  const fs::path where = exists ? dir : dir.parent_path();
  if (!exists) {
    fs::create_directories(where, ec);
    if (ec) {
      error = "cannot create " + where.string() + ": " + ec.message();
      return false;
    }
  }
  TemporaryFolder fresh;
  if (!fresh.create(where, name, "new", error)) return false;
  std::string why;
  if (wroteContainer) {
    // The container holds the city description and the further addresses.
    if (!writeGeoPackage(fresh.path() / kContainerFileName, city.map, city.regional, city.cityWater,
                         &why)) {
      error = "cannot write the map container beside " + outDir.string() + ": " + why;
      return false;
    }
  } else if (!writeMapFolder(fresh.path(), city.map, city.regional, city.cityWater, &why)) {
    error = "cannot write the map files beside " + outDir.string() + ": " + why;
    return false;
  }
  const auto writeText = [&](const char* file, const std::string& text) {
    const fs::path path = fresh.path() / file;
    errno = 0;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    if (out) out.close();
    if (out) return true;
    const int code = errno;
    error = "cannot write " + path.string() + ": " +
            (code != 0 ? std::strerror(code) : "the write failed");
    return false;
  };
  if (!wroteContainer &&
      (!writeText(kCityInfoFile, writeCityInfo(city.info)) ||
       !writeText(kFurtherAddressFile, writeFurtherAddresses(city.map.furtherAddresses)))) {
    return false;
  }
  if (!exists) {
    fs::rename(fresh.path(), dir, ec);
    if (ec) {
      error = "cannot move the new folder to " + outDir.string() + ": " + ec.message();
      return false;
    }
    fresh.release();
    return true;
  }
  TemporaryFolder old;
  if (!old.create(where, name, "old", error)) return false;
  std::vector<std::string> aside, in;
  if (!moveFiles(dir, old.path(), aside, error)) return false;
  if (!moveFiles(fresh.path(), dir, in, error)) {
    std::vector<std::string> back;
    std::string ignored;
    moveFiles(old.path(), dir, back, ignored);
    return false;
  }
  return true;  // the old files go with the folder that holds them
}

int runImport(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  CommandLine line;
  std::string error;
  if (!parseCommandLine(args, line, error)) {
    err << "osm2tkm: " << error << "\n" << kUsage;
    return 2;
  }
  if (line.help) {
    out << kUsage << "\n" << kHelp;
    return 0;
  }
  // Refused before the long read: an input that cannot be read, a folder
  // that is not to be written.
  std::error_code ec;
  const fs::file_status input = fs::status(line.input, ec);
  if (!fs::exists(input) || !fs::is_regular_file(input)) {
    err << "osm2tkm: cannot read " << line.input.string() << ": "
        << (fs::exists(input) ? "not a file"
            : ec              ? ec.message()
                              : "no such file")
        << "\n";
    return 1;
  }
  if (!inputFormat(line.input)) {
    err << "osm2tkm: " << line.input.string()
        << ": the name does not end in .osm.pbf, .pbf, .osm, .osm.bz2 or .osm.gz (in any case)\n";
    return 1;
  }
  for (const fs::path& p : removeDeadLeftovers(line.outDir))
    out << "osm2tkm: removed " << p.string() << ", left by an import that did not finish\n";
  if (!mayWriteInto(line.outDir, line.input, line.force, error)) {
    err << "osm2tkm: " << error << "\nnothing was written\n";
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
  // A town the eleven files cannot hold goes into the container; it is built
  // again so that its names keep every letter rather than the files' code
  // page and widths.
  std::string refusal = mapFilesRefusal(city.map, city.regional, city.cityWater);
  if (!line.build.container && !refusal.empty()) {
    stage("the map files cannot hold the town (" + refusal + "): building it for the container");
    BuildOptions whole = line.build;
    whole.container = true;
    city = CityImport{};
    if (!buildCity(extract, whole, city, error, stage)) {
      err << "osm2tkm: refused: " << error << "\nnothing was written\n";
      return 1;
    }
  }
  // The container holds the town's description (its grid, time zone, name
  // and districts) in its own table, from the map; the map files have it
  // beside them in city.txt.
  city.map.city = city.info;
  stage("writing " + line.outDir.string());
  bool container = false;
  if (!writeCityFolder(city, line.outDir, line.input, line.force, line.container, container,
                       error)) {
    err << "osm2tkm: " << error << "\nnothing was written\n";
    return 1;
  }
  stage("done");

  const MapData& m = city.map;
  if (container) {
    out << "written to " << (line.outDir / kContainerFileName).string() << ", the map container"
        << (refusal.empty() ? "" : " (the eleven map files cannot hold it: " + refusal + ")")
        << ", with the tables of:\n";
  } else {
    out << "written to " << line.outDir.string() << ":\n";
  }
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
  for (const std::string& w : city.warnings) {
    out << "WARNING: " << w << "\n";
    err << "osm2tkm: warning: " << w << "\n";
  }
  out << "Map data \u00a9 OpenStreetMap contributors, ODbL 1.0\n";
  return 0;
}

}  // namespace tikhomap::osm
