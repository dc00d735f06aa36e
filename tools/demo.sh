#!/usr/bin/env bash
# The demo: the host stand-in loads the plug-in from the demo installation
# (build/win64/demo, laid out by the win64 build and registered by
# ./korastand demo) and prints its descriptor and version.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
DEMO="$ROOT/build/win64/demo"
[ -f "$DEMO/korastand-host.exe" ] || { echo "demo.sh: build first (./korastand build)" >&2; exit 2; }
# Registration is idempotent; doing it here keeps a direct run of this script working.
"$ROOT/tools/winerun" --register "$DEMO/zelrcUTK.dll" "$DEMO/zelrcCDX.dll" "$DEMO/Plugins/zelrcKORA.dll"
cd "$DEMO"
exec "$ROOT/tools/winerun" "$DEMO/korastand-host.exe" "$@"
