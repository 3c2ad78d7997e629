#include "app/insolation_map.h"

#include <QAction>
#include <QCoreApplication>
#include <QDate>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QPainter>
#include <QProgressDialog>
#include <algorithm>

#include "app/main_window.h"
#include "resources/command_ids.h"
#include "tools/insolation_report.h"
#include "tools/sun_place.h"
#include "view/visibility.h"

namespace tikhomap {
namespace {

// A dwelling that could not be screened keeps its purpose's colour.
constexpr uint8_t kInsolationSkipped = 4;

uint8_t colourOf(const BuildingNormCheck& c) {
  if (c.skip != NormSkip::None) return kInsolationSkipped;
  switch (buildingColourVerdict(c)) {
    case NormVerdict::Continuous:
      return kInsolationMeets;
    case NormVerdict::Interrupted:
      return kInsolationInterrupted;
    case NormVerdict::Fails:
      break;
  }
  return kInsolationFails;
}

}  // namespace

InsolationColouring::InsolationColouring(Shell& shell)
    : QObject(&shell.shellWindow()), shell_(shell) {
  poll_.setInterval(200);
  connect(&poll_, &QTimer::timeout, this, [this] { lookAtView(); });
  redraw_.setSingleShot(true);
  redraw_.setInterval(150);
  connect(&redraw_, &QTimer::timeout, this, [this] {
    if (active_) shell_.requestRecompose();
  });
  map_ = &shell_.mapWidget();
  overlayId_ = map_->addOverlay([this](QPainter& p) { drawProgress(p); });
}

void InsolationColouring::forgetMap() {
  stopWorkers();
  snapshot_.reset();
  builtFor_ = nullptr;
  pending_ = 0;
}

InsolationColouring::~InsolationColouring() {
  stopWorkers();
  if (map_ != nullptr) map_->removeOverlay(overlayId_);
}

int InsolationColouring::yearChecked() const {
  const auto& date = shell_.session().sunDate;
  return date ? date->year : QDate::currentDate().year();
}

void InsolationColouring::setActive(bool on) {
  active_ = on;
  shell_.session().insolationColouring = on;
  if (QAction* action = shell_.action(ids::kInsolationColours)) action->setChecked(on);
  if (on) {
    lastView_[0] = lastView_[2] = 0;
    lastView_[1] = lastView_[3] = -1;  // no view looked at yet
    lookAtView();
    poll_.start();
  } else {
    poll_.stop();
    stopWorkers();
    std::fill(asked_.begin(), asked_.end(), 0);
    pending_ = 0;
  }
  if (!shell_.session().titleSheetShown()) shell_.requestRecompose();
}

void InsolationColouring::startWorkers() {
  stop_ = false;
  if (!snapshot_) {
    const MapData& m = shell_.session().map;
    auto copy = std::make_shared<MapData>();
    copy->buildings = m.buildings;
    copy->cityExtent = m.cityExtent;
    copy->city = m.city;
    snapshot_ = std::move(copy);
  }
  const std::shared_ptr<const MapData> map = snapshot_;
  const int year = year_;
  const int threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  for (int i = 0; i < threads; ++i) workers_.emplace_back([this, map, year] { work(map, year); });
}

void InsolationColouring::stopWorkers() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
    queue_.clear();
    ++generation_;
  }
  wake_.notify_all();
  for (std::thread& t : workers_) t.join();
  workers_.clear();
}

void InsolationColouring::work(std::shared_ptr<const MapData> map, int year) {
  // Blocks keep working state of their own: one per thread.
  const BuildingBlocks blocks(*map);
  const float cx = (map->cityExtent.xMin + map->cityExtent.xMax) / 2;
  const float cy = (map->cityExtent.yMin + map->cityExtent.yMax) / 2;
  const TimeZone zone = sunPlaceAt(*map, cx, cy).zone;
  for (;;) {
    int32_t row = 0;
    uint64_t generation = 0;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] { return stop_ || !queue_.empty(); });
      if (stop_) return;
      row = queue_.front();
      queue_.pop_front();
      generation = generation_;
    }
    const Building& b = map->buildings[static_cast<std::size_t>(row)];
    const uint8_t colour =
        colourOf(checkInsolationNorm(blocks, row, year, sunPlaceAt(*map, b.x, b.y, zone)));
    QMetaObject::invokeMethod(
        this, [this, row, colour, generation] { arrived(row, colour, generation); },
        Qt::QueuedConnection);
  }
}

void InsolationColouring::arrived(int32_t row, uint8_t verdict, uint64_t generation) {
  {
    std::lock_guard lock(mutex_);
    if (generation != generation_) return;
  }
  std::vector<uint8_t>& colours = shell_.session().insolationColours;
  if (static_cast<std::size_t>(row) >= colours.size()) return;
  colours[static_cast<std::size_t>(row)] = verdict;
  pending_ = std::max(0, pending_ - 1);
  if (!redraw_.isActive()) redraw_.start();
  if (map_ != nullptr) map_->update();
}

