#include "render/title_sheet.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "compose_fixture.h"
#include "mapdata/utf8_text.h"
#include "render/compose_frame.h"

namespace tikhomap {
namespace {

using testing::ComposeWorld;

void writeFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

class TitleSheet : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("tikhomap-title-" + std::to_string(reinterpret_cast<uintptr_t>(this)));
    std::filesystem::create_directories(dir_);

    TitleSheetFile region;
    region.hasHeader = true;
    region.extent[0] = 0;
    region.extent[1] = 0;
    region.extent[2] = 1000;
    region.extent[3] = 1000;
    region.shapes.push_back({{{100, 100}, {900, 100}, {500, 900}}});
    region.texts = {{'e', 500, 500, "Etext"},
                    {'f', 400, 400, "Ftext"},
                    {'g', 300, 300, "Gtext"},
                    {'e', 200, 200, "Eagain"}};
    writeFile(dir_ / "1.tkm", writeTitleFile(region));

    TitleSheetFile water;
    water.shapes.push_back({{{5000, 5000}, {5100, 5000}, {5100, 5100}, {5000, 5000}}});
    water.shapes.push_back({{{6000, 6000}, {6100, 6100}}});
    water.texts = {
        {'o', 7000, 7000, "Otext"}, {'p', 7100, 7100, "Ptext"}, {'q', 7200, 7200, "Qtext"}};
    writeFile(dir_ / "2.tkm", writeTitleFile(water));
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  // A world on a screen of the given size, 96 dpi, with a street and lines.
  void draw(ComposeWorld& w, int width, int height) {
    DeviceCaps caps = RecordingCanvas::defaultCaps();
    caps.width = width;
    caps.height = height;
    caps.widthMm = width * 25.4f / 96;
    caps.heightMm = height * 25.4f / 96;
    w.dc.setDeviceCaps(caps);
    w.ctx.screenWidthMm = caps.widthMm;
    w.ctx.dataDir = dir_;
    w.map.streetLines.push_back(ComposeWorld::feature(3, {{8000, 8000}, {8000, 9000}}));
    w.map.lineFeatures.push_back(ComposeWorld::feature(9005, {{3000, 3000}, {4000, 4000}}));
    w.map.lineFeatures.push_back(ComposeWorld::feature(3011, {{3000, 4000}, {4000, 3000}}));
    composeFrame(w.ctx, w.dc);
  }

  static std::vector<RecordedCall> textsNamed(const RecordingCanvas& dc, const std::string& text) {
    std::vector<RecordedCall> out;
    for (const RecordedCall& c : dc.callsOf(CallKind::TextOut)) {
      if (c.text == text) out.push_back(c);
    }
    return out;
  }

