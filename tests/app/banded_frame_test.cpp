// Frames recorded into a display list and drawn in bands by several threads
// are the frames one painter draws straight away, pixel for pixel, in every
// view mode, at every detail level, on the title sheet and at a pixel ratio
// of 2; and a canvas confined to a band writes no pixel outside it.
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <atomic>
#include <filesystem>
#include <optional>
#include <random>
#include <set>
#include <thread>

#include "citygen/city_generator.h"
#include "mapdata/tkm_writer.h"
#include "raster/banded_frame.h"
#include "raster/qt_canvas.h"
#include "render/style_set.h"
#include "session/map_session.h"
#include "tests/app/app_fixture.h"

namespace tikhomap {
namespace {

// The small generated town, written once for the whole test program, in a
// folder of the first test that asks: the test run starts one program per
// test, side by side, and they must not share a folder.
const std::filesystem::path& townFolder() {
  static const std::filesystem::path dir = [] {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string name = info != nullptr ? info->name() : "any";
    const auto d = std::filesystem::temp_directory_path() / ("tikhomap_app_banded_town_" + name);
    std::filesystem::remove_all(d);
    const GeneratedCity town = generateCity(CityOptions{1, CitySize::Tiny});
    writeMapFolder(d, town.map, town.regional, town.cityWater);
    return d;
  }();
  return dir;
}

int differingPixels(const QImage& a, const QImage& b) {
  if (a.size() != b.size()) return -1;
  int n = 0;
  for (int y = 0; y < a.height(); ++y) {
    const auto* p = reinterpret_cast<const QRgb*>(a.constScanLine(y));
    const auto* q = reinterpret_cast<const QRgb*>(b.constScanLine(y));
    for (int x = 0; x < a.width(); ++x) n += p[x] != q[x];
  }
  return n;
}

class BandedFrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    session_ = std::make_unique<MapSession>(townFolder());
    ASSERT_TRUE(loadSessionBaseMap(*session_, LoadProgress{}).ok);
    loadSessionBuildings(*session_, LoadProgress{});
    ASSERT_FALSE(session_->map.buildings.empty());
  }

  // The middle of the buildings: the town's densest blocks lie around it.
  std::pair<float, float> buildingsMiddle() const {
    double x = 0, y = 0;
    for (const Building& b : session_->map.buildings) {
      x += (b.bounds.xMin + b.bounds.xMax) / 2;
      y += (b.bounds.yMin + b.bounds.yMax) / 2;
    }
    const double n = static_cast<double>(session_->map.buildings.size());
    return {static_cast<float>(x / n), static_cast<float>(y / n)};
  }

  // The frame drawn straight away and by 1, 2, 3 and 8 threads, from the
  // same state of the window generator.
  void expectSameFrames(const std::string& what, int ratio = 1) {
    const WindowRandom start = session_->random;
    QImage direct(width_ * ratio, height_ * ratio, QImage::Format_RGB32);
    direct.setDevicePixelRatio(ratio);
    direct.fill(toQColor(kButtonFace));
    composeSessionFrameDirect(*session_, direct, widthMm_);
    const WindowRandom after = session_->random;
    for (int threads : {1, 2, 3, 8}) {
      session_->random = start;
      session_->frameThreads = threads;
      QImage banded(direct.size(), QImage::Format_RGB32);
      banded.setDevicePixelRatio(ratio);
      banded.fill(toQColor(kButtonFace));
      composeSessionFrame(*session_, banded, widthMm_);
      EXPECT_EQ(session_->composer->threads(), threads);
      EXPECT_EQ(differingPixels(direct, banded), 0) << what << ", " << threads << " threads";
      EXPECT_EQ(session_->random.state(), after.state()) << what;
    }
    ++frames_;
  }

  std::unique_ptr<MapSession> session_;
  int width_ = 720;
  int height_ = 480;
  float widthMm_ = widthMmAt96Dpi(720);
  int frames_ = 0;
};

TEST_F(BandedFrameTest, EveryViewModeAndLevelIsTheDirectFrame) {
  const auto [cx, cy] = buildingsMiddle();
  const MapBounds city = session_->history.entry(0);
  std::set<int> levels;
  for (int mode : {kViewGraphic, kViewFlat, kViewNight, kViewClockWindows, kViewNewYear,
                   kViewPowerCut, kViewWideWindows, kViewFrame}) {
    ASSERT_TRUE(session_->setViewMode(mode));
    session_->history.count = 1;
    expectSameFrames("title sheet, mode " + std::to_string(mode));
    for (const float side : {0.0f, 900.0f, 350.0f, 120.0f}) {
      session_->history.count = 1;
      if (side == 0) {
        pushView(session_->history, city.xMin, city.yMin, city.xMax, city.yMax);
      } else {
        pushView(session_->history, cx - side / 2, cy - side / 2, cx + side / 2, cy + side / 2);
      }
      // Morning and evening light differ in the clock-lit modes.
      for (const int hour : {7, 19}) {
        session_->clock = fixedClock(hour, 30);
        expectSameFrames("mode " + std::to_string(mode) + ", side " + std::to_string(side) + ", " +
                         std::to_string(hour) + " h");
        levels.insert(session_->view.detailLevel);
        if (mode != kViewClockWindows && mode != kViewNewYear) break;
      }
    }
  }
  // The views reach from the city scale to the street scale.
  EXPECT_TRUE(levels.count(0) && levels.count(2) && levels.count(4)) << levels.size();
}

