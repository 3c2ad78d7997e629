// Writing a value read from a file into a model field of whatever width the
// field has: a value outside the field's type range is refused, never
// wrapped, so that the container reader stays right when fields widen.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <type_traits>
#include <utility>

namespace tikhomap {

// Integer into an integer field.
template <typename Field>
bool narrowInto(Field& field, int64_t value) {
  static_assert(std::is_integral_v<Field>);
  if (!std::in_range<Field>(value)) return false;
  field = static_cast<Field>(value);
  return true;
}

// A number into a field: a whole number in range for an integer field, a
// finite value in range for a floating-point one.
template <typename Field>
bool narrowNumberInto(Field& field, double value) {
  if (!std::isfinite(value)) return false;
  if constexpr (std::is_floating_point_v<Field>) {
    if (std::fabs(value) > static_cast<double>(std::numeric_limits<Field>::max())) return false;
    field = static_cast<Field>(value);
    return true;
  } else {
    static_assert(sizeof(Field) <= 4, "limits of wider fields are not exact doubles");
    if (value != std::trunc(value)) return false;
    if (value < static_cast<double>(std::numeric_limits<Field>::min()) ||
        value > static_cast<double>(std::numeric_limits<Field>::max())) {
      return false;
    }
    field = static_cast<Field>(value);
    return true;
  }
}

}  // namespace tikhomap
