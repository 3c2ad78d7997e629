// Writes the seed corpus of every fuzz target with the map writers:
// fuzz_seeds OUT_DIR makes OUT_DIR/<reader>/seed_<n>.
#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "mapdata/city_info.h"
#include "mapdata/cp1251.h"
#include "mapdata/tkm_writer.h"

namespace tikhomap {
namespace {

template <size_t N>
void setText(char (&field)[N], const std::string& utf8) {
  const std::string cp = utf8ToCp1251(utf8);
  std::memset(field, 0, N);
  std::memcpy(field, cp.data(), std::min(cp.size(), N - 1));
}

MapFeature feature(int16_t code, int points) {
  MapFeature f;
  f.code = code;
  for (int i = 0; i < points; ++i) f.points.push_back({40000.0f - 10 * i, 100.5f + 3 * i});
  f.pointCount = static_cast<int16_t>(points);
  f.bounds = {39000, 100, 40000, 200};
  return f;
}

// A small city with every table filled; `scale` grows the tables.
MapData seedMap(int scale) {
  MapData m;
  m.cityExtent = {100, 200, 45000, 52000};
  for (int i = 0; i < scale; ++i) {
    Microdistrict md;
    md.x = static_cast<uint16_t>(40000 + i);
    md.y = 300;
    setText(md.name, "Ёлочный " + std::to_string(i));
    m.microdistricts.push_back(md);

    DistrictArea d;
    d.district = static_cast<int16_t>(i == 0 ? 0 : i % 5 + 1);
    d.points = {{40000, 300}, {41000, 33000}, {500, 65535}, {40000, 300}};
    d.pointCount = 4;
    m.districtAreas.push_back(d);

    m.areaFeatures.push_back(feature(718, 3 + i));
    m.lineFeatures.push_back(feature(9005, 2));
    m.waterFeatures.push_back(feature(3, 4));
    m.streetOutlines.push_back(feature(12, 2));
    m.streetLines.push_back(feature(static_cast<int16_t>(i + 1), 2 + i));

    StreetName s;
    s.streetCode = static_cast<int16_t>(i + 1);
    s.kind = i == 1 ? 100 : 1;
    setText(s.name, "Улица №" + std::to_string(i) + "/Нижняя");
    m.streetNames.push_back(s);
    m.streetLabelPoints.push_back({static_cast<uint16_t>(40000 - i), 1000, 3, s.streetCode});

    Building b;
    b.x = 40001;
    b.y = 33333;
    b.purpose = 411;
    b.floors = 9;
    b.streetCode = s.streetCode;
    setText(b.houseNumber, "12а");
    setText(b.description, "Школа «Б» — корпус " + std::to_string(i));
    b.outline = {{40000, 33000}, {40010, 33000}, {40010, 33010}, {40000, 33000}};
    b.pointCount = 4;
    b.bounds = {40000, 33000, 40010, 33010};
    m.buildings.push_back(b);

    ThemeNode group;
    group.code[0] = static_cast<char>('1' + i % 9);
    group.code[1] = '1';
    setText(group.name, "Группа " + std::to_string(i));
    ThemeNode theme = group;
    theme.code[1] = '2';
    setText(theme.name, "Тема " + std::to_string(i));
    m.themeNodes.push_back(group);
    m.themeNodes.push_back(theme);

    UserObject o;
    o.x = 12000;
    o.y = static_cast<int16_t>(i);
    o.theme[0] = theme.code[0];
    o.theme[1] = '2';
    setText(o.name, "Аптека №" + std::to_string(i) + ", круглосуточно");
    m.userObjects.push_back(o);

    SignRecord sr;
    sr.id = i;
    sr.a = -5;
    sr.p = 40000;
    setText(sr.text, "Знак, " + std::to_string(i));
    m.signRecords.push_back(sr);
  }
  // Link the theme nodes as groups each holding one theme.
  for (size_t k = 0; k + 1 < m.themeNodes.size(); k += 2) {
    m.themeNodes[k].children = static_cast<int32_t>(k + 1);
    m.themeNodes[k].next = k + 2 < m.themeNodes.size() ? static_cast<int32_t>(k + 2) : -1;
  }
  m.themeHead = m.themeNodes.empty() ? -1 : 0;
  return m;
}

TitleSheetFile seedTitle(bool withHeader) {
  TitleSheetFile t;
  t.hasHeader = withHeader;
  t.extent[2] = 50000;
  t.extent[3] = 60000;
  t.shapes.push_back({{{0x4010, 0x2030}, {40000, 50000}, {0x4010, 0x2030}}});
  t.shapes.push_back({{{1, 2}, {3, 4}}});
  t.texts.push_back({withHeader ? 'e' : 'o', 40000, 300, utf8ToCp1251("Тихоморск")});
  t.texts.push_back({withHeader ? 'g' : 'q', 1, 2, "x"});
  return t;
}

bool write(const std::filesystem::path& dir, const std::string& reader, int n,
           const std::vector<uint8_t>& bytes) {
  std::filesystem::create_directories(dir / reader);
  std::ofstream out(dir / reader / ("seed_" + std::to_string(n)), std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

std::vector<uint8_t> withPrefix(std::vector<uint8_t> prefix, const std::vector<uint8_t>& rest) {
  prefix.insert(prefix.end(), rest.begin(), rest.end());
  return prefix;
}

}  // namespace
}  // namespace tikhomap

int main(int argc, char** argv) {
  using namespace tikhomap;
  if (argc != 2) {
    std::fprintf(stderr, "usage: fuzz_seeds OUT_DIR\n");
    return 2;
  }
  const std::filesystem::path dir = argv[1];
  bool ok = true;
  int n = 0;
  for (int scale : {1, 3}) {
    const MapData m = seedMap(scale);
    ok &= write(dir, "microdistricts", n, writeMicrodistrictFile(m));
    ok &= write(dir, "districts", n, writeDistrictFile(m));
    ok &= write(dir, "topo", n, writeTopoFile(m));
    ok &= write(dir, "streets", n, writeStreetFile(m));
    const std::vector<uint8_t> attributes = writeBuildingAttributeFile(m);
    const auto length = static_cast<uint16_t>(attributes.size());
    ok &= write(dir, "buildings", n,
                withPrefix({static_cast<uint8_t>(length & 0xFF), static_cast<uint8_t>(length >> 8)},
                           withPrefix(attributes, writeBuildingGeometryFile(m))));
    ok &= write(dir, "themes", n, writeThemeFile(m));
    ok &= write(dir, "user_objects", n, writeUserObjectFile(m));
    ok &= write(dir, "signs", n, writeSignFile(m));
    ++n;
  }
  ok &= write(dir, "title", 0, withPrefix({1}, writeTitleFile(seedTitle(true))));
  ok &= write(dir, "title", 1, withPrefix({0}, writeTitleFile(seedTitle(false))));
  CityInfo info;
  info.grid = GridProjection{9.55, 5209646, -9274};
  info.timeZone = "Europe/Vaduz";
  info.coast = false;
  info.districtNames[0] = utf8ToCp1251("Schaan, Vaduz");
  info.builtInCaptions = false;
  info.credit = std::array<std::string, 2>{"Liechtenstein", utf8ToCp1251("© OpenStreetMap")};
  const std::string infoText = writeCityInfo(info);
  ok &= write(dir, "city_info", 0, {infoText.begin(), infoText.end()});
  const std::string tags[] = {
      "building=house\nbuilding:levels=3\nroof:levels=1\naddr:housenumber=12a\n"
      "addr:street=St\xC3\xA4\x64tle\nname=Rathaus",
      "amenity=pharmacy\nname=Apotheke\nbuilding:levels=-3",
      "highway=residential\nname=\xD0\xA3\xD0\xBB\xD0\xB8\xD1\x86\xD0\xB0\nshop=bakery",
      "boundary=administrative\nadmin_level=8\nname=Vaduz\nplace=village",
      "landuse=forest\nwaterway=river\nbuilding:levels=200000\nlevels=five",
  };
  int k = 0;
  for (const std::string& t : tags) ok &= write(dir, "osm_tags", k++, {t.begin(), t.end()});
  if (!ok) std::fprintf(stderr, "fuzz_seeds: cannot write into %s\n", argv[1]);
  return ok ? 0 : 1;
}
