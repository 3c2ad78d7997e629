#include "app/help_window.h"

#include <QShortcut>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "app/app_pictures.h"
#include "app/main_window.h"
#include "app/text_convert.h"
#include "resources/command_ids.h"

namespace tikhomap {

HelpWindow::HelpWindow(QWidget* owner, const CityInfo& city) : QWidget(owner, Qt::Window) {
  setObjectName(QStringLiteral("help"));
  setWindowTitle(QStringLiteral("Справка — ") + fromUtf8(cityName(city)));
  setWindowIcon(programIcon());
  setAttribute(Qt::WA_DeleteOnClose);
  browser_ = new QTextBrowser(this);
  browser_->setObjectName(QString::number(kHelpBrowser));
  browser_->setOpenLinks(true);
  browser_->setOpenExternalLinks(false);
  browser_->setSource(QUrl(QStringLiteral("qrc:/help/index.html")));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(browser_);
  resize(760, 640);
}

HelpWindow* openHelpWindow(MainWindow& main) {
  // A closed window is hidden at once and deleted later.
  for (HelpWindow* help : main.findChildren<HelpWindow*>(Qt::FindDirectChildrenOnly)) {
    if (!help->isHidden()) return help;
  }
  return nullptr;
}

void installHelp(MainWindow& main) {
  MainWindow* window = &main;
  main.setCommandHandler(ids::kHelp, [window] {
    HelpWindow* help = openHelpWindow(*window);
    if (help == nullptr) {
      help = new HelpWindow(window, window->session().map.city);
      help->show();
    }
    help->raise();
    help->activateWindow();
  });
  auto* key = new QShortcut(QKeySequence(Qt::Key_F1), &main);
  key->setObjectName(QStringLiteral("key%1").arg(ids::kHelp));
  key->setAutoRepeat(false);
  QObject::connect(key, &QShortcut::activated, &main, [window] { window->command(ids::kHelp); });
}

}  // namespace tikhomap
