// The progress window: found by its ids, it shows the loader's captions.
#include <QPushButton>

#include "app/progress_window.h"
#include "tests/app/app_fixture.h"

namespace tikhomap {
namespace {

TEST(ProgressWindowTest, HasItsIdsStartCaptionAndTakesNewCaptions) {
  QWidget owner;
  owner.resize(800, 600);
  ProgressWindow progress(&owner);
  EXPECT_EQ(progress.objectName(), QStringLiteral("178"));
  auto* caption = progress.findChild<QPushButton*>(QStringLiteral("1059"));
  ASSERT_NE(caption, nullptr);
  EXPECT_EQ(caption->text(), QStringLiteral("Загрузка: Гидрография"));
  EXPECT_TRUE(progress.windowFlags() & Qt::FramelessWindowHint);
  EXPECT_EQ(caption->size(), progress.size());
  progress.show();
  progress.setCaption(QStringLiteral("Загрузка:  Береговая"));
  EXPECT_EQ(caption->text(), QStringLiteral("Загрузка:  Береговая"));
  // 130 x 30 dialog units are wider than high, about four to one.
  EXPECT_GT(progress.width(), 3 * progress.height());
}

}  // namespace
}  // namespace tikhomap
