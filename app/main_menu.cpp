#include "app/main_menu.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>
#include <QWidget>

#include "resources/command_ids.h"

namespace tikhomap {

namespace {

struct Item {
  int id;  // 0 = separator
  const char8_t* text;
  bool checkable;
};

QString fromU8(const char8_t* text) {
  return QString::fromUtf8(reinterpret_cast<const char*>(text));
}

QAction* addItem(QMenu& menu, const Item& item, const std::function<void(int)>& command,
                 MainMenu& out) {
  if (item.id == 0) {
    menu.addSeparator();
    return nullptr;
  }
  QAction* action = menu.addAction(fromU8(item.text));
  action->setObjectName(QString::number(item.id));
  action->setData(item.id);
  action->setCheckable(item.checkable);
  const int id = item.id;
  if (id == ids::kToolsPalette) {
    // The mark shows whether the palette is open; the command sets it, the
    // click on the item does not.
    QObject::connect(action, &QAction::triggered, action, [action, command, id](bool checked) {
      action->setChecked(!checked);
      command(id);
    });
    out.actions[id] = action;
    return action;
  }
  QObject::connect(action, &QAction::triggered, action, [command, id] { command(id); });
  out.actions[id] = action;
  return action;
}

void addItems(QMenu& menu, std::initializer_list<Item> items,
              const std::function<void(int)>& command, MainMenu& out) {
  for (const Item& item : items) addItem(menu, item, command, out);
}

}  // namespace

MainMenu buildMainMenu(QMenuBar& bar, QWidget& window, const std::function<void(int)>& command) {
  MainMenu out;

  QMenu* view = bar.addMenu(QStringLiteral("Вид"));
  addItems(*view, {{ids::kViewGraphic, u8"Графический", true}, {ids::kViewFlat, u8"Плоский", true}},
           command, out);
  QMenu* volumetric = view->addMenu(QStringLiteral("Объемный"));
  addItems(*volumetric,
           {{ids::kViewClockWindows, u8"Окна по часам", true},
            {ids::kViewNewYear, u8"Новогодняя ночь", true},
            {ids::kViewPowerCut, u8"Тихэнерго бастует", true},
            {ids::kViewWideWindows, u8"Широкие окна", true},
            {ids::kViewFrame, u8"Каркас", true},
            {ids::kViewNight, u8"Ночной", true}},
           command, out);
  addItems(*view,
           {{0, nullptr, false},
            {ids::kLayerDialog, u8"Состав схемы ...", false},
            {ids::kRealShadows, u8"Тени по настоящему солнцу", true},
            {ids::kInsolationColours, u8"Инсоляция по норме", true},
            {ids::kToolsPalette, u8"Инструменты      F7", true},
            {ids::kRefresh, u8"Освежить            F9", false},
            {0, nullptr, false},
            {ids::kExit, u8"Выход", false}},
           command, out);

  QMenu* search = bar.addMenu(QStringLiteral("Поиск"));
  addItems(*search,
           {{ids::kStreetSearch, u8"Улица,  дом        F2", false},
            {ids::kDistrictChoice, u8"Район                  F3", false},
            {ids::kMicrodistrictChoice, u8"Микрорайон       F4", false},
            {ids::kObjectSearch, u8"Объект               F5", false},
            {0, nullptr, false},
            {ids::kQuickSearch, u8"Быстрый поиск    Ctrl+F", false}},
           command, out);

  QMenu* print = bar.addMenu(QStringLiteral("Печать"));
  addItems(*print,
           {{ids::kPrintBlackWhite, u8"Черно-белая", false},
            {ids::kPrintColour, u8"Цветная", false},
            {ids::kPrintPreview, u8"Предварительный просмотр", false}},
           command, out);

  QMenu* geodesy = bar.addMenu(QStringLiteral("Геодезия"));
  addItems(*geodesy,
           {{ids::kCoordinates, u8"Координаты", false},
            {ids::kSunTool, u8"Солнце", true},
            {ids::kInsolationReport, u8"Отчёт об инсоляции (CSV) ...", false},
            {ids::kMeasure, u8"Измерения", false},
            {ids::kMeasureAlongStreets, u8"Измерения (по улицам)", false}},
           command, out);

  QMenu* help = bar.addMenu(QStringLiteral("?"));
  addItems(*help,
           {{ids::kHelp, u8"Справка              F1", false}, {ids::kAbout, u8"About ...", false}},
           command, out);

  // The keys the menu shows, bound on the window itself (F1 opens the help
  // where the help is installed).
  const std::pair<QKeyCombination, int> keys[] = {
      {QKeyCombination(Qt::Key_F2), ids::kStreetSearch},
      {QKeyCombination(Qt::Key_F3), ids::kDistrictChoice},
      {QKeyCombination(Qt::Key_F4), ids::kMicrodistrictChoice},
      {QKeyCombination(Qt::Key_F5), ids::kObjectSearch},
      {QKeyCombination(Qt::Key_F7), ids::kToolsPalette},
      {QKeyCombination(Qt::Key_F9), ids::kRefresh},
      {QKeyCombination(Qt::ControlModifier, Qt::Key_F), ids::kQuickSearch}};
  for (const auto& [key, id] : keys) {
    auto* shortcut = new QShortcut(QKeySequence(key), &window);
    shortcut->setObjectName(QStringLiteral("key%1").arg(id));
    shortcut->setAutoRepeat(false);
    const int commandId = id;
    QObject::connect(shortcut, &QShortcut::activated, &window,
                     [command, commandId] { command(commandId); });
  }
  return out;
}

}  // namespace tikhomap
