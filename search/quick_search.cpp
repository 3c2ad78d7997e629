#include "search/quick_search.h"

#include <unicode/uchar.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <span>

#include "mapdata/table_order.h"
#include "mapdata/text_rules.h"
#include "search/name_fold.h"
#include "search/name_matching.h"

namespace tikhomap {
namespace {

// UTF-8 bytes read at most: enough for kQuickQueryMaxChars characters of
// up to four bytes each, so a pasted page costs nothing.
constexpr std::size_t kMaxUtf8Bytes = 4 * kQuickQueryMaxChars;

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

bool isLetter(char32_t c) {
  if (c < 0x80) return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
  return u_isalpha(static_cast<UChar32>(c)) != 0;
}

// The first character of a text is a letter.
bool startsWithLetter(std::string_view text) {
  std::size_t pos = 0;
  return !text.empty() && isLetter(readCodePoint(text, pos));
}

std::string quickFold(std::string_view s) {
  return foldName(s, YoFold::kAsYe);
}

// Street types as people type them; the first spelling of each group is the
// short form reported by the parser. A street name carries a type when one
// of its words is any spelling of the group.
struct StreetType {
  std::vector<std::string> spellings;  // folded
};

const std::vector<StreetType>& streetTypes() {
  static const std::vector<StreetType> types = [] {
    const std::vector<std::vector<const char*>> utf8 = {
        {"ул.", "ул", "улица"},
        // "пр." is both проспект and проезд: a street of either type matches.
        {"просп.", "пр.", "пр", "пр-т", "просп", "проспект"},
        {"пер.", "пер", "переулок"},
        {"пл.", "пл", "площадь"},
        {"бульвар", "б-р", "бул.", "бульв."},
        {"шоссе", "ш."},
        {"наб.", "наб", "набережная"},
        {"проезд", "пр-д", "пр.", "пр"},
        {"спуск"},
        {"тупик", "туп."},
    };
    std::vector<StreetType> out;
    for (const auto& group : utf8) {
      StreetType t;
      for (const char* s : group) t.spellings.push_back(quickFold(s));
      out.push_back(std::move(t));
    }
    return out;
  }();
  return types;
}

// The street types a typed word may stand for: none, one, or (for "пр.")
// two.
std::vector<const StreetType*> typesOfWord(std::string_view word) {
  std::vector<const StreetType*> out;
  for (const StreetType& t : streetTypes()) {
    if (std::find(t.spellings.begin(), t.spellings.end(), word) != t.spellings.end()) {
      out.push_back(&t);
    }
  }
  return out;
}

// The short form reported for a typed type word: the group's first
// spelling, or the word itself when it stands for several types.
std::string typeShortForm(std::string_view word) {
  const std::vector<const StreetType*> types = typesOfWord(word);
  if (types.empty()) return {};
  return types.size() == 1 ? types.front()->spellings.front() : std::string(word);
}

bool isHouseWord(std::string_view word) {
  static const std::array<std::string_view, 4> words = {"д", "д.", "дом", "№"};
  return std::find(words.begin(), words.end(), word) != words.end();
}

bool isCyrillicLetter(char32_t c) {
  return (c >= 0x0410 && c <= 0x044F) || c == 0x0401 || c == 0x0451;
}

// Latin letters typed in a house number are read as the Russian letters
// they stand for ("14a" is 14а, "9k2" is 9к2); the input is already folded.
std::string cyrillicForLatin(std::string_view text) {
  static constexpr std::string_view from = "abvgdeziksc";
  static constexpr std::array<std::string_view, 11> to = {"а", "б", "в", "г", "д", "е",
                                                          "з", "и", "к", "с", "с"};
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    const std::size_t at = from.find(c);
    if (at == std::string_view::npos) {
      out.push_back(c);
    } else {
      out += to[at];
    }
  }
  return out;
}

// Words that stand for the block ("корпус") and building ("строение") parts
// of a house number, with the letter they are written as; a literal
// ("литера") is written as its letter alone.
struct HousePartWord {
  std::string spelling;
  std::string letter;
};

const std::vector<HousePartWord>& housePartWords() {
  static const std::vector<HousePartWord> words = [] {
    const std::vector<std::pair<const char*, const char*>> utf8 = {
        {"корпус", "к"}, {"корп", "к"},  {"к", "к"},    {"строение", "с"}, {"стр", "с"},
        {"с", "с"},      {"литера", ""}, {"литер", ""}, {"лит", ""},
    };
    std::vector<HousePartWord> out;
    for (const auto& [spelling, letter] : utf8) out.push_back({spelling, letter});
    return out;
  }();
  return words;
}

// Length in bytes of the Russian letters at the start of `text`.
std::size_t letterRun(std::string_view text) {
  std::size_t n = 0;
  while (n < text.size()) {
    std::size_t next = n;
    if (!isCyrillicLetter(readCodePoint(text, next))) break;
    n = next;
  }
  return n;
}

// The part word a letter run spells, or null.
const HousePartWord* housePartWord(std::string_view letters) {
  for (const HousePartWord& w : housePartWords()) {
    if (w.spelling == letters) return &w;
  }
  return nullptr;
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

bool carriesType(std::string_view name, std::span<const StreetType* const> types) {
  for (const std::string& word : splitWords(beforeQualifier(name))) {
    for (const StreetType* type : types) {
      if (std::find(type->spellings.begin(), type->spellings.end(), word) !=
          type->spellings.end()) {
        return true;
      }
    }
  }
  return false;
}

// Rows of the street table the street part names, best first. A typed
// street type keeps only the streets of that type, unless none of them
// has the name.
std::vector<int32_t> streetCandidates(const MapData& map, const QuickSearchIndex& index,
                                      std::string_view street, std::string_view typeShortForm) {
  if (street.empty()) return {};
  const std::vector<const StreetType*> types = typesOfWord(typeShortForm);
  struct Candidate {
    int rank;
    int32_t row;
    bool typed;
  };
  std::vector<Candidate> found;
  bool anyTyped = false;
  std::string own;
  for (std::size_t r = 0; r < map.streetNames.size(); ++r) {
    std::string_view name = index.foldedName(r);
    if (r >= index.foldedCount()) {
      own = quickFold(map.streetNames[r].name);
      name = own;
    }
    const MatchKind kind = matchStreet(name, street);
    if (kind == MatchKind::None) continue;
    const bool typed = !types.empty() && carriesType(name, types);
    anyTyped = anyTyped || typed;
    found.push_back({kind == MatchKind::Word ? 1 : 0, static_cast<int32_t>(r), typed});
  }
  std::stable_sort(found.begin(), found.end(),
                   [](const Candidate& a, const Candidate& b) { return a.rank < b.rank; });
  std::vector<int32_t> rows;
  rows.reserve(found.size());
  for (const Candidate& c : found) {
    if (!anyTyped || c.typed) rows.push_back(c.row);
  }
  return rows;
}

// A house number as the search compares it: folded, Latin letters read as
// Russian ones, blanks dropped, and the block and building words written as
// their letters, so that "9 корп. 2" and "9к2", or "31 / 1" and "31/1",
// are the same number.
std::string houseKey(std::string_view number) {
  const std::string text = cyrillicForLatin(quickFold(number));
  std::string key;
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t n = letterRun(std::string_view(text).substr(i));
    if (n == 0) {
      if (text[i] != ' ' && text[i] != '\t') key.push_back(text[i]);
      ++i;
      continue;
    }
    const std::string_view letters = std::string_view(text).substr(i, n);
    i += n;
    const HousePartWord* part = housePartWord(letters);
    if (part == nullptr) {
      key += letters;
      continue;
    }
    key += part->letter;
    if (i < text.size() && text[i] == '.') ++i;
  }
  return key;
}

struct House {
  int32_t row;
  std::string number;  // as stored, trimmed
  std::string key;     // houseKey of the number
};

// The numbered buildings of a street in house order; none for a street
// without a house list (kind 0).
std::vector<House> housesOf(const MapData& map, const QuickSearchIndex& index,
                            const StreetName& street) {
  std::vector<House> houses;
  if (street.kind == 0) return houses;
  for (const int32_t r : index.rowsOf(street.streetCode)) {
    std::string number(houseNumberText(map.buildings[r]));
    if (number.empty()) continue;
    std::string key = houseKey(number);
    houses.push_back({r, std::move(number), std::move(key)});
  }
  for (const int32_t i : index.furtherOf(street.streetCode)) {
    const FurtherAddress& a = map.furtherAddresses[static_cast<std::size_t>(i)];
    std::string number = a.number;
    std::string key = quickFold(number);
    houses.push_back({a.building, std::move(number), std::move(key)});
  }
  std::stable_sort(houses.begin(), houses.end(), [](const House& a, const House& b) {
    return compareHouseNumbers(a.key, b.key) < 0;
  });
  return houses;
}

// Odd or even by the number's leading digit run; -1 when it has none.
int parity(std::string_view number) {
  std::size_t i = 0;
  while (i < number.size() && isDigit(number[i])) ++i;
  return i == 0 ? -1 : (number[i - 1] - '0') % 2;
}

bool canShowAlone(const StreetName& street, const QuickSearchIndex& index) {
  return street.kind != 100 && index.hasLine(street.streetCode);
}

std::string houseLabel(const StreetName& street, std::string_view number) {
  std::string label = street.name;
  label += ", ";
  label += number;
  return label;
}

bool full(const QuickSearchResult& r) {
  return r.matches.size() >= static_cast<std::size_t>(kQuickMatchLimit);
}

void offerStreets(const MapData& map, const QuickSearchIndex& index,
                  std::span<const int32_t> candidates, QuickSearchResult& result) {
  for (const int32_t row : candidates) {
    if (full(result)) return;
    const StreetName& street = map.streetNames[row];
    if (!canShowAlone(street, index)) continue;
    result.matches.push_back({QuickMatch::Street, row, -1, street.name});
  }
}

void offerHouse(const MapData& map, int32_t streetRow, const House& h, QuickSearchResult& result) {
  if (full(result)) return;
  for (const QuickMatch& m : result.matches) {
    if (m.building == h.row) return;
  }
  result.matches.push_back(
      {QuickMatch::House, streetRow, h.row, houseLabel(map.streetNames[streetRow], h.number)});
}

void offerHouses(const MapData& map, int32_t streetRow, std::span<const House> houses,
                 std::string_view typed, QuickSearchResult& result) {
  for (const House& h : houses) {
    if (h.key.starts_with(typed)) offerHouse(map, streetRow, h, result);
  }
}

// The value of a number's leading digit run (at most nine digits are read).
long leadingValue(std::string_view number) {
  long value = 0;
  for (std::size_t i = 0; i < number.size() && i < 9 && isDigit(number[i]); ++i) {
    value = value * 10 + (number[i] - '0');
  }
  return value;
}

// The neighbours of a missing number on its side of the street: the miss
// names them, and the nearer one (the lower one when both are as near) is
// offered first, then the other.
QuickMiss offerNeighbours(const MapData& map, int32_t streetRow, std::span<const House> houses,
                          const std::string& typed, QuickSearchResult& result) {
  QuickMiss miss{streetRow, typed, std::nullopt, std::nullopt};
  const House* below = nullptr;
  const House* above = nullptr;
  const int side = parity(typed);
  for (const House& h : houses) {
    if (parity(h.key) != side) continue;
    const int order = compareHouseNumbers(h.key, typed);
    if (order < 0) below = &h;
    if (order > 0 && above == nullptr) above = &h;
  }
  if (below != nullptr) miss.below = below->number;
  if (above != nullptr) miss.above = above->number;
  const long value = leadingValue(typed);
  const auto distance = [value](const House* h) { return std::labs(leadingValue(h->key) - value); };
  if (below != nullptr && above != nullptr && distance(above) < distance(below)) {
    std::swap(below, above);
  }
  for (const House* h : {below, above}) {
    if (h != nullptr) offerHouse(map, streetRow, *h, result);
  }
  return miss;
}

// "№14а" and "д.14а" are the number 14а; "№" alone is a house word.
std::string withoutNumberSign(const std::string& word) {
  for (const std::string_view prefix : {std::string_view("№"), std::string_view("д.")}) {
    if (word.size() > prefix.size() && word.starts_with(prefix) && isDigit(word[prefix.size()])) {
      return word.substr(prefix.size());
    }
  }
  return word;
}

// A word that can belong to a house number: one that begins with a digit
// or a "/", a single letter, or a block or building word, alone or glued to
// its number ("к2", "корп.", "стр1").
bool isHousePart(std::string_view typed) {
  if (typed.empty()) return false;
  const std::string word = cyrillicForLatin(typed);
  if (isDigit(word.front()) || word.front() == '/') return true;
  if (codePointCount(word) == 1 && startsWithLetter(word)) return true;
  const std::size_t n = letterRun(word);
  if (n == 0 || housePartWord(std::string_view(word).substr(0, n)) == nullptr) return false;
  std::string_view rest = std::string_view(word).substr(n);
  if (rest.starts_with('.')) rest.remove_prefix(1);
  return rest.empty() || isDigit(rest.front());
}

}  // namespace

