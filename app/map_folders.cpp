#include "app/map_folders.h"

#include <QAction>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QShortcut>
#include <QUrl>

#include <filesystem>
#include "gpkg/map_location.h"

#include "app/main_window.h"
#include "app/mouse_controller.h"
#include "app/quick_search_bar.h"
#include "app/sun_window.h"
#include "app/tools_palette.h"
#include "resources/command_ids.h"

namespace tikhomap {
namespace {

QString absoluteFolder(const std::filesystem::path& dir) {
  return QFileInfo(QString::fromStdString(dir.string())).absoluteFilePath();
}

// The map a dropped or chosen path stands for: a file stands for the folder
// that holds it, a map container for itself.
QString folderOf(const QString& path) {
  const QFileInfo info(path);
  return QString::fromStdString(
      mapPathFor(std::filesystem::path(info.absoluteFilePath().toStdString())).string());
}

std::optional<QString> droppedFolder(const QMimeData* mime) {
  if (mime == nullptr || !mime->hasUrls()) return std::nullopt;
  const QList<QUrl> urls = mime->urls();
  if (urls.size() != 1 || !urls.front().isLocalFile()) return std::nullopt;
  const QFileInfo info(urls.front().toLocalFile());
  if (!info.exists()) return std::nullopt;
  return folderOf(info.absoluteFilePath());
}

}  // namespace

MapFolders::MapFolders(MainWindow& main, MouseController& mouse)
    : QObject(&main), main_(main), mouse_(mouse) {
  QSettings settings = programSettings();
  remembered_ = readRemembered(settings);
  chooser_ = [this] {
    return QFileDialog::getExistingDirectory(&main_, QStringLiteral("Открыть карту"),
                                             absoluteFolder(main_.session().dataDir));
  };

  QAction* exit = main.action(ids::kExit);
  auto* menu = exit != nullptr ? qobject_cast<QMenu*>(exit->parent()) : nullptr;
  if (menu != nullptr) {
    auto* open = new QAction(QStringLiteral("Открыть карту…    Ctrl+O"), menu);
    open->setObjectName(QString::number(kOpenMapCommand));
    connect(open, &QAction::triggered, this, [this] { main_.command(kOpenMapCommand); });
    recent_ = new QMenu(QStringLiteral("Недавние карты"), menu);
    recent_->setObjectName(QStringLiteral("recentMaps"));
    connect(recent_, &QMenu::aboutToShow, this, [this] { fillRecent(); });
    auto* last = new QAction(QStringLiteral("Последний вид карты   F6"), menu);
    last->setObjectName(QString::number(kLastViewCommand));
    connect(last, &QAction::triggered, this, [this] { main_.command(kLastViewCommand); });
    menu->insertAction(exit, open);
    menu->insertMenu(exit, recent_);
    menu->insertAction(exit, last);
    menu->insertSeparator(exit);
  }
  const std::pair<QKeyCombination, int> keys[] = {
      {QKeyCombination(Qt::ControlModifier, Qt::Key_O), kOpenMapCommand},
      {QKeyCombination(Qt::Key_F6), kLastViewCommand}};
  for (const auto& [key, id] : keys) {
    auto* shortcut = new QShortcut(QKeySequence(key), &main);
    shortcut->setObjectName(QStringLiteral("key%1").arg(id));
    shortcut->setAutoRepeat(false);
    const int command = id;
    connect(shortcut, &QShortcut::activated, this, [this, command] { main_.command(command); });
  }
  main.setCommandHandler(kOpenMapCommand, [this] {
    const QString chosen = chooser_ ? chooser_() : QString();
    if (!chosen.isEmpty()) open(chosen);
  });
  main.setCommandHandler(kLastViewCommand, [this] { returnToLastView(); });

  connect(&main, &MainWindow::mapClosing, this, [this] {
    rememberCurrentView();
    // The windows of the old map that the title sheet leaves open.
    mouse_.closeCoordinates();
    for (SunWindow* sun : main_.findChildren<SunWindow*>()) sun->close();
    if (auto* bar = main_.findChild<QuickSearchBar*>()) {
      bar->close();
      bar->text().clear();
    }
  });
  // Every map read, the first one included, goes to the front of the list.
  connect(&main, &MainWindow::baseMapReady, this, [this] {
    rememberMap(remembered_, absoluteFolder(main_.session().dataDir));
    QSettings settings = programSettings();
    writeRemembered(settings, remembered_);
  });
  connect(&main, &MainWindow::closing, this, [this] { save(); });
  main.setAcceptDrops(true);
  main.installEventFilter(this);
}

bool MapFolders::eventFilter(QObject* watched, QEvent* event) {
  if (watched != &main_) return false;
  if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
    auto* drag = static_cast<QDragMoveEvent*>(event);
    if (droppedFolder(drag->mimeData())) {
      drag->acceptProposedAction();
    } else {
      drag->ignore();
    }
    return true;
  }
  if (event->type() == QEvent::Drop) {
    auto* drop = static_cast<QDropEvent*>(event);
    if (const auto folder = droppedFolder(drop->mimeData())) {
      drop->acceptProposedAction();
      open(*folder);
    } else {
      drop->ignore();
      main_.beep();
    }
    return true;
  }
  return false;
}

