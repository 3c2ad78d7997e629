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
void clampInto(float& lo, float& hi, float cityLo, float cityHi) {
  if (hi > cityHi) {
    lo -= hi - cityHi;
    hi = cityHi;
  }
  if (lo < cityLo) {
    hi += cityLo - lo;
    lo = cityLo;
  }
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
  clampInto(xMin, xMax, city.xMin, city.xMax);
  clampInto(yMin, yMax, city.yMin, city.yMax);
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
