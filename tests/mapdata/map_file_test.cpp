// What reaches the readers from disk: only regular files, never more than a
// format holds, only the bytes the counts describe; and what the readers
// make of files full of junk: a bounded number of sections, records and
// problems.
#include "mapdata/map_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "mapdata/byte_writer.h"
#include "mapdata/map_readers.h"
#include "mapdata/tkm_writer.h"
#include "tests/mapdata/sample_map.h"

namespace tikhomap {
namespace {

namespace fs = std::filesystem;

class MapFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("tikhomap-map-file-" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  void write(const char* name, const std::vector<uint8_t>& bytes) {
    std::ofstream(dir_ / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
  }
  // Reads the file and returns its one problem's text ("" when none).
  std::string read(const char* name, std::vector<uint8_t>& bytes, bool expectRead) {
    std::vector<LoadProblem> problems;
    EXPECT_EQ(readMapFile(dir_ / name, name, bytes, problems), expectRead) << name;
    if (problems.empty()) return "";
    EXPECT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].file, name);
    return problems[0].what;
  }

  fs::path dir_;
};

TEST_F(MapFileTest, WhatIsNotARegularFileIsRefusedBeforeItIsOpened) {
  std::vector<uint8_t> bytes;
  EXPECT_EQ(read("8.tkm", bytes, false), "cannot be read");
  fs::create_directory(dir_ / "8.tkm");
  EXPECT_EQ(read("8.tkm", bytes, false), "is a folder, not a file: not read");
  // Opening a pipe would wait for a writer for ever.
  ASSERT_EQ(::mkfifo((dir_ / "3.tkm").c_str(), 0600), 0);
  EXPECT_EQ(read("3.tkm", bytes, false), "is a pipe, not a file: not read");
  fs::create_symlink("4.tkm", dir_ / "4.tkm");
  EXPECT_EQ(read("4.tkm", bytes, false), "is a loop of symbolic links: not read");
  EXPECT_TRUE(bytes.empty());
}

TEST_F(MapFileTest, AFileLargerThanItsFormatHoldsIsRefusedUnread) {
  const MapData m = testing::sampleMap();
  write("8.tkm", writeMicrodistrictFile(m));
  fs::resize_file(dir_ / "8.tkm", formatMaximumBytes("8.tkm") + 1);
  std::vector<uint8_t> bytes;
  EXPECT_EQ(read("8.tkm", bytes, false),
            "8519423 bytes, more than the format can hold (8519422): not read");
  EXPECT_TRUE(bytes.empty());
  // Text files have a chosen bound.
  write("user.tkm", {'1', '\n'});
  fs::resize_file(dir_ / "user.tkm", uint64_t{2} << 30);
  EXPECT_NE(read("user.tkm", bytes, false).find("more than the format can hold"),
            std::string::npos);
}

TEST_F(MapFileTest, OnlyTheBytesTheCountsDescribeAreRead) {
  const MapData m = testing::sampleMap();
  const std::vector<uint8_t> districts = writeDistrictFile(m);
  write("3.tkm", districts);
  // 2 GiB, nearly all of it zeros after the data: read in no time, no memory.
  fs::resize_file(dir_ / "3.tkm", uint64_t{2} << 30);
  std::vector<uint8_t> bytes;
  EXPECT_EQ(read("3.tkm", bytes, true), std::to_string((uint64_t{2} << 30) - districts.size()) +
                                            " bytes after the data ignored");
  EXPECT_EQ(bytes, districts);

  // 6.tkm has no counts: 7.tkm says how much of it belongs to the buildings.
  const std::vector<uint8_t> attributes = writeBuildingAttributeFile(m);
  const std::vector<uint8_t> geometry = writeBuildingGeometryFile(m);
  EXPECT_EQ(buildingGeometryBytes(attributes), geometry.size());
  std::vector<uint8_t> longer = geometry;
  longer.resize(geometry.size() + 1000, 0x55);
  write("6.tkm", longer);
  std::vector<LoadProblem> problems;
  ASSERT_TRUE(
      readMapFile(dir_ / "6.tkm", "6.tkm", bytes, problems, buildingGeometryBytes(attributes)));
  EXPECT_EQ(bytes, geometry);
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_EQ(problems[0].offset, geometry.size());
}

TEST_F(MapFileTest, EachFormatsLargestCountsAreItsMaximum) {
  // 8.tkm: 32767 records of 2 + 2 + 1 + 255 bytes after the count.
  EXPECT_EQ(formatMaximumBytes("8.tkm"), 2u + 32767u * 260u);
  // 7.tkm: 14 fixed bytes and two 255-byte texts.
  EXPECT_EQ(formatMaximumBytes("7.tkm"), 2u + 32767u * 524u);
  // 3.tkm: header, then records of 32767 four-byte points.
  EXPECT_EQ(formatMaximumBytes("3.tkm"),
            uint64_t{18} + uint64_t{32767} * (20 + uint64_t{32767} * 4));
  EXPECT_EQ(formatMaximumBytes("notes.txt"), 0u);
}

TEST(TopoFile, ZerosAreFourEmptySectionsAndNothingMore) {
  // Before, every four zero bytes read as one more skipped section with its
  // own problem: a few megabytes of zeros made millions of them.
  const std::vector<uint8_t> zeros(1 << 20, 0);
  MapData m;
  std::vector<LoadProblem> problems;
  parseTopoFile(zeros, m, problems);
  ASSERT_EQ(problems.size(), 5u);
  EXPECT_EQ(problems[0].what, "unknown class 0 skipped");
  EXPECT_EQ(problems[4].what, "data after the fourth section ignored");
  EXPECT_EQ(problems[4].offset, 16u);
  EXPECT_EQ(describedBytes("4.tkm", zeros), 16u);
}

TEST(TextFiles, AFileOfJunkLinesGivesAHundredProblemsAndTheirCount) {
  std::vector<uint8_t> junk;
  for (int i = 0; i < 50000; ++i) {
    junk.push_back('x');
    junk.push_back('\n');
  }
  MapData m;
  std::vector<LoadProblem> problems;
  parseThemeFile(junk, m, problems);
  ASSERT_EQ(problems.size(), 101u);
  EXPECT_EQ(problems[99].offset, 198u);
  EXPECT_EQ(problems[100].what, "49900 further problems not listed");
}

TEST(TextFiles, NoTableTakesMoreThan32767Records) {
  std::string themes;
  std::string users = "2147483647\r\n";
  for (int i = 0; i < 40000; ++i) {
    themes += "a1   ,group\r\n";  // every line a group, appended at the end of the list
    users += "1,2,ab,name\r\n";
  }
  MapData m;
  std::vector<LoadProblem> problems;
  parseThemeFile({reinterpret_cast<const uint8_t*>(themes.data()), themes.size()}, m, problems);
  EXPECT_EQ(m.themeNodes.size(), 32767u);
  EXPECT_EQ(m.themeNodes[32765].next, 32766);
  ASSERT_FALSE(problems.empty());
  EXPECT_EQ(problems[0].what, "more than 32767 themes: the rest of the file ignored");
  problems.clear();
  parseUserObjectFile({reinterpret_cast<const uint8_t*>(users.data()), users.size()}, m, problems);
  EXPECT_EQ(m.userObjects.size(), 32767u);
  EXPECT_EQ(m.userObjectsDeclared, 2147483647);
}

TEST(TextFiles, ThemesJoinTheFirstGroupOfTheirLetterWhereverItStands) {
  const std::string text =
      "b2   ,early theme\r\n"  // head of the list, whatever its code
      "a1   ,group a\r\n"
      "c3   ,theme before its group\r\n"
      "a2   ,first of a\r\n"
      "a1   ,second group a\r\n"
      "a3   ,second of a\r\n";
  MapData m;
  std::vector<LoadProblem> problems;
  parseThemeFile({reinterpret_cast<const uint8_t*>(text.data()), text.size()}, m, problems);
  ASSERT_EQ(m.themeNodes.size(), 6u);
  EXPECT_EQ(m.themeHead, 0);
  EXPECT_EQ(m.themeNodes[0].next, 1);
  EXPECT_EQ(m.themeNodes[1].next, 2);
  EXPECT_EQ(m.themeNodes[2].next, 4);
  EXPECT_EQ(m.themeNodes[1].children, 3);
  EXPECT_EQ(m.themeNodes[3].next, 5);
  EXPECT_EQ(m.themeNodes[4].children, -1);
  // One node more through the single-node insertion gives the same list.
  ThemeNode node;
  node.code[0] = 'a';
  node.code[1] = '4';
  EXPECT_EQ(insertThemeNode(m, node, nullptr), 6);
  EXPECT_EQ(m.themeNodes[5].next, 6);
}

}  // namespace
}  // namespace tikhomap
