#include "app/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>
#include <cmath>
#include <utility>

#include "app/mouse_handler.h"
#include "app/overview_inset.h"
#include "app/progress_window.h"
#include "app/text_convert.h"
#include "raster/qt_canvas.h"
#include "resources/command_ids.h"
#include "view/view_keys.h"

namespace tikhomap {

namespace {

constexpr int kFlashMilliseconds = 2000;

// Two rectangles that differ by less than a metre on every side.
bool sameView(const MapBounds& a, const MapBounds& b) {
  constexpr float kMetre = 1.0f;
  return std::abs(a.xMin - b.xMin) < kMetre && std::abs(a.yMin - b.yMin) < kMetre &&
         std::abs(a.xMax - b.xMax) < kMetre && std::abs(a.yMax - b.yMax) < kMetre;
}

bool isViewModeCommand(int id) {
  return paletteForViewMode(id) >= 0;
}

// Keys the system keeps for itself (menu activation); they never reach the
// map's key handling.
bool isSystemKey(int key) {
  return key == Qt::Key_Alt || key == Qt::Key_AltGr || key == Qt::Key_F10 || key == Qt::Key_Meta ||
         key == Qt::Key_Super_L || key == Qt::Key_Super_R;
}

}  // namespace

MainWindow::MainWindow(std::filesystem::path dataDir, QWidget* parent)
    : QMainWindow(parent), session_(std::move(dataDir)) {
  setWindowTitle(QStringLiteral("Тихоморск. Адресный план города"));
  setObjectName(QStringLiteral("MY3"));
  mapWidget_ = new MapWidget(*this, this);
  setCentralWidget(mapWidget_);
  menu_ = buildMainMenu(*menuBar(), *this, [this](int id) { command(id); });
  // The menu shows the view mode in effect from the start.
  if (QAction* current = action(session_.viewMode)) current->setChecked(true);

  flashTimer_.setSingleShot(true);
  flashTimer_.setInterval(kFlashMilliseconds);
  connect(&flashTimer_, &QTimer::timeout, this, [this] { flashEnded(); });
  warmTimer_.setSingleShot(true);
  warmTimer_.setInterval(0);
  connect(&warmTimer_, &QTimer::timeout, this, [this] { warmNextFrame(); });

  beep_ = [] { QApplication::beep(); };
  openFailed_ = [this](const QString& message) {
    QMessageBox::warning(this, windowTitle(), message);
  };
  fatal_ = [this](const QString& message) {
    QMessageBox::critical(this, windowTitle(), message);
    QCoreApplication::exit(1);
  };
  mapWidget_->addOverlay([this](QPainter& painter) { drawAfterFrame(painter); });
  mapWidget_->setFocus();
}

MainWindow::~MainWindow() {
  releaseStyleSet(session_.styles, nullptr);
}

QAction* MainWindow::action(int id) const {
  const auto it = menu_.actions.find(id);
  return it == menu_.actions.end() ? nullptr : it->second;
}

void MainWindow::beep() {
  if (beep_) beep_();
}

void MainWindow::setCommandHandler(int id, std::function<void()> handler) {
  handlers_[id] = std::move(handler);
}

void MainWindow::postCommand(int id) {
  // A command posted by a window that closed with the main one is dropped:
  // the program is ending.
  QMetaObject::invokeMethod(
      this,
      [this, id] {
        if (!closed_) command(id);
      },
      Qt::QueuedConnection);
}

void MainWindow::command(int id) {
  if (isViewModeCommand(id)) {
    changeViewMode(id);
    return;
  }
  switch (id) {
    case ids::kRefresh:
      requestRecompose();
      return;
    case ids::kExit:
      close();
      return;
    default:
      break;
  }
  const auto it = handlers_.find(id);
  if (it != handlers_.end() && it->second) it->second();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  QMainWindow::closeEvent(event);
  if (!event->isAccepted()) return;
  emit closing();
  closed_ = true;
  // Tool windows, the palette and the help are windows of their own: each
  // is closed (a measurement is cancelled as by its close box), so that no
  // window of the program outlives the main one.
  for (QWidget* top : QApplication::topLevelWidgets()) {
    if (top == this || top->isHidden()) continue;
    for (const QWidget* owner = top->parentWidget(); owner != nullptr;
         owner = owner->parentWidget()) {
      if (owner == this) {
        top->close();
        top->hide();
        break;
      }
    }
  }
  emit closed();
}

void MainWindow::changeViewMode(int id) {
  if (QAction* old = action(session_.viewMode)) old->setChecked(false);
  session_.setViewMode(id);
  if (QAction* now = action(session_.viewMode)) now->setChecked(true);
  if (!session_.titleSheetShown()) requestRecompose();
}

void MainWindow::requestRecompose() {
  recomposePending_ = true;
  mapWidget_->update();
}

float MainWindow::frameWidthMm() const {
  return physicalWidthMm(screen(), mapWidget_->width());
}

void MainWindow::prepareFrame(QImage& frame) {
  if (!session_.baseMapLoaded()) {
    if (!loadQueued_ && !loading_ && !failed_) {
      loadQueued_ = true;
      QMetaObject::invokeMethod(
          this, [this] { loadMapData(); }, Qt::QueuedConnection);
    }
    return;
  }
  if (recomposePending_ || frameBlank_) composeNow(frame);
}

void MainWindow::composeNow(QImage& frame) {
  MarkingState& marking = session_.marking;
  // A new frame ends the flash of the old one; a pending flash is shown over
  // the new frame and stays, across plain repaints, for the timer's pause.
  marking.nameFlash.reset();
  marking.districtFlash.reset();
  if (const QScreen* shownOn = screen()) session_.screenHeight = shownOn->geometry().height();
  composeSessionFrame(session_, frame, frameWidthMm());
  ++composeCount_;
  frameBlank_ = false;
  if (marking.pendingNameFlash || marking.pendingDistrictFlash) {
    marking.nameFlash = std::exchange(marking.pendingNameFlash, std::nullopt);
    marking.districtFlash = std::exchange(marking.pendingDistrictFlash, std::nullopt);
    // A new flash restarts the pause.
    if (flashStarter_) {
      flashStarter_();
    } else {
      flashTimer_.start();
    }
  }
  // Without buildings every title sheet tries to read them again.
  if (session_.titleSheetShown() && session_.map.buildings.empty() && !loading_ &&
      !buildingsQueued_) {
    buildingsQueued_ = true;
    QMetaObject::invokeMethod(
        this, [this] { loadBuildings(); }, Qt::QueuedConnection);
  }
}

void MainWindow::drawAfterFrame(QPainter& painter) {
  const bool marks = session_.marking.hasMarks();
  if (!(marks && foundMarkers_) && !(flashShown() && flashPainter_)) return;
  QtCanvas canvas(painter, frameWidthMm());
  canvas.setBackgroundTransparent(true);
  if (flashShown() && flashPainter_) flashPainter_(session_, canvas);
  if (marks && foundMarkers_) foundMarkers_(session_, canvas);
}

void MainWindow::finishPaint() {
  recomposePending_ = false;
  // The map takes the keys back from tool windows, but not from a field
  // inside the map area itself (the quick search line).
  const QWidget* focus = QApplication::focusWidget();
  const bool insideMap = focus != nullptr && mapWidget_->isAncestorOf(focus);
  if (isActiveWindow() && !mapWidget_->hasFocus() && !insideMap) {
    mapWidget_->setFocus(Qt::OtherFocusReason);
  }
}

void MainWindow::frameRemade() {
  frameBlank_ = true;
}

void MainWindow::endFlash() {
  flashTimer_.stop();
  flashEnded();
}

void MainWindow::flashEnded() {
  session_.marking.nameFlash.reset();
  session_.marking.districtFlash.reset();
  // The clean frame is copied over the flash; nothing is composed.
  mapWidget_->update();
}

void MainWindow::loadMapData() {
  loadQueued_ = false;
  if (loading_ || failed_ || session_.baseMapLoaded()) return;
  loading_ = true;
  ProgressWindow progress(this);
  const LoadResult base = readBaseMapShowingProgress(session_, progress);
  if (!base.ok) {
    failed_ = true;
    const QString message = baseMapFailureText(base, session_.dataDir);
    if (fatal_) fatal_(message);
    return;
  }
  readBuildingsUnderTitleSheet(progress);
  openPending();
}

LoadResult MainWindow::readBaseMapShowingProgress(MapSession& into, ProgressWindow& progress) {
  progress.show();
  progress.raise();
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const LoadResult base = loadSessionBaseMap(into, [&progress](const std::string& text) {
    progress.setCaption(QString::fromStdString(text));
  });
  if (!base.ok) {
    QApplication::restoreOverrideCursor();
    progress.close();
    loading_ = false;
  }
  return base;
}

void MainWindow::readBuildingsUnderTitleSheet(ProgressWindow& progress) {
  // An imported town is named by its own name (city.txt).
  setWindowTitle(fromUtf8(cityTitle(session_.map.city)));
  emit baseMapReady();
  // The title sheet is on the screen while the buildings are read.
  recomposePending_ = true;
  mapWidget_->repaint();
  progress.raise();
  loadSessionBuildings(session_, [&progress](const std::string& text) {
    progress.setCaption(QString::fromStdString(text));
  });
  progress.close();
  QApplication::restoreOverrideCursor();
  loading_ = false;
  mapWidget_->update();
  warmAhead();
}

void MainWindow::warmAhead() {
  warmStep_ = 0;
  warmTimer_.start();
}

void MainWindow::warmNextFrame() {
  const QImage& frame = mapWidget_->frame();
  if (closed_ || loading_ || !session_.titleSheetShown() || frame.isNull()) {
    warmScratch_ = QImage();
    return;
  }
  if (warmScratch_.size() != frame.size()) {
    warmScratch_ = QImage(frame.size(), QImage::Format_RGB32);
  }
  warmScratch_.setDevicePixelRatio(frame.devicePixelRatio());
  const int level = warmSessionFrame(session_, warmStep_++, warmScratch_, frameWidthMm());
  if (level < 0 || level >= kFinestDetailLevel) {
    warmScratch_ = QImage();
    return;
  }
  warmTimer_.start();
}

void MainWindow::openPending() {
  if (!pendingOpen_) return;
  QMetaObject::invokeMethod(
      this,
      [this] {
        if (!pendingOpen_ || loading_ || closed_) return;
        const std::filesystem::path dir = *std::exchange(pendingOpen_, std::nullopt);
        openMap(dir);
      },
      Qt::QueuedConnection);
}

bool MainWindow::openMap(const std::filesystem::path& dir) {
  if (closed_) return false;
  if (loading_ || loadQueued_ || buildingsQueued_) {
    // The map being read is finished first; the last open asked for wins.
    pendingOpen_ = dir;
    return false;
  }
  loading_ = true;
  auto fresh = std::make_unique<MapSession>(dir);
  ProgressWindow progress(this);
  const LoadResult base = readBaseMapShowingProgress(*fresh, progress);
  if (!base.ok) {
    if (openFailed_) openFailed_(baseMapFailureText(base, fresh->dataDir));
    openPending();
    return false;
  }
  // The windows of the old map close while it is still there.
  emit titleSheetRequested();
  emit mapClosing();
  flashTimer_.stop();
  // The user's choices stay; everything of the map goes. The drawing area
  // and its scale stay until the first frame measures them anew (a window
  // with an empty map area composes none).
  fresh->view = session_.view;
  fresh->layers = session_.layers;
  fresh->clock = session_.clock;
  fresh->realShadows = session_.realShadows;
  fresh->sunDate = session_.sunDate;
  fresh->frameThreads = session_.frameThreads;
  fresh->insolationColouring = session_.insolationColouring;
  fresh->composer = session_.composer;
  fresh->setViewMode(session_.viewMode);
  releaseStyleSet(session_.styles, nullptr);
  session_ = std::move(*fresh);
  fresh.reset();
  failed_ = false;
  readBuildingsUnderTitleSheet(progress);
  emit mapOpened(QString::fromStdString(std::filesystem::absolute(session_.dataDir).string()));
  openPending();
  return true;
}

void MainWindow::loadBuildings() {
  buildingsQueued_ = false;
  if (loading_ || !session_.map.buildings.empty() || !session_.baseMapLoaded()) return;
  loading_ = true;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  loadSessionBuildings(session_, LoadProgress{});
  QApplication::restoreOverrideCursor();
  loading_ = false;
  warmAhead();
}

void MainWindow::keyPressed(QKeyEvent& event) {
  // An auto-repeated key press is not a new key; its character still counts,
  // except "/": it is held to keep the overview up, and zooms out once.
  if (!event.isAutoRepeat()) keyDown(event);
  for (const QChar c : event.text()) {
    if (event.isAutoRepeat() && c == QLatin1Char('/')) continue;
    character(c);
  }
}

void MainWindow::keyReleased(QKeyEvent& event) {
  // A held key repeats as release and press pairs on some platforms; only
  // the real release ends what the key showed (an armed drag, the overview).
  if (event.isAutoRepeat()) return;
  if (MouseHandler* handler = mapWidget_->mouseHandler()) handler->keyRelease(event);
}

void MainWindow::keyDown(QKeyEvent& event) {
  const int key = event.key();
  if (isSystemKey(key)) return;
  // The overview shows while its key is held; the character the key types
  // is handled on its own, as every other character.
  if (isOverviewKey(event)) {
    if (overviewKey_) overviewKey_();
    return;
  }
  const bool cityLoaded = session_.history.hasWholeCity();
  switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
      if (MouseHandler* handler = mapWidget_->mouseHandler()) handler->keyPress(event);
      return;
    case Qt::Key_PageUp:
      if (session_.history.canGoBack()) {
        viewBack(session_.history);
        requestRecompose();
      }
      return;
    case Qt::Key_Home:
      if (!cityLoaded) return;
      emit titleSheetRequested();
      viewWholeCity(session_.history);
      requestRecompose();
      return;
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down: {
      if (!cityLoaded) return;
      const PanDirection direction = key == Qt::Key_Left    ? PanDirection::Left
                                     : key == Qt::Key_Right ? PanDirection::Right
                                     : key == Qt::Key_Up    ? PanDirection::Up
                                                            : PanDirection::Down;
      pushAndRecompose(panView(session_.view, session_.history.entry(0), direction));
      return;
    }
    default:
      break;
  }
  recomposePending_ = false;
}

void MainWindow::character(QChar c) {
  const char16_t u = c.unicode();
  MapBounds r;
  if (u >= 0x80 || !session_.history.hasWholeCity() ||
      !zoomView(session_.view, session_.history.entry(0), static_cast<char>(u), r)) {
    recomposePending_ = false;
    return;
  }
  const char ch = static_cast<char>(u);
  if (beepsOnRefusal(ch)) {
    // Zooming out at the whole city would only repeat the view asked for
    // (the sides are clamped to the city): that is a refusal too. From the
    // title sheet the same rectangle opens the map of the whole city.
    if ((!session_.titleSheetShown() && sameView(r, session_.history.last())) ||
        pushView(session_.history, r.xMin, r.yMin, r.xMax, r.yMax) == 0) {
      beep();
      return;
    }
    requestRecompose();
    return;
  }
  pushAndRecompose(r);
}

void MainWindow::pushAndRecompose(const MapBounds& r) {
  pushView(session_.history, r.xMin, r.yMin, r.xMax, r.yMax);
  requestRecompose();
}

}  // namespace tikhomap
