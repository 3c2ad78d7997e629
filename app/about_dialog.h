// "About" (dialog 215): the program's icon, its name and who made it.
#pragma once

#include <memory>

#include <QDialog>

namespace tikhomap {

inline constexpr int kAboutDialog = 215;
inline constexpr int kAboutIcon = 300;

std::unique_ptr<QDialog> makeAboutDialog(QWidget* parent);
// Runs it modally; "OK", Esc and the close box all close it.
void runAboutBox(QWidget* parent);

}  // namespace tikhomap
