#include "view/zoom_about_point.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tikhomap {
namespace {

// One wheel notch changes the scale by about this factor.
constexpr double kStepFactor = 1.25;
// The finest scale a fit accepts is coarser than 1:20.
constexpr int32_t kFinestDenominator = 30;
// The history turns anything narrower into a square of this side.
constexpr double kSmallestViewMetres = 16.0;
// The extent asked for across the fitted one is a little short of the
// screen's, so that the fit takes the other extent (kept exactly) and
// centres this one.
constexpr double kNarrower = 0.999;

int32_t roundToTen(double d) {
  return static_cast<int32_t>(10.0 * std::trunc((d + 5.0) * 0.1));
}

}  // namespace

int32_t nextQuantisedDenominator(int32_t d, int direction) {
  if (d <= 0) return 0;
  constexpr int32_t kCoarsest = std::numeric_limits<int32_t>::max() / 2;
  if (direction > 0) {
    int32_t next = roundToTen(d / kStepFactor);
    if (next >= d) next = d - 10;
    return next < kFinestDenominator ? 0 : next;
  }
  if (d >= kCoarsest) return d;
  int32_t next = roundToTen(d * kStepFactor);
  if (next <= d) next = d + 10;
  return next;
}

std::optional<MapBounds> zoomAboutPixel(const ViewState& shown, const MapBounds& city, int32_t px,
                                        int32_t py, int direction) {
  if (!(shown.mmPerMetre > 0) || !(shown.pixelsPerMmX > 0) || !(shown.pixelsPerMmY > 0) ||
      !(shown.screenWidthMm > 0) || !(shown.screenHeightMm > 0)) {
    return std::nullopt;
  }
  const int32_t d =
      shown.scaleDenominator > 0 ? shown.scaleDenominator : roundToTen(1000.0 / shown.mmPerMetre);
  const int32_t next = nextQuantisedDenominator(d, direction);
  if (next <= 0 || next == d) return std::nullopt;
  const double mm = 1000.0 / next;
  const double northSouth = shown.screenHeightMm / mm;
  const double eastWest = shown.screenWidthMm / mm;
  if (northSouth < kSmallestViewMetres || eastWest < kSmallestViewMetres) return std::nullopt;

  float mx = 0;
  float my = 0;
  screenToMap(shown, px, py, mx, my);
  // The same conversion backwards at the new scale: the pixel's distance from
  // the bottom and left edges, in metres.
  const double up = (static_cast<double>(shown.viewBottom) - py) / shown.pixelsPerMmY / mm;
  const double right = (static_cast<double>(px) - shown.viewLeft) / shown.pixelsPerMmX / mm;
  const double xMin = mx - up;
  const double yMin = my - right;
  const double cityNorthSouth = double{city.xMax} - city.xMin;
  const double cityEastWest = double{city.yMax} - city.yMin;
  const bool northSouthFits = northSouth <= cityNorthSouth;
  if (!northSouthFits && eastWest > cityEastWest) return std::nullopt;
  MapBounds r;
  if (northSouthFits) {
    // The northing extent sets the scale; the easting one is asked a
    // little narrower (and no wider than the city) around its centre.
    const double centre = yMin + eastWest * 0.5;
    const double half = std::min(eastWest * kNarrower, cityEastWest) * 0.5;
    r = {static_cast<float>(xMin), static_cast<float>(centre - half),
         static_cast<float>(xMin + northSouth), static_cast<float>(centre + half)};
  } else {
    const double centre = xMin + northSouth * 0.5;
    const double half = std::min(northSouth * kNarrower, cityNorthSouth) * 0.5;
    r = {static_cast<float>(centre - half), static_cast<float>(yMin),
         static_cast<float>(centre + half), static_cast<float>(yMin + eastWest)};
  }
  if (!std::isfinite(r.xMin) || !std::isfinite(r.yMin) || !std::isfinite(r.xMax) ||
      !std::isfinite(r.yMax)) {
    return std::nullopt;
  }
  return r;
}

}  // namespace tikhomap
