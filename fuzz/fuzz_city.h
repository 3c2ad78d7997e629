// A small whole city for the fuzz targets: the fixed map the search target
// searches, and (written with the map writers) the seed of the targets that
// load a whole folder. Six streets, a few dozen houses with every kind of
// house number, microdistricts, the five districts, themes, objects and
// signs, on a 4 km square with the sea to the east.
#pragma once

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "mapdata/cp1251.h"
#include "mapdata/map_data.h"
#include "mapdata/map_readers.h"
#include "mapdata/table_order.h"
#include "mapdata/text_rules.h"
#include "mapdata/title_files.h"

namespace tikhomap::fuzz {

inline void setCityText(std::string& field, const std::string& utf8) {
  field = utf8;
}

inline MapFeature cityFeature(int16_t code, std::vector<MapPoint> points) {
  MapFeature f;
  f.code = code;
  f.points = std::move(points);
  f.pointCount = static_cast<int16_t>(f.points.size());
  f.bounds = {1e9f, 1e9f, -1e9f, -1e9f};
  for (const MapPoint& p : f.points) {
    f.bounds.xMin = std::min(f.bounds.xMin, p.x);
    f.bounds.yMin = std::min(f.bounds.yMin, p.y);
    f.bounds.xMax = std::max(f.bounds.xMax, p.x);
    f.bounds.yMax = std::max(f.bounds.yMax, p.y);
  }
  return f;
}

inline MapFeature cityBox(int16_t code, float x, float y, float half) {
  return cityFeature(
      code,
      {{x - half, y - half}, {x + half, y - half}, {x + half, y + half}, {x - half, y + half}});
}

inline MapData smallCity() {
  MapData m;
  m.cityExtent = {0, 0, 4000, 4000};
  // Land west of y = 3000; five districts in strips from south to north.
  m.districtAreas.push_back(
      districtAreaFrom(0, std::vector<MapPoint>{{0, 0}, {4000, 0}, {4000, 3000}, {0, 3000}}));
  for (int d = 1; d <= 5; ++d) {
    const float x0 = (d - 1) * 800.0f, x1 = d * 800.0f;
    m.districtAreas.push_back(
        districtAreaFrom(d, std::vector<MapPoint>{{x0, 0}, {x1, 0}, {x1, 3000}, {x0, 3000}}));
  }
  m.maxPointCount = 4;

  m.areaFeatures.push_back(cityBox(718, 3500, 500, 300));
  m.areaFeatures.push_back(cityBox(1010, 2500, 1500, 200));
  m.areaFeatures.push_back(cityBox(750, 1500, 2500, 150));
  m.waterFeatures.push_back(cityBox(4912, 2000, 3500, 400));
  m.waterFeatures.push_back(cityFeature(3, {{3900, 100}, {100, 2900}}));
  m.lineFeatures.push_back(cityFeature(3011, {{100, 100}, {3900, 100}}));
  m.lineFeatures.push_back(cityFeature(3035, {{100, 2800}, {3900, 2800}}));
  m.lineFeatures.push_back(cityFeature(9005, {{800, 0}, {800, 3000}}));

  const char* names[] = {"Заречная ул.", "Ленина просп.",       "Морская наб.",  "Ёлочный пер.",
                         "Школьная ул.", "Северный б-р/Нижний", "Площадь Победы"};
  for (int i = 0; i < 7; ++i) {
    StreetName s;
    s.streetCode = static_cast<int16_t>(i + 1);
    s.kind = i == 5 ? 100 : (i == 6 ? 0 : 1);
    setCityText(s.name, names[i]);
    m.streetNames.push_back(s);
    // Streets run east-west, 500 m apart.
    const float x = 500.0f + 500.0f * i;
    m.streetLines.push_back(cityFeature(s.streetCode, {{x, 100}, {x, 1500}, {x + 20, 2900}}));
    m.streetOutlines.push_back(cityFeature(12, {{x + 8, 100}, {x + 8, 2900}}));
    m.streetLabelPoints.push_back(
        {static_cast<uint16_t>(x), 800, static_cast<int16_t>(i % 4), s.streetCode});
  }
  const char* numbers[] = {"1",  "2",  "3а",  "5/1",   "7к2", "9",
                           "10", "12", "12а", "14-16", "",    "101"};
  const int16_t purposes[] = {111, 411, 511, 611, 888, 657, 464, 211};
  int n = 0;
  for (int street = 0; street < 6; ++street) {
    for (int k = 0; k < 12; k += (street % 2) + 1) {
      Building b;
      const float x = 530.0f + 500.0f * street;
      const float y = 150.0f + 110.0f * k;
      b.x = static_cast<uint16_t>(x);
      b.y = static_cast<uint16_t>(y);
      b.purpose = purposes[n % 8];
      b.floors = static_cast<int16_t>(1 + n % 12);
      b.streetCode = static_cast<int16_t>(street + 1);
      setCityText(b.houseNumber, numbers[k]);
      setCityText(b.description, n % 3 == 0 ? "Школа № " + std::to_string(n) : "");
      const MapFeature f = cityBox(0, x + 10, y + 20, 15.0f + n % 5);
      b.outline = f.points;
      b.outline.push_back(f.points.front());
      b.pointCount = static_cast<int16_t>(b.outline.size());
      b.bounds = f.bounds;
      m.buildings.push_back(b);
      ++n;
    }
  }

  const char* micro[] = {"Ёлочки", "Заречье", "Морской", "Центр"};
  for (int i = 0; i < 4; ++i) {
    Microdistrict md;
    md.x = static_cast<uint16_t>(600 + 900 * i);
    md.y = static_cast<uint16_t>(400 + 500 * i);
    setCityText(md.name, micro[i]);
    m.microdistricts.push_back(md);
  }

  const char* groups[] = {"Торговля", "Медицина", "Учёба"};
  const char* themes[] = {"Аптеки", "Магазины", "Больницы", "Школы"};
  for (int g = 0; g < 3; ++g) {
    ThemeNode node;
    node.code[0] = static_cast<char>('1' + g);
    node.code[1] = '1';
    setCityText(node.name, groups[g]);
    insertThemeNode(m, node, nullptr);
  }
  for (int t = 0; t < 4; ++t) {
    ThemeNode node;
    node.code[0] = static_cast<char>('1' + t % 3);
    node.code[1] = static_cast<char>('2' + t);
    setCityText(node.name, themes[t]);
    insertThemeNode(m, node, nullptr);
  }
  const char* objects[] = {"Аптека № 5", "Аптека «Здоровье»", "Магазин Ёлка",
                           "Школа № 12", "Больница",          "аптека ночная"};
  for (int i = 0; i < 6; ++i) {
    const Building& at = m.buildings[static_cast<size_t>(i * 7)];
    UserObject o;
    o.x = static_cast<int16_t>(at.x);
    o.y = static_cast<int16_t>(at.y);
    o.theme[0] = static_cast<char>('1' + i % 3);
    o.theme[1] = static_cast<char>('2' + i % 4);
    setCityText(o.name, objects[i]);
    m.userObjects.push_back(o);
  }
  m.userObjectsDeclared = static_cast<int32_t>(m.userObjects.size());
  for (int i = 0; i < 2; ++i) {
    SignRecord s;
    s.id = i + 1;
    s.p = 1000.0f * (i + 1);
    s.q = 700;
    setCityText(s.text, "Знак " + std::to_string(i));
    m.signRecords.push_back(s);
  }
  m.signRecordsDeclared = static_cast<int32_t>(m.signRecords.size());

  // Street names in folded byte order, the tables north to south.
  std::stable_sort(m.streetNames.begin(), m.streetNames.end(),
                   [](const StreetName& a, const StreetName& b) {
                     std::string fa(a.name), fb(b.name);
                     foldCase(fa);
                     foldCase(fb);
                     return std::lexicographical_compare(
                         fa.begin(), fa.end(), fb.begin(), fb.end(), [](char x, char y) {
                           return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
                         });
                   });
  sortNorthToSouth(m);
  indexStreetCodes(m);
  return m;
}

// The two title sheet files of the small city.
inline TitleSheetFile smallCityTitle(bool regional) {
  TitleSheetFile t;
  t.hasHeader = regional;
  if (regional) {
    t.extent[2] = 50000;
    t.extent[3] = 60000;
  }
  t.shapes.push_back({{{100, 2900}, {3900, 3100}, {100, 2900}}});
  t.shapes.push_back({{{500, 500}, {3500, 600}}});
  t.texts.push_back({regional ? 'e' : 'o', 2000, 1000, utf8ToCp1251("Тихоморск")});
  t.texts.push_back({regional ? 'g' : 'q', 3000, 3500, utf8ToCp1251("залив")});
  return t;
}

}  // namespace tikhomap::fuzz
