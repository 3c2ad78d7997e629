// Shared pieces of the shell tests: the Qt application (offscreen platform),
// a tiny city written into a temporary folder, and waiting for the window.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <string>

#include "mapdata/map_data.h"

namespace tikhomap {
class MainWindow;
}

namespace tikhomap::testing {

// A city 2 km north-south by 3 km east-west: a land square, a park, two
// crossing streets with names and a label anchor, five houses.
MapData tinyCity();

// Writes the tiny city (with a regional title-sheet file) into a fresh
// temporary folder named after the running test, and removes it again.
class TinyCityFolder {
 public:
  TinyCityFolder();
  ~TinyCityFolder();
  TinyCityFolder(const TinyCityFolder&) = delete;
  TinyCityFolder& operator=(const TinyCityFolder&) = delete;
  const std::filesystem::path& path() const { return dir_; }
  void remove(const char* file) { std::filesystem::remove(dir_ / file); }

 private:
  std::filesystem::path dir_;
};

// Types text into a widget character by character, as key presses with
// their text (QTest's own typing knows only ASCII).
void typeText(QWidget* widget, const QString& text);

// Shows the window at 900 x 700 and waits until it has read the tiny city
// and composed its title sheet.
bool showLoaded(MainWindow& window);

// Runs the event loop until done() is true or the time is up.
bool waitFor(const std::function<bool()>& done, int milliseconds = 10000);

}  // namespace tikhomap::testing
