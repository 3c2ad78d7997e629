#include "app/sun_window.h"

#include <QAction>
#include <QDate>
#include <QDateEdit>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cmath>
#include <numbers>

#include "app/main_window.h"
#include "resources/command_ids.h"
#include "tools/building_info.h"
#include "tools/insolation_report.h"
#include "tools/sun_place.h"
#include "view/view_state.h"

namespace tikhomap {
namespace {

constexpr double kRad = std::numbers::pi / 180.0;
// The skyline is sampled every 2° and followed this far.
constexpr int kSkylineStep = 2;
constexpr double kSkylineReach = 1500;

QString utf8(const std::string& text) {
  return QString::fromStdString(text);
}

CivilDate civil(const QDate& d) {
  return {d.year(), d.month(), d.day()};
}

QString dayNote(SunDay day) {
  switch (day) {
    case SunDay::PolarDay:
      return QStringLiteral("Полярный день: солнце не заходит.");
    case SunDay::PolarNight:
      return QStringLiteral("Полярная ночь: солнце не восходит.");
    case SunDay::OutOfRange:
      return QStringLiteral("Положение солнца считается для дат с 1950 по 2100 год.");
    case SunDay::Ordinary:
      break;
  }
  return {};
}

QCursor drawSunCursor();

// The tool's cursor: a small sun, drawn here so that it is sharp anywhere;
// drawn once, it is set again on every move of the pointer.
const QCursor& sunCursor() {
  static const QCursor cursor = drawSunCursor();
  return cursor;
}

QCursor drawSunCursor() {
  QPixmap pixmap(32, 32);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(200, 120, 0), 2));
  for (int i = 0; i < 8; ++i) {
    const double a = i * 45 * kRad;
    p.drawLine(QPointF(16 + 9 * std::cos(a), 16 + 9 * std::sin(a)),
               QPointF(16 + 14 * std::cos(a), 16 + 14 * std::sin(a)));
  }
  p.setBrush(QColor(255, 210, 0));
  p.drawEllipse(QPointF(16, 16), 6, 6);
  p.end();
  return QCursor(pixmap, 16, 16);
}

}  // namespace

SunChart::SunChart(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("sunChart"));
  setMinimumSize(360, 180);
}

