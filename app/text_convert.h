// Text to and from the toolkit's strings: the model's UTF-8, and the cp1251
// bytes the searches still compare.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace tikhomap {

// A text of the model.
inline QString fromUtf8(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

QString fromCp1251(std::string_view cp1251);
// What a person typed, in the map's code page; characters it has no byte
// for become '?'.
std::string toCp1251(const QString& text);

}  // namespace tikhomap
