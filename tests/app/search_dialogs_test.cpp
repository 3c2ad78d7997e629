// The street and house search, the chosen-list window, and the district and
// microdistrict choices, driven as a person would: keys, clicks, focus.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/main_window.h"
#include "app/place_dialogs.h"
#include "app/search_commands.h"
#include "app/street_search_dialog.h"
#include "resources/command_ids.h"
#include "tests/app/app_fixture.h"

namespace tikhomap::testing {
namespace {

template <typename W>
W* byId(QWidget& parent, int id) {
  return parent.findChild<W*>(QString::number(id));
}

class SearchDialogsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = std::make_unique<MainWindow>(folder_.path());
    window_->setBeep([this] { ++beeps_; });
    window_->setFatalHandler([](const QString&) {});
    installSearches(*window_);
    window_->resize(900, 700);
    window_->show();
    ASSERT_TRUE(waitFor([this] {
      return window_->session().baseMapLoaded() && !window_->session().map.buildings.empty() &&
             window_->composeCount() >= 1 && !window_->recomposePending();
    }));
  }

  MapSession& session() { return window_->session(); }

  // Opens dialog 130 without its modal loop and makes it the active window.
  std::unique_ptr<StreetSearchDialog> openStreetDialog() {
    auto dialog = std::make_unique<StreetSearchDialog>(*window_);
    dialog->show();
    dialog->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    return dialog;
  }

