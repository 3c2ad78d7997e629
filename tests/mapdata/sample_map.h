// A small map model for the tests, with Cyrillic names (cp1251 bytes >= 0x80
// in the files) and coordinates above 32767 so that sign and byte-order
// faults show.
#pragma once

#include <cstring>
#include <string>

#include "mapdata/map_data.h"

namespace tikhomap::testing {

inline void setText(std::string& field, const std::string& utf8) {
  field = utf8;
}

inline MapFeature feature(int16_t code, std::initializer_list<MapPoint> pts) {
  MapFeature f;
  f.code = code;
  f.points = pts;
  f.pointCount = static_cast<int16_t>(f.points.size());
  f.bounds = {pts.begin()->x, pts.begin()->y, pts.begin()->x + 10, pts.begin()->y + 10};
  return f;
}

inline MapData sampleMap() {
  MapData m;
  Microdistrict md;
  md.x = 40000;
  md.y = 1234;
  setText(md.name, "Ёлочный-2 «Южный»");
  m.microdistricts.push_back(md);
  md.x = 7;
  md.y = 65535;
  setText(md.name, "Центр");
  m.microdistricts.push_back(md);

  m.cityExtent = {1000.5f, 2000.25f, 45000.0f, 52000.0f};
  DistrictArea land;
  land.district = 0;
  land.points = {{40000, 300}, {41000, 33000}, {500, 65535}, {40000, 300}};
  land.pointCount = 4;
  land.boundsLow[0] = 500;
  land.boundsLow[1] = 300;
  land.boundsLow[2] = 41000;
  land.boundsLow[3] = 65535;
  m.districtAreas.push_back(land);
  DistrictArea d;
  d.district = 3;
  d.points = {{100, 200}, {300, 400}, {100, 200}};
  d.pointCount = 3;
  m.districtAreas.push_back(d);

  m.areaFeatures.push_back(feature(718, {{40000.5f, 100.25f}, {39000, 200}, {38000, 50000}}));
  m.lineFeatures.push_back(feature(9005, {{1, 2}, {3, 4}}));
  m.waterFeatures.push_back(feature(-3, {{-1.5f, 2}, {3, 4}, {5, 6}, {7, 8}, {9, 10}}));
  m.streetOutlines.push_back(feature(12, {{33000, 34000}, {33001, 34001}}));

  m.streetLines.push_back(feature(5, {{35000, 100}, {35100, 200}}));
  m.streetLines.push_back(feature(200, {{100, 100}, {110, 200}, {120, 300}}));
  StreetName s;
  s.kind = 0;
  s.streetCode = 5;
  setText(s.name, "Абрикосовая ул.");
  m.streetNames.push_back(s);
  s.kind = 200;  // a kind byte above 127 must stay positive
  s.streetCode = 200;
  setText(s.name, "Ясная/Нижняя");
  m.streetNames.push_back(s);
  m.streetLabelPoints.push_back({40000, 1000, 3, 5});
  m.streetLabelPoints.push_back({100, 65000, -2, 200});

  Building b;
  b.x = 40001;
  b.y = 33333;
  b.purpose = 411;
  b.floors = 9;
  b.streetCode = 200;
  setText(b.houseNumber, "12а");
  setText(b.description, "Школа №5 — корпус «Б»");
  b.outline = {{40000, 33000}, {40010, 33000}, {40010, 33010}, {40000, 33010}, {40000, 33000}};
  b.pointCount = 5;
  b.bounds = {40000, 33000, 40010, 33010};
  m.buildings.push_back(b);
  Building empty;
  empty.x = 1;
  empty.y = 2;
  empty.bounds = {1, 2, 3, 4};
  m.buildings.push_back(empty);

  ThemeNode group;
  group.code[0] = '3';
  group.code[1] = '1';
  setText(group.name, "Образование");
  m.themeNodes.push_back(group);
  ThemeNode theme;
  theme.code[0] = '3';
  theme.code[1] = '2';
  setText(theme.name, "Школы");
  m.themeNodes.push_back(theme);
  m.themeNodes[0].children = 1;
  m.themeHead = 0;

  UserObject o;
  o.x = static_cast<int16_t>(40001 - 65536);
  o.y = 1234;
  o.theme[0] = '3';
  o.theme[1] = '2';
  setText(o.name, "Гимназия №1, им. Пушкина");
  m.userObjects.push_back(o);
  m.userObjectsDeclared = 1;

  SignRecord sr;
  sr.id = 70000;
  sr.a = -5;
  sr.b = 12;
  sr.p = 40000;
  sr.q = -7;
  setText(sr.text, "Знак, с запятой");
  m.signRecords.push_back(sr);
  m.signRecordsDeclared = 1;
  return m;
}

}  // namespace tikhomap::testing
