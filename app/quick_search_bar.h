// The quick search line over the top edge of the map (Ctrl+F): a text field
// with up to ten suggestions as the user types ("Заречная 7", "7 Заречная",
// a street alone). Enter or a click on a suggestion shows the street or the
// house and marks it as the street and house search does; Esc closes it.
#pragma once

#include <QFrame>

#include "search/quick_search.h"

class QLineEdit;
class QListWidget;

namespace tikhomap {

class Shell;

class QuickSearchBar final : public QFrame {
  Q_OBJECT
 public:
  explicit QuickSearchBar(Shell& shell);

  // Shows the line at the top of the map with the focus in its text.
  void open();
  void close();
  bool isOpen() const { return isVisible(); }

  QLineEdit& text() { return *text_; }
  QListWidget& suggestions() { return *list_; }
  const QuickSearchResult& result() const { return result_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void typed(const QString& text);
  void step(int direction);
  void activate(int item);
  void place();

  Shell& shell_;
  QLineEdit* text_;
  QListWidget* list_;
  QuickSearchResult result_;
  int firstMatchItem_ = 0;  // a note about a missing house comes first
};

}  // namespace tikhomap
