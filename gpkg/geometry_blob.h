// Geometry values of the container: the standard GeoPackage binary header
// ("GP", version 0, flags with byte order, envelope kind and empty flag,
// the spatial reference id and the envelope) followed by the geometry as
// well-known binary. The container holds points, line strings and polygons
// of one ring, two-dimensional; the decoder refuses anything else.
//
// Coordinates are in the GIS order: X is the easting (the map's y), Y the
// northing (the map's x).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tikhomap {

enum class GeometryKind : uint32_t { Point = 1, LineString = 2, Polygon = 3 };

struct PlaneXY {
  double x = 0;  // easting
  double y = 0;  // northing
};

struct Envelope {
  double minX = 0;
  double maxX = 0;
  double minY = 0;
  double maxY = 0;
};

struct DecodedGeometry {
  GeometryKind kind = GeometryKind::LineString;
  int32_t srsId = 0;
  bool empty = false;
  std::vector<PlaneXY> points;  // a polygon's ring as stored, closing point included
};

// The blob of a geometry: little-endian, with an [minX, maxX, minY, maxY]
// envelope unless it has no points (then flagged empty, without envelope).
// A point takes exactly one vertex. Coordinates must be finite.
std::vector<uint8_t> encodeGeometry(GeometryKind kind, int32_t srsId,
                                    std::span<const PlaneXY> points);

// The envelope of points (all of them finite).
Envelope envelopeOf(std::span<const PlaneXY> points);

// Decodes a blob of either byte order. Refuses (false, with the reason in
// error) a blob shorter or longer than its contents, an unknown version,
// envelope kind or geometry type, a polygon of other than one ring, more
// than maxVertices vertices (checked before any allocation), and a
// coordinate that is not finite.
bool decodeGeometry(std::span<const uint8_t> blob, uint32_t maxVertices, DecodedGeometry& out,
                    std::string& error);

}  // namespace tikhomap
