#include "search/name_fold.h"

#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/uscript.h>

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

#include "mapdata/cp1251.h"
#include "mapdata/transliteration.h"

namespace tikhomap {
namespace {

constexpr char32_t kSmallYo = 0x0451;  // ё
constexpr char32_t kSmallYe = 0x0435;  // е
constexpr char32_t kFirstCapitalA = 0x0410;
constexpr char32_t kLastCapitalYa = 0x042F;
constexpr char32_t kLastSmallYa = 0x044F;

// The code points of the map files' code page, the micro sign left out.
constexpr char32_t kLastCodePageCharacter = 0x2122;  // ™
const std::vector<bool>& plainCharacters() {
  static const std::vector<bool> plain = [] {
    std::vector<bool> out(kLastCodePageCharacter + 1);
    for (char32_t c = 0; c <= kLastCodePageCharacter; ++c) {
      out[c] = c != 0x00B5 && foldOrderWeight(c) < 0x100;
    }
    return out;
  }();
  return plain;
}

// The characters of the map files' code page fold by themselves, the same
// as the full rules fold them: capitals to small letters, every mark on a
// Cyrillic base kept, nothing else changed. Every name of those towns takes
// this path, so a search does not pay for the Unicode machinery. The micro
// sign is the one exception: it folds to the Greek mu.
bool foldsPlainly(char32_t c) {
  if (c < 0x80 || (c >= 0x0400 && c <= kLastSmallYa)) return true;
  const auto& plain = plainCharacters();
  return c < plain.size() && plain[c];
}

char32_t foldPlainly(char32_t c, YoFold yo) {
  if (c >= 'A' && c <= 'Z') return c + 0x20;
  if (c >= kFirstCapitalA && c <= kLastCapitalYa) return c + 0x20;
  if (c >= 0x0400 && c < kFirstCapitalA) c += 0x50;  // Ё, Ђ, Ї, Ў ...
  if (c == 0x0490) return 0x0491;                    // Ґ
  if (c == kSmallYo && yo == YoFold::kAsYe) return kSmallYe;
  return c;
}

struct Normalizers {
  const icu::Normalizer2* nfd = nullptr;
  const icu::Normalizer2* nfc = nullptr;
};

// ICU's normalizers are immutable process-wide instances: fetched once,
// shared by every search.
const Normalizers& normalizers() {
  static const Normalizers n = [] {
    Normalizers out;
    UErrorCode status = U_ZERO_ERROR;
    out.nfd = icu::Normalizer2::getNFDInstance(status);
    status = U_ZERO_ERROR;
    out.nfc = icu::Normalizer2::getNFCInstance(status);
    return out;
  }();
  return n;
}

// The Unicode path: full case folding, decomposition, the marks of every
// base letter but a Cyrillic one dropped, composition.
std::string foldFully(std::string_view utf8, YoFold yo) {
  const Normalizers& n = normalizers();
  icu::UnicodeString text;
  for (std::size_t pos = 0; pos < utf8.size();) text.append(UChar32(readCodePoint(utf8, pos)));
  text.foldCase(U_FOLD_CASE_DEFAULT);
  UErrorCode status = U_ZERO_ERROR;
  if (n.nfd != nullptr) text = n.nfd->normalize(text, status);
  icu::UnicodeString bare;
  bool cyrillicBase = false;
  for (int32_t i = 0; i < text.length();) {
    const UChar32 c = text.char32At(i);
    i += U16_LENGTH(c);
    if (u_charType(c) == U_NON_SPACING_MARK) {
      if (cyrillicBase) bare.append(c);
      continue;
    }
    UErrorCode scriptStatus = U_ZERO_ERROR;
    cyrillicBase = uscript_getScript(c, &scriptStatus) == USCRIPT_CYRILLIC;
    bare.append(c);
  }
  status = U_ZERO_ERROR;
  if (n.nfc != nullptr) bare = n.nfc->normalize(bare, status);
  std::string out;
  out.reserve(utf8.size());
  for (int32_t i = 0; i < bare.length();) {
    char32_t c = static_cast<char32_t>(bare.char32At(i));
    i += U16_LENGTH(c);
    if (c == kSmallYo && yo == YoFold::kAsYe) c = kSmallYe;
    // Latin letters of their own that no accent makes (ø, ł, đ, æ) are
    // typed as the plain letters the transliteration table gives them.
    if (c >= 0x80 && c < 0x250) {
      const std::string_view plain = latinTransliteration(c);
      if (!plain.empty()) {
        out += plain;
        continue;
      }
    }
    appendUtf8(out, c);
  }
  return out;
}

// The code points of the single-byte code page's upper half, with their
// bytes, in code point order.
using CodePageEntry = std::pair<char32_t, uint8_t>;
const std::array<CodePageEntry, 127>& codePageHalf() {
  static const std::array<CodePageEntry, 127> table = [] {
    std::array<CodePageEntry, 127> out{};
    std::size_t k = 0;
    for (int b = 0x80; b <= 0xFF; ++b) {
      const std::string utf8 = cp1251ToUtf8(std::string(1, static_cast<char>(b)));
      std::size_t pos = 0;
      const char32_t c = readCodePoint(utf8, pos);
      // The one unassigned byte reads as U+FFFD, which no name holds.
      if (c == kReplacement || k == out.size()) continue;
      out[k++] = {c, static_cast<uint8_t>(b)};
    }
    std::sort(out.begin(), out.end());
    return out;
  }();
  return table;
}

}  // namespace

char32_t readCodePoint(std::string_view utf8, std::size_t& pos) {
  if (pos >= utf8.size()) return 0;
  const DecodedChar d = decodeUtf8At(utf8, pos);
  pos += d.length;
  return d.c;
}

std::string_view firstCodePoints(std::string_view utf8, std::size_t count) {
  std::size_t pos = 0;
  for (std::size_t k = 0; k < count && pos < utf8.size(); ++k) readCodePoint(utf8, pos);
  return utf8.substr(0, pos);
}

std::string foldName(std::string_view utf8, YoFold yo) {
  std::string out;
  foldNameInto(utf8, out, yo);
  return out;
}

void foldNameInto(std::string_view utf8, std::string& out, YoFold yo) {
  // Plain folding never lengthens a character's bytes: the result is
  // written in place into storage the size of the text.
  const std::size_t size = utf8.size();
  out.resize(size);
  char* write = out.data();
  for (std::size_t pos = 0; pos < size;) {
    const auto lead = static_cast<unsigned char>(utf8[pos]);
    if (lead < 0x80) {
      *write++ = static_cast<char>(lead >= 'A' && lead <= 'Z' ? lead + 0x20 : lead);
      ++pos;
      continue;
    }
    std::size_t next = pos;
    char32_t c = 0;
    if (lead >= 0xC2 && lead <= 0xDF && pos + 1 < size &&
        (static_cast<unsigned char>(utf8[pos + 1]) & 0xC0) == 0x80) {
      c = (char32_t{lead & 0x1Fu} << 6) | (static_cast<unsigned char>(utf8[pos + 1]) & 0x3Fu);
      next = pos + 2;
    } else {
      c = readCodePoint(utf8, next);
    }
    if (!foldsPlainly(c)) {
      out = foldFully(utf8, yo);
      return;
    }
    const char32_t folded = foldPlainly(c, yo);
    if (folded < 0x800) {
      *write++ = static_cast<char>(0xC0 | (folded >> 6));
      *write++ = static_cast<char>(0x80 | (folded & 0x3F));
    } else {
      *write++ = static_cast<char>(0xE0 | (folded >> 12));
      *write++ = static_cast<char>(0x80 | ((folded >> 6) & 0x3F));
      *write++ = static_cast<char>(0x80 | (folded & 0x3F));
    }
    pos = next;
  }
  out.resize(static_cast<std::size_t>(write - out.data()));
}

uint32_t foldOrderWeight(char32_t c) {
  if (c < 0x80) return c;
  if (c >= kFirstCapitalA && c <= kLastSmallYa) return c - kFirstCapitalA + 0xC0;
  const auto& half = codePageHalf();
  const auto it = std::lower_bound(half.begin(), half.end(), CodePageEntry{c, 0});
  if (it != half.end() && it->first == c) return it->second;
  return 0x100 + static_cast<uint32_t>(c);
}

int compareFoldOrder(std::string_view a, std::string_view b) {
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < a.size() && j < b.size()) {
    const uint32_t wa = foldOrderWeight(readCodePoint(a, i));
    const uint32_t wb = foldOrderWeight(readCodePoint(b, j));
    if (wa != wb) return wa < wb ? -1 : 1;
  }
  if (i < a.size()) return 1;
  return j < b.size() ? -1 : 0;
}

int compareFoldedPrefix(std::string_view foldedName, std::string_view foldedPrefix) {
  return compareFoldOrder(firstCodePoints(foldedName, codePointCount(foldedPrefix)), foldedPrefix);
}

bool foldOrderLess(std::string_view a, std::string_view b) {
  return compareFoldOrder(foldName(a), foldName(b)) < 0;
}

}  // namespace tikhomap
