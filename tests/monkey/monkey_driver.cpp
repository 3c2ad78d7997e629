#include "tests/monkey/monkey_driver.h"

#include <QAbstractAnimation>
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QKeySequence>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QNativeGestureEvent>
#include <QPrinter>
#include <QScrollBar>
#include <QTabBar>
#include <QTest>
#include <QTextEdit>
#include <QThread>
#include <QToolButton>
#include <QUrl>
#include <QWheelEvent>
#include <QWindow>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <tuple>

#include "app/main_window.h"
#include "app/map_folders.h"
#include "app/mouse_controller.h"
#include "app/overview_inset.h"
#include "app/print_job.h"
#include "resources/command_ids.h"

namespace tikhomap::monkey {
namespace {

enum MouseKind { kPress, kRelease, kMove, kClick, kDoubleClick };
enum KeyKind { kKeyClick, kKeyDown, kKeyUp, kKeyHold };

// Every command of the menus but "Выход".
constexpr int kMenuCommands[] = {
    ids::kViewGraphic,  ids::kViewFlat,       ids::kViewClockWindows,
    ids::kViewNewYear,  ids::kViewPowerCut,   ids::kViewWideWindows,
    ids::kViewFrame,    ids::kViewNight,      ids::kLayerDialog,
    ids::kRealShadows,  ids::kToolsPalette,   ids::kRefresh,
    ids::kStreetSearch, ids::kDistrictChoice, ids::kMicrodistrictChoice,
    ids::kObjectSearch, ids::kQuickSearch,    ids::kPrintBlackWhite,
    ids::kPrintColour,  ids::kPrintPreview,   ids::kCoordinates,
    ids::kSunTool,      ids::kMeasure,        ids::kMeasureAlongStreets,
    ids::kHelp,         ids::kAbout};

// The keys of the map and of the program's accelerators, with a weight.
struct KeyChoice {
  int key;
  Qt::KeyboardModifiers mods;
  const char* text;
  int weight;
};
const KeyChoice kMapKeys[] = {
    {Qt::Key_F1, Qt::NoModifier, "", 1},           {Qt::Key_F2, Qt::NoModifier, "", 3},
    {Qt::Key_F3, Qt::NoModifier, "", 2},           {Qt::Key_F4, Qt::NoModifier, "", 2},
    {Qt::Key_F5, Qt::NoModifier, "", 2},           {Qt::Key_F7, Qt::NoModifier, "", 1},
    {Qt::Key_F9, Qt::NoModifier, "", 1},           {Qt::Key_F10, Qt::NoModifier, "", 1},
    {Qt::Key_F, Qt::ControlModifier, "\x06", 2},   {Qt::Key_Home, Qt::NoModifier, "", 3},
    {Qt::Key_End, Qt::NoModifier, "", 1},          {Qt::Key_PageUp, Qt::NoModifier, "", 4},
    {Qt::Key_PageDown, Qt::NoModifier, "", 1},     {Qt::Key_Left, Qt::NoModifier, "", 4},
    {Qt::Key_Right, Qt::NoModifier, "", 4},        {Qt::Key_Up, Qt::NoModifier, "", 4},
    {Qt::Key_Down, Qt::NoModifier, "", 4},         {Qt::Key_Plus, Qt::NoModifier, "+", 6},
    {Qt::Key_Minus, Qt::NoModifier, "-", 5},       {Qt::Key_Asterisk, Qt::NoModifier, "*", 5},
    {Qt::Key_Slash, Qt::NoModifier, "/", 5},       {Qt::Key_Escape, Qt::NoModifier, "\x1b", 3},
    {Qt::Key_Return, Qt::NoModifier, "\r", 2},     {Qt::Key_Enter, Qt::NoModifier, "\r", 1},
    {Qt::Key_Tab, Qt::NoModifier, "\t", 2},        {Qt::Key_Backtab, Qt::ShiftModifier, "", 1},
    {Qt::Key_Backspace, Qt::NoModifier, "\b", 1},  {Qt::Key_Delete, Qt::NoModifier, "\x7f", 1},
    {Qt::Key_Space, Qt::NoModifier, " ", 1},       {Qt::Key_Shift, Qt::ShiftModifier, "", 5},
    {Qt::Key_Control, Qt::ControlModifier, "", 5}, {Qt::Key_Alt, Qt::AltModifier, "", 1},
    {Qt::Key_A, Qt::NoModifier, "a", 1},           {Qt::Key_Z, Qt::NoModifier, "z", 1},
    {Qt::Key_7, Qt::NoModifier, "7", 1},           {Qt::Key_Equal, Qt::NoModifier, "=", 1},
};
// Keys inside dialogs and tool windows.
const KeyChoice kDialogKeys[] = {
    {Qt::Key_Escape, Qt::NoModifier, "\x1b", 3},  {Qt::Key_Return, Qt::NoModifier, "\r", 4},
    {Qt::Key_Tab, Qt::NoModifier, "\t", 4},       {Qt::Key_Backtab, Qt::ShiftModifier, "", 2},
    {Qt::Key_Up, Qt::NoModifier, "", 4},          {Qt::Key_Down, Qt::NoModifier, "", 5},
    {Qt::Key_PageDown, Qt::NoModifier, "", 1},    {Qt::Key_PageUp, Qt::NoModifier, "", 1},
    {Qt::Key_Home, Qt::NoModifier, "", 1},        {Qt::Key_End, Qt::NoModifier, "", 1},
    {Qt::Key_Left, Qt::NoModifier, "", 1},        {Qt::Key_Right, Qt::NoModifier, "", 1},
    {Qt::Key_Backspace, Qt::NoModifier, "\b", 3}, {Qt::Key_Delete, Qt::NoModifier, "\x7f", 1},
    {Qt::Key_Space, Qt::NoModifier, " ", 2},      {Qt::Key_F2, Qt::NoModifier, "", 1},
    {Qt::Key_F4, Qt::NoModifier, "", 1},          {Qt::Key_Plus, Qt::NoModifier, "+", 1},
};

// What a person types: names of the city, numbers, Latin and Cyrillic
// letters, odd characters and a line too long for any field.
const char* const kTexts[] = {
    "Мор",
    "Морская",
    "морская ул.",
    "Порт",
    "Портовая ул.",
    "1",
    "2",
    "3а",
    "4",
    "5",
    "Северный",
    "ул",
    "Жилой",
    "7 Заречная",
    "Морская 2",
    "2 Морская",
    "а",
    "ё",
    "Ж",
    "zz",
    "q",
    " ",
    "  ",
    "-",
    "%",
    "*",
    "?",
    "\\",
    "'",
    "0",
    "99999",
    "очень длинная строка, которая не помещается ни в одно поле диалога вообще",
};

QString keyName(int key, Qt::KeyboardModifiers mods) {
  if (key == Qt::Key_Shift) return QStringLiteral("Shift");
  if (key == Qt::Key_Control) return QStringLiteral("Ctrl");
  if (key == Qt::Key_Alt) return QStringLiteral("Alt");
  return QKeySequence(QKeyCombination(mods, static_cast<Qt::Key>(key))).toString();
}

std::string modsName(Qt::KeyboardModifiers mods) {
  std::string s;
  if (mods & Qt::ShiftModifier) s += "+Shift";
  if (mods & Qt::ControlModifier) s += "+Ctrl";
  if (mods & Qt::AltModifier) s += "+Alt";
  return s;
}

const char* buttonName(Qt::MouseButton button) {
  return button == Qt::RightButton ? "right" : button == Qt::MiddleButton ? "middle" : "left";
}

// A window's name in the event lines: its object name (the dialog id) or,
// without one, its class.
std::string windowName(const QWidget& w) {
  const QString name = w.objectName();
  return (name.isEmpty() ? QString::fromLatin1(w.metaObject()->className()) : name).toStdString();
}

std::string widgetName(const QWidget& w) {
  std::string s = w.metaObject()->className();
  if (!w.objectName().isEmpty()) s += "#" + w.objectName().toStdString();
  if (const auto* b = qobject_cast<const QAbstractButton*>(&w); b && !b->text().isEmpty()) {
    s += " «" + b->text().toStdString() + "»";
  }
  return s;
}

// The visible top-level windows a person can reach, in a fixed order.
std::vector<QWidget*> reachableWindows() {
  QWidget* modal = QApplication::activeModalWidget();
  std::vector<QWidget*> out;
  for (QWidget* top : QApplication::topLevelWidgets()) {
    if (!top->isVisible() || top->windowHandle() == nullptr) continue;
    const Qt::WindowType type = top->windowType();
    if (type == Qt::ToolTip || type == Qt::Popup || type == Qt::Desktop) continue;
    if (modal != nullptr) {
      // Only the modal window and the windows it owns take input.
      bool owned = false;
      for (const QWidget* p = top; p != nullptr; p = p->parentWidget()) owned |= p == modal;
      if (!owned) continue;
    }
    out.push_back(top);
  }
  // topLevelWidgets() comes from a hash: sort by what the windows are.
  std::sort(out.begin(), out.end(), [](const QWidget* a, const QWidget* b) {
    const auto key = [](const QWidget* w) {
      return std::make_tuple(std::string(w->metaObject()->className()), windowName(*w),
                             w->geometry().x(), w->geometry().y());
    };
    return key(a) < key(b);
  });
  return out;
}

// Buttons that would reach a real printer or the system's page setup.
bool printsForReal(const QWidget& w) {
  const auto* tool = qobject_cast<const QToolButton*>(&w);
  if (tool == nullptr || tool->defaultAction() == nullptr) return false;
  const QString text = tool->defaultAction()->text().toLower();
  return text.contains(QStringLiteral("print")) || text.contains(QStringLiteral("page setup"));
}

bool interactive(const QWidget& w) {
  return qobject_cast<const QAbstractButton*>(&w) || qobject_cast<const QLineEdit*>(&w) ||
         qobject_cast<const QAbstractItemView*>(&w) || qobject_cast<const QComboBox*>(&w) ||
         qobject_cast<const QAbstractSpinBox*>(&w) || qobject_cast<const QTextEdit*>(&w) ||
         qobject_cast<const QTabBar*>(&w) || qobject_cast<const QScrollBar*>(&w);
}

int64_t steadyMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

Driver::Driver(MainWindow& window, MouseController& mouse, Printing& printing, uint64_t seed)
    : window_(window), mouse_(mouse), printing_(printing), rng_(seed), answers_(seed ^ 0x5eed) {
  MapSession& s = window_.session();
  s.clock = fixedClock(static_cast<int>(seed % 24), static_cast<int>(seed % 60));
  s.sunDate = CivilDate{2025, 3, 20};
  window_.setBeep([] {});
  window_.setFatalHandler([this](const QString& m) { fail("fatal: " + m.toStdString()); });
  window_.setFlashStarter([this] { flashDue_ = now_ + window_.flashTimer().interval(); });
  QObject::connect(&window_, &MainWindow::closed, &window_, [this] { programEnded_ = true; });
  // The print dialog's answers: cancel, a PDF file, or a file that cannot be
  // written (the failure's message box follows). No real printer is used.
  const std::filesystem::path pdf =
      std::filesystem::temp_directory_path() / ("tikhomap_monkey_" + std::to_string(seed) + ".pdf");
  printing_.setPrinterChooser([this, pdf](QPrinter& printer) {
    const int answer = static_cast<int>(answers_() % 3);
    if (echo_ != nullptr) {
      std::fprintf(echo_, "      print dialog answers: %s\n",
                   answer == 0   ? "cancel"
                   : answer == 1 ? "PDF file"
                                 : "an unwritable file");
      std::fflush(echo_);
    }
    if (answer == 0) return false;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(answer == 1 ? QString::fromStdString(pdf.string())
                                          : QStringLiteral("/nonexistent-monkey-dir/x.pdf"));
    return true;
  });
}

Driver::~Driver() {
  window_.setFlashStarter(nullptr);
}

void Driver::fail(const std::string& what) {
  if (failed_) return;
  failed_ = true;
  if (failure_) failure_(done_, what);
}

bool Driver::run(int events) {
  total_ = events;
  done_ = 0;
  running_ = true;
  failed_ = false;
  lastProgress_ = steadyMs();
  drivingLevel_ = QThread::currentThread()->loopLevel();
  QWindow* main = window_.windowHandle();
  if (main != nullptr) main->requestActivate();
  settle();
  if (std::string broken = checkInvariants(window_, mouse_); !broken.empty()) {
    fail("before any event: " + broken);
  }
  postWatch();
  while (!failed_ && !programEnded_ && done_ < total_) step();
  // Dialogs opened by the last events are closed (their loops unwound by
  // the watch); whatever is left open here is modeless.
  running_ = false;
  settle();
  return !failed_;
}

void Driver::postWatch() {
  if (watchPosted_ || !running_) return;
  watchPosted_ = true;
  QMetaObject::invokeMethod(
      qApp,
      [this] {
        watchPosted_ = false;
        watch();
      },
      Qt::QueuedConnection);
}

void Driver::watch() {
  if (!running_) return;
  const int level = QThread::currentThread()->loopLevel();
  QWidget* blocker = QApplication::activePopupWidget();
  if (blocker == nullptr) blocker = QApplication::activeModalWidget();
  postWatch();
  if (level <= drivingLevel_ || blocker == nullptr || !blocker->isVisible()) return;
  // A nested loop waits for the person: the stream goes on from here until
  // the window of this loop goes away.
  const int saved = drivingLevel_;
  drivingLevel_ = level;
  QPointer<QWidget> owner = blocker;
  while (running_ && !failed_ && !programEnded_ && done_ < total_ && owner != nullptr &&
         owner->isVisible()) {
    step();
  }
  // The run is over (or broke): the loop is ended so that the run unwinds.
  while (owner != nullptr && owner->isVisible()) closeBlocker(owner);
  drivingLevel_ = saved;
}

void Driver::closeBlocker(QWidget* blocker) {
  if (auto* menu = qobject_cast<QMenu*>(blocker)) {
    menu->close();
  } else if (auto* dialog = qobject_cast<QDialog*>(blocker)) {
    dialog->reject();
    if (dialog->isVisible()) dialog->hide();
  } else {
    blocker->close();
    if (blocker->isVisible()) blocker->hide();
  }
}

void Driver::settle() {
  for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
  // Back in the main loop, windows closed by the event are deleted.
  if (QThread::currentThread()->loopLevel() == 0) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  // Animations (the fading clear button of a line edit, which hides it at
  // the end) run to their end between two events, as the person waits.
  for (QWidget* top : QApplication::topLevelWidgets()) {
    for (QAbstractAnimation* a : top->findChildren<QAbstractAnimation*>()) {
      if (a->state() == QAbstractAnimation::Running && a->totalDuration() >= 0) {
        a->setCurrentTime(a->totalDuration());
      }
    }
  }
  // Whatever the event asked to be shown is painted before the next one.
  if (window_.isVisible()) window_.mapWidget().repaint();
  QCoreApplication::processEvents();
}

void Driver::advance(int ms) {
  now_ += std::max(ms, 1);
  if (flashDue_ && now_ >= *flashDue_) {
    flashDue_.reset();
    window_.endFlash();
  }
}

void Driver::step() {
  Action a = next();
  const int number = ++done_;
  lastProgress_ = steadyMs();
  if (echo_ != nullptr) {
    std::fprintf(echo_, "%6d  %s\n", number, a.line.c_str());
    std::fflush(echo_);
  }
  advance(a.ms);
  if (a.act) a.act();
  settle();
  if (programEnded_) return;
  if (std::string broken = checkInvariants(window_, mouse_); !broken.empty()) {
    fail(broken);
  } else if (std::string held = checkHeld(); !held.empty()) {
    fail(held);
  }
}

// What the program shows only while a key or a button is held goes when the
// person lets go, wherever the release went; a flash is shown only while its
// pause runs.
std::string Driver::checkHeld() const {
  if (window_.flashShown() && !flashDue_) return "a flash is shown with no pause running";
  const auto* inset = window_.findChild<OverviewInset*>();
  if (inset != nullptr && inset->shown() && keysDown_.empty()) {
    return "the overview is shown with no key held";
  }
  const bool left = (held_ & Qt::LeftButton) != 0;
  if (mouse_.infoLabel().shown && !left) return "the information label stays after the release";
  const MouseState state = mouse_.interactionState();
  const bool dragButtonHeld = (held_ & mouse_.dragButton()) != 0;
  if (mouse_.dragArmed() && (state == kStateZoomRect || state == kStatePan) && !dragButtonHeld) {
    return "a drag goes on after the button came up";
  }
  return {};
}

// ---- choosing the next event ---------------------------------------------------

static Qt::KeyboardModifiers heldModifiers(const std::vector<int>& keys) {
  Qt::KeyboardModifiers mods;
  for (const int k : keys) {
    if (k == Qt::Key_Shift) mods |= Qt::ShiftModifier;
    if (k == Qt::Key_Control) mods |= Qt::ControlModifier;
    if (k == Qt::Key_Alt) mods |= Qt::AltModifier;
  }
  return mods;
}

Driver::Action Driver::next() {
  // A held button comes up before the person can click anything else: in a
  // popup or a modal window at once, over the map now and then.
  const bool blocked =
      QApplication::activePopupWidget() != nullptr || QApplication::activeModalWidget() != nullptr;
  if (held_ != Qt::NoButton && (blocked || chance(30))) {
    QWidget* popup = QApplication::activePopupWidget();
    QWidget* over = popup != nullptr ? popup
                    : QApplication::activeModalWidget() != nullptr
                        ? QApplication::activeModalWidget()
                        : static_cast<QWidget*>(&window_);
    const Qt::MouseButton up = (held_ & Qt::LeftButton)    ? Qt::LeftButton
                               : (held_ & Qt::RightButton) ? Qt::RightButton
                                                           : Qt::MiddleButton;
    return mouseAt(*over, pointIn(*over, true), kRelease, up, heldModifiers(keysDown_),
                   "the held button");
  }
  if (QWidget* popup = QApplication::activePopupWidget()) return popupAction(*popup);
  std::vector<QWidget*> windows = reachableWindows();
  if (QApplication::activeModalWidget() == nullptr) {
    // Now and then the person waits, resizes the window or brings another
    // window forward.
    const int r = below(100);
    if (r < 3) {
      const int ms = 200 + below(3000);
      return {"wait " + std::to_string(ms) + " ms", nullptr, ms};
    }
    if (r < 5) return resizeAction();
    if (r < 6 && folders_ != nullptr && held_ == Qt::NoButton) return folderAction();
    if (r < 7 && !windows.empty()) {
      QWidget* w = windows[static_cast<size_t>(below(static_cast<int>(windows.size())))];
      QPointer<QWidget> target = w;
      return {"activate window " + windowName(*w), [target] {
                if (target != nullptr && target->isVisible()) target->activateWindow();
              }};
    }
    const bool others = windows.size() > 1;
    // With a button held only the map and the keys are in reach.
    if (held_ != Qt::NoButton) return chance(60) ? mapAction() : keyAction();
    if (!others || chance(70)) {
      const int m = below(100);
      if (m < 45) return mapAction();
      if (m < 80) return keyAction();
      // With a button held the menus cannot be reached.
      if (m < 88 && held_ == Qt::NoButton) return menuAction();
      if (m < 92) {
        // A click on a title of the menu bar opens its menu.
        QMenuBar* bar = window_.menuBar();
        const QList<QAction*> menus = bar->actions();
        if (!menus.isEmpty() && bar->isVisible()) {
          QAction* menu = menus[below(static_cast<int>(menus.size()))];
          const QRect r2 = bar->actionGeometry(menu);
          if (!r2.isEmpty()) {
            return mouseAt(window_, bar->mapTo(&window_, r2.center()), kClick, Qt::LeftButton,
                           Qt::NoModifier, "menu bar «" + menu->text().toStdString() + "»");
          }
        }
      }
      return windowAction(window_);
    }
  }
  if (windows.empty()) return keyAction();
  QWidget* target = windows[static_cast<size_t>(below(static_cast<int>(windows.size())))];
  if (target == &window_ && QApplication::activeModalWidget() == nullptr) return mapAction();
  return windowAction(*target);
}

QPoint Driver::pointIn(const QWidget& widget, bool mayLeave) {
  const int w = std::max(widget.width(), 1);
  const int h = std::max(widget.height(), 1);
  if (mayLeave && chance(3)) return {below(w + 40) - 20, below(h + 40) - 20};
  return {below(w), below(h)};
}

Driver::Action Driver::mapAction() {
  MapWidget& map = window_.mapWidget();
  Qt::KeyboardModifiers mods = heldModifiers(keysDown_);
  const int m = below(100);
  if (m < 20)
    mods |= Qt::ShiftModifier;
  else if (m < 40)
    mods |= Qt::ControlModifier;
  else if (m < 43)
    mods |= Qt::ShiftModifier | Qt::ControlModifier;
  const QPoint at = map.mapTo(&window_, pointIn(map, true));
  const Qt::MouseButton button = chance(75)   ? Qt::LeftButton
                                 : chance(90) ? Qt::RightButton
                                              : Qt::MiddleButton;
  const int r = below(100);
  if (held_ != Qt::NoButton && r < 35) {
    // The held button goes up, wherever the pointer is now.
    const Qt::MouseButton up = (held_ & Qt::LeftButton)    ? Qt::LeftButton
                               : (held_ & Qt::RightButton) ? Qt::RightButton
                                                           : Qt::MiddleButton;
    return mouseAt(window_, at, kRelease, up, mods, "map");
  }
  if (r < 55) return mouseAt(window_, at, kMove, Qt::NoButton, mods, "map");
  if (r < 70 && held_ == Qt::NoButton) return mouseAt(window_, at, kPress, button, mods, "map");
  if (r < 90 && held_ == Qt::NoButton) return mouseAt(window_, at, kClick, button, mods, "map");
  if (r < 95 && held_ == Qt::NoButton) {
    return mouseAt(window_, at, kDoubleClick, button, mods, "map");
  }
  if (chance(15)) return pinchAt(at);
  return anyWheel(at, mods);
}

Driver::Action Driver::anyWheel(QPoint at, Qt::KeyboardModifiers mods) {
  const int sign = chance(50) ? 1 : -1;
  switch (below(8)) {
    case 0:
      return wheelWith(at, {0, sign * (1 + below(119))}, {}, Qt::NoScrollPhase, mods);
    case 1:
      return wheelWith(at, {}, {}, Qt::NoScrollPhase, mods);
    case 2:
      return wheelWith(at, {0, sign * (1 << 30)}, {}, Qt::NoScrollPhase, mods);
    case 3:
      return wheelWith(at, {sign * 120, 0}, {}, Qt::NoScrollPhase, mods);
    case 4: {
      const Qt::ScrollPhase phases[] = {Qt::ScrollBegin, Qt::ScrollUpdate, Qt::ScrollEnd,
                                        Qt::ScrollMomentum};
      const QPoint pixel(below(2001) - 1000, chance(5) ? sign * (1 << 26) : below(81) - 40);
      return wheelWith(at, pixel * 8, pixel, phases[below(4)], mods);
    }
    default:
      return wheelAt(window_, at, sign * 120, mods);
  }
}

Driver::Action Driver::wheelWith(QPoint local, QPoint angle, QPoint pixel, Qt::ScrollPhase phase,
                                 Qt::KeyboardModifiers mods) {
  QPointer<QWidget> target = &window_;
  return {"wheel angle " + std::to_string(angle.x()) + "," + std::to_string(angle.y()) +
              " pixels " + std::to_string(pixel.x()) + "," + std::to_string(pixel.y()) + " phase " +
              std::to_string(static_cast<int>(phase)) + modsName(mods) + " at " +
              std::to_string(local.x()) + "," + std::to_string(local.y()),
          [this, target, local, angle, pixel, phase, mods] {
            if (target == nullptr || !target->isVisible()) return;
            QWidget* under = target->childAt(local);
            if (under == nullptr) under = target;
            const QPoint at = under->mapFrom(target.data(), local);
            QWheelEvent wheel(QPointF(at), QPointF(under->mapToGlobal(at)), pixel, angle, held_,
                              mods, phase, false);
            QCoreApplication::sendEvent(under, &wheel);
          }};
}

Driver::Action Driver::pinchAt(QPoint local) {
  const double values[] = {0.05,
                           -0.05,
                           0.3,
                           -0.3,
                           0.0,
                           -1.0,
                           -5.0,
                           1e9,
                           -1e9,
                           std::numeric_limits<double>::infinity(),
                           std::numeric_limits<double>::quiet_NaN()};
  const double value = values[below(static_cast<int>(std::size(values)))];
  QPointer<MapWidget> map = &window_.mapWidget();
  return {"pinch " + std::to_string(value) + " at " + std::to_string(local.x()) + "," +
              std::to_string(local.y()),
          [this, map, local, value] {
            if (map == nullptr || !map->isVisible()) return;
            const QPoint at = map->mapFrom(&window_, local);
            QNativeGestureEvent pinch(Qt::ZoomNativeGesture,
                                      QPointingDevice::primaryPointingDevice(), 2, QPointF(at),
                                      QPointF(at), QPointF(map->mapToGlobal(at)), value, QPointF());
            QCoreApplication::sendEvent(map.data(), &pinch);
          }};
}

Driver::Action Driver::folderAction() {
  const std::filesystem::path here = window_.session().dataDir;
  const int r = below(4);
  if (r == 0) {
    // The folder of the open map, again (as its file).
    return {"open the map's own folder by its 8.tkm", [this, here] {
              if (folders_ != nullptr)
                folders_->open(QString::fromStdString((here / "8.tkm").string()));
            }};
  }
  if (r == 1) {
    return {"open a folder that is not a map", [this, here] {
              if (folders_ != nullptr)
                folders_->open(QString::fromStdString((here / "config").string()));
            }};
  }
  const bool folder = r == 2;
  return {folder ? "drop the map's folder on the window" : "drop a text on the window",
          [this, here, folder] {
            QMimeData mime;
            if (folder) {
              mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(here.string()))});
            } else {
              mime.setText(QStringLiteral("/no/such/folder"));
            }
            QDragEnterEvent enter(QPoint(40, 40), Qt::CopyAction, &mime, Qt::LeftButton,
                                  Qt::NoModifier);
            QCoreApplication::sendEvent(&window_, &enter);
            if (!enter.isAccepted()) return;
            QDropEvent drop(QPointF(40, 40), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(&window_, &drop);
          }};
}

