#include "osm2tkm/osm_input.h"

#include <algorithm>
#include <cctype>
#include <exception>
#include <osmium/area/assembler.hpp>
#include <osmium/area/multipolygon_manager.hpp>
#include <osmium/handler.hpp>
#include <osmium/handler/node_locations_for_ways.hpp>
#include <osmium/index/map/flex_mem.hpp>
#include <osmium/io/any_input.hpp>
#include <osmium/osm/object_comparisons.hpp>
#include <osmium/relations/relations_manager.hpp>
#include <osmium/tags/tags_filter.hpp>
#include <osmium/visitor.hpp>
#include <span>
#include <string_view>
#include <vector>

#include "osm2tkm/tag_mapping.h"

namespace tikhomap::osm {
namespace {

using LocationIndex =
    osmium::index::map::FlexMem<osmium::unsigned_object_id_type, osmium::Location>;
// Negative ids (objects drawn in an editor and never uploaded) have a store
// of their own: the library's default drops them.
using LocationHandler = osmium::handler::NodeLocationsForWays<LocationIndex, LocationIndex>;

constexpr std::string_view kNodeKeys[] = {"addr:housenumber", "place",      "amenity", "shop",
                                          "office",           "healthcare", "tourism", "craft",
                                          "historic",         "leisure"};
constexpr std::string_view kWayKeys[] = {"highway", "waterway", "railway", "natural",
                                         "addr:interpolation"};

bool hasAnyKey(const osmium::TagList& tags, std::span<const std::string_view> keys) {
  for (const osmium::Tag& t : tags)
    for (std::string_view k : keys)
      if (k == t.key()) return true;
  return false;
}

Tags copyTags(const osmium::TagList& tags) {
  Tags out;
  out.reserve(tags.size());
  for (const osmium::Tag& t : tags) out.emplace_back(t.key(), t.value());
  return out;
}

Ring copyRing(const osmium::NodeRefList& ring) {
  Ring out;
  out.reserve(ring.size());
  for (const osmium::NodeRef& n : ring)
    if (n.location().valid()) out.push_back({n.location().lon(), n.location().lat()});
  return out;
}

void widen(GeoBox& box, LonLat p, bool& first) {
  if (first) {
    box.min = box.max = p;
    first = false;
    return;
  }
  box.min.lon = std::min(box.min.lon, p.lon), box.min.lat = std::min(box.min.lat, p.lat);
  box.max.lon = std::max(box.max.lon, p.lon), box.max.lat = std::max(box.max.lat, p.lat);
}

class ExtractHandler : public osmium::handler::Handler {
 public:
  explicit ExtractHandler(Extract& out) : out_(out) {}

  void node(const osmium::Node& node) {
    ++out_.nodeCount;
    if (!node.location().valid()) return;
    const LonLat at{node.location().lon(), node.location().lat()};
    widen(out_.dataBox, at, firstNode_);
    if (node.tags().empty() || !hasAnyKey(node.tags(), kNodeKeys)) return;
    out_.nodes.push_back({node.id(), at, copyTags(node.tags())});
  }

  void way(const osmium::Way& way) {
    ++out_.wayCount;
    countOtherAddress(way);
    int missing = 0;
    for (const osmium::NodeRef& n : way.nodes())
      if (!n.location().valid()) ++missing;
    if (missing > 0) ++out_.waysWithMissingNodes;
    if (way.tags().empty() || !hasAnyKey(way.tags(), kWayKeys)) return;
    Way w;
    w.id = way.id();
    w.tags = copyTags(way.tags());
    w.points = copyRing(way.nodes());
    w.missingNodes = missing;
    out_.ways.push_back(std::move(w));
  }

  void relation(const osmium::Relation& relation) {
    ++out_.relationCount;
    countOtherAddress(relation);
  }

  void area(const osmium::Area& area) {
    Area a;
    a.id = area.orig_id();
    a.fromRelation = !area.from_way();
    a.tags = copyTags(area.tags());
    for (const osmium::OuterRing& outer : area.outer_rings()) {
      a.outers.push_back(copyRing(outer));
      for (const osmium::InnerRing& inner : area.inner_rings(outer))
        a.inners.push_back(copyRing(inner));
    }
    if (!a.outers.empty()) out_.areas.push_back(std::move(a));
  }

