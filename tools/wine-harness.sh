#!/usr/bin/env bash
# Runs kora_wine_harness.exe (the stress tests and the soak with the real
# plug-in) under Wine in the project's prefix:
#   tools/wine-harness.sh [ARGS...]       e.g. --gtest_filter=*Soak*
# KORA_HARNESS_EXE names another program of harness/ (./korastand bench runs
# kora_wine_timing.exe so). KORA_BITS=32 runs the i686 build (tools/wine-env.sh);
# 64 is the default.
# The harness shows message boxes and file dialogs by the thousand; on Xvfb,
# with no window manager, Wine would wait for one at every box shown or
# hidden. Its windows are therefore unmanaged, for this program only (the
# prefix's AppDefaults), so the other Wine tests keep their setting.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$ROOT/tools/wine-env.sh"
kora_use_bits "${KORA_BITS:-64}"
EXE="${KORA_HARNESS_EXE:-$KORA_WIN/harness/kora_wine_harness.exe}"
[ -f "$EXE" ] || { echo "wine-harness.sh: no $EXE (cmake --build $KORA_WIN --target kora_wine_harness)" >&2; exit 2; }
NAME=$(basename "$EXE")
if ! grep -qs "AppDefaults\\\\\\\\$NAME\\\\\\\\X11 Driver" "$WINEPREFIX/user.reg"; then
  "$ROOT/tools/winerun" reg add "HKCU\\Software\\Wine\\AppDefaults\\$NAME\\X11 Driver" \
    /v Managed /d N /f >/dev/null 2>&1 || { echo "wine-harness.sh: cannot set up $WINEPREFIX" >&2; exit 2; }
fi
# The file dialogs cannot read the volume label of Z:; that is no failure.
"$ROOT/tools/winerun" "$EXE" "$@" 2> >(grep -v '^wine: Read access denied for device' >&2)
