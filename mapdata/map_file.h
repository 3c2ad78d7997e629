// Reading one map file from its folder without trusting the folder: only a
// regular file is opened (a directory, a FIFO, a device or a symbolic link
// loop in a file's place is refused before any open, so nothing blocks), a
// file larger than its format can hold is refused before it is read, and of
// a binary file only the bytes its counts describe are read into memory.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string_view>
#include <vector>

#include "mapdata/load_result.h"

namespace tikhomap {

// The most bytes a file of this name can hold in its format: its count
// fields at their largest (int16: 32767 records) times its largest records
// (names and texts of 255 bytes, 32767 vertices). The text files have no
// count that bounds them; their bound is chosen:
//   tema.tkm            32767 lines of 199 characters and CR LF;
//   user.tkm, sign.tkm  the count line and 32767 such lines;
//   1.tkm, 2.tkm        1 MiB (their shapes run to a terminator and their
//                       texts to the end; a title file is a few kilobytes
//                       even for the largest city);
//   city.txt            64 KiB;
//   houses.txt          8 MiB.
// Zero for a name that is not a map file.
uint64_t formatMaximumBytes(std::string_view name);

// How many leading bytes of a binary map file its counts describe: the
// header, then records while the counts ask for more and the data holds
// them. Bytes past this are never parsed. `read` reads n bytes at an offset
// into out and fails past the end; size is the file's size. For 6.tkm,
// which has no counts of its own, see buildingGeometryBytes. Text files and
// the title files return size.
using ReadAt = bool (*)(void* source, uint64_t offset, uint8_t* out, size_t n);
uint64_t describedBytes(std::string_view name, uint64_t size, ReadAt read, void* source);
uint64_t describedBytes(std::string_view name, std::span<const uint8_t> bytes);

// The bytes of 6.tkm that the records of 7.tkm (its attributes) describe:
// bounds and outline of each building that 7.tkm announces and holds.
uint64_t buildingGeometryBytes(std::span<const uint8_t> attributes);

// Reads the file `path` (named `name` in problems) into bytes. Refuses, with
// a problem naming the file and false: a missing or unreadable file, one
// that is not a regular file, and one larger than formatMaximumBytes(name).
// Of a binary file only describedBytes are read (for 6.tkm at most
// `describedLimit` when given); the rest is reported as ignored.
bool readMapFile(const std::filesystem::path& path, std::string_view name,
                 std::vector<uint8_t>& bytes, std::vector<LoadProblem>& problems,
                 uint64_t describedLimit = UINT64_MAX);

}  // namespace tikhomap
