// tkminfo: reads a map folder the way the program does and reports the
// size of every table, or dumps one table as text.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "mapdata/map_data.h"

namespace tikhomap {

// Runs the tool with its arguments (without the program name). Returns the
// exit status: 0 when the base map was read, 1 when not, 2 for bad usage.
int runTkminfo(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// The names accepted by --dump, in report order.
const std::vector<std::string>& tkminfoTableNames();

// Writes one line per record of the named table; false for an unknown name.
bool dumpTable(const MapData& map, const std::string& table, std::ostream& out);

}  // namespace tikhomap
