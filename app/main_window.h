// The main window: it owns the open map (MapSession), the menu bar, the map
// widget with its frame, and the one command dispatcher. It runs the paint
// cycle (compose only when asked, otherwise copy the frame), the view keys,
// the view-mode command and the flash timer.
#pragma once

#include <QMainWindow>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>

#include "app/main_menu.h"
#include "app/map_widget.h"
#include "app/shell.h"
#include "session/map_session.h"

class QAction;

namespace tikhomap {

class ProgressWindow;

class Canvas;

class MainWindow final : public QMainWindow, public Shell, private MapWidgetHost {
  Q_OBJECT
 public:
  explicit MainWindow(std::filesystem::path dataDir, QWidget* parent = nullptr);
  ~MainWindow() override;

  // The single dispatcher of menu items, keys F2..F5 and tool windows.
  void command(int id);
  // Runs command(id) later, from the event loop (for tool windows closing
  // themselves and the like).
  void postCommand(int id) override;
  // Commands carried out by other parts of the program plug in here.
  void setCommandHandler(int id, std::function<void()> handler);

  // The next paint composes a new frame.
  void requestRecompose() override;
  bool recomposePending() const override { return recomposePending_; }
  void setRecomposePending(bool pending) override { recomposePending_ = pending; }
  int composeCount() const { return composeCount_; }

  // Reads the map behind the progress window: the base map, then the title
  // sheet is shown, then the buildings. Runs by itself at the first paint.
  void loadMapData();
  // Opens the map in another folder: it is read into a new session, and
  // only when its base map reads does it replace the open one, with
  // everything of the old map (marks, history, tool and search windows,
  // flashes). Otherwise the open map stays and the failure names the missing
  // file. An open asked for while a map is being read waits for it. The
  // answer says whether the map was opened now.
  bool openMap(const std::filesystem::path& dir);
  // Shown when another map cannot be opened; the default is a message box.
  void setOpenFailedHandler(std::function<void(const QString&)> handler) {
    openFailed_ = std::move(handler);
  }
  bool loading() const { return loading_; }

  MapSession& session() override { return session_; }
  MapWidget& mapWidget() override { return *mapWidget_; }
  QWidget& shellWindow() override { return *this; }
  QAction* action(int id) const override;
  int viewMode() const { return session_.viewMode; }

  // The exclamation beep of every refusal in every window of the program;
  // tests replace it to count them.
  void beep() override;
  void setBeep(std::function<void()> beep) { beep_ = std::move(beep); }
  // Shown when the base map cannot be read; the default shows a message
  // box and ends the program with status 1.
  void setFatalHandler(std::function<void(const QString&)> handler) { fatal_ = std::move(handler); }
  // Found buildings and the marked street, drawn after every paint.
  void setFoundMarkersPainter(std::function<void(MapSession&, Canvas&)> painter) {
    foundMarkers_ = std::move(painter);
  }
  // Name and district flashes (the marking state's nameFlash and
  // districtFlash), drawn over the frame until the flash timer ends them.
  using FlashPainter = std::function<void(MapSession&, Canvas&)>;
  void setFlashPainter(FlashPainter painter) { flashPainter_ = std::move(painter); }
  bool flashShown() const { return session_.marking.flashShown(); }
  QTimer& flashTimer() { return flashTimer_; }
  // The flash timer is the program's only timer. A driver that keeps its own
  // time takes the pause over: the starter is called where the timer would be
  // started, and the driver ends the flash with endFlash() when its time is up.
  void setFlashStarter(std::function<void()> starter) { flashStarter_ = std::move(starter); }
  void endFlash();
  // Called when the overview key is pressed (see isOverviewKey).
  void setOverviewKeyHandler(std::function<void()> handler) { overviewKey_ = std::move(handler); }

  // Physical width of the frame in millimetres.
  float frameWidthMm() const override;

 signals:
  // Home went back to the title sheet: open searches and measurements close.
  void titleSheetRequested();
  // The base map was read; the title sheet is about to be shown.
  void baseMapReady();
  // The main window was closed, and every other window of the program
  // with it: the program ends.
  void closed();
  // The window is about to close: what is to be remembered is still there.
  void closing();
  // Another map is about to replace the open one: its windows close.
  void mapClosing();
  // Another map (the folder) replaced the open one; its title sheet shows.
  void mapOpened(const QString& folder);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  // MapWidgetHost
  void prepareFrame(QImage& frame) override;
  void finishPaint() override;
  void frameRemade() override;
  void keyPressed(QKeyEvent& event) override;
  void keyReleased(QKeyEvent& event) override;

  void keyDown(QKeyEvent& event);
  void character(QChar c);
  void changeViewMode(int id);
  void pushAndRecompose(const MapBounds& r);
  void composeNow(QImage& frame);
  void loadBuildings();
  void openPending();
  // The first step of every load: the progress window shown and the base
  // map of `into` read under the wait cursor. A failure closes the window,
  // restores the cursor and ends the load.
  LoadResult readBaseMapShowingProgress(MapSession& into, ProgressWindow& progress);
  // The base map is read: the title sheet is shown while the buildings are
  // read under it, then the load ends.
  void readBuildingsUnderTitleSheet(ProgressWindow& progress);
  void flashEnded();
  void drawAfterFrame(QPainter& painter);
  // Map frames composed ahead while the title sheet is shown, one per turn
  // of the event loop, so that the first map frame asked for is ready as
  // fast as any later one (warmSessionFrame). They end when the title sheet
  // is left, a map is read or the window closes.
  void warmAhead();
  void warmNextFrame();

  MapSession session_;
  MapWidget* mapWidget_ = nullptr;
  MainMenu menu_;
  std::map<int, std::function<void()>> handlers_;
  bool recomposePending_ = true;
  bool frameBlank_ = true;  // the frame was remade and holds no picture yet
  int composeCount_ = 0;
  bool loading_ = false;
  bool loadQueued_ = false;
  bool buildingsQueued_ = false;
  bool failed_ = false;
  bool closed_ = false;  // closed by the user: the program is ending
  QTimer flashTimer_;
  QTimer warmTimer_;
  QImage warmScratch_;
  int warmStep_ = 0;
  std::function<void()> beep_;
  std::function<void(const QString&)> fatal_;
  std::function<void(const QString&)> openFailed_;
  std::optional<std::filesystem::path> pendingOpen_;
  std::function<void(MapSession&, Canvas&)> foundMarkers_;
  FlashPainter flashPainter_;
  std::function<void()> overviewKey_;
  std::function<void()> flashStarter_;
};

}  // namespace tikhomap
