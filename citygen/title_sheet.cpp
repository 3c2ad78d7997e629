#include "citygen/title_sheet.h"

#include <algorithm>
#include <cmath>

#include "citygen/map_records.h"

namespace tikhomap::citygen {

namespace {

constexpr double kRegion = 64000;      // the panel's square, metres
constexpr double kCityOffset = 20000;  // where the city grid sits in it
constexpr double kPanelWest = 8000;    // easting range of the panel's extent
constexpr double kPanelEast = 52000;
constexpr double kFarNorth = 65535;  // the mainland runs on to the edge of the grid

void roughen(Vec a, Vec b, double rough, CityRandom& rng, Polyline& out) {
  const double len = distance(a, b);
  if (len < 250) {
    out.push_back(b);
    return;
  }
  const Vec mid =
      lerp(a, b, 0.5) + leftNormal(normalized(b - a)) * (rng.uniform(-1, 1) * rough * len);
  roughen(a, mid, rough, rng, out);
  roughen(mid, b, rough, rng, out);
}

TitleShape toShape(const Polyline& ring, bool close) {
  TitleShape s;
  for (const Vec& p : ring) {
    const MetrePoint q{static_cast<uint16_t>(std::clamp(std::lround(p.x), 0L, 65535L)),
                       static_cast<uint16_t>(std::clamp(std::lround(p.y), 0L, 65535L))};
    if (s.points.empty() || !(s.points.back() == q)) s.points.push_back(q);
  }
  if (close && !s.points.empty() && !(s.points.front() == s.points.back()))
    s.points.push_back(s.points.front());
  if (!close && s.points.size() >= 2 && s.points.front() == s.points.back()) s.points.pop_back();
  return s;
}

TitleText caption(char kind, Vec at, const char* utf8) {
  TitleText t;
  t.kind = kind;
  t.x = static_cast<uint16_t>(std::clamp(std::lround(at.x), 0L, 65535L));
  t.y = static_cast<uint16_t>(std::clamp(std::lround(at.y), 0L, 65535L));
  t.text = utf8;
  return t;
}

}  // namespace

TitleSheetFile makeRegionalPanel(const CityPlan& plan, CityRandom rng) {
  TitleSheetFile file;
  file.hasHeader = true;
  // The panel beside the city is about 0.7 times as wide as it is high on
  // wide screens: an extent of that shape fills it without a band of empty
  // sea beyond the mainland's edges.
  file.extent[0] = 0, file.extent[1] = static_cast<uint16_t>(kPanelWest);
  file.extent[2] = static_cast<uint16_t>(kRegion),
  file.extent[3] = static_cast<uint16_t>(kPanelEast);
  // In panel metres, the city grid scaled to the default city's size.
  const double k = 1.0 / plan.scale;
  auto panel = [&](Vec p) { return Vec{p.x * k + kCityOffset, p.y * k + kCityOffset}; };
  // The mainland: the city's coast, joined to a coast that runs on east and
  // north to the panel's edges in place of the map frame.
  Polyline simple = simplify(plan.coast, 60 * plan.scale);
  size_t first = 0;
  for (size_t i = 0; i < simple.size(); ++i)
    if (simple[i].x >= plan.extent + 100 * plan.scale && simple[i].y < simple[first].y) first = i;
  // Rotate so that the ring starts at the north-west end of the frame edge.
  std::rotate(simple.begin(), simple.begin() + static_cast<long>(first), simple.end());
  Polyline land;
  for (const Vec& p : simple)
    if (!(p.x >= plan.extent + 100 * plan.scale || p.y >= plan.extent + 100 * plan.scale) ||
        land.empty())
      land.push_back(panel(p));
  Polyline mainland = land;
  const Vec east = mainland.back();
  roughen(east, {east.x - 6000, kRegion}, 0.2, rng, mainland);
  mainland.push_back({kFarNorth, kRegion});
  const Vec west = land.front();
  Polyline northShore;
  roughen({kRegion, west.y - 9000}, {west.x + 3000, west.y - 4000}, 0.22, rng, northShore);
  roughen({west.x + 3000, west.y - 4000}, west, 0.22, rng, northShore);
  mainland.push_back({kFarNorth, west.y - 9000});
  mainland.insert(mainland.end(), northShore.begin(), northShore.end() - 1);
  file.shapes.push_back(toShape(mainland, false));
  // Islands in the open sea to the south and west.
  struct Island {
    double x, y, r;
    const char* name;
  };
  const Island islands[] = {
      {13000, 11000, 2200, "о. Дальний"},       {9000, 30000, 1500, "о. Чаячий"},
      {16000, 19500, 800, "о. Малый"},          {30000, 9000, 1800, "о. Кедровый"},
      {6000, 47000, 2500, "о. Большой Камень"},
  };
  for (const Island& is : islands) {
    Polyline ring;
    const double p1 = rng.uniform(0, 6.28), p2 = rng.uniform(0, 6.28);
    for (int a = 0; a < 36; ++a) {
      const double t = 6.2831853 * a / 36;
      const double r = is.r * (1 + 0.25 * std::sin(2 * t + p1) + 0.12 * std::sin(5 * t + p2));
      ring.push_back({is.x + std::cos(t) * r, is.y + std::sin(t) * r * 1.3});
    }
    Polyline rough;
    rough.push_back(ring[0]);
    for (size_t i = 0; i < ring.size(); ++i)
      roughen(ring[i], ring[(i + 1) % ring.size()], 0.15, rng, rough);
    file.shapes.push_back(toShape(rough, true));
    file.texts.push_back(caption('f', {is.x - is.r * 1.4, is.y - is.r}, is.name));
  }
  const Vec city = panel(plan.centre);
  file.texts.push_back(caption('e', city, "Тихоморск"));
  file.texts.push_back(caption('e', {52000, 30000}, "Каменка"));
  file.texts.push_back(caption('e', {58000, 43000}, "Ольгинск"));
  file.texts.push_back(caption('e', {45000, 47000}, "Сосновка"));
  file.texts.push_back(caption('e', {34000, 45000}, "Рыбачий"));
  file.texts.push_back(caption('g', {22000, 9500}, "Тихоморский залив"));
  file.texts.push_back(caption('g', {4000, 22000}, "Студёное море"));
  file.texts.push_back(caption('g', {12000, 40000}, "пролив Узкий"));
  return file;
}

TitleSheetFile makeCityWater(const CityPlan& plan, const CityLayers& layers) {
  TitleSheetFile file;
  for (const Polyline& lake : layers.lakes) file.shapes.push_back(toShape(simplify(lake, 4), true));
  if (plan.riverLine.size() >= 2)
    file.shapes.push_back(toShape(simplify(plan.riverLine, 6), false));
  for (const Polyline& s : layers.streams) file.shapes.push_back(toShape(simplify(s, 6), false));
  for (const NamedPlace& n : layers.waterNames) {
    const char kind = n.name.rfind("р.", 0) == 0 ? 'o' : 'p';
    file.texts.push_back(caption(kind, n.at, n.name.c_str()));
  }
  file.texts.push_back(caption('q', plan.at(4200, 13300), "Морской порт"));
  return file;
}

}  // namespace tikhomap::citygen
