// "Инсоляция по норме" (menu "Вид"): the walls of every dwelling in the
// volumetric views coloured by its screening against the insolation norm
// for the year of the real sun's date (this year otherwise): green where
// every storey has a facade meeting the norm, yellow where some storey
// meets it only by interrupted sun, red where some storey has none. The
// buildings of the view are screened in the background, one thread per
// core, each with blocks of its own; verdicts are kept per building and
// year and drawn as they arrive, with the count still to do over the map.
//
// "Отчёт об инсоляции (CSV) ..." (menu "Геодезия") writes the screening of
// every dwelling of the map.
#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "app/map_widget.h"

namespace tikhomap {

class MainWindow;
class Shell;
struct MapData;

class InsolationColouring final : public QObject {
 public:
  explicit InsolationColouring(Shell& shell);
  ~InsolationColouring() override;

  bool active() const { return active_; }
  void setActive(bool on);
  // Buildings of the view still waiting for their verdict.
  int pending() const { return pending_; }
  // Looks at the view now (the timer does it every 200 ms).
  void lookAtView();
  // Another map is read into the same session: nothing found for the old
  // one holds, and the workers' copy is of the old buildings.
  void forgetMap();

 private:
  void startWorkers();
  void stopWorkers();
  void work(std::shared_ptr<const MapData> map, int year);
  void arrived(int32_t row, uint8_t verdict, uint64_t generation);
  void drawProgress(QPainter& painter);
  int yearChecked() const;

  Shell& shell_;
  bool active_ = false;
  QTimer poll_;
  QTimer redraw_;
  QPointer<MapWidget> map_;
  int overlayId_ = 0;

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<int32_t> queue_;
  bool stop_ = false;
  uint64_t generation_ = 0;
  std::vector<std::thread> workers_;
  // What the workers read: a copy of the map's buildings and its place,
  // so that a map read anew or a window closing never pulls it from under
  // them.
  std::shared_ptr<const MapData> snapshot_;
  std::vector<uint8_t> asked_;  // a row was queued for this generation
  const MapData* builtFor_ = nullptr;
  std::size_t builtForCount_ = 0;
  int year_ = 0;
  int pending_ = 0;
  float lastView_[4] = {};
};

void installInsolationTools(MainWindow& main);

}  // namespace tikhomap
