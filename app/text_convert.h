// The model's UTF-8 text as the toolkit's strings.
#pragma once

#include <QString>
#include <string_view>

namespace tikhomap {

// A text of the model.
inline QString fromUtf8(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

}  // namespace tikhomap
