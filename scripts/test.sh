#!/usr/bin/env bash
# Builds both targets and runs every test: the native unit tests with g++,
# the same under AddressSanitizer + UndefinedBehaviorSanitizer and (the
# threaded ones) ThreadSanitizer, each fuzz target for 15 s, then the Windows
# build's tests (the same unit tests plus the Win32 ones and
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

# The native suite under the sanitizers, then every fuzz target briefly from
# its seed corpus, so that a regression shows in CI (the long runs are
# `make sanitize` and `make fuzz`).
"$root/scripts/sanitize.sh" "$@"
echo "== fuzz targets, ${FUZZ_SECONDS:-15} s each"
"$root/scripts/fuzz.sh" "${FUZZ_SECONDS:-15}"

echo "== Windows tests under Wine"
xvfb-run -a -s "-screen 0 1024x768x24" "$root/scripts/wine-ctest.sh" "$@"
