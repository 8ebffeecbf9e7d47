#!/usr/bin/env bash
# Builds the release configuration (optimised for size, stripped) and packs it
# into build/dist/:
#   Nimbra-<version>-win64.zip    the portable folder Nimbra-<version>/
#   Nimbra-<version>-setup.exe    the per-user installer (NSIS)
#   SHA256SUMS.txt                the SHA-256 sums of both
# Both hold the three files and, in the folder Nimbra-docs, the Japanese
# guide with the GUI tests' screenshots, the license and a readme that Notepad
# shows correctly (UTF-8 with a byte order mark, CRLF line ends). Screenshots missing from
# build/windows/screenshots are made first by running the GUI tests.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

"$root/scripts/bootstrap.sh"

jobs=$(nproc)
cmake --preset windows-release >/dev/null
cmake --build --preset windows-release -j "$jobs"

release="$root/build/windows-release"
version=$(sed -n 's/^#define NIMBRA_VERSION_TEXT "\(.*\)"$/\1/p' "$release/generated/nimbra_version.h")
[ -n "$version" ] || { echo "dist: no version in $release/generated/nimbra_version.h" >&2; exit 1; }

# The screenshots the guide shows, by the names the GUI tests give them.
shots="$root/build/windows/screenshots"
mapfile -t wanted < <(grep -oh 'images/[a-z0-9-]*\.png' "$root"/docs/ja/*.html | sort -u | sed 's|images/||')
missing=()
for f in "${wanted[@]}"; do [ -f "$shots/$f" ] || missing+=("$f"); done
if ((${#missing[@]})); then
  echo "dist: making the screenshots with the GUI tests (${missing[*]})"
  cmake --preset windows >/dev/null
  cmake --build --preset windows -j "$jobs"
  xvfb-run -a -s "-screen 0 1024x768x24" "$root/scripts/wine-ctest.sh" \
    -R '^(DialogTest|CountdownWindowTest|EndToEndTest|SettingsSheetTest|PluginSheetTest)\.' >/dev/null || true
  for f in "${wanted[@]}"; do
    [ -f "$shots/$f" ] || { echo "dist: the GUI tests made no $shots/$f" >&2; exit 1; }
  done
fi

out="$root/build/dist"
name="Nimbra-$version"
stage="$out/$name"
rm -rf "$out"
docs="$stage/Nimbra-docs"
mkdir -p "$docs/images"

for f in Nimbra.exe Pelluxdlg.dll Pellux.dll; do
  cp "$release/bin/$f" "$stage/$f"
done

# Text for Notepad: a byte order mark and CRLF line ends.
notepad_text() { printf '\xef\xbb\xbf'; sed -e "s/@VERSION@/$version/g" -e 's/$/\r/' "$1"; }
notepad_text "$root/packaging/readme.txt" > "$docs/readme.txt"
notepad_text "$root/packaging/license.txt" > "$docs/license.txt"

cp "$root"/docs/ja/*.html "$root"/docs/ja/*.css "$docs/"
sed -i "s/@VERSION@/$version/g" "$docs"/*.html
# The sheet's screenshots show the whole virtual screen: cut them to the
# window (trim the black desktop around it), which also packs them small.
for f in "${wanted[@]}"; do
  convert "$shots/$f" -bordercolor black -border 1 -trim +repage "$docs/images/$f"
done

# One fixed time stamp for every packed file, so that two packings of the same
# build differ in nothing but what changed.
find "$stage" -exec touch -h -d "@$(git -C "$root" log -1 --format=%ct 2>/dev/null || date +%s)" {} +

zip_file="$name-win64.zip"
setup_file="$name-setup.exe"
(cd "$out" && find "$name" -print | LC_ALL=C sort | zip -q -X -9 "$zip_file" -@)

makensis -INPUTCHARSET UTF8 -V2 \
  "-DVERSION=$version" "-DSTAGE=$stage" "-DICON=$root/src/app/win/res/nimbra.ico" \
  "-DOUTFILE=$out/$setup_file" "$root/packaging/nimbra.nsi"

(cd "$out" && sha256sum "$zip_file" "$setup_file" > SHA256SUMS.txt)

echo "dist: packages in $out"
(cd "$out" && for f in "$zip_file" "$setup_file"; do
  printf '  %-28s %8d bytes\n' "$f" "$(stat -c %s "$f")"
done)
total=0
for f in Nimbra.exe Pelluxdlg.dll Pellux.dll; do total=$((total + $(stat -c %s "$stage/$f"))); done
printf '  the three program files together: %d bytes\n' "$total"