void SunChart::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  p.fillRect(rect(), QColor(235, 243, 255));
  const QRectF area = QRectF(rect()).adjusted(34, 8, -8, -22);
  // Azimuth 0..360 across, elevation 0..90 up.
  const auto at = [&area](double azimuth, double elevation) {
    return QPointF(area.left() + area.width() * azimuth / 360.0,
                   area.bottom() - area.height() * std::clamp(elevation, 0.0, 90.0) / 90.0);
  };
  p.setPen(QColor(190, 200, 215));
  for (int az = 0; az <= 360; az += 45) p.drawLine(at(az, 0), at(az, 90));
  for (int el = 0; el <= 90; el += 30) p.drawLine(at(0, el), at(360, el));
  p.setPen(Qt::black);
  static const char* const kCompass[] = {"С", "СВ", "В", "ЮВ", "Ю", "ЮЗ", "З", "СЗ", "С"};
  for (int i = 0; i <= 8; ++i) {
    const QPointF foot = at(i * 45, 0);
    p.drawText(QRectF(foot.x() - 15, foot.y() + 2, 30, 16), Qt::AlignCenter,
               QString::fromUtf8(kCompass[i]));
  }
  for (int el = 30; el <= 90; el += 30) {
    const QPointF left = at(0, el);
    p.drawText(QRectF(left.x() - 32, left.y() - 8, 28, 16), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("%1°").arg(el));
  }
  // The half of the sky behind the wall, and the skyline of the blocks.
  if (!skyline_.empty()) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(120, 120, 120, 70));
    for (int az = 0; az < 360; az += kSkylineStep) {
      double off = std::fmod(az + kSkylineStep / 2.0 - facing_ + 540.0, 360.0) - 180.0;
      if (std::abs(off) >= 90) p.drawRect(QRectF(at(az, 90), at(az + kSkylineStep, 0)));
    }
    QPainterPath sky;
    sky.moveTo(at(0, 0));
    for (std::size_t i = 0; i < skyline_.size(); ++i) {
      const double az = static_cast<double>(i) * kSkylineStep;
      sky.lineTo(at(az, skyline_[i]));
      sky.lineTo(at(az + kSkylineStep, skyline_[i]));
    }
    sky.lineTo(at(360, 0));
    sky.closeSubpath();
    p.setBrush(QColor(110, 100, 90, 170));
    p.drawPath(sky);
  }
  // The sun's track while it is up, with the full hours marked.
  p.setPen(QPen(QColor(230, 140, 0), 2));
  QPointF last;
  bool drawing = false;
  for (const SunTrackPoint& s : track_) {
    if (s.elevation <= 0) {
      drawing = false;
      continue;
    }
    const QPointF pt = at(s.azimuth, s.elevation);
    // The track wraps through north at high latitudes in summer.
    if (drawing && std::abs(pt.x() - last.x()) < area.width() / 2) p.drawLine(last, pt);
    last = pt;
    drawing = true;
  }
  p.setPen(QColor(150, 80, 0));
  for (const SunTrackPoint& s : track_) {
    if (s.elevation <= 0 || s.minute % 60 != 0) continue;
    const QPointF pt = at(s.azimuth, s.elevation);
    p.setBrush(QColor(255, 200, 0));
    p.drawEllipse(pt, 2.5, 2.5);
    p.drawText(QRectF(pt.x() - 12, pt.y() - 18, 24, 14), Qt::AlignCenter,
               QString::number(s.minute / 60));
  }
}

