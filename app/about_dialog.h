// "About" (dialog 215): the program's icon, its name and who made it.
#pragma once

#include <memory>

#include <QDialog>

#include "mapdata/city_info.h"

namespace tikhomap {

inline constexpr int kAboutDialog = 215;
inline constexpr int kAboutIcon = 300;

// The name line names the town of city (the built-in city without one).
std::unique_ptr<QDialog> makeAboutDialog(QWidget* parent, const CityInfo& city = {});
// Runs it modally; "OK", Esc and the close box all close it.
void runAboutBox(QWidget* parent, const CityInfo& city = {});

}  // namespace tikhomap
