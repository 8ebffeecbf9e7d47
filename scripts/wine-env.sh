# Sourced by the scripts that run Windows programs: one throwaway Wine prefix
# per checkout, Japanese locale (code page 932), Japan time in the POSIX form
# that the Windows C runtime reads correctly, no Mono/Gecko installer prompts.
_nimbra_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX="${NIMBRA_WINEPREFIX:-$_nimbra_root/build/wineprefix}"
export WINEARCH=win64
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="
export LANG=ja_JP.UTF-8
export LC_ALL=ja_JP.UTF-8
export TZ="${TZ:-JST-9}"
