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
#include "app/quick_search_bar.h"
#include "app/search_commands.h"
#include "app/street_search_dialog.h"
#include "resources/command_ids.h"
#include "search/place_choice.h"
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
    ASSERT_TRUE(testing::showLoaded(*window_));
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

  // A click into the street list selects the street there.
  clickRow(streetList, 0);
  EXPECT_EQ(dialog->state().streetRow, 0);
  clickOn(streetText);
  typeText(streetText, QStringLiteral("пор"));
  EXPECT_EQ(streetList->currentRow(), 1);
  EXPECT_EQ(dialog->state().streetRow, 1);
  // Tab goes from the street text straight to the house text, keeping the
  // typed street, and builds its house list; the lists are no tab stops.
  QTest::keyClick(streetText, Qt::Key_Tab);
  ASSERT_TRUE(houseText->hasFocus());
  EXPECT_EQ(streetText->text(), QStringLiteral("пор"));
  EXPECT_EQ(dialog->state().streetRow, 1);
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

TEST_F(SearchDialogsTest, AClickIntoTheStreetTextOfTheInactiveDialogStillClearsIt) {
  auto dialog = openStreetDialog();
  auto* streetText = byId<QLineEdit>(*dialog, kStreetTextField);
  auto* houseText = byId<QLineEdit>(*dialog, kHouseTextField);
  typeText(streetText, QStringLiteral("мор"));
  QTest::keyClick(streetText, Qt::Key_Return);
  ASSERT_TRUE(houseText->hasFocus());
  // Another window takes the activation; coming back to the house text
  // keeps the street and its house list.
  QWidget other;
  other.show();
  other.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
  dialog->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
  EXPECT_EQ(dialog->state().streetRow, 0);
  EXPECT_EQ(byId<QListWidget>(*dialog, kHouseListBox)->count(), 3);
  // A click into the street text while the dialog is inactive: the focus
  // moves there first, the activation follows, and the field is cleared.
  other.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
  streetText->setFocus(Qt::MouseFocusReason);
  dialog->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
  EXPECT_TRUE(streetText->text().isEmpty());
  EXPECT_EQ(dialog->state().streetRow, -1);
  EXPECT_EQ(byId<QListWidget>(*dialog, kHouseListBox)->count(), 0);
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

TEST_F(SearchDialogsTest, PlaceChoicesFromTheKeyboardAlone) {
  {  // The focus starts in the district list; the first Down selects row 1.
    DistrictDialog dialog(*window_);
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    ASSERT_TRUE(dialog.list().hasFocus());
    QTest::keyClick(&dialog.list(), Qt::Key_Down);
    EXPECT_EQ(dialog.list().currentRow(), 0);
    QTest::keyClick(&dialog.list(), Qt::Key_Return);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(session().marking.pendingDistrictFlash, 1);
  }
  // Up and Down in the microdistrict text move the list's selection, so
  // that a microdistrict without a name can be chosen too.
  Microdistrict nameless;
  nameless.x = 1000;
  nameless.y = 1500;
  session().map.microdistricts.push_back(nameless);
  session().map.microdistricts.push_back(session().map.microdistricts[0]);
  MicrodistrictDialog dialog(*window_);
  dialog.show();
  dialog.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
  QTest::keyClick(&dialog.text(), Qt::Key_Down);
  EXPECT_EQ(dialog.list().currentRow(), 0);
  EXPECT_EQ(dialog.text().text(), QStringLiteral("Северный"));
  for (const Qt::Key key : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Up}) {
    QTest::keyClick(&dialog.text(), key);
  }
  EXPECT_EQ(dialog.list().currentRow(), 1);
  EXPECT_TRUE(dialog.text().text().isEmpty());
  QTest::keyClick(&dialog.text(), Qt::Key_Return);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(session().marking.pendingNameFlash, (NameFlash{NameFlash::Source::Microdistrict, 1}));
  EXPECT_EQ(beeps_, 0);
}

TEST_F(SearchDialogsTest, AFocusedPushButtonTakesEnterWhereADialogHasADefault) {
  const int16_t count = session().history.count;
  DistrictDialog district(*window_);
  district.show();
  district.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&district));
  auto* cancel = byId<QPushButton>(district, ids::kIdCancel);
  cancel->setFocus(Qt::TabFocusReason);
  QTest::keyClick(cancel, Qt::Key_Return);
  EXPECT_FALSE(district.isVisible());
  EXPECT_EQ(beeps_, 0);
  EXPECT_EQ(session().history.count, count);
  // Dialog 130 has no default button: Enter is a command of its own there.
  auto dialog = openStreetDialog();
  for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
    EXPECT_FALSE(button->isDefault()) << button->text().toStdString();
    EXPECT_FALSE(button->autoDefault()) << button->text().toStdString();
  }
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

