// A list box of the search dialogs that, like the system's, gets no
// selection of its own when the keyboard moves the focus into it: only
// typing, a click or the arrows select, and the first Down selects the
// first row.
#pragma once

#include <QListWidget>

namespace tikhomap {

class SearchListBox final : public QListWidget {
  Q_OBJECT
 public:
  using QListWidget::QListWidget;

 protected:
  void focusInEvent(QFocusEvent* event) override;
};

}  // namespace tikhomap