// What a frame does not draw over keeps the picture it had, in every band,
// while the band edges move from frame to frame (each band's surface still
// holds the frame before, and its rows of this one are copied ahead by the
// edges of the last). Map views and the title sheet draw every pixel; a view
// without a scale draws none.
TEST_F(BandedFrameTest, PixelsNotDrawnKeepThePictureTheFrameHadBefore) {
  const auto [cx, cy] = buildingsMiddle();
  ASSERT_TRUE(session_->setViewMode(kViewClockWindows));
  session_->clock = fixedClock(7, 30);
  auto picture = [&](int seed) {
    QImage img(width_, height_, QImage::Format_RGB32);
    for (int y = 0; y < img.height(); ++y) {
      auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
      for (int x = 0; x < img.width(); ++x) {
        line[x] = qRgb((x * 7 + seed * 31) & 255, (y * 5 + seed * 17) & 255, (x ^ y ^ seed) & 255);
      }
    }
    return img;
  };
  int seed = 0;
  std::vector<std::vector<int32_t>> edges;
  for (int threads : {2, 3}) {
    session_->frameThreads = threads;
    for (const float side : {900.0f, 0.0f, 120.0f, 0.0f, 350.0f, 120.0f, 900.0f}) {
      session_->history.count = 1;
      if (side > 0) {
        pushView(session_->history, cx - side / 2, cy - side * 0.3f, cx + side / 2, cy + side);
      } else {
        // A rectangle turned inside out, in a view without a scale: it has no
        // scale either, and nothing is drawn.
        session_->history.count = 2;
        session_->history.xMin[1] = cx + 10;
        session_->history.yMin[1] = cy + 10;
        session_->history.xMax[1] = cx - 10;
        session_->history.yMax[1] = cy - 10;
        session_->view.mmPerMetre = 0;
      }
      const WindowRandom start = session_->random;
      QImage direct = picture(++seed);
      composeSessionFrameDirect(*session_, direct, widthMm_);
      session_->random = start;
      QImage banded = picture(seed);
      composeSessionFrame(*session_, banded, widthMm_);
      EXPECT_EQ(differingPixels(direct, banded), 0) << threads << " threads, side " << side;
      edges.push_back(session_->composer->bandEdges());
    }
  }
  // The edges did move.
  EXPECT_GT(std::set<std::vector<int32_t>>(edges.begin(), edges.end()).size(), 3u);
}

TEST_F(BandedFrameTest, APixelRatioOfTwoIsTheDirectFrame) {
  const auto [cx, cy] = buildingsMiddle();
  ASSERT_TRUE(session_->setViewMode(kViewClockWindows));
  session_->clock = fixedClock(7, 0);
  session_->history.count = 1;
  pushView(session_->history, cx - 200, cy - 200, cx + 200, cy + 200);
  width_ = 400;
  height_ = 300;
  widthMm_ = widthMmAt96Dpi(400);
  expectSameFrames("ratio 2", 2);
}

