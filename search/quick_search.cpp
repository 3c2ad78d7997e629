#include "search/quick_search.h"

#include <algorithm>
#include <array>
#include <span>

#include "mapdata/cp1251.h"
#include "mapdata/text_rules.h"
#include "search/name_matching.h"

namespace tikhomap {
namespace {

constexpr char kSmallYo = static_cast<char>(0xB8);  // ё
constexpr char kSmallYe = static_cast<char>(0xE5);  // е

// UTF-8 bytes read before conversion: enough for kQuickQueryMaxBytes
// characters of up to four bytes each, so a pasted page costs nothing.
constexpr std::size_t kMaxUtf8Bytes = 4 * kQuickQueryMaxBytes;

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

bool isLetter(char c) {
  const auto b = static_cast<unsigned char>(c);
  return (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || b >= 0xC0 || b == 0xA8 || b == 0xB8;
}

char quickFold(char c) {
  const char f = foldCase(c);
  return f == kSmallYo ? kSmallYe : f;
}

std::string quickFold(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = quickFold(c);
  return out;
}

// Street types as people type them; the first spelling of each group is the
// short form reported by the parser. A street name carries a type when one
// of its words is any spelling of the group.
struct StreetType {
  std::vector<std::string> spellings;  // cp1251, folded
};

const std::vector<StreetType>& streetTypes() {
  static const std::vector<StreetType> types = [] {
    const std::vector<std::vector<const char*>> utf8 = {
        {"ул.", "ул", "улица"},
        {"просп.", "пр.", "пр", "пр-т", "просп", "проспект"},
        {"пер.", "пер", "переулок"},
        {"пл.", "пл", "площадь"},
        {"бульвар", "б-р", "бул.", "бульв."},
        {"шоссе", "ш."},
        {"наб.", "наб", "набережная"},
        {"проезд", "пр-д"},
        {"спуск"},
        {"тупик", "туп."},
    };
    std::vector<StreetType> out;
    for (const auto& group : utf8) {
      StreetType t;
      for (const char* s : group) t.spellings.push_back(quickFold(utf8ToCp1251(s)));
      out.push_back(std::move(t));
    }
    return out;
  }();
  return types;
}

const StreetType* typeOfWord(std::string_view word) {
  for (const StreetType& t : streetTypes()) {
    if (std::find(t.spellings.begin(), t.spellings.end(), word) != t.spellings.end()) return &t;
  }
  return nullptr;
}

bool isHouseWord(std::string_view word) {
  static const std::array<std::string, 3> words = {utf8ToCp1251("д"), utf8ToCp1251("д."),
                                                   utf8ToCp1251("дом")};
  return std::find(words.begin(), words.end(), word) != words.end();
}

std::vector<std::string> splitWords(std::string_view text) {
  std::vector<std::string> words;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && text[i] == ' ') ++i;
    const std::size_t start = i;
    while (i < text.size() && text[i] != ' ') ++i;
    if (i > start) words.emplace_back(text.substr(start, i - start));
  }
  return words;
}

std::string joinWords(std::span<const std::string> words) {
  std::string out;
  for (const std::string& w : words) {
    if (!out.empty()) out.push_back(' ');
    out += w;
  }
  return out;
}

// Cuts UTF-8 text at most `limit` bytes in, never inside a character.
std::string_view cutUtf8(std::string_view s, std::size_t limit) {
  if (s.size() <= limit) return s;
  std::size_t cut = limit;
  while (cut > 0 && (static_cast<unsigned char>(s[cut]) & 0xC0) == 0x80) --cut;
  return s.substr(0, cut);
}

// The part of a folded street name before its "/" qualifier.
std::string_view beforeQualifier(std::string_view name) {
  return name.substr(0, name.find('/'));
}

enum class MatchKind { Prefix, Word, None };

MatchKind matchStreet(std::string_view name, std::string_view street) {
  if (name.starts_with(street)) return MatchKind::Prefix;
  const std::string_view main = beforeQualifier(name);
  for (std::size_t p = 1; p < main.size(); ++p) {
    const char before = main[p - 1];
    if (before != ' ' && before != '-' && before != '.') continue;
    if (main[p] == ' ') continue;
    if (name.substr(p).starts_with(street)) return MatchKind::Word;
  }
  return MatchKind::None;
}

bool carriesType(std::string_view name, const StreetType& type) {
  for (const std::string& word : splitWords(beforeQualifier(name))) {
    if (std::find(type.spellings.begin(), type.spellings.end(), word) != type.spellings.end()) {
      return true;
    }
  }
  return false;
}

// Rows of the street table the street part names, best first.
std::vector<int32_t> streetCandidates(const MapData& map, std::string_view street,
                                      std::string_view typeShortForm) {
  if (street.empty()) return {};
  const StreetType* type = typeShortForm.empty() ? nullptr : typeOfWord(typeShortForm);
  struct Candidate {
    int rank;
    int32_t row;
  };
  std::vector<Candidate> found;
  for (std::size_t r = 0; r < map.streetNames.size(); ++r) {
    const std::string name = quickFold(fieldText(map.streetNames[r].name));
    const MatchKind kind = matchStreet(name, street);
    if (kind == MatchKind::None) continue;
    const bool typeMissing = type != nullptr && !carriesType(name, *type);
    found.push_back(
        {(kind == MatchKind::Word ? 2 : 0) + (typeMissing ? 1 : 0), static_cast<int32_t>(r)});
  }
  std::stable_sort(found.begin(), found.end(),
                   [](const Candidate& a, const Candidate& b) { return a.rank < b.rank; });
  std::vector<int32_t> rows;
  rows.reserve(found.size());
  for (const Candidate& c : found) rows.push_back(c.row);
  return rows;
}

std::string_view trimmedNumber(const Building& b) {
  std::string_view n = fieldText(b.houseNumber);
  while (!n.empty() && n.front() == ' ') n.remove_prefix(1);
  while (!n.empty() &&
         (n.back() == ' ' || n.back() == '\t' || n.back() == '\r' || n.back() == '\n')) {
    n.remove_suffix(1);
  }
  return n;
}

struct House {
  int32_t row;
  std::string_view number;  // as stored, trimmed
  std::string folded;
};

// Rows of the building table by street code, gathered in one pass so that
// trying many candidate streets costs one scan of the buildings.
class BuildingsByStreet {
 public:
  explicit BuildingsByStreet(const MapData& map) {
    for (std::size_t r = 0; r < map.buildings.size(); ++r) {
      const int code = map.buildings[r].streetCode;
      if (code < 0) continue;
      if (rows_.size() <= static_cast<std::size_t>(code)) rows_.resize(code + 1);
      rows_[code].push_back(static_cast<int32_t>(r));
    }
    for (std::size_t i = 0; i < map.furtherAddresses.size(); ++i) {
      const FurtherAddress& a = map.furtherAddresses[i];
      if (a.building < 0 || static_cast<std::size_t>(a.building) >= map.buildings.size()) continue;
      if (further_.size() <= static_cast<std::size_t>(a.streetCode))
        further_.resize(a.streetCode + 1);
      further_[a.streetCode].push_back(static_cast<int32_t>(i));
    }
  }
  std::span<const int32_t> rowsOf(int code) const {
    if (code < 0 || static_cast<std::size_t>(code) >= rows_.size()) return {};
    return rows_[code];
  }
  // Entries of MapData::furtherAddresses on the street.
  std::span<const int32_t> furtherOf(int code) const {
    if (code < 0 || static_cast<std::size_t>(code) >= further_.size()) return {};
    return further_[code];
  }

