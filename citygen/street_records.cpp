#include "citygen/street_records.h"

#include <algorithm>
#include <cmath>

#include "citygen/map_records.h"

namespace tikhomap::citygen {

namespace {

constexpr double kMaxAxisRecord = 1200;  // metres of street per axis record
constexpr double kLabelSpacing = 450;    // between anchors of the closest view

struct AxisSegment {
  Vec a, b;
  double half;
  size_t street;
};

// Splits a piece into records of bounded length, at junctions where it can.
std::vector<Polyline> splitPiece(const StreetPiece& piece) {
  std::vector<Polyline> out;
  Polyline cur;
  double acc = 0;
  for (size_t k = 0; k < piece.points.size(); ++k) {
    if (k > 0) acc += distance(piece.points[k - 1], piece.points[k]);
    cur.push_back(piece.points[k]);
    const bool last = k + 1 == piece.points.size();
    if (!last && cur.size() >= 2 &&
        ((piece.junction[k] && acc > kMaxAxisRecord * 0.6) || acc > kMaxAxisRecord * 1.5)) {
      out.push_back(cur);
      cur = {piece.points[k]};
      acc = 0;
    }
  }
  if (cur.size() >= 2) out.push_back(cur);
  return out;
}

Polyline offsetLine(const Polyline& line, double by) {
  Polyline out;
  for (size_t i = 0; i < line.size(); ++i) {
    const Vec a = line[i > 0 ? i - 1 : 0], b = line[i], c = line[std::min(i + 1, line.size() - 1)];
    Vec n1 = leftNormal(normalized(b - a)), n2 = leftNormal(normalized(c - b));
    if (i == 0) n1 = n2;
    if (i + 1 == line.size()) n2 = n1;
    const Vec n = normalized(n1 + n2);
    const double miter = std::max(dot(n, n1), 0.5);
    out.push_back(b + n * (by / miter));
  }
  return out;
}

}  // namespace

int labelLevel(StreetClass cls, int rank) {
  int base = 40;
  if (cls == StreetClass::Avenue) base = 10;
  if (cls == StreetClass::Main) base = 20;
  if (cls == StreetClass::Lane) base = 50;
  if (rank % 4 == 0) return base;
  if (rank % 2 == 0) return std::max(base, 20);
  return std::max(base, 40);
}

void addStreetRecords(const CityPlan& plan, const std::vector<Street>& streets, MapData& map) {
  std::vector<AxisSegment> segs;
  const double cell = 80;
  const int n = static_cast<int>(plan.extent * 1.1 / cell) + 3;
  std::vector<std::vector<uint32_t>> grid(static_cast<size_t>(n) * n);
  auto at = [&](double v) { return std::clamp(static_cast<int>(v / cell), 0, n - 1); };
  for (size_t s = 0; s < streets.size(); ++s)
    for (const StreetPiece& p : streets[s].pieces)
      for (size_t k = 1; k < p.points.size(); ++k) {
        const Vec a = p.points[k - 1], b = p.points[k];
        segs.push_back({a, b, streets[s].width / 2, s});
        const double pad = streets[s].width;
        for (int gx = at(std::min(a.x, b.x) - pad); gx <= at(std::max(a.x, b.x) + pad); ++gx)
          for (int gy = at(std::min(a.y, b.y) - pad); gy <= at(std::max(a.y, b.y) + pad); ++gy)
            grid[static_cast<size_t>(gx) * n + gy].push_back(
                static_cast<uint32_t>(segs.size() - 1));
      }

  for (size_t s = 0; s < streets.size(); ++s) {
    const Street& st = streets[s];
    const int code = static_cast<int>(s) + 1;
    StreetName name;
    name.kind = static_cast<int16_t>(st.kind);
    name.streetCode = static_cast<int16_t>(code);
    name.name = fileText(st.name, kNameBytes);
    map.streetNames.push_back(name);
    int rank = 0;
    for (const StreetPiece& piece : st.pieces) {
      for (const Polyline& axis : splitPiece(piece)) {
        map.streetLines.push_back(makeFeature(code, axis));
        // The two edges, open where another street crosses.
        auto outsideOthers = [&](Vec q) {
          for (uint32_t id : grid[static_cast<size_t>(at(q.x)) * n + at(q.y)]) {
            const AxisSegment& g = segs[id];
            if (g.street != s && distanceToSegment(q, g.a, g.b) < g.half - 0.2) return false;
          }
          return true;
        };
        for (double side : {1.0, -1.0})
          for (const Polyline& edge :
               clipPolyline(offsetLine(axis, side * st.width / 2), 4, outsideOthers))
            if (polylineLength(edge) > 3) map.streetOutlines.push_back(makeFeature(code, edge));
      }
      // Label anchors along the axis, on the line itself, clear of ends.
      const double len = polylineLength(piece.points);
      const int count = std::max(1, static_cast<int>(len / kLabelSpacing));
      const double step = len / count;
      for (int k = 0; k < count; ++k) {
        const Vec p = pointAtArc(piece.points, step * (k + 0.5));
        StreetLabelPoint label;
        label.x = static_cast<uint16_t>(std::lround(p.x));
        label.y = static_cast<uint16_t>(std::lround(p.y));
        label.level = static_cast<int16_t>(labelLevel(st.cls, rank++));
        label.streetCode = static_cast<int16_t>(code);
        map.streetLabelPoints.push_back(label);
      }
    }
  }
}

void addBuildingRecords(const std::vector<Street>& streets,
                        const std::vector<PlacedBuilding>& placed, MapData& map) {
  for (const PlacedBuilding& p : placed) {
    Building b;
    b.x = static_cast<uint16_t>(std::lround(p.address.x));
    b.y = static_cast<uint16_t>(std::lround(p.address.y));
    b.purpose = static_cast<int16_t>(p.purpose);
    b.floors = static_cast<int16_t>(p.floors);
    b.streetCode = static_cast<int16_t>(p.street < streets.size() ? p.street + 1 : 0);
    b.houseNumber = fileText(p.number, kHouseNumberBytes);
    b.description = fileText(p.description, kDescriptionBytes);
    const MapFeature shape = makeFeature(0, p.outline);
    b.outline = shape.points;
    b.pointCount = shape.pointCount;
    b.bounds = shape.bounds;
    map.buildings.push_back(std::move(b));
  }
}

}  // namespace tikhomap::citygen
