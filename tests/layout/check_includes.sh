#!/usr/bin/env bash
# Includes run one way: core ← raster ← session ← app. The core knows no Qt,
# the pixel engine knows neither the session nor the shell, the session
# knows no shell, and only the shell reaches the widgets and the printer.
# Prints every include that runs the wrong way and fails if there is one.
set -uo pipefail
cd "$(dirname "$0")/../.."
core="mapdata view render search tools print gpkg citygen tkminfo osm2tkm"
bad=0
wrong() {  # FOLDERS PATTERN WHAT
  local hits
  # shellcheck disable=SC2086
  hits=$(grep -rnE --include='*.cpp' --include='*.h' "$2" $1 2>/dev/null)
  if [ -n "$hits" ]; then
    echo "includes that run the wrong way ($3):"
    echo "$hits"
    bad=1
  fi
}
wrong "$core" '^#include <Q' "Qt in the core"
wrong "$core" '^#include "(raster|session|app)/' "the core reaching up"
wrong raster '^#include "(session|app)/' "the engine reaching up"
wrong "raster session" '^#include <(QWidget|QApplication|QPrinter|QDialog|QMainWindow)' \
  "widgets or the printer below the shell"
wrong session '^#include "app/' "the session reaching into the shell"
exit $bad
