#include "app/quick_search_bar.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>

#include "app/map_widget.h"
#include "app/shell.h"
#include "app/text_convert.h"
#include "search/name_matching.h"
#include "search/street_search.h"
#include "session/map_session.h"

namespace tikhomap {
namespace {

constexpr int kBarWidth = 420;
constexpr int kTopMargin = 6;

}  // namespace

QuickSearchBar::QuickSearchBar(Shell& shell) : QFrame(&shell.mapWidget()), shell_(shell) {
  setObjectName(QStringLiteral("quickSearch"));
  setFrameShape(QFrame::StyledPanel);
  setAutoFillBackground(true);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->setSpacing(2);
  text_ = new QLineEdit(this);
  text_->setObjectName(QStringLiteral("quickSearch.text"));
  text_->setPlaceholderText(QStringLiteral("Улица и дом, например: Заречная 7"));
  text_->setClearButtonEnabled(true);
  list_ = new QListWidget(this);
  list_->setObjectName(QStringLiteral("quickSearch.list"));
  list_->setFocusPolicy(Qt::NoFocus);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  layout->addWidget(text_);
  layout->addWidget(list_);
  text_->installEventFilter(this);
  connect(text_, &QLineEdit::textChanged, this, &QuickSearchBar::typed);
  connect(list_, &QListWidget::itemClicked, this,
          [this](QListWidgetItem* item) { activate(list_->row(item)); });
  hide();
}

void QuickSearchBar::open() {
  typed(text_->text());
  show();
  raise();
  text_->setFocus(Qt::ShortcutFocusReason);
  text_->selectAll();
}

void QuickSearchBar::close() {
  hide();
  shell_.mapWidget().setFocus(Qt::OtherFocusReason);
}

void QuickSearchBar::place() {
  const QWidget& map = shell_.mapWidget();
  const int width = std::min(kBarWidth, std::max(1, map.width() - 2 * kTopMargin));
  list_->setVisible(list_->count() > 0);
  int listHeight = 0;
  if (list_->count() > 0) {
    listHeight = list_->sizeHintForRow(0) * list_->count() + 2 * list_->frameWidth();
    list_->setFixedHeight(listHeight);
  }
  const int height = text_->sizeHint().height() + 8 + (listHeight > 0 ? listHeight + 2 : 0);
  setGeometry((map.width() - width) / 2, kTopMargin, width, height);
}

void QuickSearchBar::typed(const QString& text) {
  const MapSession& session = shell_.session();
  result_ = quickSearch(session.map, session.quickSearchIndex, text.toStdString());
  list_->clear();
  firstMatchItem_ = 0;
  if (result_.miss) {
    const MapData& map = shell_.session().map;
    const QuickMiss& miss = *result_.miss;
    QString note = QString::fromStdString(quickMissText(miss));
    if (miss.streetRow >= 0 && miss.streetRow < static_cast<int32_t>(map.streetNames.size())) {
      const StreetName& street = map.streetNames[static_cast<size_t>(miss.streetRow)];
      note = fromUtf8(street.name) + QStringLiteral(": ") + note;
    }
    auto* item = new QListWidgetItem(note, list_);
    item->setFlags(Qt::NoItemFlags);
    firstMatchItem_ = 1;
  }
  for (const QuickMatch& match : result_.matches) {
    list_->addItem(QString::fromStdString(match.label));
  }
  if (!result_.matches.empty()) list_->setCurrentRow(firstMatchItem_);
  place();
}

void QuickSearchBar::step(int direction) {
  if (result_.matches.empty()) return;
  const int last = firstMatchItem_ + static_cast<int>(result_.matches.size()) - 1;
  const int row = std::clamp(list_->currentRow() + direction, firstMatchItem_, last);
  list_->setCurrentRow(row);
}

void QuickSearchBar::activate(int item) {
  const int index = item - firstMatchItem_;
  if (index < 0 || index >= static_cast<int>(result_.matches.size())) {
    shell_.beep();
    return;
  }
  const QuickMatch match = result_.matches[static_cast<size_t>(index)];
  MapSession& s = shell_.session();
  const auto& streets = s.map.streetNames;
  if (match.streetRow < 0 || match.streetRow >= static_cast<int32_t>(streets.size())) return;
  const int32_t code = streets[static_cast<size_t>(match.streetRow)].streetCode;
  StreetSearchContext ctx{s.map, s.marking, s.history, s.view};
  // A new result replaces the marks of the one before, as a new search does.
  const MarkingState before = s.marking;
  s.marking.clearMarks();
  const bool shown = match.kind == QuickMatch::House
                         ? (showBuilding(ctx, match.building, code), true)
                         : showStreetCode(ctx, code);
  if (!shown) {
    s.marking = before;
    shell_.beep();
    return;
  }
  shell_.requestRecompose();
  close();
}

bool QuickSearchBar::eventFilter(QObject* watched, QEvent* event) {
  if (watched == text_ && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    switch (key->key()) {
      case Qt::Key_Escape:
        close();
        return true;
      case Qt::Key_Return:
      case Qt::Key_Enter:
        activate(list_->currentRow());
        return true;
      case Qt::Key_Down:
        step(1);
        return true;
      case Qt::Key_Up:
        step(-1);
        return true;
      default:
        break;
    }
  }
  return QFrame::eventFilter(watched, event);
}

}  // namespace tikhomap
