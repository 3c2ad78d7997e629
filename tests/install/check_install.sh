#!/usr/bin/env bash
# Installs the build tree given as $1 into a temporary prefix and checks what
# a user gets: the five programs with their manual pages, a valid desktop
# entry, the icon in every size, and a sample city the installed programs read.
set -euo pipefail
build="$1"
prefix="$(mktemp -d "${TMPDIR:-/tmp}/tikhomap-install.XXXXXX")"
trap 'rm -rf "$prefix"' EXIT
fail() {
  echo "install_tree: $*" >&2
  exit 1
}

cmake --install "$build" --prefix "$prefix" >"$prefix.log" 2>&1 || {
  cat "$prefix.log" >&2
  rm -f "$prefix.log"
  fail "cmake --install failed"
}
rm -f "$prefix.log"

for program in tikhomap tikhomap-render citygen tkminfo osm2tkm; do
  [ -x "$prefix/bin/$program" ] || fail "bin/$program missing"
  page="$prefix/share/man/man1/$program.1"
  [ -f "$page" ] || fail "manual page $program.1 missing"
  # The page renders without a complaint of man or groff, and names its program.
  rendered="$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>"$prefix.err")" ||
    fail "man cannot render $program.1: $(cat "$prefix.err")"
  [ ! -s "$prefix.err" ] || fail "man warns on $program.1: $(cat "$prefix.err")"
  grep -q "^NAME" <<<"$rendered" || fail "$program.1 has no NAME section"
  grep -q "^ *$program " <<<"$rendered" || fail "$program.1 does not name $program"
done
rm -f "$prefix.err"
desktop="$prefix/share/applications/tikhomap.desktop"
[ -f "$desktop" ] || fail "desktop entry missing"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$desktop" || fail "desktop entry not valid"
else
  fail "desktop-file-validate not installed (scripts/bootstrap installs it)"
fi
grep -q '^Exec=tikhomap' "$desktop" || fail "desktop entry does not start tikhomap"
grep -q '^Icon=tikhomap$' "$desktop" || fail "desktop entry names another icon"

icons="$prefix/share/icons/hicolor"
grep -q '<svg' "$icons/scalable/apps/tikhomap.svg" || fail "SVG icon missing"
for size in 16 22 24 32 48 64 128 256 512; do
  png="$icons/${size}x${size}/apps/tikhomap.png"
  [ -f "$png" ] || fail "icon ${size}x${size} missing"
  # Width and height are the PNG header's bytes 16..23.
  dims="$(od -An -tu1 -j16 -N8 "$png" | tr -s ' ')"
  expected=" 0 0 $((size / 256)) $((size % 256)) 0 0 $((size / 256)) $((size % 256))"
  [ "$dims" = "$expected" ] || fail "icon ${size}x${size} has the header$dims"
done

city="$prefix/share/tikhomap/city"
for file in 1 2 3 4 5 6 7 8 sign user tema; do
  [ -s "$city/$file.tkm" ] || fail "sample city lacks $file.tkm"
done
"$prefix/bin/tkminfo" "$city" >/dev/null || fail "tkminfo cannot read the sample city"
"$prefix/bin/tikhomap" --help >/dev/null || fail "tikhomap --help fails"
"$prefix/bin/tikhomap-render" --data "$city" --size 400x300 -o "$prefix/frame.png" >/dev/null ||
  fail "tikhomap-render cannot draw the sample city"
[ -s "$prefix/frame.png" ] || fail "no frame drawn"
echo "install_tree: ok"
