#include "tests/app/app_fixture.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QThread>
#include <cstring>

#include "app/main_window.h"
#include "mapdata/title_files.h"
#include "mapdata/tkm_writer.h"

namespace tikhomap::testing {

namespace {

// One QApplication for the whole test program, on the offscreen platform.
class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Settings the program remembers (the print dialog's) go to a folder of
    // this test program, never to the home folder; suites run side by side.
    config_ = std::filesystem::temp_directory_path() /
              ("tikhomap_test_config_" + std::to_string(QCoreApplication::applicationPid()));
    std::filesystem::remove_all(config_);
    qputenv("XDG_CONFIG_HOME", config_.string().c_str());
    static int argc = 1;
    static char name[] = "test_app";
    static char* argv[] = {name, nullptr};
    app_ = new QApplication(argc, argv);
  }
  void TearDown() override {
    delete app_;
    app_ = nullptr;
    std::filesystem::remove_all(config_);
  }

 private:
  QApplication* app_ = nullptr;
  std::filesystem::path config_;
};

[[maybe_unused]] const auto* const kQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

void setText(std::string& field, const std::string& utf8) {
  field = utf8;
}

MapFeature feature(int16_t code, std::vector<MapPoint> points) {
  MapFeature f;
  f.code = code;
  f.points = std::move(points);
  f.pointCount = static_cast<int16_t>(f.points.size());
  MapBounds b{f.points[0].x, f.points[0].y, f.points[0].x, f.points[0].y};
  for (const MapPoint& p : f.points) {
    b.xMin = std::min(b.xMin, p.x);
    b.yMin = std::min(b.yMin, p.y);
    b.xMax = std::max(b.xMax, p.x);
    b.yMax = std::max(b.yMax, p.y);
  }
  f.bounds = b;
  return f;
}

Building house(float x, float y, int16_t purpose, int16_t floors, int16_t street,
               const char* number) {
  Building b;
  b.x = static_cast<uint16_t>(x + 10);
  b.y = static_cast<uint16_t>(y + 15);
  b.purpose = purpose;
  b.floors = floors;
  b.streetCode = street;
  setText(b.houseNumber, number);
  setText(b.description, "Жилой дом");
  b.outline = {{x, y}, {x + 20, y}, {x + 20, y + 30}, {x, y + 30}, {x, y}};
  b.pointCount = static_cast<int16_t>(b.outline.size());
  b.bounds = {x, y, x + 20, y + 30};
  return b;
}

}  // namespace

MapData tinyCity() {
  MapData m;
  Microdistrict md;
  md.x = 1500;
  md.y = 700;
  setText(md.name, "Северный");
  m.microdistricts.push_back(md);

  m.cityExtent = {0, 0, 2000, 3000};
  DistrictArea land;
  land.points = {{1900, 100}, {1900, 2900}, {100, 2900}, {100, 100}, {1900, 100}};
  land.pointCount = static_cast<int16_t>(land.points.size());
  land.boundsLow[0] = 100;
  land.boundsLow[1] = 100;
  land.boundsLow[2] = 1900;
  land.boundsLow[3] = 2900;
  m.districtAreas.push_back(land);
  DistrictArea district = land;
  district.district = 1;
  m.districtAreas.push_back(district);

  m.areaFeatures.push_back(feature(718, {{900, 500}, {900, 800}, {500, 800}, {500, 500}}));
  m.lineFeatures.push_back(feature(9005, {{1900, 1500}, {100, 1500}}));
  m.waterFeatures.push_back(
      feature(4912, {{1400, 2200}, {1400, 2500}, {1200, 2500}, {1200, 2200}, {1400, 2200}}));
  m.streetOutlines.push_back(feature(1, {{1880, 1490}, {1880, 1510}, {120, 1510}, {120, 1490}}));
  m.streetOutlines.push_back(feature(2, {{1010, 120}, {1010, 2880}, {990, 2880}, {990, 120}}));

  m.streetLines.push_back(feature(1, {{1880, 1500}, {120, 1500}}));
  m.streetLines.push_back(feature(2, {{1000, 120}, {1000, 2880}}));
  StreetName s;
  s.kind = 1;  // streets with house lists
  s.streetCode = 1;
  setText(s.name, "Морская ул.");
  m.streetNames.push_back(s);
  s.streetCode = 2;
  setText(s.name, "Портовая ул.");
  m.streetNames.push_back(s);
  m.streetCodeIndex = {0, 0, 1};
  m.streetLabelPoints.push_back({1300, 1500, 1, 1});
  m.streetLabelPoints.push_back({1000, 2000, 1, 2});

  // North to south.
  m.buildings.push_back(house(1600, 1520, 411, 9, 1, "1"));
  m.buildings.push_back(house(1300, 1450, 444, 3, 1, "2"));
  m.buildings.push_back(house(1020, 600, 555, 5, 2, "3а"));
  m.buildings.push_back(house(950, 2000, 461, 2, 2, "4"));
  m.buildings.push_back(house(400, 1530, 900, 1, 1, "5"));
  return m;
}

TinyCityFolder::TinyCityFolder() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = "tikhomap_app_";
  if (info != nullptr) name += std::string(info->test_suite_name()) + "_" + info->name();
  for (char& c : name) {
    if (c == '/') c = '_';
  }
  dir_ = std::filesystem::temp_directory_path() / name;
  std::filesystem::remove_all(dir_);
  TitleSheetFile regional;
  regional.hasHeader = true;
  regional.extent[0] = 0;
  regional.extent[1] = 0;
  regional.extent[2] = 4000;
  regional.extent[3] = 6000;
  TitleShape shape;
  shape.points = {{3000, 1000}, {3000, 5000}, {1000, 5000}, {1000, 1000}};
  regional.shapes.push_back(shape);
  EXPECT_TRUE(writeMapFolder(dir_, tinyCity(), regional, TitleSheetFile{}));
}

TinyCityFolder::~TinyCityFolder() {
  std::filesystem::remove_all(dir_);
}

bool showLoaded(MainWindow& window) {
  window.resize(900, 700);
  window.show();
  return waitFor([&window] {
    return window.session().baseMapLoaded() && !window.session().map.buildings.empty() &&
           window.composeCount() >= 1 && !window.recomposePending();
  });
}

void typeText(QWidget* widget, const QString& text) {
  for (const QChar c : text) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
    QCoreApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
    QCoreApplication::sendEvent(widget, &release);
  }
}

bool waitFor(const std::function<bool()>& done, int milliseconds) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > milliseconds) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(2);
  }
  return true;
}

}  // namespace tikhomap::testing