namespace tikhomap::testing {
namespace {

class QuickSearchTest : public SearchDialogsTest {
 protected:
  QuickSearchBar& bar() { return *window_->mapWidget().findChild<QuickSearchBar*>(); }
  void activateMain() {
    window_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
  }
};

TEST_F(QuickSearchTest, CtrlFOpensTheLineAndAPaintLeavesItTheFocus) {
  activateMain();
  QTest::keyClick(&window_->mapWidget(), Qt::Key_F, Qt::ControlModifier);
  ASSERT_TRUE(bar().isOpen());
  EXPECT_TRUE(bar().text().hasFocus());
  window_->requestRecompose();
  window_->mapWidget().repaint();
  EXPECT_TRUE(bar().text().hasFocus());
  QTest::keyClick(&bar().text(), Qt::Key_Escape);
  EXPECT_FALSE(bar().isOpen());
  EXPECT_TRUE(window_->mapWidget().hasFocus());
}

TEST_F(QuickSearchTest, EnterShowsTheHouseWithTheSearchMarks) {
  activateMain();
  window_->command(ids::kQuickSearch);
  session().marking.chosenBuildings = {4, 3};
  typeText(&bar().text(), QStringLiteral("ул. Морская, 2"));
  ASSERT_GE(bar().suggestions().count(), 1);
  EXPECT_EQ(bar().suggestions().item(0)->text(), QStringLiteral("Морская ул., 2"));
  QTest::keyClick(&bar().text(), Qt::Key_Return);
  EXPECT_FALSE(bar().isOpen());
  EXPECT_EQ(session().marking.chosenBuildings, std::vector<int32_t>{1});
  EXPECT_EQ(session().marking.markedStreet, 1);
  EXPECT_EQ(session().history.count, 2);
  EXPECT_TRUE(window_->recomposePending());
}

TEST_F(QuickSearchTest, AMissingNumberOffersItsNeighboursOnTheSameSide) {
  activateMain();
  window_->command(ids::kQuickSearch);
  typeText(&bar().text(), QStringLiteral("морская 3"));
  const QListWidget& list = bar().suggestions();
  ASSERT_EQ(list.count(), 3);
  EXPECT_EQ(list.item(0)->text(), QStringLiteral("Морская ул.: нет дома 3; рядом: 1, 5"));
  EXPECT_EQ(list.item(0)->flags(), Qt::NoItemFlags);
  EXPECT_EQ(list.item(1)->text(), QStringLiteral("Морская ул., 1"));
  EXPECT_EQ(list.item(2)->text(), QStringLiteral("Морская ул., 5"));
  QTest::keyClick(&bar().text(), Qt::Key_Down);
  QTest::keyClick(&bar().text(), Qt::Key_Return);
  EXPECT_EQ(session().marking.chosenBuildings, std::vector<int32_t>{4});
  // Nothing found: Enter beeps and the line stays.
  window_->command(ids::kQuickSearch);
  bar().text().clear();
  typeText(&bar().text(), QStringLiteral("Ёжиков 😀"));
  EXPECT_EQ(bar().suggestions().count(), 0);
  QTest::keyClick(&bar().text(), Qt::Key_Return);
  EXPECT_EQ(beeps_, 1);
  EXPECT_TRUE(bar().isOpen());
}

// Counts the pixels of one colour in the map area as the window shows it.
int pixelsOf(QWidget& widget, QRgb colour) {
  const QImage image = widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
  int n = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x)
      n += (image.pixel(x, y) & 0xffffff) == (colour & 0xffffff);
  }
  return n;
}

TEST_F(QuickSearchTest, FlagsAndTheNameFlashAreDrawnOverTheFrameNotIntoIt) {
  MapSession& s = session();
  ASSERT_TRUE(chooseMicrodistrict(s.map, s.marking, s.history, 0));
  s.marking.chosenBuildings = {2};  // inside the microdistrict's square
  window_->requestRecompose();
  window_->mapWidget().repaint();
  ASSERT_TRUE(s.marking.nameFlash.has_value());
  const QRgb flashPink = qRgb(240, 160, 160);
  const QRgb flagYellow = qRgb(255, 255, 0);
  EXPECT_GT(pixelsOf(window_->mapWidget(), flashPink), 50);
  EXPECT_GT(pixelsOf(window_->mapWidget(), flagYellow), 20);
  // A plain repaint within the two seconds keeps the flash.
  window_->mapWidget().repaint();
  EXPECT_GT(pixelsOf(window_->mapWidget(), flashPink), 50);
  // The frame itself never carries them.
  const QImage& frame = window_->mapWidget().frame();
  int framePink = 0;
  for (int y = 0; y < frame.height(); ++y) {
    for (int x = 0; x < frame.width(); ++x)
      framePink += (frame.pixel(x, y) & 0xffffff) == (flashPink & 0xffffff);
  }
  EXPECT_EQ(framePink, 0);
  // The timer's end takes the flash; the flags stay.
  ASSERT_TRUE(waitFor([this] { return !window_->flashShown(); }, 5000));
  window_->mapWidget().repaint();
  EXPECT_EQ(pixelsOf(window_->mapWidget(), flashPink), 0);
  EXPECT_GT(pixelsOf(window_->mapWidget(), flagYellow), 20);
}

}  // namespace
}  // namespace tikhomap::testing