ParsedQuery parseQuickQuery(std::string_view query) {
  query = query.substr(0, std::min(query.size(), kMaxUtf8Bytes));
  const std::string folded = quickFold(firstCodePoints(query, kQuickQueryMaxChars));
  std::string text;
  for (std::size_t i = 0; i < folded.size(); ++i) {
    const char c = folded[i];
    if (static_cast<unsigned char>(c) < 0x20 || c == ',' || c == ';') {
      text.push_back(' ');
      continue;
    }
    text.push_back(c);
    if (c == '.' && startsWithLetter(std::string_view(folded).substr(i + 1))) text.push_back(' ');
  }

  ParsedQuery parsed;
  std::vector<std::string> words = splitWords(text);
  for (std::string& w : words) w = withoutNumberSign(w);
  const auto isNumber = [](const std::string& w) { return !w.empty() && isDigit(w.front()); };
  // The house number is the run of number words at the end that begins
  // with a digit: "9 к2", "31 / 1", "9 корп. 2", "14 а".
  std::size_t run = words.size();
  while (run > 0 && isHousePart(words[run - 1])) {
    // Of two numbers in a row the earlier belongs to the street ("Линия 2 5").
    if (run < words.size() && isNumber(words[run]) && isDigit(words[run - 1].back())) break;
    --run;
  }
  while (run < words.size() && !isNumber(words[run])) ++run;
  if (run < words.size()) {
    std::string number;
    for (std::size_t i = run; i < words.size(); ++i) number += words[i];
    parsed.house = houseKey(number);
    words.erase(words.begin() + static_cast<std::ptrdiff_t>(run), words.end());
    if (!words.empty() && isHouseWord(words.back())) words.pop_back();
  } else if (words.size() >= 2 && isNumber(words.front())) {
    parsed.house = houseKey(words.front());
    parsed.houseFirst = true;
    words.erase(words.begin());
  }
  while (!parsed.house.empty() && parsed.house.back() == '.') parsed.house.pop_back();
  std::erase_if(words, [](const std::string& w) { return w.empty(); });

  if (words.size() >= 2) {
    if (std::string t = typeShortForm(words.front()); !t.empty()) {
      parsed.streetType = std::move(t);
      words.erase(words.begin());
    } else if (std::string t2 = typeShortForm(words.back()); !t2.empty()) {
      parsed.streetType = std::move(t2);
      words.pop_back();
    }
  }
  parsed.street = joinWords(words);
  return parsed;
}

