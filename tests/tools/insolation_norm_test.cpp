#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "tools/insolation_check.h"
#include "tools/insolation_report.h"

namespace tikhomap {
namespace {

constexpr double kRad = std::numbers::pi / 180.0;

// A block from (x0 north, y0 east) to (x1, y1), counter-clockwise in the
// east-north plane: the south wall is edge 0, east 1, north 2, west 3.
Building block(float x0, float y0, float x1, float y1, int16_t floors, int16_t purpose = 411) {
  Building b;
  b.floors = floors;
  b.purpose = purpose;
  b.outline = {{x0, y0}, {x0, y1}, {x1, y1}, {x1, y0}};
  b.pointCount = 4;
  b.bounds = {x0, y0, x1, y1};
  return b;
}

SunPlace at(double latitude) {
  SunPlace p;
  p.latitude = latitude;
  p.longitude = 132;
  p.zone = TimeZone::fixed(10 * 3600);
  return p;
}

TEST(InsolationNorm, ZonesPeriodsAndVerdictsFromTheTable) {
  struct Zone {
    double latitude;
    int zone;
    int required;  // minutes
    CivilDate from, to;
  };
  const Zone zones[] = {
      {70.0, 0, 150, {2026, 4, 22}, {2026, 8, 22}}, {58.0001, 0, 150, {2026, 4, 22}, {2026, 8, 22}},
      {58.0, 1, 120, {2026, 4, 22}, {2026, 8, 22}},  // the bound belongs to the centre
      {48.0, 1, 120, {2026, 4, 22}, {2026, 8, 22}}, {47.9999, 2, 90, {2026, 2, 22}, {2026, 10, 22}},
      {43.1, 2, 90, {2026, 2, 22}, {2026, 10, 22}},
  };
  for (const Zone& z : zones) {
    ASSERT_EQ(normZoneAt(z.latitude), z.zone) << z.latitude;
    EXPECT_EQ(requiredMinutes(z.zone, {}), z.required) << z.latitude;
    EXPECT_EQ(periodDates(z.zone, 2026)[0], z.from) << z.latitude;
    EXPECT_EQ(periodDates(z.zone, 2026)[1], z.to) << z.latitude;
  }
  EXPECT_EQ(normZoneAt(-33.9), -1);
  NormSettings historic;
  historic.historicCentre = true;
  EXPECT_EQ(requiredMinutes(0, historic), 120);
  EXPECT_EQ(requiredMinutes(1, historic), 90);
  EXPECT_EQ(requiredMinutes(2, historic), 90);  // no reduction in the south
  EXPECT_TRUE(withinEdition({2026, 12, 9}));
  EXPECT_FALSE(withinEdition({2027, 3, 1}));
  EXPECT_FALSE(withinEdition({2021, 2, 28}));

  struct Verdict {
    int longest, total;  // minutes
    NormVerdict verdict;
  };
  const Verdict verdicts[] = {
      {90, 90, NormVerdict::Continuous},   {89, 200, NormVerdict::Interrupted},
      {60, 120, NormVerdict::Interrupted}, {59, 200, NormVerdict::Fails},
      {60, 119, NormVerdict::Fails},       {0, 0, NormVerdict::Fails},
  };
  for (const Verdict& v : verdicts) {
    EXPECT_EQ(normVerdict(v.longest * 60, v.total * 60, 90), v.verdict)
        << v.longest << " " << v.total;
  }
}

// A 9-storey slab 60 m long facing south at 43° N, alone. On 22 February
// the sun (declination −10.35°) stands above the horizon for
// 2 × acos(tan 43° × tan 10.35°) / 15° = 10.69 h, plus 6 min of refraction,
// always in front of the south wall and within 85° of its normal from 1.5 h
// after sunrise on: one run of 10.80 − 3 = 7.80 h ≈ 468 min on every
// storey. The north facade never sees it.
TEST(InsolationNorm, ALoneSlabFacingSouthAt43North) {
  MapData map;
  map.buildings = {block(1000, 1000, 1012, 1060, 9)};
  const BuildingBlocks blocks(map);
  const BuildingNormCheck c = checkInsolationNorm(blocks, 0, 2026, at(43));
  ASSERT_EQ(c.skip, NormSkip::None);
  EXPECT_EQ(c.zone, 2);
  EXPECT_EQ(c.dates[0].date, (CivilDate{2026, 2, 22}));
  ASSERT_EQ(c.dates[0].rows.size(), 4u * 9u);
  for (const FacadeStorey& r : c.dates[0].rows) {
    if (r.edge == 0) {
      EXPECT_EQ(r.points, 20);
      EXPECT_NEAR(r.best.longestSeconds / 60.0, 468, 4) << r.storey;
      EXPECT_EQ(r.best.runs.size(), 1u);
      EXPECT_EQ(r.best.verdict, NormVerdict::Continuous);
    }
    if (r.edge == 2) {
      EXPECT_EQ(r.best.totalSeconds, 0);
    }
  }
  // The north facade fails; east and west meet by their morning and
  // evening sun: 18 of 36 facade-storeys at least.
  EXPECT_GE(c.dates[0].meeting, 18);
  EXPECT_LT(c.dates[0].meeting, 36);
  EXPECT_EQ(c.dates[c.worse].rows[static_cast<std::size_t>(c.worstRow)].best.totalSeconds, 0);
  // Every storey has a facade that meets the norm.
  EXPECT_EQ(buildingColourVerdict(c), NormVerdict::Continuous);
}

// The middle of that slab's south facade, ground storey (sill 0.8 m),
// between two long north–south neighbours 10 m to its east and west. The
// sun clears them while tan(elevation) × 10 / |sin azimuth| ≥ H − 0.8:
// worked out over the hour angle, 10 storeys (30 m) leave 93.5 min around
// noon, 11 storeys (33 m) 85.1 min, 6 storeys (18 m) 153.7 min. A 20-storey
// tower 5.2 m wide 50 m due south hides the noon sun while the azimuth is
// within atan(2.6 / 50) = 2.98° of south, ±9.7 min: what the 6-storey
// sides leave splits into two runs of about 67 min.
struct Court {
  MapData map;
  // `needle`: a 60-storey tower 3.5 m wide 200 m off at azimuth 190°, whose
  // shadow passes in about 3 minutes.
  Court(int16_t sides, bool tower, bool needle = false) {
    map.buildings = {block(1000, 970, 1012, 1030, 9),
                     block(700, 1010, 999.9f, 1020, sides),  // east
                     block(700, 980, 999.9f, 990, sides)};   // west
    if (tower) map.buildings.push_back(block(940, 997.4f, 950, 1002.6f, 20));
    if (needle) map.buildings.push_back(block(795, 962.9f, 800, 966.4f, 60));
  }
};

TEST(InsolationNorm, NeighboursThatJustFailAndTheInterruptedRule) {
  struct Case {
    int16_t sides;
    bool tower;
    double longest, total;  // minutes, worked out by hand
    std::size_t runs;
    NormVerdict verdict;
  };
  const Case cases[] = {
      {10, false, 93.5, 93.5, 1, NormVerdict::Continuous},
      {11, false, 85.1, 85.1, 1, NormVerdict::Fails},
      {6, true, 67.0, 134.3, 2, NormVerdict::Interrupted},
  };
  for (const Case& k : cases) {
    const Court court(k.sides, k.tower);
    const BuildingBlocks blocks(court.map);
    const PointSun s = pointSun(blocks, 1000 - 0.015, 1000, 0.8, -1, 0, {2026, 2, 22}, at(43), 90,
                                NormSettings{}, 90);
    EXPECT_NEAR(s.longestSeconds / 60.0, k.longest, 2.5) << k.sides;
    EXPECT_NEAR(s.totalSeconds / 60.0, k.total, 2.5) << k.sides;
    EXPECT_EQ(s.runs.size(), k.runs) << k.sides;
    EXPECT_EQ(s.verdict, k.verdict) << k.sides;
  }
}

// Every moment found by bisection agrees with the sun looked at every 10 s,
// a shadow of a few minutes included.
TEST(InsolationNorm, AgreesWithATenSecondBruteForce) {
  const Court court(6, true, true);
  const BuildingBlocks blocks(court.map);
  const SunPlace place = at(43);
  struct Point {
    double x, y, z, nx, ny;
    CivilDate date;
  };
  const Point points[] = {
      {1000 - 0.015, 1000, 0.8, -1, 0, {2026, 2, 22}},
      {1000 - 0.015, 995, 6.8, -1, 0, {2026, 10, 22}},
      {1000 - 0.015, 1007, 3.8, -1, 0, {2026, 2, 22}},
      {1006, 1030.015, 0.8, 0, 1, {2026, 10, 22}},  // east wall
      {1006, 969.985, 9.8, 0, -1, {2026, 2, 22}},   // west wall
  };
  for (const Point& p : points) {
    SunDay day{};
    int from = 0, to = 0;
    const PointSun s =
        pointSun(blocks, p.x, p.y, p.z, p.nx, p.ny, p.date, place, 90, {}, 90, &day, &from, &to);
    ASSERT_EQ(day, SunDay::Ordinary);
    const int64_t midnight = daysFromCivil(p.date) * 86400 - 10 * 3600;
    int longest = 0, total = 0, run = 0;
    for (int t = from; t <= to; t += 10) {
      const SunPosition sun = sunPosition(static_cast<double>(midnight + t), 43, 132);
      const double dx = std::cos(sun.azimuth * kRad), dy = std::sin(sun.azimuth * kRad);
      const double el = sun.elevation * kRad;
      const bool lit = sun.elevation > 0 &&
                       std::cos(el) * (dx * p.nx + dy * p.ny) > std::cos(85 * kRad) &&
                       !blocks.blocked(p.x, p.y, p.z, dx, dy, std::tan(el));
      run = lit ? run + 10 : 0;
      total += lit ? 10 : 0;
      longest = std::max(longest, run);
    }
    EXPECT_NEAR(s.longestSeconds, longest, 60) << p.y << " " << p.z;
    EXPECT_NEAR(s.totalSeconds, total, 60) << p.y << " " << p.z;
  }
}

TEST(InsolationNorm, BadInputIsSkippedWithItsReason) {
  struct Case {
    Building building;
    double latitude;
    int year;
    NormSkip skip;
  };
  Building two = block(0, 0, 10, 10, 5);
  two.outline.resize(2);
  Building repeats = block(0, 0, 10, 10, 5);
  repeats.outline = {{0, 0}, {0, 0}, {0, 10}, {10, 10}, {10, 0}, {0, 0}};
  Building bowTie = block(0, 0, 10, 10, 5);
  bowTie.outline = {{0, 0}, {10, 10}, {10, 0}, {0, 10}};
  // A yard reached by a seam of no width: its two sides are no facades.
  Building yard = block(0, 0, 30, 30, 5);
  yard.outline = {{0, 0},   {0, 30}, {30, 30}, {30, 15}, {20, 15}, {20, 25},
                  {10, 25}, {10, 5}, {20, 5},  {20, 15}, {30, 15}, {30, 0}};
  Building spike = block(0, 0, 10, 10, 5);
  spike.outline = {{0, 0}, {0, 10}, {0, 5}, {10, 5}};
  const Case cases[] = {
      {block(0, 0, 10, 10, 5), 43, 2026, NormSkip::None},
      {repeats, 43, 2026, NormSkip::None},
      {yard, 43, 2026, NormSkip::None},
      {block(0, 0, 10, 10, 5, 444), 43, 2026, NormSkip::NotDwelling},
      {block(0, 0, 10, 10, 5, 658), 43, 2026, NormSkip::None},
      {two, 43, 2026, NormSkip::FewVertices},
      {block(0, 0, 10, 10, 0), 43, 2026, NormSkip::BadStoreys},
      {block(0, 0, 10, 10, 201), 43, 2026, NormSkip::BadStoreys},
      {bowTie, 43, 2026, NormSkip::SelfIntersecting},
      {spike, 43, 2026, NormSkip::SelfIntersecting},
      {block(0, 0, 10, 10, 5), -30, 2026, NormSkip::NoZone},
      {block(0, 0, 10, 10, 5), 80, 2026, NormSkip::PolarDayOrNight},
      {block(0, 0, 10, 10, 5), 43, 1900, NormSkip::SunOutOfRange},
  };
  for (const Case& k : cases) {
    MapData map;
    map.buildings = {k.building};
    const BuildingBlocks blocks(map);
    const BuildingNormCheck c = checkInsolationNorm(blocks, 0, k.year, at(k.latitude));
    EXPECT_EQ(c.skip, k.skip) << skipText(c.skip) << " / " << skipText(k.skip);
    if (c.skip == NormSkip::None) {
      // The yard's outline has 12 walls, two of them its seam.
      EXPECT_EQ(c.dates[0].rows.size(), (k.building.outline.size() > 6 ? 10u : 4u) * 5u);
    }
  }
  MapData map;
  const BuildingBlocks blocks(map);
  EXPECT_EQ(checkInsolationNorm(blocks, 3, 2026, at(43)).skip, NormSkip::NoSuchBuilding);
  // Outside the rules' term the statements say so.
  const CivilDate late[2] = {{2030, 2, 22}, {2030, 10, 22}};
  EXPECT_NE(screeningStatements({}, 2, late)[1].find("вне срока"), std::string::npos);
}

TEST(InsolationNorm, TheCitysReportOnAnyThreadsAsCsv) {
  EXPECT_EQ(csvField("Ленина ул., 5"), "\"Ленина ул., 5\"");
  EXPECT_EQ(csvField("дом \"Б\""), "\"дом \"\"Б\"\"\"");
  EXPECT_EQ(csvField("Ленина ул. 5"), "Ленина ул. 5");
  MapData map;
  // The city's grid puts these rows near 43° N.
  map.buildings = {block(1000, 1000, 1012, 1060, 9), block(1020, 1000, 1032, 1060, 9, 444),
                   block(960, 900, 970, 1160, 12), block(1000, 1100, 1010, 1110, 0)};
  map.cityExtent = {900, 900, 1200, 1200};
  const CityScreening one = screenCity(map, 2026, {}, 1);
  const CityScreening two = screenCity(map, 2026, {}, 2);
  ASSERT_EQ(one.buildings.size(), 3u);  // the school is not a dwelling
  ASSERT_EQ(two.buildings.size(), 3u);
  EXPECT_EQ(one.skipped, 1);
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(one.buildings[i].check.dates[0].meeting, two.buildings[i].check.dates[0].meeting);
    EXPECT_EQ(one.buildings[i].check.worse, two.buildings[i].check.worse);
  }
  // The 12-storey slab 30 m south shades the first storeys of the 9-storey one.
  const DateCheck& shaded = one.buildings[0].check.dates[one.buildings[0].check.worse];
  EXPECT_NE(failingText(shaded).find("Ю (180°) 60 м: эт. 1"), std::string::npos)
      << failingText(shaded);
  const std::string csv = insolationCsv(map, one, {});
  // Every record has the header's fields, every line ends CRLF.
  std::size_t start = 0, records = 0;
  while (start < csv.size()) {
    const std::size_t end = csv.find("\r\n", start);
    ASSERT_NE(end, std::string::npos);
    const std::string record = csv.substr(start, end - start);
    bool quoted = false;
    int commas = 0;
    for (const char c : record) {
      if (c == '"') quoted = !quoted;
      commas += !quoted && c == ',';
    }
    EXPECT_EQ(commas, 12) << record;
    start = end + 2;
    ++records;
  }
  EXPECT_GE(records, 1u + 3u + 1u + 6u);
  for (const char* s : {"этажность 0", "скрининг", "СанПиН 1.2.3685-21", "22.02.2026", "22.10.2026",
                        "через 3,0 м", "1,5 ч после восхода", "85°", "5 км", "building=yes"}) {
    EXPECT_NE(csv.find(s), std::string::npos) << s;
  }
}

}  // namespace
}  // namespace tikhomap