 private:
  std::vector<std::vector<int32_t>> rows_;
  std::vector<std::vector<int32_t>> further_;
};

// The numbered buildings of a street in house order; none for a street
// without a house list (kind 0).
std::vector<House> housesOf(const MapData& map, const BuildingsByStreet& index,
                            const StreetName& street) {
  std::vector<House> houses;
  if (street.kind == 0) return houses;
  for (const int32_t r : index.rowsOf(street.streetCode)) {
    const std::string_view number = trimmedNumber(map.buildings[r]);
    if (number.empty()) continue;
    houses.push_back({r, number, quickFold(number)});
  }
  for (const int32_t i : index.furtherOf(street.streetCode)) {
    const FurtherAddress& a = map.furtherAddresses[static_cast<std::size_t>(i)];
    houses.push_back({a.building, a.number, quickFold(a.number)});
  }
  std::stable_sort(houses.begin(), houses.end(), [](const House& a, const House& b) {
    return compareHouseNumbers(a.folded, b.folded) < 0;
  });
  return houses;
}

// Odd or even by the number's leading digit run; -1 when it has none.
int parity(std::string_view number) {
  std::size_t i = 0;
  while (i < number.size() && isDigit(number[i])) ++i;
  return i == 0 ? -1 : (number[i - 1] - '0') % 2;
}

bool canShowAlone(const StreetName& street, const std::vector<bool>& hasLine) {
  const int code = street.streetCode;
  return street.kind != 100 && code >= 0 && code < static_cast<int>(hasLine.size()) &&
         hasLine[code];
}

std::string houseLabel(const StreetName& street, std::string_view number) {
  std::string label(fieldText(street.name));
  label += ", ";
  label += number;
  return label;
}

bool full(const QuickSearchResult& r) {
  return r.matches.size() >= static_cast<std::size_t>(kQuickMatchLimit);
}

void offerStreets(const MapData& map, std::span<const int32_t> candidates,
                  QuickSearchResult& result) {
  std::vector<bool> hasLine;
  for (const MapFeature& line : map.streetLines) {
    if (line.code < 0) continue;
    if (hasLine.size() <= static_cast<std::size_t>(line.code)) hasLine.resize(line.code + 1);
    hasLine[line.code] = true;
  }
  for (const int32_t row : candidates) {
    if (full(result)) return;
    const StreetName& street = map.streetNames[row];
    if (!canShowAlone(street, hasLine)) continue;
    result.matches.push_back({QuickMatch::Street, row, -1, std::string(fieldText(street.name))});
  }
}

void offerHouses(const MapData& map, int32_t streetRow, std::span<const House> houses,
                 std::string_view typed, QuickSearchResult& result) {
  const StreetName& street = map.streetNames[streetRow];
  for (const House& h : houses) {
    if (full(result)) return;
    if (!h.folded.starts_with(typed)) continue;
    result.matches.push_back({QuickMatch::House, streetRow, h.row, houseLabel(street, h.number)});
  }
}

QuickMiss missOf(int32_t streetRow, std::span<const House> houses, const std::string& typed) {
  QuickMiss miss{streetRow, typed, std::nullopt, std::nullopt};
  const int side = parity(typed);
  for (const House& h : houses) {
    if (parity(h.folded) != side) continue;
    const int order = compareHouseNumbers(h.folded, typed);
    if (order < 0) miss.below = std::string(h.number);
    if (order > 0 && !miss.above) miss.above = std::string(h.number);
  }
  return miss;
}

}  // namespace

