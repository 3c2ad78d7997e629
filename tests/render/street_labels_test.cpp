#include "render/street_labels.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

#include "building_pass_fixture.h"
#include "render/graphemes.h"
#include "render/layer_passes.h"

namespace tikhomap {
namespace {

using testing::PassFixture;

MapFeature street(int16_t code, std::vector<MapPoint> points) {
  MapFeature f;
  f.code = code;
  f.pointCount = static_cast<int16_t>(points.size());
  f.bounds = {1e9f, 1e9f, -1e9f, -1e9f};
  for (const MapPoint& p : points) {
    f.bounds.xMin = std::min(f.bounds.xMin, p.x);
    f.bounds.yMin = std::min(f.bounds.yMin, p.y);
    f.bounds.xMax = std::max(f.bounds.xMax, p.x);
    f.bounds.yMax = std::max(f.bounds.yMax, p.y);
  }
  f.points = std::move(points);
  return f;
}

void addName(MapData& map, int16_t code, const char* utf8) {
  StreetName name;
  name.streetCode = code;
  name.name = utf8;
  map.streetNames.push_back(name);
  if (map.streetCodeIndex.size() <= static_cast<size_t>(code)) map.streetCodeIndex.resize(code + 1);
  map.streetCodeIndex[code] = static_cast<int16_t>(map.streetNames.size() - 1);
}

// 1 pixel per metre; a character 10 m high, so a 5-letter name is 60 m long
// and its letters 15 m apart.
struct Placement : ::testing::Test {
  PassFixture f{kViewFlat, 3, 1, 1};
  LabelPlacement out;

