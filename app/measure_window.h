// The tool window "Измерения" (dialog 222): four read-only readings of the
// measurement. It floats over the main window, is shown without taking the
// activation, and none of its fields can take the keyboard focus.
#pragma once

#include <QDialog>

class QLineEdit;

namespace tikhomap {

inline constexpr int kMeasureDialog = 222;
inline constexpr int kMeasureOffsetField = 1248;   // "Координаты (отн., м)"
inline constexpr int kMeasureCurrentField = 1159;  // "Текущая длина"
inline constexpr int kMeasureLengthField = 1160;   // "Накоплены:  длина"
inline constexpr int kMeasureAreaField = 1161;     // "площадь"
inline constexpr int kMeasureHiddenButton = 2;

class MeasureWindow final : public QDialog {
  Q_OBJECT
 public:
  // owner: the main window's map area; the window is placed at (29, 70)
  // dialog units from its top left corner.
  explicit MeasureWindow(QWidget* owner);

  QLineEdit& field(int id);
  void setField(int id, const QString& text);
  QString fieldText(int id) const;

 signals:
  // Esc, the close box or the hidden button: the measurement ends.
  void closeRequested();

 protected:
  void done(int result) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  QLineEdit* offset_;
  QLineEdit* current_;
  QLineEdit* length_;
  QLineEdit* area_;
};

}  // namespace tikhomap
