#!/usr/bin/env bash
# Builds both targets and runs every test: the native unit tests with g++,
# then the Windows build's tests (the same unit tests plus the Win32 ones and
# the GUI tests) under Wine inside a virtual X display.
# Extra arguments go to both ctest runs, e.g. scripts/test.sh -R Profile
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

"$root/scripts/bootstrap.sh"

jobs=$(nproc)
cmake --preset native >/dev/null
cmake --build --preset native -j "$jobs"
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$jobs"

echo "== native tests"
ctest --preset native -j "$jobs" "$@"

echo "== Windows tests under Wine"
xvfb-run -a -s "-screen 0 1024x768x24" "$root/scripts/wine-ctest.sh" "$@"
