#!/usr/bin/env bash
# Builds both targets and runs every test: the native unit tests with g++
# (with the short kill-during-save run), the same under AddressSanitizer +
# UndefinedBehaviorSanitizer and (the threaded ones) ThreadSanitizer, each
# fuzz target on the same 30 000 inputs on every machine, then the Windows
# build's tests (the same unit tests plus the Win32 ones, the GUI tests and
# the kill-during-save run) under Wine inside a virtual X display; then packs the release (scripts/dist.sh) and
# installs, upgrades and uninstalls it under Wine. Each step's time is printed.
# Extra arguments go to the ctest runs, e.g. scripts/test.sh -R Profile; a
# run narrowed that way leaves the fuzz targets, the packages and the install
# test out.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

step_start=$SECONDS
step_name=""
step() {
  if [[ -n $step_name ]]; then
    echo "== time: $step_name $((SECONDS - step_start)) s"
  fi
  step_name=$1
  step_start=$SECONDS
  [[ -n $step_name ]] && echo "== $step_name"
  return 0
}

"$root/scripts/bootstrap.sh"

jobs=$(nproc)
# Every build here treats a warning in our own code as an error (g++,
# mingw-w64 and, for the fuzz targets, clang); the setting stays in each build
# folder's cache. A plain `cmake --preset` in a fresh folder only warns.
step "build (native, Windows)"
cmake --preset native -DNIMBRA_WERROR=ON >/dev/null
cmake --build --preset native -j "$jobs"
cmake --preset windows -DNIMBRA_WERROR=ON >/dev/null
cmake --build --preset windows -j "$jobs"

step "native tests"
ctest --preset native -j "$jobs" "$@"

# The native suite under the sanitizers, then every fuzz target briefly from
# its seed corpus, so that a regression shows in CI (the long runs are
# `make sanitize` and `make fuzz`).
step "native tests under the sanitizers"
"$root/scripts/sanitize.sh" "$@"
if (($# == 0)); then
  step "fuzz targets, ${FUZZ_RUNS:-30000} fixed inputs each"
  cmake --preset fuzz -DNIMBRA_WERROR=ON >/dev/null
  "$root/scripts/fuzz.sh" --runs "${FUZZ_RUNS:-30000}"
fi

step "Windows tests under Wine"
xvfb-run -a -s "-screen 0 1024x768x24" "$root/scripts/wine-ctest.sh" "$@"

if (($# == 0)); then
  step "packages and the install test under Wine"
  "$root/scripts/dist.sh"
  xvfb-run -a -s "-screen 0 1024x768x24" "$root/tests/install/install_test.sh"
fi
step ""
echo "== all tests passed in $SECONDS s"
