// The street network: named streets whose axes meet at shared vertices and
// form one connected graph.
#pragma once

#include <string>
#include <vector>

#include "citygen/city_plan.h"
#include "citygen/layers.h"

namespace tikhomap::citygen {

enum class StreetClass { Avenue, Main, Ordinary, Lane };

enum class StreetStyle {
  Grid,        // ordinary street of a grid
  Ring,        // hill street following the slope
  Radial,      // hill street up the slope
  Avenue,      // between districts or out from the centre
  Highway,     // leaving the city
  Embankment,  // along the water
  Lane,        // short link inside a block
};

struct StreetPiece {
  Polyline points;
  std::vector<char> junction;  // per vertex: shared with another street axis
  double arc0 = 0;             // arc length of points[0] along the whole street
};

struct Street {
  StreetClass cls = StreetClass::Ordinary;
  StreetStyle style = StreetStyle::Grid;
  int district = 0;
  double width = 15;
  std::string name;  // UTF-8
  int kind = 1;
  int code = 0;
  std::vector<StreetPiece> pieces;
  double length() const;
};

double streetWidth(StreetClass cls);
std::vector<Street> buildStreets(CityPlan& plan, CityRandom rng);
// The built-up town: within a wavy ring of about townReach() of the centre.
double townReach(const CityPlan& plan);
bool urbanAt(const CityPlan& plan, Vec p);

}  // namespace tikhomap::citygen
