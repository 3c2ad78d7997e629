// The tool windows and dialogs built in code: "Измерения" (222),
// "Координаты" (256) and "Справка" (153 with the object list, 223 without),
// with their control ids, texts and focus rules.
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>

#include "app/building_info_dialog.h"
#include "app/coordinates_window.h"
#include "app/dialog_units.h"
#include "app/measure_window.h"
#include "tests/app/app_fixture.h"

namespace tikhomap {
namespace {

QStringList labelTexts(const QWidget& w) {
  QStringList texts;
  for (const QLabel* label : w.findChildren<QLabel*>()) {
    if (label->objectName().isEmpty()) texts << label->text();
  }
  return texts;
}

TEST(ToolWindowsTest, MeasureWindowHasFourReadOnlyFieldsThatNeverTakeTheFocus) {
  QWidget owner;
  MeasureWindow w(&owner);
  EXPECT_EQ(w.objectName(), QStringLiteral("222"));
  EXPECT_EQ(w.windowTitle(), QStringLiteral("Измерения"));
  EXPECT_TRUE(w.testAttribute(Qt::WA_ShowWithoutActivating));
  for (int id : {1248, 1159, 1160, 1161}) {
    auto* field = w.findChild<QLineEdit*>(QString::number(id));
    ASSERT_NE(field, nullptr) << id;
    EXPECT_TRUE(field->isReadOnly()) << id;
    EXPECT_EQ(field->focusPolicy(), Qt::NoFocus) << id;
  }
  EXPECT_EQ(labelTexts(w),
            (QStringList{QStringLiteral("Координаты (отн., м)"), QStringLiteral("Текущая длина"),
                         QStringLiteral("Накоплены:  длина"), QStringLiteral("площадь")}));
  auto* hidden = w.findChild<QPushButton*>(QStringLiteral("2"));
  ASSERT_NE(hidden, nullptr);
  EXPECT_TRUE(hidden->isHidden());

  QSignalSpy closing(&w, &MeasureWindow::closeRequested);
  hidden->click();
  w.reject();
  EXPECT_EQ(closing.count(), 2);
  // The fields are stacked top to bottom in the order of the readings.
  const int y1248 = w.findChild<QLineEdit*>(QStringLiteral("1248"))->y();
  const int y1161 = w.findChild<QLineEdit*>(QStringLiteral("1161"))->y();
  EXPECT_LT(y1248, y1161);
}

TEST(ToolWindowsTest, CoordinatesWindowShowsTheDegreesOfTheMapPoint) {
  QWidget owner;
  CoordinatesWindow w(&owner);
  EXPECT_EQ(w.objectName(), QStringLiteral("256"));
  EXPECT_EQ(w.windowTitle(), QStringLiteral("Координаты"));
  EXPECT_TRUE(w.testAttribute(Qt::WA_ShowWithoutActivating));
  EXPECT_EQ(w.size(), dialogUnitsToPixels(w.font(), 153, 15));
  EXPECT_EQ(labelTexts(w), (QStringList{QStringLiteral("широта"), QStringLiteral("долгота")}));
  for (int id : {1158, 1159}) {
    auto* field = w.findChild<QLineEdit*>(QString::number(id));
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->focusPolicy(), Qt::NoFocus);
    EXPECT_TRUE(field->text().isEmpty());
  }
  w.showMapPoint(0, 0);
  EXPECT_EQ(w.findChild<QLineEdit*>(QStringLiteral("1158"))->text(), QStringLiteral(" 43°03'20\""));
  EXPECT_EQ(w.findChild<QLineEdit*>(QStringLiteral("1159"))->text(),
            QStringLiteral(" 131°50'10\""));
  QSignalSpy closing(&w, &CoordinatesWindow::closeRequested);
  w.reject();
  EXPECT_EQ(closing.count(), 1);
}

BuildingInfoTexts sampleTexts(int objects) {
  BuildingInfoTexts t;
  t.address = "Морская ул., 12а";
  t.kind = "5-этажное жилое";
  t.description = "Дом культуры";
  t.district = "Центральный район  (Бухта)";
  for (int i = 0; i < objects; ++i) {
    t.objects.push_back(i);
    t.objectNames.push_back("Аптека " + std::to_string(i + 1));
  }
  return t;
}

QString labelText(const QDialog& d, int id) {
  const auto* label = d.findChild<QLabel*>(QString::number(id));
  return label != nullptr ? label->text() : QStringLiteral("<missing>");
}

TEST(ToolWindowsTest, InformationWithObjectsIsDialog153WithTheList) {
  const auto d = makeBuildingInfoDialog(sampleTexts(2), nullptr);
  EXPECT_EQ(d->objectName(), QStringLiteral("153"));
  EXPECT_EQ(d->windowTitle(), QStringLiteral("Морская ул., 12а"));
  EXPECT_EQ(d->windowModality(), Qt::ApplicationModal);
  EXPECT_FALSE(d->windowFlags() & Qt::WindowSystemMenuHint);
  EXPECT_EQ(labelText(*d, 120), QStringLiteral("Центральный район  (Бухта)"));
  EXPECT_EQ(labelText(*d, 123), QStringLiteral("5-этажное жилое"));
  EXPECT_EQ(labelText(*d, 1015), QStringLiteral("Дом культуры"));
  EXPECT_EQ(d->findChild<QLabel*>(QStringLiteral("123"))->alignment(), Qt::AlignCenter);
  auto* list = d->findChild<QListWidget*>(QStringLiteral("1105"));
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->count(), 2);
  EXPECT_EQ(list->item(1)->text(), QStringLiteral("Аптека 2"));
  auto* close = d->findChild<QPushButton*>(QStringLiteral("8"));
  ASSERT_NE(close, nullptr);
  EXPECT_EQ(close->text(), QStringLiteral("Закрыть"));
  // A selection in the list does nothing; the button closes.
  d->show();
  list->setCurrentRow(0);
  EXPECT_TRUE(d->isVisible());
  close->click();
  EXPECT_FALSE(d->isVisible());
  EXPECT_EQ(d->result(), QDialog::Accepted);
}

