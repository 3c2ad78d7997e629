// The loader over hostile map folders: every file of the tiny generated city
// missing, empty, one byte long, cut at record ends and at random points, a
// folder, a pipe, a symbolic link loop, 2 GiB of zeros, grown to 2 GiB,
// with counts at their largest, or taken from another city. Each case runs
// with a deadline and must give the loaded map with its
// problems or the base-map failure. (Memory is measured by the benchmark
// bench_hostile_folders in the Release build.)
#include "tests/mapdata/hostile_folders.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <thread>

namespace tikhomap::hostile {
namespace {

// A case takes milliseconds of processor time even with sanitizers; the
// deadline is wall time, generous for a machine shared with other builds.
constexpr unsigned kDeadlineSeconds = 30;
constexpr uint32_t kSeed = 15;
constexpr size_t kCutsPerFile = 12;
constexpr size_t kRandomCuts = 3;

class HostileFolderTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    root_ = new fs::path(fs::temp_directory_path() /
                         ("tikhomap-hostile-" + std::to_string(::getpid())));
    fs::remove_all(*root_);
    model_ = new GeneratedCity(generateCity({1, CitySize::Tiny}));
    const GeneratedCity other = generateCity({2, CitySize::Tiny});
    ASSERT_TRUE(writeMapFolder(city(), model_->map, model_->regional, model_->cityWater));
    ASSERT_TRUE(writeMapFolder(otherCity(), other.map, other.regional, other.cityWater));
  }
  static void TearDownTestSuite() {
    fs::remove_all(*root_);
    delete model_;
    delete root_;
  }
  static fs::path city() { return *root_ / "city"; }
  static fs::path otherCity() { return *root_ / "other"; }
  static fs::path work() { return *root_ / "work"; }

  static fs::path* root_;
  static GeneratedCity* model_;
};

fs::path* HostileFolderTest::root_ = nullptr;
GeneratedCity* HostileFolderTest::model_ = nullptr;

// The table sizes the readers give when handed each whole file directly,
// in the loader's order: what the loader must give too, however little of
// a file it reads.
std::string directTableSizes(const fs::path& dir) {
  MapData m;
  std::vector<LoadProblem> p;
  const auto bytes = [&dir](const char* name) { return fileBytes(dir / name); };
  parseMicrodistrictFile(bytes("8.tkm"), m, p);
  if (!parseDistrictFile(bytes("3.tkm"), m, p) || m.districtAreas.empty()) return "no base map\n";
  parseTopoFile(bytes("4.tkm"), m, p);
  parseStreetFile(bytes("5.tkm"), m, p);
  parseBuildingFiles(bytes("7.tkm"), bytes("6.tkm"), m, p);
  parseThemeFile(bytes("tema.tkm"), m, p);
  if (parseUserObjectFile(bytes("user.tkm"), m, p)) parseSignFile(bytes("sign.tkm"), m, p);
  std::ostringstream s;
  for (const size_t n :
       {m.microdistricts.size(), m.districtAreas.size(), m.areaFeatures.size(),
        m.lineFeatures.size(), m.waterFeatures.size(), m.streetOutlines.size(),
        m.streetLines.size(), m.streetNames.size(), m.streetLabelPoints.size(), m.buildings.size(),
        m.themeNodes.size(), m.userObjects.size(), m.signRecords.size()}) {
    s << n << ' ';
  }
  return s.str();
}

std::string tableSizes(const std::string& outcome) {
  std::istringstream in(outcome);
  std::ostringstream s;
  std::string line;
  for (int i = 0; i < 13 && std::getline(in, line); ++i)
    s << line.substr(line.find(' ') + 1) << ' ';
  return s.str();
}

// Runs one case on a thread of its own. A case that is not done by the
// deadline has hung: the thread cannot be stopped, so the test program ends
// at once with the case named, instead of hanging the test run.
int runWithDeadline(const std::string& label, const std::function<int()>& body) {
  std::promise<int> done;
  std::future<int> result = done.get_future();
  std::thread worker([&done, &body] { done.set_value(body()); });
  if (result.wait_for(std::chrono::seconds(kDeadlineSeconds)) == std::future_status::timeout) {
    std::fprintf(stderr, "%s: not done after %u s, the loader hangs\n", label.c_str(),
                 kDeadlineSeconds);
    std::fflush(stderr);
    std::_Exit(1);
  }
  worker.join();
  return result.get();
}

