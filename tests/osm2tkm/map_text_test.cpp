// Names for the single-byte fields: transliteration, cutting, and names of
// one table kept distinct.
#include <gtest/gtest.h>

#include <cmath>

#include "mapdata/cp1251.h"
#include "mapdata/plane.h"
#include "osm2tkm/map_text.h"

namespace tikhomap::osm {
namespace {

const std::string kEllipsis = "\x85";

TEST(MapText, LatinLettersOutsideTheCodePageAreTransliteratedAndCounted) {
  int n = 0;
  EXPECT_EQ(mapText("Städtle", &n), "Stadtle");
  EXPECT_EQ(n, 1);
  EXPECT_EQ(mapText("Straße Œuvre ÆØÅ", &n), "Strasse OEuvre AEOA");
  EXPECT_EQ(n, 6);
  // Cyrillic and the code page's own signs pass unchanged, uncounted.
  n = 0;
  EXPECT_EQ(mapText("Ёлкино «№1» ©", &n), utf8ToCp1251("Ёлкино «№1» ©"));
  EXPECT_EQ(n, 0);
  EXPECT_EQ(mapText("a中b"), "a?b");
  // Control characters never reach a field; blanks around are dropped.
  EXPECT_EQ(mapText("  two\nlines\t "), "two lines");
}

TEST(CutName, AtTheLimitKeptPastItCutWithAnEllipsis) {
  EXPECT_EQ(cutName("abcdef", 6), "abcdef");
  EXPECT_EQ(cutName("abcdefg", 6), "abcde" + kEllipsis);
  EXPECT_EQ(cutName("abcd fg", 6), "abcd" + kEllipsis);  // no blank before the ellipsis
  EXPECT_EQ(cutName("abc", 0), "");
}

TEST(FitName, NamesOfOneTableStayDistinctWithinTheField) {
  std::set<std::string> taken;
  bool changed = true;
  EXPECT_EQ(fitName("Dorfstrasse", 29, taken, &changed), "Dorfstrasse");
  EXPECT_FALSE(changed);
  EXPECT_EQ(fitName("Dorfstrasse", 29, taken, &changed), "Dorfstrasse 2");
  EXPECT_TRUE(changed);
  const std::string longA = "Fürst-Franz-Josef-Strasse in Vaduz";
  const std::string a = fitName(mapText(longA), 29, taken);
  const std::string b = fitName(mapText(longA), 29, taken);
  EXPECT_EQ(a.size(), 29u);
  EXPECT_LE(b.size(), 29u);
  EXPECT_NE(a, b);
  EXPECT_EQ(b.substr(b.size() - 2), kEllipsis + "2");
  // Many of one name: every one distinct and within the field.
  std::set<std::string> many;
  for (int i = 0; i < 150; ++i) {
    const std::string n = fitName(std::string(40, 'x'), 29, many);
    EXPECT_LE(n.size(), 29u);
  }
  EXPECT_EQ(many.size(), 150u);
}

TEST(Clipping, LinesAreCutAtTheBoxEdge) {
  const Bounds box{0, 0, 10, 10};
  const auto parts = clipLine({{-5, 5}, {5, 5}, {15, 5}, {15, 8}, {5, 8}}, box);
  ASSERT_EQ(parts.size(), 2u);
  EXPECT_EQ(parts[0], (Polyline{{0, 5}, {5, 5}, {10, 5}}));
  EXPECT_EQ(parts[1], (Polyline{{10, 8}, {5, 8}}));
  EXPECT_TRUE(clipLine({{20, 20}, {30, 30}}, box).empty());
}

TEST(Clipping, RingsAreCutToTheBoxAndVanishOutsideIt) {
  const Bounds box{0, 0, 10, 10};
  const Polyline ring = clipRing({{-5, -5}, {5, -5}, {5, 5}, {-5, 5}, {-5, -5}}, box);
  EXPECT_NEAR(std::fabs(signedArea(ring)), 25, 1e-9);
  for (const Vec& p : ring) EXPECT_TRUE(box.contains(p));
  EXPECT_TRUE(clipRing({{20, 20}, {30, 20}, {30, 30}}, box).empty());
}

TEST(InteriorPoint, LiesInsideAConcaveRing) {
  // A U open to the north: its box's middle is outside.
  const Polyline u = {{0, 0}, {0, 30}, {30, 30}, {30, 20}, {5, 20}, {5, 10}, {30, 10}, {30, 0}};
  EXPECT_FALSE(pointInPolygon(u, {15, 15}));
  EXPECT_TRUE(pointInPolygon(u, interiorPoint(u)));
}

}  // namespace
}  // namespace tikhomap::osm
