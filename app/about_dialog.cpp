#include "app/about_dialog.h"

#include <QLabel>
#include <QPushButton>

#include "app/app_pictures.h"
#include "app/dialog_units.h"
#include "app/text_convert.h"
#include "raster/font_substitution.h"

namespace tikhomap {

std::unique_ptr<QDialog> makeAboutDialog(QWidget* parent, const CityInfo& city) {
  auto dialog =
      std::make_unique<QDialog>(parent, Qt::Dialog | Qt::WindowTitleHint |
                                            Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  QDialog& d = *dialog;
  d.setObjectName(QString::number(kAboutDialog));
  d.setWindowTitle(QStringLiteral("About"));
  QFont font(substituteFontFace("Arial"));
  font.setPointSize(10);
  d.setFont(font);

  auto* icon = new QLabel(&d);
  icon->setObjectName(QString::number(kAboutIcon));
  const QRect iconRect = dialogUnitsRect(font, 21, 15, 20, 20);
  icon->setGeometry(iconRect);
  const int side = std::min(iconRect.width(), iconRect.height());
  icon->setPixmap(programIcon().pixmap(QSize(side, side), d.devicePixelRatioF()));

  auto* name = new QLabel(fromUtf8(cityTitle(city)), &d);
  name->setGeometry(dialogUnitsRect(font, 45, 10, 139, 10));
  auto* maker = new QLabel(
      QStringLiteral("Тихоморское картографическое бюро\nСоставлено и издано в 2024 г."), &d);
  maker->setGeometry(dialogUnitsRect(font, 45, 24, 135, 21));
  maker->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  auto* ok = new QPushButton(QStringLiteral("OK"), &d);
  ok->setObjectName(QString::number(1));
  ok->setGeometry(dialogUnitsRect(font, 185, 17, 40, 14));
  ok->setDefault(true);
  QObject::connect(ok, &QPushButton::clicked, &d, [&d] { d.done(1); });

  d.setFixedSize(dialogUnitsToPixels(font, 234, 50));
  return dialog;
}

void runAboutBox(QWidget* parent, const CityInfo& city) {
  const auto dialog = makeAboutDialog(parent, city);
  dialog->exec();
}

}  // namespace tikhomap
