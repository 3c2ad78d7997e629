// Loading a map folder: captions, chaining and missing files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "mapdata/loader.h"
#include "mapdata/tkm_writer.h"
#include "sample_map.h"

namespace tikhomap {
namespace {

class LoaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("tikhomap_loader_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    TitleSheetFile regional;
    ASSERT_TRUE(writeMapFolder(dir_, testing::sampleMap(), regional, TitleSheetFile{}));
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  void remove(const char* name) { std::filesystem::remove(dir_ / name); }

  std::filesystem::path dir_;
};

TEST_F(LoaderTest, LoadsEverythingWithTheCaptionsInOrder) {
  MapData m;
  std::vector<std::string> captions;
  const LoadProgress progress = [&captions](const std::string& c) { captions.push_back(c); };
  const LoadResult base = loadBaseMap(dir_, m, progress);
  ASSERT_TRUE(base.ok);
  EXPECT_TRUE(base.problems.empty());
  const LoadResult rest = loadBuildingsAndReferences(dir_, m, progress);
  ASSERT_TRUE(rest.ok);
  EXPECT_TRUE(rest.problems.empty());
  EXPECT_EQ(captions, (std::vector<std::string>{
                          "Загрузка: Гидрография", "Загрузка:  Береговая", "Загрузка:  Топооснова",
                          "Загрузка:  Улицы и проезды", "Загрузка: Здания  0 (2)"}));
  EXPECT_EQ(m.cityExtent, testing::sampleMap().cityExtent);
  EXPECT_EQ(m.districtAreas.size(), 2u);
  EXPECT_EQ(m.buildings.size(), 2u);
  EXPECT_EQ(m.themeNodes.size(), 2u);
  EXPECT_EQ(m.userObjects.size(), 1u);
  EXPECT_EQ(m.signRecords.size(), 1u);
  EXPECT_EQ(m.maxPointCount, 5);
}

TEST_F(LoaderTest, MissingDistrictFileFailsTheBaseMap) {
  remove("3.tkm");
  MapData m;
  const LoadResult r = loadBaseMap(dir_, m, {});
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.missingFile, "3.tkm");
  EXPECT_TRUE(m.districtAreas.empty());
}

TEST_F(LoaderTest, DistrictFileWithoutAreasFailsTheBaseMap) {
  MapData empty;
  std::ofstream(dir_ / "3.tkm", std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(writeDistrictFile(empty).data()), 18);
  MapData m;
  const LoadResult r = loadBaseMap(dir_, m, {});
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.missingFile, "3.tkm");
}

TEST_F(LoaderTest, MissingMicrodistrictFileFailsTheBaseMap) {
  remove("8.tkm");
  MapData m;
  const LoadResult r = loadBaseMap(dir_, m, {});
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.missingFile, "8.tkm");
}

TEST_F(LoaderTest, MissingTopoAndStreetFilesLeaveTheirLayersEmpty) {
  MapData m;
  ASSERT_TRUE(loadBaseMap(dir_, m, {}).ok);
  ASSERT_FALSE(m.areaFeatures.empty());
  remove("4.tkm");
  remove("5.tkm");
  const LoadResult r = loadBaseMap(dir_, m, {});
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.problems.size(), 2u);
  EXPECT_TRUE(m.areaFeatures.empty());
  EXPECT_TRUE(m.streetNames.empty());
  EXPECT_EQ(m.maxPointCount, 4);  // the land outline
  EXPECT_EQ(m.streetByCode(5), nullptr);
}

TEST_F(LoaderTest, ShortMicrodistrictFileOnlyLeavesNoMicrodistricts) {
  // Only a missing file stops the base map; a short one ends its own table.
  std::ofstream(dir_ / "8.tkm", std::ios::binary | std::ios::trunc).put('\x01');
  MapData m;
  const LoadResult r = loadBaseMap(dir_, m, {});
  EXPECT_TRUE(r.ok);
  EXPECT_TRUE(r.missingFile.empty());
  EXPECT_TRUE(m.microdistricts.empty());
  EXPECT_FALSE(m.districtAreas.empty());
  ASSERT_EQ(r.problems.size(), 1u);
  EXPECT_EQ(r.problems[0].file, "8.tkm");
}

TEST_F(LoaderTest, ReloadWithoutMicrodistrictFileKeepsNoOldTables) {
  MapData m;
  ASSERT_TRUE(loadBaseMap(dir_, m, {}).ok);
  ASSERT_FALSE(m.microdistricts.empty());
  remove("8.tkm");
  EXPECT_FALSE(loadBaseMap(dir_, m, {}).ok);
  EXPECT_TRUE(m.microdistricts.empty());
  EXPECT_TRUE(m.districtAreas.empty());
}

TEST_F(LoaderTest, ReloadWithoutAFileKeepsNoOldReferenceTables) {
  MapData m;
  ASSERT_TRUE(loadBuildingsAndReferences(dir_, m, {}).ok);
  ASSERT_FALSE(m.userObjects.empty());
  remove("tema.tkm");
  EXPECT_TRUE(loadBuildingsAndReferences(dir_, m, {}).ok);
  EXPECT_EQ(m.themeHead, -1);
  EXPECT_TRUE(m.themeNodes.empty());
  EXPECT_TRUE(m.userObjects.empty());
  EXPECT_EQ(m.userObjectsDeclared, 0);
  EXPECT_TRUE(m.signRecords.empty());
  EXPECT_EQ(m.signRecordsDeclared, 0);
}

TEST_F(LoaderTest, MissingBuildingFileSkipsTheReferenceTables) {
  remove("6.tkm");
  MapData m;
  const LoadResult r = loadBuildingsAndReferences(dir_, m, {});
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.missingFile, "6.tkm");
  EXPECT_TRUE(m.buildings.empty());
  EXPECT_TRUE(m.themeNodes.empty());
  EXPECT_TRUE(m.userObjects.empty());
}

TEST_F(LoaderTest, ReferenceFilesAreChained) {
  remove("tema.tkm");
  MapData m;
  EXPECT_TRUE(loadBuildingsAndReferences(dir_, m, {}).ok);
  EXPECT_EQ(m.buildings.size(), 2u);
  EXPECT_TRUE(m.userObjects.empty());  // no themes: the later files are not read
  EXPECT_TRUE(m.signRecords.empty());

  std::ofstream(dir_ / "tema.tkm", std::ios::trunc).flush();  // empty: only no themes
  std::ofstream(dir_ / "user.tkm", std::ios::trunc).flush();  // no first line: no signs
  MapData n;
  loadBuildingsAndReferences(dir_, n, {});
  EXPECT_EQ(n.themeHead, -1);
  EXPECT_TRUE(n.signRecords.empty());
}

}  // namespace
}  // namespace tikhomap
