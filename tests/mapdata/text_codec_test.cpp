#include <gtest/gtest.h>

#include "mapdata/cp1251.h"
#include "mapdata/text_rules.h"
#include "mapdata/utf8_text.h"

namespace tikhomap {
namespace {

TEST(Cp1251, DecodesTheWholeHighHalf) {
  EXPECT_EQ(cp1251ToUtf8("\xC0\xFF\xA8\xB8"), "АяЁё");
  EXPECT_EQ(cp1251ToUtf8("\xB9 \xAB\xBB \x96\x97"), "№ «» –—");
  EXPECT_EQ(cp1251ToUtf8("\x88"), "€");
  EXPECT_EQ(cp1251ToUtf8("\x98"), "\xEF\xBF\xBD");  // the one unassigned byte
  EXPECT_EQ(cp1251ToUtf16("A\xC1\xB9"), u"AБ№");
}

TEST(Cp1251, EveryAssignedByteSurvivesTheRoundTrip) {
  for (int b = 1; b < 256; ++b) {
    if (b == 0x98) continue;
    const std::string one(1, static_cast<char>(b));
    EXPECT_EQ(utf8ToCp1251(cp1251ToUtf8(one)), one) << "byte " << b;
  }
}

TEST(Cp1251, UnmappableAndMalformedBecomeQuestionMarks) {
  EXPECT_EQ(utf8ToCp1251("a中b"), "a?b");
  EXPECT_EQ(utf8ToCp1251("\xC3"), "?");              // cut sequence
  EXPECT_EQ(utf8ToCp1251("\xC0\x80x"), "?x");        // overlong NUL
  EXPECT_EQ(utf8ToCp1251("\xF0\x9F\x98\x80"), "?");  // outside the plane
  EXPECT_EQ(utf8ToCp1251("Тихоморск"), "\xD2\xE8\xF5\xEE\xEC\xEE\xF0\xF1\xEA");
}

TEST(SanitizedUtf8, RepairsDropsAndCutsWhatComesFromOutside) {
  const std::string fffd = "\xEF\xBF\xBD";
  const std::string longName(300, 'a');
  struct Case {
    std::string in;
    size_t maxBytes;
    std::string out;
    bool repaired;
  };
  const Case cases[] = {
      {"Städtle Οδός Ερμού 北京路 😀", 256, "Städtle Οδός Ερμού 北京路 😀", false},
      {"a\xC3", 256, "a" + fffd, true},                            // cut sequence
      {"\xC0\x80x", 256, fffd + fffd + "x", true},                 // overlong NUL
      {"\xE0\x80\xAF", 256, fffd + fffd + fffd, true},             // overlong '/'
      {"\xED\xA0\x80", 256, fffd + fffd + fffd, true},             // lone surrogate
      {"\xF4\x90\x80\x80", 256, fffd + fffd + fffd + fffd, true},  // past U+10FFFF
      {"\xFF\x80", 256, fffd + fffd, true},
      {"a\tb\r\nc\x7F\xC2\x85"
       "d",
       256, "abcd", true},  // C0, DEL, C1 (U+0085)
      {"\xE2\x80\xAE"
       "evil\xE2\x81\xA6x\xE2\x81\xA9",
       256, "evilx", true},                                          // U+202E, U+2066/9
      {"\xE2\x80\x8D\xCC\x81", 256, "\xE2\x80\x8D\xCC\x81", false},  // ZWJ, a lone mark stay
      {longName, 256, std::string(256, 'a'), true},
      {"ab\xD0\x96", 3, "ab", true},  // cut before a character that does not fit
      {"\xE5\x8C\x97\xE4\xBA\xAC", 5, "\xE5\x8C\x97", true},
  };
  for (const Case& c : cases) {
    bool repaired = !c.repaired;
    EXPECT_EQ(sanitizedUtf8(c.in, c.maxBytes, &repaired), c.out) << c.in;
    EXPECT_EQ(repaired, c.repaired) << c.in;
  }
}

TEST(FoldCase, FoldsLatinAndCyrillicCapitalsOnly) {
  std::string s = utf8ToCp1251("УЛИЦА Ёлочная Abc № -1");
  foldCase(s);
  EXPECT_EQ(cp1251ToUtf8(s), "улица ёлочная abc № -1");
  // Ё folds to ё and never to е; small letters and the other bytes stay.
  EXPECT_EQ(foldCase('\xA8'), '\xB8');
  EXPECT_NE(foldCase('\xA8'), '\xE5');
  for (int b = 0; b < 256; ++b) {
    const char c = static_cast<char>(b);
    const bool capital = (b >= 'A' && b <= 'Z') || (b >= 0xC0 && b <= 0xDF) || b == 0xA8;
    if (!capital) {
      EXPECT_EQ(foldCase(c), c) << b;
    }
  }
  char buffer[] = "\xDF\xC0Z";
  foldCase(buffer);
  EXPECT_STREQ(buffer, "\xFF\xE0z");
}

TEST(TrimText, RemovesLeadingSpacesAndTrailingBlanks) {
  char a[] = "  12\xE0 \r\n";
  EXPECT_EQ(trimText(a), 3);
  EXPECT_STREQ(a, "12\xE0");
  char spaces[] = "   ";
  EXPECT_EQ(trimText(spaces), 0);
  EXPECT_STREQ(spaces, "");
  char tab[] = "\tx\t";
  EXPECT_EQ(trimText(tab), 2);  // a leading tab is not a leading blank
  EXPECT_STREQ(tab, "\tx");
  std::string s = " a b  \n";
  EXPECT_EQ(trimText(s), 3);
  EXPECT_EQ(s, "a b");
}

}  // namespace
}  // namespace tikhomap
