// The headless renderer: its command line and one composed frame of a map
// folder, the same as the window's.
#include <QImage>
#include <cstring>
#include <filesystem>

#include "session/headless_render.h"
#include "session/render_options.h"
#include "tests/app/app_fixture.h"

namespace tikhomap {
namespace {

std::optional<RenderOptions> parse(std::vector<std::string> args, std::string* error = nullptr) {
  std::string e;
  auto o = parseRenderOptions(args, e);
  if (error != nullptr) *error = e;
  return o;
}

TEST(RenderOptionsTest, ReadsEveryOption) {
  const auto o =
      parse({"--data", "city", "--view", "100,200.5,900,1300", "--size", "800x600", "--width-mm",
             "211.5", "--mode", "32781", "--time", "21:05", "--repeat", "7", "-o", "out.png"});
  ASSERT_TRUE(o);
  EXPECT_EQ(o->dataDir, "city");
  EXPECT_FALSE(o->titleSheet);
  EXPECT_EQ(*o->view, (MapBounds{100, 200.5f, 900, 1300}));
  EXPECT_EQ(o->width, 800);
  EXPECT_EQ(o->height, 600);
  EXPECT_FLOAT_EQ(*o->widthMm, 211.5f);
  EXPECT_EQ(o->viewMode, 32781);
  EXPECT_EQ(*o->hour, 21);
  EXPECT_EQ(o->minute, 5);
  EXPECT_EQ(o->repeat, 7);
  EXPECT_EQ(o->output, "out.png");

  const auto d = parse({"--data", "c", "-o", "x.png"});
  ASSERT_TRUE(d);
  EXPECT_TRUE(d->titleSheet);
  EXPECT_EQ(d->viewMode, 32786);
  EXPECT_EQ(d->width, 1920);
  EXPECT_EQ(d->height, 1080);
  EXPECT_FALSE(d->hour);
  EXPECT_TRUE(parse({"--help"})->help);
}

TEST(RenderOptionsTest, ReadsTheFrameThreads) {
  EXPECT_EQ(parse({"--data", "c", "-o", "x.png"})->threads, 0);  // one per core
  EXPECT_EQ(parse({"--data", "c", "-o", "x.png", "--threads", "3"})->threads, 3);
  for (const char* bad : {"0", "-2", "65", "two"}) {
    std::string error;
    EXPECT_FALSE(parse({"--data", "c", "-o", "x.png", "--threads", bad}, &error)) << bad;
    EXPECT_NE(error.find("--threads"), std::string::npos) << bad;
  }
}

TEST(RenderOptionsTest, ReadsThePrintOptionsAndNeedsNoPictureWithAPdf) {
  const auto o = parse({"--data", "c", "--pdf", "page.pdf", "--print-bw", "--paper", "A3",
                        "--landscape", "--dpi", "300"});
  ASSERT_TRUE(o);
  EXPECT_EQ(o->pdf, "page.pdf");
  EXPECT_TRUE(o->output.empty());
  EXPECT_TRUE(o->printBlackWhite);
  EXPECT_TRUE(o->paperA3);
  EXPECT_TRUE(o->landscape);
  EXPECT_EQ(o->dpi, 300);
  const auto d = parse({"--data", "c", "--pdf", "page.pdf"});
  ASSERT_TRUE(d);
  EXPECT_FALSE(d->printBlackWhite);
  EXPECT_FALSE(d->paperA3);
  EXPECT_FALSE(d->landscape);
  EXPECT_EQ(d->dpi, 600);
  for (const auto& bad :
       std::vector<std::vector<std::string>>{{"--data", "c", "--pdf", "p.pdf", "--paper", "A5"},
                                             {"--data", "c", "--pdf", "p.pdf", "--dpi", "2400"},
                                             {"--data", "c", "--pdf"}}) {
    EXPECT_FALSE(parse(bad)) << bad.back();
  }
}

TEST(HeadlessRenderTest, PrintsTheComposedViewIntoAPdf) {
  testing::TinyCityFolder folder;
  RenderOptions o;
  o.dataDir = folder.path().string();
  o.titleSheet = false;
  o.view = MapBounds{700, 1200, 1300, 1800};
  o.width = 640;
  o.height = 480;
  o.pdf = (folder.path() / "page.pdf").string();
  o.dpi = 150;
  MapSession session(o.dataDir);
  std::string error;
  ASSERT_TRUE(prepareHeadlessSession(session, o, error)) << error;
  QImage frame;
  composeHeadless(session, o, frame, nullptr);
  const ViewState screen = session.view;
  ASSERT_TRUE(printHeadlessPdf(session, o, error)) << error;
  EXPECT_GT(std::filesystem::file_size(o.pdf), 1000u);
  EXPECT_EQ(std::memcmp(&screen, &session.view, sizeof screen), 0);
  o.pdf = (folder.path() / "missing" / "page.pdf").string();
  EXPECT_FALSE(printHeadlessPdf(session, o, error));
  EXPECT_NE(error.find("page.pdf"), std::string::npos) << error;
  // A disk that takes no more bytes: the file opens, its writes fail.
  if (std::filesystem::exists("/dev/full")) {
    o.pdf = "/dev/full";
    error.clear();
    EXPECT_FALSE(printHeadlessPdf(session, o, error));
    EXPECT_NE(error.find("/dev/full"), std::string::npos) << error;
  }
}

TEST(RenderOptionsTest, RefusesMistakesWithAReason) {
  const std::vector<std::vector<std::string>> bad = {
      {"-o", "x.png"},
      {"--data", "c"},
      {"--data", "c", "-o", "x.png", "--title", "--view", "1,2,3,4"},
      {"--data", "c", "-o", "x.png", "--view", "1,2,3"},
      {"--data", "c", "-o", "x.png", "--view", "5,2,3,4"},
      {"--data", "c", "-o", "x.png", "--view", "1,2,3,nan"},
      {"--data", "c", "-o", "x.png", "--size", "800"},
      {"--data", "c", "-o", "x.png", "--size", "0x600"},
      {"--data", "c", "-o", "x.png", "--mode", "105"},
      {"--data", "c", "-o", "x.png", "--time", "24:00"},
      {"--data", "c", "-o", "x.png", "--time", "12"},
      {"--data", "c", "-o", "x.png", "--repeat", "0"},
      {"--data", "c", "-o", "x.png", "--width-mm", "-3"},
      {"--data", "c", "-o", "x.png", "--frobnicate"},
      {"--data", "c", "--insolation-report", "x.csv", "--year", "1900"},
      {"--data", "c", "--year", "2026"},
      {"--data"},
  };
  for (const auto& args : bad) {
    std::string error;
    EXPECT_FALSE(parse(args, &error)) << args.back();
    EXPECT_FALSE(error.empty()) << args.back();
  }
}

TEST(HeadlessRenderTest, ComposesTheTitleSheetAndAMapViewOfAFolder) {
  testing::TinyCityFolder folder;
  RenderOptions o;
  o.dataDir = folder.path().string();
  o.width = 640;
  o.height = 480;
  o.hour = 13;
  o.repeat = 3;
  {
    MapSession session(o.dataDir);
    std::string error;
    ASSERT_TRUE(prepareHeadlessSession(session, o, error)) << error;
    QImage frame;
    std::vector<double> times;
    composeHeadless(session, o, frame, &times);
    EXPECT_EQ(times.size(), 3u);
    EXPECT_EQ(frame.size(), QSize(640, 480));
    EXPECT_EQ(session.history.count, 1);
  }
  o.titleSheet = false;
  o.view = MapBounds{700, 1200, 1300, 1800};
  o.viewMode = 32775;
  o.repeat = 0;
  MapSession session(o.dataDir);
  std::string error;
  ASSERT_TRUE(prepareHeadlessSession(session, o, error)) << error;
  EXPECT_EQ(session.history.count, 2);
  QImage frame;
  composeHeadless(session, o, frame, nullptr);
  // The asked-for rectangle lies inland: the land colour of the plan palette
  // fills the middle of the map.
  EXPECT_EQ(frame.pixel(100, 400) & 0xffffff, qRgb(208, 217, 186) & 0xffffff);
}

TEST(HeadlessRenderTest, AMissingBaseMapIsAnErrorNamingTheFile) {
  testing::TinyCityFolder folder;
  folder.remove("8.tkm");
  RenderOptions o;
  o.dataDir = folder.path().string();
  MapSession session(o.dataDir);
  std::string error;
  EXPECT_FALSE(prepareHeadlessSession(session, o, error));
  EXPECT_NE(error.find("8.tkm"), std::string::npos) << error;
}

TEST(HeadlessRenderTest, TimingSummaryTakesTheMiddleValue) {
  const TimingSummary odd = summarizeTimes({5, 1, 3});
  EXPECT_DOUBLE_EQ(odd.median, 3);
  EXPECT_DOUBLE_EQ(odd.min, 1);
  EXPECT_DOUBLE_EQ(odd.max, 5);
  EXPECT_DOUBLE_EQ(summarizeTimes({4, 1, 3, 2}).median, 2.5);
  EXPECT_DOUBLE_EQ(summarizeTimes({}).median, 0);
}

}  // namespace
}  // namespace tikhomap

namespace tikhomap {
namespace {

TEST(RenderOptionsTest, TheInsolationReportNeedsNoPicture) {
  const auto o = parse({"--data", "c", "--insolation-report", "x.csv", "--year", "2026"});
  ASSERT_TRUE(o);
  EXPECT_EQ(o->insolationReport, "x.csv");
  EXPECT_EQ(o->insolationYear, 2026);
  EXPECT_TRUE(o->output.empty());
}

TEST(RenderOptionsTest, TheRealSunTakesAValidDate) {
  const auto o = parse({"--data", "c", "--real-sun", "2026-06-21", "-o", "x.png"});
  ASSERT_TRUE(o);
  EXPECT_EQ(*o->realSunDate, (std::array<int, 3>{2026, 6, 21}));
  for (const char* bad : {"2026-02-30", "21.06.2026", "2026-6-21", ""}) {
    std::string error;
    EXPECT_FALSE(parse({"--data", "c", "--real-sun", bad, "-o", "x.png"}, &error)) << bad;
    EXPECT_EQ(error, "--real-sun takes a date YYYY-MM-DD") << bad;
  }
}

}  // namespace
}  // namespace tikhomap