SunWindow::SunWindow(Shell& shell, std::shared_ptr<const BuildingBlocks> blocks, int32_t building)
    : QDialog(&shell.shellWindow(), Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      shell_(shell),
      blocks_(std::move(blocks)),
      building_(building) {
  setObjectName(QStringLiteral("sunWindow"));
  setAttribute(Qt::WA_DeleteOnClose);
  const MapData& map = shell_.session().map;
  const Building& b = map.buildings[static_cast<std::size_t>(building_)];
  const BuildingInfoTexts texts = buildingInfoTexts(map, b);
  setWindowTitle(texts.address.empty() ? QStringLiteral("Солнце")
                                       : QStringLiteral("Солнце: ") + utf8(texts.address));
  place_ = sunPlaceAt(map, b.x, b.y);

  auto* layout = new QVBoxLayout(this);
  auto* dates = new QHBoxLayout;
  // The date the real shadows are drawn for, when one is set; else today.
  const std::optional<CivilDate>& sunDate = shell_.session().sunDate;
  const QDate start =
      sunDate ? QDate(sunDate->year, sunDate->month, sunDate->day) : QDate::currentDate();
  date_ = new QDateEdit(start, this);
  date_->setObjectName(QStringLiteral("sunDate"));
  date_->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
  date_->setCalendarPopup(true);
  date_->setDateRange(QDate(kFirstSunYear, 1, 1), QDate(kLastSunYear, 12, 31));
  dates->addWidget(date_);
  const auto button = [this, dates](const QString& text, auto&& action) {
    auto* b = new QPushButton(text, this);
    b->setAutoDefault(false);
    connect(b, &QPushButton::clicked, this, action);
    dates->addWidget(b);
  };
  button(QStringLiteral("◀"), [this] { date_->setDate(date_->date().addDays(-1)); });
  button(QStringLiteral("▶"), [this] { date_->setDate(date_->date().addDays(1)); });
  button(QStringLiteral("Равноденствие"),
         [this] { date_->setDate(QDate(date_->date().year(), 3, 20)); });
  button(QStringLiteral("Летнее солнцестояние"),
         [this] { date_->setDate(QDate(date_->date().year(), 6, 21)); });
  button(QStringLiteral("Зимнее солнцестояние"),
         [this] { date_->setDate(QDate(date_->date().year(), 12, 21)); });
  dates->addStretch();
  layout->addLayout(dates);

  tabs_ = new QTabWidget(this);
  tabs_->setObjectName(QStringLiteral("sunTabs"));
  layout->addWidget(tabs_, 1);
  auto* hoursPage = new QWidget(tabs_);
  auto* outer = layout;
  {
    auto* layout = new QVBoxLayout(hoursPage);
    layout->setContentsMargins(0, 0, 0, 0);
    note_ = new QLabel(this);
    note_->setObjectName(QStringLiteral("sunNote"));
    note_->setWordWrap(true);
    layout->addWidget(note_);
    table_ = new QTableWidget(0, 8, this);
    table_->setObjectName(QStringLiteral("sunTable"));
    table_->setHorizontalHeaderLabels(
        {QStringLiteral("Фасад смотрит на"), QStringLiteral("Длина, м"),
         QStringLiteral("1-й этаж: всего"), QStringLiteral("подряд"), QStringLiteral("с … до"),
         QStringLiteral("Верхний этаж: всего"), QStringLiteral("подряд"),
         QStringLiteral("с … до")});
    table_->verticalHeader()->hide();
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    layout->addWidget(table_, 1);
    chart_ = new SunChart(this);
    layout->addWidget(chart_, 1);
    auto* terrain =
        new QLabel(QStringLiteral("Тень дают здания (этаж — 3 м); рельеф не учитывается. Солнце, "
                                  "скользящее по стене под углом больше 85°, не считается."),
                   this);
    terrain->setWordWrap(true);
    layout->addWidget(terrain);
  }
  tabs_->addTab(hoursPage, QStringLiteral("Часы солнца"));
  // The norm's screening: the zone, the dates, each facade and storey.
  auto* normPage = new QWidget(tabs_);
  {
    auto* layout = new QVBoxLayout(normPage);
    layout->setContentsMargins(0, 0, 0, 0);
    normSummary_ = new QLabel(normPage);
    normSummary_->setObjectName(QStringLiteral("normSummary"));
    normSummary_->setWordWrap(true);
    normSummary_->setTextFormat(Qt::PlainText);
    layout->addWidget(normSummary_);
    normTable_ = new QTableWidget(0, 5, normPage);
    normTable_->setObjectName(QStringLiteral("normTable"));
    normTable_->setHorizontalHeaderLabels({QStringLiteral("Фасад смотрит на"),
                                           QStringLiteral("Этаж"), QStringLiteral("Непрерывно"),
                                           QStringLiteral("Всего"), QStringLiteral("Вывод")});
    normTable_->verticalHeader()->hide();
    normTable_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    normTable_->setSelectionBehavior(QAbstractItemView::SelectRows);
    normTable_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    normTable_->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(normTable_, 1);
    normNotes_ = new QLabel(normPage);
    normNotes_->setObjectName(QStringLiteral("normNotes"));
    normNotes_->setWordWrap(true);
    normNotes_->setTextFormat(Qt::PlainText);
    normNotes_->setStyleSheet(QStringLiteral("font-size: 8pt"));
    layout->addWidget(normNotes_);
    auto* report = new QPushButton(QStringLiteral("Отчёт (PDF) ..."), normPage);
    report->setObjectName(QStringLiteral("normReport"));
    report->setAutoDefault(false);
    connect(report, &QPushButton::clicked, this, [this] {
      const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Отчёт об инсоляции"),
                                                        QStringLiteral("инсоляция.pdf"),
                                                        QStringLiteral("PDF (*.pdf)"));
      if (path.isEmpty()) return;
      if (!writeNormReport(path)) {
        QMessageBox::warning(this, QStringLiteral("Отчёт об инсоляции"),
                             QStringLiteral("Отчёт не записан: %1").arg(path));
      }
    });
    layout->addWidget(report, 0, Qt::AlignLeft);
  }
  tabs_->addTab(normPage, QStringLiteral("Норма инсоляции"));
  layout = outer;

  connect(date_, &QDateEdit::dateChanged, this, [this] { recompute(); });
  connect(table_, &QTableWidget::currentCellChanged, this,
          [this](int row) { facadeSelected(row); });
  map_ = &shell_.mapWidget();
  overlayId_ = map_->addOverlay([this](QPainter& p) { drawFacade(p); });
  resize(760, 560);
  recompute();
}

