#include "app/tools_palette.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QToolButton>

#include "app/app_pictures.h"
#include "app/dialog_units.h"
#include "app/main_window.h"
#include "app/mouse_controller.h"
#include "raster/font_substitution.h"
#include "resources/command_ids.h"

namespace tikhomap {
namespace {

struct ToolButton {
  int id;
  int y;  // dialog units
  ToolPicture picture;
  int toolMode;
};

// Top to bottom.
constexpr std::array<ToolButton, 4> kToolButtons{{
    {kPaletteArrow, 0, ToolPicture::Arrow, kToolArrow},
    {kPaletteZoomOut, 21, ToolPicture::ZoomOut, kToolZoomOut},
    {kPaletteZoomRect, 42, ToolPicture::ZoomRectangle, kToolZoomRect},
    {kPalettePan, 63, ToolPicture::Pan, kToolPan},
}};
constexpr int kSearchButtonY = 84;
constexpr int kButtonUnits = 20;

// The palette's corner, in map pixels, from the map's right edge and top.
constexpr int kFromRightEdge = 40;
constexpr int kFromTop = 44;

QToolButton* pictureButton(QWidget& parent, int id, int y, const QIcon& icon) {
  auto* button = new QToolButton(&parent);
  button->setObjectName(QString::number(id));
  const QRect rect = dialogUnitsRect(parent.font(), 0, y, kButtonUnits, kButtonUnits);
  button->setGeometry(rect);
  button->setIcon(icon);
  button->setIconSize(rect.size() - QSize(6, 6));
  // The keys stay with the map.
  button->setFocusPolicy(Qt::NoFocus);
  return button;
}

}  // namespace

ToolsPalette::ToolsPalette(Shell& shell, MouseController& mouse)
    : QDialog(&shell.shellWindow(), Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                                        Qt::CustomizeWindowHint | Qt::WindowDoesNotAcceptFocus),
      shell_(shell),
      mouse_(mouse) {
  setObjectName(QString::number(kPaletteDialog));
  setWindowTitle(QString());
  setAttribute(Qt::WA_ShowWithoutActivating);
  setFocusPolicy(Qt::NoFocus);
  QFont font(substituteFontFace("MS Sans Serif"));
  font.setPointSize(8);
  setFont(font);

  for (size_t i = 0; i < kToolButtons.size(); ++i) {
    const ToolButton& b = kToolButtons[i];
    QToolButton* button = pictureButton(*this, b.id, b.y, toolIcon(b.picture));
    button->setCheckable(true);
    const int mode = b.toolMode;
    connect(button, &QToolButton::clicked, this, [this, mode] {
      mouse_.setToolMode(mode);
      showToolState();
    });
    tools_[i] = button;
  }
  QToolButton* search = pictureButton(*this, kPaletteSearch, kSearchButtonY, programIcon());
  // The search runs after the click is over; the tool stays.
  connect(search, &QToolButton::clicked, this, [this] { shell_.postCommand(ids::kStreetSearch); });

  setFixedSize(dialogUnitsToPixels(font, kButtonUnits, 106));
  const ViewState& v = shell_.session().view;
  MapWidget& map = shell_.mapWidget();
  const int right = v.viewRight > 0 ? v.viewRight : map.width();
  move(map.mapToGlobal(QPoint(right - kFromRightEdge, v.viewTop + kFromTop)));
  showToolState();
}

QToolButton* ToolsPalette::button(int id) const {
  return findChild<QToolButton*>(QString::number(id));
}

void ToolsPalette::showToolState() {
  const int mode = mouse_.toolMode();
  for (size_t i = 0; i < kToolButtons.size(); ++i) {
    tools_[i]->setChecked(kToolButtons[i].toolMode == mode);
  }
}

void ToolsPalette::reject() {
  // The main window closes the palette, never the palette itself.
  shell_.postCommand(ids::kToolsPalette);
}

void ToolsPalette::keyPressEvent(QKeyEvent* event) {
  // The palette never takes the keyboard; a key that reaches it all the same
  // (a platform that activates it on a click) belongs to the map. Esc stays
  // the palette's own: it closes it.
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    QDialog::keyPressEvent(event);
    return;
  }
  QCoreApplication::sendEvent(&shell_.mapWidget(), event);
}

void ToolsPalette::keyReleaseEvent(QKeyEvent* event) {
  QCoreApplication::sendEvent(&shell_.mapWidget(), event);
}

void ToolsPalette::closeEvent(QCloseEvent* event) {
  event->ignore();
  reject();
}

ToolsPalette* openPalette(MainWindow& main) {
  // A closed palette is hidden at once and deleted later.
  for (ToolsPalette* palette : main.findChildren<ToolsPalette*>(Qt::FindDirectChildrenOnly)) {
    if (!palette->isHidden()) return palette;
  }
  return nullptr;
}

void installToolsPalette(MainWindow& main, MouseController& mouse) {
  MainWindow* window = &main;
  MouseController* controller = &mouse;
  main.setCommandHandler(ids::kToolsPalette, [window, controller] {
    if (ToolsPalette* open = openPalette(*window)) {
      open->hide();
      open->deleteLater();
      controller->setToolMode(kToolClosed);
    } else {
      auto* palette = new ToolsPalette(*window, *controller);
      palette->show();
      window->mapWidget().setFocus(Qt::OtherFocusReason);
    }
    if (QAction* item = window->action(ids::kToolsPalette)) {
      item->setChecked(openPalette(*window) != nullptr);
    }
  });
}

}  // namespace tikhomap