 private:
  // A house number on a way or relation that is no building has nowhere to
  // go: counted so that the summary accounts for it.
  void countOtherAddress(const osmium::OSMObject& object) {
    const char* number = object.tags()["addr:housenumber"];
    if (number == nullptr || *number == 0) return;
    if (!isBuilding(copyTags(object.tags()))) ++out_.addressesOnOtherObjects;
  }

  Extract& out_;
  bool firstNode_ = true;
};

osmium::TagsFilter areaFilter() {
  osmium::TagsFilter filter{false};
  // Areas of points of interest too: a school's grounds, a town hall's site.
  for (const char* key : {"building", "landuse", "natural", "leisure", "boundary", "amenity",
                          "shop", "office", "healthcare", "tourism", "craft", "historic"})
    filter.add_rule(true, osmium::TagMatcher{key});
  filter.add_rule(true, osmium::TagMatcher{"waterway", "riverbank"});
  return filter;
}

}  // namespace

std::optional<std::string> inputFormat(const std::filesystem::path& input) {
  std::string name = input.filename().string();
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  const auto endsWith = [&](std::string_view tail) {
    return name.size() > tail.size() &&
           name.compare(name.size() - tail.size(), tail.size(), tail) == 0;
  };
  if (endsWith(".pbf")) return "pbf";
  if (endsWith(".osm.bz2")) return "osm.bz2";
  if (endsWith(".osm.gz")) return "osm.gz";
  if (endsWith(".osm")) return "osm";
  return std::nullopt;
}

bool readExtract(const std::filesystem::path& input, Extract& extract, std::string& error,
                 const std::function<void(const std::string&)>& progress) {
  extract = Extract{};
  const std::optional<std::string> format = inputFormat(input);
  if (!format) {
    error = "the name does not end in .osm.pbf, .osm, .osm.bz2 or .osm.gz";
    return false;
  }
  try {
    const osmium::io::File file{input.string(), *format};
    // The whole file in memory, in the order of type, id and version: files
    // of query services put ways before their nodes, other tools write ids
    // in any order, and a file may hold several versions of one object.
    if (progress) progress("reading");
    osmium::io::Reader reader{file, osmium::osm_entity_bits::nwr};
    const osmium::io::Header header = reader.header();
    const osmium::Box box = header.box();
    if (box.valid()) {
      extract.hasHeaderBox = true;
      extract.headerBox = {{box.bottom_left().lon(), box.bottom_left().lat()},
                           {box.top_right().lon(), box.top_right().lat()}};
    }
    std::vector<osmium::memory::Buffer> buffers;
    std::vector<osmium::OSMObject*> objects;
    while (osmium::memory::Buffer buffer = reader.read()) {
      for (osmium::OSMObject& object : buffer.select<osmium::OSMObject>())
        objects.push_back(&object);
      buffers.push_back(std::move(buffer));  // moving keeps the objects where they are
    }
    reader.close();
    std::stable_sort(objects.begin(), objects.end(), osmium::object_order_type_id_version{});
    // The newest version of each object; one deleted in its newest version
    // is gone.
    std::vector<osmium::OSMObject*> current;
    current.reserve(objects.size());
    for (size_t i = 0; i < objects.size(); ++i) {
      const bool superseded = i + 1 < objects.size() &&
                              objects[i + 1]->type() == objects[i]->type() &&
                              objects[i + 1]->id() == objects[i]->id();
      if (!superseded && objects[i]->visible()) current.push_back(objects[i]);
    }
    objects = {};

    if (progress) progress("assembling areas");
    osmium::area::Assembler::config_type config;
    config.create_empty_areas = false;
    osmium::area::MultipolygonManager<osmium::area::Assembler> areas{config, areaFilter()};
    for (osmium::OSMObject* object : current)
      if (object->type() == osmium::item_type::relation) osmium::apply_item(*object, areas);
    areas.prepare_for_lookup();

    LocationIndex positive, negative;
    LocationHandler locations{positive, negative};
    locations.ignore_errors();  // a way with a missing node is counted, not fatal
    ExtractHandler handler{extract};
    auto assembled = areas.handler(
        [&handler](osmium::memory::Buffer&& buffer) { osmium::apply(buffer, handler); });
    for (osmium::OSMObject* object : current)
      osmium::apply_item(*object, locations, handler, assembled);
    osmium::apply_flush(locations, handler, assembled);
    const osmium::area::area_stats stats = areas.stats();
    extract.areasNotAssembled = stats.open_rings + stats.invalid_locations + stats.intersections;
  } catch (const std::exception& e) {
    error = e.what();
    return false;
  }
  return true;
}

}  // namespace tikhomap::osm
