#!/usr/bin/env bash
# The release package: dist/korastand-VERSION.zip holding, at its root,
#   x86/zelrcKORA.dll   the i686 build, for today's 32-bit hosts
#   x64/zelrcKORA.dll   the x86-64 build
#   INSTALL.txt         where the DLL goes, registering and unregistering it
#   SHA256SUMS          of the three files above
# VERSION comes from src/base/version.h. Called by ./korastand package,
# which builds both DLLs first.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
die() { printf 'package: %s\n' "$*" >&2; exit 1; }

version=$(sed -nE 's/^#define KORA_VERSION_TEXT "([0-9.]+)"$/\1/p' "$ROOT/src/base/version.h")
[ -n "$version" ] || die "no KORA_VERSION_TEXT in src/base/version.h"
dll32="$ROOT/build/win32/demo/Plugins/zelrcKORA.dll"
dll64="$ROOT/build/win64/demo/Plugins/zelrcKORA.dll"
for dll in "$dll32" "$dll64"; do [ -f "$dll" ] || die "$dll is missing; run ./korastand package"; done

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
name="korastand-$version"
mkdir -p "$stage/$name/x86" "$stage/$name/x64"
# Without the build's debugging information: what admins install.
i686-w64-mingw32-strip --strip-debug -o "$stage/$name/x86/zelrcKORA.dll" "$dll32" || die "cannot strip $dll32"
x86_64-w64-mingw32-strip --strip-debug -o "$stage/$name/x64/zelrcKORA.dll" "$dll64" || die "cannot strip $dll64"
sed "s/@VERSION@/$version/g" "$ROOT/tools/INSTALL.txt.in" | sed 's/$/\r/' >"$stage/$name/INSTALL.txt"
(cd "$stage/$name" && sha256sum x86/zelrcKORA.dll x64/zelrcKORA.dll INSTALL.txt >SHA256SUMS)

mkdir -p "$ROOT/dist"
zip="$ROOT/dist/$name.zip"
rm -f "$zip"
# Fixed times, so the same DLLs give the same package.
find "$stage/$name" -exec touch -d "@0" {} +
(cd "$stage/$name" && TZ=UTC zip -qX -r "$zip" x86 x64 INSTALL.txt SHA256SUMS)
echo "package: dist/$name.zip"
(cd "$stage/$name" && sed 's/^/  /' SHA256SUMS)
