// The tools palette (dialog 266): four picture buttons choosing the mouse
// tool (arrow, zoom out, zoom rectangle, pan) and a fifth that opens the
// street and house search. It stands at the map's right edge; its close box
// and Esc ask the main window to close it through "Инструменты" (32816).
#pragma once

#include <QDialog>
#include <array>

class QToolButton;

namespace tikhomap {

class MainWindow;
class Shell;
class MouseController;

inline constexpr int kPaletteDialog = 266;
inline constexpr int kPaletteArrow = 1249;
inline constexpr int kPaletteZoomOut = 1250;
inline constexpr int kPaletteZoomRect = 1253;
inline constexpr int kPalettePan = 1252;
inline constexpr int kPaletteSearch = 1251;

class ToolsPalette final : public QDialog {
  Q_OBJECT
 public:
  ToolsPalette(Shell& shell, MouseController& mouse);

  // The button of the current tool pushed, the others released; the map
  // gets the tool's cursor.
  void showToolState();
  QToolButton* button(int id) const;

  void reject() override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  Shell& shell_;
  MouseController& mouse_;
  std::array<QToolButton*, 4> tools_{};
};

// Connects "Инструменты" (32816): it opens the palette, or closes it and
// leaves no tool chosen. The menu item is checked exactly while the palette
// is open.
void installToolsPalette(MainWindow& main, MouseController& mouse);
// The open palette of this main window, or null.
ToolsPalette* openPalette(MainWindow& main);

}  // namespace tikhomap
