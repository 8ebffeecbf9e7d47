#!/usr/bin/env bash
# Runs the Windows suite under Wine GUI_STRESS_RUNS times in a row (default
# 10) while two busy processes keep the processors loaded, and fails when any
# run fails. A test that waits on time instead of on a condition shows here.
# Extra arguments go to ctest (e.g. -R gui_ for the window tests only).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${GUI_STRESS_RUNS:-10}
logs="$root/build/gui-stress"
mkdir -p "$logs"

busy=()
stop_busy() { for pid in "${busy[@]}"; do kill "$pid" 2>/dev/null; done; }
trap stop_busy EXIT
for _ in 1 2; do
  bash -c 'while :; do :; done' &
  busy+=($!)
done

failed=0
for ((i = 1; i <= runs; i++)); do
  log="$logs/run-$i.log"
  start=$SECONDS
  if xvfb-run -a -s "-screen 0 1024x768x24" "$root/scripts/wine-ctest.sh" "$@" >"$log" 2>&1; then
    echo "gui-stress: run $i of $runs passed ($((SECONDS - start)) s)"
  else
    failed=$((failed + 1))
    echo "gui-stress: run $i of $runs FAILED ($((SECONDS - start)) s), see $log"
    sed -n '/tests failed out of/,$p' "$log"
  fi
done
echo "gui-stress: $failed of $runs runs failed under load"
((failed == 0))
