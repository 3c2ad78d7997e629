#include "session/map_session.h"

#include <QPainter>
#include <chrono>
#include <cmath>
#include <ctime>

#include "gpkg/map_location.h"
#include "raster/banded_frame.h"
#include "raster/qt_canvas.h"
#include "render/compose_frame.h"
#include "tools/building_info.h"
#include "tools/drawn_buildings.h"
#include "tools/sun_place.h"

namespace tikhomap {

Clock systemClock() {
  return [] {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return ClockTime{local.tm_hour, local.tm_min};
  };
}

Clock fixedClock(int hour, int minute) {
  return [hour, minute] { return ClockTime{hour, minute}; };
}

MapSession::MapSession(std::filesystem::path dir) : dataDir(std::move(dir)) {
  buildStyleSet(styles, viewMode);
}

bool MapSession::setViewMode(int mode) {
  if (paletteForViewMode(mode) < 0) return false;
  releaseStyleSet(styles, nullptr);
  viewMode = mode;
  buildStyleSet(styles, viewMode);
  return true;
}

namespace {

// The session's frame over the given view, history, caches, styles and
// window lighting: its own, or copies of them for a frame composed ahead.
RenderContext contextOver(MapSession& s, float screenWidthMm, ViewState& view,
                          const ViewHistory& history, FrameCache& cache, StyleSet& styles,
                          WindowRandom& random) {
  RenderContext ctx{s.map,      view,   history, cache,     s.layers,      s.marking,     styles,
                    s.viewMode, random, s.clock, s.dataDir, screenWidthMm, s.screenHeight};
  if (s.realShadows) ctx.realSun = realSunNow(s);
  if (s.insolationColouring) ctx.insolationColours = &s.insolationColours;
  return ctx;
}

// The session's composer, made (again) for its count of frame threads.
BandedFrameComposer& composerOf(MapSession& session) {
  const int threads = frameThreadCount(session.frameThreads);
  if (!session.composer || session.composer->threads() != threads) {
    session.composer = std::make_shared<BandedFrameComposer>(threads);
  }
  return *session.composer;
}

}  // namespace

RenderContext MapSession::context(float screenWidthMm) {
  return contextOver(*this, screenWidthMm, view, history, cache, styles, random);
}

RealSun realSunNow(const MapSession& session) {
  const MapBounds& city = session.map.cityExtent;
  const SunPlace place =
      sunPlaceAt(session.map, (city.xMin + city.xMax) / 2, (city.yMin + city.yMax) / 2);
  // Today's date where the city is, and the clock's time of day there.
  const int64_t utcNow = static_cast<int64_t>(std::time(nullptr));
  const int64_t localNow = utcNow + place.zone.offsetAt(utcNow);
  const int64_t day = session.sunDate ? daysFromCivil(*session.sunDate)
                                      : localNow / 86400 - (localNow % 86400 < 0 ? 1 : 0);
  const ClockTime t = session.clock ? session.clock() : ClockTime{};
  const int64_t utc = place.zone.utcFromLocal(day * 86400 + t.hour * 3600 + t.minute * 60);
  const SunPosition sun = sunPosition(static_cast<double>(utc), place.latitude, place.longitude);
  return RealSun{sun.azimuth - place.gridConvergence, sun.elevation};
}

LoadResult loadSessionBaseMap(MapSession& session, const LoadProgress& progress) {
  LoadResult result = loadMapBase(session.dataDir, session.map, progress);
  if (result.ok && !session.map.districtAreas.empty()) {
    const MapBounds& city = session.map.cityExtent;
    session.history.count = 0;
    pushView(session.history, city.xMin, city.yMin, city.xMax, city.yMax);
  } else {
    result.ok = false;
  }
  return result;
}

LoadResult loadSessionBuildings(MapSession& session, const LoadProgress& progress) {
  LoadResult result = loadMapBuildings(session.dataDir, session.map, progress);
  session.addressIndex = AddressIndex(session.map);
  session.quickSearchIndex = QuickSearchIndex(session.map);
  return result;
}

void composeSessionFrame(MapSession& session, QImage& frame, float widthMm) {
  RenderContext ctx = session.context(widthMm);
  composerOf(session).compose(ctx, frame, widthMm);
}

void composeSessionFrameDirect(MapSession& session, QImage& frame, float widthMm) {
  QPainter painter(&frame);
  QtCanvas canvas(painter, widthMm);
  RenderContext ctx = session.context(widthMm);
  composeFrame(ctx, canvas);
}

int warmSessionFrame(MapSession& session, int step, QImage& scratch, float widthMm) {
  if (step < 0 || step >= kWarmFrameSteps || !session.baseMapLoaded() ||
      session.map.buildings.empty() || scratch.isNull()) {
    return -1;
  }
  const MapBounds city = session.history.entry(0);
  const float cx = (city.xMin + city.xMax) / 2;
  const float cy = (city.yMin + city.yMax) / 2;
  const float half = static_cast<float>(std::ldexp(1.0, -step - 1));
  const float dx = (city.xMax - city.xMin) * half;
  const float dy = (city.yMax - city.yMin) * half;
  ViewHistory history = session.history;
  history.count = 1;
  if (pushView(history, cx - dx, cy - dy, cx + dx, cy + dy) == 0) return -1;
  ViewState view = session.view;
  FrameCache cache = session.cache;
  StyleSet styles = session.styles;
  WindowRandom random = session.random;
  RenderContext ctx = contextOver(session, widthMm, view, history, cache, styles, random);
  composerOf(session).compose(ctx, scratch, widthMm);
  return view.detailLevel;
}

QString baseMapFailureText(const LoadResult& result, const std::filesystem::path& dir) {
  // A container is named in its folder as a map file is.
  const QString folder =
      QString::fromStdString(std::filesystem::absolute(locateMap(dir).folder).string());
  if (!result.missingFile.empty()) {
    return QStringLiteral(
               "Не удалось прочитать файл карты «%1» в папке «%2». "
               "Без него план города показать нельзя.")
        .arg(QString::fromStdString(result.missingFile), folder);
  }
  return QStringLiteral(
             "В папке «%1» нет карты города: файлы 3.tkm и 8.tkm не дают ни одного "
             "района.")
      .arg(folder);
}

int32_t drawnBlockUnderPointer(const MapSession& session, int px, int py) {
  const bool night = session.viewMode == kViewNight;
  if (!isVolumetricView(session.viewMode) && !night) return -1;
  return findDrawnBuildingAt(session.map, session.view, session.cache.firstBuilding,
                             night ? BlockStyle::Night : BlockStyle::Volumetric,
                             session.cache.storeyHeight, session.layers.buildingChoice, px, py);
}

int32_t buildingUnderPointer(const MapSession& session, int px, int py) {
  const int32_t drawn = drawnBlockUnderPointer(session, px, py);
  if (drawn >= 0) return drawn;
  float mx = 0;
  float my = 0;
  screenToMap(session.view, px, py, mx, my);
  return findBuildingAt(session.map, session.cache.firstBuilding, mx, my);
}

}  // namespace tikhomap
