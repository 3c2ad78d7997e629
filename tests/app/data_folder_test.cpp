// Where the program reads its map: the folder on the command line, the
// working directory, the last map folder opened, and the installed sample
// city as the last resort.
#include "app/data_folder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>

namespace tikhomap::testing {
namespace {

namespace fs = std::filesystem;

class DataFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() /
            ("tikhomap-folders-" + std::to_string(reinterpret_cast<uintptr_t>(this)));
    fs::create_directories(root_ / "work");
    fs::create_directories(root_ / "prefix" / "bin");
    fs::create_directories(city());
  }
  void TearDown() override { fs::remove_all(root_); }
  fs::path city() const { return root_ / "prefix" / "share" / "tikhomap" / "city"; }
  static void touch(const fs::path& file) { std::ofstream(file) << "x"; }

  fs::path root_;
};

TEST_F(DataFolderTest, ABaseMapNeedsBothOfItsFirstFiles) {
  EXPECT_FALSE(holdsBaseMap(root_ / "work"));
  touch(root_ / "work" / "8.tkm");
  EXPECT_FALSE(holdsBaseMap(root_ / "work"));
  touch(root_ / "work" / "3.tkm");
  EXPECT_TRUE(holdsBaseMap(root_ / "work"));
  EXPECT_FALSE(holdsBaseMap(root_ / "nowhere"));
}

TEST_F(DataFolderTest, OnlyAProgramInAPrefixsBinHasASampleCity) {
  EXPECT_FALSE(installedSampleCity(root_ / "prefix" / "bin"));  // city is empty yet
  touch(city() / "8.tkm");
  touch(city() / "3.tkm");
  EXPECT_EQ(installedSampleCity(root_ / "prefix" / "bin"), city());
  // A program in a build tree has no sample city, even beside one.
  EXPECT_FALSE(installedSampleCity(root_ / "prefix" / "app"));
}

TEST_F(DataFolderTest, TheFolderNamedWinsThenTheWorkingDirectoryThenTheSampleCity) {
  const fs::path work = root_ / "work";
  const fs::path named = root_ / "named";
  // Named on the command line: used even when it holds nothing (the message
  // box then names it).
  EXPECT_EQ(chooseDataFolder(named, work, city()), named);
  // Without a name and without a map here: the installed city.
  EXPECT_EQ(chooseDataFolder(std::nullopt, work, city()), city());
  // Not installed: the working directory, and its message box.
  EXPECT_EQ(chooseDataFolder(std::nullopt, work, std::nullopt), work);
  // The last map folder opened comes before the sample city while it still
  // holds a map; the folder named and a map here come before it.
  const fs::path last = root_ / "last";
  fs::create_directories(last);
  EXPECT_EQ(chooseDataFolder(std::nullopt, work, city(), last), city());
  touch(last / "8.tkm");
  touch(last / "3.tkm");
  EXPECT_EQ(chooseDataFolder(std::nullopt, work, city(), last), last);
  EXPECT_EQ(chooseDataFolder(named, work, city(), last), named);
  // A map in the working directory is always preferred.
  touch(work / "8.tkm");
  touch(work / "3.tkm");
  EXPECT_EQ(chooseDataFolder(std::nullopt, work, city()), work);
  EXPECT_EQ(chooseDataFolder(std::nullopt, work, city(), last), work);
  // A file of the map, as a file manager passes it, opens its folder, whether
  // named in full or from the working directory; a folder stays itself.
  EXPECT_EQ(chooseDataFolder(work / "8.tkm", root_, city()), work);
  EXPECT_EQ(chooseDataFolder(fs::path("work") / "3.tkm", root_, city()), work);
  EXPECT_EQ(chooseDataFolder(work, root_, city()), work);
}

}  // namespace
}  // namespace tikhomap::testing
