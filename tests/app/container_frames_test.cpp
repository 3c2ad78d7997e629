// A town opened from its container draws exactly what the same town drawn
// from its eleven map files does: the title sheet, the whole town and a
// close view, pixel for pixel. The container is opened as a file, as the
// one container of a folder, and named by a file the person drops.
#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>

#include "app/data_folder.h"
#include "citygen/city_generator.h"
#include "gpkg/geopackage.h"
#include "gpkg/map_location.h"
#include "mapdata/tkm_writer.h"
#include "render/style_set.h"
#include "session/map_session.h"

namespace tikhomap {
namespace {

namespace fs = std::filesystem;

QImage frameOf(MapSession& session) {
  QImage frame(720, 480, QImage::Format_RGB32);
  frame.fill(Qt::white);
  composeSessionFrameDirect(session, frame, 190.5f);
  return frame;
}

TEST(ContainerFrames, TheContainerDrawsAsTheMapFilesDo) {
  const fs::path root = fs::temp_directory_path() / "tikhomap_app_container_frames";
  fs::remove_all(root);
  const GeneratedCity town = generateCity(CityOptions{1, CitySize::Tiny});
  ASSERT_TRUE(writeMapFolder(root / "files", town.map, town.regional, town.cityWater));
  fs::create_directories(root / "packed");
  ASSERT_TRUE(
      writeGeoPackage(root / "packed" / "town.gpkg", town.map, town.regional, town.cityWater));
  // What a person names: the container, its folder, or the container dropped.
  EXPECT_EQ(mapPathFor(root / "packed" / "town.gpkg"), root / "packed" / "town.gpkg");
  EXPECT_EQ(mapPathFor(root / "files" / "3.tkm"), root / "files");
  EXPECT_TRUE(holdsBaseMap(root / "packed"));
  EXPECT_EQ(chooseDataFolder(root / "packed" / "town.gpkg", root, std::nullopt),
            root / "packed" / "town.gpkg");

  MapSession files(root / "files");
  ASSERT_TRUE(loadSessionBaseMap(files, {}).ok);
  ASSERT_TRUE(loadSessionBuildings(files, {}).ok);
  int frames = 0;
  for (const fs::path& where : {root / "packed" / "town.gpkg", root / "packed"}) {
    SCOPED_TRACE(where.string());
    MapSession packed(where);
    ASSERT_TRUE(loadSessionBaseMap(packed, {}).ok);
    ASSERT_TRUE(loadSessionBuildings(packed, {}).ok);
    files.history.count = 1;
    files.random = WindowRandom{};
    packed.random = WindowRandom{};
    ASSERT_TRUE(files.titleSheetShown());
    EXPECT_TRUE(frameOf(files) == frameOf(packed)) << "title sheet";
    const MapBounds& e = files.map.cityExtent;
    const float cx = (e.xMin + e.xMax) / 2, cy = (e.yMin + e.yMax) / 2;
    for (const float side : {e.xMax - e.xMin, 600.0f}) {
      for (MapSession* s : {&files, &packed}) {
        s->history.count = 1;
        pushView(s->history, cx - side / 2, cy - side / 2, cx + side / 2, cy + side / 2);
      }
      EXPECT_TRUE(frameOf(files) == frameOf(packed)) << "side " << side;
      ++frames;
    }
    ++frames;
  }
  EXPECT_EQ(frames, 6);
  fs::remove_all(root);
}

}  // namespace
}  // namespace tikhomap
