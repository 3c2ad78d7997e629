// Hostile map folders: the tiny generated city with one of its files
// missing, empty, cut, replaced by a folder, a pipe, a symbolic link loop,
// a 2 GiB sparse file, counts at their largest, or taken from another city.
// Shared by the loader's test matrix and by the benchmark that measures the
// memory each case takes.
#pragma once

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "citygen/city_generator.h"
#include "mapdata/cp1251.h"
#include "mapdata/loader.h"
#include "mapdata/map_file.h"
#include "mapdata/map_readers.h"
#include "mapdata/tkm_writer.h"

namespace tikhomap::hostile {

namespace fs = std::filesystem;

inline const std::vector<std::string>& folderFiles() {
  static const std::vector<std::string> kFiles = {"8.tkm",    "3.tkm", "4.tkm",    "5.tkm",
                                                  "7.tkm",    "6.tkm", "tema.tkm", "user.tkm",
                                                  "sign.tkm", "1.tkm", "2.tkm",    "city.txt"};
  return kFiles;
}

inline std::vector<uint8_t> fileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline void writeBytes(const fs::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

// Where each record of a file of the generated city ends, worked out from
// the map model (not from the readers): every cut point that leaves whole
// records. The last one is the file's size.
inline std::vector<uint64_t> recordEnds(const std::string& name, const MapData& m,
                                        const std::vector<uint8_t>& bytes) {
  std::vector<uint64_t> ends;
  uint64_t pos = 0;
  const auto at = [&](uint64_t n) {
    pos += n;
    ends.push_back(pos);
  };
  const auto features = [&](const std::vector<MapFeature>& table) {
    for (const MapFeature& f : table) at(20 + 8 * f.points.size());
  };
  if (name == "8.tkm") {
    at(2);
    for (const Microdistrict& d : m.microdistricts) at(5 + utf8ToCp1251(d.name).size());
  } else if (name == "3.tkm") {
    at(18);
    for (const DistrictArea& a : m.districtAreas) at(20 + 4 * a.points.size());
  } else if (name == "4.tkm") {
    for (const auto* t : {&m.areaFeatures, &m.lineFeatures, &m.waterFeatures, &m.streetOutlines}) {
      at(4);
      features(*t);
    }
  } else if (name == "5.tkm") {
    at(2);
    features(m.streetLines);
    at(2);
    for (const StreetName& s : m.streetNames) at(4 + utf8ToCp1251(s.name).size());
    at(2);
    for (size_t i = 0; i < m.streetLabelPoints.size(); ++i) at(8);
  } else if (name == "7.tkm") {
    at(2);
    for (const Building& b : m.buildings)
      at(14 + utf8ToCp1251(b.houseNumber).size() + utf8ToCp1251(b.description).size());
  } else if (name == "6.tkm") {
    for (const Building& b : m.buildings) at(16 + 8 * b.outline.size());
  } else if (name != "1.tkm" && name != "2.tkm") {
    for (size_t i = 0; i < bytes.size(); ++i) {
      if (bytes[i] == '\n') ends.push_back(i + 1);
    }
  }
  return ends;
}

enum class Kind {
  kIntact,
  kMissing,
  kEmpty,
  kOneByte,
  kCut,
  kFolder,
  kPipe,
  kLinkLoop,
  kSparse2GiB,     // ftruncate of an empty file: 2 GiB of zeros
  kGrown2GiB,      // the real file, then zeros up to 2 GiB
  kLargestCount,   // a count or length field at its largest value
  kOtherCity,      // the same file of a different city
  kFormatMaximum,  // as large as its format holds, of many small records
  kJunkLines,      // text as large as its format holds, of lines with one field
};

struct Case {
  std::string file;
  Kind kind = Kind::kIntact;
  uint64_t at = 0;  // kCut: the length kept; kLargestCount: the field's offset
  int width = 2;    // kLargestCount: field width in bytes (text: 0)
  std::string label;
};

// The cases, in a fixed order. Of a file with more than `cutsPerFile` record
// ends, a seeded sample of that many is cut (always with the first and last
// few); `randomCuts` further cuts per file fall anywhere.
inline std::vector<Case> makeCases(const fs::path& city, const MapData& model, uint32_t seed,
                                   size_t cutsPerFile, size_t randomCuts) {
  std::vector<Case> cases;
  std::mt19937 random(seed);
  for (const std::string& file : folderFiles()) {
    const auto add = [&](Kind kind, std::string label, uint64_t at = 0, int width = 2) {
      cases.push_back({file, kind, at, width, file + " " + label});
    };
    add(Kind::kMissing, "missing");
    add(Kind::kEmpty, "empty");
    add(Kind::kFolder, "a folder");
    add(Kind::kPipe, "a pipe");
    add(Kind::kLinkLoop, "a symbolic link loop");
    add(Kind::kSparse2GiB, "2 GiB of zeros");
    if (file == "city.txt") continue;  // the tiny city has none
    if (file == "8.tkm" || file == "7.tkm" || file == "tema.tkm" || file == "user.tkm" ||
        file == "sign.tkm") {
      add(Kind::kFormatMaximum, "as large as its format holds");
    }
    if (file == "tema.tkm" || file == "user.tkm" || file == "sign.tkm") {
      add(Kind::kJunkLines, "as large as its format holds, of one-field lines");
    }
    add(Kind::kOneByte, "one byte");
    add(Kind::kGrown2GiB, "grown to 2 GiB");
    add(Kind::kOtherCity, "from the other city");
    const std::vector<uint8_t> bytes = fileBytes(city / file);
    std::vector<uint64_t> ends = recordEnds(file, model, bytes);
    if (!ends.empty()) ends.pop_back();  // the whole file
    if (ends.size() > cutsPerFile) {
      std::vector<uint64_t> kept(ends.begin(), ends.begin() + 3);
      kept.insert(kept.end(), ends.end() - 3, ends.end());
      std::sample(ends.begin() + 3, ends.end() - 3, std::back_inserter(kept), cutsPerFile - 6,
                  random);
      ends = kept;
    }
    for (uint64_t end : ends) add(Kind::kCut, "cut after " + std::to_string(end) + " bytes", end);
    for (size_t i = 0; i < randomCuts && bytes.size() > 1; ++i) {
      const uint64_t end = std::uniform_int_distribution<uint64_t>(1, bytes.size() - 1)(random);
      add(Kind::kCut, "cut at random after " + std::to_string(end) + " bytes", end);
    }
    // Count and length fields at their largest.
    const auto count = [&](uint64_t offset) {
      add(Kind::kLargestCount, "count at " + std::to_string(offset) + " = 32767", offset);
    };
    const auto length = [&](uint64_t offset) {
      add(Kind::kLargestCount, "length at " + std::to_string(offset) + " = 255", offset, 1);
    };
    if (file == "8.tkm" || file == "3.tkm" || file == "5.tkm" || file == "7.tkm") count(0);
    if (file == "8.tkm") length(6);
    if (file == "3.tkm") count(20);  // the first record's end value: 32767 - code vertices
    if (file == "4.tkm") {
      count(2);
      count(6);  // the first record's end value
    }
    if (file == "5.tkm") {
      std::vector<uint64_t> fiveEnds = recordEnds(file, model, bytes);
      const uint64_t names = fiveEnds[1 + model.streetLines.size()] - 2;
      count(names);
      length(names + 5);
      count(fiveEnds[2 + model.streetLines.size() + model.streetNames.size()] - 2);
    }
    if (file == "7.tkm") {
      count(4);  // the first building's vertex count
      length(14);
      length(15);
    }
    if (file == "1.tkm") {
      add(Kind::kLargestCount, "first shape of 65535 points", 10, 2);
    }
    if (file == "2.tkm") add(Kind::kLargestCount, "first shape of 65535 points", 2, 2);
    if (file == "user.tkm" || file == "sign.tkm") {
      add(Kind::kLargestCount, "count 2147483647", 0, 0);
    }
  }
  return cases;
}

// A file exactly as large as its format holds: the largest records (8.tkm,
// 7.tkm: 32767 of them with 255-byte texts) or, for the text files, the
// shortest lines that still make records (every tema.tkm line a group) or,
// with junk, lines that make none.
inline std::vector<uint8_t> largestFile(const std::string& file, bool junk) {
  const uint64_t size = formatMaximumBytes(file);
  std::vector<uint8_t> bytes;
  bytes.reserve(size);
  if (file == "8.tkm" || file == "7.tkm") {
    bytes = {0xFF, 0x7F};
    const size_t fixed = file == "8.tkm" ? 4 : 12;
    while (bytes.size() < size) {
      bytes.insert(bytes.end(), fixed, 0);
      bytes.push_back(255);
      if (file == "7.tkm") bytes.push_back(255);
      bytes.insert(bytes.end(), file == "8.tkm" ? 255 : 510, 0xC0);
    }
  } else {
    std::string head = file == "tema.tkm" ? "" : "2147483647\r\n";
    std::string line = junk                 ? "x\n"
                       : file == "tema.tkm" ? "a1   ,n\n"
                       : file == "user.tkm" ? "1,2,ab,n\n"
                                            : "1,2,3,4,5,6,t\n";
    bytes.assign(head.begin(), head.end());
    while (bytes.size() + line.size() <= size) bytes.insert(bytes.end(), line.begin(), line.end());
  }
  bytes.resize(size, '\n');
  return bytes;
}

// Puts the case's file in place in `dir` (which holds the intact city).
inline void applyCase(const Case& c, const fs::path& dir, const fs::path& otherCity) {
  const fs::path path = dir / c.file;
  const std::vector<uint8_t> original = fileBytes(path);
  fs::remove(path);
  switch (c.kind) {
    case Kind::kIntact:
      writeBytes(path, original);
      break;
    case Kind::kMissing:
      break;
    case Kind::kEmpty:
      writeBytes(path, {});
      break;
    case Kind::kOneByte:
      writeBytes(path, {original.begin(), original.begin() + 1});
      break;
    case Kind::kCut:
      writeBytes(path, {original.begin(), original.begin() + static_cast<long>(c.at)});
      break;
    case Kind::kFolder:
      fs::create_directory(path);
      break;
    case Kind::kPipe:
      ::mkfifo(path.c_str(), 0600);
      break;
    case Kind::kLinkLoop:
      fs::create_symlink(c.file, path);
      break;
    case Kind::kSparse2GiB:
      writeBytes(path, {});
      fs::resize_file(path, uint64_t{2} << 30);
      break;
    case Kind::kGrown2GiB:
      writeBytes(path, original);
      fs::resize_file(path, uint64_t{2} << 30);
      break;
    case Kind::kLargestCount: {
      std::vector<uint8_t> bytes = original;
      if (c.width == 0) {
        const auto eol = std::find(bytes.begin(), bytes.end(), '\r');
        const std::string big = "2147483647";
        bytes.erase(bytes.begin(), eol);
        bytes.insert(bytes.begin(), big.begin(), big.end());
      } else if (c.width == 1) {
        bytes.at(c.at) = 0xFF;
      } else if (c.file == "3.tkm" || c.file == "4.tkm") {
        if (c.at == 2 || c.at == 0) {
          bytes.at(c.at) = 0xFF;
          bytes.at(c.at + 1) = 0x7F;
        } else {
          // The end value of a record header: code + 32767 vertices.
          const auto code = static_cast<uint16_t>(bytes.at(c.at - 2) | (bytes.at(c.at - 1) << 8));
          const auto end = static_cast<uint16_t>(code + 32767);
          bytes.at(c.at) = static_cast<uint8_t>(end & 0xFF);
          bytes.at(c.at + 1) = static_cast<uint8_t>(end >> 8);
        }
      } else if (c.file == "1.tkm" || c.file == "2.tkm") {
        bytes.at(c.at - 2) = 0;
        bytes.at(c.at - 1) = 0;
        bytes.at(c.at) = 0xFF;
        bytes.at(c.at + 1) = 0xFF;
      } else {
        bytes.at(c.at) = 0xFF;
        bytes.at(c.at + 1) = 0x7F;
      }
      writeBytes(path, bytes);
      break;
    }
    case Kind::kOtherCity:
      fs::copy_file(otherCity / c.file, path);
      break;
    case Kind::kFormatMaximum:
    case Kind::kJunkLines:
      writeBytes(path, largestFile(c.file, c.kind == Kind::kJunkLines));
      break;
  }
}

// Puts the intact file back.
inline void restoreCase(const Case& c, const fs::path& dir, const fs::path& city) {
  const fs::path path = dir / c.file;
  std::error_code ec;
  fs::remove_all(path, ec);
  if (fs::exists(city / c.file)) fs::copy_file(city / c.file, path);
}

// What loading the folder gives, as tkminfo shows it: the table sizes and
// one line per problem, or the base-map failure. The title files are read
// the way the title sheet reads them.
struct Outcome {
  bool baseMap = false;
  std::string text;
};

inline Outcome loadFolder(const fs::path& dir) {
  Outcome out;
  MapData map;
  LoadResult base = loadBaseMap(dir, map, {});
  std::vector<LoadProblem> problems = base.problems;
  out.baseMap = base.ok;
  std::ostringstream s;
  if (base.ok) {
    const LoadResult rest = loadBuildingsAndReferences(dir, map, {});
    problems.insert(problems.end(), rest.problems.begin(), rest.problems.end());
    s << "microdistricts: " << map.microdistricts.size()
      << "\ndistrictAreas: " << map.districtAreas.size()
      << "\nareaFeatures: " << map.areaFeatures.size()
      << "\nlineFeatures: " << map.lineFeatures.size()
      << "\nwaterFeatures: " << map.waterFeatures.size()
      << "\nstreetOutlines: " << map.streetOutlines.size()
      << "\nstreetLines: " << map.streetLines.size() << "\nstreetNames: " << map.streetNames.size()
      << "\nstreetLabelPoints: " << map.streetLabelPoints.size()
      << "\nbuildings: " << map.buildings.size() << "\nthemes: " << map.themeNodes.size()
      << "\nuserObjects: " << map.userObjects.size() << "\nsignRecords: " << map.signRecords.size()
      << "\n";
  } else {
    s << "the base map cannot be read (" << base.missingFile << ")\n";
  }
  for (const char* title : {"1.tkm", "2.tkm"}) {
    std::vector<uint8_t> bytes;
    if (readMapFile(dir / title, title, bytes, problems)) {
      parseTitleFile(bytes, std::string_view(title) == "1.tkm", &problems);
    }
  }
  for (const LoadProblem& p : problems) s << p.file << ':' << p.offset << ": " << p.what << '\n';
  out.text = s.str();
  return out;
}

// A case run in a child process, so that a crash or a hang cannot take the
// caller with it: the child is killed after `seconds` of processor time
// (SIGXCPU) or 30 times as many of wall time (SIGALRM).
struct ChildRun {
  bool finished = false;  // exited by itself
  int status = -1;        // its exit status, or the signal that ended it
  std::string output;     // what it wrote
  long peakKib = 0;       // its peak resident memory
  long startKib = 0;      // its resident memory before the case
  long cpuMs = 0;         // processor time the case took
};

inline ChildRun runInChild(unsigned seconds, const std::function<int(std::string&)>& body) {
  ChildRun run;
  int fds[2];
  if (::pipe(fds) != 0) return run;
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(fds[0]);
    // The processor-time limit is the deadline (a shared machine stretches
    // wall time); the alarm ends a case blocked without using the processor.
    const rlimit cpu{seconds, seconds + 1};
    ::setrlimit(RLIMIT_CPU, &cpu);
    ::alarm(seconds * 30);
    rusage before{};
    ::getrusage(RUSAGE_SELF, &before);
    std::string text;
    const int code = body(text);
    rusage after{};
    ::getrusage(RUSAGE_SELF, &after);
    const auto ms = [](const timeval& t) { return t.tv_sec * 1000L + t.tv_usec / 1000; };
    const long cpuMs =
        ms(after.ru_utime) + ms(after.ru_stime) - ms(before.ru_utime) - ms(before.ru_stime);
    const std::string head = std::to_string(before.ru_maxrss) + ' ' +
                             std::to_string(after.ru_maxrss) + ' ' + std::to_string(cpuMs) + '\n';
    const std::string all = head + text;
    size_t done = 0;
    while (done < all.size()) {
      const ssize_t n = ::write(fds[1], all.data() + done, all.size() - done);
      if (n <= 0) break;
      done += static_cast<size_t>(n);
    }
    ::_exit(code);
  }
  ::close(fds[1]);
  std::string all;
  char buffer[4096];
  ssize_t n = 0;
  while ((n = ::read(fds[0], buffer, sizeof buffer)) > 0)
    all.append(buffer, static_cast<size_t>(n));
  ::close(fds[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  run.finished = WIFEXITED(status);
  run.status = run.finished ? WEXITSTATUS(status) : WTERMSIG(status);
  const size_t eol = all.find('\n');
  if (eol != std::string::npos) {
    std::istringstream head(all.substr(0, eol));
    head >> run.startKib >> run.peakKib >> run.cpuMs;
    run.output = all.substr(eol + 1);
  }
  return run;
}

}  // namespace tikhomap::hostile
