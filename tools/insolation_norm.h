// The sanitary insolation norm for dwellings, as one table a person can
// read against the rules, and the named settings for what the rules and
// their calculation method leave to the one who calculates.
//
// The rules: СанПиН 1.2.3685-21 "Гигиенические нормативы и требования к
// обеспечению безопасности и (или) безвредности для человека факторов среды
// обитания", section on insolation (items 165–166, tables 5.58 and 5.59),
// as amended up to 30 December 2022 (docs.cntd.ru/document/573500115).
// The calculation method: ГОСТ Р 57795-2017 "Здания и сооружения. Методы
// расчета продолжительности инсоляции" with its amendment 2 of 2022
// (docs2.cntd.ru/document/1200192195, which points the method at items 166
// and tables 5.58–5.59 of the rules above); its appendix A puts the
// calculation point of a room at its window opening, between the reveals
// (npalib.ru/2017/10/19/gost-r-57795-2017-id223801/p12). The zones, periods
// and hours below are the figures of table 5.58 as the rules state them;
// the text of the table itself could not be read here, so a reviewer should
// check these rows against it.
#pragma once

#include <array>
#include <string_view>

#include "tools/solar_position.h"

namespace tikhomap {

struct DayOfYear {
  int month = 1;
  int day = 1;
};

// One zone of the rules: the latitudes it covers, the period the
// requirement holds in, and the continuous sun a room must get.
struct NormZone {
  std::string_view name;  // as a report names it
  // Latitudes in degrees north; a bound that is not included is open.
  double southBound = 0;
  bool southIncluded = true;
  double northBound = 0;
  bool northIncluded = true;
  DayOfYear periodFrom, periodTo;
  int continuousMinutes = 0;
  // Allowed in the central and historic parts of towns (0: none).
  int historicReductionMinutes = 0;
};

struct NormEdition {
  std::string_view title;  // the rules and their edition
  CivilDate validFrom, validTo;
  std::array<NormZone, 3> zones;
  // Interrupted sun is accepted when one of its runs lasts this long and
  // the total is the continuous requirement plus the extra.
  int interruptedLongestMinutes = 0;
  int interruptedExtraMinutes = 0;
};

// clang-format off
inline constexpr NormEdition kInsolationNorm{
    "СанПиН 1.2.3685-21, табл. 5.58 (ред. от 30.12.2022)",
    {2021, 3, 1}, {2027, 2, 28},
    {{
        // zone                                  south  incl.  north  incl.  period            continuous  historic
        {"северная зона (севернее 58° с. ш.)",    58.0, false,  90.0, true,  {4, 22}, {8, 22}, 150,        30},
        {"центральная зона (58°–48° с. ш.)",      48.0, true,   58.0, true,  {4, 22}, {8, 22}, 120,        30},
        {"южная зона (южнее 48° с. ш.)",           0.0, false,  48.0, false, {2, 22}, {10, 22}, 90,        0},
    }},
    60, 30,
};
// clang-format on

// What the rules and the method leave to the calculation, with this
// program's defaults. Every report states them.
struct NormSettings {
  // The calculation point stands this far in front of the wall's face
  // (metres): the map has no windows, so the point is on the face, where
  // low sun is not cut by reveals.
  double pointOffset = 0.015;
  // Height of the point above the storey's floor (a window sill, metres).
  double sillHeight = 0.8;
  // Spacing of the points along a facade (metres): about a room's width.
  double spacing = 3.0;
  // Sun this long after sunrise and before sunset is not counted, by zone
  // of kInsolationNorm (minutes).
  std::array<int, 3> uncountedMinutes{60, 60, 90};
  // Sun at this angle of incidence on the wall or more does not count.
  double grazingDegrees = 85.0;
  // Each moment the sun appears or goes is found to within this (seconds).
  int toleranceSeconds = 10;
  // The building stands in the central or historic part of a town, where
  // the rules allow the zone's reduction.
  bool historicCentre = false;
};

// The zone of a latitude, or -1 where the rules name none (south of the
// equator or beyond the poles).
int normZoneAt(double latitude, const NormEdition& norm = kInsolationNorm);
// The required continuous sun in a zone under the settings (minutes).
int requiredMinutes(int zone, const NormSettings& settings,
                    const NormEdition& norm = kInsolationNorm);
// The two boundary dates of a zone's period in a year.
std::array<CivilDate, 2> periodDates(int zone, int year, const NormEdition& norm = kInsolationNorm);
// Whether a date lies in the edition's term of validity.
bool withinEdition(const CivilDate& date, const NormEdition& norm = kInsolationNorm);

enum class NormVerdict : unsigned char {
  Continuous,   // "соответствует"
  Interrupted,  // "соответствует при прерывистой инсоляции"
  Fails,        // "не соответствует"
};
// A point's verdict from its longest run and its total (seconds).
NormVerdict normVerdict(int longestSeconds, int totalSeconds, int requiredMinutesValue,
                        const NormEdition& norm = kInsolationNorm);
std::string_view verdictText(NormVerdict verdict);

}  // namespace tikhomap
