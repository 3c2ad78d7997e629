#include "tools/insolation_check.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <numbers>

#include "mapdata/codes.h"
#include "tools/sun_place.h"

namespace tikhomap {
namespace {

constexpr double kRad = std::numbers::pi / 180.0;
// The day is looked at this often; each change between two looks is then
// bisected. A shadow shorter than this can pass unseen between two looks
// (a 3.5 m tower 200 m off casts one of about 3 minutes), so the look is
// kept shorter than a 5-minute step.
constexpr int64_t kCoarseStep = 120;

// The sun of one local day at a place, with its counted part.
struct DaySun {
  SunDay day = SunDay::Ordinary;
  int64_t localMidnight = 0;  // local seconds since 1970
  int64_t from = 0, to = 0;   // counted part, UTC seconds
  struct Look {
    int64_t t = 0;
    double dx = 0, dy = 0, cosEl = 0, slope = 0, elevation = 0;
  };
  std::vector<Look> looks;  // from `from` to `to`
  const SunPlace* place = nullptr;

  Look at(int64_t t) const {
    const SunPosition sun = sunPosition(static_cast<double>(t), place->latitude, place->longitude);
    const double az = (sun.azimuth - place->gridConvergence) * kRad;
    const double el = sun.elevation * kRad;
    return {t, std::cos(az), std::sin(az), std::cos(el), std::tan(el), sun.elevation};
  }
  int clock(int64_t t) const {
    return static_cast<int>(t + place->zone.offsetAt(t) - localMidnight);
  }
};

DaySun daySun(const CivilDate& date, const SunPlace& place, int uncountedMinutes) {
  DaySun d;
  d.place = &place;
  if (date.year < kFirstSunYear || date.year > kLastSunYear || !validDate(date)) {
    d.day = SunDay::OutOfRange;
    return d;
  }
  d.localMidnight = daysFromCivil(date) * 86400;
  const int64_t u0 = place.zone.utcFromLocal(d.localMidnight);
  const int64_t u1 = place.zone.utcFromLocal(d.localMidnight + 86400);
  const auto up = [&](int64_t t) { return d.at(t).elevation > 0; };
  // The moment between lo and hi (states differ) where the sun crosses
  // the horizon, to a second.
  const auto cross = [&](int64_t lo, int64_t hi) {
    const bool a = up(lo);
    while (hi - lo > 1) {
      const int64_t mid = lo + (hi - lo) / 2;
      (up(mid) == a ? lo : hi) = mid;
    }
    return hi;
  };
  int64_t rise = -1, set = -1;
  bool anyUp = false, anyDown = false;
  bool prev = up(u0);
  for (int64_t t = u0; t < u1;) {
    const int64_t next = std::min(t + kCoarseStep, u1);
    const bool now = up(next);
    (now ? anyUp : anyDown) = true;
    if (now && !prev && rise < 0) rise = cross(t, next);
    if (!now && prev) set = cross(t, next);
    prev = now;
    t = next;
  }
  if (!anyDown || !anyUp || rise < 0 || set < 0 || set <= rise) {
    d.day = anyUp ? SunDay::PolarDay : SunDay::PolarNight;
    return d;
  }
  d.from = rise + uncountedMinutes * 60;
  d.to = set - uncountedMinutes * 60;
  for (int64_t t = d.from; t < d.to; t += kCoarseStep) d.looks.push_back(d.at(t));
  if (d.from < d.to) d.looks.push_back(d.at(d.to));
  return d;
}

struct Stand {
  double x, y, z, nx, ny;
};

bool lit(const BuildingBlocks& blocks, const Stand& p, const DaySun::Look& s, double grazing) {
  if (s.elevation <= 0) return false;
  if (s.cosEl * (s.dx * p.nx + s.dy * p.ny) <= grazing) return false;
  return !blocks.blocked(p.x, p.y, p.z, s.dx, s.dy, s.slope);
}

PointSun sunAt(const BuildingBlocks& blocks, const Stand& p, const DaySun& d,
               const NormSettings& settings, int required) {
  PointSun out;
  if (d.looks.empty()) return out;
  const double grazing = std::cos(settings.grazingDegrees * kRad);
  const int64_t tol = std::max(1, settings.toleranceSeconds);
  const auto change = [&](int64_t lo, int64_t hi, bool a) {
    while (hi - lo > tol) {
      const int64_t mid = lo + (hi - lo) / 2;
      (lit(blocks, p, d.at(mid), grazing) == a ? lo : hi) = mid;
    }
    return lo + (hi - lo) / 2;
  };
  bool prev = lit(blocks, p, d.looks[0], grazing);
  int64_t start = d.from;
  for (std::size_t i = 1; i < d.looks.size(); ++i) {
    const bool now = lit(blocks, p, d.looks[i], grazing);
    if (now == prev) continue;
    const int64_t t = change(d.looks[i - 1].t, d.looks[i].t, prev);
    if (now) {
      start = t;
    } else {
      out.runs.emplace_back(static_cast<int>(start), static_cast<int>(t));
    }
    prev = now;
  }
  if (prev) out.runs.emplace_back(static_cast<int>(start), static_cast<int>(d.to));
  for (auto& run : out.runs) {
    const int length = run.second - run.first;
    out.longestSeconds = std::max(out.longestSeconds, length);
    out.totalSeconds += length;
  }
  // The runs in local clock seconds.
  for (auto& run : out.runs) {
    run = {d.clock(run.first), d.clock(run.second)};
  }
  out.verdict = normVerdict(out.longestSeconds, out.totalSeconds, required);
  return out;
}

int rank(const PointSun& s) {
  return s.verdict == NormVerdict::Continuous ? 2 : s.verdict == NormVerdict::Interrupted ? 1 : 0;
}

bool better(const PointSun& a, const PointSun& b) {
  if (rank(a) != rank(b)) return rank(a) > rank(b);
  if (a.longestSeconds != b.longestSeconds) return a.longestSeconds > b.longestSeconds;
  return a.totalSeconds > b.totalSeconds;
}

// The outline without walls of no length (the closing repeat included).
std::vector<MapPoint> cleanOutline(const std::vector<MapPoint>& outline) {
  std::vector<MapPoint> out;
  for (const MapPoint& p : outline) {
    if (out.empty() || !(out.back() == p)) out.push_back(p);
  }
  while (out.size() > 1 && out.front() == out.back()) out.pop_back();
  return out;
}

double orient(const MapPoint& a, const MapPoint& b, const MapPoint& c) {
  return (static_cast<double>(b.x) - a.x) * (static_cast<double>(c.y) - a.y) -
         (static_cast<double>(b.y) - a.y) * (static_cast<double>(c.x) - a.x);
}

bool onSegment(const MapPoint& a, const MapPoint& b, const MapPoint& p) {
  return std::min(a.x, b.x) <= p.x && p.x <= std::max(a.x, b.x) && std::min(a.y, b.y) <= p.y &&
         p.y <= std::max(a.y, b.y);
}

bool strictlyInside(const MapPoint& a, const MapPoint& b, const MapPoint& p) {
  return orient(a, b, p) == 0 && onSegment(a, b, p) && !(p == a) && !(p == b);
}

// Two walls cross, or one ends inside another. Walls that only share an
// end, as the two sides of a seam to a yard do, are not counted.
bool segmentsMeet(const MapPoint& a, const MapPoint& b, const MapPoint& c, const MapPoint& d) {
  const double o1 = orient(a, b, c), o2 = orient(a, b, d);
  const double o3 = orient(c, d, a), o4 = orient(c, d, b);
  if (((o1 > 0 && o2 < 0) || (o1 < 0 && o2 > 0)) && ((o3 > 0 && o4 < 0) || (o3 < 0 && o4 > 0)))
    return true;
  if ((a == d && b == c) || (a == c && b == d)) return false;  // a seam's two sides
  return strictlyInside(a, b, c) || strictlyInside(a, b, d) || strictlyInside(c, d, a) ||
         strictlyInside(c, d, b);
}

// A wall whose reverse is also in the outline is a seam of no width (the
// way into a yard drawn as a hole): it has no face to the sky.
bool isSeam(const std::vector<MapPoint>& outline, std::size_t edge) {
  const std::size_t n = outline.size();
  const MapPoint& a = outline[edge];
  const MapPoint& b = outline[(edge + 1) % n];
  for (std::size_t i = 0; i < n; ++i) {
    if (i != edge && outline[i] == b && outline[(i + 1) % n] == a) return true;
  }
  return false;
}

std::string hours(int minutes) {
  char text[32];
  if (minutes % 60 == 0) {
    std::snprintf(text, sizeof text, "%d ч", minutes / 60);
  } else {
    std::snprintf(text, sizeof text, "%d,%d ч", minutes / 60, minutes % 60 * 10 / 60);
  }
  return text;
}

}  // namespace

bool isDwelling(int purpose) {
  return purpose == kPurposeDwelling || purpose == kPurposeOpenGroundDwelling;
}

std::string_view skipText(NormSkip skip) {
  switch (skip) {
    case NormSkip::None:
      return "";
    case NormSkip::NotDwelling:
      return "норма инсоляции относится к жилым зданиям";
    case NormSkip::NoSuchBuilding:
      return "здания нет на карте";
    case NormSkip::FewVertices:
      return "в контуре меньше трёх вершин";
    case NormSkip::BadStoreys:
      return "этажность 0 или больше 200";
    case NormSkip::SelfIntersecting:
      return "контур самопересекается";
    case NormSkip::NoZone:
      return "широта вне зон нормы";
    case NormSkip::PolarDayOrNight:
      return "полярный день или полярная ночь: норма так не считается";
    case NormSkip::SunOutOfRange:
      return "дата вне 1950–2100";
  }
  return "";
}

bool selfIntersecting(const std::vector<MapPoint>& outline) {
  const std::vector<MapPoint> p = cleanOutline(outline);
  const std::size_t n = p.size();
  if (n < 3) return false;
  for (std::size_t i = 0; i < n; ++i) {
    const MapPoint& a = p[i];
    const MapPoint& b = p[(i + 1) % n];
    // A wall that turns straight back on the one before it.
    const MapPoint& o = p[(i + n - 1) % n];
    const double dot = (static_cast<double>(a.x) - o.x) * (static_cast<double>(b.x) - a.x) +
                       (static_cast<double>(a.y) - o.y) * (static_cast<double>(b.y) - a.y);
    if (orient(o, a, b) == 0 && dot < 0) return true;
    for (std::size_t j = i + 2; j < n; ++j) {
      if (i == 0 && j == n - 1) continue;  // neighbours through the closing vertex
      if (segmentsMeet(a, b, p[j], p[(j + 1) % n])) return true;
    }
  }
  return false;
}

PointSun pointSun(const BuildingBlocks& blocks, double x, double y, double z, double nx, double ny,
                  const CivilDate& date, const SunPlace& place, int uncountedMinutes,
                  const NormSettings& settings, int requiredMinutesValue, SunDay* day,
                  int* countedFrom, int* countedTo) {
  const DaySun d = daySun(date, place, uncountedMinutes);
  if (day) *day = d.day;
  if (countedFrom) *countedFrom = d.looks.empty() ? 0 : d.clock(d.from);
  if (countedTo) *countedTo = d.looks.empty() ? 0 : d.clock(d.to);
  return sunAt(blocks, {x, y, z, nx, ny}, d, settings, requiredMinutesValue);
}

BuildingNormCheck checkInsolationNorm(const BuildingBlocks& blocks, int32_t row, int year,
                                      const SunPlace& place, const NormSettings& settings) {
  BuildingNormCheck out;
  const MapData& map = blocks.map();
  if (row < 0 || row >= static_cast<int32_t>(map.buildings.size())) {
    out.skip = NormSkip::NoSuchBuilding;
    return out;
  }
  const Building& b = map.buildings[static_cast<std::size_t>(row)];
  if (!isDwelling(b.purpose)) {
    out.skip = NormSkip::NotDwelling;
    return out;
  }
  if (cleanOutline(b.outline).size() < 3) {
    out.skip = NormSkip::FewVertices;
    return out;
  }
  if (b.floors <= 0 || b.floors > kMaxStoreys) {
    out.skip = NormSkip::BadStoreys;
    return out;
  }
  if (selfIntersecting(b.outline)) {
    out.skip = NormSkip::SelfIntersecting;
    return out;
  }
  out.zone = normZoneAt(place.latitude);
  if (out.zone < 0) {
    out.skip = NormSkip::NoZone;
    return out;
  }
  out.storeys = b.floors;
  out.requiredMinutes = requiredMinutes(out.zone, settings);
  const auto dates = periodDates(out.zone, year);
  const int uncounted = settings.uncountedMinutes[static_cast<std::size_t>(out.zone)];
  DaySun days[2];
  for (int k = 0; k < 2; ++k) {
    days[k] = daySun(dates[static_cast<std::size_t>(k)], place, uncounted);
    out.dates[k].date = dates[static_cast<std::size_t>(k)];
    out.dates[k].day = days[k].day;
    out.withinEdition = out.withinEdition && withinEdition(out.dates[k].date);
    if (days[k].day == SunDay::OutOfRange) {
      out.skip = NormSkip::SunOutOfRange;
      return out;
    }
    if (days[k].day != SunDay::Ordinary) {
      out.skip = NormSkip::PolarDayOrNight;
      return out;
    }
    if (!days[k].looks.empty()) {
      out.dates[k].countedFrom = days[k].clock(days[k].from);
      out.dates[k].countedTo = days[k].clock(days[k].to);
    }
  }
  const std::size_t n = b.outline.size();
  const double spacing = std::max(0.5, settings.spacing);
  for (std::size_t edge = 0; edge < n; ++edge) {
    const MapPoint& a = b.outline[edge];
    const MapPoint& c = b.outline[(edge + 1) % n];
    const double length =
        std::hypot(static_cast<double>(c.x) - a.x, static_cast<double>(c.y) - a.y);
    if (length <= 0 || isSeam(b.outline, edge)) continue;
    const FacadePoint mid = facadePoint(b, static_cast<int32_t>(edge));
    const int points = std::max(1, static_cast<int>(std::lround(length / spacing)));
    const double facing = std::fmod(std::atan2(mid.ny, mid.nx) / kRad + 360.0, 360.0);
    for (int storey = 1; storey <= b.floors; ++storey) {
      const double z = (storey - 1) * kPhysicalStoreyHeight + settings.sillHeight;
      for (int k = 0; k < 2; ++k) {
        FacadeStorey fs;
        fs.edge = static_cast<int32_t>(edge);
        fs.storey = storey;
        fs.facing = facing;
        fs.length = length;
        fs.points = points;
        for (int i = 0; i < points; ++i) {
          const double t = (i + 0.5) / points;
          const Stand p{a.x + t * (static_cast<double>(c.x) - a.x) + mid.nx * settings.pointOffset,
                        a.y + t * (static_cast<double>(c.y) - a.y) + mid.ny * settings.pointOffset,
                        z, mid.nx, mid.ny};
          const PointSun s = sunAt(blocks, p, days[k], settings, out.requiredMinutes);
          if (i == 0 || better(s, fs.best)) fs.best = s;
        }
        DateCheck& dc = out.dates[k];
        if (fs.best.verdict != NormVerdict::Fails) ++dc.meeting;
        if (fs.best.verdict == NormVerdict::Interrupted) ++dc.interrupted;
        dc.longestSum += fs.best.longestSeconds;
        dc.rows.push_back(std::move(fs));
      }
    }
  }
  const DateCheck& d0 = out.dates[0];
  const DateCheck& d1 = out.dates[1];
  out.worse = d1.meeting < d0.meeting || (d1.meeting == d0.meeting && d1.longestSum < d0.longestSum)
                  ? 1
                  : 0;
  const DateCheck& w = out.dates[out.worse];
  for (std::size_t i = 0; i < w.rows.size(); ++i) {
    if (out.worstRow < 0) {
      out.worstRow = static_cast<int>(i);
      continue;
    }
    const PointSun& s = w.rows[i].best;
    const PointSun& cur = w.rows[static_cast<std::size_t>(out.worstRow)].best;
    if (better(cur, s)) out.worstRow = static_cast<int>(i);
  }
  return out;
}

NormVerdict buildingColourVerdict(const BuildingNormCheck& check) {
  const DateCheck& w = check.dates[check.worse];
  std::vector<int> best(static_cast<std::size_t>(std::max(check.storeys, 0)) + 1, 0);
  for (const FacadeStorey& r : w.rows) {
    int& b = best[static_cast<std::size_t>(r.storey)];
    b = std::max(b, rank(r.best));
  }
  int worst = 2;
  for (std::size_t s = 1; s < best.size(); ++s) worst = std::min(worst, best[s]);
  if (best.size() <= 1) worst = 0;
  return worst == 2   ? NormVerdict::Continuous
         : worst == 1 ? NormVerdict::Interrupted
                      : NormVerdict::Fails;
}

std::vector<std::string> screeningStatements(const NormSettings& settings, int zone,
                                             const CivilDate* dates) {
  const NormEdition& norm = kInsolationNorm;
  std::vector<std::string> lines;
  lines.push_back(
      "Это предварительная оценка (скрининг), а не заключение. Квартир на карте нет: фасад на "
      "каждом этаже представляет комнаты за ним. Фасад, не отвечающий норме, не значит "
      "квартиру, не отвечающую норме (северные фасады не инсолируются никогда).");
  std::string rules = "Норма: " + std::string(norm.title) + ", действует с " +
                      formatDate(norm.validFrom) + " по " + formatDate(norm.validTo) + ".";
  if (zone >= 0) {
    const NormZone& z = norm.zones[static_cast<std::size_t>(zone)];
    rules += " Зона: " + std::string(z.name) + "; непрерывно не менее " +
             hours(requiredMinutes(zone, settings)) + " или прерывисто: один период не менее " +
             hours(norm.interruptedLongestMinutes) + ", всего на " +
             hours(norm.interruptedExtraMinutes) + " больше.";
  }
  if (dates) {
    rules += " Даты проверки: " + formatDate(dates[0]) + " и " + formatDate(dates[1]) +
             " (границы периода нормы)";
    if (!withinEdition(dates[0]) || !withinEdition(dates[1])) {
      rules += "; эти даты вне срока действия правил";
    }
    rules += ".";
  }
  lines.push_back(rules);
  char text[1024];
  const int uncounted = zone >= 0 ? settings.uncountedMinutes[static_cast<std::size_t>(zone)] : 0;
  std::snprintf(text, sizeof text,
                "Настройки расчёта: расчётная точка в %.1f см перед стеной, на %.2f м над полом "
                "этажа, через %.1f м по фасаду; не учитывается %s после восхода и перед "
                "заходом солнца; лучи под углом %.0f° к нормали стены и более не учитываются; "
                "моменты появления и ухода солнца найдены с точностью %d с; центральная или "
                "историческая часть города: %s.",
                settings.pointOffset * 100, settings.sillHeight, settings.spacing,
                hours(uncounted).c_str(), settings.grazingDegrees, settings.toleranceSeconds,
                settings.historicCentre ? "да" : "нет");
  // Decimal commas, as the report's language writes them.
  std::string settingsLine = text;
  for (std::size_t i = 1; i + 1 < settingsLine.size(); ++i) {
    if (settingsLine[i] == '.' && std::isdigit(static_cast<unsigned char>(settingsLine[i - 1])) &&
        std::isdigit(static_cast<unsigned char>(settingsLine[i + 1]))) {
      settingsLine[i] = ',';
    }
  }
  lines.push_back(settingsLine);
  lines.push_back(
      "Здания — призмы: контур × этажность × 3 м, крылья самого здания учтены. Соседи — все "
      "здания карты, которые может пересечь луч к солнцу ниже высоты самого высокого из них, "
      "не дальше 5 км.");
  lines.push_back(
      "Не учтены: рельеф, деревья, балконы, лоджии и откосы окон; точка стоит на плоскости "
      "стены, поэтому при низком солнце часы завышены.");
  lines.push_back(
      "Проверяются только жилые здания (назначения 411 и 658); здания импортированного города "
      "с тегом building=yes без другого назначения считаются жилыми и проверяются. Школы, "
      "детские сады, больничные палаты и площадки имеют свои нормы, здесь они не проверяются.");
  return lines;
}

}  // namespace tikhomap