  std::filesystem::path dir_;
};

TEST_F(TitleSheet, SmallScreenSkipsSomeCaptions) {
  ComposeWorld w;
  draw(w, 1024, 768);
  EXPECT_TRUE(textsNamed(w.dc, "Ftext").empty());
  EXPECT_TRUE(textsNamed(w.dc, "Gtext").empty());
  EXPECT_TRUE(textsNamed(w.dc, "Ptext").empty());
  const auto q = textsNamed(w.dc, "Qtext");
  ASSERT_EQ(q.size(), 1u);  // no yellow copy on a small screen
  EXPECT_EQ(q[0].state.font.height, 16);
  EXPECT_EQ(q[0].state.textColor, (Rgb{0, 0, 155}));
  const auto e = textsNamed(w.dc, "Etext");
  ASSERT_EQ(e.size(), 1u);
  EXPECT_EQ(e[0].state.font.height, 12);
  EXPECT_EQ(e[0].state.textColor, (Rgb{200, 100, 0}));
  const auto o = textsNamed(w.dc, "Otext");
  ASSERT_EQ(o.size(), 1u);
  EXPECT_EQ(o[0].state.textColor, (Rgb{150, 0, 0}));

  const auto credit = textsNamed(w.dc, creditLine(0));
  ASSERT_EQ(credit.size(), 2u);
  EXPECT_EQ(credit[0].state.font.height, 14);
  EXPECT_EQ(credit[0].state.font.weight, 100);
  EXPECT_FALSE(credit[0].state.font.italic);
  EXPECT_EQ(credit[0].state.characterExtra, 0);
  // Streets are left out of the small overview.
  for (const RecordedCall& c : w.dc.callsOf(CallKind::Polyline)) {
    EXPECT_NE(c.state.pen.color, (Rgb{190, 170, 140}));
  }
}

TEST_F(TitleSheet, CaptionsFollowTheScreensHeightNotTheFrames) {
  // A maximised window on a 1080-line screen: the frame is lower than 1024
  // pixels (title bar, menu, panel), the screen is not.
  ComposeWorld onTallScreen;
  onTallScreen.ctx.screenHeight = 1080;
  draw(onTallScreen, 1920, 990);
  EXPECT_FALSE(textsNamed(onTallScreen.dc, "Ftext").empty());
  EXPECT_FALSE(textsNamed(onTallScreen.dc, "Gtext").empty());
  EXPECT_FALSE(textsNamed(onTallScreen.dc, "Ptext").empty());
  // A 900-line screen keeps them out whatever the frame.
  ComposeWorld onLowScreen;
  onLowScreen.ctx.screenHeight = 900;
  draw(onLowScreen, 1600, 860);
  EXPECT_TRUE(textsNamed(onLowScreen.dc, "Ftext").empty());
  EXPECT_TRUE(textsNamed(onLowScreen.dc, "Ptext").empty());
  EXPECT_EQ(textsNamed(onLowScreen.dc, "Qtext").size(), 2u);
}

TEST_F(TitleSheet, LargeScreenTextsHaveAYellowCopyAndTheirKindsStyle) {
  ComposeWorld w;
  draw(w, 1280, 1024);
  const auto f = textsNamed(w.dc, "Ftext");
  ASSERT_EQ(f.size(), 2u);
  EXPECT_EQ(f[0].state.textColor, (Rgb{255, 255, 0}));
  EXPECT_EQ(f[1].state.textColor, (Rgb{0, 0, 255}));
  EXPECT_EQ(f[1].points[0].x, f[0].points[0].x - 1);
  EXPECT_EQ(f[1].points[0].y, f[0].points[0].y - 1);
  EXPECT_TRUE(f[1].state.font.italic);
  EXPECT_EQ(f[1].state.font.height, 16);
  const auto g = textsNamed(w.dc, "Gtext");
  ASSERT_EQ(g.size(), 2u);
  EXPECT_EQ(g[1].state.font.height, 24);
  EXPECT_EQ(g[1].state.textColor, (Rgb{0, 0, 155}));
  // An "e" record after a "g" one is written in the "e" style again.
  const auto again = textsNamed(w.dc, "Eagain");
  ASSERT_EQ(again.size(), 2u);
  EXPECT_EQ(again[1].state.font.height, 16);
  EXPECT_FALSE(again[1].state.font.italic);
  EXPECT_EQ(again[1].state.textColor, (Rgb{200, 100, 0}));
  EXPECT_EQ(textsNamed(w.dc, "Ptext").size(), 2u);

  const auto credit = textsNamed(w.dc, creditLine(1));
  ASSERT_EQ(credit.size(), 2u);
  EXPECT_EQ(credit[0].state.font.height, 22);
  EXPECT_EQ(credit[0].state.textColor, (Rgb{250, 250, 0}));
  EXPECT_EQ(credit[1].state.textColor, (Rgb{0, 0, 0}));
  EXPECT_EQ(credit[0].points[0], (ScreenPoint{credit[1].points[0].x + 1, 30}));
  EXPECT_EQ(credit[1].points[0].y, 29);

  size_t streets = 0;
  for (const RecordedCall& c : w.dc.callsOf(CallKind::Polyline)) {
    streets += c.state.pen.color == Rgb{190, 170, 140} ? 1 : 0;
  }
  EXPECT_EQ(streets, 1u);
}

TEST_F(TitleSheet, CreditLinesHaveTheirLengths) {
  EXPECT_EQ(codePointCount(creditLine(0)), 33u);
  EXPECT_EQ(codePointCount(creditLine(1)), 29u);
}

TEST_F(TitleSheet, RotatedCaptions) {
  ComposeWorld w;
  draw(w, 1280, 1024);
  struct Row {
    const char* text;
    int height;
    int escapement;
    int weight;
    int shift;
  };
  for (const Row row : {Row{"Западный залив", 30, 450, 400, 2}, Row{"Восточный", 28, 500, 400, 2},
                        Row{"залив", 28, 500, 400, 2}, Row{"п-ов Светлый", 28, 520, 100, 1}}) {
    const auto calls = textsNamed(w.dc, row.text);
    ASSERT_EQ(calls.size(), 2u) << row.text;
    for (const RecordedCall& c : calls) {
      EXPECT_TRUE(c.state.font.italic);
      EXPECT_EQ(c.state.font.height, row.height);
      EXPECT_EQ(c.state.font.escapement, row.escapement);
      EXPECT_EQ(c.state.font.weight, row.weight);
      EXPECT_EQ(c.state.characterExtra, 8);
    }
    EXPECT_EQ(calls[1].points[0].x, calls[0].points[0].x - row.shift) << row.text;
    EXPECT_EQ(calls[1].points[0].y, calls[0].points[0].y - row.shift) << row.text;
  }
}

TEST_F(TitleSheet, DrawsInThePlanPaletteAndPutsTheModesPaletteBack) {
  ComposeWorld w(kViewNight);
  draw(w, 1280, 1024);
  EXPECT_EQ(w.viewMode, kViewNight);
  EXPECT_EQ(w.styles.palette, 1);
  EXPECT_EQ(w.styles.liveObjects(), 52);
  StyleSet plan;
  buildStyleSet(plan, kViewFlat);
  const auto fills = w.dc.callsOf(CallKind::FillRect);
  ASSERT_EQ(fills.size(), 3u);  // background, regional sea, city sea
  EXPECT_EQ(fills[0].fillBrush, (Brush{BrushStyle::Solid, kButtonFace}));
  EXPECT_EQ(fills[0].rect, (Rect{0, 0, 1280, 1024}));
  EXPECT_EQ(fills[1].fillBrush, plan.sea);
  EXPECT_EQ(fills[2].fillBrush, plan.sea);
  // The regional panel ends four pixels left of the split.
  EXPECT_EQ(fills[1].rect.left, 6);
  EXPECT_EQ(fills[1].rect.right, w.cache.sheetSplitX - 4);
  EXPECT_GT(w.cache.sheetSplitX, 0);
  EXPECT_LT(w.cache.sheetSplitX, 1280);
}

TEST_F(TitleSheet, FlatModeStaysFlat) {
  ComposeWorld w(kViewFlat);
  draw(w, 1280, 1024);
  EXPECT_EQ(w.viewMode, kViewFlat);
  EXPECT_EQ(w.styles.palette, 0);
}

TEST_F(TitleSheet, LandOnAShadowAndHydrography) {
  ComposeWorld w;
  draw(w, 1280, 1024);
  StyleSet plan;
  buildStyleSet(plan, kViewFlat);
  const auto polygons = w.dc.callsOf(CallKind::Polygon);
  ASSERT_GE(polygons.size(), 3u);
  EXPECT_EQ(polygons[0].state.brush, plan.dropShadow);
  EXPECT_EQ(polygons[0].state.pen, fixed::nullPen);
  EXPECT_EQ(polygons[1].state.brush, plan.green);
  // Regional land and captions stay inside the panel's raised edge; the clip
  // is gone again before the city panel.
  const auto edges = w.dc.callsOf(CallKind::DrawEdge);
  ASSERT_FALSE(edges.empty());
  const Rect regional = edges[0].rect;
  ASSERT_TRUE(polygons[0].state.clip.has_value());
  EXPECT_EQ(*polygons[0].state.clip,
            (Rect{regional.left + 2, regional.top + 2, regional.right - 2, regional.bottom - 2}));
  ASSERT_FALSE(textsNamed(w.dc, "Etext").empty());
  EXPECT_EQ(textsNamed(w.dc, "Etext")[0].state.clip, polygons[0].state.clip);
  ASSERT_EQ(polygons[1].points.size(), polygons[0].points.size());
  for (size_t i = 0; i < polygons[0].points.size(); ++i) {
    EXPECT_EQ(polygons[1].points[i].x, polygons[0].points[i].x - 2);
    EXPECT_EQ(polygons[1].points[i].y, polygons[0].points[i].y - 2);
  }
  // The city panel: shallow-water band, land, then the closed water shape.
  const auto lines = w.dc.callsOf(CallKind::Polyline);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0].state.pen, (Pen{PenStyle::Solid, 20, {180, 240, 250}, true}));
  EXPECT_EQ(polygons[2].state.brush, plan.land);
  const auto water = std::find_if(polygons.begin(), polygons.end(), [&](const RecordedCall& c) {
    return c.state.brush == plan.sea && c.state.pen == plan.waterLine;
  });
  ASSERT_NE(water, polygons.end());
  EXPECT_EQ(water->points.size(), 4u);
  size_t waterLines = 0;
  size_t boundaries = 0;
  size_t black = 0;
  for (const RecordedCall& c : lines) {
    waterLines += c.state.pen == plan.waterLine ? 1 : 0;
    boundaries += c.state.pen == plan.marker ? 1 : 0;
    black += c.state.pen == fixed::blackPen ? 1 : 0;
  }
  EXPECT_EQ(waterLines, 1u);
  EXPECT_EQ(boundaries, 1u);
  EXPECT_EQ(black, 1u);
  // The city panel is clipped while drawn and framed by a raised edge after.
  ASSERT_EQ(edges.size(), 2u);
  EXPECT_EQ(edges[0].edge, EdgeKind::Raised);
  EXPECT_EQ(edges[1].edge, EdgeKind::Raised);
  EXPECT_FALSE(edges[1].state.clip.has_value());
  EXPECT_TRUE(water->state.clip.has_value());
}

