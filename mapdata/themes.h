// The themes of tema.tkm shared by the two map writers: the sample-city
// generator writes the themes its city has, the importer those its objects
// use. Groups (second character '1') come before their themes; names in UTF-8.
#pragma once

#include <span>

namespace tikhomap {

struct Theme {
  const char* code;
  const char* name;
  bool inSampleCity;  // the generator lists it whether or not objects use it
};
std::span<const Theme> themeTable();

}  // namespace tikhomap
