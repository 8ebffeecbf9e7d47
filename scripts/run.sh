#!/usr/bin/env bash
# Builds the Windows program and runs it under Wine.
#   On a desktop ($DISPLAY set): Nimbra.exe opens on it; arguments are passed
#   on (for example an iEPG file). It runs until you exit it (ﾌｧｲﾙ > 終了).
#   Without a display: it runs inside a virtual X display for a few seconds,
#   a screenshot is saved to build/screenshots/, and it is closed again.
# The program lives in build/windows/bin; its settings file Nimbra.ini
# appears beside it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

"$root/scripts/bootstrap.sh"
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$(nproc)" --target Nimbra Pelluxdlg Pellux

. "$root/scripts/wine-env.sh"
bin="$root/build/windows/bin"

if [ -n "${DISPLAY:-}" ]; then
  cd "$bin"
  exec wine Nimbra.exe "$@"
fi

# No display: a virtual one, a screenshot, then an orderly close.
shots="$root/build/screenshots"
mkdir -p "$shots"
shot="$shots/nimbra-$(date +%Y%m%d-%H%M%S).png"
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  set -u
  cd "$1"; shift
  shot="$1"; shift
  wineserver -p
  wine Nimbra.exe "$@" &
  pid=$!
  sleep "${NIMBRA_RUN_SECONDS:-6}"
  xwd -root -silent | /usr/bin/convert xwd:- "png:$shot"
  wine taskkill /im Nimbra.exe >/dev/null 2>&1 || true
  for _ in $(seq 1 20); do kill -0 "$pid" 2>/dev/null || break; sleep 0.5; done
  kill "$pid" 2>/dev/null || true
  wineserver -k 2>/dev/null || true
' run "$bin" "$shot" "$@"
echo "screenshot: $shot"
