// The history of requested map rectangles: entry 0 is the whole city, the
// last entry is the view the user asked for.
#include <algorithm>
#include <cmath>

#include "view/view_state.h"

namespace tikhomap {
namespace {

// Nothing smaller than this is shown: a tiny request becomes a square of
// this side on its centre.
constexpr float kSmallestView = 16.0f;
// A push at this count first forgets the ten oldest requests after entry 0.
constexpr int kHistoryFullCount = 99;
constexpr int kForgottenEntries = 10;

// Keeps [lo, hi] within [cityLo, cityHi], size kept: the high edge first,
// then the low edge.
template <typename T>
void clampInto(T& lo, T& hi, T cityLo, T cityHi) {
  if (hi > cityHi) {
    lo -= hi - cityHi;
    hi = cityHi;
  }
  if (lo < cityLo) {
    hi += cityLo - lo;
    lo = cityLo;
  }
}

// Whether [lo, hi] is a side of a view inside [cityLo, cityHi]: not empty,
// not inverted, not shrunk far below the smallest view by rounding.
bool fitsSide(float lo, float hi, float cityLo, float cityHi) {
  return hi - lo >= kSmallestView / 2 && lo >= cityLo && hi <= cityHi;
}

// One side of a request placed again in double precision, for a request so
// far beyond the city (a pan flung millions of metres) that a float there
// has no whole metres and the arithmetic in floats leaves an empty or
// inverted side: shifted back inside the city, size kept.
void placeSide(double lo, double hi, float cityLo, float cityHi, float& outLo, float& outHi) {
  clampInto<double>(lo, hi, cityLo, cityHi);
  outLo = static_cast<float>(lo);
  outHi = static_cast<float>(hi);
}

void store(ViewHistory& history, int i, float xMin, float yMin, float xMax, float yMax) {
  history.xMin[i] = xMin;
  history.yMin[i] = yMin;
  history.xMax[i] = xMax;
  history.yMax[i] = yMax;
}

}  // namespace

int pushView(ViewHistory& history, float xMin, float yMin, float xMax, float yMax) {
  // A rectangle with a non-finite edge can never be fitted or clamped.
  if (!std::isfinite(xMin) || !std::isfinite(yMin) || !std::isfinite(xMax) ||
      !std::isfinite(yMax)) {
    return 0;
  }
  int count = std::clamp<int>(history.count, 0, kViewHistorySize);
  if (count >= kHistoryFullCount) {
    for (int i = kForgottenEntries + 1; i < count; ++i) {
      store(history, i - kForgottenEntries, history.xMin[i], history.yMin[i], history.xMax[i],
            history.yMax[i]);
    }
    count -= kForgottenEntries;
    history.count = static_cast<int16_t>(count);
  }
  if (count == 0) {
    store(history, 0, xMin, yMin, xMax, yMax);
    history.count = 1;
    return 1;
  }
  const float askedXMin = xMin;
  const float askedYMin = yMin;
  const float askedXMax = xMax;
  const float askedYMax = yMax;
  if (xMax - xMin < kSmallestView || yMax - yMin < kSmallestView) {
    const float cx = (xMin + xMax) * 0.5f;
    const float cy = (yMin + yMax) * 0.5f;
    const float half = kSmallestView * 0.5f;
    xMin = cx - half;
    xMax = cx + half;
    yMin = cy - half;
    yMax = cy + half;
  }
  const MapBounds city = history.entry(0);
  if (xMax - xMin > city.xMax - city.xMin || yMax - yMin > city.yMax - city.yMin) return 0;
  clampInto<float>(xMin, xMax, city.xMin, city.xMax);
  clampInto<float>(yMin, yMax, city.yMin, city.yMax);
  if (!fitsSide(xMin, xMax, city.xMin, city.xMax) || !fitsSide(yMin, yMax, city.yMin, city.yMax)) {
    // Both sides again, so that a request too short either way stays a
    // square on its centre.
    const bool small =
        askedXMax - askedXMin < kSmallestView || askedYMax - askedYMin < kSmallestView;
    const double half = kSmallestView / 2.0;
    const double cx = (double{askedXMin} + askedXMax) / 2;
    const double cy = (double{askedYMin} + askedYMax) / 2;
    placeSide(small ? cx - half : askedXMin, small ? cx + half : askedXMax, city.xMin, city.xMax,
              xMin, xMax);
    placeSide(small ? cy - half : askedYMin, small ? cy + half : askedYMax, city.yMin, city.yMax,
              yMin, yMax);
    if (!fitsSide(xMin, xMax, city.xMin, city.xMax) ||
        !fitsSide(yMin, yMax, city.yMin, city.yMax)) {
      return 0;
    }
  }
  store(history, count, xMin, yMin, xMax, yMax);
  history.count = static_cast<int16_t>(count + 1);
  return 1;
}

int replaceLastView(ViewHistory& history, float xMin, float yMin, float xMax, float yMax) {
  if (history.count < 2) return pushView(history, xMin, yMin, xMax, yMax);
  const int16_t count = history.count;
  history.count = static_cast<int16_t>(count - 1);
  if (pushView(history, xMin, yMin, xMax, yMax) == 0) {
    history.count = count;
    return 0;
  }
  return 1;
}

void viewBack(ViewHistory& history) {
  if (history.canGoBack()) --history.count;
}

void viewWholeCity(ViewHistory& history) {
  if (history.count > 1) history.count = 1;
}

}  // namespace tikhomap
