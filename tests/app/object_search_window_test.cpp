// The object search window driven as a person would: F5, criteria, "Список",
// results on the map, Esc, F5 again, Home.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <cstring>

#include "app/main_window.h"
#include "app/mouse_controller.h"
#include "app/object_search_window.h"
#include "app/search_commands.h"
#include "resources/command_ids.h"
#include "tests/app/app_fixture.h"

namespace tikhomap::testing {
namespace {

void put(std::string& field, const char* utf8) {
  field = utf8;
}

class ObjectSearchWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = std::make_unique<MainWindow>(folder_.path());
    window_->setBeep([this] { ++beeps_; });
    window_->setFatalHandler([](const QString&) {});
    installMouseController(*window_);
    installSearches(*window_);
    ASSERT_TRUE(testing::showLoaded(*window_));
    // Two groups of themes and three objects at the houses of the tiny city.
    MapData& map = window_->session().map;
    map.themeNodes.resize(3);
    std::memcpy(map.themeNodes[0].code, "11", 2);
    put(map.themeNodes[0].name, "Школы");
    map.themeNodes[0].next = 1;
    std::memcpy(map.themeNodes[1].code, "21", 2);
    put(map.themeNodes[1].name, "Медицина");
    map.themeNodes[1].children = 2;
    std::memcpy(map.themeNodes[2].code, "22", 2);
    put(map.themeNodes[2].name, "Аптеки");
    map.themeHead = 0;
    map.userObjects.resize(3);
    const int houses[] = {1, 2, 3};
    const char* names[] = {"Школа № 3", "Аптека у моря", "Аптека «Порт»"};
    const char* themes[] = {"11", "22", "22"};
    for (int i = 0; i < 3; ++i) {
      UserObject& o = map.userObjects[static_cast<size_t>(i)];
      const Building& b = map.buildings[static_cast<size_t>(houses[i])];
      o.x = static_cast<int16_t>(b.x);
      o.y = static_cast<int16_t>(b.y);
      std::memcpy(o.theme, themes[i], 2);
      put(o.name, names[i]);
    }
  }

  ObjectSearchWindow* searchWindow() {
    ObjectSearchWindow* found = nullptr;
    for (auto* w : window_->findChildren<ObjectSearchWindow*>()) {
      if (w->isVisible()) found = w;
    }
    return found;
  }
  template <typename W>
  static W* byId(QWidget& parent, int id) {
    return parent.findChild<W*>(QString::number(id));
  }
  MapSession& session() { return window_->session(); }

  TinyCityFolder folder_;
  std::unique_ptr<MainWindow> window_;
  int beeps_ = 0;
};

TEST_F(ObjectSearchWindowTest, ThemeSearchListsAndShowsTheResults) {
  window_->command(ids::kObjectSearch);
  ObjectSearchWindow* w = searchWindow();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->windowTitle(), QStringLiteral("Поиск объектов с адресной привязкой"));
  EXPECT_FALSE(w->isActiveWindow());  // shown without taking the activation
  auto* themes = byId<QListWidget>(*w, kObjectThemeList);
  ASSERT_EQ(themes->count(), 3);
  EXPECT_EQ(themes->item(1)->text(), QStringLiteral(" Медицина"));
  EXPECT_EQ(themes->item(2)->text(), QStringLiteral("        Аптеки"));
  EXPECT_FALSE(byId<QPushButton>(*w, kObjectShowButton)->isEnabled());

  themes->setCurrentRow(1);
  QTest::mouseClick(byId<QPushButton>(*w, ids::kIdOk), Qt::LeftButton);
  auto* results = byId<QListWidget>(*w, kObjectResultList);
  ASSERT_EQ(results->count(), 2);
  EXPECT_EQ(results->item(0)->text(), QStringLiteral("Аптека «Порт»"));  // sorted
  EXPECT_EQ(byId<QLabel>(*w, kObjectCountText)->text(), QStringLiteral("Всего: 2"));
  EXPECT_EQ(session().marking.objectResultCount, 2);

  // Selecting a result shows its address without changing the criteria.
  results->setCurrentRow(0);
  EXPECT_EQ(byId<QLineEdit>(*w, kObjectHouseField)->text(), QStringLiteral("4"));
  EXPECT_EQ(byId<QComboBox>(*w, kObjectStreetCombo)->currentText(), QStringLiteral("Портовая ул."));
  EXPECT_EQ(w->streetRow(), -1);

  results->selectAll();
  QTest::mouseClick(byId<QPushButton>(*w, kObjectShowButton), Qt::LeftButton);
  EXPECT_EQ(session().marking.chosenBuildings, (std::vector<int32_t>{3, 2}));
  EXPECT_TRUE(window_->recomposePending());
  EXPECT_EQ(beeps_, 0);
}

TEST_F(ObjectSearchWindowTest, KeyboardOnlySearchAndShow) {
  window_->command(ids::kObjectSearch);
  ObjectSearchWindow* w = searchWindow();
  ASSERT_NE(w, nullptr);
  w->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(w));
  // The first Down in a list selects its first row.
  auto* themes = byId<QListWidget>(*w, kObjectThemeList);
  themes->setFocus(Qt::TabFocusReason);
  QTest::keyClick(themes, Qt::Key_Down);
  QTest::keyClick(themes, Qt::Key_Down);
  EXPECT_EQ(themes->currentRow(), 1);       // " Медицина"
  QTest::keyClick(themes, Qt::Key_Return);  // "Список"
  auto* results = byId<QListWidget>(*w, kObjectResultList);
  auto* show = byId<QPushButton>(*w, kObjectShowButton);
  ASSERT_EQ(results->count(), 2);
  ASSERT_TRUE(show->hasFocus());
  // Enter on the focused "На карте" is "На карте": nothing is selected yet.
  QTest::keyClick(show, Qt::Key_Return);
  EXPECT_EQ(beeps_, 1);
  ASSERT_TRUE(results->hasFocus());
  QTest::keyClick(results, Qt::Key_Down);
  ASSERT_EQ(results->selectedItems().size(), 1);
  EXPECT_EQ(results->selectedItems()[0]->text(), QStringLiteral("Аптека «Порт»"));
  QTest::keyClick(results, Qt::Key_Tab);
  ASSERT_TRUE(show->hasFocus());
  QTest::keyClick(show, Qt::Key_Return);
  EXPECT_EQ(session().marking.chosenBuildings, (std::vector<int32_t>{3}));
  EXPECT_EQ(results->selectedItems().size(), 1);
  EXPECT_EQ(beeps_, 1);
}