Driver::Action Driver::keyAction() {
  // A held key comes up now and then.
  if (!keysDown_.empty() && chance(40)) {
    const size_t i = static_cast<size_t>(below(static_cast<int>(keysDown_.size())));
    const int key = keysDown_[i];
    return keyPress(key, heldModifiers(keysDown_), QString(), kKeyUp);
  }
  if (chance(12)) return typing(QString::fromUtf8(kTexts[below(std::size(kTexts))]));
  int total = 0;
  for (const KeyChoice& k : kMapKeys) total += k.weight;
  int pick = below(total);
  const KeyChoice* chosen = &kMapKeys[0];
  for (const KeyChoice& k : kMapKeys) {
    if (pick < k.weight) {
      chosen = &k;
      break;
    }
    pick -= k.weight;
  }
  const int r = below(100);
  const bool modifier =
      chosen->key == Qt::Key_Shift || chosen->key == Qt::Key_Control || chosen->key == Qt::Key_Alt;
  const int kind = modifier ? (r < 70 ? kKeyDown : kKeyHold)
                            : (r < 80   ? kKeyClick
                               : r < 90 ? kKeyHold
                                        : kKeyDown);
  Qt::KeyboardModifiers mods = chosen->mods | heldModifiers(keysDown_);
  if (!modifier) mods &= ~Qt::AltModifier;  // Alt with letters would be menu mnemonics
  return keyPress(chosen->key, mods, QString::fromUtf8(chosen->text), kind);
}

