#include "bench/osm_town/osm_town.h"

#include <cmath>
#include <cstdint>
#include <exception>
#include <osmium/builder/osm_object_builder.hpp>
#include <osmium/io/any_output.hpp>
#include <osmium/memory/buffer.hpp>
#include <osmium/osm/box.hpp>
#include <utility>
#include <vector>

namespace tikhomap::bench {
namespace {

using Tags = std::vector<std::pair<std::string, std::string>>;
constexpr double kRowStep = 0.00045;     // about 50 m north
constexpr double kColumnStep = 0.00067;  // about 51 m east at 47°
constexpr double kSouth = 47.002, kWest = 9.002;

// Objects go out by kind (nodes, then ways, then relations) with rising ids,
// as OSM files are sorted; each kind is gathered in its own buffer and
// handed to the writer in slices to keep memory flat.
class TownWriter {
 public:
  explicit TownWriter(osmium::io::Writer& writer) : writer_(writer) {}

  int64_t node(double lat, double lon, const Tags& tags = {}) {
    {
      osmium::builder::NodeBuilder b{nodes_};
      b.set_id(++nodeId_).set_version(1).set_location(osmium::Location{lon, lat});
      addTags(b, tags);
    }
    nodes_.commit();
    flushIfFull(nodes_);
    return nodeId_;
  }

  int64_t way(const std::vector<int64_t>& refs, const Tags& tags) {
    {
      osmium::builder::WayBuilder b{ways_};
      b.set_id(++wayId_).set_version(1);
      {
        osmium::builder::WayNodeListBuilder list{b};
        for (int64_t r : refs) list.add_node_ref(r);
      }
      addTags(b, tags);
    }
    ways_.commit();
    return wayId_;
  }

  void relation(const std::vector<int64_t>& outerWays, const Tags& tags) {
    {
      osmium::builder::RelationBuilder b{relations_};
      b.set_id(++relationId_).set_version(1);
      {
        osmium::builder::RelationMemberListBuilder list{b};
        for (int64_t w : outerWays) list.add_member(osmium::item_type::way, w, "outer");
      }
      addTags(b, tags);
    }
    relations_.commit();
  }

  // Ways are kept until every node is out (their ids follow the nodes').
  void finish() {
    writer_(std::move(nodes_));
    writer_(std::move(ways_));
    writer_(std::move(relations_));
  }

 private:
  template <typename Builder>
  static void addTags(Builder& b, const Tags& tags) {
    if (tags.empty()) return;
    osmium::builder::TagListBuilder list{b};
    for (const auto& [k, v] : tags) list.add_tag(k, v);
  }

  void flushIfFull(osmium::memory::Buffer& buffer) {
    if (buffer.committed() < kSlice) return;
    writer_(std::move(buffer));
    buffer = osmium::memory::Buffer{kSlice * 2, osmium::memory::Buffer::auto_grow::yes};
  }

  static constexpr size_t kSlice = 16 << 20;
  osmium::io::Writer& writer_;
  osmium::memory::Buffer nodes_{kSlice * 2, osmium::memory::Buffer::auto_grow::yes};
  osmium::memory::Buffer ways_{kSlice * 2, osmium::memory::Buffer::auto_grow::yes};
  osmium::memory::Buffer relations_{1 << 16, osmium::memory::Buffer::auto_grow::yes};
  int64_t nodeId_ = 0, wayId_ = 0, relationId_ = 0;
};

void buildTown(TownWriter& town, int houses, int rows, int columns) {
  const double north = kSouth + rows * kRowStep, east = kWest + columns * kColumnStep;
  int built = 0;
  for (int r = 0; r < rows && built < houses; ++r) {
    const double lat = kSouth + r * kRowStep;
    const std::string street = "Strasse " + std::to_string(r + 1);
    town.way({town.node(lat - 0.00012, kWest - 0.001), town.node(lat - 0.00012, east)},
             {{"highway", "residential"}, {"name", street}});
    for (int c = 0; c < columns && built < houses; ++c, ++built) {
      const double lon = kWest + c * kColumnStep;
      const int64_t a = town.node(lat, lon), b = town.node(lat, lon + 0.0002),
                    d = town.node(lat + 0.00015, lon + 0.0002), e = town.node(lat + 0.00015, lon);
      town.way({a, b, d, e, a}, {{"building", "apartments"},
                                 {"building:levels", "5"},
                                 {"addr:housenumber", std::to_string(c + 1)},
                                 {"addr:street", street}});
      if (c % 10 == 0)
        town.node(lat + 0.00007, lon + 0.0001,
                  {{"shop", "bakery"}, {"name", "Bäckerei " + std::to_string(built)}});
    }
  }
  // The country, a relation, and its four municipalities, closed ways.
  const auto ring = [&town](double lat0, double lon0, double lat1, double lon1, const Tags& tags) {
    const int64_t a = town.node(lat0, lon0);
    return town.way({a, town.node(lat0, lon1), town.node(lat1, lon1), town.node(lat1, lon0), a},
                    tags);
  };
  const double midLat = (kSouth + north) / 2, midLon = (kWest + east) / 2;
  const int64_t country = ring(kSouth - 0.012, kWest - 0.012, north + 0.01, east + 0.01, {});
  for (int q = 0; q < 4; ++q) {
    const double lat0 = q / 2 ? midLat : kSouth - 0.002, lat1 = q / 2 ? north + 0.002 : midLat;
    const double lon0 = q % 2 ? midLon : kWest - 0.002, lon1 = q % 2 ? east + 0.002 : midLon;
    ring(lat0, lon0, lat1, lon1,
         {{"boundary", "administrative"},
          {"admin_level", "8"},
          {"name", "Gemeinde " + std::to_string(q + 1)}});
  }
  for (int p = 0; p < 30; ++p)
    town.node(kSouth + 0.003 + (p % 6) * (north - kSouth) / 6,
              kWest + 0.008 + (p / 6) * (east - kWest) / 5,
              {{"place", p % 3 ? "village" : "suburb"}, {"name", "Ort " + std::to_string(p)}});
  town.relation({country}, {{"type", "boundary"},
                            {"boundary", "administrative"},
                            {"admin_level", "2"},
                            {"name", "Land"}});
}

}  // namespace

bool writeOsmTown(const std::filesystem::path& path, int houses, std::string* error) {
  const int columns = static_cast<int>(std::ceil(std::sqrt(std::max(1, houses))));
  const int rows = (std::max(1, houses) + columns - 1) / columns;
  try {
    osmium::io::Header header;
    header.set("generator", "tikhomap bench town");
    header.add_box(osmium::Box{kWest - 0.02, kSouth - 0.02, kWest + columns * kColumnStep + 0.02,
                               kSouth + rows * kRowStep + 0.02});
    const std::string format = path.extension() == ".pbf" ? "pbf" : "osm";
    osmium::io::Writer writer{osmium::io::File{path.string(), format}, header,
                              osmium::io::overwrite::allow};
    TownWriter town{writer};
    buildTown(town, houses, rows, columns);
    town.finish();
    writer.close();
    return true;
  } catch (const std::exception& e) {
    if (error) *error = path.string() + ": " + e.what();
    return false;
  }
}

}  // namespace tikhomap::bench
