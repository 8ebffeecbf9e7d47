#!/usr/bin/env bash
# Creates the Wine prefix once: Japanese font substitutes, the caption
# buttons' font, and no window manager waits (there is none under Xvfb).
set -euo pipefail
. "$(dirname "$0")/wine-env.sh"
stamp="$WINEPREFIX/.nimbra-ready"

# Wine draws the caption buttons' glyphs with Marlett (from fonts-wine), but
# does not find it in its data folder here: the prefix gets a copy of its own.
add_marlett() {
  local fonts="$WINEPREFIX/drive_c/windows/Fonts" marlett=/usr/share/wine/fonts/marlett.ttf
  if [ -d "$fonts" ] && [ -f "$marlett" ] && [ ! -f "$fonts/marlett.ttf" ]; then
    cp "$marlett" "$fonts/"
  fi
}

if [ -f "$stamp" ]; then
  add_marlett
  exit 0
fi
mkdir -p "$(dirname "$WINEPREFIX")"
echo "bootstrap: preparing the Wine prefix $WINEPREFIX"
wineboot -i >/dev/null 2>&1 || true
wineserver -w
reg=$(mktemp --suffix=.reg)
{
  printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
  for f in "MS UI Gothic" "MS PGothic" "ＭＳ Ｐゴシック" "Meiryo" "Meiryo UI" "メイリオ" \
           "Yu Gothic" "Yu Gothic UI" "游ゴシック"; do
    printf '"%s"="IPAPGothic"\r\n' "$f"
  done
  for f in "MS Gothic" "ＭＳ ゴシック"; do printf '"%s"="IPAGothic"\r\n' "$f"; done
  printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n"Managed"="N"\r\n'
} | { printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE; } > "$reg"
wine regedit /S "$(winepath -w "$reg")" >/dev/null 2>&1
wineserver -w
rm -f "$reg"
add_marlett
touch "$stamp"
