// A generated town as an OpenStreetMap file, for the importer's benchmarks:
// houses of five storeys in rows along named streets, each with an address,
// a shop in every tenth, four municipalities inside a country and places.
// Rows run 50 m apart and houses 51 m apart along them, so the town grows
// as a square of about sqrt(houses) rows.
#pragma once

#include <filesystem>
#include <string>

namespace tikhomap::bench {

// Writes the town of `houses` buildings to `path` (PBF when the name ends in
// .pbf, OSM XML otherwise). Returns false with `error` set when it cannot.
bool writeOsmTown(const std::filesystem::path& path, int houses, std::string* error);

}  // namespace tikhomap::bench