ParsedQuery parseQuickQuery(std::string_view query) {
  query = query.substr(0, std::min(query.size(), kQuickQueryMaxBytes));
  std::string text;
  for (std::size_t i = 0; i < query.size(); ++i) {
    const char c = query[i];
    if (static_cast<unsigned char>(c) < 0x20 || c == ',' || c == ';') {
      text.push_back(' ');
      continue;
    }
    text.push_back(quickFold(c));
    if (c == '.' && i + 1 < query.size() && isLetter(query[i + 1])) text.push_back(' ');
  }

  ParsedQuery parsed;
  std::vector<std::string> words = splitWords(text);
  const auto isNumber = [](const std::string& w) { return isDigit(w.front()); };
  if (!words.empty() && isNumber(words.back())) {
    parsed.house = words.back();
    words.pop_back();
    if (!words.empty() && isHouseWord(words.back())) words.pop_back();
  } else if (words.size() >= 2 && isNumber(words.front())) {
    parsed.house = words.front();
    parsed.houseFirst = true;
    words.erase(words.begin());
  }
  while (!parsed.house.empty() && parsed.house.back() == '.') parsed.house.pop_back();

  if (words.size() >= 2) {
    if (const StreetType* t = typeOfWord(words.front())) {
      parsed.streetType = t->spellings.front();
      words.erase(words.begin());
    } else if (const StreetType* t2 = typeOfWord(words.back())) {
      parsed.streetType = t2->spellings.front();
      words.pop_back();
    }
  }
  parsed.street = joinWords(words);
  return parsed;
}