QuickSearchIndex::QuickSearchIndex(const MapData& map) {
  // Gathered in one pass, so that trying many candidate streets costs one
  // scan of the buildings for the whole map.
  const auto slot = [](std::vector<std::vector<int32_t>>& byCode, int32_t code) {
    if (byCode.size() <= static_cast<std::size_t>(code)) byCode.resize(std::size_t(code) + 1);
    return &byCode[static_cast<std::size_t>(code)];
  };
  for (std::size_t r = 0; r < map.buildings.size(); ++r) {
    const int32_t code = map.buildings[r].streetCode;
    if (indexableStreetCode(code)) slot(rows_, code)->push_back(static_cast<int32_t>(r));
  }
  for (std::size_t i = 0; i < map.furtherAddresses.size(); ++i) {
    const FurtherAddress& a = map.furtherAddresses[i];
    if (a.building < 0 || static_cast<std::size_t>(a.building) >= map.buildings.size()) continue;
    if (indexableStreetCode(a.streetCode)) {
      slot(further_, a.streetCode)->push_back(static_cast<int32_t>(i));
    }
  }
  folded_.reserve(map.streetNames.size());
  for (const StreetName& street : map.streetNames) {
    folded_.push_back(quickFold(street.name));
  }
  for (const MapFeature& line : map.streetLines) {
    if (!indexableStreetCode(line.code)) continue;
    if (lines_.size() <= static_cast<std::size_t>(line.code)) {
      lines_.resize(static_cast<std::size_t>(line.code) + 1);
    }
    lines_[static_cast<std::size_t>(line.code)] = true;
  }
}

