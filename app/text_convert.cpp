#include "app/text_convert.h"

#include "mapdata/cp1251.h"

namespace tikhomap {

QString fromCp1251(std::string_view cp1251) {
  return QString::fromStdU16String(cp1251ToUtf16(cp1251));
}

std::string toCp1251(const QString& text) {
  return utf8ToCp1251(text.toStdString());
}

}  // namespace tikhomap
