#!/usr/bin/env bash
# Builds and runs the native tests under AddressSanitizer + UndefinedBehavior-
# Sanitizer (preset "asan") and under ThreadSanitizer (preset "tsan"; the
# suites with threads: the countdown worker and the scheduler's joins).
# Extra arguments go to the asan ctest run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
jobs=$(nproc)
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1}

echo "== native tests under AddressSanitizer + UndefinedBehaviorSanitizer"
cmake --preset asan >/dev/null
cmake --build --preset asan -j "$jobs"
ctest --preset asan -j "$jobs" -E KillDuringSave "$@"

echo "== threaded native tests under ThreadSanitizer"
cmake --preset tsan >/dev/null
cmake --build --preset tsan -j "$jobs" --target nimbra_engine_tests
ctest --preset tsan -j "$jobs" -R '(^|/)(CountdownTest|EndActionTest|PowerControlTest|SchedulerTest)\.'
