#!/usr/bin/env bash
# What can be checked of the i686 DLL on a machine that runs no 32-bit code,
# one line per check ("ok WHAT" or "FAILED WHAT: why"); exit status 1 when one
# failed. Part of ./korastand test there.
#   tools/i686-checks.sh [DLL]     default: build/win32/demo/Plugins/zelrcKORA.dll
# - its type library, read back by build/win64/typelib_check.exe under wine64;
# - its machine (i386), its exports (the four of an in-process server) and its
#   imports (only DLLs that Windows itself has, here: that Wine implements),
#   from the PE headers as the MinGW objdump prints them.
set -uo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$ROOT/tools/wine-env.sh"
DLL=${1:-$ROOT/build/win32/demo/Plugins/zelrcKORA.dll}
CHECKER=$ROOT/build/win64/typelib_check.exe
SYSTEM_DLLS=/usr/lib/x86_64-linux-gnu/wine/x86_64-windows
EXPORTS="DllCanUnloadNow DllGetClassObject DllRegisterServer DllUnregisterServer"
STATUS=0
ok() { echo "ok $*"; }
failed() { echo "FAILED $*"; STATUS=1; }

[ -f "$DLL" ] || { failed "the i686 DLL: no $DLL"; exit 1; }

if [ ! -f "$CHECKER" ]; then
  failed "type library: no $CHECKER (cmake --build build/win64 --target typelib_check)"
elif layout=$("$ROOT/tools/winerun" --bits 64 "$CHECKER" "$(kora_windows_path "$DLL")" 2>&1 | tr -d '\r') &&
  [[ $layout =~ ^PLUGIN\ [0-9]+\ bytes ]]; then
  ok "type library ($layout)"
else
  failed "type library: ${layout//$'\n'/; }"
fi

headers=$(i686-w64-mingw32-objdump -p "$DLL" 2>&1) || { failed "PE headers: $headers"; exit 1; }

machine=$(sed -n 's/.*file format //p' <<<"$headers" | head -1)
if [ "$machine" = pei-i386 ]; then ok "machine i386"; else failed "machine: $machine, not pei-i386"; fi

exports=$(sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/s/^\s*\[ *[0-9]*\] //p' <<<"$headers" | sort | xargs)
if [ "$exports" = "$EXPORTS" ]; then ok "4 exports"; else failed "exports: ${exports:0:200}, not $EXPORTS"; fi

others=()
while read -r dll; do
  [ -f "$SYSTEM_DLLS/${dll,,}" ] || others+=("$dll")
done < <(sed -n 's/^\s*DLL Name: //p' <<<"$headers")
if ((${#others[@]} == 0)); then ok "system imports only"; else failed "imports: ${others[*]} not a system DLL"; fi
exit $STATUS
