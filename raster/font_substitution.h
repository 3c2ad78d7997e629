// The font faces the map asks for, mapped to faces installed here.
#pragma once

#include <QString>
#include <string_view>

namespace tikhomap {

// "Arial Cyr" becomes Liberation Sans (same metrics as Arial), "MS Sans Serif"
// the default sans face; any other face is passed through.
QString substituteFontFace(std::string_view face);

}  // namespace tikhomap
