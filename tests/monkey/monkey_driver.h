// The monkey: a seeded random stream of a person's actions thrown at the
// whole program (the main window with every part installed, on the tiny
// sample city), with the program's invariants checked after every action.
//
// Input goes in as the window system would deliver it (QPA mouse and key
// events on the windows), so modality, popups, shortcuts and focus work as
// for a person: while a modal dialog or a popup is open, only it (and the
// windows it owns) get the actions. A dialog's modal loop does not stall the
// run: a watch posted to the event loop notices a nested loop waiting for
// the person and drives the next events from inside it.
//
// Time is the driver's own: every event advances a virtual clock, mouse
// events carry its timestamps (so double clicks are decided by it), the
// map's flash pause runs on it, and the map's clock and the sun's date are
// fixed. The same seed therefore gives the same run.
#pragma once

#include <QPoint>
#include <QPointer>
#include <QString>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <vector>

class QWidget;
class QWindow;

namespace tikhomap {
class MainWindow;
class MouseController;
class Printing;
class MapFolders;
}  // namespace tikhomap

namespace tikhomap::monkey {

// Checks what must hold between any two actions of a person; answers the
// first broken invariant, or an empty string. See the definition for the
// list.
std::string checkInvariants(MainWindow& window, MouseController& mouse);

class Driver {
 public:
  // Takes over the window's timers and clock; the window must be shown with
  // the city loaded.
  Driver(MainWindow& window, MouseController& mouse, Printing& printing, uint64_t seed);
  ~Driver();
  Driver(const Driver&) = delete;
  Driver& operator=(const Driver&) = delete;

  // Every event line is written here (numbered, flushed) before it is
  // carried out, so a crash log ends with the event that crashed.
  void setEcho(std::FILE* echo) { echo_ = echo; }
  // Folder opens and drops go through these; without them none are made.
  void setFolders(MapFolders* folders) { folders_ = folders; }
  // Called when an invariant breaks or the program stalls, with the number
  // of events carried out; the default prints nothing and the run stops.
  void setFailureHandler(std::function<void(int events, const std::string& what)> handler) {
    failure_ = std::move(handler);
  }

  // Sends `events` events, then closes whatever dialogs are still open.
  // False when an invariant broke (the failure handler has been called).
  bool run(int events);
  // The last run ended the program itself (which the stream never asks for).
  bool programEnded() const { return programEnded_; }
  int eventsDone() const { return done_; }
  // Steady-clock milliseconds when the last event started (for a watchdog
  // on another thread).
  int64_t lastProgressMs() const { return lastProgress_.load(); }

 private:
  struct Action {
    std::string line;
    std::function<void()> act;
    int ms = 50;  // virtual time the person takes for it
  };

  void step();
  void watch();
  void postWatch();
  void settle();
  void advance(int ms);
  void fail(const std::string& what);
  void closeBlocker(QWidget* blocker);
  std::string checkHeld() const;

  Action next();
  Action mapAction();
  Action keyAction();
  Action menuAction();
  Action popupAction(QWidget& popup);
  Action windowAction(QWidget& window);
  Action widgetAction(QWidget& window, QWidget& widget);
  Action resizeAction();

  Action mouseAt(QWidget& window, QPoint local, int kind, Qt::MouseButton button,
                 Qt::KeyboardModifiers mods, const std::string& what);
  Action keyPress(int key, Qt::KeyboardModifiers mods, const QString& text, int kind);
  Action typing(const QString& text);
  Action wheelAt(QWidget& window, QPoint local, int delta, Qt::KeyboardModifiers mods);
  // Any delta a wheel, a high-resolution wheel or a touchpad may send.
  Action wheelWith(QPoint local, QPoint angle, QPoint pixel, Qt::ScrollPhase phase,
                   Qt::KeyboardModifiers mods);
  Action anyWheel(QPoint local, Qt::KeyboardModifiers mods);
  Action pinchAt(QPoint local);
  Action folderAction();

  void sendMouse(QWindow* window, QPointF local, Qt::MouseButton button, int type,
                 Qt::KeyboardModifiers mods);
  QWindow* keyWindow() const;

  int below(int n) { return n <= 1 ? 0 : static_cast<int>(rng_() % static_cast<uint64_t>(n)); }
  bool chance(int percent) { return below(100) < percent; }
  QPoint pointIn(const QWidget& widget, bool mayLeave);

  MainWindow& window_;
  MouseController& mouse_;
  Printing& printing_;
  MapFolders* folders_ = nullptr;
  std::mt19937_64 rng_;
  std::mt19937_64 answers_;  // the print dialog's answers
  std::FILE* echo_ = nullptr;
  std::function<void(int, const std::string&)> failure_;

  int total_ = 0;
  int done_ = 0;
  bool running_ = false;
  bool failed_ = false;
  bool programEnded_ = false;
  bool watchPosted_ = false;
  int drivingLevel_ = 0;
  int64_t now_ = 0;  // virtual milliseconds
  std::optional<int64_t> flashDue_;
  Qt::MouseButtons held_ = Qt::NoButton;
  std::vector<int> keysDown_;  // keys pressed and not yet released
  std::atomic<int64_t> lastProgress_{0};
};

}  // namespace tikhomap::monkey
