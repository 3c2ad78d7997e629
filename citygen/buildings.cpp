#include "citygen/buildings.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

namespace tikhomap::citygen {

namespace {

// Buckets of boxes and street segments for the collision tests.
struct SpatialIndex {
  double cell = 60;
  int n = 0;
  std::vector<std::vector<uint32_t>> buckets;
  void init(double extent) {
    n = static_cast<int>(extent / cell) + 3;
    buckets.assign(static_cast<size_t>(n) * n, {});
  }
  int at(double v) const { return std::clamp(static_cast<int>(v / cell), 0, n - 1); }
  template <typename F>
  void visit(Vec lo, Vec hi, F&& f) const {
    for (int a = at(lo.x); a <= at(hi.x); ++a)
      for (int b = at(lo.y); b <= at(hi.y); ++b)
        for (uint32_t id : buckets[static_cast<size_t>(a) * n + b]) f(id);
  }
  void add(Vec lo, Vec hi, uint32_t id) {
    for (int a = at(lo.x); a <= at(hi.x); ++a)
      for (int b = at(lo.y); b <= at(hi.y); ++b)
        buckets[static_cast<size_t>(a) * n + b].push_back(id);
  }
};

struct Segment {
  Vec a, b;
  double half;
};

enum class Shape { Rect, L, U, Courtyard };

struct Design {
  Shape shape = Shape::Rect;
  double front = 20, depth = 12, setback = 6, gap = 6;
  int purpose = 411, floors = 1;
  std::string description;
  bool backRow = false;
};

// Outline in the box's own frame: u along the street, v away from it.
Polyline shapeOutline(Shape shape, double w, double d, CityRandom& rng) {
  const double hw = w / 2;
  switch (shape) {
    case Shape::Rect:
      return {{-hw, 0}, {hw, 0}, {hw, d}, {-hw, d}};
    case Shape::L: {
      const double bar = std::min(14.0, d * 0.45), wing = std::min(16.0, w * 0.35);
      if (rng.chance(0.5))
        return {{-hw, 0}, {hw, 0}, {hw, bar}, {-hw + wing, bar}, {-hw + wing, d}, {-hw, d}};
      return {{-hw, 0}, {hw, 0}, {hw, d}, {hw - wing, d}, {hw - wing, bar}, {-hw, bar}};
    }
    case Shape::U: {
      const double bar = std::min(14.0, d * 0.4), wing = std::min(15.0, w * 0.28);
      return {{-hw, 0},         {hw, 0},           {hw, d},         {hw - wing, d},
              {hw - wing, bar}, {-hw + wing, bar}, {-hw + wing, d}, {-hw, d}};
    }
    case Shape::Courtyard: {
      // The yard is a hole reached by a seam of zero width, so that the
      // outline stays one ring and fills with the yard left open.
      const double t = std::min(14.0, std::min(w, d) * 0.3);
      return {{-hw, 0},    {hw, 0},      {hw, d},          {0, d},     {0, d - t}, {hw - t, d - t},
              {hw - t, t}, {-hw + t, t}, {-hw + t, d - t}, {0, d - t}, {0, d},     {-hw, d}};
    }
  }
  return {};
}

const char* pickText(CityRandom& rng, std::initializer_list<const char*> items) {
  const size_t k = static_cast<size_t>(rng.range(0, static_cast<int>(items.size()) - 1));
  return *(items.begin() + static_cast<long>(k));
}

Design chooseDesign(double ring, bool industrial, CityRandom& rng, double scale,
                    std::map<int, int>& counters) {
  Design d;
  auto numbered = [&](const char* text, int purpose) {
    return std::string(text) + " № " + std::to_string(++counters[purpose]);
  };
  if (industrial) {
    d.purpose = rng.chance(0.85) ? 777 : 413;
    d.front = rng.uniform(24, 70), d.depth = rng.uniform(18, 45), d.setback = rng.uniform(8, 20);
    d.floors = rng.range(1, 3), d.gap = rng.uniform(8, 25);
    d.description = d.purpose == 777 ? pickText(rng, {"цех", "склад", "производственный корпус",
                                                      "котельная", "мастерские", "холодильник"})
                                     : pickText(rng, {"гаражи", "склад"});
    return d;
  }
  const double r = rng.unit();
  // ring: 0 in the centre, 1 at the edge of the town.
  if (r < 0.018 && ring < 0.85) {
    d.purpose = 444;
    const bool school = rng.chance(0.55);
    d.shape = school ? Shape::U : Shape::Rect;
    d.front = school ? rng.uniform(55, 75) : rng.uniform(30, 45);
    d.depth = school ? rng.uniform(30, 40) : rng.uniform(14, 20);
    d.setback = rng.uniform(18, 30), d.floors = school ? rng.range(3, 4) : 2;
    d.description = school ? numbered(rng.chance(0.85) ? "школа" : "гимназия", 1444)
                           : numbered("детский сад", 2444);
    return d;
  }
  if (r < 0.026 && ring < 0.9) {
    d.purpose = 555;
    const bool hospital = rng.chance(0.3);
    d.shape = hospital ? Shape::L : Shape::Rect;
    d.front = rng.uniform(40, 70), d.depth = hospital ? rng.uniform(30, 45) : rng.uniform(14, 18);
    d.setback = rng.uniform(12, 25), d.floors = hospital ? rng.range(5, 9) : rng.range(3, 5);
    d.description = hospital ? numbered("городская больница", 1555) : numbered("поликлиника", 2555);
    return d;
  }
  if (r < 0.05) {
    d.purpose = 461;
    d.front = rng.uniform(18, 40), d.depth = rng.uniform(12, 20), d.setback = rng.uniform(5, 12);
    d.floors = ring < 0.4 ? rng.range(2, 6) : rng.range(1, 3);
    d.description = pickText(rng, {"магазин", "почта", "универсам", "отделение банка",
                                   "администрация", "отделение полиции", "жилищная контора", "суд",
                                   "налоговая инспекция", "рынок", "ателье", "баня"});
    return d;
  }
  if (r < 0.058) {
    d.purpose = 888;
    d.front = rng.uniform(30, 60), d.depth = rng.uniform(20, 35), d.setback = rng.uniform(12, 25);
    d.floors = rng.range(2, 4);
    d.description = pickText(rng, {"Дом культуры", "кинотеатр", "библиотека", "спорткомплекс",
                                   "бассейн", "музей", "театр", "концертный зал", "дворец спорта"});
    return d;
  }
  if (r < 0.066 && ring < 0.35) {
    d.purpose = 464;
    d.front = rng.uniform(30, 60), d.depth = rng.uniform(25, 40), d.setback = rng.uniform(8, 18);
    d.floors = rng.range(4, 22);
    d.description = pickText(rng, {"торговый центр", "бизнес-центр", "офисный центр", "гостиница"});
    return d;
  }
  if (r < 0.08 && ring < 0.7) {
    const int kinds[] = {658, 658, 658, 657, 659, 660, 661};
    d.purpose = kinds[rng.range(0, 6)];
    d.front = rng.uniform(24, 60), d.depth = rng.uniform(12, 16), d.setback = rng.uniform(8, 14);
    d.floors = d.purpose == 658 ? rng.range(9, 16) : rng.range(2, 5);
    if (d.purpose == 657) d.description = "торговый павильон";
    if (d.purpose == 659) d.description = "клуб";
    if (d.purpose == 660) d.description = numbered("детский сад", 2444);
    if (d.purpose == 661) d.description = "аптека";
    return d;
  }
  if (r < 0.10 && ring > 0.35) {
    d.purpose = 413;
    const bool garages = rng.chance(0.6);
    d.front = garages ? rng.uniform(24, 48) : rng.uniform(5, 9);
    d.depth = garages ? 6 : rng.uniform(4, 7);
    d.setback = rng.uniform(6, 16), d.floors = 1;
    d.description = garages ? pickText(rng, {"гаражи", "гаражи", "гараж", "гаражный кооператив"})
                            : pickText(rng, {"сарай", "склад", "мастерская"});
    return d;
  }
  if (r < 0.102) {
    d.purpose = 777;
    d.front = rng.uniform(20, 40), d.depth = rng.uniform(15, 25), d.setback = rng.uniform(8, 15);
    d.floors = rng.range(1, 2);
    d.description = pickText(rng, {"котельная", "подстанция", "насосная станция", "мастерские"});
    return d;
  }
  d.purpose = 411;
  const double outer = ring + rng.uniform(-0.1, 0.1);
  if (outer > 0.72 || (scale < 0.5 && outer > 0.6)) {
    // Private houses with a yard.
    d.front = rng.uniform(8, 13), d.depth = rng.uniform(8, 12), d.setback = rng.uniform(5, 10);
    d.floors = rng.chance(0.7) ? 1 : 2, d.gap = rng.uniform(10, 24);
    d.shape = rng.chance(0.2) ? Shape::L : Shape::Rect;
    if (d.shape == Shape::L) d.depth += 5, d.front += 3;
    return d;
  }
  if (outer < 0.3) {
    const double s = rng.unit();
    d.shape =
        s < 0.3 ? Shape::Courtyard : (s < 0.55 ? Shape::L : (s < 0.65 ? Shape::U : Shape::Rect));
    d.front = rng.uniform(40, 85);
    d.depth = d.shape == Shape::Rect ? rng.uniform(14, 18) : rng.uniform(45, 60);
    d.setback = rng.uniform(3, 6), d.gap = rng.uniform(3, 10);
    d.floors = rng.chance(0.08) ? rng.range(12, 25) : rng.range(4, 9);
    d.backRow = d.shape == Shape::Rect && rng.chance(0.5);
    return d;
  }
  // Panel blocks of the middle ring.
  const double s = rng.unit();
  d.shape = s < 0.7 ? Shape::Rect : (s < 0.9 ? Shape::L : Shape::U);
  d.front = rng.uniform(30, 100);
  d.depth = d.shape == Shape::Rect ? rng.uniform(11, 14) : rng.uniform(35, 50);
  d.setback = rng.uniform(6, 14), d.gap = rng.uniform(8, 22);
  const double f = rng.unit();
  d.floors = f < 0.45 ? 5 : (f < 0.75 ? 9 : (f < 0.85 ? rng.range(2, 4) : rng.range(10, 16)));
  d.backRow = d.shape == Shape::Rect && rng.chance(0.35);
  if (d.floors <= 4 && rng.chance(0.05)) d.description = "общежитие";
  return d;
}

}  // namespace

std::vector<PlacedBuilding> placeBuildings(CityPlan& plan, const std::vector<Street>& streets,
                                           CityRandom rng, size_t maxCount) {
  const SiteRaster& r = plan.raster;
  SpatialIndex segIndex, boxIndex;
  segIndex.init(plan.extent * 1.05);
  boxIndex.init(plan.extent * 1.05);
  std::vector<Segment> segments;
  for (const Street& s : streets)
    for (const StreetPiece& p : s.pieces)
      for (size_t k = 1; k < p.points.size(); ++k) {
        const Vec a = p.points[k - 1], b = p.points[k];
        segments.push_back({a, b, s.width / 2});
        const double pad = s.width;
        segIndex.add({std::min(a.x, b.x) - pad, std::min(a.y, b.y) - pad},
                     {std::max(a.x, b.x) + pad, std::max(a.y, b.y) + pad},
                     static_cast<uint32_t>(segments.size() - 1));
      }
  std::vector<Box> boxes;
  std::vector<PlacedBuilding> out;
  std::map<int, int> counters;
  std::set<std::pair<int, int>> addressPoints;
  const double townRadius = townReach(plan);

  auto groundOk = [&](Vec p, bool industrial) {
    const uint8_t u = r.useAt(p);
    if (u == kIndustry) return industrial;
    return u == kLand && !industrial && r.waterDistanceAt(p) >= 12;
  };
  auto fits = [&](const Box& box, bool industrial) {
    for (int i = 0; i < 4; ++i)
      if (!groundOk(box.corner(i), industrial)) return false;
    if (!groundOk(box.centre, industrial)) return false;
    Box padded = box;
    padded.halfLength += 2, padded.halfWidth += 2;
    const double reach = box.halfLength + box.halfWidth + 4;
    bool clear = true;
    boxIndex.visit(box.centre - Vec{reach, reach}, box.centre + Vec{reach, reach},
                   [&](uint32_t id) {
                     if (clear && boxesOverlap(padded, boxes[id])) clear = false;
                   });
    if (!clear) return false;
    segIndex.visit(box.centre - Vec{reach, reach}, box.centre + Vec{reach, reach},
                   [&](uint32_t id) {
                     const Segment& s = segments[id];
                     if (clear && boxSegmentDistance(box, s.a, s.b) < s.half + 2.5) clear = false;
                   });
    return clear;
  };
  auto commit = [&](const Box& box, const Design& d, size_t street, int side, double arc, int rank,
                    CityRandom& local) -> bool {
    // Frame: u along the street, v away from it; the front edge faces it.
    const Vec u = box.axis;
    const Vec v = side == 0 ? leftNormal(u) : leftNormal(u) * -1.0;
    const Vec frontMid = box.centre - v * box.halfWidth;
    Polyline local2 = shapeOutline(d.shape, box.halfLength * 2, box.halfWidth * 2, local);
    PlacedBuilding b;
    for (const Vec& q : local2) b.outline.push_back(frontMid + u * q.x + v * q.y);
    if (side == 1) std::reverse(b.outline.begin(), b.outline.end());
    if (d.shape == Shape::Courtyard)
      for (size_t k : {5, 6, 7, 8}) b.yard.push_back(frontMid + u * local2[k].x + v * local2[k].y);
    const Vec address = frontMid + v * std::min(3.0, box.halfWidth * 0.5);
    const std::pair<int, int> key{static_cast<int>(std::lround(address.x)),
                                  static_cast<int>(std::lround(address.y))};
    // The address point must lie clearly inside one district's polygon.
    const Vec ap{static_cast<double>(key.first), static_cast<double>(key.second)};
    double d1 = 1e300, d2 = 1e300;
    int nearest = 0;
    for (const DistrictSeed& seed : plan.seeds) {
      const double d = distance(ap, seed.at);
      if (d < d1)
        d2 = d1, d1 = d, nearest = seed.district;
      else if (d < d2)
        d2 = d;
    }
    if (nearest == 0 || d2 - d1 < 3 || !pointInPolygon(plan.coast, ap)) return false;
    if (!addressPoints.insert(key).second) return false;
    b.address = {static_cast<double>(key.first), static_cast<double>(key.second)};
    b.purpose = d.purpose, b.floors = d.floors, b.street = street, b.side = side, b.arc = arc;
    b.rank = rank, b.description = d.description;
    boxes.push_back(box);
    const double reach = box.halfLength + box.halfWidth;
    boxIndex.add(box.centre - Vec{reach, reach}, box.centre + Vec{reach, reach},
                 static_cast<uint32_t>(boxes.size() - 1));
    out.push_back(std::move(b));
    return true;
  };

  // Streets in a shuffled order, so that a cap on the count thins the whole
  // town evenly instead of leaving its last streets empty.
  std::vector<size_t> order(streets.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  for (size_t i = order.size(); i > 1; --i)
    std::swap(order[i - 1], order[static_cast<size_t>(rng.range(0, static_cast<int>(i) - 1))]);
  for (size_t oi = 0; oi < order.size() && out.size() < maxCount; ++oi) {
    const size_t si = order[oi];
    const Street& st = streets[si];
    if (st.style == StreetStyle::Highway) continue;
    for (const StreetPiece& piece : st.pieces) {
      const double len = polylineLength(piece.points);
      for (int side = 0; side < 2; ++side) {
        double a = rng.uniform(6, 14);
        while (a < len - 8 && out.size() < maxCount) {
          Vec t0, t1;
          const Vec p0 = pointAtArc(piece.points, a, &t0);
          const Vec probe = pointAtArc(piece.points, std::min(a + 20, len), &t1);
          const double ring = distance(p0, plan.centre) / townRadius;
          const bool industrial =
              r.useAt(p0 + leftNormal(t0) * (side == 0 ? 30.0 : -30.0)) == kIndustry;
          Design d = chooseDesign(ring, industrial, rng, plan.scale, counters);
          d.front *= plan.scale < 0.5 ? 0.8 : 1.0;
          if (a + d.front > len - 4) break;
          Vec tangent;
          const Vec mid = pointAtArc(piece.points, a + d.front / 2, &tangent);
          Vec tEnd;
          pointAtArc(piece.points, a + d.front, &tEnd);
          if (dot(t0, tEnd) < 0.985) {
            // Round a bend: only small houses follow a curve.
            if (d.front > 16) {
              a += 6;
              continue;
            }
          }
          (void)probe, (void)t1;
          const Vec normal = side == 0 ? leftNormal(tangent) : leftNormal(tangent) * -1.0;
          Box box;
          box.axis = tangent;
          box.halfLength = d.front / 2;
          box.halfWidth = d.depth / 2;
          box.centre = mid + normal * (st.width / 2 + d.setback + d.depth / 2);
          if (!fits(box, industrial)) {
            a += 7;
            continue;
          }
          CityRandom local = rng.fork(out.size());
          if (!commit(box, d, si, side, a + d.front / 2, 0, local)) {
            a += 7;
            continue;
          }
          if (d.backRow) {
            Design back = d;
            back.shape = Shape::Rect;
            back.depth = rng.uniform(11, 14);
            Box box2 = box;
            box2.halfWidth = back.depth / 2;
            box2.centre =
                box.centre + normal * (d.depth / 2 + rng.uniform(18, 30) + back.depth / 2);
            if (fits(box2, industrial)) commit(box2, back, si, side, a + d.front / 2, 1, local);
          } else if (d.purpose == 411 && d.floors <= 2 && rng.chance(0.2)) {
            // A shed or a garage in the yard of a private house.
            Design shed;
            shed.purpose = 413, shed.floors = 1;
            shed.description = rng.chance(0.5) ? "сарай" : "гараж";
            Box box2;
            box2.axis = tangent;
            box2.halfLength = rng.uniform(2.5, 4);
            box2.halfWidth = rng.uniform(2, 3);
            box2.centre = box.centre + normal * (d.depth / 2 + 6 + box2.halfWidth) +
                          tangent * rng.uniform(-box.halfLength * 0.5, box.halfLength * 0.5);
            if (fits(box2, false)) commit(box2, shed, si, side, a + d.front / 2, 1, local);
          }
          a += d.front + d.gap;
        }
      }
    }
  }
  return out;
}

void thinBuildings(std::vector<PlacedBuilding>& buildings, size_t limit, CityRandom rng) {
  if (buildings.size() <= limit) return;
  // Plain houses, sheds and garages give way first, spread over the town.
  std::vector<size_t> plain;
  for (size_t i = 0; i < buildings.size(); ++i)
    if (buildings[i].purpose == 411 || buildings[i].purpose == 413) plain.push_back(i);
  for (size_t i = plain.size(); i > 1; --i)
    std::swap(plain[i - 1], plain[static_cast<size_t>(rng.range(0, static_cast<int>(i) - 1))]);
  std::vector<char> drop(buildings.size(), 0);
  const size_t excess = std::min(buildings.size() - limit, plain.size());
  for (size_t k = 0; k < excess; ++k) drop[plain[k]] = 1;
  size_t out = 0;
  for (size_t i = 0; i < buildings.size(); ++i)
    if (!drop[i] && out < limit) {
      if (out != i) buildings[out] = std::move(buildings[i]);
      ++out;
    }
  buildings.resize(out);
}

void numberBuildings(std::vector<PlacedBuilding>& buildings, size_t streetCount, CityRandom rng) {
  std::vector<std::vector<size_t>> bySide(streetCount * 2);
  for (size_t i = 0; i < buildings.size(); ++i)
    bySide[buildings[i].street * 2 + buildings[i].side].push_back(i);
  static const char* const kLetters[] = {"а", "б", "в"};
  for (size_t s = 0; s < bySide.size(); ++s) {
    auto& list = bySide[s];
    std::sort(list.begin(), list.end(), [&](size_t a, size_t b) {
      const auto& A = buildings[a];
      const auto& B = buildings[b];
      return A.arc != B.arc ? A.arc < B.arc : A.rank < B.rank;
    });
    int number = (s % 2 == 0) ? -1 : 0;
    int letter = 0, corpus = 1;
    bool slashForm = false;
    for (size_t k = 0; k < list.size(); ++k) {
      PlacedBuilding& b = buildings[list[k]];
      if (b.rank == 1 && number > 0) {
        // Behind the house in front: another block of the same number, all
        // of one form ("12к2", "12к3" or "12/1", "12/2").
        ++corpus;
        const std::string base = std::to_string(number) + (letter ? kLetters[letter - 1] : "");
        if (letter || !slashForm)
          b.number = base + "к" + std::to_string(corpus);
        else
          b.number = base + "/" + std::to_string(corpus - 1);
        continue;
      }
      // A letter only after a house without blocks behind it, so that the
      // numbers keep their order along the street.
      if (number > 0 && letter < 3 && corpus == 1 && rng.chance(0.05)) {
        ++letter;
        b.number = std::to_string(number) + kLetters[letter - 1];
        continue;
      }
      slashForm = rng.chance(0.5);
      corpus = 1;
      letter = 0;
      number += rng.chance(0.08) ? 4 : 2;
      b.number = std::to_string(number);
    }
  }
}

}  // namespace tikhomap::citygen
