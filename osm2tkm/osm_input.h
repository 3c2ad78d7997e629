// Reading an extract (.osm.pbf, .osm, .osm.bz2) into the importer's plain
// model. The only part of the importer that knows the reading library.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "osm2tkm/osm_model.h"

namespace tikhomap::osm {

// The file's format from its name, in any case: "pbf", "osm", "osm.bz2",
// "osm.gz"; nothing for another name.
std::optional<std::string> inputFormat(const std::filesystem::path& input);

// The whole file read into memory and put in order of type, id and version
// (the newest version of each object kept), so that any valid file reads:
// ways before their nodes, ids out of order, negative ids. Then the
// multipolygon relations, and the nodes and ways with the areas. false with
// a message (the file cannot be read, is cut inside a block, is not OSM
// data); nothing of the extract is then to be trusted.
bool readExtract(const std::filesystem::path& input, Extract& extract, std::string& error,
                 const std::function<void(const std::string&)>& progress = {});

}  // namespace tikhomap::osm
