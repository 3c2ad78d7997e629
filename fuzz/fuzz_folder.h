// A whole map folder in one fuzz input, and a folder of this process to load
// it from. The input holds the files in the order the loader reads them,
// separated by kPartMark; an input with fewer parts lacks the last files, and
// an empty part is an empty file.
#pragma once

#include <unistd.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "fuzz/fuzz_checks.h"
#include "mapdata/load_result.h"
#include "mapdata/loader.h"
#include "mapdata/map_data.h"

namespace tikhomap::fuzz {

inline constexpr std::array<const char*, 12> kFolderFiles = {
    "8.tkm",    "3.tkm",    "4.tkm",    "5.tkm", "7.tkm", "6.tkm",
    "tema.tkm", "user.tkm", "sign.tkm", "1.tkm", "2.tkm", "city.txt"};
inline constexpr std::string_view kPartMark = "#~tkm~#";

// The parts of an input, at most one per folder file.
inline std::vector<std::span<const uint8_t>> splitFolder(std::span<const uint8_t> input) {
  std::vector<std::span<const uint8_t>> parts;
  const std::string_view text(reinterpret_cast<const char*>(input.data()), input.size());
  size_t start = 0;
  while (parts.size() < kFolderFiles.size()) {
    const size_t mark = text.find(kPartMark, start);
    const size_t end = mark == std::string_view::npos ? text.size() : mark;
    parts.push_back(input.subspan(start, end - start));
    if (mark == std::string_view::npos) break;
    start = mark + kPartMark.size();
  }
  return parts;
}

// The input that splits into these parts.
inline std::vector<uint8_t> joinFolder(const std::vector<std::vector<uint8_t>>& parts) {
  std::vector<uint8_t> out;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) out.insert(out.end(), kPartMark.begin(), kPartMark.end());
    out.insert(out.end(), parts[i].begin(), parts[i].end());
  }
  return out;
}

// A folder of this process in memory-backed storage where it can be, kept
// for the whole run and removed at its end.
class FuzzFolder {
 public:
  FuzzFolder() {
    std::error_code ec;
    std::filesystem::path base = "/dev/shm";
    if (!std::filesystem::is_directory(base, ec) || access(base.c_str(), W_OK) != 0) {
      base = std::filesystem::temp_directory_path();
    }
    dir_ = base / ("tikhomap-fuzz-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir_);
  }
  ~FuzzFolder() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  FuzzFolder(const FuzzFolder&) = delete;
  FuzzFolder& operator=(const FuzzFolder&) = delete;

  const std::filesystem::path& dir() const { return dir_; }

  // Writes the parts as the folder's files; the files without a part are
  // removed.
  void write(const std::vector<std::span<const uint8_t>>& parts) {
    for (size_t i = 0; i < kFolderFiles.size(); ++i) {
      const std::filesystem::path path = dir_ / kFolderFiles[i];
      std::error_code ec;
      std::filesystem::remove(path, ec);
      if (i >= parts.size()) continue;
      std::ofstream out(path, std::ios::binary);
      out.write(reinterpret_cast<const char*>(parts[i].data()),
                static_cast<std::streamsize>(parts[i].size()));
      require(static_cast<bool>(out));
    }
  }

 private:
  std::filesystem::path dir_;
};

inline bool namesFolderFile(const std::string& file) {
  for (const char* name : kFolderFiles) {
    if (file == name) return true;
  }
  return false;
}

// What must hold for a map the loader gave, with its two results.
inline void checkLoadedMap(const MapData& m, const LoadResult& base, const LoadResult* rest) {
  for (const LoadResult* r : {&base, rest}) {
    if (r == nullptr) continue;
    for (const LoadProblem& p : r->problems) require(namesFolderFile(p.file));
    require(r->ok == r->missingFile.empty());
  }
  if (!base.ok) {
    require(!base.missingFile.empty());
    return;
  }
  checkMap(m);
  require(!m.districtAreas.empty());
  for (size_t row = 0; row < m.streetNames.size(); ++row) {
    const StreetName& s = m.streetNames[row];
    if (s.streetCode >= 0) require(m.streetByCode(s.streetCode)->streetCode == s.streetCode);
  }
}

// Loads the folder as the program does: the base map, then (when it loaded)
// the buildings and the reference tables. False without a base map.
inline bool loadFolder(const std::filesystem::path& dir, MapData& map) {
  const LoadResult base = loadBaseMap(dir, map, {});
  if (!base.ok || map.districtAreas.empty()) {
    checkLoadedMap(map, base, nullptr);
    return false;
  }
  const LoadResult rest = loadBuildingsAndReferences(dir, map, {});
  checkLoadedMap(map, base, &rest);
  return true;
}

}  // namespace tikhomap::fuzz
