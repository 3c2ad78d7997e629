#include "search/name_matching.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "mapdata/cp1251.h"
#include "search/name_fold.h"

namespace tikhomap {
namespace {

TEST(IsPlainNumber, NumberCharacterSetAndLeadingSignOrSpace) {
  struct Row {
    const char* text;
    bool plain;
  };
  const Row rows[] = {
      {"-5", true},   {"12.5", true},  {"1.2.3", true},  {".", true},
      {"", true},     {"   ", true},   {"  7", true},    {"-", true},
      {"12а", false}, {"12 а", false}, {"12-14", false}, {"5 ", false},
      {"- 5", false}, {"12/1", false}, {"+5", false},    {"\t5", false},
  };
  for (const Row& r : rows) EXPECT_EQ(isPlainNumber(std::string(r.text)), r.plain) << r.text;
}

TEST(CompareHouseNumbers, Order) {
  struct Row {
    const char* a;
    const char* b;
    int result;
  };
  const Row rows[] = {
      {"2", "10", -1},    {"10", "2", 1},      {"10а", "10", 1},
      {"10", "10а", -1},  {"12а", "12/1", -1}, {"12/1", "12а", 1},
      {"7", "7", 0},      {"12.5", "12", 0},   {"12", "12.0", 0},
      {"", "5", -1},      {"5", "", 1},        {"", "", 0},
      {"10а", "10б", -1}, {"2а", "10", -1},    {"-5", "3", -1},
      {"12b", "12а", 1},  {"12а", "12А", 1},   {"10к2", "10к10", -1},
      {"а", "б", -1},     {"012а", "12а", 1},  // equal runs are walked by a's digits: b ends first
      {"  5", "5", 0},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(compareHouseNumbers(std::string(r.a), std::string(r.b)), r.result)
        << r.a << " vs " << r.b;
  }
}

TEST(CompareHouseNumbers, DigitRunsBeyond32BitsSaturateInsteadOfWrapping) {
  struct Row {
    const char* a;
    const char* b;
    int result;
  };
  const Row rows[] = {
      {"2147483647", "2147483646", 1},
      {"2147483648", "1", 1},    // one past the limit: would wrap negative
      {"4294967296", "1", 1},    // 2^32: would wrap to 0
      {"4294967297а", "2а", 1},  // 2^32 + 1 in a digit run
      {"-2147483649", "-2147483648", 0},
      {"-99999999999999999999", "0", -1},
      {"9999999999999999999999999999999", "2147483647", 0},  // 31 digits typed
      {"99999999999", "99999999998", 0},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(compareHouseNumbers(std::string(r.a), std::string(r.b)), r.result)
        << r.a << " vs " << r.b;
  }
}

TEST(CompareHouseNumbers, StopsAtAnEmbeddedNul) {
  const std::string a("12\0zz", 5);
  EXPECT_EQ(compareHouseNumbers(a, "12"), 0);
  EXPECT_EQ(compareHouseNumbers("12а", std::string("12\0", 3)), 1);
}

HouseListEntry entry(const char* utf8, int16_t building, int16_t spare = 0) {
  HouseListEntry e;
  e.text = utf8;
  e.building = building;
  e.spare = spare;
  return e;
}

std::vector<std::string> texts(const std::vector<HouseListEntry>& list) {
  std::vector<std::string> out;
  for (const HouseListEntry& e : list) out.push_back(e.text);
  return out;
}

TEST(SortHouseList, SortsByNumberBeforeTheCommaAndSwapsWholeEntries) {
  std::vector<HouseListEntry> list = {entry("10, школа №3", 1, 11), entry("2", 2, 12),
                                      entry("10а", 3, 13),          entry("1", 4, 14),
                                      entry("12/1", 5, 15),         entry("12а, аптека", 6, 16)};
  sortHouseList(list);
  EXPECT_EQ(texts(list),
            (std::vector<std::string>{"1", "2", "10, школа №3", "10а", "12а, аптека", "12/1"}));
  const int16_t buildings[] = {4, 2, 1, 3, 6, 5};
  for (size_t i = 0; i < list.size(); ++i) {
    EXPECT_EQ(list[i].building, buildings[i]);
    EXPECT_EQ(list[i].spare, buildings[i] + 10);
  }
}

TEST(SortHouseList, EarliestOfEqualKeysBecomesTheMinimum) {
  std::vector<HouseListEntry> list = {entry("5, a", 1), entry("3", 2), entry("5, b", 3)};
  sortHouseList(list);
  EXPECT_EQ(list[0].building, 2);
  EXPECT_EQ(list[1].building, 1);
  EXPECT_EQ(list[2].building, 3);
  std::vector<HouseListEntry> none;
  sortHouseList(none);
}

std::vector<StreetName> streets(std::initializer_list<const char*> names) {
  std::vector<StreetName> out;
  int16_t code = 1;
  for (const char* n : names) {
    StreetName s;
    s.name = n;
    s.streetCode = code++;
    out.push_back(s);
  }
  return out;
}

TEST(FindStreetRow, PrefixSubstringAndFallback) {
  const std::vector<StreetName> table =
      streets({"Абрикосовая", "Береговая", "Морская", "Садовая", "Южная"});
  struct Row {
    const char* typed;
    int row;
    const char* what;
  };
  const Row rows[] = {
      {"мор", 2, "prefix"},
      {"МОРСКАЯ", 2, "prefix, capitals folded"},
      {"Мор", 2, "prefix, mixed case"},
      {"дова", 1, "four characters: no substring scan, the earlier neighbour"},
      {"довая", 3, "five characters: found inside a name"},
      {"в", 1, "between two names: the earlier"},
      {"ящик", -1, "after every name"},
      {"аа", -1, "before the first name"},
      {"южная улица", -1, "longer than every name"},
      {"", 0, "empty text matches the first name"},
  };
  for (const Row& r : rows) EXPECT_EQ(findStreetRow(table, std::string(r.typed)), r.row) << r.what;
  EXPECT_EQ(findStreetRow({}, std::string("мор")), -1);
}

TEST(FindStreetRow, SubstringScanStartsAtFiveCharacters) {
  const std::vector<StreetName> table = streets({"Гаражная", "Морская наб.", "Ясная"});
  EXPECT_EQ(findStreetRow(table, std::string("ская")), 1);   // stop row 2 ("ясная") minus one
  EXPECT_EQ(findStreetRow(table, std::string("ская ")), 1);  // found inside "морская наб."
  EXPECT_EQ(findStreetRow(table, std::string("ражна")), 0);
  EXPECT_EQ(findStreetRow(table, std::string("ражн")), 1);
}

TEST(FindStreetRow, YoIsNotYe) {
  const std::vector<StreetName> table = streets({"Ёлочная", "Еловая"});
  // Ё folds to ё (0xB8 in the code page), which sorts before е (0xE5).
  EXPECT_EQ(findStreetRow(table, std::string("ЁЛ")), 0);
  EXPECT_EQ(findStreetRow(table, std::string("ел")), 1);
}

TEST(FindHouseRow, FirstEntryAtOrAfterTheTypedNumber) {
  const std::vector<HouseListEntry> list = {entry("1", 0),          entry("2", 1),  entry("10", 2),
                                            entry("10а, школа", 3), entry("12", 4), entry("45", 5)};
  struct Row {
    const char* typed;
    int row;
  };
  const Row rows[] = {{"1", 0},  {"2", 1},  {"10", 2}, {"10А", 3}, {"10а", 3},
                      {"11", 4}, {"99", 5}, {"45", 5}, {"46", 5},  {"4", 5}};
  for (const Row& r : rows) EXPECT_EQ(findHouseRow(list, std::string(r.typed)), r.row) << r.typed;
  EXPECT_EQ(findHouseRow({}, std::string("1")), -1);
  const std::vector<HouseListEntry> high = {entry("3", 0), entry("12", 1)};
  EXPECT_EQ(findHouseRow(high, std::string("1")), 0);  // 3 already sorts after 1
}

TEST(MatchesObjectName, Modes) {
  std::string search = std::string("  ШКОЛА \r\n");
  prepareObjectSearch(search);
  EXPECT_EQ(search, std::string("школа"));
  const std::string school = std::string("Школа №5");
  const std::string middle = std::string("Средняя школа");
  EXPECT_TRUE(matchesObjectName(school, search, NameMatchMode::kBeginsWith));
  EXPECT_FALSE(matchesObjectName(middle, search, NameMatchMode::kBeginsWith));
  EXPECT_TRUE(matchesObjectName(middle, search, NameMatchMode::kContains));
  EXPECT_FALSE(matchesObjectName(std::string("Шко"), search, NameMatchMode::kBeginsWith));
  EXPECT_FALSE(matchesObjectName(std::string("Аптека"), search, NameMatchMode::kContains));
  // A search as long as the whole name is held in it; one letter more is not.
  EXPECT_TRUE(matchesObjectName(std::string("Школа"), search, NameMatchMode::kContains));
  EXPECT_TRUE(matchesObjectName(std::string("Школа"), search, NameMatchMode::kBeginsWith));
  EXPECT_FALSE(matchesObjectName(std::string("Школ"), search, NameMatchMode::kContains));
  std::string blank = "   ";
  prepareObjectSearch(blank);
  EXPECT_TRUE(blank.empty());
  EXPECT_TRUE(matchesObjectName(std::string("Аптека"), blank, NameMatchMode::kBeginsWith));
  EXPECT_TRUE(matchesObjectName("", blank, NameMatchMode::kContains));
  std::string yo = std::string("ёл");
  prepareObjectSearch(yo);
  EXPECT_TRUE(matchesObjectName(std::string("Ёлка"), yo, NameMatchMode::kBeginsWith));
  EXPECT_FALSE(matchesObjectName(std::string("Елка"), yo, NameMatchMode::kBeginsWith));
}

TEST(FoldName, CaseAndAccentsFoldWithinAScriptButCyrillicKeepsItsLetters) {
  struct Row {
    const char* text;
    YoFold yo;
    const char* folded;
  };
  const Row rows[] = {
      {"Städtle", YoFold::kKeep, "stadtle"},
      {"Ερμού", YoFold::kKeep, "ερμου"},
      {"ΟΔΌΣ", YoFold::kKeep, "οδοσ"},  // final and medial sigma fold alike
      {"Straße", YoFold::kKeep, "strasse"},
      {"Øster Allé", YoFold::kKeep, "oster alle"},  // letters of their own by the table
      {"Łódź Æbelø", YoFold::kKeep, "lodz aebelo"},
      {"İzmir", YoFold::kKeep, "izmir"},
      {"e\xCC\x81tage", YoFold::kKeep, "etage"},  // a decomposed accent
      {"ЙОДНАЯ", YoFold::kKeep, "йодная"},
      {"Ёлочная", YoFold::kKeep, "ёлочная"},
      {"Ёлочная", YoFold::kAsYe, "елочная"},
      {"Ёлка Й café", YoFold::kKeep, "ёлка й cafe"},  // Cyrillic beside accents
      {"Ёлка Й café", YoFold::kAsYe, "елка й cafe"},
      {"Ўсход Її", YoFold::kKeep, "ўсход її"},
      {"北京路 12А", YoFold::kKeep, "北京路 12а"},
      {"\xCC\x81\xCC\x81", YoFold::kKeep, ""},  // marks without a letter
      {"a\xFF\xC3(", YoFold::kKeep, "a\uFFFD\uFFFD("},
      {"\xC0\xAF\xED\xA0\x80", YoFold::kKeep, "\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},
  };
  for (const Row& r : rows) EXPECT_EQ(foldName(r.text, r.yo), r.folded) << r.text;
  // Every character of the code page folds alone as it folds beside one
  // that needs the full rules.
  for (int b = 0x20; b <= 0xFF; ++b) {
    const std::string c = cp1251ToUtf8(std::string(1, static_cast<char>(b)));
    for (const YoFold yo : {YoFold::kKeep, YoFold::kAsYe}) {
      EXPECT_EQ(foldName(c + "é", yo), foldName(c, yo) + "e") << b;
    }
  }
}

TEST(MatchesObjectName, FoldsNamesOfEveryScript) {
  struct Row {
    const char* typed;
    const char* name;
    bool found;
  };
  const Row rows[] = {
      {"stadtle", "Städtle", true},     {"STÄDTLE", "Stadtle", true},
      {"ερμου", "Οδός Ερμού", true},    {"ermou", "Οδός Ερμού", false},
      {"strasse", "Hauptstraße", true}, {"иод", "Йодная", false},
      {"йод", "ЙОДНАЯ", true},          {"елка", "Ёлка", false},
      {"їжак", "Їжакова", true},        {"\xFF", "Abc", false},
  };
  for (const Row& r : rows) {
    std::string search = r.typed;
    prepareObjectSearch(search);
    EXPECT_EQ(matchesObjectName(r.name, search, NameMatchMode::kContains), r.found)
        << r.typed << " in " << r.name;
  }
}

TEST(FoldOrder, RussianNamesKeepTheirByteOrderAndOtherScriptsFollow) {
  const std::vector<std::string> ordered = {
      "Abbey Road", "Øster Allé", "Städtle", "Straße",     "Ёлочная", "Абрикосовая",
      "Еловая",     "Ясная",      "Ερμού",   "Οδός Ερμού", "北京路",
  };
  std::vector<std::string> names(ordered.rbegin(), ordered.rend());
  std::stable_sort(names.begin(), names.end(), foldOrderLess);
  EXPECT_EQ(names, ordered);
  std::rotate(names.begin(), names.begin() + 4, names.end());
  std::stable_sort(names.begin(), names.end(), foldOrderLess);
  EXPECT_EQ(names, ordered);
  // Folded Russian text orders as its code page bytes, unsigned.
  for (const char* a : {"ёж", "абв", "я", "№5", "a"}) {
    for (const char* b : {"ёж", "абв", "я", "№5", "a"}) {
      const std::string ca = utf8ToCp1251(a), cb = utf8ToCp1251(b);
      EXPECT_EQ(compareFoldOrder(a, b) < 0,
                std::lexicographical_compare(ca.begin(), ca.end(), cb.begin(), cb.end(),
                                             [](char x, char y) {
                                               return static_cast<unsigned char>(x) <
                                                      static_cast<unsigned char>(y);
                                             }))
          << a << " " << b;
    }
  }
}

TEST(FindStreetRow, FoldsNamesOfEveryScript) {
  // In fold order: Latin, then the code page's Ukrainian letters, then Russian.
  const std::vector<StreetName> table = streets({"Städtle", "Їжакова", "Иволга", "Йодная"});
  struct Row {
    const char* typed;
    int row;
  };
  const Row rows[] = {{"stadtle", 0}, {"STÄDTLE", 0}, {"їжак", 1},
                      {"ЇЖАКОВА", 1}, {"йод", 3},     {"иод", 2}};
  for (const Row& r : rows) EXPECT_EQ(findStreetRow(table, r.typed), r.row) << r.typed;
}

TEST(CompareHouseNumbers, UnicodeLettersSortAfterTheCodePage) {
  EXPECT_EQ(compareHouseNumbers("12β", "12/1"), 1);
  EXPECT_EQ(compareHouseNumbers("12а", "12β"), -1);
  EXPECT_EQ(compareHouseNumbers("12\xFF", "12\xFF"), 0);
}

}  // namespace
}  // namespace tikhomap
