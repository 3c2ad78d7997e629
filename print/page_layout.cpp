#include "print/page_layout.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tikhomap {

namespace {

constexpr double kInchesPerMm = 0.03937007874015748;

}  // namespace

PrinterMetrics metricsAt(int widthPx, int heightPx, int dpi) {
  PrinterMetrics m;
  m.horzRes = widthPx;
  m.vertRes = heightPx;
  m.logPixelsX = dpi;
  m.logPixelsY = dpi;
  if (dpi > 0) {
    m.horzSizeMm = static_cast<float>(widthPx * 25.4 / dpi);
    m.vertSizeMm = static_cast<float>(heightPx * 25.4 / dpi);
  }
  return m;
}

bool layoutPage(const PrinterMetrics& printer, const MapBounds& asked, ViewState& page) {
  constexpr int kLargest = std::numeric_limits<int16_t>::max();
  if (printer.horzRes <= 0 || printer.vertRes <= 0 || printer.horzRes > kLargest ||
      printer.vertRes > kLargest || printer.logPixelsX <= 0 || printer.logPixelsY <= 0) {
    return false;
  }
  if (!(printer.horzSizeMm > 0) || !(printer.vertSizeMm > 0)) return false;
  const float northSouth = asked.xMax - asked.xMin;
  if (!(northSouth > 0) || !std::isfinite(northSouth) || !(asked.yMax >= asked.yMin)) return false;

  ViewState v;
  v.viewLeft = 0;
  v.viewTop = 0;
  v.viewRight = static_cast<int16_t>(printer.horzRes);
  v.viewBottom = static_cast<int16_t>(printer.vertRes);
  v.pixelsPerMmX = static_cast<float>(printer.logPixelsX * kInchesPerMm);
  v.pixelsPerMmY = static_cast<float>(printer.logPixelsY * kInchesPerMm);
  v.screenWidthMm = printer.horzSizeMm;
  v.screenHeightMm = printer.vertSizeMm;
  v.viewXMin = asked.xMin;
  v.viewXMax = asked.xMax;
  v.mmPerMetre = static_cast<double>(printer.vertSizeMm) / static_cast<double>(northSouth);
  const double w =
      (printer.horzSizeMm - (asked.yMax - asked.yMin) * v.mmPerMetre) * 0.5 / v.mmPerMetre;
  v.viewYMin = static_cast<float>(asked.yMin - w);
  v.viewYMax = static_cast<float>(asked.yMax + w);
  v.detailLevel = detailLevelFor(v.mmPerMetre);
  const double d = std::round(1000.0 / v.mmPerMetre);
  v.scaleDenominator = d < static_cast<double>(std::numeric_limits<int32_t>::max())
                           ? static_cast<int32_t>(d)
                           : std::numeric_limits<int32_t>::max();
  page = v;
  return true;
}

int32_t pageScaleDenominator(const ViewState& page) {
  if (!(page.mmPerMetre > 0)) return 0;
  const double d = 10.0 * std::trunc((1000.0 / page.mmPerMetre + 5.0) * 0.1);
  return d < static_cast<double>(std::numeric_limits<int32_t>::max())
             ? static_cast<int32_t>(d)
             : std::numeric_limits<int32_t>::max();
}

int32_t scaleBarMetres(double mmPerMetre, double maxMm) {
  if (!(mmPerMetre > 0) || !(maxMm > 0)) return 1;
  int32_t best = 1;
  for (int64_t power = 1; power <= 100'000'000; power *= 10) {
    for (const int64_t step : {1, 2, 5}) {
      const int64_t metres = step * power;
      if (static_cast<double>(metres) * mmPerMetre > maxMm) return best;
      best = static_cast<int32_t>(metres);
    }
  }
  return best;
}

int pageFrameWidth(const ViewState& page) {
  return std::max(1, static_cast<int>(page.pixelsPerMmX * 0.5f));
}

int32_t labelMinSize(const ViewState& page) {
  return page.mmPerMetre > 0 ? static_cast<int32_t>(5.0 / page.mmPerMetre) : 0;
}

}  // namespace tikhomap