bool MapFolders::open(const QString& path) {
  if (path.isEmpty()) return false;
  return main_.openMap(std::filesystem::path(folderOf(path).toStdString()));
}

void MapFolders::fillRecent() {
  recent_->clear();
  const QString current = absoluteFolder(main_.session().dataDir);
  for (const RememberedMap& m : remembered_.maps) {
    // A map that has vanished is not offered.
    if (m.folder == current || !QFileInfo::exists(m.folder)) continue;
    QAction* item = recent_->addAction(m.folder);
    const QString folder = m.folder;
    connect(item, &QAction::triggered, this, [this, folder] { open(folder); });
  }
  recent_->setEnabled(!recent_->isEmpty());
}

void MapFolders::rememberCurrentView() {
  const MapSession& session = main_.session();
  if (!session.baseMapLoaded()) return;
  const QString folder = absoluteFolder(session.dataDir);
  if (!session.titleSheetShown()) {
    rememberMap(remembered_, folder, session.history.last());
  } else {
    rememberMap(remembered_, folder);
  }
}

void MapFolders::returnToLastView() {
  MapSession& session = main_.session();
  const RememberedMap* m = findRememberedMap(remembered_, absoluteFolder(session.dataDir));
  if (!session.baseMapLoaded() || m == nullptr || !m->view ||
      pushView(session.history, m->view->xMin, m->view->yMin, m->view->xMax, m->view->yMax) == 0) {
    main_.beep();
    return;
  }
  main_.requestRecompose();
}

bool MapFolders::restore() {
  if (remembered_.viewMode && *remembered_.viewMode != main_.viewMode()) {
    main_.command(*remembered_.viewMode);
  }
  if (remembered_.layers) main_.session().layers = *remembered_.layers;
  if (remembered_.paletteOpen && *remembered_.paletteOpen != (openPalette(main_) != nullptr)) {
    main_.command(ids::kToolsPalette);
  }
  return !remembered_.geometry.isEmpty() && main_.restoreGeometry(remembered_.geometry) &&
         (remembered_.state.isEmpty() || main_.restoreState(remembered_.state));
}

void MapFolders::save() {
  rememberCurrentView();
  remembered_.geometry = main_.saveGeometry();
  remembered_.state = main_.saveState();
  remembered_.viewMode = main_.viewMode();
  remembered_.layers = main_.session().layers;
  remembered_.paletteOpen = openPalette(main_) != nullptr;
  QSettings settings = programSettings();
  writeRemembered(settings, remembered_);
}

MapFolders& installMapFolders(MainWindow& main, MouseController& mouse) {
  return *new MapFolders(main, mouse);
}

}  // namespace tikhomap
