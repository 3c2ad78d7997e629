// Number formatting for the tool readings. The texts use a decimal point
// whatever locale the user interface has set, so they are built with
// std::to_chars rather than printf.
#pragma once

#include <string>

namespace tikhomap {

// The value in fixed notation with `decimals` digits after the point, as
// printf's "%.Nf" writes it in the C locale.
std::string fixedText(double value, int decimals);

}  // namespace tikhomap
