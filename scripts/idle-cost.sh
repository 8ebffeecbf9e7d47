#!/usr/bin/env bash
# What an idle Nimbra costs: the program's CPU time and the Wine server's
# over a minute of idling with 100 schedules ahead (a generated Nimbra.ini in a
# scratch folder, the program started as a dry run in a virtual display),
# side by side with idle-window.exe, a window that runs the same 200 ms timer
# and nothing else. The two take turns for a few rounds and the medians are
# compared, since the Wine server's CPU time swings with whatever else the
# machine does. Then one traced run of each counts the Wine server requests
# per tick: a figure no load can change.
#   scripts/idle-cost.sh [seconds]        (per round, default 40)
#   NIMBRA_IDLE_ROUNDS=<n>                rounds (default 5)
#   NIMBRA_IDLE_WARMUP=<s>                seconds before measuring (default 25:
#                                         the prefix's own programs settle)
#   NIMBRA_IDLE_BIN=<folder>              measure the Nimbra.exe (with its
#                                         DLLs) of another build instead
# Its own Wine prefix (build/wineprefix-idle), so no other Wine program shares
# the server being measured.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
seconds=${1:-40}
rounds=${NIMBRA_IDLE_ROUNDS:-5}
warmup=${NIMBRA_IDLE_WARMUP:-25}

"$root/scripts/bootstrap.sh" >/dev/null
cmake --preset windows >/dev/null
if [ -n "${NIMBRA_IDLE_BIN:-}" ]; then
  cmake --build --preset windows -j 2 --target idle-window >/dev/null
else
  cmake --build --preset windows -j 2 --target Nimbra Pelluxdlg Pellux idle-window >/dev/null
fi

export NIMBRA_WINEPREFIX="$root/build/wineprefix-idle"
"$root/scripts/wine-prefix.sh"
. "$root/scripts/wine-env.sh"

bin=${NIMBRA_IDLE_BIN:-$root/build/windows/bin}
scratch="$root/build/idle-cost"
rm -rf "$scratch"
mkdir -p "$scratch/nimbra" "$scratch/yardstick"
cp "$bin/Nimbra.exe" "$bin/Pelluxdlg.dll" "$bin/Pellux.dll" "$scratch/nimbra/"
cp "$root/build/windows/bin/idle-window.exe" "$scratch/yardstick/"

# 100 one-shot schedules of 30 minutes, one an hour from tomorrow on: all
# ahead, none near, so the minute is pure idling.
first=$(TZ=JST-9 date -d 'tomorrow 00:00' +%s)
{
  printf '[APP_MNG_INFO]\r\nuser_enable=1\r\nitem_num_max=100\r\nsel_ext=0\r\nreg_bk_flag=1\r\n'
  printf '[TV_REC_SCHEDULE]\r\nsch_num=100\r\n'
  for i in $(seq 0 99); do
    s=$((first + i * 3600))
    printf 'sch_title[%d]=idle %03d\r\nsch_start[%d]=%d\r\nsch_end[%d]=%d\r\n' \
      "$i" "$i" "$i" "$s" "$i" $((s + 1800))
    printf 'sch_loop_f[%d]=0\r\nsch_loop_meth[%d]=0\r\nsch_b_wday[%d]=0\r\n' "$i" "$i" "$i"
    printf 'sch_kikan_f[%d]=0\r\nsch_kikan_s[%d]=0\r\nsch_kikan_e[%d]=0\r\n' "$i" "$i" "$i"
  done
} > "$scratch/nimbra/Nimbra.ini"

xvfb-run -a -s "-screen 0 1024x768x24" bash -s "$scratch" "$seconds" "$warmup" "$rounds" <<'INNER'
set -euo pipefail
scratch=$1 seconds=$2 warmup=$3 rounds=$4
# A server kept running (-p) would hold this script's output open.
trap 'wineserver -k 2>/dev/null || true' EXIT

# CPU time in nanoseconds of a process, all its threads.
cpu_ns() {
  local total=0 t
  for t in /proc/"$1"/task/*/schedstat; do
    read -r run _ < "$t" 2>/dev/null || continue
    total=$((total + run))
  done
  echo "$total"
}
# The Wine server of this prefix: it works in a folder named after the
# prefix's device and inode.
server_pid() {
  local p dir
  dir=$(printf 'server-%x-%x' $(stat -c '%d %i' "$WINEPREFIX"))
  for p in $(pgrep -x 'wineserver(64)?'); do
    case $(readlink /proc/"$p"/cwd 2>/dev/null) in
      */"$dir") echo "$p"; return ;;
    esac
  done
}

