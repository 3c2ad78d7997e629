// The command line of tikhomap-render, the headless renderer that writes one
// composed frame of a map folder to a PNG file, and the printed page of its
// view to a PDF file.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "mapdata/records.h"

namespace tikhomap {

// More threads than this only divide a frame into slivers.
inline constexpr int kMaxFrameThreads = 64;

struct RenderOptions {
  std::string dataDir;
  bool titleSheet = true;         // --title (the default) or --view
  std::optional<MapBounds> view;  // asked-for rectangle, xMin,yMin,xMax,yMax
  int width = 1920;
  int height = 1080;
  std::optional<float> widthMm;  // physical width of the drawing area
  int viewMode = 32786;
  std::optional<int> hour;  // --time HH:MM; the local time otherwise
  int minute = 0;
  // --real-sun DATE: shadows by the real sun of that date (YYYY-MM-DD).
  std::optional<std::array<int, 3>> realSunDate;
  int repeat = 0;      // 0 = compose once, no timing line
  int threads = 0;     // threads drawing the frame; 0 = one per core
  std::string output;  // the PNG; optional when a PDF is asked for
  // --pdf: the page as the printer makes it, after the frame is composed.
  std::string pdf;
  bool printBlackWhite = false;  // --print-bw; colour otherwise
  bool paperA3 = false;          // --paper A3; A4 otherwise
  bool landscape = false;
  int dpi = 600;
  // --insolation-report FILE: the insolation screening of every dwelling as
  // CSV, for the year --year (the current one otherwise); no frame needed.
  std::string insolationReport;
  std::optional<int> insolationYear;
  bool help = false;
};

// Parses argv[1..]; on a mistake returns nothing and sets error.
std::optional<RenderOptions> parseRenderOptions(const std::vector<std::string>& args,
                                                std::string& error);

std::string renderUsage();

}  // namespace tikhomap