  // Types text character by character (QTest's own typing knows only ASCII).
  static void typeText(QWidget* widget, const QString& text) {
    for (const QChar c : text) {
      QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
      QApplication::sendEvent(widget, &press);
      QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
      QApplication::sendEvent(widget, &release);
    }
  }
  static void clickOn(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton); }
  static void clickRow(QListWidget* list, int row) {
    const QRect r = list->visualItemRect(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
  }
  // The sequence a real double click delivers: press, release, press with a
  // double-click event, release.
  static void doubleClickRow(QListWidget* list, int row) {
    const QPointF at = list->visualItemRect(list->item(row)).center();
    const QPointF global = list->viewport()->mapToGlobal(at);
    QWidget* target = list->viewport();
    for (QEvent::Type type :
         {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonPress,
          QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
      const Qt::MouseButtons held =
          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(Qt::LeftButton);
      QMouseEvent event(type, at, global, Qt::LeftButton, held, Qt::NoModifier);
      QApplication::sendEvent(target, &event);
    }
  }
  static QStringList lines(QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
    return out;
  }

  TinyCityFolder folder_;
  std::unique_ptr<MainWindow> window_;
  int beeps_ = 0;
};

TEST_F(SearchDialogsTest, StreetDialogControlsAndTypingToAHouse) {
  session().marking.chosenBuildings = {3};
  auto dialog = openStreetDialog();
  EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Где эта улица, где этот дом"));
  EXPECT_EQ(session().marking.chosenCount(), 0);  // opening clears the marks
  auto* streetText = byId<QLineEdit>(*dialog, kStreetTextField);
  auto* streetList = byId<QListWidget>(*dialog, kStreetListBox);
  auto* houseText = byId<QLineEdit>(*dialog, kHouseTextField);
  auto* houseList = byId<QListWidget>(*dialog, kHouseListBox);
  ASSERT_TRUE(streetText && streetList && houseText && houseList);
  ASSERT_TRUE(byId<QCheckBox>(*dialog, kListModeBox));
  ASSERT_TRUE(byId<QPushButton>(*dialog, kShowButton));
  EXPECT_EQ(byId<QPushButton>(*dialog, ids::kIdCancel)->text(), QStringLiteral("Отмена"));
  EXPECT_TRUE(streetText->hasFocus());
  EXPECT_EQ(lines(streetList), (QStringList{"Морская ул.", "Портовая ул."}));

  typeText(streetText, QStringLiteral("пор"));
  EXPECT_EQ(streetList->currentRow(), 1);
  EXPECT_EQ(dialog->state().streetRow, 1);
  // Tab to the street list and on to the house text builds the house list.
  QTest::keyClick(streetText, Qt::Key_Tab);
  EXPECT_TRUE(streetList->hasFocus());
  // Reaching the street list cleared the texts and the street.
  EXPECT_EQ(dialog->state().streetRow, -1);
  clickRow(streetList, 1);
  EXPECT_EQ(dialog->state().streetRow, 1);
  QTest::keyClick(streetList, Qt::Key_Tab);
  ASSERT_TRUE(houseText->hasFocus());
  EXPECT_EQ(lines(houseList), (QStringList{"3а, Жилой дом", "4, Жилой дом"}));
  typeText(houseText, QStringLiteral("4"));
  EXPECT_EQ(houseList->currentRow(), 1);
  clickOn(byId<QPushButton>(*dialog, kShowButton));
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(session().marking.chosenBuildings, std::vector<int32_t>{3});
  EXPECT_EQ(session().marking.markedStreet, 2);
  EXPECT_EQ(session().history.count, 2);
  EXPECT_TRUE(window_->recomposePending());
  EXPECT_EQ(beeps_, 0);
}

TEST_F(SearchDialogsTest, RefusalsBeepAndMoveTheFocus) {
  auto dialog = openStreetDialog();
  auto* streetText = byId<QLineEdit>(*dialog, kStreetTextField);
  auto* houseText = byId<QLineEdit>(*dialog, kHouseTextField);
  // Enter with no street.
  QTest::keyClick(streetText, Qt::Key_Return);
  EXPECT_EQ(beeps_, 1);
  EXPECT_TRUE(dialog->isVisible());
  // A click into the house text without a street: beep, back to the street.
  clickOn(houseText);
  EXPECT_EQ(beeps_, 2);
  EXPECT_TRUE(streetText->hasFocus());
  // Enter with a street but no house: the focus goes to the house text.
  typeText(streetText, QStringLiteral("мор"));
  QTest::keyClick(streetText, Qt::Key_Return);
  EXPECT_TRUE(houseText->hasFocus());
  EXPECT_EQ(byId<QListWidget>(*dialog, kHouseListBox)->count(), 3);
  // Enter with a house shows it.
  typeText(houseText, QStringLiteral("5"));
  QTest::keyClick(houseText, Qt::Key_Return);
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(session().marking.chosenBuildings, std::vector<int32_t>{4});
  EXPECT_EQ(beeps_, 2);
}

TEST_F(SearchDialogsTest, EscapeIsCancelAndTakesTheMarksAndTheChosenList) {
  auto dialog = openStreetDialog();
  typeText(byId<QLineEdit>(*dialog, kStreetTextField), QStringLiteral("мор"));
  clickOn(byId<QCheckBox>(*dialog, kListModeBox));
  QPointer<ChosenListWindow> chosen = dialog->chosenListWindow();
  ASSERT_NE(chosen, nullptr);
  session().marking.markedStreet = 1;
  QTest::keyClick(dialog.get(), Qt::Key_Escape);
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(chosen, nullptr);
  EXPECT_FALSE(session().marking.hasMarks());
  EXPECT_TRUE(window_->recomposePending());
}

TEST_F(SearchDialogsTest, TheCloseBoxIsCancelToo) {
  auto dialog = openStreetDialog();
  typeText(byId<QLineEdit>(*dialog, kStreetTextField), QStringLiteral("пор"));
  session().marking.markedStreet = 2;
  dialog->close();
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(session().marking.markedStreet, -1);
}

TEST_F(SearchDialogsTest, ListModeWithTheChosenListWindow) {
  auto dialog = openStreetDialog();
  auto* streetText = byId<QLineEdit>(*dialog, kStreetTextField);
  auto* houseText = byId<QLineEdit>(*dialog, kHouseTextField);
  auto* houseList = byId<QListWidget>(*dialog, kHouseListBox);
  auto* box = byId<QCheckBox>(*dialog, kListModeBox);
  clickOn(box);
  EXPECT_TRUE(box->isChecked());  // one click, one toggle
  EXPECT_TRUE(dialog->state().listMode);
  ChosenListWindow* chosen = dialog->chosenListWindow();
  ASSERT_NE(chosen, nullptr);
  EXPECT_TRUE(chosen->isVisible());
  ASSERT_TRUE(QTest::qWaitForWindowExposed(chosen));
  EXPECT_EQ(chosen->windowTitle(), QStringLiteral("Выбраны для просмотра"));
  EXPECT_TRUE(streetText->hasFocus());

  typeText(streetText, QStringLiteral("мор"));
  QTest::keyClick(streetText, Qt::Key_Return);  // to the house text
  typeText(houseText, QStringLiteral("1"));
  QTest::keyClick(houseText, Qt::Key_Return);
  QTest::keyClick(houseText, Qt::Key_Return);  // the same house again: one line
  doubleClickRow(houseList, 1);
  clickOn(streetText);
  typeText(streetText, QStringLiteral("пор"));
  QTest::keyClick(streetText, Qt::Key_Return);
  doubleClickRow(houseList, 0);
  EXPECT_EQ(lines(&chosen->list()),
            (QStringList{"Морская ул., 1", "Морская ул., 2", "Портовая ул., 3а"}));
  EXPECT_EQ(session().marking.chosenBuildings, (std::vector<int32_t>{0, 1, 2}));
  EXPECT_TRUE(dialog->isVisible());

  // The chosen-list window takes double clicks while the dialog is modal.
  doubleClickRow(&chosen->list(), 1);
  EXPECT_EQ(lines(&chosen->list()), (QStringList{"Морская ул., 1", "Портовая ул., 3а"}));
  EXPECT_EQ(session().marking.chosenBuildings, (std::vector<int32_t>{0, 2}));

  clickOn(byId<QPushButton>(*dialog, kShowButton));
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(dialog->chosenListWindow(), nullptr);
  EXPECT_EQ(session().marking.chosenBuildings, (std::vector<int32_t>{0, 2}));
  EXPECT_EQ(session().marking.markedStreet, 2);
  EXPECT_EQ(beeps_, 0);
}

TEST_F(SearchDialogsTest, F2RunsTheModalDialogAndEscapeEndsIt) {
  bool seen = false;
  QTimer::singleShot(0, [&seen] {
    QWidget* modal = QApplication::activeModalWidget();
    seen = modal != nullptr && modal->objectName() == QString::number(kStreetSearchDialog);
    if (modal != nullptr) QTest::keyClick(modal, Qt::Key_Escape);
  });
  window_->command(ids::kStreetSearch);
  EXPECT_TRUE(seen);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(SearchDialogsTest, DistrictChoice) {
  {
    DistrictDialog dialog(*window_);
    EXPECT_EQ(lines(&dialog.list()),
              (QStringList{"Северный", "Центральный", "Южный", "Заречный", "Нагорный"}));
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    clickOn(byId<QPushButton>(dialog, ids::kIdOk));  // nothing selected
    EXPECT_EQ(beeps_, 1);
    EXPECT_TRUE(dialog.isVisible());
    doubleClickRow(&dialog.list(), 0);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(session().marking.pendingDistrictFlash, 1);
    EXPECT_EQ(session().history.last(), (MapBounds{100, 100, 1900, 2900}));
  }
  {  // "Южный" has no polygon in this city: the dialog closes, the view stays
    const int16_t count = session().history.count;
    DistrictDialog dialog(*window_);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    clickRow(&dialog.list(), 2);
    clickOn(byId<QPushButton>(dialog, ids::kIdOk));
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(session().history.count, count);
  }
}

TEST_F(SearchDialogsTest, MicrodistrictChoiceByTyping) {
  MicrodistrictDialog dialog(*window_);
  dialog.show();
  dialog.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
  typeText(&dialog.text(), QStringLiteral("Ж"));
  EXPECT_EQ(dialog.list().currentRow(), -1);
  QTest::keyClick(&dialog.text(), Qt::Key_Return);
  EXPECT_EQ(beeps_, 1);
  dialog.text().clear();
  typeText(&dialog.text(), QStringLiteral("сев"));
  EXPECT_EQ(dialog.list().currentRow(), 0);
  QTest::keyClick(&dialog.text(), Qt::Key_Return);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(session().marking.pendingNameFlash, (NameFlash{NameFlash::Source::Microdistrict, 0}));
  // The 1 km square around (1500, 700) is kept inside the 2 km city.
  EXPECT_EQ(session().history.last(), (MapBounds{1000, 200, 2000, 1200}));
}

TEST_F(SearchDialogsTest, EscapeLeavesThePlaceDialogsWithoutAChange) {
  const int16_t count = session().history.count;
  MicrodistrictDialog micro(*window_);
  micro.show();
  typeText(&micro.text(), QStringLiteral("сев"));
  QTest::keyClick(&micro, Qt::Key_Escape);
  EXPECT_FALSE(micro.isVisible());
  DistrictDialog district(*window_);
  district.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&district));
  clickRow(&district.list(), 0);
  QTest::keyClick(&district, Qt::Key_Escape);
  EXPECT_EQ(session().history.count, count);
  EXPECT_FALSE(session().marking.pendingNameFlash);
  EXPECT_FALSE(session().marking.pendingDistrictFlash);
}

}  // namespace
}  // namespace tikhomap::testing