# measure <folder> <exe> [args]: prints "<program ms> <server ms>".
measure() {
  local dir=$1 exe=$2; shift 2
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  wineserver -p
  wine cmd /c exit >/dev/null 2>&1 || true
  start "$dir" "$exe" "$@"
  local server
  server=$(server_pid)
  if [ -z "$server" ]; then echo "idle-cost: no Wine server found" >&2; exit 1; fi
  sleep "$warmup"
  local p0 s0 p1 s1 written
  # Files of the program's folder written while idling (the journal, the
  # settings, the dry run's log): an idle tick writes none.
  touch "$dir/.idle-mark"
  p0=$(cpu_ns "$pid"); s0=$(cpu_ns "$server")
  sleep "$seconds"
  p1=$(cpu_ns "$pid"); s1=$(cpu_ns "$server")
  written=$(find "$dir" -type f -newer "$dir/.idle-mark" ! -name .idle-mark -printf '%f,' | sed 's/,$//')
  kill -0 "$pid" 2>/dev/null || { echo "idle-cost: $exe ended while idling" >&2; exit 1; }
  wineserver -k 2>/dev/null || true
  wait "$launcher" 2>/dev/null || true
  echo "$(( (p1 - p0) / 1000000 )) $(( (s1 - s0) / 1000000 )) ${written:-none}"
}

# The process of that name that runs in this prefix: the Windows tests may
# run a Nimbra.exe of their own at the same time.
prefix_pid() {
  local p
  for p in $(pgrep -x "$1"); do
    if tr '\0' '\n' <"/proc/$p/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX"; then
      echo "$p"
      return
    fi
  done
}

# start <folder> <exe> [args]: starts the program; sets pid and launcher.
start() {
  local dir=$1 exe=$2; shift 2
  # (Wine's own messages go to a file: with them thrown away, a traced
  # program's requests went unrecorded.)
  (cd "$dir" && exec wine "$exe" "$@") >/dev/null 2>"$scratch/$exe.wine-messages" &
  launcher=$!
  pid=""
  # A traced start on a loaded machine takes a while.
  for _ in $(seq 1 300); do
    pid=$(prefix_pid "${exe:0:15}")
    [ -n "$pid" ] && break
    sleep 0.1
  done
  if [ -z "$pid" ]; then echo "idle-cost: $exe did not start" >&2; exit 1; fi
}

# requests <folder> <exe> [args]: prints the Wine server requests per tick
# of the program over ten idle seconds. Only the program is traced: the
# server runs before it starts, so its output holds the program's requests.
requests() {
  local dir=$1 exe=$2; shift 2
  local log="$scratch/$exe.server-trace" a b
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  wineserver -p 2>"$log"
  wine cmd /c exit >/dev/null 2>&1 || true
  WINEDEBUG=+server start "$dir" "$exe" "$@"
  sleep "$warmup"
  a=$(wc -l <"$log")
  sleep 10
  b=$(wc -l <"$log")
  wineserver -k 2>/dev/null || true
  wait "$launcher" 2>/dev/null || true
  # A request is a line "<thread>: <name>( ..."; a tick is a WM_TIMER taken
  # from the queue.
  sed -n "$((a + 1)),${b}p" "$log" | awk '
    /^[0-9a-f]+: [a-z_]+\( / { calls++ }
    /get_message\(\) = 0 .*msg=00000113/ { ticks++ }
    END { if (ticks) printf "%.1f %d\n", calls / ticks, ticks; else print "- 0" }'
  rm -f "$log"
}

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

: >"$scratch/rounds"
for ((r = 1; r <= rounds; r++)); do
  read -r np ns nw < <(measure "$scratch/nimbra" Nimbra.exe /dryrun)
  read -r yp ys yw < <(measure "$scratch/yardstick" idle-window.exe)
  echo "$np $ns $yp $ys $nw" >>"$scratch/rounds"
  echo "  round $r of $rounds: Nimbra.exe $np + $ns ms, idle-window.exe $yp + $ys ms" >&2
done
np=$(cut -d' ' -f1 "$scratch/rounds" | median)
ns=$(cut -d' ' -f2 "$scratch/rounds" | median)
yp=$(cut -d' ' -f3 "$scratch/rounds" | median)
ys=$(cut -d' ' -f4 "$scratch/rounds" | median)
nw=$(cut -d' ' -f5 "$scratch/rounds" | tr ',' '\n' | { grep -v '^none$' || true; } | sort -u | paste -sd, -)
read -r nr nt < <(requests "$scratch/nimbra" Nimbra.exe /dryrun)
read -r yr yt < <(requests "$scratch/yardstick" idle-window.exe)
awk -v np="$np" -v ns="$ns" -v yp="$yp" -v ys="$ys" -v s="$seconds" -v r="$rounds" -v nw="${nw:-none}" \
    -v nr="$nr" -v yr="$yr" 'BEGIN {
  printf "idle cost over %d s, median of %d rounds (CPU ms)   program  wineserver  total\n", s, r
  printf "  Nimbra.exe, 100 schedules                  %7d  %10d  %5d\n", np, ns, np + ns
  printf "  idle-window.exe                            %7d  %10d  %5d\n", yp, ys, yp + ys
  if (yp + ys > 0) printf "ratio: %.2fx (goal: at most 1.1x)\n", (np + ns) / (yp + ys)
  printf "Wine server requests per tick: Nimbra.exe %s, idle-window.exe %s\n", nr, yr
  printf "files Nimbra.exe wrote while idling: %s\n", nw
}'
INNER
