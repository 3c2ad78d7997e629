// The sun of the volumetric views: where shadows fall at an hour of the day
// and how long they are.
#pragma once

#include <span>
#include <vector>

#include "mapdata/records.h"
#include "render/canvas.h"
#include "render/frame_state.h"

namespace tikhomap {

struct SunShadow {
  float cosTheta = 0;       // screen x component of the shadow direction
  float minusSinTheta = 0;  // screen y component (downward)
  float lengthPerStorey = 0;
  bool daylight = false;  // shadows are cast from 06:00 to 21:59
};

// The sun turns through 3.14 radians from 06:00 to 22:00; shadows are long in
// the morning and evening.
SunShadow sunShadowAt(ClockTime time, double mmPerMetre);

// Below this elevation the real sun casts no shadows; below the second
// one they are drawn as long as at it (they would grow without bound).
inline constexpr double kRealShadowMinElevation = 2.0;
inline constexpr double kRealShadowCapElevation = 7.0;

// Shadows by the real sun: away from it, as long as a drawn storey
// (storeyPixels high) casts at its elevation.
SunShadow realSunShadow(const RealSun& sun, double storeyPixels);

// Pixel offset of the shadow of a building of `floors` storeys.
void shadowOffset(const SunShadow& sun, int floors, int& dx, int& dy);

// Fills the outline stamped at every step strictly between no offset and the
// full offset (dx, dy); nothing when the larger component is 0 or 1 pixel.
void drawShadow(Canvas& dc, std::span<const ScreenPoint> outline, int dx, int dy,
                std::vector<ScreenPoint>& offsets);

}  // namespace tikhomap