// Frames composed ahead on the title sheet reach from the whole city to the
// finest level, leave the session as it was (its view, history and window
// lighting), and the map frame after them is the frame a session without
// them composes.
TEST_F(BandedFrameTest, FramesComposedAheadLeaveTheSessionAsItWas) {
  ASSERT_TRUE(session_->setViewMode(kViewClockWindows));
  session_->frameThreads = 2;
  session_->clock = fixedClock(19, 30);
  session_->history.count = 1;
  QImage title(width_, height_, QImage::Format_RGB32);
  composeSessionFrame(*session_, title, widthMm_);
  const uint32_t random = session_->random.state();
  const float scale = session_->view.mmPerMetre;
  QImage scratch(width_, height_, QImage::Format_RGB32);
  std::vector<int> levels;
  for (int step = 0; step < kWarmFrameSteps; ++step) {
    const int level = warmSessionFrame(*session_, step, scratch, widthMm_);
    if (level < 0) break;
    levels.push_back(level);
    if (level >= kFinestDetailLevel) break;
  }
  ASSERT_FALSE(levels.empty());
  EXPECT_EQ(levels.front(), 0);
  EXPECT_EQ(levels.back(), kFinestDetailLevel);
  EXPECT_TRUE(std::is_sorted(levels.begin(), levels.end()));
  EXPECT_EQ(session_->random.state(), random);
  EXPECT_EQ(session_->history.count, 1);
  EXPECT_EQ(session_->view.mmPerMetre, scale);

  MapSession fresh(townFolder());
  ASSERT_TRUE(loadSessionBaseMap(fresh, LoadProgress{}).ok);
  loadSessionBuildings(fresh, LoadProgress{});
  ASSERT_TRUE(fresh.setViewMode(kViewClockWindows));
  fresh.frameThreads = 2;
  fresh.clock = fixedClock(19, 30);
  QImage before(width_, height_, QImage::Format_RGB32);
  composeSessionFrame(fresh, before, widthMm_);
  const auto [cx, cy] = buildingsMiddle();
  for (MapSession* s : {session_.get(), &fresh}) {
    pushView(s->history, cx - 150, cy - 150, cx + 150, cy + 150);
  }
  QImage warmed(width_, height_, QImage::Format_RGB32);
  QImage cold(width_, height_, QImage::Format_RGB32);
  composeSessionFrame(*session_, warmed, widthMm_);
  composeSessionFrame(fresh, cold, widthMm_);
  EXPECT_EQ(differingPixels(warmed, cold), 0);
  EXPECT_EQ(session_->random.state(), fresh.random.state());
}

// A band's canvas writes pixels past its painter (the merged shadow stamps)
// in its own rows only, and there exactly as the whole frame's canvas does;
// inside a band, no clip means the band.
TEST(QtCanvasBandTest, StampsWriteTheWholeFramesPixelsInTheBandOnly) {
  const QColor paper(208, 217, 186);
  const std::vector<ScreenPoint> outline{{40, 0}, {57, 3}, {50, 13}, {41, 9}};
  const std::vector<ScreenPoint> offsets{{0, 0}, {-7, 5}, {-14, 11}, {-21, 17}, {-28, 23}};
  auto draw = [&](std::optional<std::pair<int, int>> band, std::optional<Rect> clip) {
    QImage img(60, 40, QImage::Format_RGB32);
    img.fill(paper);
    QPainter painter(&img);
    QtCanvas dc(painter, 100);
    if (band) dc.setBand(band->first, band->second);
    if (clip) dc.setClipRect(*clip);
    dc.setRasterOp(RasterOp::MaskPen);
    dc.selectPen(Pen{});
    dc.selectBrush(Brush{BrushStyle::Solid, {128, 128, 128}});
    dc.polygonStamps(outline, offsets);
    painter.end();
    return img;
  };
  for (const std::optional<Rect> clip :
       {std::optional<Rect>{}, std::optional<Rect>{Rect{3, 2, 55, 33}}}) {
    const QImage whole = draw(std::nullopt, clip);
    const QImage band = draw(std::pair{10, 20}, clip);
    int inBand = 0;
    for (int y = 0; y < whole.height(); ++y) {
      for (int x = 0; x < whole.width(); ++x) {
        if (y >= 10 && y < 20) {
          EXPECT_EQ(band.pixel(x, y), whole.pixel(x, y)) << x << "," << y;
          inBand += whole.pixelColor(x, y) != paper;
        } else {
          EXPECT_EQ(band.pixelColor(x, y), paper) << x << "," << y;
        }
      }
    }
    EXPECT_GT(inBand, 50);
  }

  QImage img(60, 40, QImage::Format_RGB32);
  QPainter painter(&img);
  QtCanvas dc(painter, 100);
  dc.setBand(10, 20);
  EXPECT_EQ(dc.pixelClip(), QRect(0, 10, 60, 10));
  dc.setClipRect(Rect{0, 0, 60, 5});  // wholly outside the band
  EXPECT_TRUE(dc.pixelClip().isEmpty());
  dc.setClipRect(Rect{5, 15, 30, 35});
  EXPECT_EQ(dc.pixelClip(), QRect(5, 15, 25, 5));
  dc.clearClip();
  EXPECT_EQ(dc.pixelClip(), QRect(0, 10, 60, 10));
}

