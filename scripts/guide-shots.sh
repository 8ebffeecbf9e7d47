#!/usr/bin/env bash
# Takes the user guide's pictures from the program of a build: a clean
# session (nimbra-guide-shots.exe, tests/gui/guide_shots.cpp) in a Wine
# prefix of its own (build/wineprefix-guide) under Xvfb, with a few
# realistic schedules and the default settings, the program running as a dry
# run that keeps the normal title (NIMBRA_DRYRUN_UNMARKED). Run by make dist.
#   scripts/guide-shots.sh <program folder> <picture folder>
# The pictures are whole windows, cut from the screen as the session shows
# them; the session fails when a window does not come or the main window's
# title is not the normal one.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
[ $# -eq 2 ] || { echo "usage: $0 <program folder> <picture folder>" >&2; exit 2; }
program=$(cd "$1" && pwd)
mkdir -p "$2"
pictures=$(cd "$2" && pwd)

cmake --preset windows >/dev/null
cmake --build --preset windows -j "$(nproc)" --target nimbra-guide-shots recording_program >/dev/null

export NIMBRA_WINEPREFIX="$root/build/wineprefix-guide"
"$root/scripts/wine-prefix.sh"
. "$root/scripts/wine-env.sh"
# Each session starts from a clean folder and an untouched registry: the
# prefix is made once, the session's files are laid anew.
rm -rf "$WINEPREFIX/drive_c/Nimbra" "$WINEPREFIX/drive_c/録画ソフト"
rm -f "$pictures"/*.png

shots="$root/build/windows/bin/nimbra-guide-shots.exe"
status=0
started=$(date +%s)
# 1280x1024: the settings sheet opens where the main window is and must fit
# below it whole.
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  wineserver -p
  wine "$1" "$(winepath -w "$2")" "$(winepath -w "$3")"
  rc=$?
  wineserver -k 2>/dev/null || true
  exit $rc' _ "$shots" "$program" "$pictures" || status=$?
if [ "$status" -ne 0 ]; then
  echo "guide-shots: the session failed ($status)" >&2
  exit 1
fi
# The session writes its pictures uncompressed: pack them small.
for f in "$pictures"/*.png; do convert "$f" -strip "$f"; done
echo "guide-shots: $(ls "$pictures"/*.png | wc -l) pictures in $pictures ($(($(date +%s) - started)) s)"
