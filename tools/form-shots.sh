#!/usr/bin/env bash
# Screenshots of the settings form's four pages at 96 and 144 DPI, under Xvfb,
# into build/shots/form-<dpi>dpi-page<N>.png. Wine reads the DPI from its
# registry (HKCU\Control Panel\Desktop, LogPixels), so each DPI runs in a
# prefix of its own under build/shots and the project's prefix is left alone.
#   tools/form-shots.sh [DPI...]      (default: 96 144)
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
EXE="$ROOT/build/win64/kora_win_tests.exe"
OUT="$ROOT/build/shots"
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver64
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
[ -f "$EXE" ] || { echo "form-shots: build kora_win_tests first (cmake --build build/win64 --target kora_win_tests)" >&2; exit 1; }
windows_path() { local p; p=$(realpath -m "$1"); printf 'Z:%s' "${p//\//\\}"; }

shoot() {  # dpi
  local dpi=$1
  export WINEPREFIX="$OUT/prefix-$dpi"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    "$WINE" wineboot -i >/dev/null 2>&1
    "$WINESERVER" -w
  fi
  # Wine's own Tahoma (package fonts-wine), where the form's font would be on Windows.
  for f in /usr/share/wine/fonts/tahoma*.ttf; do
    [ -f "$f" ] && cp -u "$f" "$WINEPREFIX/drive_c/windows/Fonts/"
  done
  "$WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  "$WINESERVER" -w
  local work="$OUT/tmp-$dpi"
  rm -rf "$work"; mkdir -p "$work"
  export KORA_SHOTS_DIR KORA_SHOTS_BASE SHOTS_WORK="$work" SHOTS_OUT="$OUT" SHOTS_DPI="$dpi" EXE WINE
  KORA_SHOTS_DIR=$(windows_path "$work")
  KORA_SHOTS_BASE=$(windows_path "$ROOT/suite/assets")
  xvfb-run -a -s "-screen 0 1280x1024x24 -dpi $dpi" bash -c '
    "$WINE" "$EXE" --gtest_filter=FormScreenshots.* >"$SHOTS_WORK/run.log" 2>&1 &
    run=$!
    for page in 0 1 2 3; do
      for _ in $(seq 600); do [ -f "$SHOTS_WORK/page$page.ready" ] && break; sleep 0.1; done
      [ -f "$SHOTS_WORK/page$page.ready" ] || { echo "form-shots: page $page never showed" >&2; break; }
      import -window root "$SHOTS_OUT/form-${SHOTS_DPI}dpi-page$page.png"
      touch "$SHOTS_WORK/page$page.done"
    done
    wait $run'
  "$WINESERVER" -w || true
  echo "form-shots: $dpi dpi -> $OUT/form-${dpi}dpi-page{0,1,2,3}.png"
}

mkdir -p "$OUT"
for dpi in "${@:-96 144}"; do
  for d in $dpi; do shoot "$d"; done
done
