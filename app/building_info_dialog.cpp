#include "app/building_info_dialog.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <algorithm>

#include "app/dialog_units.h"
#include "raster/font_substitution.h"

namespace tikhomap {
namespace {

// A text longer than its line is cut between letters with "…"; the whole
// text is the label's tool tip.
QLabel* centredText(QDialog& dialog, int id, const QString& text, const QRect& rect) {
  const QString shown =
      QFontMetrics(dialog.font()).elidedText(text, Qt::ElideRight, std::max(1, rect.width()));
  auto* label = new QLabel(shown, &dialog);
  if (shown != text) label->setToolTip(text);
  label->setObjectName(QString::number(id));
  label->setAlignment(Qt::AlignCenter);
  label->setGeometry(rect);
  return label;
}

}  // namespace

std::unique_ptr<QDialog> makeBuildingInfoDialog(const BuildingInfoTexts& texts, QWidget* parent) {
  const bool withObjects = texts.dialogId() == kInfoDialogWithObjects;
  // A title bar without a system menu or close box.
  auto dialog =
      std::make_unique<QDialog>(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  QDialog& d = *dialog;
  d.setObjectName(QString::number(texts.dialogId()));
  d.setWindowModality(Qt::ApplicationModal);
  d.setWindowTitle(texts.address.empty() ? QStringLiteral("Справка")
                                         : QString::fromStdString(texts.address));
  QFont font(substituteFontFace("Arial"));
  font.setPointSize(10);
  d.setFont(font);

  const int width = withObjects ? 207 : 181;
  centredText(d, kInfoDistrictControl, QString::fromStdString(texts.district),
              dialogUnitsRect(font, 3, 4, width, 8));
  centredText(d, kInfoKindControl, QString::fromStdString(texts.kind),
              dialogUnitsRect(font, 3, 15, width, 8));
  centredText(d, kInfoDescriptionControl, QString::fromStdString(texts.description),
              dialogUnitsRect(font, 3, 26, width, 8));
  if (withObjects) {
    auto* list = new QListWidget(&d);
    list->setObjectName(QString::number(kInfoObjectList));
    list->setGeometry(dialogUnitsRect(font, 3, 39, 207, 37));
    list->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // A name wider than the list is cut with "…" rather than scrolled
    // sideways; the whole name is the row's tool tip.
    const int room = list->width() - 2 * list->frameWidth() -
                     list->style()->pixelMetric(QStyle::PM_ScrollBarExtent) - 6;
    const QFontMetrics metrics(list->font());
    for (const std::string& name : texts.objectNames) {
      const QString whole = QString::fromStdString(name);
      auto* item = new QListWidgetItem(metrics.elidedText(whole, Qt::ElideRight, room), list);
      if (item->text() != whole) item->setToolTip(whole);
    }
  }
  auto* close = new QPushButton(QStringLiteral("Закрыть"), &d);
  close->setObjectName(QString::number(kInfoCloseButton));
  close->setGeometry(withObjects ? dialogUnitsRect(font, 79, 81, 55, 12)
                                 : dialogUnitsRect(font, 64, 41, 55, 12));
  close->setDefault(true);
  QObject::connect(close, &QPushButton::clicked, &d, &QDialog::accept);

  d.setFixedSize(withObjects ? dialogUnitsToPixels(font, 214, 99)
                             : dialogUnitsToPixels(font, 183, 58));
  if (const QScreen* screen =
          parent != nullptr ? parent->screen() : QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    d.move(area.center() - QPoint(d.width() / 2, d.height() / 2));
  }
  return dialog;
}

void drawInfoLabel(QPainter& painter, const InfoLabelOverlay& label) {
  if (!label.shown || label.text.isEmpty()) return;
  // The system's proportional dialog font, as the label has always used.
  QFont font(substituteFontFace("MS Sans Serif"));
  font.setPixelSize(13);
  painter.setFont(font);
  const QFontMetrics metrics(font);
  const QRect cell(label.box.x, label.box.y, metrics.horizontalAdvance(label.text),
                   metrics.height());
  painter.fillRect(cell, QColor(label.background.r, label.background.g, label.background.b));
  painter.setPen(QColor(kInfoLabelTextColour.r, kInfoLabelTextColour.g, kInfoLabelTextColour.b));
  painter.drawText(cell, Qt::AlignLeft | Qt::AlignVCenter, label.text);
}

}  // namespace tikhomap
