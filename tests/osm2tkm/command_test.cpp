// The command: its arguments, its refusals, and the folder it leaves (or
// does not leave) behind.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <set>
#include <sstream>

#include "gpkg/map_location.h"
#include "mapdata/tkm_writer.h"
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

TEST(CommandLine, UsageErrorsReturnTwoAndSayWhat) {
  const struct {
    std::vector<std::string> args;
    const char* says;
  } cases[] = {
      {{}, "INPUT and OUT_DIR are needed"},
      {{"a.osm"}, "INPUT and OUT_DIR are needed"},
      {{"a.osm", "b", "c"}, "too many arguments"},
      {{"--bogus", "a.osm", "out"}, "unknown option --bogus"},
      {{"--bbox", "1,2", "a.osm", "out"}, "--bbox wants LON0,LAT0,LON1,LAT1"},
      {{"a.osm", "out", "--bbox"}, "--bbox needs a value: LON0,LAT0,LON1,LAT1"},
      {{"a.osm", "out", "--title"}, "--title needs a value"},
      {{"-", "out"}, "standard input"},
  };
  for (const auto& c : cases) {
    const Outcome r = run(c.args);
    EXPECT_EQ(r.status, 2) << c.says;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("usage: osm2tkm"), std::string::npos);
  }
  // Help is an answer, not an error: on standard output, exit 0, and it says
  // what --force replaces.
  for (const char* help : {"--help", "-h"}) {
    const Outcome r = run({help});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.err.empty()) << r.err;
    EXPECT_NE(r.out.find("usage: osm2tkm"), std::string::npos);
    EXPECT_NE(r.out.find("houses.txt and\n            map.gpkg"), std::string::npos) << r.out;
  }
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

TEST_F(Refusals, ANonEmptyFolderIsKeptWithoutForceAndOnlyAnImportIsReplacedWithIt) {
  fs::create_directories(out);
  writeFile(out, "mine.txt", "keep me");
  const Outcome refused = run({town.string(), out.string()});
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find("--force"), std::string::npos);
  EXPECT_TRUE(fs::exists(out / "mine.txt"));
  // With --force a folder that holds other files is refused too, naming them.
  fs::create_directories(out / "photos");
  writeFile(out / "photos", "p.jpg", "a photo");
  writeFile(out, "7.tkm", "an old import");
  const Outcome other = run({"--force", town.string(), out.string()});
  EXPECT_EQ(other.status, 1);
  EXPECT_NE(other.err.find("mine.txt, photos/"), std::string::npos) << other.err;
  EXPECT_TRUE(fs::exists(out / "mine.txt"));
  EXPECT_TRUE(fs::exists(out / "photos" / "p.jpg"));
  EXPECT_EQ(entries(out), 3u);

  // A folder of an earlier import's files alone is replaced.
  fs::remove_all(out / "photos");
  fs::remove(out / "mine.txt");
  const Outcome forced = run({"--force", town.string(), out.string()});
  ASSERT_EQ(forced.status, 0) << forced.err;
  EXPECT_GT(fs::file_size(out / "7.tkm"), 13u);  // the new file, not "an old import"
  EXPECT_TRUE(fs::exists(out / "city.txt"));
  EXPECT_EQ(entries(out), 13u);
  EXPECT_EQ(entries(dir.path()), 2u);  // the input and the folder: no leftovers
}

TEST_F(Refusals, TheInputIsNeverInTheFolderToBeReplaced) {
  // The input in the folder, by its own name, under another name (a hard
  // link), and deeper down; with --force and an otherwise empty folder.
  const fs::path folder = dir.path() / "town";
  const std::vector<std::pair<fs::path, fs::path>> inputs = {
      {folder / "missing.osm", folder / "missing.osm"},
      {folder / "7.tkm", folder / "7.tkm"},  // a hard link of an input named 7.tkm
      {folder / "deep" / "x.osm", folder / "deep" / "x.osm"},
  };
  for (const auto& [where, input] : inputs) {
    fs::create_directories(where.parent_path());
    fs::copy_file(town, where);
    fs::path given = input;
    if (where.filename() == "7.tkm") {
      given = dir.path() / "link.osm";
      fs::create_hard_link(where, given);
    }
    const Outcome r = run({"--force", given.string(), folder.string()});
    EXPECT_EQ(r.status, 1) << where;
    EXPECT_NE(r.err.find("holds the input"), std::string::npos) << r.err;
    EXPECT_TRUE(fs::exists(where));
    EXPECT_EQ(fs::file_size(where), fs::file_size(town));
    fs::remove_all(folder);
    fs::remove(dir.path() / "link.osm");
  }
}