SunWindow::~SunWindow() {
  // The main window may be half destroyed (the window is its child): only
  // the map widget, if it is still there, is touched.
  if (map_ != nullptr) {
    map_->removeOverlay(overlayId_);
    map_->update();
  }
}

void SunWindow::setDate(const CivilDate& date) {
  date_->setDate(QDate(date.year, date.month, date.day));
}

QDate SunWindow::date() const {
  return date_->date();
}

void SunWindow::recompute() {
  if (date_->date().year() != normYear_) recomputeNorm();
  result_ = insolation(*blocks_, building_, civil(date_->date()), place_);
  QString note = dayNote(result_.day);
  if (result_.facades.empty() && result_.day != SunDay::OutOfRange) {
    note += (note.isEmpty() ? QString() : QStringLiteral(" ")) +
            QStringLiteral("У здания нет стен, для которых можно посчитать солнце.");
  }
  note_->setText(note);
  note_->setVisible(!note.isEmpty());
  const int keep = std::max(selected_, 0);
  table_->setRowCount(static_cast<int>(result_.facades.size()));
  for (int row = 0; row < table_->rowCount(); ++row) {
    const FacadeSun& f = result_.facades[static_cast<std::size_t>(row)];
    const QString cells[] = {
        utf8(formatFacing(f.facing)),
        QString::number(f.length, 'f', 1),
        utf8(formatSunMinutes(f.ground.minutes)),
        utf8(formatSunMinutes(f.ground.longest)),
        utf8(formatClock(f.ground.first) + " – " + formatClock(f.ground.last)),
        utf8(formatSunMinutes(f.top.minutes)),
        utf8(formatSunMinutes(f.top.longest)),
        utf8(formatClock(f.top.first) + " – " + formatClock(f.top.last)),
    };
    for (int col = 0; col < 8; ++col) table_->setItem(row, col, new QTableWidgetItem(cells[col]));
  }
  chart_->setTrack(result_.track);
  if (table_->rowCount() > 0) {
    table_->setCurrentCell(std::min(keep, table_->rowCount() - 1), 0);
    facadeSelected(table_->currentRow());
  } else {
    facadeSelected(-1);
  }
}

