#include "app/search_list_box.h"

#include <QFocusEvent>

namespace tikhomap {

void SearchListBox::focusInEvent(QFocusEvent* event) {
  const bool hadCurrent = currentIndex().isValid();
  QListWidget::focusInEvent(event);
  // Qt makes the first row current (unselected) when the focus arrives in a
  // list without one: a Down would then select the second row, and an
  // unselected list would seem to hold a choice.
  if (!hadCurrent && event->reason() != Qt::MouseFocusReason && currentIndex().isValid()) {
    setCurrentRow(-1);
    clearSelection();
  }
}

}  // namespace tikhomap