// A band draws only the pieces of a wide line that reach its rows; its rows
// must still be exactly the whole canvas's, for lines crossing the band at
// any angle, doubling back, and lying just outside it.
TEST(QtCanvasBandTest, WideLinesGiveTheWholeFramesPixelsInTheBand) {
  const QColor paper(208, 217, 186);
  std::mt19937 random(7);
  auto coordinate = [&](int lo, int hi) {
    return std::uniform_int_distribution<int>(lo, hi)(random);
  };
  for (int round = 0; round < 60; ++round) {
    std::vector<ScreenPoint> line(static_cast<size_t>(coordinate(2, 12)));
    for (ScreenPoint& p : line) p = {coordinate(-20, 140), coordinate(-20, 100)};
    const Pen pen{PenStyle::Solid, coordinate(2, 14), {20, 40, 200}, round % 3 == 0};
    const int top = coordinate(0, 70);
    const int bottom = top + coordinate(1, 30);
    auto draw = [&](bool banded) {
      QImage img(120, 90, QImage::Format_RGB32);
      img.fill(paper);
      QPainter painter(&img);
      QtCanvas dc(painter, 100);
      if (banded) dc.setBand(top, bottom);
      dc.selectPen(pen);
      dc.polyline(line);
      dc.moveTo(line.front().x, line.front().y);
      dc.lineTo(line.back().x, line.back().y);
      painter.end();
      return img;
    };
    const QImage whole = draw(false);
    const QImage band = draw(true);
    int differing = 0;
    for (int y = top; y < std::min(bottom, whole.height()); ++y) {
      for (int x = 0; x < whole.width(); ++x) differing += band.pixel(x, y) != whole.pixel(x, y);
    }
    EXPECT_EQ(differing, 0) << "round " << round << ", width " << pen.width << ", rows " << top
                            << ".." << bottom;
  }
}

// A band fills only its own rows of a rectangle, with the whole canvas's
// pixels there, hatches included.
TEST(QtCanvasBandTest, RectanglesAreFilledInTheBandsRowsOnly) {
  const QColor paper(208, 217, 186);
  for (const Brush& brush :
       {Brush{BrushStyle::Solid, {0, 90, 200}}, Brush{BrushStyle::HatchDiagCross, {120, 0, 0}}}) {
    auto draw = [&](bool banded) {
      QImage img(50, 40, QImage::Format_RGB32);
      img.fill(paper);
      QPainter painter(&img);
      QtCanvas dc(painter, 100);
      if (banded) dc.setBand(13, 27);
      dc.setBackgroundTransparent(true);
      dc.fillRect(Rect{3, 5, 47, 35}, brush);
      painter.end();
      return img;
    };
    const QImage whole = draw(false);
    const QImage band = draw(true);
    int filled = 0;
    for (int y = 0; y < whole.height(); ++y) {
      for (int x = 0; x < whole.width(); ++x) {
        if (y >= 13 && y < 27) {
          EXPECT_EQ(band.pixel(x, y), whole.pixel(x, y)) << x << "," << y;
          filled += band.pixelColor(x, y) != paper;
        } else {
          EXPECT_EQ(band.pixelColor(x, y), paper) << x << "," << y;
        }
      }
    }
    EXPECT_GT(filled, 100);
  }
}

TEST(BandPoolTest, RunsEveryIndexOnceOnItsOwnThreadAndCanBeReused) {
  BandPool pool(4);
  for (int round = 0; round < 50; ++round) {
    std::vector<int> seen(4, 0);
    std::vector<std::thread::id> ids(4);
    pool.run([&](int i) {
      ++seen[static_cast<size_t>(i)];
      ids[static_cast<size_t>(i)] = std::this_thread::get_id();
    });
    EXPECT_EQ(seen, (std::vector<int>{1, 1, 1, 1}));
    EXPECT_EQ(ids[0], std::this_thread::get_id());
    for (size_t i = 0; i < 4; ++i) {
      for (size_t j = i + 1; j < 4; ++j) EXPECT_NE(ids[i], ids[j]);
    }
  }
}

// A started job runs on the other threads while the caller goes on.
TEST(BandPoolTest, AStartedJobRunsOnTheOtherThreadsUntilWaitedFor) {
  BandPool pool(3);
  for (int round = 0; round < 50; ++round) {
    std::vector<std::atomic<int>> seen(3);
    std::atomic<bool> callerWorked{false};
    const std::function<void(int)> job = [&](int i) {
      EXPECT_NE(std::this_thread::get_id(), std::thread::id{});
      ++seen[static_cast<size_t>(i)];
    };
    pool.start(job);
    callerWorked = true;  // the caller's own work meanwhile
    pool.wait();
    EXPECT_TRUE(callerWorked);
    EXPECT_EQ(seen[0], 0);
    EXPECT_EQ(seen[1], 1);
    EXPECT_EQ(seen[2], 1);
  }
  // The pool still runs whole jobs afterwards.
  std::atomic<int> ran{0};
  pool.run([&](int) { ++ran; });
  EXPECT_EQ(ran, 3);
}

TEST(FrameThreadsTest, AskedCountOrOnePerCore) {
  EXPECT_EQ(frameThreadCount(3), 3);
  EXPECT_GE(frameThreadCount(0), 1);
}

}  // namespace
}  // namespace tikhomap