void SunWindow::recomputeNorm() {
  normYear_ = date_->date().year();
  norm_ = checkInsolationNorm(*blocks_, building_, normYear_, place_);
  const Building& b = shell_.session().map.buildings[static_cast<std::size_t>(building_)];
  const CivilDate* dates = nullptr;
  CivilDate checked[2];
  QString summary;
  normTable_->setRowCount(0);
  if (norm_.skip == NormSkip::NotDwelling) {
    const std::string_view purpose = purposeText(b.purpose);
    summary = QStringLiteral("Норма инсоляции относится к жилым зданиям");
    if (!purpose.empty()) {
      summary += QStringLiteral(", а это здание — ") +
                 QString::fromUtf8(purpose.data(), static_cast<qsizetype>(purpose.size()));
    }
    summary += QStringLiteral(
        ". Школы, детские сады, больничные палаты и площадки имеют свои "
        "нормы, здесь они не проверяются.");
  } else if (norm_.skip != NormSkip::None) {
    summary = QStringLiteral("Не проверено: ") + utf8(std::string(skipText(norm_.skip))) +
              QStringLiteral(".");
  } else {
    checked[0] = norm_.dates[0].date;
    checked[1] = norm_.dates[1].date;
    dates = checked;
    const DateCheck& w = norm_.dates[norm_.worse];
    const int rows = static_cast<int>(w.rows.size());
    const QString date =
        QDate(w.date.year, w.date.month, w.date.day).toString(QStringLiteral("dd.MM.yyyy"));
    summary = QStringLiteral("Норме соответствуют %1 из %2 фасадо-этажей").arg(w.meeting).arg(rows);
    if (w.interrupted > 0) {
      summary +=
          QStringLiteral(" (из них %1 — только при прерывистой инсоляции)").arg(w.interrupted);
    }
    summary += QStringLiteral("; хуже дата %1 из двух границ периода.").arg(date);
    const std::string failing = failingText(w);
    if (!failing.empty()) summary += QStringLiteral(" Не соответствуют: ") + utf8(failing) + ".";
    summary += QStringLiteral("\nЗона: ") +
               utf8(std::string(kInsolationNorm.zones[static_cast<std::size_t>(norm_.zone)].name)) +
               QStringLiteral("; требуется %1 непрерывно.")
                   .arg(utf8(formatSunMinutes(norm_.requiredMinutes)));
    normTable_->setRowCount(rows);
    for (int row = 0; row < rows; ++row) {
      const FacadeStorey& r = w.rows[static_cast<std::size_t>(row)];
      const QString cells[] = {
          utf8(formatFacing(r.facing)),
          QString::number(r.storey),
          utf8(formatSunMinutes(r.best.longestSeconds / 60)),
          utf8(formatSunMinutes(r.best.totalSeconds / 60)),
          utf8(std::string(verdictText(r.best.verdict))),
      };
      const QColor colour = r.best.verdict == NormVerdict::Continuous    ? QColor(205, 240, 200)
                            : r.best.verdict == NormVerdict::Interrupted ? QColor(250, 235, 170)
                                                                         : QColor(245, 195, 190);
      for (int col = 0; col < 5; ++col) {
        auto* item = new QTableWidgetItem(cells[col]);
        if (col == 4) item->setBackground(colour);
        normTable_->setItem(row, col, item);
      }
    }
  }
  normSummary_->setText(summary);
  QString notes;
  for (const std::string& line : screeningStatements(NormSettings{}, norm_.zone, dates)) {
    notes += (notes.isEmpty() ? QString() : QStringLiteral("\n")) + utf8(line);
  }
  normNotes_->setText(notes);
}

