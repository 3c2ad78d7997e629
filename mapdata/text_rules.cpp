#include "mapdata/text_rules.h"

#include <cstring>

namespace tikhomap {
namespace {

constexpr unsigned char kCapitalYo = 0xA8;  // Ё
constexpr unsigned char kSmallYo = 0xB8;    // ё
constexpr unsigned char kCapitalA = 0xC0;   // А
constexpr unsigned char kCapitalYa = 0xDF;  // Я

bool isTrailingBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

}  // namespace

char foldCase(char c) {
  const auto b = static_cast<unsigned char>(c);
  if (b >= 'A' && b <= 'Z') return static_cast<char>(b + 0x20);
  if (b >= kCapitalA && b <= kCapitalYa) return static_cast<char>(b + 0x20);
  if (b == kCapitalYo) return static_cast<char>(kSmallYo);
  return c;
}

void foldCase(char* text) {
  for (; *text != '\0'; ++text) *text = foldCase(*text);
}

void foldCase(std::string& text) {
  for (char& c : text) c = foldCase(c);
}

std::string_view trimmedText(std::string_view text) {
  size_t begin = 0;
  while (begin < text.size() && text[begin] == ' ') ++begin;
  size_t end = text.size();
  while (end > begin && isTrailingBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

int trimText(char* text) {
  const std::string_view kept = trimmedText(text);
  const size_t n = kept.size();
  if (kept.data() != text && n > 0) std::memmove(text, kept.data(), n);
  text[n] = '\0';
  return static_cast<int>(n);
}

int trimText(std::string& text) {
  text = std::string(trimmedText(text));
  return static_cast<int>(text.size());
}

}  // namespace tikhomap
