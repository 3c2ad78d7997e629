#include "raster/font_substitution.h"

#include <array>
#include <utility>

namespace tikhomap {

namespace {

struct FaceSubstitute {
  std::string_view asked;
  const char* installed;
};

// The one table of substitutions; faces are compared exactly.
constexpr std::array kSubstitutes{
    FaceSubstitute{"Arial Cyr", "Liberation Sans"},
    FaceSubstitute{"Arial", "Liberation Sans"},
    FaceSubstitute{"MS Sans Serif", "DejaVu Sans"},
    FaceSubstitute{"Times New Roman Cyr", "Liberation Serif"},
    FaceSubstitute{"Courier New Cyr", "Liberation Mono"},
};

}  // namespace

QString substituteFontFace(std::string_view face) {
  for (const auto& s : kSubstitutes) {
    if (s.asked == face) return QString::fromLatin1(s.installed);
  }
  return QString::fromUtf8(face.data(), static_cast<qsizetype>(face.size()));
}

}  // namespace tikhomap
