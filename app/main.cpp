// tikhomap [DIR]: the address plan of the city, read from the map files in
// DIR (or in the folder of a map file named instead); without it from the
// working directory when it holds a map, else from the last map folder
// opened, else from the installed sample city.
#include <QApplication>
#include <QCommandLineParser>
#include <QScreen>
#include <filesystem>

#include "app/app_pictures.h"
#include "app/data_folder.h"
#include "app/main_window.h"
#include "app/map_folders.h"
#include "app/program.h"
#include "app/program_settings.h"
#include "app/qt_translations.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setOrganizationName(QStringLiteral("tikhomap"));
  QApplication::setApplicationName(QStringLiteral("tikhomap"));
  QGuiApplication::setDesktopFileName(QStringLiteral("tikhomap"));
  QApplication::setWindowIcon(tikhomap::programIcon());
  tikhomap::installQtTranslations(app);

  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("Тихоморск. Адресный план города"));
  parser.addHelpOption();
  parser.addPositionalArgument(
      QStringLiteral("DIR"),
      QStringLiteral("папка с файлами карты или файл в ней (по умолчанию текущая папка)"));
  parser.process(app);
  const QStringList args = parser.positionalArguments();
  if (args.size() > 1) parser.showHelp(2);
  std::optional<std::filesystem::path> given;
  if (!args.isEmpty()) given = std::filesystem::path(args.front().toStdString());
  std::optional<std::filesystem::path> lastFolder;
  {
    QSettings settings = tikhomap::programSettings();
    const tikhomap::Remembered remembered = tikhomap::readRemembered(settings);
    if (!remembered.maps.empty()) {
      lastFolder = std::filesystem::path(remembered.maps.front().folder.toStdString());
    }
  }
  const std::filesystem::path dataDir = tikhomap::chooseDataFolder(
      given, std::filesystem::current_path(),
      tikhomap::installedSampleCity(QCoreApplication::applicationDirPath().toStdString()),
      lastFolder);

  tikhomap::MainWindow window(dataDir);
  const tikhomap::ProgramParts parts = tikhomap::installProgram(window);
  if (parts.folders.restore()) {
    window.show();
  } else {
    // Without a window manager "maximised" means nothing: the window takes
    // the screen's free area itself.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
      window.setGeometry(screen->availableGeometry());
    }
    window.showMaximized();
  }
  return QApplication::exec();
}
