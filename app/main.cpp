// tikhomap: the address plan of the city, read from the map files in the
// working directory.
#include <QApplication>
#include <QScreen>
#include <filesystem>

#include "app/main_window.h"
#include "app/mouse_controller.h"
#include "app/print_job.h"
#include "app/search_commands.h"
#include "app/sun_window.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("tikhomap"));
  tikhomap::MainWindow window(std::filesystem::current_path());
  tikhomap::installMouseController(window);
  tikhomap::installSearches(window);
  tikhomap::installSunTool(window);
  tikhomap::installPrinting(window);
  // Without a window manager "maximised" means nothing: the window takes the
  // screen's free area itself.
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    window.setGeometry(screen->availableGeometry());
  }
  window.showMaximized();
  return QApplication::exec();
}
