// The sizes the map model holds, in one place. The model's counts, rows,
// codes and coordinates are 32-bit; these caps bound what any source of a
// map (the eleven files, a container, the importer) may make it allocate.
// The eleven files hold less: their own limits are kept where they are read
// and written (kFileTableLimit and the others below).
#pragma once

#include <cstddef>
#include <cstdint>

namespace tikhomap {

// Records of one table of the model (buildings, street axes, names, ...).
inline constexpr int32_t kMaxRecordsPerTable = 1 << 21;  // 2,097,152
// Whole-metre coordinates (points of buildings, labels, districts) lie in
// 0..kMaxCoordinate: 16,777 km, where a float still holds every metre.
inline constexpr int32_t kMaxCoordinate = 1 << 24;
// Vertices of one record (a district, a feature, a building outline).
inline constexpr int32_t kMaxVerticesPerRecord = 1 << 20;  // 1,048,576
// Street codes are indexed by value (MapData::streetCodeIndex and the
// searches' street indexes), so a code is at most this: a source whose
// streets are numbered 1..n within the table cap always fits.
inline constexpr int32_t kMaxStreetCode = kMaxRecordsPerTable;

// What the eleven files hold: int16 counts, codes and vertex counts; uint16
// building, label and microdistrict points and district vertices; int16
// object points in user.tkm and sign.tkm.
inline constexpr int32_t kFileTableLimit = 32767;
inline constexpr int32_t kFileVertexLimit = 32767;
inline constexpr int32_t kFileCoordinateMax = 65535;        // unsigned 16-bit points
inline constexpr int32_t kFileObjectCoordinateMax = 32767;  // signed 16-bit points
inline constexpr int32_t kFileObjectCoordinateMin = -32768;

}  // namespace tikhomap

// Bytes of UTF-8 a text of the model may hold when it comes from a container
// or an import (a name, a house number, a description): longer texts are cut
// at a character boundary.
inline constexpr std::size_t kMaxTextBytes = 256;
