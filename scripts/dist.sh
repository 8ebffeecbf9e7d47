#!/usr/bin/env bash
# Builds the release configuration (optimised for size, stripped) and packs it
# into build/dist/:
#   Nimbra-<version>-win64.zip    the portable folder Nimbra-<version>/
#   Nimbra-<version>-setup.exe    the per-user installer (NSIS)
#   SHA256SUMS.txt                the SHA-256 sums of both
# Both hold the three files and, in the folder Nimbra-docs, the Japanese
# guide with its pictures (taken anew from this build by scripts/guide-shots.sh),
# the license and a readme that Notepad shows correctly (UTF-8 with a byte
# order mark, CRLF line ends). The readme's and the guide's 更新履歴 come
# from CHANGES.
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

# The guide's pictures, taken anew from this build's program in a clean
# session of their own (scripts/guide-shots.sh).
shots="$root/build/guide-shots"
mapfile -t wanted < <(grep -oh 'images/[a-z0-9-]*\.png' "$root"/docs/ja/*.html | sort -u | sed 's|images/||')
"$root/scripts/guide-shots.sh" "$release/bin" "$shots"
for f in "${wanted[@]}"; do
  [ -f "$shots/$f" ] || { echo "dist: the guide's session made no $shots/$f" >&2; exit 1; }
done

# The version history: its top version must be this one.
changes="$root/CHANGES"
top=$(sed -n 's/^== \([^ ]*\).*/\1/p' "$changes" | head -1)
[ "$top" = "$version" ] || {
  echo "dist: CHANGES starts with version '$top', the build is $version: add its changes" >&2
  exit 1
}
changes_text=$(mktemp) changes_html=$(mktemp)
trap 'rm -f "$changes_text" "$changes_html"' EXIT
awk -v form=text -f "$root/scripts/changes.awk" "$changes" > "$changes_text"
awk -v form=html -f "$root/scripts/changes.awk" "$changes" > "$changes_html"

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
notepad_text() {
  printf '\xef\xbb\xbf'
  sed -e "/^@CHANGES@\$/{r $changes_text" -e 'd}' "$1" | sed -e "s/@VERSION@/$version/g" -e 's/$/\r/'
}
notepad_text "$root/packaging/readme.txt" > "$docs/readme.txt"
notepad_text "$root/packaging/license.txt" > "$docs/license.txt"

cp "$root"/docs/ja/*.html "$root"/docs/ja/*.css "$docs/"
sed -i -e "/^<!-- @CHANGES@ -->\$/{r $changes_html" -e 'd}' -e "s/@VERSION@/$version/g" "$docs"/*.html
for f in "${wanted[@]}"; do cp "$shots/$f" "$docs/images/$f"; done

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
