#!/usr/bin/env bash
# Builds both targets and runs every test: the native unit tests with g++,
# then the Windows build's tests (the same unit tests plus the Win32 ones and
# the GUI tests) under Wine inside a virtual X display; then packs the release
# (scripts/dist.sh) and installs, upgrades and uninstalls it under Wine.
# Extra arguments go to both ctest runs, e.g. scripts/test.sh -R Profile; a
# run narrowed that way leaves the packages and the install test out.
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

if (($# == 0)); then
  echo "== packages and the install test under Wine"
  "$root/scripts/dist.sh"
  xvfb-run -a -s "-screen 0 1024x768x24" "$root/tests/install/install_test.sh"
fi
