// Qt's own dialogs in Russian, also on a machine in the C locale (as CI is).
#include "app/qt_translations.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTranslator>
#include <memory>

#include "tests/app/app_fixture.h"

namespace tikhomap::testing {
namespace {

TEST(QtTranslationsTest, QtsOwnButtonsSpeakRussian) {
  std::unique_ptr<QTranslator> translator(installQtTranslations(*QCoreApplication::instance()));
  ASSERT_NE(translator, nullptr) << "Qt's Russian catalogue is missing (qt6-translations-l10n)";
  QDialogButtonBox box(QDialogButtonBox::Cancel | QDialogButtonBox::Save);
  EXPECT_EQ(box.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Отмена"));
  EXPECT_EQ(box.button(QDialogButtonBox::Save)->text(), QStringLiteral("Сохранить"));
  // The other tests keep Qt's own texts.
  QCoreApplication::removeTranslator(translator.get());
}

}  // namespace
}  // namespace tikhomap::testing