  int place(const MapFeature& s, MapPoint anchor) {
    return placeLabel(f.view, 10, anchor, s, "ABCDE", out);
  }
};

TEST_F(Placement, StraightStreetCentresTheNameOnTheFoot) {
  ASSERT_EQ(place(street(1, {{500, 100}, {500, 900}}), {501, 500}), 1);
  EXPECT_EQ(out.x, (std::vector<int32_t>{470, 485, 500, 515, 530}));
  // Shifted 5.5 m north of the axis so that the letters sit on it.
  EXPECT_EQ(out.y, (std::vector<int32_t>(5, 494)));
  EXPECT_EQ(out.angle, (std::vector<int>(5, 0)));
}

TEST_F(Placement, EastToWestStreetStillReadsWestToEast) {
  ASSERT_EQ(place(street(1, {{500, 900}, {500, 100}}), {501, 500}), 1);
  EXPECT_EQ(out.x, (std::vector<int32_t>{470, 485, 500, 515, 530}));
  EXPECT_EQ(out.y, (std::vector<int32_t>(5, 494)));
  EXPECT_EQ(out.angle, (std::vector<int>(5, 0)));
}

TEST_F(Placement, NameAtTheEndIsPushedBackAndShortStreetCompresses) {
  ASSERT_EQ(place(street(1, {{500, 100}, {500, 900}}), {501, 890}), 1);
  EXPECT_EQ(out.x, (std::vector<int32_t>{840, 855, 870, 885, 900}));
  ASSERT_EQ(place(street(1, {{500, 100}, {500, 900}}), {501, 110}), 1);
  EXPECT_EQ(out.x, (std::vector<int32_t>{100, 115, 130, 145, 160}));
  // 40 m of street for a 60 m name: the letters close up to 10 m.
  ASSERT_EQ(place(street(1, {{500, 480}, {500, 520}}), {501, 500}), 1);
  EXPECT_EQ(out.x, (std::vector<int32_t>{480, 490, 500, 510, 520}));
}

TEST_F(Placement, BendingStreetTurnsTheLetters) {
  ASSERT_EQ(place(street(1, {{500, 100}, {500, 500}, {900, 500}}), {501, 490}), 1);
  EXPECT_EQ(out.angle, (std::vector<int>{0, 0, 0, 900, 900}));
  EXPECT_EQ(out.x[0], 460);
  EXPECT_EQ(out.x[2], 490);
  // Up the northward leg, 5 m and 20 m past the corner, 5.5 m to its west.
  EXPECT_NEAR(out.x[3], 495, 1);
  EXPECT_NEAR(out.y[3], 494, 1);
  EXPECT_NEAR(out.y[4], 479, 1);
}

TEST_F(Placement, SmallWigglesAreStraightened) {
  ASSERT_EQ(place(street(1, {{500, 100}, {501, 480}, {500, 900}}), {501, 470}), 1);
  for (int a : out.angle) EXPECT_EQ(a, out.angle[0]);
}

TEST_F(Placement, AnchorMustBeWithinThreeMetresOfASegment) {
  const MapFeature s = street(1, {{500, 100}, {500, 900}});
  EXPECT_EQ(place(s, {504, 500}), 0);
  EXPECT_EQ(place(s, {503, 500}), 1);
  EXPECT_EQ(place(street(1, {{500, 100}}), {500, 100}), 0);
}

// A damaged street vertex (not a number) must not turn into a wild angle:
// every character still gets an angle of 0..3599.
TEST_F(Placement, DamagedVertexGivesNoWildAngle) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const MapFeature s = street(1, {{nan, nan}, {500, 100}, {500, 900}});
  ASSERT_EQ(place(s, {500, 120}), 1);
  ASSERT_EQ(out.angle.size(), 5u);
  for (const int a : out.angle) {
    EXPECT_GE(a, 0);
    EXPECT_LT(a, 3600);
  }
}

TEST_F(Placement, LongNamesGetOneCellPerCharacter) {
  const std::string name(40, 'x');
  const MapFeature s = street(1, {{500, 0}, {500, 1000}});
  ASSERT_EQ(placeLabel(f.view, 10, {500, 500}, s, name, out), 1);
  EXPECT_EQ(out.x.size(), 40u);
  EXPECT_EQ(out.x.front(), 260);
  EXPECT_EQ(out.x.back(), 740);
}

// A letter is what a reader sees as one: a base with its combining marks,
// an emoji joined by zero-width joiners. Names are made safe to draw and
// cut only between letters.
TEST(Graphemes, SplitSanitiseAndCutByLetter) {
  struct Row {
    const char* bytes;
    const char* drawn;  // drawableText
    size_t letters;
    const char* cutToFour;
    bool firstWide;
  };
  const Row rows[] = {
      {"Тихоморск", "Тихоморск", 9, "Тих…", false},
      {"Städtle", "Städtle", 7, "Stä…", false},
      {"Sta\u0308dtle", "Sta\u0308dtle", 7, "Sta\u0308…", false},  // a + combining diaeresis
      {"Οδός Ερμού", "Οδός Ερμού", 10, "Οδό…", false},
      {"中山路", "中山路", 3, "中山路", true},
      {"\U0001F468\u200D\U0001F469\u200D\U0001F467 x",
       "\U0001F468\u200D\U0001F469\u200D\U0001F467 x", 3,
       "\U0001F468\u200D\U0001F469\u200D\U0001F467 x", true},
      {"\u0301\u0301\u0301", "\u0301\u0301\u0301", 1, "\u0301\u0301\u0301", false},
      // Overlong "/", a lone surrogate, a truncated sequence: one U+FFFD per
      // ill-formed part.
      {"a\xC0\xAF"
       "b\xED\xA0\x80"
       "c\xE4\xB8",
       "a\uFFFD\uFFFDb\uFFFD\uFFFD\uFFFDc\uFFFD", 9, "a\uFFFD\uFFFD…", false},
      // Controls and a right-to-left override are left out.
      {"A\u202Eb\tc\r\n\x7F\u2066d", "Abcd", 4, "Abcd", false},
      {"", "", 0, "", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.bytes);
    const std::string drawn = drawableText(row.bytes);
    EXPECT_EQ(drawn, row.drawn);
    const std::vector<uint32_t> bounds = graphemeBounds(drawn);
    EXPECT_EQ(bounds.size(), row.letters + 1);
    EXPECT_EQ(graphemeCount(drawn), row.letters);
    EXPECT_EQ(cutToGraphemes(row.bytes, 4), row.cutToFour);
    if (!drawn.empty()) {
      EXPECT_EQ(isWideCluster(drawn), row.firstWide);
    }
  }
  // Cut to a width: a wide letter counts two, "…" one.
  EXPECT_EQ(cutToWidth("Тихоморск", 9), "Тихоморск");
  EXPECT_EQ(cutToWidth("Тихоморск", 8), "Тихомор…");
  EXPECT_EQ(cutToWidth("中山路大街", 5.5), "中山…");
  EXPECT_EQ(cutToWidth("Sta\u0308dtle", 4), "Sta\u0308…");
}

// Wide letters stand further apart: a Chinese name of five letters is 5 x 16
// m long where a Latin one is 5 x 12 m.
TEST_F(Placement, WideLettersGetAWiderPitch) {
  const MapFeature s = street(1, {{500, 100}, {500, 900}});
  ASSERT_EQ(placeLabel(f.view, 10, {501, 500}, s, "中山路大街", out), 1);
  EXPECT_EQ(out.x, (std::vector<int32_t>{460, 480, 500, 520, 540}));
  EXPECT_EQ(out.letter(1), "山");
  // A decomposed letter is one cell, as its precomposed form.
  ASSERT_EQ(placeLabel(f.view, 10, {501, 500}, s, "Sta\u0308dt", out), 1);
  EXPECT_EQ(out.x, (std::vector<int32_t>{470, 485, 500, 515, 530}));
  EXPECT_EQ(out.letter(2), "a\u0308");
  // Hebrew is one run, centred on the foot: 4 letters x 0.55 x 10 m long.
  ASSERT_EQ(placeLabel(f.view, 10, {501, 500}, s, "שלום", out), 1);
  ASSERT_EQ(out.letterCount(), 1u);
  EXPECT_EQ(out.letter(0), "שלום");
  EXPECT_EQ(out.x[0], 489);
}

// 10 pixels per mm at 1:10 000: one pixel per metre, labels 12 px high.
struct LabelPass : ::testing::Test {
  PassFixture f{kViewFlat, 1, 10, 0.1};