bool regularFilesOnly(Kind kind) {
  return kind == Kind::kIntact || kind == Kind::kEmpty || kind == Kind::kOneByte ||
         kind == Kind::kCut || kind == Kind::kLargestCount || kind == Kind::kOtherCity ||
         kind == Kind::kFormatMaximum || kind == Kind::kJunkLines;
}

TEST_F(HostileFolderTest, TheCountsOfEachFileDescribeItWhole) {
  for (const std::string& file : folderFiles()) {
    if (file == "city.txt") continue;
    const std::vector<uint8_t> bytes = fileBytes(city() / file);
    const std::vector<uint64_t> ends = recordEnds(file, model_->map, bytes);
    if (!ends.empty()) {
      EXPECT_EQ(ends.back(), bytes.size()) << file;
    }
    if (file == "6.tkm") {
      EXPECT_EQ(buildingGeometryBytes(fileBytes(city() / "7.tkm")), bytes.size());
    } else {
      EXPECT_EQ(describedBytes(file, bytes), bytes.size()) << file;
    }
    EXPECT_LE(bytes.size(), formatMaximumBytes(file)) << file;
  }
}

TEST_F(HostileFolderTest, EveryCaseLoadsWithProblemsOrFailsTheBaseMap) {
  const std::vector<Case> cases = makeCases(city(), model_->map, kSeed, kCutsPerFile, kRandomCuts);
  fs::remove_all(work());
  fs::copy(city(), work());
  size_t failures = 0;
  for (const Case& c : cases) {
    applyCase(c, work(), otherCity());
    std::string output;
    const int status = runWithDeadline(c.label, [&c, &output] {
      const Outcome outcome = loadFolder(work());
      output = std::string(outcome.baseMap ? "BASE\n" : "NOBASE\n") + outcome.text;
      if (outcome.baseMap && regularFilesOnly(c.kind)) {
        const std::string direct = directTableSizes(work());
        if (direct != tableSizes(outcome.text)) {
          output += "direct reading gives " + direct + "\n";
          return 3;
        }
      }
      return 0;
    });
    restoreCase(c, work(), city());
    SCOPED_TRACE(c.label);
    EXPECT_EQ(status, 0) << output;
    const bool base = output.starts_with("BASE\n");
    const bool baseFile = c.file == "8.tkm" || c.file == "3.tkm";
    const bool unreadable = c.kind == Kind::kMissing || c.kind == Kind::kFolder ||
                            c.kind == Kind::kPipe || c.kind == Kind::kLinkLoop ||
                            c.kind == Kind::kSparse2GiB;
    if (!baseFile) {
      EXPECT_TRUE(base) << output;
    }
    // A short 8.tkm only leaves the microdistricts empty; 3.tkm must give
    // district areas.
    if (baseFile && (unreadable || (c.file == "3.tkm" && c.kind == Kind::kEmpty))) {
      EXPECT_FALSE(base) << output;
    }
    // Whatever is in a file's place, the problems name the file.
    const bool optional = c.file == "city.txt" && c.kind == Kind::kMissing;
    // A binary file cut anywhere short of its end always says so: the
    // loader is compared with the same readers above, so a reader that
    // quietly loses a record would pass that comparison.
    const bool binary = c.file.size() == 5 && c.file[0] >= '1' && c.file[0] <= '8';
    const bool cut = c.kind == Kind::kCut || c.kind == Kind::kOneByte;
    if ((unreadable || c.kind == Kind::kGrown2GiB || (cut && binary)) && !optional) {
      EXPECT_NE(output.find("\n" + c.file + ":"), std::string::npos) << output;
    }
    if (::testing::Test::HasFailure() && ++failures > 10) break;
  }
  EXPECT_GT(cases.size(), 200u);
}

}  // namespace
}  // namespace tikhomap::hostile
