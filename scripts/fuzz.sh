#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, preset "fuzz") and runs each for the
# given number of seconds (default 300) on a copy of its seed corpus from
# fuzz/corpus/<target>/. Prints each target's executions; a crash stops the
# run with the failing input in build/fuzz/findings/<target>/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
seconds=${1:-300}
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"
status=0
for src in fuzz/fuzz_*.cpp; do
  target=$(basename "$src" .cpp)
  work="build/fuzz/corpus/$target"
  findings="build/fuzz/findings/$target"
  mkdir -p "$work" "$findings"
  cp -n fuzz/corpus/"$target"/* "$work"/ 2>/dev/null || true
  log="build/fuzz/$target.log"
  if "build/fuzz/bin/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=1024 \
       -max_len=8192 -print_final_stats=1 -artifact_prefix="$findings/" "$work" >"$log" 2>&1; then
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    echo "fuzz: $target: ${execs:-?} executions, no finding"
  else
    echo "fuzz: $target FAILED; see $log and $findings/"
    tail -n 30 "$log"
    status=1
  fi
done
exit $status
