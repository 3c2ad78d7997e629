#include "app/progress_window.h"

#include "app/dialog_units.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QPushButton>
#include <QScreen>
#include <cmath>

#include "resources/command_ids.h"

namespace tikhomap {

namespace {
constexpr int kWidthUnits = 130;
constexpr int kHeightUnits = 30;
}  // namespace

ProgressWindow::ProgressWindow(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint) {
  setObjectName(QString::number(ids::kProgressDialog));
  setModal(false);
  const QSize size = dialogUnitsToPixels(font(), kWidthUnits, kHeightUnits);
  setFixedSize(size);
  caption_ = new QPushButton(QStringLiteral("Загрузка: Гидрография"), this);
  caption_->setObjectName(QString::number(ids::kProgressCaption));
  caption_->setGeometry(0, 0, size.width(), size.height());
  caption_->setFocusPolicy(Qt::NoFocus);
  if (owner != nullptr) {
    const QRect area = owner->window()->geometry();
    move(area.center() - QPoint(size.width() / 2, size.height() / 2));
  }
}

void ProgressWindow::setCaption(const QString& caption) {
  caption_->setText(caption);
  caption_->repaint();
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

QString ProgressWindow::caption() const {
  return caption_->text();
}

}  // namespace tikhomap