TEST_F(Refusals, OutDirMayEndInASlashOrBeTheCurrentFolder) {
  // "newdir/" as shell completion writes it, an existing empty "empty/",
  // then "." twice (the second replacing the first with --force): the
  // folder is filled and nothing else is left anywhere.
  fs::create_directories(dir.path() / "empty");
  for (const char* name : {"newdir/", "empty/"}) {
    const Outcome r = run({town.string(), (dir.path() / name).string()});
    ASSERT_EQ(r.status, 0) << name << r.err;
    EXPECT_EQ(entries(dir.path() / name), 13u) << name;
  }
  EXPECT_EQ(entries(dir.path()), 3u);
  const fs::path here = dir.path() / "here";
  fs::create_directories(here);
  const fs::path before = fs::current_path();
  fs::current_path(here);
  const Outcome first = run({town.string(), "."});
  const Outcome second = run({"--force", town.string(), "./"});
  const bool stillHere = fs::equivalent(fs::current_path(), here);
  fs::current_path(before);
  EXPECT_EQ(first.status, 0) << first.err;
  EXPECT_EQ(second.status, 0) << second.err;
  EXPECT_TRUE(stillHere);  // the folder itself stays: a shell in it sees the map
  EXPECT_EQ(entries(here), 13u);
  EXPECT_EQ(entries(dir.path()), 4u);
}

TEST_F(Refusals, LeftoversOfImportsThatDiedAreRemovedAndThoseOfLiveOnesKept) {
  // Three temporary folders of earlier imports into "map", all old: one of
  // a dead run, one whose lock a live run holds, one that holds a stranger.
  const auto leftover = [&](const std::string& name, const char* file) {
    const fs::path p = dir.path() / name;
    fs::create_directories(p);
    writeFile(p, file, "x");
    fs::last_write_time(p, fs::file_time_type::clock::now() - std::chrono::hours(1));
    return p;
  };
  const fs::path dead = leftover(".map.new.4242.0", "7.tkm");
  const fs::path live = leftover(".map.new.4243.0", "7.tkm");
  const fs::path stranger = leftover(".map.old.4244.0", "p.jpg");
  const int fd = ::open(live.c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
  const Outcome r = run({town.string(), out.string()});
  ::close(fd);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_FALSE(fs::exists(dead));
  EXPECT_NE(r.out.find("removed " + dead.string()), std::string::npos) << r.out;
  EXPECT_TRUE(fs::exists(live / "7.tkm"));
  EXPECT_TRUE(fs::exists(stranger / "p.jpg"));
}

TEST_F(Refusals, WriteFailuresGiveTheSystemsReason) {
  // OUT_DIR under a file: the folder cannot be made.
  writeFile(dir.path(), "plain", "a file");
  const Outcome r = run({town.string(), (dir.path() / "plain" / "map").string()});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("Not a directory"), std::string::npos) << r.err;
  // A full disk: small files fail only when they are closed.
  const fs::path full = dir.path() / "full";
  fs::create_directories(full);
  fs::create_symlink("/dev/full", full / "3.tkm");
  std::string error;
  EXPECT_FALSE(writeMapFolder(full, MapData{}, {}, {}, &error));
  EXPECT_NE(error.find("3.tkm: No space left on device"), std::string::npos) << error;
}

TEST_F(Refusals, AnAreaWithNothingInItSaysWhereTheDataLies) {
  const struct {
    const char* bbox;
    const char* says;
    bool swapped;
  } cases[] = {
      {"47.10,9.50,47.12,9.53", "--bbox 9.5,47.1,9.53,47.12 (longitude first)", true},
      {"10.00,47.00,10.03,47.02", "the data lies in 9.5020,47.1010,9.5290,47.1502", false},
  };
  for (const auto& c : cases) {
    const Outcome r = run({"--bbox", c.bbox, town.string(), out.string()});
    EXPECT_EQ(r.status, 1) << c.bbox;
    EXPECT_NE(r.err.find("no building and no street"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("swapped") != std::string::npos, c.swapped) << r.err;
    expectNothingWritten();
  }
}

TEST_F(Refusals, DataFillingLittleOfItsHeadersBoxIsWarnedOf) {
  // The header announces three times the town in each direction.
  const fs::path wide =
      writeFile(dir.path(), "WIDE.OSM", testing::smallTownXml({}, 47.08, 9.48, 47.14, 9.55));
  const Outcome r = run({wide.string(), out.string()});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("WARNING: the data fills only"), std::string::npos) << r.out;
  EXPECT_NE(r.err.find("may be cut short"), std::string::npos) << r.err;
  // The whole town: no warning.
  const Outcome whole = run({town.string(), (dir.path() / "whole").string()});
  ASSERT_EQ(whole.status, 0) << whole.err;
  EXPECT_EQ(whole.out.find("WARNING"), std::string::npos) << whole.out;
}

