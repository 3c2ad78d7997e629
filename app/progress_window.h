// The small borderless window that tells what the loader is reading while the
// map is loaded at the first paint.
#pragma once

#include <QDialog>
#include <QString>

class QPushButton;

namespace tikhomap {

class ProgressWindow final : public QDialog {
  Q_OBJECT
 public:
  explicit ProgressWindow(QWidget* owner);

  // Replaces the caption and shows it at once.
  void setCaption(const QString& caption);
  QString caption() const;

 private:
  QPushButton* caption_;
};

}  // namespace tikhomap
