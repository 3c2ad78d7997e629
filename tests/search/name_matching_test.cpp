#include "search/name_matching.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "mapdata/cp1251.h"

namespace tikhomap {
namespace {

std::string cp(const char* utf8) {
  return utf8ToCp1251(utf8);
}

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
  for (const Row& r : rows) EXPECT_EQ(isPlainNumber(cp(r.text)), r.plain) << r.text;
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
    EXPECT_EQ(compareHouseNumbers(cp(r.a), cp(r.b)), r.result) << r.a << " vs " << r.b;
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
    EXPECT_EQ(compareHouseNumbers(cp(r.a), cp(r.b)), r.result) << r.a << " vs " << r.b;
  }
}

TEST(CompareHouseNumbers, StopsAtAnEmbeddedNul) {
  const std::string a("12\0zz", 5);
  EXPECT_EQ(compareHouseNumbers(a, "12"), 0);
  EXPECT_EQ(compareHouseNumbers("12а", std::string("12\0", 3)), 1);
}

HouseListEntry entry(const char* utf8, int16_t building, int16_t spare = 0) {
  HouseListEntry e;
  const std::string text = cp(utf8);
  std::memcpy(e.text, text.data(), std::min(text.size(), sizeof e.text - 1));
  e.building = building;
  e.spare = spare;
  return e;
}

std::vector<std::string> texts(const std::vector<HouseListEntry>& list) {
  std::vector<std::string> out;
  for (const HouseListEntry& e : list) out.push_back(cp1251ToUtf8(fieldText(e.text)));
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
  for (const Row& r : rows) EXPECT_EQ(findStreetRow(table, cp(r.typed)), r.row) << r.what;
  EXPECT_EQ(findStreetRow({}, cp("мор")), -1);
}

TEST(FindStreetRow, SubstringScanStartsAtFiveCharacters) {
  const std::vector<StreetName> table = streets({"Гаражная", "Морская наб.", "Ясная"});
  EXPECT_EQ(findStreetRow(table, cp("ская")), 1);   // stop row 2 ("ясная") minus one
  EXPECT_EQ(findStreetRow(table, cp("ская ")), 1);  // found inside "морская наб."
  EXPECT_EQ(findStreetRow(table, cp("ражна")), 0);
  EXPECT_EQ(findStreetRow(table, cp("ражн")), 1);
}

TEST(FindStreetRow, YoIsNotYe) {
  const std::vector<StreetName> table = streets({"Ёлочная", "Еловая"});
  // Ё folds to ё (0xB8), which sorts before е (0xE5) in byte order.
  EXPECT_EQ(findStreetRow(table, cp("ЁЛ")), 0);
  EXPECT_EQ(findStreetRow(table, cp("ел")), 1);
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
  for (const Row& r : rows) EXPECT_EQ(findHouseRow(list, cp(r.typed)), r.row) << r.typed;
  EXPECT_EQ(findHouseRow({}, cp("1")), -1);
  const std::vector<HouseListEntry> high = {entry("3", 0), entry("12", 1)};
  EXPECT_EQ(findHouseRow(high, cp("1")), 0);  // 3 already sorts after 1
}

TEST(MatchesObjectName, Modes) {
  std::string search = cp("  ШКОЛА \r\n");
  prepareObjectSearch(search);
  EXPECT_EQ(search, cp("школа"));
  const std::string school = cp("Школа №5");
  const std::string middle = cp("Средняя школа");
  EXPECT_TRUE(matchesObjectName(school, search, NameMatchMode::kBeginsWith));
  EXPECT_FALSE(matchesObjectName(middle, search, NameMatchMode::kBeginsWith));
  EXPECT_TRUE(matchesObjectName(middle, search, NameMatchMode::kContains));
  EXPECT_FALSE(matchesObjectName(cp("Шко"), search, NameMatchMode::kBeginsWith));
  EXPECT_FALSE(matchesObjectName(cp("Аптека"), search, NameMatchMode::kContains));
  // A search as long as the whole name is held in it; one letter more is not.
  EXPECT_TRUE(matchesObjectName(cp("Школа"), search, NameMatchMode::kContains));
  EXPECT_TRUE(matchesObjectName(cp("Школа"), search, NameMatchMode::kBeginsWith));
  EXPECT_FALSE(matchesObjectName(cp("Школ"), search, NameMatchMode::kContains));
  std::string blank = "   ";
  prepareObjectSearch(blank);
  EXPECT_TRUE(blank.empty());
  EXPECT_TRUE(matchesObjectName(cp("Аптека"), blank, NameMatchMode::kBeginsWith));
  EXPECT_TRUE(matchesObjectName("", blank, NameMatchMode::kContains));
  std::string yo = cp("ёл");
  prepareObjectSearch(yo);
  EXPECT_TRUE(matchesObjectName(cp("Ёлка"), yo, NameMatchMode::kBeginsWith));
  EXPECT_FALSE(matchesObjectName(cp("Елка"), yo, NameMatchMode::kBeginsWith));
}

}  // namespace
}  // namespace tikhomap
