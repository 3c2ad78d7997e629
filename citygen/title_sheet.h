// The two files of the title sheet: the regional panel (1.tkm) and the
// city's hydrography with its captions (2.tkm).
#pragma once

#include "citygen/city_plan.h"
#include "citygen/layers.h"
#include "mapdata/title_files.h"

namespace tikhomap::citygen {

TitleSheetFile makeRegionalPanel(const CityPlan& plan, CityRandom rng);
TitleSheetFile makeCityWater(const CityPlan& plan, const CityLayers& layers);

}  // namespace tikhomap::citygen