  void SetUp() override {
    addName(f.map, 7, "Мира/проспект");
    f.map.streetLines.push_back(street(3, {{500, 100}, {500, 900}}));
    f.map.streetLines.push_back(street(7, {{500, 100}, {500, 900}}));
  }
  StreetLabelPoint& anchor(uint16_t x, uint16_t y, int16_t level, int16_t code = 7) {
    f.map.streetLabelPoints.push_back({x, y, level, code});
    return f.map.streetLabelPoints.back();
  }
  // The last frame named the anchor: a print names it too.
  bool labelled(size_t row) const {
    return row < f.cache.labelledAnchors.size() && f.cache.labelledAnchors[row] != 0;
  }
};

TEST_F(LabelPass, LevelRuleAndLabelledMarks) {
  anchor(502, 500, 10);
  anchor(501, 300, 11);  // only from a larger scale
  streetLabelPass(f.ctx, f.dc);
  EXPECT_EQ(f.cache.labelFontHeight, 12);
  EXPECT_TRUE(labelled(0));
  EXPECT_FALSE(labelled(1));
  // The name is cut at "/": four letters, each with its halo first.
  const auto texts = f.dc.callsOf(CallKind::TextOut);
  ASSERT_EQ(texts.size(), 8u);
  EXPECT_EQ(texts[0].text, "М");
  EXPECT_EQ(texts[0].state.textColor, (Rgb{250, 250, 0}));
  EXPECT_EQ(texts[1].state.textColor, (Rgb{180, 60, 40}));
  EXPECT_EQ(texts[0].points[0].x, texts[1].points[0].x + 1);
  EXPECT_EQ(texts[0].points[0].y, texts[1].points[0].y + 1);
  EXPECT_EQ(texts[1].state.font, (Font{"Arial Cyr", 12, 100, false, 0}));
  EXPECT_EQ(texts[7].text, "а");
  EXPECT_EQ(f.dc.count(CallKind::SelectFont), 1u);

  // The next pass clears the marks first and marks what it draws again.
  f.map.streetLabelPoints[0].x = 100;  // moved out of the view
  streetLabelPass(f.ctx, f.dc);
  EXPECT_FALSE(labelled(0));
  EXPECT_FALSE(labelled(1));
}

TEST_F(LabelPass, TheMostNegativeLevelIsSizedWithoutOverflowAndNeverShown) {
  // A level of INT32_MIN has no opposite in 32 bits: its size is taken wide,
  // it is larger than every scale, and the map keeps the level as read.
  anchor(502, 500, 10);
  f.map.streetLabelPoints.push_back({501, 500, std::numeric_limits<int32_t>::min(), 7});
  streetLabelPass(f.ctx, f.dc);
  EXPECT_TRUE(labelled(0));
  EXPECT_FALSE(labelled(1));
  EXPECT_EQ(f.map.streetLabelPoints[1].level, std::numeric_limits<int32_t>::min());
}

TEST_F(LabelPass, NoNamesBelowOneToTenThousand) {
  anchor(502, 500, 1);
  f.view.mmPerMetre = 0.099;
  streetLabelPass(f.ctx, f.dc);
  EXPECT_TRUE(f.dc.calls().empty());
  EXPECT_FALSE(labelled(0));
}

TEST_F(LabelPass, StreetMatchAndPlacementTolerances) {
  anchor(504, 500, 5);     // finds its street within 5 m but is 4 m off it
  anchor(507, 300, 5);     // no street within 5 m
  anchor(502, 700, 5, 9);  // no street of that code
  anchor(497, 600, 5);
  streetLabelPass(f.ctx, f.dc);
  EXPECT_FALSE(labelled(0));
  EXPECT_FALSE(labelled(1));
  EXPECT_FALSE(labelled(2));
  EXPECT_TRUE(labelled(3));
}

TEST_F(LabelPass, StopsAtTheFirstAnchorSouthOfTheView) {
  f.view.viewXMin = 300;
  anchor(502, 500, 5);
  anchor(200, 500, 5);
  anchor(501, 600, 5);  // out of order: after the stop
  streetLabelPass(f.ctx, f.dc);
  EXPECT_TRUE(labelled(0));
  EXPECT_FALSE(labelled(2));
}

TEST_F(LabelPass, BoldAtLevelThreeAndNewFontOnlyAtABend) {
  f.view.detailLevel = 3;
  f.map.streetLines[1] = street(7, {{500, 100}, {500, 500}, {900, 500}});
  anchor(501, 495, 5);
  streetLabelPass(f.ctx, f.dc);
  const auto texts = f.dc.callsOf(CallKind::TextOut);
  ASSERT_EQ(texts.size(), 4u);
  EXPECT_EQ(texts[0].state.textColor, (Rgb{180, 146, 118}));
  EXPECT_EQ(texts[0].state.font.weight, 700);
  const auto fonts = f.dc.callsOf(CallKind::SelectFont);
  ASSERT_EQ(fonts.size(), 2u);
  EXPECT_EQ(fonts[0].state.font.escapement, 0);
  EXPECT_EQ(fonts[1].state.font.escapement, 900);
}

// The map's code page reaches the canvas as UTF-8, one whole letter per
// call: no call carries a piece of a character.
TEST_F(LabelPass, EveryLetterReachesTheCanvasWhole) {
  const char* name = "Ёлочная №5 «Ъ»—ў";
  f.map.streetNames.clear();
  addName(f.map, 7, name);
  anchor(502, 500, 10);
  streetLabelPass(f.ctx, f.dc);
  f.cache.firstStreetLine = 1;  // past the unnamed street under the click
  ASSERT_EQ(labelAtPoint(f.ctx, f.dc, 500, 500), 1);
  std::string written;
  const auto texts = f.dc.callsOf(CallKind::TextOut);
  ASSERT_FALSE(texts.empty());
  for (const RecordedCall& t : texts) {
    EXPECT_EQ(drawableText(t.text), t.text);
    EXPECT_EQ(graphemeCount(t.text), 1u) << t.text;
    if (t.state.textColor != Rgb{250, 250, 0}) written += t.text;
  }
  EXPECT_EQ(written, std::string(name) + name);
}

TEST(LabelAtPoint, WritesTheStreetUnderTheClick) {
  PassFixture f(kViewFlat, 2, 1, 1);
  addName(f.map, 7, "Мира");
  f.map.streetLines.push_back(street(0, {{300, 100}, {300, 900}}));
  f.map.streetLines.push_back(street(7, {{500, 100}, {500, 900}}));
  // Screen (500, 497) is map (503, 500): 3 mm from the street at 1 mm/m.
  EXPECT_EQ(labelAtPoint(f.ctx, f.dc, 500, 497), 1);
  const auto texts = f.dc.callsOf(CallKind::TextOut);
  ASSERT_EQ(texts.size(), 8u);
  EXPECT_EQ(texts[1].state.clip, (Rect{1, 1, 1002, 1001}));
  EXPECT_TRUE(texts[1].state.backgroundTransparent);
  EXPECT_EQ(texts[1].state.font, (Font{"Arial Cyr", 33, 100, false, 0}));
  EXPECT_EQ(f.dc.count(CallKind::SelectFont), 4u);  // one font per letter
  EXPECT_FALSE(f.dc.state().backgroundTransparent);
  EXPECT_FALSE(f.dc.state().clip.has_value());
  EXPECT_EQ(f.cache.labelFontHeight, 12);  // the frame's labels stay as drawn

  f.dc.clearCalls();
  EXPECT_EQ(labelAtPoint(f.ctx, f.dc, 500, 698), 0);  // beside the street of code 0
  EXPECT_EQ(labelAtPoint(f.ctx, f.dc, 500, 300), 0);  // nowhere near a street
  EXPECT_TRUE(f.dc.calls().empty());

  f.view.detailLevel = 4;
  EXPECT_EQ(labelAtPoint(f.ctx, f.dc, 500, 499), 1);
  EXPECT_EQ(f.dc.count(CallKind::TextOut), 4u);
  EXPECT_EQ(f.dc.callsOf(CallKind::TextOut)[0].state.font.weight, 700);
}

TEST(HouseNumberLabel, SelectionNeedsSevenMillimetresAndTextIsTrimmed) {
  // 1:2000: numbers under "отбор" need 14 m of building.
  PassFixture f(kViewFlat, 3, 1, 0.5);
  f.layers.houseNumberChoice = 2;
  Building b;
  b.x = 500;
  b.y = 600;
  b.bounds = {495, 594, 507, 604};  // 12 m x 10 m
  b.houseNumber = " 12а \t\r\n";
  houseNumberLabel(f.ctx, f.dc, b, 0);
  EXPECT_TRUE(f.dc.calls().empty());

  b.bounds.xMax = 509;  // 14 m
  houseNumberLabel(f.ctx, f.dc, b, 20);
  const auto texts = f.dc.callsOf(CallKind::TextOut);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].text, "12а");
  int32_t sx = 0;
  int32_t sy = 0;
  mapToScreen(f.view, 500, 600, sx, sy);
  EXPECT_EQ(texts[0].points[0], (ScreenPoint{sx - 9, sy - 20 - 6}));

  f.layers.houseNumberChoice = 1;
  b.bounds.xMax = 496;
  houseNumberLabel(f.ctx, f.dc, b, 0);
  EXPECT_EQ(f.dc.count(CallKind::TextOut), 2u);
}

}  // namespace
}  // namespace tikhomap