bool SunWindow::writeNormReport(const QString& path) {
  if (norm_.skip != NormSkip::None || norm_.worstRow < 0) return false;
  const MapData& map = shell_.session().map;
  const Building& b = map.buildings[static_cast<std::size_t>(building_)];
  const BuildingInfoTexts texts = buildingInfoTexts(map, b);
  const DateCheck& w = norm_.dates[norm_.worse];
  const FacadeStorey& worst = w.rows[static_cast<std::size_t>(norm_.worstRow)];
  QPdfWriter pdf(path);
  pdf.setPageSize(QPageSize(QPageSize::A4));
  pdf.setResolution(96);
  pdf.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
  pdf.setTitle(QStringLiteral("Инсоляция по норме"));
  QPainter p;
  if (!p.begin(&pdf)) return false;
  const QRect page = p.viewport();
  const int width = page.width();
  int y = 0;
  const auto text = [&](const QString& t, int pointSize, bool bold = false) {
    QFont f = p.font();
    f.setPointSize(pointSize);
    f.setBold(bold);
    p.setFont(f);
    const QRect r = p.boundingRect(QRect(0, y, width, 10000), Qt::TextWordWrap, t);
    if (y + r.height() > page.height()) {
      pdf.newPage();
      y = 0;
    }
    p.drawText(QRect(0, y, width, r.height()), Qt::TextWordWrap, t);
    y += r.height() + 6;
  };
  text(QStringLiteral("Инсоляция по норме: ") +
           (texts.address.empty() ? QStringLiteral("здание без адреса") : utf8(texts.address)),
       14, true);
  text(utf8(texts.kind), 10);
  text(normSummary_->text(), 10);
  // The sun's path on the worse date and the skyline from the worst
  // facade-storey's middle.
  SunDay day{};
  SunChart chart;
  chart.setTrack(sunTrack(w.date, place_, day));
  const FacadePoint fp = facadePoint(b, worst.edge);
  const double z = (worst.storey - 1) * kPhysicalStoreyHeight + NormSettings{}.sillHeight;
  std::vector<double> sky;
  for (int az = 0; az < 360; az += kSkylineStep) {
    const double a = (az + kSkylineStep / 2.0) * kRad;
    sky.push_back(blocks_->skyline(fp.x, fp.y, z, std::cos(a), std::sin(a), kSkylineReach));
  }
  chart.setSkyline(std::move(sky), worst.facing);
  chart.resize(width, width * 2 / 5);
  text(QStringLiteral("Путь солнца %1 и силуэт застройки от худшего фасада: %2, этаж %3 "
                      "(непрерывно %4, всего %5).")
           .arg(QDate(w.date.year, w.date.month, w.date.day).toString(QStringLiteral("dd.MM.yyyy")),
                utf8(formatFacing(worst.facing)), QString::number(worst.storey),
                utf8(formatSunMinutes(worst.best.longestSeconds / 60)),
                utf8(formatSunMinutes(worst.best.totalSeconds / 60))),
       10);
  chart.render(&p, QPoint(0, y));
  y += chart.height() + 10;
  // The table: facade, length, storey, longest run, total, verdict.
  QFont f = p.font();
  f.setPointSize(8);
  f.setBold(false);
  p.setFont(f);
  const int line = p.fontMetrics().height() + 2;
  const int cols[] = {
      0, width * 22 / 100, width * 32 / 100, width * 40 / 100, width * 54 / 100, width * 68 / 100};
  const auto row = [&](const QStringList& cells) {
    if (y + line > page.height()) {
      pdf.newPage();
      y = 0;
    }
    for (int i = 0; i < cells.size(); ++i) p.drawText(cols[i], y + line - 4, cells[i]);
    y += line;
  };
  row({QStringLiteral("Фасад"), QStringLiteral("Длина, м"), QStringLiteral("Этаж"),
       QStringLiteral("Непрерывно"), QStringLiteral("Всего"), QStringLiteral("Вывод")});
  for (const FacadeStorey& r : w.rows) {
    row({utf8(formatFacing(r.facing)), QString::number(r.length, 'f', 1), QString::number(r.storey),
         utf8(formatSunMinutes(r.best.longestSeconds / 60)),
         utf8(formatSunMinutes(r.best.totalSeconds / 60)),
         utf8(std::string(verdictText(r.best.verdict)))});
  }
  y += 8;
  text(normNotes_->text(), 8);
  return p.end();
}

void SunWindow::facadeSelected(int row) {
  selected_ = row >= 0 && row < static_cast<int>(result_.facades.size()) ? row : -1;
  if (selected_ < 0) {
    chart_->setSkyline({}, 180);
  } else {
    const FacadeSun& f = result_.facades[static_cast<std::size_t>(selected_)];
    const Building& b = shell_.session().map.buildings[static_cast<std::size_t>(building_)];
    const FacadePoint p = facadePoint(b, f.edge);
    std::vector<double> sky;
    for (int az = 0; az < 360; az += kSkylineStep) {
      const double a = (az + kSkylineStep / 2.0) * kRad;
      sky.push_back(blocks_->skyline(p.x, p.y, kPhysicalStoreyHeight / 2, std::cos(a), std::sin(a),
                                     kSkylineReach));
    }
    chart_->setSkyline(std::move(sky), f.facing);
  }
  shell_.mapWidget().update();
}

