#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, preset "fuzz") and runs each on a copy
# of its seed corpus from fuzz/corpus/<target>/, either for the given number
# of seconds (default 300) from a random seed, to search, or with
# `--runs N` for N inputs from seed 1, which gives the same inputs on every
# machine: a check that passes once passes always. Prints each target's
# executions; a crash stops the run with the failing input in
# build/fuzz/findings/<target>/ (add it to the seed corpus with its fix).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
if [[ ${1:-} == --runs ]]; then
  limit=(-seed=1 -runs="${2:?--runs needs a number}")
  work_root=build/fuzz/check
else
  limit=(-max_total_time="${1:-300}")
  work_root=build/fuzz/corpus
fi
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"
status=0
for src in fuzz/fuzz_*.cpp; do
  target=$(basename "$src" .cpp)
  work="$work_root/$target"
  findings="build/fuzz/findings/$target"
  # A fixed run starts from the seed corpus alone, never from what an earlier
  # search added.
  [[ $work_root == build/fuzz/check ]] && rm -rf "$work"
  mkdir -p "$work" "$findings"
  cp -n fuzz/corpus/"$target"/* "$work"/ 2>/dev/null || true
  log="build/fuzz/$target.log"
  if "build/fuzz/bin/$target" "${limit[@]}" -timeout=10 -rss_limit_mb=1024 \
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