TEST_F(Refusals, AnEmptyFolderIsFilled) {
  fs::create_directories(out);
  EXPECT_EQ(run({town.string(), out.string()}).status, 0);
  EXPECT_EQ(entries(out), 13u);
}

TEST_F(Refusals, AFileThatIsNotOsmIsReportedAndNothingWritten) {
  const fs::path junk = writeFile(dir.path(), "junk.osm", "this is not xml at all <<<");
  const Outcome r = run({junk.string(), out.string()});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("cannot be read as OpenStreetMap data"), std::string::npos);
  EXPECT_FALSE(fs::exists(out));
  const fs::path text = writeFile(dir.path(), "town.txt", testing::smallTownXml());
  const Outcome named = run({text.string(), out.string()});
  EXPECT_EQ(named.status, 1);
  EXPECT_NE(named.err.find("does not end in .osm.pbf"), std::string::npos) << named.err;
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
  const Outcome r = run({"--bbox", "7.0,46.0,10.0,47.5", town.string(), out.string()});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("km"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("--bbox"), std::string::npos);
  expectNothingWritten();
}

// An area wider than the eleven files hold, or --container, gives the map
// container alone; --force over an earlier import of the eleven files takes
// them all away, so the folder opens as the container.
TEST_F(Refusals, ATownBeyondTheMapFilesOrAskedForIsWrittenAsTheContainer) {
  const struct {
    std::vector<std::string> args;
    const char* why;
  } cases[] = {
      {{"--force", "--bbox", "9.0,47.0,9.6,47.2", town.string(), out.string()}, "cannot hold it"},
      {{"--container", "--force", town.string(), out.string()}, "the map container, with"},
  };
  for (const auto& c : cases) {
    fs::remove_all(out);
    ASSERT_EQ(run({town.string(), out.string()}).status, 0);
    ASSERT_TRUE(fs::exists(out / "3.tkm"));
    const Outcome r = run(c.args);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find(c.why), std::string::npos) << r.out;
    EXPECT_EQ(entries(out), 1u);
    MapData map;
    EXPECT_TRUE(loadMapBase(out, map, {}).ok);
    EXPECT_TRUE(loadMapBuildings(out, map, {}).ok);
    EXPECT_FALSE(map.buildings.empty());
    // Either way the names keep their letters, and the town its own grid.
    EXPECT_TRUE(std::any_of(map.streetNames.begin(), map.streetNames.end(),
                            [](const StreetName& s) { return s.name == "Städtle"; }));
    EXPECT_TRUE(map.city.grid.has_value());
  }
}

// With --container the names stay as their people write them: no
// transliteration, no "?", in the streets, the buildings and the objects.
TEST_F(Refusals, ATownWrittenAsTheContainerKeepsEveryLetter) {
  std::string xml = testing::smallTownXml();
  for (const auto& [from, to] : {std::pair<std::string, std::string>{"Landstrasse", "Οδός Ερμού"},
                                 {"Broken Road", "北京路"}}) {
    xml.replace(xml.find(from), from.size(), to);
  }
  const fs::path scripts = writeFile(dir.path(), "scripts.osm", xml);
  fs::remove_all(out);
  const Outcome r = run({"--container", scripts.string(), out.string()});
  ASSERT_EQ(r.status, 0) << r.err;
  MapData map;
  ASSERT_TRUE(loadMapBase(out, map, {}).ok);
  ASSERT_TRUE(loadMapBuildings(out, map, {}).ok);
  std::set<std::string> streets, descriptions, objects;
  for (const StreetName& s : map.streetNames) streets.insert(s.name);
  for (const Building& b : map.buildings) descriptions.insert(b.description);
  for (const UserObject& o : map.userObjects) objects.insert(o.name);
  for (const char* name : {"Städtle", "Οδός Ερμού", "北京路", "Улица Мира"}) {
    EXPECT_EQ(streets.count(name), 1u) << name;
  }
  EXPECT_EQ(descriptions.count("Ωmega"), 1u);
  EXPECT_EQ(objects.count("Apotheke am Städtle"), 1u);
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
