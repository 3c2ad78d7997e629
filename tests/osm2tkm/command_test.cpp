// The command: its arguments, its refusals, and the folder it leaves (or
// does not leave) behind.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "osm2tkm/import_command.h"
#include "tests/osm2tkm/osm_fixture.h"

namespace tikhomap::osm {
namespace {

using testing::TempDir;
using testing::writeFile;
namespace fs = std::filesystem;

struct Outcome {
  int status = -1;
  std::string out, err;
};

Outcome run(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  Outcome r;
  r.status = runImport(args, out, err);
  r.out = out.str(), r.err = err.str();
  return r;
}

size_t entries(const fs::path& dir) {
  size_t n = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir)) ++n;
  return n;
}

TEST(CommandLine, BoxesAreCheckedForOrderAndRange) {
  EXPECT_TRUE(parseBox("9.47,47.04,9.64,47.28").has_value());
  EXPECT_FALSE(parseBox("9.64,47.04,9.47,47.28").has_value());  // west and east swapped
  EXPECT_FALSE(parseBox("9.47,47.04,9.64").has_value());
  EXPECT_FALSE(parseBox("9.47,47.04,9.64,47.28,1").has_value());
  EXPECT_FALSE(parseBox("a,47.04,9.64,47.28").has_value());
  EXPECT_FALSE(parseBox("9.47,47.04,9.64,89").has_value());
  EXPECT_FALSE(parseBox("nan,47.04,9.64,47.28").has_value());
}

TEST(CommandLine, UsageErrorsReturnTwo) {
  EXPECT_EQ(run({}).status, 2);
  EXPECT_EQ(run({"a.osm"}).status, 2);
  EXPECT_EQ(run({"--bogus", "a.osm", "out"}).status, 2);
  EXPECT_EQ(run({"--bbox", "1,2", "a.osm", "out"}).status, 2);
  const Outcome stdinInput = run({"-", "out"});
  EXPECT_EQ(stdinInput.status, 2);
  EXPECT_NE(stdinInput.err.find("standard input"), std::string::npos);
}

class Refusals : public ::testing::Test {
 protected:
  TempDir dir;
  fs::path town = writeFile(dir.path(), "town.osm", testing::smallTownXml());
  fs::path out = dir.path() / "map";
  // Only the input and nothing else: no half-written folder, no temporary.
  void expectNothingWritten() {
    EXPECT_FALSE(fs::exists(out));
    EXPECT_EQ(entries(dir.path()), 1u);
  }
};

TEST_F(Refusals, ANonEmptyFolderIsKeptWithoutForceAndReplacedWithIt) {
  fs::create_directories(out);
  writeFile(out, "mine.txt", "keep me");
  const Outcome refused = run({town.string(), out.string()});
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find("--force"), std::string::npos);
  EXPECT_TRUE(fs::exists(out / "mine.txt"));

  const Outcome forced = run({"--force", town.string(), out.string()});
  ASSERT_EQ(forced.status, 0) << forced.err;
  EXPECT_FALSE(fs::exists(out / "mine.txt"));
  EXPECT_TRUE(fs::exists(out / "7.tkm"));
  EXPECT_TRUE(fs::exists(out / "city.txt"));
  EXPECT_EQ(entries(out), 12u);
  EXPECT_EQ(entries(dir.path()), 2u);  // the input and the folder: no leftovers
}

TEST_F(Refusals, AnEmptyFolderIsFilled) {
  fs::create_directories(out);
  EXPECT_EQ(run({town.string(), out.string()}).status, 0);
  EXPECT_EQ(entries(out), 12u);
}

TEST_F(Refusals, AFileThatIsNotOsmIsReportedAndNothingWritten) {
  const fs::path junk = writeFile(dir.path(), "junk.osm", "this is not xml at all <<<");
  const Outcome r = run({junk.string(), out.string()});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("cannot be read as OpenStreetMap data"), std::string::npos);
  EXPECT_FALSE(fs::exists(out));
}

TEST_F(Refusals, NodesWithoutWaysAreRefused) {
  testing::OsmXml x;
  x.node(47.1, 9.5);
  x.node(47.11, 9.51);
  const fs::path nodes = writeFile(dir.path(), "nodes.osm", x.text(47.1, 9.5, 47.11, 9.51));
  const Outcome r = run({nodes.string(), out.string()});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("no ways"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(out));
}

TEST_F(Refusals, AnAreaBeyondTheGridIsRefusedNamingItsSize) {
  const Outcome r = run({"--bbox", "9.0,47.0,9.6,47.2", town.string(), out.string()});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("km"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("--bbox"), std::string::npos);
  expectNothingWritten();
}

TEST_F(Refusals, AMissingInputIsReported) {
  const Outcome r = run({(dir.path() / "none.osm.pbf").string(), out.string()});
  EXPECT_EQ(r.status, 1);
  expectNothingWritten();
}

TEST_F(Refusals, AnOutputThatIsAFileIsNotOverwritten) {
  writeFile(dir.path(), "map", "a file");
  const Outcome r = run({"--force", town.string(), out.string()});
  EXPECT_EQ(r.status, 1);
  std::ifstream in(out);
  std::string text;
  std::getline(in, text);
  EXPECT_EQ(text, "a file");
}

TEST_F(Refusals, ABoxGivenOnTheCommandLineClipsTheTown) {
  // Only the south-western quarter: Schaan's street and houses are gone.
  const Outcome r = run(
      {"--bbox", "9.500,47.100,9.515,47.110", "--title", "Südwest", town.string(), out.string()});
  ASSERT_EQ(r.status, 0) << r.err;
  std::ifstream info(out / "city.txt");
  std::stringstream text;
  text << info.rdbuf();
  EXPECT_NE(text.str().find("title.credit.1 = Sudwest"), std::string::npos) << text.str();
  EXPECT_NE(r.out.find("buildings (6.tkm, 7.tkm): 8"), std::string::npos) << r.out;
}

}  // namespace
}  // namespace tikhomap::osm
