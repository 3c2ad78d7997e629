// Writes the seed corpus of every fuzz target with the map writers:
// fuzz_seeds OUT_DIR makes OUT_DIR/<reader>/seed_<n>.
#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fuzz/fuzz_city.h"
#include "fuzz/fuzz_folder.h"
#include "fuzz/fuzz_scene.h"
#include "gpkg/geometry_blob.h"
#include "gpkg/geopackage.h"
#include "mapdata/city_info.h"
#include "mapdata/cp1251.h"
#include "mapdata/tkm_writer.h"

namespace tikhomap {
namespace {

void setText(std::string& field, const std::string& utf8) {
  field = utf8;
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

// Every file of a folder, in the order of fuzz::kFolderFiles.
std::vector<uint8_t> folderInput(const MapData& m, const TitleSheetFile& regional,
                                 const TitleSheetFile& water, const std::string& cityText) {
  return fuzz::joinFolder({writeMicrodistrictFile(m),
                           writeDistrictFile(m),
                           writeTopoFile(m),
                           writeStreetFile(m),
                           writeBuildingAttributeFile(m),
                           writeBuildingGeometryFile(m),
                           writeThemeFile(m),
                           writeUserObjectFile(m),
                           writeSignFile(m),
                           writeTitleFile(regional),
                           writeTitleFile(water),
                           {cityText.begin(), cityText.end()}});
}

// A search step that types text.
void typeStep(std::vector<uint8_t>& steps, uint8_t op, const std::string& utf8, bool cp1251) {
  const std::string text = cp1251 ? utf8ToCp1251(utf8) : utf8;
  steps.push_back(op);
  steps.push_back(static_cast<uint8_t>(text.size()));
  steps.insert(steps.end(), text.begin(), text.end());
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

  // Whole folders: the small city with its title sheet, and the table seed.
  const MapData city = fuzz::smallCity();
  // The same city as a container, and geometry blobs of each kind.
  {
    const std::filesystem::path file = dir / "container-seed.gpkg";
    std::filesystem::create_directories(dir);
    ok &= writeGeoPackage(file, city, fuzz::smallCityTitle(true), fuzz::smallCityTitle(false));
    std::ifstream in(file, std::ios::binary);
    ok &= write(dir, "container", 0, {std::istreambuf_iterator<char>(in), {}});
    std::filesystem::remove(file);
    const std::vector<PlaneXY> ring = {{1, 2}, {30, 2}, {30, 40.5}, {1, 2}};
    ok &= write(dir, "geometry_blob", 0, encodeGeometry(GeometryKind::Polygon, 100001, ring));
    ok &= write(dir, "geometry_blob", 1, encodeGeometry(GeometryKind::LineString, -1, {}));
    ok &= write(dir, "geometry_blob", 2,
                encodeGeometry(GeometryKind::Point, 100001, std::span(ring.data(), 1)));
  }
  const std::vector<uint8_t> folders[] = {
      folderInput(city, fuzz::smallCityTitle(true), fuzz::smallCityTitle(false), infoText),
      folderInput(seedMap(3), seedTitle(true), seedTitle(false), ""),
  };
  k = 0;
  for (const auto& f : folders) ok &= write(dir, "folder", k++, f);
  // Frames: tiny frames in every view mode, down to the finest detail.
  const std::vector<std::vector<uint8_t>> frames = {
      {64, 48, 16, 100, 0x2A, 3, 5, 0, 3, 1, 0, 128, 128, 2, 3, 9, 100, 120, 5, 4, 14, 60, 60, 9},
      {96, 80, 30, 0,  0xFF, 0x13, 200, 0x85, 40, 3,   5,   3, 90,
       90, 6,  6,  20, 30,   40,   1,   7,    8,  128, 128, 12},
      {32, 24, 8, 135, 0x64, 2, 0, 0, 2, 2, 12, 1, 20, 20, 3, 7, 18, 200, 40, 8},
  };
  k = 0;
  for (const auto& controls : frames) {
    for (size_t f = 0; f < 2; ++f) {
      std::vector<uint8_t> input = controls;
      input.resize(fuzz::kControlBytes);
      input.insert(input.end(), folders[f].begin(), folders[f].end());
      ok &= write(dir, "render", k++, input);
    }
  }
  // Pages: A4 at 300 dpi in colour, a strip at 72 dpi, a huge page.
  const std::vector<std::vector<uint8_t>> pages = {
      {1, 0x2A, 3, 5, 100, 120, 4, 3, 0xB0, 0x09, 0xDB, 0x0D, 0x2C, 0x01},
      {3, 0x64, 2, 0, 50, 50, 1, 0, 0x00, 0x04, 0x40, 0x00, 72, 0},
      {5, 0x13, 1, 9, 128, 128, 8, 1, 0xFF, 0x7F, 0xFF, 0x7F, 0xB0, 0x04},
  };
  k = 0;
  for (const auto& controls : pages) {
    std::vector<uint8_t> input = controls;
    input.resize(fuzz::kControlBytes);
    input.insert(input.end(), folders[0].begin(), folders[0].end());
    ok &= write(dir, "print", k++, input);
  }
  // Searches: typing a street and a house, the object search, the lists.
  std::vector<uint8_t> steps;
  typeStep(steps, 0, "Заречная 7", false);
  typeStep(steps, 0, "ул.Ленина, д. 12а", false);
  typeStep(steps, 0, "12 морская", false);
  typeStep(steps, 1, "зар", true);
  steps.insert(steps.end(), {4, 11, 1, 5});
  typeStep(steps, 2, "12", true);
  steps.insert(steps.end(), {8, 7, 11, 3, 7, 6});
  ok &= write(dir, "search", 0, steps);
  steps.clear();
  typeStep(steps, 13, "апт", true);
  steps.insert(steps.end(), {1, 0xFF, 0xFF, 0xFF, 0xFF, 0, 14});
  typeStep(steps, 15, "ёл", true);
  steps.insert(steps.end(), {16, 2});
  typeStep(steps, 17, "12а", true);
  typeStep(steps, 0, "12/1", true);
  steps.erase(steps.end() - 6);  // the second number of the comparison: no step of its own
  typeStep(steps, 18, "  Аптека ", true);
  typeStep(steps, 0, "Школьная", true);
  steps.erase(steps.end() - 10);  // the street name of the same step
  ok &= write(dir, "search", 1, steps);
  if (!ok) std::fprintf(stderr, "fuzz_seeds: cannot write into %s\n", argv[1]);
  return ok ? 0 : 1;
}