TEST_F(TitleSheet, NoCaptionNoSunkenEdge) {
  ComposeWorld w;
  draw(w, 1280, 1024);
  for (const RecordedCall& c : w.dc.callsOf(CallKind::TextOut)) {
    EXPECT_EQ(c.text.find("Масштаб"), std::string::npos);
  }
  for (const RecordedCall& c : w.dc.callsOf(CallKind::DrawEdge))
    EXPECT_NE(c.edge, EdgeKind::Sunken);
}

TEST_F(TitleSheet, MissingFilesLeaveTheirPartsEmpty) {
  std::filesystem::remove(dir_ / "1.tkm");
  std::filesystem::remove(dir_ / "2.tkm");
  ComposeWorld w;
  draw(w, 1280, 1024);
  const auto fills = w.dc.callsOf(CallKind::FillRect);
  ASSERT_EQ(fills.size(), 2u);  // background and the city panel only
  EXPECT_EQ(w.dc.callsOf(CallKind::DrawEdge).size(), 1u);
  EXPECT_TRUE(textsNamed(w.dc, "Qtext").empty());
  EXPECT_EQ(textsNamed(w.dc, creditLine(0)).size(), 2u);
}

TEST_F(TitleSheet, TextStyleTable) {
  EXPECT_TRUE(sheetTextSkipped('f', 1023));
  EXPECT_TRUE(sheetTextSkipped('g', 900));
  EXPECT_TRUE(sheetTextSkipped('p', 768));
  EXPECT_FALSE(sheetTextSkipped('q', 768));
  EXPECT_FALSE(sheetTextSkipped('e', 768));
  EXPECT_FALSE(sheetTextSkipped('f', 1024));
  EXPECT_EQ(sheetTextStyle('g', 800).font.height, 16);
  EXPECT_EQ(sheetTextStyle('g', 801).font.height, 24);
  EXPECT_FALSE(sheetTextStyle('p', 800).font.italic);
  EXPECT_TRUE(sheetTextStyle('p', 801).font.italic);
  EXPECT_EQ(sheetTextStyle('o', 1024).font.face, "Arial Cyr");
}

}  // namespace
}  // namespace tikhomap