std::span<const int32_t> QuickSearchIndex::rowsOf(int32_t code) const {
  if (code < 0 || static_cast<std::size_t>(code) >= rows_.size()) return {};
  return rows_[static_cast<std::size_t>(code)];
}

std::span<const int32_t> QuickSearchIndex::furtherOf(int32_t code) const {
  if (code < 0 || static_cast<std::size_t>(code) >= further_.size()) return {};
  return further_[static_cast<std::size_t>(code)];
}

std::string_view QuickSearchIndex::foldedName(std::size_t row) const {
  return row < folded_.size() ? std::string_view(folded_[row]) : std::string_view{};
}

bool QuickSearchIndex::hasLine(int32_t code) const {
  return code >= 0 && static_cast<std::size_t>(code) < lines_.size() &&
         lines_[static_cast<std::size_t>(code)];
}

QuickSearchResult quickSearch(const MapData& map, std::string_view queryUtf8) {
  return quickSearch(map, QuickSearchIndex(map), queryUtf8);
}

QuickSearchResult quickSearch(const MapData& map, const QuickSearchIndex& index,
                              std::string_view queryUtf8) {
  QuickSearchResult result;
  ParsedQuery q = parseQuickQuery(queryUtf8);

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
  if (q.houseFirst) candidates = streetCandidates(map, index, wholeText(), q.streetType);
  if (!candidates.empty()) {
    q.house.clear();
  } else {
    candidates = streetCandidates(map, index, q.street, q.streetType);
    if (candidates.empty() && !q.house.empty()) {
      candidates = streetCandidates(map, index, wholeText(), q.streetType);
      q.house.clear();
    }
  }
  if (candidates.empty()) return result;

  if (q.house.empty()) {
    offerStreets(map, index, candidates, result);
    for (const int32_t row : candidates) {
      const std::vector<House> houses = housesOf(map, index, map.streetNames[row]);
      if (houses.empty()) continue;
      offerHouses(map, row, houses, "", result);
      break;
    }
    return result;
  }

  // The first street with exactly the typed number; failing that, the
  // first with a number that begins with it; failing that, the first with
  // any house, for the neighbours of the miss.
  enum Fit { None, AnyHouse, Prefix, Exact };
  Fit bestFit = None;
  int32_t best = -1;
  std::vector<House> bestHouses;
  for (const int32_t row : candidates) {
    std::vector<House> houses = housesOf(map, index, map.streetNames[row]);
    if (houses.empty()) continue;
    Fit fit = AnyHouse;
    for (const House& h : houses) {
      if (h.key == q.house) {
        fit = Exact;
        break;
      }
      if (h.key.starts_with(q.house)) fit = Prefix;
    }
    if (fit > bestFit) {
      bestFit = fit;
      best = row;
      bestHouses = std::move(houses);
    }
    if (fit == Exact) break;
  }
  if (best < 0) {
    offerStreets(map, index, candidates, result);
    return result;
  }
  // A number the street lacks: its neighbours come first, then the numbers
  // that merely begin with the typed one.
  if (bestFit != Exact) result.miss = offerNeighbours(map, best, bestHouses, q.house, result);
  offerHouses(map, best, bestHouses, q.house, result);
  return result;
}

std::string quickMissText(const QuickMiss& miss) {
  std::string text = "нет дома " + miss.number;
  if (!miss.below && !miss.above) return text;
  text += "; рядом: ";
  if (miss.below) text += *miss.below;
  if (miss.below && miss.above) text += ", ";
  if (miss.above) text += *miss.above;
  return text;
}

}  // namespace tikhomap
