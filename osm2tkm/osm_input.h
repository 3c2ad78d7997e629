// Reading an extract (.osm.pbf, .osm, .osm.bz2) into the importer's plain
// model. The only part of the importer that knows the reading library.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "osm2tkm/osm_model.h"

namespace tikhomap::osm {

// Two passes over the file: the multipolygon relations first, then nodes and
// ways with the relations' areas. false with a message (the file cannot be
// read, is cut inside a block, is not OSM data); nothing of the extract is
// then to be trusted.
bool readExtract(const std::filesystem::path& input, Extract& extract, std::string& error,
                 const std::function<void(const std::string&)>& progress = {});

}  // namespace tikhomap::osm