void SunWindow::drawFacade(QPainter& painter) {
  if (selected_ < 0 || shell_.session().titleSheetShown()) return;
  const Building& b = shell_.session().map.buildings[static_cast<std::size_t>(building_)];
  const int32_t edge = result_.facades[static_cast<std::size_t>(selected_)].edge;
  const MapPoint& a = b.outline[static_cast<std::size_t>(edge) % b.outline.size()];
  const MapPoint& c = b.outline[(static_cast<std::size_t>(edge) + 1) % b.outline.size()];
  int32_t ax = 0, ay = 0, cx = 0, cy = 0;
  mapToScreen(shell_.session().view, a.x, a.y, ax, ay);
  mapToScreen(shell_.session().view, c.x, c.y, cx, cy);
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(QColor(255, 140, 0), 5, Qt::SolidLine, Qt::RoundCap));
  painter.drawLine(ax, ay, cx, cy);
  painter.restore();
}

namespace {

// The tool mode: while it is on, a press on the map picks a building.
class SunTool final : public QObject {
 public:
  explicit SunTool(Shell& shell) : QObject(&shell.shellWindow()), shell_(shell) {}

  bool active() const { return active_; }
  void setActive(bool on) {
    active_ = on;
    if (QAction* action = shell_.action(ids::kSunTool)) action->setChecked(on);
    if (on) {
      shell_.mapWidget().installEventFilter(this);
      shell_.mapWidget().setCursor(sunCursor());
    } else {
      shell_.mapWidget().removeEventFilter(this);
      shell_.mapWidget().unsetCursor();
    }
  }
  SunWindow* window() const { return window_; }

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    switch (event->type()) {
      case QEvent::MouseMove:
        shell_.mapWidget().setCursor(sunCursor());
        return false;
      case QEvent::KeyPress:
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
          setActive(false);
          return true;
        }
        return false;
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
        // Only the release of a press the tool took is its own.
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && pressTaken_) {
          pressTaken_ = event->type() == QEvent::MouseButtonDblClick;
          return true;
        }
        return false;
      case QEvent::MouseButtonPress:
        break;
      default:
        return false;
    }
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() != Qt::LeftButton) return false;
    // A press the tool passes on is the map's, and so is its release, even
    // when the release of a press the tool took never came.
    pressTaken_ = false;
    if (mouse->modifiers() != Qt::NoModifier) return false;
    MapSession& s = shell_.session();
    if (s.titleSheetShown()) return false;
    // The building the information click would open: on a roof, the block
    // drawn there.
    const QPoint at = mouse->position().toPoint();
    const int32_t row = buildingUnderPointer(s, at.x(), at.y());
    pressTaken_ = true;
    if (row < 0) {
      shell_.beep();
      return true;
    }
    if (!blocks_ || builtFor_ != s.map.buildings.size()) {
      blocks_ = std::make_shared<const BuildingBlocks>(s.map);
      builtFor_ = s.map.buildings.size();
    }
    delete window_.data();
    window_ = new SunWindow(shell_, blocks_, row);
    window_->show();
    return true;
  }

 private:
  Shell& shell_;
  bool active_ = false;
  bool pressTaken_ = false;
  QPointer<SunWindow> window_;
  std::shared_ptr<const BuildingBlocks> blocks_;
  std::size_t builtFor_ = 0;
};

}  // namespace

void installSunTool(MainWindow& main) {
  MainWindow* w = &main;
  main.setCommandHandler(ids::kRealShadows, [w] {
    MapSession& s = w->session();
    s.realShadows = !s.realShadows;
    if (QAction* action = w->action(ids::kRealShadows)) action->setChecked(s.realShadows);
    if (!s.titleSheetShown()) w->requestRecompose();
  });
  auto* tool = new SunTool(main);
  main.setCommandHandler(ids::kSunTool, [tool] { tool->setActive(!tool->active()); });
  // Back to the title sheet: the tool ends, its window stays open.
  QObject::connect(&main, &MainWindow::titleSheetRequested, tool, [tool] {
    if (tool->active()) tool->setActive(false);
  });
}

}  // namespace tikhomap
