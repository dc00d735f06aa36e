#!/usr/bin/env bash
# Screenshots of the settings form's four pages at 96 and 144 DPI, under Xvfb,
# into build/shots/form-<dpi>dpi-page<N>.png, and of the first page with the
# Update button held down (form-<dpi>dpi-held.png), taken by the host stand-in's own
# `screenshot` command (the platform's PNG encoder). Wine reads the DPI from
# its registry (HKCU\Control Panel\Desktop, LogPixels), so each DPI runs in a
# prefix of its own under build/shots and the project's prefixes are left alone.
#   tools/form-shots.sh [DPI...]      (default: 96 144)
# KORA_SHOTS_PRELUDE=FILE runs the script lines of FILE after the form is
# loaded, before the shots; KORA_SHOTS_NAME (default "form") names the files.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
OUT="$ROOT/build/shots"
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver64
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# A Windows path as a script argument: its backslashes escaped.
script_path() { local p; p=$(realpath -m "$1"); printf 'Z:%s' "${p//\//\\\\}"; }

shoot() {  # dpi
  local dpi=$1 page script
  export WINEPREFIX="$OUT/prefix-$dpi"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    "$WINE" wineboot -i >/dev/null 2>&1
    "$WINESERVER" -w
  fi
  "$WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  "$WINESERVER" -w
  script=$'key shots\nload 1\n'
  [ -z "${KORA_SHOTS_PRELUDE:-}" ] || script+="$(cat "$KORA_SHOTS_PRELUDE")"$'\n'
  for page in 0 1 2 3; do
    script+="tab $page"$'\n'"screenshot $(script_path "$OUT/$NAME-${dpi}dpi-page$page.png")"$'\n'
  done
  script+=$'tab 0\npress cmdUpdate\n'"screenshot $(script_path "$OUT/$NAME-${dpi}dpi-held.png")"$'\n'
  printf '%s' "$script" | KORA_BITS=64 KORA_FORCE_XVFB=1 KORA_DPI="$dpi" KORA_XVFB_PREFIX="$WINEPREFIX" \
    "$ROOT/tools/host.sh" --script - 2>/dev/null | grep '^error' >&2 || true
  "$WINESERVER" -w || true
  echo "form-shots: $dpi dpi -> $OUT/$NAME-${dpi}dpi-{page0,page1,page2,page3,held}.png"
}

NAME=${KORA_SHOTS_NAME:-form}
mkdir -p "$OUT"
for dpi in "${@:-96 144}"; do
  for d in $dpi; do shoot "$d"; done
done