void InsolationColouring::lookAtView() {
  if (!active_) return;
  MapSession& s = shell_.session();
  if (s.titleSheetShown()) return;
  const MapData* map = &s.map;
  const int year = yearChecked();
  // Another map or another year: what was found no longer holds.
  if (map != builtFor_ || map->buildings.size() != builtForCount_ || year != year_ ||
      workers_.empty()) {
    stopWorkers();
    if (map != builtFor_ || map->buildings.size() != builtForCount_ || year != year_) {
      s.insolationColours.assign(map->buildings.size(), kInsolationUnknown);
      snapshot_.reset();
    }
    asked_.assign(map->buildings.size(), 0);
    builtFor_ = map;
    builtForCount_ = map->buildings.size();
    year_ = year;
    lastView_[1] = lastView_[3] = -1;
    startWorkers();
  }
  const ViewState& v = s.view;
  if (v.viewXMin == lastView_[0] && v.viewYMin == lastView_[1] && v.viewXMax == lastView_[2] &&
      v.viewYMax == lastView_[3]) {
    return;
  }
  lastView_[0] = v.viewXMin;
  lastView_[1] = v.viewYMin;
  lastView_[2] = v.viewXMax;
  lastView_[3] = v.viewYMax;
  // The new view's buildings go first; those of the old one not begun yet
  // are asked again when they come back into a view.
  std::vector<int32_t> rows;
  for (std::size_t i = 0; i < map->buildings.size(); ++i) {
    const Building& b = map->buildings[i];
    if (!isDwelling(b.purpose) || s.insolationColours[i] != kInsolationUnknown) continue;
    if (!boundsInView(v, b.bounds)) continue;
    rows.push_back(static_cast<int32_t>(i));
  }
  {
    std::lock_guard lock(mutex_);
    for (const int32_t row : queue_) asked_[static_cast<std::size_t>(row)] = 0;
    queue_.clear();
    ++generation_;
    for (const int32_t row : rows) {
      queue_.push_back(row);
      asked_[static_cast<std::size_t>(row)] = 1;
    }
  }
  pending_ = static_cast<int>(rows.size());
  wake_.notify_all();
  if (map_ != nullptr) map_->update();
}

void InsolationColouring::drawProgress(QPainter& painter) {
  if (!active_ || shell_.session().titleSheetShown()) return;
  const QString text =
      pending_ > 0 ? QStringLiteral("Инсоляция по норме: считается, осталось %1 зд.").arg(pending_)
                   : QStringLiteral(
                         "Инсоляция по норме, %1 г.: зелёный — каждый этаж "
                         "имеет фасад по норме; жёлтый — лишь прерывисто; "
                         "красный — этаж без такого фасада. Скрининг.")
                         .arg(year_);
  painter.save();
  // The legend wraps where the window is narrower than its line.
  const QFontMetrics fm(painter.font());
  const int width = std::max(60, painter.device()->width() - 16);
  const QRect lines =
      fm.boundingRect(QRect(0, 0, width - 12, 10000), Qt::TextWordWrap | Qt::AlignLeft, text);
  const QRect box(8, 8, lines.width() + 12, lines.height() + 6);
  painter.fillRect(box, QColor(255, 255, 240, 220));
  painter.setPen(QColor(60, 60, 60));
  painter.drawRect(box.adjusted(0, 0, -1, -1));
  painter.drawText(box.adjusted(6, 3, -6, -3), Qt::TextWordWrap | Qt::AlignLeft, text);
  painter.restore();
}

void installInsolationTools(MainWindow& main) {
  auto* colouring = new InsolationColouring(main);
  main.setCommandHandler(ids::kInsolationColours,
                         [colouring] { colouring->setActive(!colouring->active()); });
  QObject::connect(&main, &MainWindow::mapClosing, colouring,
                   [colouring] { colouring->forgetMap(); });
  QObject::connect(&main, &MainWindow::mapOpened, colouring, [colouring] {
    if (colouring->active()) colouring->lookAtView();
  });
  MainWindow* w = &main;
  main.setCommandHandler(ids::kInsolationReport, [w, colouring] {
    const QString path = QFileDialog::getSaveFileName(w, QStringLiteral("Отчёт об инсоляции"),
                                                      QStringLiteral("инсоляция.csv"),
                                                      QStringLiteral("CSV (*.csv)"));
    if (path.isEmpty()) return;
    // The map's own workers stand down while the whole city is screened.
    const bool was = colouring->active();
    if (was) colouring->setActive(false);
    const MapData& map = w->session().map;
    const auto& date = w->session().sunDate;
    const int year = date ? date->year : QDate::currentDate().year();
    std::atomic<int> done{0};
    std::atomic<bool> cancel{false};
    int total = 0;
    for (const Building& b : map.buildings) total += isDwelling(b.purpose);
    QProgressDialog progress(QStringLiteral("Жилые здания проверяются по норме инсоляции..."),
                             QStringLiteral("Отмена"), 0, std::max(total, 1), w);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(300);
    CityScreening result;
    std::thread worker([&] {
      result = screenCity(
          map, year, {}, 0, [&](int n, int) { done = n; }, &cancel);
    });
    while (done.load() < total && !cancel.load()) {
      progress.setValue(done.load());
      if (progress.wasCanceled()) cancel = true;
      QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    worker.join();
    progress.close();
    if (was) colouring->setActive(true);
    if (result.cancelled) return;
    const std::string csv = insolationCsv(map, result, {});
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(csv.data(), static_cast<qint64>(csv.size())) !=
            static_cast<qint64>(csv.size())) {
      QMessageBox::warning(w, QStringLiteral("Отчёт об инсоляции"),
                           QStringLiteral("Не удалось записать файл %1.").arg(path));
    }
  });
}

}  // namespace tikhomap
