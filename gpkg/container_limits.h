// The caps the container reader holds a file to, in one place. A file is
// trusted for none of its counts: every cap is checked before anything is
// allocated for the records or vertices it would bring.
#pragma once

#include <cstddef>
#include <cstdint>

#include "mapdata/limits.h"

namespace tikhomap {

// Records read from one table: as many as the model holds (a town of 300,000
// buildings is far inside), so whatever the importer writes reads back.
inline constexpr int64_t kContainerMaxRecords = kMaxRecordsPerTable;
// Vertices of one record (an outline, a line, a title-sheet shape).
inline constexpr uint32_t kContainerMaxVertices = kMaxVerticesPerRecord;
// Vertices of all records together (8 bytes each in the model).
inline constexpr int64_t kContainerMaxTotalVertices = 40'000'000;
// Bytes of one value: a geometry blob of kContainerMaxVertices vertices (16
// bytes each) with its headers; a text is a few hundred bytes.
inline constexpr int kContainerMaxValueBytes = kMaxVerticesPerRecord * 16 + 4096;
// Columns of a table or a result, and the depth of an expression: far above
// what the container's own statements use.
inline constexpr int kContainerMaxColumns = 64;
// SQLite's own memory while reading (page cache, schema, statements).
inline constexpr int64_t kContainerHeapLimit = 512LL * 1024 * 1024;

}  // namespace tikhomap