namespace tikhomap {
namespace {

using testing::ComposeWorld;

// An imported inland town: its city description removes the built-in
// captions, replaces the credit and says that the outline is no coast.
// With the description's word, 1.tkm's last shape is the town's outline:
// a line on the land, not land on a shadow; without it, every shape is land.
TEST_F(TitleSheet, AnImportedTownsOutlineIsALineOnTheLand) {
  TitleSheetFile region;
  region.hasHeader = true;
  region.extent[2] = region.extent[3] = 1000;
  region.shapes.push_back({{{0, 0}, {1000, 0}, {1000, 1000}, {0, 1000}}});
  region.shapes.push_back({{{200, 200}, {800, 200}, {800, 800}, {200, 200}}});
  writeFile(dir_ / "1.tkm", writeTitleFile(region));
  for (const bool outline : {false, true}) {
    ComposeWorld w;
    w.map.city.regionalOutline = outline;
    draw(w, 1280, 1024);
    size_t land = 0, lines = 0;
    for (const RecordedCall& c : w.dc.callsOf(CallKind::Polygon))
      land += c.state.brush == w.styles.green && c.state.clip ? 1 : 0;
    for (const RecordedCall& c : w.dc.callsOf(CallKind::Polyline))
      lines += c.state.pen == w.styles.marker && c.points.size() == 4 ? 1 : 0;
    EXPECT_EQ(land, outline ? 1u : 2u) << outline;
    EXPECT_EQ(lines, outline ? 1u : 0u) << outline;
  }
}

TEST(InlandCityDescription, TitleSheetHasNoSeaNoBaysAndItsOwnCredit) {
  ComposeWorld w;
  w.map.city.present = true;
  w.map.city.coast = false;
  w.map.city.builtInCaptions = false;
  w.map.city.credit = std::array<std::string, 2>{"Zürich", "OSM"};
  DeviceCaps caps = w.dc.deviceCaps();
  caps.height = 1024;  // a large screen: the credit in its larger letters
  w.dc.setDeviceCaps(caps);
  composeFrame(w.ctx, w.dc);
  bool vaduz = false;
  int vaduzY = -1, osmY = -1, height = 0;
  for (const RecordedCall& c : w.dc.callsOf(CallKind::TextOut)) {
    EXPECT_NE(c.text, "Западный залив");
    EXPECT_NE(c.text, creditLine(0));
    vaduz |= c.text == "Zürich";
    if (c.text == "Zürich") vaduzY = c.points[0].y, height = std::abs(c.state.font.height);
    if (c.text == "OSM") osmY = c.points[0].y;
  }
  EXPECT_TRUE(vaduz);
  // The two credit lines do not overlap.
  EXPECT_GE(osmY - vaduzY, height);
  for (const RecordedCall& c : w.dc.callsOf(CallKind::FillRect))
    EXPECT_NE(c.fillBrush, w.styles.sea) << "an inland town's panel is land";
  for (const RecordedCall& c : w.dc.callsOf(CallKind::Polyline))
    EXPECT_NE(c.state.pen, w.styles.coastline);
}

TEST(InlandCityDescription, AViewAcrossTheOutlineIsAllLandWithoutCoastline) {
  ComposeWorld w;
  w.map.city.coast = false;
  w.ask(2000, 5000, 1000);  // across the outline, which would be the coast
  composeFrame(w.ctx, w.dc);
  const auto fills = w.dc.callsOf(CallKind::FillRect);
  ASSERT_EQ(fills.size(), 1u);
  EXPECT_EQ(fills[0].fillBrush, w.styles.land);
  for (const RecordedCall& c : w.dc.callsOf(CallKind::Polyline))
    EXPECT_NE(c.state.pen, w.styles.coastline);
}

}  // namespace
}  // namespace tikhomap
