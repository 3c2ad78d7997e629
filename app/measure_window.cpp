#include "app/measure_window.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/dialog_units.h"
#include "raster/font_substitution.h"

namespace tikhomap {
MeasureWindow::MeasureWindow(QWidget* owner)
    : QDialog(owner, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                         Qt::CustomizeWindowHint) {
  setObjectName(QString::number(kMeasureDialog));
  setWindowTitle(QStringLiteral("Измерения"));
  setAttribute(Qt::WA_ShowWithoutActivating);
  QFont font(substituteFontFace("MS Sans Serif"));
  font.setPointSize(8);
  setFont(font);

  struct Row {
    int id;
    const char* label;
    int y;
    QLineEdit** field;
  };
  const Row rows[] = {{kMeasureOffsetField, "Координаты (отн., м)", 7, &offset_},
                      {kMeasureCurrentField, "Текущая длина", 24, &current_},
                      {kMeasureLengthField, "Накоплены:  длина", 42, &length_},
                      {kMeasureAreaField, "площадь", 57, &area_}};
  for (const Row& row : rows) {
    auto* label = new QLabel(QString::fromUtf8(row.label), this);
    label->setGeometry(dialogUnitsRect(font, 4, row.y + 2, 76, 8));
    // "площадь" stands under "длина", right-aligned like it.
    if (row.id == kMeasureAreaField || row.id == kMeasureLengthField) {
      label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
      label->setGeometry(dialogUnitsRect(font, 4, row.y + 2, 74, 8));
    }
    auto* field = new QLineEdit(this);
    field->setObjectName(QString::number(row.id));
    field->setGeometry(dialogUnitsRect(font, 80, row.y, 53, 12));
    field->setReadOnly(true);
    field->setFocusPolicy(Qt::NoFocus);
    *row.field = field;
  }
  // The hidden button takes what focus there is; pressing it ends the tool.
  auto* hidden = new QPushButton(this);
  hidden->setObjectName(QString::number(kMeasureHiddenButton));
  hidden->setGeometry(dialogUnitsRect(font, 7, 58, 31, 12));
  hidden->hide();
  connect(hidden, &QPushButton::clicked, this, [this] { emit closeRequested(); });

  setFixedSize(dialogUnitsToPixels(font, 140, 77));
  if (owner != nullptr) {
    const QSize at = dialogUnitsToPixels(font, 29, 70);
    move(owner->mapToGlobal(QPoint(at.width(), at.height())));
  }
}

QLineEdit& MeasureWindow::field(int id) {
  switch (id) {
    case kMeasureOffsetField:
      return *offset_;
    case kMeasureCurrentField:
      return *current_;
    case kMeasureLengthField:
      return *length_;
    default:
      return *area_;
  }
}

void MeasureWindow::setField(int id, const QString& text) {
  field(id).setText(text);
}

QString MeasureWindow::fieldText(int id) const {
  return const_cast<MeasureWindow*>(this)->field(id).text();
}

void MeasureWindow::done(int) {
  emit closeRequested();
}

void MeasureWindow::closeEvent(QCloseEvent* event) {
  event->ignore();
  emit closeRequested();
}

}  // namespace tikhomap
