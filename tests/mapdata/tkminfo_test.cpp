// The tkminfo report and dump over a folder written by the writers.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "mapdata/tkm_writer.h"
#include "sample_map.h"
#include "tkminfo/tkminfo_lib.h"

namespace tikhomap {
namespace {

class TkminfoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           (std::string("tikhomap_tkminfo_") +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    ASSERT_TRUE(writeMapFolder(dir_, testing::sampleMap(), {}, {}));
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  int run(std::vector<std::string> args) {
    out_.str("");
    err_.str("");
    return runTkminfo(args, out_, err_);
  }

  std::filesystem::path dir_;
  std::ostringstream out_;
  std::ostringstream err_;
};

TEST_F(TkminfoTest, ReportsEveryTableExtentAndProblems) {
  ASSERT_EQ(run({dir_.string()}), 0);
  EXPECT_EQ(out_.str(),
            "microdistricts: 2\n"
            "districtAreas: 2\n"
            "areaFeatures: 1\n"
            "lineFeatures: 1\n"
            "waterFeatures: 1\n"
            "streetOutlines: 1\n"
            "streetLines: 2\n"
            "streetNames: 2\n"
            "streetLabelPoints: 2\n"
            "buildings: 2\n"
            "themes: 2\n"
            "userObjects: 1\n"
            "signRecords: 1\n"
            "extent: 1000.5 2000.25 45000 52000\n"
            "maxPointCount: 5\n");

  std::filesystem::remove(dir_ / "5.tkm");
  ASSERT_EQ(run({dir_.string()}), 0);
  EXPECT_NE(out_.str().find("streetLines: 0\n"), std::string::npos);
  EXPECT_NE(out_.str().find("5.tkm:0: cannot be read\n"), std::string::npos);
}

TEST_F(TkminfoTest, DumpsRecordsAsUtf8WithTabs) {
  ASSERT_EQ(run({"--dump", "microdistricts", dir_.string()}), 0);
  EXPECT_EQ(out_.str(), "40000\t1234\tЁлочный-2 «Южный»\n7\t65535\tЦентр\n");
  ASSERT_EQ(run({"--dump", "buildings", dir_.string()}), 0);
  EXPECT_EQ(out_.str().substr(0, out_.str().find('\n')),
            "0\t40001\t33333\t411\t5\t9\t200\t0\t12а\tШкола №5 — корпус «Б»\t"
            "40000,33000 40010,33000 40010,33010 40000,33010 40000,33000\t"
            "40000\t33000\t40010\t33010");
  ASSERT_EQ(run({"--dump", "themes", dir_.string()}), 0);
  EXPECT_EQ(out_.str(), "0\t0\t31\tОбразование\t1\t-1\n0\t0\t32\tШколы\t-1\t-1\n");
}

TEST_F(TkminfoTest, FailsWithoutBaseMapAndOnBadUsage) {
  std::filesystem::remove(dir_ / "3.tkm");
  EXPECT_EQ(run({dir_.string()}), 1);
  EXPECT_EQ(run({"--dump", "nosuch", dir_.string()}), 2);
  EXPECT_EQ(run({}), 2);
  EXPECT_EQ(run({"--help"}), 0);
  EXPECT_NE(out_.str().find("--dump TABLE"), std::string::npos);
}

}  // namespace
}  // namespace tikhomap
