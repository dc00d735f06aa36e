#!/usr/bin/env bash
# The host stand-in in script mode, with the real plug-in (see README.md,
# "Script mode"). Called by ./korastand host, which builds and registers first;
# run directly it builds and registers what is missing itself.
#   tools/host.sh --script FILE|- [--base DIR] [--server PORT] [--relay-timeout MS]
# --base DIR copies the demo installation to DIR and runs the host from there,
# so BasePath is DIR; without it BasePath is build/win64/demo itself.
#
# Displays: on the user's display (DISPLAY set) the host runs in the project's
# Wine prefix, build/wineprefix. Without one it runs under a new Xvfb
# (KORA_DPI sets its DPI, 96 by default; KORA_FORCE_XVFB=1 forces it), and a
# caller that runs Xvfb itself names its display in KORA_HEADLESS_DISPLAY. On
# Xvfb there is no window manager, so Wine would wait 2 seconds for one at
# every window it shows or hides (each message box); headless runs therefore
# use a prefix of their own, build/wineprefix-xvfb, whose windows are
# unmanaged (X11 Driver "Managed"="N"). It is created on first use.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver64
DEMO="$ROOT/build/win64/demo"

die() { printf 'host.sh: %s\n' "$*" >&2; exit 2; }
usage() { sed -n '5,7p' "$0" >&2; exit 2; }

script="" base="" host_args=()
while (($#)); do
  case "$1" in
    --script) (($# > 1)) || usage; script=$2; shift 2 ;;
    --base) (($# > 1)) || usage; base=$2; shift 2 ;;
    --server|--relay-timeout) (($# > 1)) || usage; host_args+=("$1" "$2"); shift 2 ;;
    *) usage ;;
  esac
done
[ -n "$script" ] || usage
[ "$script" = - ] || [ -r "$script" ] || die "cannot read the script $script"

headless=""
if [ -n "${KORA_HEADLESS_DISPLAY:-}" ]; then
  headless=given; export DISPLAY=$KORA_HEADLESS_DISPLAY
elif [ -z "${DISPLAY:-}" ] || [ -n "${KORA_FORCE_XVFB:-}" ]; then
  headless=xvfb
fi
if [ -n "$headless" ]; then
  export WINEPREFIX="$ROOT/build/wineprefix-xvfb"
else
  export WINEPREFIX="${WINEPREFIX:-$ROOT/build/wineprefix}"
fi

# What is missing: the installation, its button faces, the prefix, the registration.
if [ ! -f "$DEMO/korastand-host.exe" ] || [ ! -f "$DEMO/Plugins/zelrcKORA.dll" ] || [ ! -d "$DEMO/imgs" ]; then
  [ -f "$ROOT/build/win64/CMakeCache.txt" ] || (cd "$ROOT" && cmake --preset win64 >/dev/null)
  cmake --build "$ROOT/build/win64" --target korastand-host -j2 >&2 || die "building the host failed"
fi
set_up=""
if ! grep -qs 'zelrcKORA.clsPlugin' "$WINEPREFIX/system.reg"; then
  set_up=1
  "$ROOT/tools/winerun" --register "$DEMO/zelrcUTK.dll" "$DEMO/zelrcCDX.dll" "$DEMO/Plugins/zelrcKORA.dll" \
    || die "registering the components in $WINEPREFIX failed"
fi
if [ -n "$headless" ] && ! grep -qs '"Managed"="N"' "$WINEPREFIX/user.reg"; then
  set_up=1
  "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 \
    || die "cannot set the X11 driver of $WINEPREFIX to unmanaged windows"
fi

# The form's font is Tahoma, which a new prefix lacks; Wine's own (package
# fonts-wine) stands in for it, so the form looks as it does on Windows.
fonts="$WINEPREFIX/drive_c/windows/Fonts"
for font in /usr/share/wine/fonts/tahoma*.ttf; do
  [ -f "$font" ] && [ -d "$fonts" ] && [ ! -f "$fonts/${font##*/}" ] && cp "$font" "$fonts/"
done

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
