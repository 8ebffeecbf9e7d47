#!/usr/bin/env bash
# Installs, upgrades and uninstalls the packaged installer under Wine, in a
# Wine prefix of its own under build/install-test (never the machine's own
# registry or the tests' prefix). Needs a display (scripts/test.sh runs it
# inside xvfb-run) and build/dist from scripts/dist.sh.
#
#  1. silent install: the files (the same bytes as the packed ones), the
#     Start-menu shortcut, the Uninstall entry and the Run value;
#  2. the installed program starts (its power requests only written to a log)
#     and, closed, saves Nimbra.ini beside itself, asking for no power action;
#  3. an upgrade while it runs closes it and keeps Nimbra.ini with all it holds;
#     an upgrade after the user turned "start with Windows" off keeps it off;
#     an upgrade of a version that kept its guide in docs\ and its texts and
#     uninstaller beside the program removes those;
#  4. a silent uninstall while it runs closes it and leaves only the user's
#     own files, Nimbra.ini and the journal Nimbra-journal.txt;
#     the Start-menu folder, the Uninstall entry, the Run value and the
#     program's file type are gone; each iEPG extension that still names the
#     program gets back the handler recorded in Nimbra.ini, unless that is a
#     file type that runs what it opens (it is removed instead), and one the
#     user gave to another program since stays with it;
#  5. a silent install into a folder that other accounts may write to is
#     refused; into an existing folder of its own files it writes and removes
#     only Nimbra's, and the uninstall knows the open command as earlier
#     versions wrote it (the path unquoted).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
dist="$root/build/dist"
shopt -s nullglob
setups=("$dist"/Nimbra-*-setup.exe)
shopt -u nullglob
[ ${#setups[@]} -eq 1 ] || { echo "install test: expected one installer in $dist (run make dist)" >&2; exit 1; }
setup="${setups[0]}"
version=$(basename "$setup" -setup.exe); version=${version#Nimbra-}
stage="$dist/Nimbra-$version"

work="$root/build/install-test"
rm -rf "$work"
mkdir -p "$work"
export NIMBRA_WINEPREFIX="$work/wineprefix"
"$root/scripts/wine-prefix.sh" >/dev/null
. "$root/scripts/wine-env.sh"
wineserver -p
wine cmd /c exit >/dev/null 2>&1
program_pid=""
cleanup() {
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null
  wineserver -k 2>/dev/null || true
}
trap cleanup EXIT

checks=0
ok() { checks=$((checks + 1)); }
fail() { echo "install test: FAIL: $*" >&2; exit 1; }
expect_eq() {  # what, actual, expected
  [ "$2" == "$3" ] || fail "$1: got '$2', expected '$3'"
  ok
}

x86_64-w64-mingw32-gcc-posix -O2 -municode -o "$work/window_tool.exe" "$root/tests/install/window_tool.c"
window_tool() { wine "$work/window_tool.exe" "$@"; }

winenv() { wine cmd /c echo "%$1%" 2>/dev/null | tr -d '\r'; }
localappdata_w=$(winenv LOCALAPPDATA)
appdata_w=$(winenv APPDATA)
inst_w="$localappdata_w\\Programs\\Nimbra"
inst=$(winepath -u "$inst_w"); inst=${inst%/}
menu="$(winepath -u "$appdata_w")/Microsoft/Windows/Start Menu/Programs/Nimbra"

uninst_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Nimbra'
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
classes='HKCU\Software\Classes'

# A registry value's data ("" with status 1 when the value is missing);
# name "" reads the key's default value.
reg_get() {
  local out
  if [ -z "$2" ]; then
    out=$(wine reg query "$1" /ve 2>/dev/null) || return 1
  else
    out=$(wine reg query "$1" /v "$2" 2>/dev/null) || return 1
  fi
  out=$(printf '%s\n' "$out" | tr -d '\r' | grep -a -m1 'REG_') || return 1
  printf '%s' "$out" | LC_ALL=C sed 's/^.*[[:space:]]REG_[A-Z_]*[[:space:]]\{0,4\}//'
}
reg_set() {  # key, name ("" = default), data
  if [ -z "$2" ]; then wine reg add "$1" /ve /d "$3" /f >/dev/null 2>&1
  else wine reg add "$1" /v "$2" /d "$3" /f >/dev/null 2>&1; fi
}
expect_reg() {  # key, name, expected data
  local got
  got=$(reg_get "$1" "$2") || fail "$1 [$2] is missing"
  expect_eq "$1 [$2]" "$got" "$3"
}
expect_no_reg() {  # key, name
  if reg_get "$1" "$2" >/dev/null; then fail "$1 [$2] is still there"; fi
  ok
}
expect_no_key() {
  if wine reg query "$1" >/dev/null 2>&1; then fail "$1 is still there"; fi
  ok
}

run_setup() {
  wine "$(winepath -w "$setup")" /S || fail "the installer ended with status $?"
  ok
}

# Starts the installed program with a power service that only writes its
# requests down, and waits for its window.
start_program() {
  NIMBRA_POWER_LOG="$(winepath -w "$work/power.log")" wine "$inst_w\\Nimbra.exe" >/dev/null 2>&1 &
  program_pid=$!
  window_tool wait NimbraMainFrame 60 || fail "the installed program showed no main window"
  ok
}
# Waits for the program started above to end; fails when it outlives the wait.
expect_program_ended() {
  local i
  for ((i = 0; i < 300; i++)); do
    kill -0 "$program_pid" 2>/dev/null || break
    sleep 0.2
  done
  kill -0 "$program_pid" 2>/dev/null && fail "the program is still running ($1)"
  wait "$program_pid" || fail "the program ended with status $? ($1)"
  program_pid=""
  ok
}

expect_installed_files() {
  local f
  local dir=${1:-$inst} dir_w=${2:-$inst_w}
  for f in Nimbra.exe Pelluxdlg.dll Pellux.dll Nimbra-docs/license.txt Nimbra-docs/readme.txt \
    Nimbra-docs/index.html; do
    cmp -s "$stage/$f" "$dir/$f" || fail "$dir/$f differs from the packed one or is missing"
    ok
  done
  [ -f "$dir/Nimbra-uninstall.exe" ] || fail "no Nimbra-uninstall.exe"
  ok
  [ -f "$menu/Nimbra.lnk" ] || fail "no Start-menu shortcut in $menu"
  # A shell link keeps its target's path as ANSI and as UTF-16 text.
  local target=${dir_w//\\/\\\\}'\\Nimbra\.exe'
  LC_ALL=C grep -aqi "$target" "$menu/Nimbra.lnk" ||
    iconv -f UTF-16LE -t UTF-8 "$menu/Nimbra.lnk" 2>/dev/null | grep -aqi "$target" ||
    fail "the shortcut does not start $dir_w\\Nimbra.exe"
  ok
  expect_reg "$uninst_key" DisplayName "Nimbra"
  expect_reg "$uninst_key" DisplayVersion "$version"
  expect_reg "$uninst_key" InstallLocation "$dir_w"
  expect_reg "$uninst_key" UninstallString "\"$dir_w\\Nimbra-uninstall.exe\""
}
# Runs the uninstaller of folder (Windows path) and waits for it to finish:
# it runs on from a copy of itself.
run_uninstall() {
  wine "$1\\Nimbra-uninstall.exe" /S || fail "the uninstaller ended with status $?"
  local dir i
  dir=$(winepath -u "$1"); dir=${dir%/}
  for ((i = 0; i < 300; i++)); do
    [ -e "$dir/Nimbra-uninstall.exe" ] || wine reg query "$uninst_key" >/dev/null 2>&1 || break
    sleep 0.2
  done
  ok
}

ini_has() { LC_ALL=C grep -q "$1" "$inst/Nimbra.ini"; }

echo "== install test: $(basename "$setup") in $WINEPREFIX"

# 1. A fresh silent install.
run_setup
expect_installed_files
expect_reg "$run_key" Nimbra "\"$inst_w\\Nimbra.exe\" /tray"
[ ! -e "$inst/Nimbra.ini" ] || fail "the installer wrote a settings file"
ok

# 2. The installed program runs and saves its settings beside itself.
start_program
window_tool close NimbraMainFrame 10 || fail "could not close the program"
expect_program_ended "closed"
[ -f "$inst/Nimbra.ini" ] || fail "the program saved no Nimbra.ini beside itself"
ok
if [ -f "$work/power.log" ] && grep -qE '^(suspend|shutdown)' "$work/power.log"; then
  fail "the program asked for a power action: $(cat "$work/power.log")"
fi
ok

# 3. Upgrades over the installation, the first over what an earlier version
# left: the guide in docs\, the texts and its uninstaller beside the program.
printf '\r\n[INSTALL_CHECK]\r\nkeep=1\r\n' >> "$inst/Nimbra.ini"
mkdir -p "$inst/docs/images"
cp "$stage/Nimbra-docs/index.html" "$stage/Nimbra-docs/style.css" "$inst/docs/"
cp "$stage/Nimbra-docs/license.txt" "$stage/Nimbra-docs/readme.txt" "$inst/"
cp "$stage"/Nimbra-docs/images/*.png "$inst/docs/images/"
cp "$inst/Nimbra-uninstall.exe" "$inst/uninstall.exe"
reg_set "$uninst_key" UninstallString "\"$inst_w\\uninstall.exe\""
start_program
run_setup
expect_program_ended "upgrade"
ini_has '^keep=1' || fail "the upgrade lost what Nimbra.ini held"
ok
for f in docs license.txt readme.txt uninstall.exe; do
  [ ! -e "$inst/$f" ] || fail "the upgrade left the earlier version's $f"
  ok
done
expect_installed_files
expect_reg "$run_key" Nimbra "\"$inst_w\\Nimbra.exe\" /tray"

wine reg delete "$run_key" /v Nimbra /f >/dev/null 2>&1
run_setup
expect_no_reg "$run_key" Nimbra
ini_has '^keep=1' || fail "the second upgrade lost what Nimbra.ini held"
ok

# 4. Uninstall, with the iEPG extensions as the program leaves them: .tvvi
# taken over from a per-user handler, .tvpi whose recorded handler was
# changed by hand in Nimbra.ini to run files as programs, .tvpid that had
# none, .php3 from the
# machine's handler, .epg given to another program by the user since.
reg_set "$run_key" Nimbra "\"$inst_w\\Nimbra.exe\" /tray"
reg_set "$classes\\Tz_auto" "" "nimbra file"
reg_set "$classes\\Tz_auto\\shell\\open\\Command" "" "\"$inst_w\\Nimbra.exe\" \"%1\""
reg_set "$classes\\tvvifile\\shell\\open\\command" "" "\"C:\\TV\\viewer.exe\" \"%1\""
reg_set 'HKLM\Software\Classes\.php3' "" "php3file"
for ext in .tvvi .tvpi .tvpid .php3; do reg_set "$classes\\$ext" "" "Tz_auto"; done
reg_set "$classes\\.epg" "" "OtherViewer.epg"
perl -0777 -i -pe '
  my $previous = "[EPG_MANEGEMENT]\r\n.tvvi=tvvifile\r\n.tvpi=exefile\r\n.php3=php3file\r\n.epg=epgfile\r\n.tvpid=\r\n";
  s/\[EPG_MANEGEMENT\]\r?\n[^\[]*/$previous/i or $_ .= "\r\n$previous";
' "$inst/Nimbra.ini"
start_program
run_uninstall "$inst_w"
expect_program_ended "uninstall"
left=$(cd "$inst" && find . -mindepth 1 -printf '%P\n' | sort | paste -sd' ')
expect_eq "what the uninstall left" "$left" "Nimbra-journal.txt Nimbra.ini"
ini_has '^keep=1' || fail "the uninstall changed what Nimbra.ini held"
ok
[ ! -e "$menu" ] || fail "the Start-menu folder is still there"
ok
expect_no_key "$uninst_key"
expect_no_reg "$run_key" Nimbra
expect_no_key "$classes\\Tz_auto"
expect_reg "$classes\\.tvvi" "" "tvvifile"
expect_no_key "$classes\\.tvpi"
expect_no_key "$classes\\.tvpid"
expect_no_reg "$classes\\.php3" ""
expect_reg 'HKCR\.php3' "" "php3file"
expect_reg "$classes\\.epg" "" "OtherViewer.epg"

# 5. A folder with files of its own (a guide folder, texts and an
# uninstaller by the common names), first open to every account's writes.
tools_w='C:\Tools'
tools=$(winepath -u "$tools_w"); tools=${tools%/}
mkdir -p "$tools/docs"
printf 'its own guide' > "$tools/docs/index.html"
printf 'its own readme' > "$tools/readme.txt"
printf 'its own license' > "$tools/license.txt"
printf 'its own uninstaller' > "$tools/uninstall.exe"
tools_files() { (cd "$tools" && find . -mindepth 1 \( -type f -printf '%P=' -exec cat {} \; -printf '\n' \) -o -printf '%P/\n' | sort); }
before=$(tools_files)
chmod 0777 "$tools"
if wine "$(winepath -w "$setup")" /S "/D=$tools_w"; then fail "the installer took a folder every account can write to"; fi
ok
expect_eq "the refused folder" "$(tools_files)" "$before"
expect_no_key "$uninst_key"
chmod 0755 "$tools"
wine "$(winepath -w "$setup")" /S "/D=$tools_w" || fail "the installer ended with status $? in $tools_w"
ok
expect_installed_files "$tools" "$tools_w"
for f in docs/index.html readme.txt license.txt uninstall.exe; do
  expect_eq "its own $f" "$(cat "$tools/$f")" "$(printf '%s' "$before" | sed -n "s|^$f=||p")"
done
# The file type as an earlier version wrote it, with the path unquoted.
reg_set "$classes\\Tz_auto\\shell\\open\\Command" "" "$tools_w\\Nimbra.exe \"%1\""
reg_set "$classes\\.tvpi" "" "Tz_auto"
run_uninstall "$tools_w"
expect_eq "what the uninstall left in $tools_w" "$(tools_files)" "$before"
expect_no_key "$classes\\Tz_auto"
expect_no_key "$classes\\.tvpi"

echo "install test: all $checks checks passed"
