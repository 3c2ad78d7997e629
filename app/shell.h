// What the tools of the program reach of the main window: the open map, the
// map widget, the paint cycle, the menu's check marks and the refusal beep.
// The main window is the one shell; a tool built over a shell of its own
// runs without the rest of the program.
#pragma once

class QAction;
class QWidget;

namespace tikhomap {

struct MapSession;
class MapWidget;

class Shell {
 public:
  virtual MapSession& session() = 0;
  virtual MapWidget& mapWidget() = 0;
  // The window the tool's dialogs and messages belong to.
  virtual QWidget& shellWindow() = 0;
  // The exclamation beep of every refusal.
  virtual void beep() = 0;
  // The next paint composes a new frame.
  virtual void requestRecompose() = 0;
  virtual bool recomposePending() const = 0;
  virtual void setRecomposePending(bool pending) = 0;
  // Physical width of the frame in millimetres.
  virtual float frameWidthMm() const = 0;
  // Runs the command later, from the event loop.
  virtual void postCommand(int id) = 0;
  // The menu item of the command, or nullptr.
  virtual QAction* action(int id) const = 0;

 protected:
  ~Shell() = default;
};

}  // namespace tikhomap
