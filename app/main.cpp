// tikhomap: the address plan of the city, read from the map files in the
// working directory.
#include <QApplication>
#include <filesystem>

#include "app/main_window.h"
#include "app/mouse_controller.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("tikhomap"));
  tikhomap::MainWindow window(std::filesystem::current_path());
  tikhomap::installMouseController(window);
  window.showMaximized();
  return QApplication::exec();
}
