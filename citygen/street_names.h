// Russian street names of every kind, unique within the city and short
// enough for the street table (29 bytes in cp1251).
#pragma once

#include <set>
#include <string>

#include "citygen/city_plan.h"
#include "citygen/random.h"
#include "citygen/street_network.h"

namespace tikhomap::citygen {

struct StreetNamer {
  std::set<std::string> used;  // UTF-8 names already given
  size_t nextAdjective = 0;
  size_t nextPerson = 0;
};

// A fresh name for the street, fitting its style and length.
std::string nameStreet(StreetNamer& namer, const Street& street, bool square, CityRandom& rng);
std::string districtName(int district);  // "Северный" … "Нагорный"; "" for 0

}  // namespace tikhomap::citygen

namespace tikhomap::citygen {

// Names every street, sets its kind (0: highways without houses; 100: a
// few short lanes that are only an address), and turns some short central
// streets into squares.
void nameStreets(const CityPlan& plan, std::vector<Street>& streets, CityRandom rng);

}  // namespace tikhomap::citygen
