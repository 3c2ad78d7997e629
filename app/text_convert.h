// Map text (cp1251 bytes) to and from the toolkit's strings.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace tikhomap {

QString fromCp1251(std::string_view cp1251);
// What a person typed, in the map's code page; characters it has no byte
// for become '?'.
std::string toCp1251(const QString& text);

}  // namespace tikhomap
