#include "search/quick_search.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "search/name_fold.h"

namespace tikhomap {
namespace {

struct ParseRow {
  const char* query;
  const char* street;
  const char* type;
  const char* house;
  bool houseFirst;
};

TEST(ParseQuickQuery, SplitsStreetTypeAndNumber) {
  const ParseRow rows[] = {
      {"Заречная 7", "заречная", "", "7", false},
      {"ул. Заречная, 7", "заречная", "ул.", "7", false},
      {"ул.Заречная,7", "заречная", "ул.", "7", false},
      {"7 Заречная", "заречная", "", "7", true},
      {"заречн 7к2", "заречн", "", "7к2", false},
      {"Заречная улица, д. 12А", "заречная", "ул.", "12а", false},
      {"Заречная 7/1", "заречная", "", "7/1", false},
      {"Заречная 7.", "заречная", "", "7", false},
      {"  ЗАРЕЧНАЯ \t  ул.  ", "заречная", "ул.", "", false},
      {"просп. Мира", "мира", "просп.", "", false},
      {"Мира пр-т 3", "мира", "просп.", "3", false},
      {"Лазурный б-р", "лазурный", "бульвар", "", false},
      {"Набережная", "набережная", "", "", false},  // the only word stays the street
      {"Зелёная", "зеленая", "", "", false},
      {"8 Марта", "марта", "", "8", true},
      {"12.5", "", "", "12.5", false},
      {"", "", "", "", false},
      {" ,;. ", ".", "", "", false},
  };
  for (const ParseRow& r : rows) {
    const ParsedQuery q = parseQuickQuery(std::string(r.query));
    EXPECT_EQ(q.street, std::string(r.street)) << r.query;
    EXPECT_EQ(q.streetType, std::string(r.type)) << r.query;
    EXPECT_EQ(q.house, std::string(r.house)) << r.query;
    EXPECT_EQ(q.houseFirst, r.houseFirst) << r.query;
  }
}

TEST(ParseQuickQuery, ReadsOnlyTheFirstBytesOfALongLine) {
  const std::string longLine = std::string("Заречная ") + std::string(10'000, 'x') + " 7";
  const ParsedQuery q = parseQuickQuery(longLine);
  EXPECT_EQ(q.house, "");
  EXPECT_LE(codePointCount(q.street), kQuickQueryMaxChars);
  EXPECT_TRUE(q.street.starts_with(std::string("заречная x")));
}

// A small city: streets in table order with their kind, and houses by street.
struct QuickCity {
  MapData map;

  QuickCity() {
    street(1, 1, "Заречная ул.", {"1", "3", "5", "7", "7к2", "11", "2", "4", "12а", "70", ""});
    street(2, 1, "Заречный пер.", {"1", "2"});
    street(3, 1, "Зелёная ул.", {"1", "3"}, false);  // no street line
    street(4, 1, "Ленина просп.", {"10"});
    street(5, 1, "Мира ул.", {"1"});
    street(6, 1, "Мира просп.", {"2"});
    street(7, 1, "Ново-Садовая ул.", {"4"});
    street(8, 1, "Садовая ул.", {"6"});
    street(9, 0, "Северное шоссе", {"5"});  // no house list
    street(10, 100, "Тихий тупик", {"3", "1"});
    street(11, 1, "Морская наб./Южный", {"1"});
    street(12, 1, "Южная ул.", {"9"});
    street(13, 1, "8 Марта ул.", {"5"});
    street(14, 1, "Ёлочная ул.", {"2"});
    // Two streets whose houses all begin with 1: "1" picks the second's.
    street(15, 1, "Яблоневая ул.", {"2", "4"});
    street(16, 1, "Яблоневый пер.", {"1", "13"});
    street(17, 1, "Суворова бульвар", {"7", "9к2", "13", "110"});
    street(18, 1, "Суворова ул.", {"18"});
    street(19, 1, "Партизан ул.", {"1", "7", "9", "81", "6", "10"});
    street(20, 1, "Тополиная ул.", {"9к2", "31/1", "14а", "9с1", "5 к1"});
    street(21, 1, "Цветной бульвар", {"1"});
    street(22, 1, "Цветной проезд", {"1"});
  }

  void street(int16_t code, int16_t kind, const char* name, std::vector<const char*> numbers,
              bool withLine = true) {
    StreetName s;
    s.kind = kind;
    s.streetCode = code;
    s.name = name;
    map.streetNames.push_back(s);
    if (withLine) {
      MapFeature line;
      line.code = code;
      line.pointCount = 2;
      line.points = {{100, 100}, {100, 200}};
      line.bounds = {100, 100, 100, 200};
      map.streetLines.push_back(line);
    }
    for (const char* number : numbers) {
      Building b;
      b.streetCode = code;
      b.houseNumber = number;
      map.buildings.push_back(b);
    }
  }

  QuickSearchResult find(const std::string& utf8) const { return quickSearch(map, utf8); }
};

std::vector<std::string> labels(const QuickSearchResult& r) {
  std::vector<std::string> out;
  for (const QuickMatch& m : r.matches) out.push_back(m.label);
  return out;
}

using Labels = std::vector<std::string>;

TEST(QuickSearch, EveryQueryFormFindsTheHouses) {
  const QuickCity city;
  const Labels sevens{"Заречная ул., 7", "Заречная ул., 7к2", "Заречная ул., 70"};
  for (const char* query : {"Заречная 7", "ул. Заречная, 7", "7 Заречная", "заречн 7",
                            "ЗАРЕЧНАЯ УЛ. 7", "Заречная улица, д. 7"}) {
    const QuickSearchResult r = city.find(query);
    EXPECT_EQ(labels(r), sevens) << query;
    EXPECT_FALSE(r.miss) << query;
  }
  const QuickSearchResult r = city.find("заречн 7К2");
  ASSERT_EQ(r.matches.size(), 1u);
  EXPECT_EQ(r.matches[0].kind, QuickMatch::House);
  EXPECT_EQ(r.matches[0].streetRow, 0);
  EXPECT_EQ(r.matches[0].building, 4);
  EXPECT_FALSE(r.miss);
}

TEST(QuickSearch, StreetAloneListsStreetsThenTheBestStreetsHouses) {
  const QuickCity city;
  const QuickSearchResult r = city.find("заречн");
  ASSERT_EQ(r.matches.size(), 10u);
  EXPECT_EQ(r.matches[0].kind, QuickMatch::Street);
  EXPECT_EQ(r.matches[0].building, -1);
  EXPECT_EQ(labels(r),
            (Labels{"Заречная ул.", "Заречный пер.", "Заречная ул., 1", "Заречная ул., 2",
                    "Заречная ул., 3", "Заречная ул., 4", "Заречная ул., 5", "Заречная ул., 7",
                    "Заречная ул., 7к2", "Заречная ул., 11"}));
  EXPECT_FALSE(r.miss);
}

TEST(QuickSearch, PrefixMatchesComeBeforeWordMatches) {
  const QuickCity city;
  EXPECT_EQ(labels(city.find("садов")),
            (Labels{"Садовая ул.", "Ново-Садовая ул.", "Садовая ул., 6"}));
  // A word after the "/" qualifier is a district, not a street name.
  EXPECT_EQ(labels(city.find("южн")), (Labels{"Южная ул.", "Южная ул., 9"}));
  // A typed street type puts the streets of that type first.
  EXPECT_EQ(labels(city.find("Мира")), (Labels{"Мира ул.", "Мира просп.", "Мира ул., 1"}));
}

TEST(QuickSearch, ATypedStreetTypeKeepsOnlyStreetsOfThatType) {
  const QuickCity city;
  const struct {
    const char* query;
    Labels labels;
  } rows[] = {
      {"просп. Мира", {"Мира просп.", "Мира просп., 2"}},
      {"Суворова бульвар",
       {"Суворова бульвар", "Суворова бульвар, 7", "Суворова бульвар, 9к2", "Суворова бульвар, 13",
        "Суворова бульвар, 110"}},
      // "пр." is проспект or проезд.
      {"Цветной пр. 1", {"Цветной проезд, 1"}},
      // No проспект is named so: every type is a candidate again.
      {"Цветной просп. 1", {"Цветной бульвар, 1"}},
  };
  for (const auto& row : rows) EXPECT_EQ(labels(city.find(row.query)), row.labels) << row.query;
  // The boulevard has no 18: the note is the boulevard's, though the
  // street of another type has one.
  const QuickSearchResult r = city.find("Суворова бульвар 18");
  ASSERT_TRUE(r.miss);
  EXPECT_EQ(r.miss->streetRow, 16);
  EXPECT_EQ(labels(r), (Labels{"Суворова бульвар, 110"}));
}

TEST(QuickSearch, OnlyRealMatchesNeverTheNearestStreet) {
  const QuickCity city;
  for (const char* query : {"Заречнаяя", "Жуковского", "Щ", "яя", "Заречнаяя 7"}) {
    const QuickSearchResult r = city.find(query);
    EXPECT_TRUE(r.matches.empty()) << query;
    EXPECT_FALSE(r.miss) << query;
  }
  // The street exists, the house does not, and no number begins with "5а";
  // its only house is on the other side.
  const QuickSearchResult r = city.find("Ленина 5а");
  EXPECT_TRUE(r.matches.empty());
  ASSERT_TRUE(r.miss);
  EXPECT_EQ(r.miss->streetRow, 3);
  EXPECT_FALSE(r.miss->below);
  EXPECT_FALSE(r.miss->above);
}

TEST(QuickSearch, StreetKindsAndLines) {
  const QuickCity city;
  // Kind 0: shown alone, never a house list, even with a number typed.
  EXPECT_EQ(labels(city.find("Северное")), (Labels{"Северное шоссе"}));
  EXPECT_EQ(labels(city.find("Северное шоссе 5")), (Labels{"Северное шоссе"}));
  // Kind 100 cannot be shown alone, but its houses can.
  EXPECT_EQ(labels(city.find("Тихий")), (Labels{"Тихий тупик, 1", "Тихий тупик, 3"}));
  // A street without a line cannot be shown alone either.
  EXPECT_EQ(labels(city.find("Зелен")), (Labels{"Зелёная ул., 1", "Зелёная ул., 3"}));
  // ё and е are the same letter to the quick search.
  EXPECT_EQ(labels(city.find("елочная")), (Labels{"Ёлочная ул.", "Ёлочная ул., 2"}));
  // A number that belongs to the name is read as part of it.
  EXPECT_EQ(labels(city.find("8 Марта")), (Labels{"8 Марта ул.", "8 Марта ул., 5"}));
  EXPECT_EQ(labels(city.find("8 марта 5")), (Labels{"8 Марта ул., 5"}));
}

TEST(QuickSearch, BestStreetIsTheFirstWithAMatchingHouse) {
  const QuickCity city;
  const QuickSearchResult r = city.find("Яблонев 1");
  EXPECT_EQ(labels(r), (Labels{"Яблоневый пер., 1", "Яблоневый пер., 13"}));
  EXPECT_FALSE(r.miss);
}

TEST(QuickSearch, MissingNumberGivesNeighboursOnTheSameSide) {
  const QuickCity city;
  struct Row {
    const char* query;
    const char* below;  // nullptr: none
    const char* above;
    const char* text;
  };
  const Row rows[] = {
      {"Заречная 9", "7к2", "11", "нет дома 9; рядом: 7к2, 11"},
      {"Заречная 10", "4", "12а", "нет дома 10; рядом: 4, 12а"},
      {"Заречная 99", "11", nullptr, "нет дома 99; рядом: 11"},    // beyond the last house
      {"Заречная 100", "70", nullptr, "нет дома 100; рядом: 70"},  // even side
      {"Заречная 0", nullptr, "2", "нет дома 0; рядом: 2"},
      {"Заречный 3", "1", nullptr, "нет дома 3; рядом: 1"},
  };
  for (const Row& row : rows) {
    const QuickSearchResult r = city.find(row.query);
    ASSERT_TRUE(r.miss) << row.query;
    EXPECT_EQ(r.miss->below, row.below ? std::optional(std::string(row.below)) : std::nullopt)
        << row.query;
    EXPECT_EQ(r.miss->above, row.above ? std::optional(std::string(row.above)) : std::nullopt)
        << row.query;
    EXPECT_EQ(quickMissText(*r.miss), row.text);
  }
  // "1" is missing on no street here, but "7" begins three numbers and is
  // itself present: no miss. "12" is missing while "12а" begins with it.
  const QuickSearchResult twelve = city.find("Заречная 12");
  ASSERT_TRUE(twelve.miss);
  EXPECT_EQ(twelve.miss->streetRow, 0);
  EXPECT_EQ(twelve.miss->below, std::string("4"));
  EXPECT_EQ(twelve.miss->above, std::string("12а"));
  EXPECT_EQ(quickMissText(QuickMiss{0, std::string("9"), {}, {}}), "нет дома 9");
}

TEST(QuickSearch, AMissingNumberOffersTheNearerNeighbourFirstThenLongerNumbers) {
  const QuickCity city;
  const struct {
    const char* query;
    Labels labels;
  } rows[] = {
      // Both two away: the lower first; 110 merely begins with 11.
      {"Суворова 11", {"Суворова бульвар, 9к2", "Суворова бульвар, 13", "Суворова бульвар, 110"}},
      {"Партизан 8", {"Партизан ул., 6", "Партизан ул., 10", "Партизан ул., 81"}},
      {"Партизан 3", {"Партизан ул., 1", "Партизан ул., 7"}},
      {"Партизан 5", {"Партизан ул., 7", "Партизан ул., 1"}},
      {"Заречная 12", {"Заречная ул., 12а", "Заречная ул., 4"}},
  };
  for (const auto& row : rows) {
    const QuickSearchResult r = city.find(row.query);
    EXPECT_TRUE(r.miss) << row.query;
    EXPECT_EQ(labels(r), row.labels) << row.query;
  }
}

TEST(QuickSearch, HouseNumbersAsPeopleTypeThem) {
  const QuickCity city;
  const std::pair<const char*, const char*> rows[] = {
      {"Тополиная 9 к2", "9к2"},   {"Тополиная 9 корп. 2", "9к2"}, {"Тополиная 9K2", "9к2"},
      {"Тополиная 9 k2", "9к2"},   {"Тополиная 9к 2", "9к2"},      {"Тополиная 31 / 1", "31/1"},
      {"Тополиная №14а", "14а"},   {"Тополиная № 14а", "14а"},     {"Тополиная д.14а", "14а"},
      {"Тополиная 14a", "14а"},    {"Тополиная 14 А", "14а"},      {"Тополиная 9 стр. 1", "9с1"},
      {"Тополиная 9 стр1", "9с1"}, {"Тополиная 5к1", "5 к1"},  // stored with a blank
  };
  for (const auto& [query, number] : rows) {
    const QuickSearchResult r = city.find(query);
    ASSERT_FALSE(r.matches.empty()) << query;
    EXPECT_EQ(r.matches[0].label, std::string("Тополиная ул., ") + number) << query;
    EXPECT_FALSE(r.miss) << query;
  }
  // Of two numbers in a row the earlier belongs to the street.
  EXPECT_EQ(parseQuickQuery(std::string("Заречная 7 8")).house, "8");
}

TEST(QuickSearch, UnmappableCharactersMatchNothingAndNeverBreak) {
  const QuickCity city;
  for (const char* query : {"Café", "Zürich 7", "😀", "Заречная 😀", "\xff\xfe\xc3", "\xe2\x82"}) {
    const QuickSearchResult r = city.find(query);
    EXPECT_TRUE(r.matches.empty()) << query;
  }
  // The emoji glued to the number: no such house, still its side.
  const QuickSearchResult r = city.find("Заречная 9😀");
  EXPECT_EQ(labels(r), (Labels{"Заречная ул., 7к2", "Заречная ул., 11"}));
  ASSERT_TRUE(r.miss);
  EXPECT_EQ(r.miss->number, "9😀");
  EXPECT_EQ(r.miss->above, std::string("11"));
}

TEST(QuickSearch, NamesFoldAcrossScripts) {
  QuickCity city;
  city.street(30, 1, "Städtle", {"7"});
  city.street(31, 1, "Їжакова ул.", {"3"});
  city.street(32, 1, "Οδός Ερμού", {"5"});
  const std::pair<const char*, int16_t> rows[] = {{"stadtle 7", 30},    {"STÄDTLE 7", 30},
                                                  {"їжакова 3", 31},    {"ЇЖАК 3", 31},
                                                  {"οδος ερμου 5", 32}, {"ΕΡΜΟΥ 5", 32}};
  for (const auto& [query, code] : rows) {
    const QuickSearchResult r = city.find(query);
    ASSERT_FALSE(r.matches.empty()) << query;
    EXPECT_EQ(r.matches[0].kind, QuickMatch::House) << query;
    EXPECT_EQ(city.map.buildings[static_cast<size_t>(r.matches[0].building)].streetCode, code)
        << query;
  }
}

TEST(QuickSearch, LongPastedLinesAreCut) {
  const QuickCity city;
  std::string spaces = "Заречная 7" + std::string(10'000, ' ');
  EXPECT_EQ(city.find(spaces).matches.size(), 3u);

  std::string letters = "Заречная ";
  for (int i = 0; i < 10'000; ++i) letters += "я";
  EXPECT_TRUE(city.find(letters).matches.empty());

  // The first 63 characters are read, whatever comes after them.
  std::string padded = "Заречная";
  while (padded.size() < 200) padded += "   ";
  padded += "7";
  EXPECT_EQ(labels(city.find(padded)).size(), 10u);  // the street alone
}

TEST(QuickSearch, EmptyAndBlankQueriesFindNothing) {
  const QuickCity city;
  for (const char* query : {"", " ", "   \t\r\n", ", ; ,", "д. ", "."}) {
    const QuickSearchResult r = city.find(query);
    EXPECT_TRUE(r.matches.empty()) << query;
    EXPECT_FALSE(r.miss) << query;
  }
  // A type word alone is kept as the street part: it is a word of many names.
  EXPECT_EQ(labels(city.find("просп.")),
            (Labels{"Ленина просп.", "Мира просп.", "Ленина просп., 10"}));
  EXPECT_TRUE(quickSearch(MapData{}, "Заречная 7").matches.empty());
}

}  // namespace
}  // namespace tikhomap
