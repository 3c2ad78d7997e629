// The help window "Справка — Тихоморск": the help text bundled with the
// program, a contents list linking to its sections. "Справка" (32794) and F1
// open it; a second request brings the open window forward.
#pragma once

#include <QWidget>

#include "mapdata/city_info.h"

class QTextBrowser;

namespace tikhomap {

class MainWindow;

inline constexpr int kHelpBrowser = 1;

class HelpWindow final : public QWidget {
  Q_OBJECT
 public:
  // Its title names the town of city ("Справка — Тихоморск" without one).
  explicit HelpWindow(QWidget* owner, const CityInfo& city = {});
  QTextBrowser& browser() { return *browser_; }

 private:
  QTextBrowser* browser_ = nullptr;
};

// Connects "Справка" (32794) and F1.
void installHelp(MainWindow& main);
// The open help window of this main window, or null.
HelpWindow* openHelpWindow(MainWindow& main);

}  // namespace tikhomap
