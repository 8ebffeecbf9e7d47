#!/usr/bin/env bash
# Runs the Windows build's ctest inside an X display (xvfb-run calls this).
# A persistent wineserver, warmed up once, keeps Wine's helper processes from
# holding ctest's output pipe open and makes each test start quickly.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/wine-env.sh"
wineserver -p
wine cmd /c exit >/dev/null 2>&1
cd "$root"
# A test program that Wine failed to start is started again (scripts/wine-run).
export NIMBRA_WINE_RUN_RETRY=1
ctest --preset windows "$@"
rc=$?
wineserver -k 2>/dev/null
exit $rc