// A description longer than its line is cut between letters: a decomposed
// "ä" keeps its mark.
TEST(ToolWindowsTest, LongInformationIsCutWithAnEllipsis) {
  BuildingInfoTexts t = sampleTexts(0);
  std::string longText;
  for (int i = 0; i < 20; ++i) longText += "Sta\u0308dtle ";
  t.description = longText;
  const auto d = makeBuildingInfoDialog(t, nullptr);
  const auto* label = d->findChild<QLabel*>(QStringLiteral("1015"));
  ASSERT_NE(label, nullptr);
  const QString shown = label->text();
  ASSERT_TRUE(shown.endsWith(QChar(0x2026))) << shown.toStdString();
  EXPECT_LE(QFontMetrics(d->font()).horizontalAdvance(shown), label->width());
  const QString kept = shown.chopped(1);
  EXPECT_TRUE(QString::fromStdString(longText).startsWith(kept));
  EXPECT_FALSE(kept.endsWith(QLatin1Char('a')));  // never "a" without its mark
  EXPECT_EQ(label->toolTip(), QString::fromStdString(longText));
  EXPECT_EQ(labelText(*d, 123), QStringLiteral("5-этажное жилое"));  // short texts whole

  // So is an object's name in the list.
  t = sampleTexts(1);
  t.objectNames[0] = longText;
  const auto withList = makeBuildingInfoDialog(t, nullptr);
  const auto* list = withList->findChild<QListWidget*>(QStringLiteral("1105"));
  ASSERT_NE(list, nullptr);
  const QString row = list->item(0)->text();
  EXPECT_TRUE(row.endsWith(QChar(0x2026))) << row.toStdString();
  EXPECT_LT(QFontMetrics(list->font()).horizontalAdvance(row), list->width());
  EXPECT_EQ(list->item(0)->toolTip(), QString::fromStdString(longText));
}

TEST(ToolWindowsTest, InformationWithoutObjectsIsTheSmallerDialog223) {
  BuildingInfoTexts t = sampleTexts(0);
  t.address.clear();
  const auto d = makeBuildingInfoDialog(t, nullptr);
  EXPECT_EQ(d->objectName(), QStringLiteral("223"));
  EXPECT_EQ(d->windowTitle(), QStringLiteral("Справка"));
  EXPECT_EQ(d->findChild<QListWidget*>(), nullptr);
  const auto big = makeBuildingInfoDialog(sampleTexts(1), nullptr);
  EXPECT_LT(d->width(), big->width());
  EXPECT_LT(d->height(), big->height());
  d->show();
  d->reject();  // Esc
  EXPECT_FALSE(d->isVisible());
}

}  // namespace
}  // namespace tikhomap