QuickSearchResult quickSearch(const MapData& map, std::string_view queryUtf8) {
  QuickSearchResult result;
  ParsedQuery q = parseQuickQuery(utf8ToCp1251(cutUtf8(queryUtf8, kMaxUtf8Bytes)));

  // A number may belong to the name ("8 Марта"): a leading number is read
  // as part of the street when some name begins that way; a trailing one
  // only when the street part alone names no street.
  const auto wholeText = [&q] {
    std::string whole = q.houseFirst ? q.house : q.street;
    const std::string& rest = q.houseFirst ? q.street : q.house;
    if (!whole.empty() && !rest.empty()) whole.push_back(' ');
    return whole + rest;
  };
  std::vector<int32_t> candidates;
  if (q.houseFirst) candidates = streetCandidates(map, wholeText(), q.streetType);
  if (!candidates.empty()) {
    q.house.clear();
  } else {
    candidates = streetCandidates(map, q.street, q.streetType);
    if (candidates.empty() && !q.house.empty()) {
      candidates = streetCandidates(map, wholeText(), q.streetType);
      q.house.clear();
    }
  }
  if (candidates.empty()) return result;
  const BuildingsByStreet index(map);

  if (q.house.empty()) {
    offerStreets(map, candidates, result);
    for (const int32_t row : candidates) {
      const std::vector<House> houses = housesOf(map, index, map.streetNames[row]);
      if (houses.empty()) continue;
      offerHouses(map, row, houses, "", result);
      break;
    }
    return result;
  }

  // The first street with a house whose number begins with the typed one;
  // failing that, the first with any house, for the neighbours of the miss.
  int32_t best = -1;
  std::vector<House> bestHouses;
  for (const int32_t row : candidates) {
    std::vector<House> houses = housesOf(map, index, map.streetNames[row]);
    if (houses.empty()) continue;
    const bool matches = std::any_of(houses.begin(), houses.end(),
                                     [&](const House& h) { return h.folded.starts_with(q.house); });
    if (best < 0 || matches) {
      best = row;
      bestHouses = std::move(houses);
    }
    if (matches) break;
  }
  if (best < 0) {
    offerStreets(map, candidates, result);
    return result;
  }
  offerHouses(map, best, bestHouses, q.house, result);
  const bool exact = std::any_of(bestHouses.begin(), bestHouses.end(),
                                 [&](const House& h) { return h.folded == q.house; });
  if (!exact) result.miss = missOf(best, bestHouses, q.house);
  return result;
}

std::string quickMissText(const QuickMiss& miss) {
  std::string text = utf8ToCp1251("нет дома ") + miss.number;
  if (!miss.below && !miss.above) return text;
  text += utf8ToCp1251("; рядом: ");
  if (miss.below) text += *miss.below;
  if (miss.below && miss.above) text += ", ";
  if (miss.above) text += *miss.above;
  return text;
}

}  // namespace tikhomap
