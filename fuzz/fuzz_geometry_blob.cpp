// Fuzz target: the container's geometry decoder. A blob it accepts holds no
// more vertices than asked, only finite coordinates, and encodes back to a
// blob that decodes to the same points.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "fuzz/fuzz_checks.h"
#include "gpkg/geometry_blob.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tikhomap;
  constexpr uint32_t kMax = 4096;
  DecodedGeometry g;
  std::string why;
  if (!decodeGeometry(std::span<const uint8_t>(data, size), kMax, g, why)) {
    fuzz::require(!why.empty());
    return 0;
  }
  fuzz::require(g.points.size() <= kMax);
  for (const PlaneXY& p : g.points) fuzz::require(std::isfinite(p.x) && std::isfinite(p.y));
  if (g.kind == GeometryKind::Point && g.points.size() > 1) return 0;
  DecodedGeometry again;
  fuzz::require(decodeGeometry(encodeGeometry(g.kind, g.srsId, g.points), kMax, again, why));
  fuzz::require(again.points.size() == g.points.size());
  for (size_t i = 0; i < g.points.size(); ++i) {
    fuzz::require(again.points[i].x == g.points[i].x && again.points[i].y == g.points[i].y);
  }
  return 0;
}