Driver::Action Driver::menuAction() {
  const int id = kMenuCommands[below(std::size(kMenuCommands))];
  QAction* action = window_.action(id);
  const std::string text = action != nullptr ? action->text().simplified().toStdString() : "?";
  QPointer<QAction> target = action;
  return {"menu " + std::to_string(id) + " «" + text + "»", [target] {
            // As chosen from its menu: the item is triggered.
            if (target != nullptr && target->isEnabled()) target->trigger();
          }};
}

Driver::Action Driver::resizeAction() {
  int w = 0;
  int h = 0;
  const int r = below(100);
  if (r < 15) {
    w = 1;
    h = 1;
  } else if (r < 40) {
    w = 1 + below(300);
    h = 1 + below(300);
  } else if (r < 92) {
    w = 300 + below(1300);
    h = 200 + below(900);
  } else {
    w = 1600 + below(2401);
    h = 1000 + below(2001);
  }
  return {"resize main window to " + std::to_string(w) + "x" + std::to_string(h),
          [this, w, h] { window_.resize(w, h); }};
}

Driver::Action Driver::popupAction(QWidget& popup) {
  const int r = below(100);
  if (auto* menu = qobject_cast<QMenu*>(&popup)) {
    // Items of the menu, never "Выход": the program would end.
    std::vector<QAction*> items;
    for (QAction* a : menu->actions()) {
      if (a->isVisible() && !a->isSeparator() && a->data().toInt() != ids::kExit) {
        items.push_back(a);
      }
    }
    if (r < 55 && !items.empty()) {
      QAction* a = items[static_cast<size_t>(below(static_cast<int>(items.size())))];
      const QRect g = menu->actionGeometry(a);
      return mouseAt(popup, g.center(), kClick, Qt::LeftButton, Qt::NoModifier,
                     "menu item «" + a->text().simplified().toStdString() + "»");
    }
    if (r < 75) {
      const int key = chance(50) ? Qt::Key_Down : Qt::Key_Up;
      return keyPress(key, Qt::NoModifier, QString(), kKeyClick);
    }
    if (r < 85) {
      const QAction* active = menu->activeAction();
      if (active != nullptr && active->data().toInt() != ids::kExit) {
        return keyPress(Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"), kKeyClick);
      }
    }
    if (r < 92) return keyPress(Qt::Key_Escape, Qt::NoModifier, QString(), kKeyClick);
    // A click outside the menu closes it.
    return mouseAt(popup, QPoint(-30, -30), kClick, Qt::LeftButton, Qt::NoModifier,
                   "outside the menu");
  }
  if (r < 10) return keyPress(Qt::Key_Escape, Qt::NoModifier, QString(), kKeyClick);
  if (r < 15) {
    return mouseAt(popup, QPoint(popup.width() + 30, popup.height() + 30), kClick, Qt::LeftButton,
                   Qt::NoModifier, "outside the popup");
  }
  return windowAction(popup);
}

Driver::Action Driver::windowAction(QWidget& window) {
  std::vector<QWidget*> widgets;
  for (QWidget* w : window.findChildren<QWidget*>()) {
    if (w->isWindow() || !w->isVisibleTo(&window) || !w->isEnabled() || printsForReal(*w)) {
      continue;
    }
    if (interactive(*w)) widgets.push_back(w);
  }
  const int r = below(100);
  if (r < 55 && !widgets.empty()) {
    return widgetAction(window,
                        *widgets[static_cast<size_t>(below(static_cast<int>(widgets.size())))]);
  }
  if (r < 70) return typing(QString::fromUtf8(kTexts[below(std::size(kTexts))]));
  if (r < 92) {
    int total = 0;
    for (const KeyChoice& k : kDialogKeys) total += k.weight;
    int pick = below(total);
    for (const KeyChoice& k : kDialogKeys) {
      if (pick < k.weight) return keyPress(k.key, k.mods, QString::fromUtf8(k.text), kKeyClick);
      pick -= k.weight;
    }
  }
  if (r < 95 && &window != &window_) {
    // The close box of the window.
    QPointer<QWidget> target = &window;
    return {"close box of " + windowName(window), [target] {
              if (target != nullptr && target->windowHandle() != nullptr) {
                target->windowHandle()->close();
              }
            }};
  }
  return mouseAt(window, pointIn(window, false), chance(80) ? kClick : kDoubleClick,
                 chance(85) ? Qt::LeftButton : Qt::RightButton, Qt::NoModifier, "window");
}

Driver::Action Driver::widgetAction(QWidget& window, QWidget& widget) {
  QWidget* target = &widget;
  QPoint local = pointIn(widget, false);
  std::string what = widgetName(widget);
  if (auto* view = qobject_cast<QAbstractItemView*>(&widget); view && view->model()) {
    // A row of the list, when one is in sight.
    target = view->viewport();
    local = pointIn(*target, false);
    const int rows = view->model()->rowCount(view->rootIndex());
    if (rows > 0 && chance(85)) {
      const int row = below(rows);
      const QModelIndex index = view->model()->index(row, 0, view->rootIndex());
      const QRect rect = view->visualRect(index);
      if (rect.intersects(target->rect())) {
        local = rect.intersected(target->rect()).center();
        what += " row " + std::to_string(row);
      }
    }
  }
  const QPoint at = target->mapTo(&window, local);
  const int r = below(100);
  if (r < 5) {
    return wheelAt(window, at, chance(50) ? 120 : -120, Qt::NoModifier);
  }
  const int kind = r < 80 ? kClick : r < 92 ? kDoubleClick : kClick;
  const Qt::MouseButton button = r < 92 ? Qt::LeftButton : Qt::RightButton;
  return mouseAt(window, at, kind, button, Qt::NoModifier, what);
}

// ---- sending the events ----------------------------------------------------------

Driver::Action Driver::mouseAt(QWidget& window, QPoint local, int kind, Qt::MouseButton button,
                               Qt::KeyboardModifiers mods, const std::string& what) {
  static const char* const kNames[] = {"press", "release", "move", "click", "double click"};
  std::string line = std::string("mouse ") + kNames[kind];
  if (kind != kMove) line += std::string(" ") + buttonName(button);
  line += modsName(mods) + " at " + std::to_string(local.x()) + "," + std::to_string(local.y()) +
          " in " + windowName(window) + " (" + what + ")";
  QPointer<QWidget> target = &window;
  return {line, [this, target, local, kind, button, mods] {
            if (target == nullptr || !target->isVisible()) return;
            QWindow* w = target->windowHandle();
            if (w == nullptr) return;
            switch (kind) {
              case kPress:
                sendMouse(w, local, button, QEvent::MouseButtonPress, mods);
                break;
              case kRelease:
                sendMouse(w, local, button, QEvent::MouseButtonRelease, mods);
                break;
              case kMove:
                sendMouse(w, local, Qt::NoButton, QEvent::MouseMove, mods);
                break;
              case kClick:
              case kDoubleClick: {
                QPointer<QWindow> guard = w;
                const int clicks = kind == kClick ? 1 : 2;
                for (int i = 0; i < clicks && guard != nullptr; ++i) {
                  sendMouse(guard, local, button, QEvent::MouseButtonPress, mods);
                  now_ += 20;
                  if (guard == nullptr) {
                    // The press ended the window: the button still comes up.
                    held_ &= ~Qt::MouseButtons(button);
                    break;
                  }
                  sendMouse(guard, local, button, QEvent::MouseButtonRelease, mods);
                  now_ += 20;
                }
                break;
              }
            }
          }};
}

void Driver::sendMouse(QWindow* window, QPointF local, Qt::MouseButton button, int type,
                       Qt::KeyboardModifiers mods) {
  Qt::MouseButtons state = held_;
  if (type == QEvent::MouseButtonPress) state |= button;
  if (type == QEvent::MouseButtonRelease) state &= ~Qt::MouseButtons(button);
  held_ = state;
  const QPointF global = window->mapToGlobal(local.toPoint());
  qt_handleMouseEvent(window, local, global, state, button, static_cast<QEvent::Type>(type), mods,
                      static_cast<int>(now_));
}

QWindow* Driver::keyWindow() const {
  if (QWidget* popup = QApplication::activePopupWidget()) return popup->windowHandle();
  if (QWindow* focus = QGuiApplication::focusWindow()) return focus;
  if (QWidget* modal = QApplication::activeModalWidget()) return modal->windowHandle();
  return window_.windowHandle();
}

Driver::Action Driver::keyPress(int key, Qt::KeyboardModifiers mods, const QString& text,
                                int kind) {
  static const char* const kNames[] = {"key", "key down", "key up", "key held"};
  const int repeats = kind == kKeyHold ? 2 + below(6) : 0;
  std::string line = std::string(kNames[kind]) + " " + keyName(key, mods).toStdString();
  if (kind == kKeyHold) line += " repeating " + std::to_string(repeats) + " times";
  return {line, [this, key, mods, text, kind, repeats] {
            const auto send = [this, key, mods, text](QEvent::Type type, bool autoRepeat) {
              if (QWindow* w = keyWindow()) qt_handleKeyEvent(w, type, key, mods, text, autoRepeat);
            };
            switch (kind) {
              case kKeyClick:
                send(QEvent::KeyPress, false);
                send(QEvent::KeyRelease, false);
                break;
              case kKeyDown:
                send(QEvent::KeyPress, false);
                if (std::find(keysDown_.begin(), keysDown_.end(), key) == keysDown_.end()) {
                  keysDown_.push_back(key);
                }
                break;
              case kKeyUp:
                std::erase(keysDown_, key);
                send(QEvent::KeyRelease, false);
                break;
              case kKeyHold:
                send(QEvent::KeyPress, false);
                // Held, the key repeats as release and press pairs.
                for (int i = 0; i < repeats; ++i) {
                  send(QEvent::KeyRelease, true);
                  send(QEvent::KeyPress, true);
                }
                send(QEvent::KeyRelease, false);
                break;
            }
          }};
}

Driver::Action Driver::typing(const QString& text) {
  return {"type «" + text.toStdString() + "»", [this, text] {
            for (const QChar c : text) {
              // Keys with their text, as a keyboard of the right layout sends them.
              const int key = c.isLetterOrNumber() && c.unicode() < 0x80
                                  ? static_cast<int>(c.toUpper().unicode())
                              : c.isLetter() ? static_cast<int>(c.toUpper().unicode())
                                             : static_cast<int>(Qt::Key_unknown);
              QWindow* w = keyWindow();
              if (w == nullptr) return;
              qt_handleKeyEvent(w, QEvent::KeyPress, key, Qt::NoModifier, QString(c));
              if ((w = keyWindow()) == nullptr) return;
              qt_handleKeyEvent(w, QEvent::KeyRelease, key, Qt::NoModifier, QString(c));
            }
          }};
}

Driver::Action Driver::wheelAt(QWidget& window, QPoint local, int delta,
                               Qt::KeyboardModifiers mods) {
  QPointer<QWidget> target = &window;
  return {"wheel " + std::to_string(delta) + modsName(mods) + " at " + std::to_string(local.x()) +
              "," + std::to_string(local.y()) + " in " + windowName(window),
          [this, target, local, delta, mods] {
            if (target == nullptr || !target->isVisible()) return;
            QWidget* under = target->childAt(local);
            if (under == nullptr) under = target;
            const QPoint at = under->mapFrom(target.data(), local);
            QWheelEvent wheel(QPointF(at), QPointF(under->mapToGlobal(at)), QPoint(),
                              QPoint(0, delta), held_, mods, Qt::NoScrollPhase, false);
            QCoreApplication::sendEvent(under, &wheel);
          }};
}

}  // namespace tikhomap::monkey
