#!/usr/bin/env bash
# Tests the release package as an admin would use it: unpacks
# dist/korastand-VERSION.zip, checks SHA256SUMS and that x86\zelrcKORA.dll is
# the i686 build, puts it into a copy of the i686 host's installation, registers
# it in a fresh 32-bit Wine prefix and runs the script tests against it.
#   tools/package-test.sh [ZIP [NAME...]]   (default: the newest dist/korastand-*.zip, every script)
# Ends with the script tests' line "N passed, N failed".
set -uo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$ROOT/tools/wine-env.sh"
die() { printf 'package-test: %s\n' "$*" >&2; echo "0 passed, 1 failed"; exit 1; }

zip=${1:-$(ls -t "$ROOT"/dist/korastand-*.zip 2>/dev/null | head -1)}
(($# == 0)) || shift
[ -f "$zip" ] || die "no package; run ./korastand package"
kora_has_32 || die "the i686 build cannot run here: $KORA_32_WHY"
work=$(mktemp -d "${TMPDIR:-/tmp}/korastand-package.XXXXXX")
trap '/usr/lib/wine/wineserver64 -k 2>/dev/null; rm -rf "$work"' EXIT

unzip -q "$zip" -d "$work/unpacked" || die "cannot unpack $zip"
pkg="$work/unpacked"
for f in x86/zelrcKORA.dll x64/zelrcKORA.dll INSTALL.txt SHA256SUMS; do
  [ -f "$pkg/$f" ] || die "the package has no $f"
done
(cd "$pkg" && sha256sum --quiet -c SHA256SUMS) || die "SHA256SUMS does not match the package"
i686-w64-mingw32-objdump -f "$pkg/x86/zelrcKORA.dll" | grep -q 'file format pei-i386' \
  || die "x86/zelrcKORA.dll is not an i686 DLL"
x86_64-w64-mingw32-objdump -f "$pkg/x64/zelrcKORA.dll" | grep -q 'file format pei-x86-64' \
  || die "x64/zelrcKORA.dll is not an x86-64 DLL"

# The host's installation with the packaged plug-in in its Plugins folder.
install="$work/host"
mkdir -p "$install"
for item in "$ROOT"/build/win32/demo/*; do
  case "${item##*/}" in RCData|profiles|logs|reports) continue ;; esac
  cp -R "$item" "$install/" || die "cannot copy the i686 installation"
done
cp "$pkg/x86/zelrcKORA.dll" "$install/Plugins/zelrcKORA.dll"

# A fresh 32-bit prefix, registered by the host tool from the installation.
export KORA_INSTALL="$install" KORA_XVFB_PREFIX="$work/prefix" WINEPREFIX="$work/prefix"
kora_use_bits 32
kora_wine_prefix || die "cannot create a 32-bit prefix in $work/prefix"
grep -qs 'zelrcKORA.clsPlugin' "$work/prefix/system.reg" && die "the fresh prefix already knows the plug-in"
"$ROOT/tools/script-tests.sh" "$@"
