#include "gpkg/geometry_blob.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

namespace tikhomap {
namespace {

constexpr uint8_t kEmptyFlag = 0x10;
constexpr uint8_t kExtendedFlag = 0x20;

void putU32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void putF64(std::vector<uint8_t>& out, double v) {
  const uint64_t bits = std::bit_cast<uint64_t>(v);
  for (int i = 0; i < 8; ++i) out.push_back(static_cast<uint8_t>(bits >> (8 * i)));
}

// Reads fixed-size values of one byte order, never past the end.
class Cursor {
 public:
  explicit Cursor(std::span<const uint8_t> bytes) : bytes_(bytes) {}
  size_t remaining() const { return bytes_.size() - pos_; }
  bool skip(size_t n) {
    if (n > remaining()) return false;
    pos_ += n;
    return true;
  }
  bool u8(uint8_t& v) {
    if (remaining() < 1) return false;
    v = bytes_[pos_++];
    return true;
  }
  bool u32(bool little, uint32_t& v) {
    uint64_t raw = 0;
    if (!take(4, little, raw)) return false;
    v = static_cast<uint32_t>(raw);
    return true;
  }
  bool f64(bool little, double& v) {
    uint64_t raw = 0;
    if (!take(8, little, raw)) return false;
    v = std::bit_cast<double>(raw);
    return true;
  }

 private:
  bool take(size_t n, bool little, uint64_t& v) {
    if (n > remaining()) return false;
    v = 0;
    for (size_t i = 0; i < n; ++i) {
      const uint64_t b = bytes_[pos_ + (little ? i : n - 1 - i)];
      v |= b << (8 * i);
    }
    pos_ += n;
    return true;
  }
  std::span<const uint8_t> bytes_;
  size_t pos_ = 0;
};

bool fail(std::string& error, const char* why) {
  error = why;
  return false;
}

}  // namespace

Envelope envelopeOf(std::span<const PlaneXY> points) {
  Envelope e;
  if (points.empty()) return e;
  e.minX = e.maxX = points[0].x;
  e.minY = e.maxY = points[0].y;
  for (const PlaneXY& p : points) {
    e.minX = std::min(e.minX, p.x), e.maxX = std::max(e.maxX, p.x);
    e.minY = std::min(e.minY, p.y), e.maxY = std::max(e.maxY, p.y);
  }
  return e;
}

std::vector<uint8_t> encodeGeometry(GeometryKind kind, int32_t srsId,
                                    std::span<const PlaneXY> points) {
  std::vector<uint8_t> out = {'G', 'P', 0};
  const bool empty = points.empty();
  // Flags: little-endian (bit 0), envelope kind 1 = [minX, maxX, minY, maxY]
  // in bits 1-3, or none and the empty flag.
  out.push_back(empty ? static_cast<uint8_t>(kEmptyFlag | 0x01) : static_cast<uint8_t>(0x03));
  putU32(out, static_cast<uint32_t>(srsId));
  if (!empty) {
    const Envelope e = envelopeOf(points);
    putF64(out, e.minX), putF64(out, e.maxX), putF64(out, e.minY), putF64(out, e.maxY);
  }
  out.push_back(1);  // well-known binary, little-endian
  putU32(out, static_cast<uint32_t>(kind));
  if (kind == GeometryKind::Point) {
    const PlaneXY p = empty ? PlaneXY{NAN, NAN} : points[0];
    putF64(out, p.x), putF64(out, p.y);
    return out;
  }
  if (kind == GeometryKind::Polygon) putU32(out, empty ? 0 : 1);
  if (kind == GeometryKind::LineString || !empty) {
    putU32(out, static_cast<uint32_t>(points.size()));
    for (const PlaneXY& p : points) putF64(out, p.x), putF64(out, p.y);
  }
  return out;
}

bool decodeGeometry(std::span<const uint8_t> blob, uint32_t maxVertices, DecodedGeometry& out,
                    std::string& error) {
  out = DecodedGeometry{};
  Cursor c(blob);
  uint8_t g = 0, p = 0, version = 0, flags = 0;
  if (!c.u8(g) || !c.u8(p) || !c.u8(version) || !c.u8(flags)) {
    return fail(error, "geometry shorter than its header");
  }
  if (g != 'G' || p != 'P') return fail(error, "geometry without the GP mark");
  if (version != 0) return fail(error, "geometry of an unknown version");
  if (flags & kExtendedFlag) return fail(error, "extended geometry type");
  const bool headerLittle = (flags & 0x01) != 0;
  const int envelopeKind = (flags >> 1) & 0x07;
  static constexpr size_t kEnvelopeDoubles[] = {0, 4, 6, 6, 8};
  if (envelopeKind > 4) return fail(error, "geometry with an unknown envelope kind");
  uint32_t srs = 0;
  if (!c.u32(headerLittle, srs)) return fail(error, "geometry shorter than its header");
  out.srsId = static_cast<int32_t>(srs);
  out.empty = (flags & kEmptyFlag) != 0;
  if (!c.skip(8 * kEnvelopeDoubles[envelopeKind])) {
    return fail(error, "geometry shorter than its envelope");
  }

  uint8_t order = 0;
  if (!c.u8(order)) return fail(error, "geometry without its body");
  if (order > 1) return fail(error, "geometry with an unknown byte order");
  const bool little = order == 1;
  uint32_t type = 0;
  if (!c.u32(little, type)) return fail(error, "geometry without its type");
  uint32_t count = 1;
  if (type == static_cast<uint32_t>(GeometryKind::Polygon)) {
    uint32_t rings = 0;
    if (!c.u32(little, rings)) return fail(error, "polygon without its ring count");
    if (rings > 1) return fail(error, "polygon of more than one ring");
    count = 0;
    if (rings == 1 && !c.u32(little, count)) return fail(error, "ring without its point count");
  } else if (type == static_cast<uint32_t>(GeometryKind::LineString)) {
    if (!c.u32(little, count)) return fail(error, "line without its point count");
  } else if (type != static_cast<uint32_t>(GeometryKind::Point)) {
    return fail(error, "geometry of a type the map does not hold");
  }
  out.kind = static_cast<GeometryKind>(type);
  if (count > maxVertices) return fail(error, "geometry with too many vertices");
  if (static_cast<uint64_t>(count) * 16 != c.remaining()) {
    return fail(error, "geometry whose size disagrees with its point count");
  }
  out.points.resize(count);
  for (PlaneXY& q : out.points) {
    c.f64(little, q.x);
    c.f64(little, q.y);
  }
  if (out.kind == GeometryKind::Point && std::isnan(out.points[0].x) &&
      std::isnan(out.points[0].y)) {
    out.points.clear();  // the empty point
  }
  for (const PlaneXY& q : out.points) {
    if (!std::isfinite(q.x) || !std::isfinite(q.y)) {
      return fail(error, "geometry with a coordinate that is not a finite number");
    }
  }
  // The empty flag is a hint for readers that skip the body; the body decides.
  out.empty = out.points.empty();
  return true;
}

}  // namespace tikhomap
