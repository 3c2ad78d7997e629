// Numeric ids of the main window's commands, dialogs and controls. Menu items,
// tool windows and tests address every command by these numbers.
#pragma once

namespace tikhomap::ids {

// Menu "Вид": the view modes (their values are the view-mode ids of the style
// set), the layer dialog, the tools palette, refresh and exit.
inline constexpr int kViewGraphic = 32812;
inline constexpr int kViewFlat = 32775;
inline constexpr int kViewClockWindows = 32786;
inline constexpr int kViewNewYear = 32823;
inline constexpr int kViewPowerCut = 32824;
inline constexpr int kViewWideWindows = 32825;
inline constexpr int kViewFrame = 32826;
inline constexpr int kViewNight = 32781;
inline constexpr int kLayerDialog = 32822;
// "Тени по настоящему солнцу": shadows of the volumetric views by the real sun.
inline constexpr int kRealShadows = 32903;
// "Инсоляция по норме": walls of dwellings coloured by their screening.
inline constexpr int kInsolationColours = 32921;
inline constexpr int kToolsPalette = 32816;
inline constexpr int kRefresh = 32820;
inline constexpr int kExit = 105;

// Menu "Поиск".
inline constexpr int kStreetSearch = 32774;
inline constexpr int kDistrictChoice = 32800;
inline constexpr int kMicrodistrictChoice = 32773;
inline constexpr int kObjectSearch = 32799;
// The quick search line over the map (Ctrl+F).
inline constexpr int kQuickSearch = 32901;

// Menu "Печать".
inline constexpr int kPrintBlackWhite = 32817;
inline constexpr int kPrintColour = 32818;
// The page that printing would produce, before it is printed.
inline constexpr int kPrintPreview = 32902;

// Menu "Геодезия".
inline constexpr int kCoordinates = 32829;
// "Солнце": hours of sun on the facades of a clicked building.
inline constexpr int kSunTool = 32904;
// "Отчёт об инсоляции (CSV) ...": the screening of every dwelling.
inline constexpr int kInsolationReport = 32922;
inline constexpr int kMeasure = 32815;
inline constexpr int kMeasureAlongStreets = 32828;

// Menu "?".
inline constexpr int kHelp = 32794;
inline constexpr int kAbout = 104;

// Measurement popup "Popup1".
inline constexpr int kUndoLastPoint = 32840;
inline constexpr int kCancelMeasurement = 32839;

// Standard dialog answers.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;

// The progress window and its caption control.
inline constexpr int kProgressDialog = 178;
inline constexpr int kProgressCaption = 1059;

}  // namespace tikhomap::ids
