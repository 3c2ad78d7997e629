// Whole frames of the small generated town, compared pixel for pixel with
// the frames kept in tests/app/reference_frames. The fast paths are each
// checked against the painter elsewhere; these frames notice a change that
// moves the painter and the fast paths alike. A missing frame fails. When a
// change of the picture is meant, write them anew with
// TIKHOMAP_WRITE_REFERENCE_FRAMES=1 (see the README) and look at them.
#include <QCoreApplication>
#include <QImage>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "citygen/city_generator.h"
#include "mapdata/tkm_writer.h"
#include "raster/qt_canvas.h"
#include "render/style_set.h"
#include "session/map_session.h"
#include "tests/app/app_fixture.h"

namespace tikhomap {
namespace {

const std::filesystem::path kReferenceDir = TIKHOMAP_REFERENCE_FRAMES_DIR;

const std::filesystem::path& referenceTown() {
  static const std::filesystem::path dir = [] {
    const auto d =
        std::filesystem::temp_directory_path() /
        ("tikhomap_reference_town_" + std::to_string(QCoreApplication::applicationPid()));
    std::filesystem::remove_all(d);
    const GeneratedCity town = generateCity(CityOptions{1, CitySize::Tiny});
    writeMapFolder(d, town.map, town.regional, town.cityWater);
    return d;
  }();
  return dir;
}

// A scene: the view mode, the clock and the rectangle asked for, as a part
// of the town around the middle of its buildings (side 0: the title sheet;
// side < 0: the whole town).
struct Scene {
  const char* name;
  int mode;
  int hour;
  float side;
};

const Scene kScenes[] = {
    {"title_sheet", kViewClockWindows, 12, 0},
    {"town_flat", kViewFlat, 12, -1},
    {"town_night", kViewNight, 22, -1},
    {"district_graphic", kViewGraphic, 12, 900},
    {"block_night", kViewNight, 22, 150},
    {"quarter_clock_morning", kViewClockWindows, 7, 300},
    {"quarter_new_year", kViewNewYear, 12, 300},
    {"block_power_cut", kViewPowerCut, 12, 150},
    {"block_wide_windows", kViewWideWindows, 15, 150},
    {"quarter_frame", kViewFrame, 12, 300},
    {"street_clock_evening", kViewClockWindows, 20, 120},
    {"street_flat", kViewFlat, 12, 120},
};

QImage composeScene(const Scene& scene) {
  MapSession session(referenceTown());
  session.setViewMode(scene.mode);
  session.clock = fixedClock(scene.hour, 0);
  if (!loadSessionBaseMap(session, LoadProgress{}).ok) return {};
  loadSessionBuildings(session, LoadProgress{});
  const MapBounds town = session.history.entry(0);
  if (scene.side < 0) {
    pushView(session.history, town.xMin, town.yMin, town.xMax, town.yMax);
  } else if (scene.side > 0) {
    double x = 0, y = 0;
    for (const Building& b : session.map.buildings) {
      x += (b.bounds.xMin + b.bounds.xMax) / 2;
      y += (b.bounds.yMin + b.bounds.yMax) / 2;
    }
    const auto n = static_cast<double>(session.map.buildings.size());
    const auto cx = static_cast<float>(x / n);
    const auto cy = static_cast<float>(y / n);
    pushView(session.history, cx - scene.side / 2, cy - scene.side * 2 / 3, cx + scene.side / 2,
             cy + scene.side * 2 / 3);
  }
  QImage frame(320, 240, QImage::Format_RGB32);
  frame.fill(toQColor(kButtonFace));
  composeSessionFrame(session, frame, widthMmAt96Dpi(320));
  return frame;
}

int differingPixels(const QImage& a, const QImage& b) {
  int n = 0;
  for (int y = 0; y < a.height(); ++y) {
    for (int x = 0; x < a.width(); ++x) n += a.pixel(x, y) != b.pixel(x, y);
  }
  return n;
}

TEST(ReferenceFrames, EverySceneIsItsKeptFrame) {
  const bool write = std::getenv("TIKHOMAP_WRITE_REFERENCE_FRAMES") != nullptr;
  const auto failed = std::filesystem::temp_directory_path() / "tikhomap_reference_frames_failed";
  for (const Scene& scene : kScenes) {
    const QImage frame = composeScene(scene);
    ASSERT_FALSE(frame.isNull()) << scene.name;
    const auto kept = kReferenceDir / (std::string(scene.name) + ".png");
    if (write) {
      ASSERT_TRUE(frame.save(QString::fromStdString(kept.string()), "PNG")) << kept;
      continue;
    }
    const QImage reference =
        QImage(QString::fromStdString(kept.string())).convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(reference.isNull()) << "no kept frame " << kept;
    ASSERT_EQ(reference.size(), frame.size()) << scene.name;
    const int differing = differingPixels(reference, frame);
    if (differing != 0) {
      std::filesystem::create_directories(failed);
      const auto drawn = failed / (std::string(scene.name) + ".png");
      frame.save(QString::fromStdString(drawn.string()), "PNG");
      ADD_FAILURE() << scene.name << ": " << differing << " pixels differ from " << kept
                    << "; the frame drawn now is " << drawn;
    }
  }
  std::filesystem::remove_all(referenceTown());
}

}  // namespace
}  // namespace tikhomap
