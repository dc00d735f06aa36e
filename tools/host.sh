#!/usr/bin/env bash
# The host stand-in in script mode, with the real plug-in (see README.md,
# "Script mode"). Called by ./korastand host, which builds and registers first;
# run directly it builds and registers what is missing itself.
#   tools/host.sh [--bits 32|64] --script FILE|- [--base DIR] [--server PORT] [--relay-timeout MS]
# --bits chooses the build: 32 runs the i686 host and plug-in (what today's
# hosts load), 64 the x86-64 ones; the default is 32 where this machine runs
# 32-bit code, else 64 (KORA_BITS overrides it). The first line on standard
# error names the build. --base DIR copies the demo installation to DIR and
# runs the host from there, so BasePath is DIR; without it BasePath is
# build/win32/demo or build/win64/demo itself.
#
# Displays: on the user's display (DISPLAY set) the host runs in the project's
# Wine prefix, build/wineprefix. Without one it runs under a new Xvfb
# (KORA_DPI sets its DPI, 96 by default; KORA_FORCE_XVFB=1 forces it), and a
# caller that runs Xvfb itself names its display in KORA_HEADLESS_DISPLAY. On
# Xvfb there is no window manager, so Wine would wait 2 seconds for one at
# every window it shows or hides (each message box); headless runs therefore
# use a prefix of their own, build/wineprefix-xvfb, whose windows are
# unmanaged (X11 Driver "Managed"="N"). It is created on first use.
# KORA_INSTALL names another installation to run instead of the build's
# demo installation, and KORA_XVFB_PREFIX another headless prefix (the
# package test runs the packaged DLL in a fresh prefix this way).
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$ROOT/tools/wine-env.sh"

die() { printf 'host.sh: %s\n' "$*" >&2; exit 2; }
usage() { sed -n '5p' "$0" >&2; exit 2; }

script="" base="" host_args=() bits="${KORA_BITS:-}"
while (($#)); do
  case "$1" in
    --bits) (($# > 1)) || usage; bits=$2; shift 2 ;;
    --script) (($# > 1)) || usage; script=$2; shift 2 ;;
    --base) (($# > 1)) || usage; base=$2; shift 2 ;;
    --server|--relay-timeout) (($# > 1)) || usage; host_args+=("$1" "$2"); shift 2 ;;
    *) usage ;;
  esac
done
[ -n "$script" ] || usage
[ "$script" = - ] || [ -r "$script" ] || die "cannot read the script $script"
if [ -z "$bits" ]; then
  if kora_has_32; then bits=32; else bits=64; fi
fi
[ "$bits" != 32 ] || kora_has_32 || die "the i686 build cannot run here: $KORA_32_WHY"

headless=""
if [ -n "${KORA_HEADLESS_DISPLAY:-}" ]; then
  headless=given; export DISPLAY=$KORA_HEADLESS_DISPLAY
elif [ -z "${DISPLAY:-}" ] || [ -n "${KORA_FORCE_XVFB:-}" ]; then
  headless=xvfb
fi
[ -z "$headless" ] || export WINEPREFIX="${KORA_XVFB_PREFIX:-$ROOT/build/wineprefix-xvfb${bits/64/}}"
kora_use_bits "$bits" || usage
DEMO="${KORA_INSTALL:-$KORA_WIN/demo}"
echo "host: the $(kora_build_name) build ($bits-bit host and plug-in, $DEMO)" >&2

# What is missing: the installation, its button faces, the prefix, the registration.
if [ ! -f "$DEMO/korastand-host.exe" ] || [ ! -f "$DEMO/Plugins/zelrcKORA.dll" ] || [ ! -d "$DEMO/imgs" ]; then
  [ -f "$KORA_WIN/CMakeCache.txt" ] || (cd "$ROOT" && cmake --preset "win$bits" >/dev/null)
  cmake --build "$KORA_WIN" --target korastand-host -j2 >&2 || die "building the host failed"
fi
set_up=""
if ! grep -qs 'zelrcKORA.clsPlugin' "$WINEPREFIX/system.reg"; then
  set_up=1
  "$ROOT/tools/winerun" --bits "$bits" --register "$DEMO/zelrcUTK.dll" "$DEMO/zelrcCDX.dll" "$DEMO/Plugins/zelrcKORA.dll" \
    || die "registering the components in $WINEPREFIX failed"
fi
if [ -n "$headless" ] && ! grep -qs '"Managed"="N"' "$WINEPREFIX/user.reg"; then
  set_up=1
  "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 \
    || die "cannot set the X11 driver of $WINEPREFIX to unmanaged windows"
fi

kora_prefix_fonts

# The set-up ran without the display the host will use; the prefix's Wine
# processes started by it must not outlive it (they keep their display).
[ -z "$set_up" ] || "$WINESERVER" -k 2>/dev/null || true

install="$DEMO"
if [ -n "$base" ]; then
  mkdir -p "$base" || die "cannot create $base"
  # The installation's own files; not what a run left in it (exchange
  # folder, profiles, logs, reports).
  for item in "$DEMO"/*; do
    case "${item##*/}" in RCData|profiles|logs|reports) continue ;; esac
    cp -R "$item" "$base/" || die "cannot copy the demo installation to $base"
  done
  install=$(cd "$base" && pwd)
fi

host=("$WINE" "$install/korastand-host.exe" --script - "${host_args[@]}")
if [ "$headless" = xvfb ]; then
  host=(xvfb-run -a -s "-screen 0 1280x1024x24 -dpi ${KORA_DPI:-96}" "${host[@]}")
fi
# Wine says on standard error when a helper process loses the Xvfb that
# xvfb-run stops, and when the file dialog cannot read the volume label of Z:;
# neither is a failure of the script.
quiet() { grep -v -e '^X connection to .* broken' -e '^wine: Read access denied for device' >&2 || true; }
if [ "$script" = - ]; then "${host[@]}"; else "${host[@]}" <"$script"; fi 2> >(quiet)