TEST_F(ObjectSearchWindowTest, TypedComboTextSelectsOnlyAnEqualName) {
  window_->command(ids::kObjectSearch);
  ObjectSearchWindow* w = searchWindow();
  auto* street = byId<QComboBox>(*w, kObjectStreetCombo);
  const int items = street->count();
  typeText(street->lineEdit(), QStringLiteral("морская"));
  EXPECT_EQ(w->streetRow(), -1);
  typeText(street->lineEdit(), QStringLiteral(" УЛ."));
  EXPECT_EQ(w->streetRow(), 0);
  QTest::keyClick(street->lineEdit(), Qt::Key_Return);
  EXPECT_EQ(street->count(), items);  // nothing typed is added to the list
  // The search with the street finds the school on Морская.
  QTest::mouseClick(byId<QPushButton>(*w, ids::kIdOk), Qt::LeftButton);
  EXPECT_EQ(session().marking.markedStreet, 1);
  EXPECT_EQ(session().marking.objectResultCount, 1);
}

TEST_F(ObjectSearchWindowTest, NothingFoundBeepsAndKeepsTheMap) {
  session().marking.markedStreet = 2;
  window_->command(ids::kObjectSearch);
  ObjectSearchWindow* w = searchWindow();
  typeText(byId<QLineEdit>(*w, kObjectNameText), QStringLiteral("вокзал 😀"));
  QTest::mouseClick(byId<QPushButton>(*w, ids::kIdOk), Qt::LeftButton);
  EXPECT_EQ(beeps_, 1);
  EXPECT_EQ(session().marking.markedStreet, 2);
  EXPECT_EQ(byId<QListWidget>(*w, kObjectResultList)->count(), 0);
}

TEST_F(ObjectSearchWindowTest, EscapeF5AndHomeEachCloseTheWindowAndDiscard) {
  window_->command(ids::kObjectSearch);
  QPointer<ObjectSearchWindow> first = searchWindow();
  QTest::mouseClick(byId<QPushButton>(*first, ids::kIdOk), Qt::LeftButton);
  ASSERT_EQ(session().marking.objectResultCount, 3);
  // F5 again: the old window goes first, with its results.
  window_->command(ids::kObjectSearch);
  EXPECT_TRUE(first == nullptr || !first->isVisible());
  QPointer<ObjectSearchWindow> second = searchWindow();
  ASSERT_NE(second, nullptr);
  EXPECT_NE(second, first);
  EXPECT_EQ(session().marking.objectResultCount, 0);
  EXPECT_EQ(byId<QListWidget>(*second, kObjectResultList)->count(), 0);
  // Esc is "Отмена".
  QTest::mouseClick(byId<QPushButton>(*second, ids::kIdOk), Qt::LeftButton);
  QTest::keyClick(second, Qt::Key_Escape);
  EXPECT_EQ(searchWindow(), nullptr);
  EXPECT_EQ(session().marking.objectResultCount, 0);
  // Home from a map view closes a third one.
  const MapBounds city = session().history.entry(0);
  pushView(session().history, city.xMin, city.yMin, city.xMax, city.yMax);
  window_->command(ids::kObjectSearch);
  ASSERT_NE(searchWindow(), nullptr);
  QKeyEvent home(QEvent::KeyPress, Qt::Key_Home, Qt::NoModifier);
  QApplication::sendEvent(&window_->mapWidget(), &home);
  EXPECT_EQ(searchWindow(), nullptr);
  ASSERT_TRUE(waitFor([this] { return window_->findChildren<ObjectSearchWindow*>().empty(); }));
}

TEST_F(ObjectSearchWindowTest, ResultsShownWithTheBoxSetSurviveTheClose) {
  window_->command(ids::kObjectSearch);
  ObjectSearchWindow* w = searchWindow();
  byId<QCheckBox>(*w, kObjectCloseOnShow)->setChecked(true);
  QTest::mouseClick(byId<QPushButton>(*w, ids::kIdOk), Qt::LeftButton);
  auto* results = byId<QListWidget>(*w, kObjectResultList);
  results->item(2)->setSelected(true);
  QTest::mouseClick(byId<QPushButton>(*w, kObjectShowButton), Qt::LeftButton);
  EXPECT_EQ(searchWindow(), nullptr);
  EXPECT_EQ(session().marking.objectResultCount, 3);
  // Reopened, the window lists them again and keeps the box.
  window_->command(ids::kObjectSearch);
  w = searchWindow();
  EXPECT_EQ(byId<QListWidget>(*w, kObjectResultList)->count(), 3);
  EXPECT_TRUE(byId<QCheckBox>(*w, kObjectCloseOnShow)->isChecked());
  EXPECT_TRUE(byId<QPushButton>(*w, kObjectShowButton)->isEnabled());
}

}  // namespace
}  // namespace tikhomap::testing
