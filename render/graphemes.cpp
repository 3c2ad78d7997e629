#include "render/graphemes.h"

#include <unicode/ubrk.h>
#include <unicode/uchar.h>

#include "mapdata/utf8_text.h"

namespace tikhomap {
namespace {

// Characters that steer the direction of what follows or break the line:
// left out of drawn text, so that a name cannot turn the rest of a label
// around or draw nothing where it should stand.
bool leftOut(char32_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x061C || c == 0x200E || c == 0x200F ||
         (c >= 0x2028 && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

// Characters that never join a neighbour into one cluster: the letters and
// signs of the eleven files' code page, Latin, Greek and Cyrillic without
// combining marks. Line feed is left out (it joins a carriage return).
bool standsAlone(char32_t c) {
  return (c != '\n' && c < 0x300) || (c >= 0x370 && c <= 0x482) || (c >= 0x48A && c <= 0x52F) ||
         (c >= 0x2010 && c <= 0x205F) || (c >= 0x20A0 && c <= 0x20CF) ||
         (c >= 0x2100 && c <= 0x214F) || c == kReplacement;
}

// One character-break iterator per drawing thread, opened on first use.
class BreakIterator {
 public:
  ~BreakIterator() {
    if (it_ != nullptr) ubrk_close(it_);
  }
  UBreakIterator* on(const std::u16string& text) {
    UErrorCode status = U_ZERO_ERROR;
    if (it_ == nullptr) {
      it_ = ubrk_open(UBRK_CHARACTER, "", nullptr, 0, &status);
      if (U_FAILURE(status)) {
        it_ = nullptr;
        return nullptr;
      }
    }
    status = U_ZERO_ERROR;
    ubrk_setText(it_, reinterpret_cast<const UChar*>(text.data()),
                 static_cast<int32_t>(text.size()), &status);
    return U_FAILURE(status) ? nullptr : it_;
  }

 private:
  UBreakIterator* it_ = nullptr;
};

}  // namespace

std::string drawableText(std::string_view bytes) {
  bool plain = true;
  for (const char ch : bytes) {
    const auto b = static_cast<unsigned char>(ch);
    if (b < 0x20 || b >= 0x7F) {
      plain = false;
      break;
    }
  }
  if (plain) return std::string(bytes);
  std::string out;
  out.reserve(bytes.size());
  for (size_t pos = 0; pos < bytes.size();) {
    const DecodedChar d = decodeUtf8At(bytes, pos);
    if (!leftOut(d.c)) appendUtf8(out, d.c);
    pos += d.length;
  }
  return out;
}

std::vector<uint32_t> graphemeBounds(std::string_view utf8) {
  std::vector<uint32_t> bounds;
  bounds.reserve(utf8.size() + 1);
  bool simple = true;
  for (size_t pos = 0; pos < utf8.size();) {
    const DecodedChar d = decodeUtf8At(utf8, pos);
    simple = simple && standsAlone(d.c);
    bounds.push_back(static_cast<uint32_t>(pos));
    pos += d.length;
  }
  bounds.push_back(static_cast<uint32_t>(utf8.size()));
  if (simple) return bounds;

  // The text in UTF-16 for the break iterator, each unit remembering the
  // byte where its character starts.
  std::u16string text;
  std::vector<uint32_t> byteAt;
  text.reserve(utf8.size());
  byteAt.reserve(utf8.size() + 1);
  for (size_t k = 0; k + 1 < bounds.size(); ++k) {
    char32_t c = decodeUtf8At(utf8, bounds[k]).c;
    if (c >= 0x10000) {
      c -= 0x10000;
      text.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
      text.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
      byteAt.push_back(bounds[k]);
    } else {
      text.push_back(static_cast<char16_t>(c));
    }
    byteAt.push_back(bounds[k]);
  }
  byteAt.push_back(static_cast<uint32_t>(utf8.size()));

  static thread_local BreakIterator iterator;
  UBreakIterator* it = iterator.on(text);
  if (it == nullptr) return bounds;  // without ICU's rules, one per character
  std::vector<uint32_t> clusters{0};
  for (int32_t at = ubrk_following(it, 0); at != UBRK_DONE; at = ubrk_next(it)) {
    if (at <= 0 || static_cast<size_t>(at) > text.size()) break;
    clusters.push_back(byteAt[static_cast<size_t>(at)]);
  }
  if (clusters.back() != utf8.size()) clusters.push_back(static_cast<uint32_t>(utf8.size()));
  if (utf8.empty()) clusters.resize(1);
  return clusters;
}

size_t graphemeCount(std::string_view utf8) {
  return graphemeBounds(utf8).size() - 1;
}

bool isWideCluster(std::string_view cluster) {
  if (cluster.empty()) return false;
  const char32_t c = decodeUtf8At(cluster, 0).c;
  if (c < 0x1100) return false;
  const int width = u_getIntPropertyValue(static_cast<UChar32>(c), UCHAR_EAST_ASIAN_WIDTH);
  return width == U_EA_WIDE || width == U_EA_FULLWIDTH;
}

bool hasRightToLeft(std::string_view utf8) {
  for (size_t pos = 0; pos < utf8.size();) {
    const DecodedChar d = decodeUtf8At(utf8, pos);
    pos += d.length;
    if (d.c < 0x590) continue;
    const UCharDirection dir = u_charDirection(static_cast<UChar32>(d.c));
    if (dir == U_RIGHT_TO_LEFT || dir == U_RIGHT_TO_LEFT_ARABIC) return true;
  }
  return false;
}

std::string cutToGraphemes(std::string_view bytes, size_t maxClusters) {
  std::string text = drawableText(bytes);
  const std::vector<uint32_t> bounds = graphemeBounds(text);
  if (bounds.size() - 1 <= maxClusters) return text;
  if (maxClusters == 0) return {};
  text.resize(bounds[maxClusters - 1]);
  text += "\u2026";
  return text;
}

std::string cutToWidth(std::string_view bytes, double room) {
  std::string text = drawableText(bytes);
  const std::vector<uint32_t> bounds = graphemeBounds(text);
  const auto width = [&](size_t c) {
    return isWideCluster(std::string_view(text).substr(bounds[c], bounds[c + 1] - bounds[c])) ? 2.0
                                                                                              : 1.0;
  };
  double used = 0;
  size_t fits = 0;  // letters that fit with "…" after them
  for (size_t c = 0; c + 1 < bounds.size(); ++c) {
    used += width(c);
    if (used + 1 <= room) fits = c + 1;
    if (used > room) {
      if (room < 1) return {};
      text.resize(bounds[fits]);
      text += "\u2026";
      return text;
    }
  }
  return text;
}

}  // namespace tikhomap
