// Remembering between runs and opening other maps: the settings file, a
// wrong folder, another map replacing everything of the old one, the last
// view of a folder, drops.
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>
#include <cstring>

#include "app/map_folders.h"
#include "app/program_settings.h"
#include "tests/app/mouse_test_fixture.h"

namespace tikhomap {
namespace {

TEST(ProgramSettingsTest, WhatIsWrittenReadsBackAndJunkReadsAsNothing) {
  QTemporaryDir dir;
  const QString file = dir.filePath(QStringLiteral("t.ini"));
  Remembered r;
  r.geometry = QByteArray("\x01\x02geometry", 10);
  r.viewMode = kViewFlat;
  r.layers = LayerChoices{2, 0, 1, 0, 1, 1};
  r.paletteOpen = false;
  rememberMap(r, QStringLiteral("/a/b c/город"), MapBounds{1.5f, 2, 1000.25f, 3000});
  rememberMap(r, QStringLiteral("/x=y;z"));
  {
    QSettings s(file, QSettings::IniFormat);
    writeRemembered(s, r);
  }
  QSettings back(file, QSettings::IniFormat);
  const Remembered read = readRemembered(back);
  EXPECT_EQ(read.geometry, r.geometry);
  EXPECT_EQ(read.viewMode, kViewFlat);
  ASSERT_TRUE(read.layers.has_value());
  EXPECT_EQ(read.layers->buildingChoice, 2);
  EXPECT_EQ(read.layers->showDistrictBorders, 1);
  EXPECT_EQ(read.paletteOpen, false);
  ASSERT_EQ(read.maps.size(), 2u);
  EXPECT_EQ(read.maps[0].folder, QStringLiteral("/x=y;z"));
  EXPECT_FALSE(read.maps[0].view.has_value());
  EXPECT_EQ(read.maps[1].folder, QStringLiteral("/a/b c/город"));
  EXPECT_EQ(read.maps[1].view, (MapBounds{1.5f, 2, 1000.25f, 3000}));

  using namespace std::string_literals;
  const std::string junk[] = {
      "\x00\xff\xfe garbage [[[ \n=\n"s,
      "[view]\nmode=99999\nlayers=9 9 9 9 9 9\npaletteOpen=2\n"
      "[maps]\nsize=3\n1\\folder=/m\n1\\view=nan 0 1 1\n2\\folder=/n\n2\\view=5 5 1 1\n",
      "[view]\nmode=abc\nlayers=1 1\n[maps]\nsize=-4\n"s,
  };
  for (const std::string& text : junk) {
    const QString path = dir.filePath(QStringLiteral("junk.ini"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text.data(), static_cast<qint64>(text.size()));
    f.close();
    QSettings s(path, QSettings::IniFormat);
    const Remembered j = readRemembered(s);
    EXPECT_FALSE(j.viewMode.has_value()) << text.c_str();
    EXPECT_FALSE(j.layers.has_value()) << text.c_str();
    EXPECT_FALSE(j.paletteOpen.has_value()) << text.c_str();
    for (const RememberedMap& m : j.maps) EXPECT_FALSE(m.view.has_value()) << text.c_str();
  }
}

class MapFoldersTest : public testing::MouseWindowTest {
 protected:
  void SetUp() override {
    programSettings().clear();
    MouseWindowTest::SetUp();
    folders_ = &installMapFolders(*window_, mouse());
    window_->setOpenFailedHandler([this](const QString& m) { failures_.push_back(m); });
    other_ = folder_.path().string() + "_other";
    std::filesystem::remove_all(other_);
    std::filesystem::copy(folder_.path(), other_);
  }
  void TearDown() override {
    std::filesystem::remove_all(other_);
    MouseWindowTest::TearDown();
  }
  QString first() const { return QString::fromStdString(folder_.path().string()); }
  QString other() const { return QString::fromStdString(other_.string()); }
  MapFolders* folders_ = nullptr;
  std::filesystem::path other_;
  std::vector<QString> failures_;
};

TEST_F(MapFoldersTest, AnotherMapReplacesEverythingOfTheOldOneAndAWrongFolderKeepsIt) {
  showRect(600, 900, 1400, 2100);
  const MapBounds view = session().history.last();
  const int count = session().history.count;
  session().marking.choose(0);
  ASSERT_TRUE(mouse().openMeasurement(false));
  ASSERT_TRUE(mouse().openCoordinates());

  // A folder without the map: the failure names the missing file.
  QTemporaryDir empty;
  EXPECT_FALSE(folders_->open(empty.path()));
  ASSERT_EQ(failures_.size(), 1u);
  EXPECT_TRUE(failures_[0].contains(QStringLiteral(".tkm"))) << failures_[0].toStdString();
  EXPECT_EQ(session().history.count, count);
  EXPECT_TRUE(mouse().measure().isOpen());

  // A map file stands for its folder.
  EXPECT_TRUE(folders_->open(other() + QStringLiteral("/8.tkm")));
  EXPECT_EQ(std::filesystem::absolute(session().dataDir), std::filesystem::absolute(other_));
  EXPECT_EQ(session().history.count, 1);
  EXPECT_FALSE(session().marking.hasMarks());
  EXPECT_FALSE(mouse().measure().isOpen());
  EXPECT_EQ(mouse().coordinatesWindow(), nullptr);
  EXPECT_FALSE(session().map.buildings.empty());
  ASSERT_GE(folders_->remembered().maps.size(), 2u);
  EXPECT_EQ(folders_->remembered().maps[0].folder, QDir(other()).absolutePath());
  EXPECT_EQ(folders_->remembered().maps[1].view, view);

  // Back in the first folder, F6 returns to the view left there; in a
  // folder without a remembered view it beeps.
  folders_->returnToLastView();
  EXPECT_EQ(beeps_, 1);
  EXPECT_TRUE(folders_->open(first()));
  folders_->returnToLastView();
  EXPECT_EQ(session().history.last(), view);
  EXPECT_EQ(session().history.count, 2);
}

TEST_F(MapFoldersTest, ADroppedFolderOpensAndAnythingElseIsRefused) {
  // The window takes only what it accepted when the drag entered it.
  const auto drop = [this](QMimeData& mime) {
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window_.get(), &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent event(QPointF(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window_.get(), &event);
    return true;
  };
  QMimeData text;
  text.setText(QStringLiteral("not a folder"));
  EXPECT_FALSE(drop(text));
  QMimeData gone;
  gone.setUrls({QUrl::fromLocalFile(QStringLiteral("/no/such/folder"))});
  EXPECT_FALSE(drop(gone));
  EXPECT_EQ(std::filesystem::absolute(session().dataDir),
            std::filesystem::absolute(folder_.path()));
  QMimeData folder;
  folder.setUrls({QUrl::fromLocalFile(other())});
  EXPECT_TRUE(drop(folder));
  EXPECT_EQ(std::filesystem::absolute(session().dataDir), std::filesystem::absolute(other_));
}

TEST_F(MapFoldersTest, TheWindowsChoicesAreWrittenOnCloseAndRestoredAtTheNextStart) {
  window_->command(kViewFlat);
  session().layers.buildingChoice = 0;
  window_->close();
  MainWindow next(folder_.path());
  next.setFatalHandler([](const QString&) {});
  MapFolders& restored = installMapFolders(next, installMouseController(next));
  restored.restore();
  EXPECT_EQ(next.viewMode(), kViewFlat);
  EXPECT_EQ(next.session().layers.buildingChoice, 0);
  EXPECT_FALSE(restored.remembered().geometry.isEmpty());
}

}  // namespace
}  // namespace tikhomap
