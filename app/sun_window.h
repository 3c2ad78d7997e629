// "Солнце": hours of direct sun on the facades of a building. The tool mode
// (menu "Геодезия") waits for a click on a building; the window shows the
// facades for a date, with a sun-path chart and the neighbours' skyline
// from the selected facade, which is also marked on the map.
#pragma once

#include <QDate>
#include <QDialog>
#include <QPointer>
#include <QWidget>
#include <memory>

#include "app/map_widget.h"
#include "tools/insolation.h"
#include "tools/insolation_check.h"

class QDateEdit;
class QLabel;
class QTableWidget;
class QTabWidget;

namespace tikhomap {

class MainWindow;
class Shell;

// The sun's track over the day and the skyline seen from one facade.
class SunChart final : public QWidget {
  Q_OBJECT
 public:
  explicit SunChart(QWidget* parent = nullptr);
  void setTrack(std::vector<SunTrackPoint> track) {
    track_ = std::move(track);
    update();
  }
  // Elevation of the skyline every 2° of azimuth (180 values); empty for none.
  void setSkyline(std::vector<double> skyline, double facing) {
    skyline_ = std::move(skyline);
    facing_ = facing;
    update();
  }
  QSize sizeHint() const override { return {420, 200}; }

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  std::vector<SunTrackPoint> track_;
  std::vector<double> skyline_;
  double facing_ = 180;
};

class SunWindow final : public QDialog {
  Q_OBJECT
 public:
  SunWindow(Shell& shell, std::shared_ptr<const BuildingBlocks> blocks, int32_t building);
  ~SunWindow() override;

  int32_t building() const { return building_; }
  const Insolation& result() const { return result_; }
  void setDate(const CivilDate& date);
  QDate date() const;
  QTableWidget& table() { return *table_; }
  // The facade (row of result().facades) marked on the map, -1 for none.
  int selectedFacade() const { return selected_; }
  // The insolation norm's screening of the building for the date's year.
  const BuildingNormCheck& normCheck() const { return norm_; }
  QTableWidget& normTable() { return *normTable_; }
  QLabel& normSummary() { return *normSummary_; }
  QTabWidget& tabs() { return *tabs_; }
  // The norm's screening of the building on printed pages (PDF): the
  // summary, the sun-path chart of the worst facade-storey on the worse
  // date, the table and every statement. False when it cannot be written
  // or the building was not screened.
  bool writeNormReport(const QString& path);

 private:
  void recompute();
  void recomputeNorm();
  void facadeSelected(int row);
  void drawFacade(QPainter& painter);

  Shell& shell_;
  std::shared_ptr<const BuildingBlocks> blocks_;
  int32_t building_;
  SunPlace place_;
  Insolation result_;
  QDateEdit* date_;
  QLabel* note_;
  QTableWidget* table_;
  SunChart* chart_;
  QTabWidget* tabs_;
  QLabel* normSummary_;
  QTableWidget* normTable_;
  QLabel* normNotes_;
  BuildingNormCheck norm_;
  int normYear_ = 0;
  int selected_ = -1;
  QPointer<MapWidget> map_;
  int overlayId_ = 0;
};

// Registers "Солнце" in "Геодезия": a tool mode whose click on a building
// opens the window.
void installSunTool(MainWindow& main);

}  // namespace tikhomap
