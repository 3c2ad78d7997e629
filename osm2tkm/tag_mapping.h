// From OpenStreetMap tags to the map's records: which objects become what,
// with which codes, widths and storeys. Pure functions of the tags.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "osm2tkm/osm_model.h"

namespace tikhomap::osm {

// A way that becomes a street axis: its width (for the two outline edges)
// and the label level of its anchors (smaller = named at coarser scales).
struct RoadClass {
  float width = 0;    // metres between the two outline edges
  int16_t level = 0;  // street label anchor level
  bool drivable = false;
};

// motorway 24 m, trunk 20, primary 16, secondary 14, tertiary 12,
// residential / unclassified / living_street / road 10, pedestrian 8,
// service 6, track / footway / path / cycleway / bridleway / steps 3; the
// *_link roads as their road. Anything else (proposed, construction,
// platform, bus_stop, …) is no road.
std::optional<RoadClass> roadClass(const Tags& tags);

// Storeys: building:levels plus roof:levels when both are whole numbers in
// range (building:levels 1..99, a decimal such as "2.5" rounded half up;
// roof:levels 0..9). Absent levels give the default of the building type;
// levels that are present but absurd ("-3", "200000", "five") give the
// default too, and absurd is set.
struct Storeys {
  int16_t floors = 1;
  bool fromTags = false;
  bool absurd = false;
};
Storeys buildingStoreys(const Tags& tags);
// house / detached / semidetached_house / terrace / bungalow / farm 2;
// apartments / residential / dormitory / hotel / office / commercial /
// retail / hospital / civic / government 3; school / university / college
// / kindergarten / church / public / train_station 2; garage / garages /
// shed / hut / carport / barn / stable / cabin / roof / greenhouse / kiosk /
// farm_auxiliary / service 1; industrial / warehouse / manufacture 1; yes
// and anything else 2.
int16_t defaultStoreys(std::string_view buildingType);

// The purpose code of a building: what is in it (usePurpose of its own
// tags) decides before its building value. By the building value: dwelling
// 411; outbuilding 413 (garages, sheds, barns, …); industry 777; school 444
// (kindergarten 660); public 461 (church, civic, government, townhall,
// library, station, museum, …) and 888 (commercial, retail, office, hotel);
// medical 555 (hospital).
int16_t buildingPurpose(const Tags& tags);
// The purpose that what the tags describe gives the building holding it,
// from amenity, healthcare, tourism, office and shop: school 444,
// kindergarten 660, hospital 555, clinic / doctors / dentist / pharmacy and
// any other healthcare 661, public services and museums 461 (a government
// office too), shops, other offices, hotels, banks and restaurants 888; none
// for anything else.
std::optional<int16_t> usePurpose(const Tags& tags);
// Of two uses in one building the one of lower priority decides: hospital,
// school, kindergarten, public, medical, then commercial.
int usePriority(int16_t purpose);
// building=yes / commercial / civic / public: a building value that says
// nothing of its use, so that what is in the building decides its purpose.
// A house keeps its purpose whatever shop is on its ground floor.
bool generalBuildingValue(const Tags& tags);
// The house numbers an addr:interpolation way stands for between two of its
// numbered nodes, the ends left out: "odd" and "even" every second number,
// "all" every number, "alphabetic" the letters between "12a" and "12d"
// ("12b", "12c"). Numbers that do not fit the scheme (an odd end of an even
// way, ends with other text, a letter beyond "z"), a span of more than 1000
// numbers and any other scheme give nothing.
std::vector<std::string> interpolatedNumbers(std::string_view scheme, std::string_view from,
                                             std::string_view to);

// Whether the tags make a building: building=* except building=no.
bool isBuilding(const Tags& tags);

// The theme code (two characters of tema.tkm, mapdata/themes.h) of a named point of interest
// from amenity / shop / office / healthcare / tourism / craft / historic /
// leisure (sports grounds), or none: places of worship, fire stations,
// tourist information, castles and ruins, sports halls have themes of their
// own; benches, toilets, post boxes, parks and the like are no landmarks.
std::optional<std::string_view> objectTheme(const Tags& tags);
// Whether named tags are of a kind the importer reads as a point of interest
// (amenity, shop, office, healthcare, tourism, craft, historic), themed or not.
bool isPointOfInterest(const Tags& tags);

// Base-map layers of an area or line.
enum class Layer { None, Forest, Green, Orchard, Water, WaterLine, Railway };
// forest / wood -> Forest (718); park / garden / pitch / playground / grass /
// meadow / village green / recreation ground / cemetery -> Green (6614);
// orchard / vineyard /
// allotments -> Orchard (750); water / reservoir / basin / riverbank ->
// Water (4912); river / stream / canal / drain / ditch / coastline lines ->
// WaterLine (4950); railway=rail / light_rail / narrow_gauge -> Railway
// (3011).
Layer areaLayer(const Tags& tags);
Layer lineLayer(const Tags& tags);
int16_t layerCode(Layer layer);

// place=suburb / quarter / neighbourhood / village / hamlet, and town:
// named places that become microdistricts.
bool isMicrodistrictPlace(const Tags& tags);

}  // namespace tikhomap::osm
