# Sourced by the tools that run the Windows builds under Wine; defines
# functions only. `kora_use_bits 64|32` chooses a build and sets:
#   KORA_BITS   64 (x86-64) or 32 (i686, the build today's hosts load)
#   KORA_WIN    build/win64 or build/win32
#   WINE        /usr/lib/wine/wine64 or /usr/lib/wine/wine (32-bit loader)
#   WINESERVER  the wineserver command that stops either prefix's processes
#   WINEPREFIX  build/wineprefix or build/wineprefix32, unless already set
#   KORA_PREFIX_SUFFIX  "" or "32", for prefixes of other purposes
# Requires ROOT (the project folder).
kora_use_bits() {
  case "$1" in
    64) KORA_PREFIX_SUFFIX="" WINE=/usr/lib/wine/wine64; unset WINEARCH ;;
    32) KORA_PREFIX_SUFFIX=32 WINE=/usr/lib/wine/wine; export WINEARCH=win32 ;;
    *) echo "the build is 32 or 64, not '$1'" >&2; return 2 ;;
  esac
  WINESERVER=/usr/lib/wine/wineserver64
  [ -x "$WINESERVER" ] || WINESERVER=/usr/lib/wine/wineserver
  KORA_WIN="$ROOT/build/win$1"
  export KORA_BITS=$1 WINEPREFIX="${WINEPREFIX:-$ROOT/build/wineprefix$KORA_PREFIX_SUFFIX}"
  export WINEDEBUG="${WINEDEBUG:--all}"
  export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
}

# Whether this machine runs 32-bit x86 code: a static i386 program that only
# exits with 42, from three instructions (no 32-bit C library needed). On a
# "no", KORA_32_WHY says why.
kora_can_run_32() {
  KORA_32_WHY=""
  [ -z "${KORA_NO_32:-}" ] || { KORA_32_WHY="KORA_NO_32 is set"; return 1; }
  local dir rc=0
  dir=$(mktemp -d)
  printf '.globl _start\n_start: movl $1,%%eax; movl $42,%%ebx; int $0x80\n' >"$dir/p.S"
  if ! gcc -m32 -nostdlib -static "$dir/p.S" -o "$dir/p" 2>/dev/null; then
    rm -rf "$dir"; KORA_32_WHY="gcc cannot build the i386 probe program"; return 1
  fi
  "$dir/p" 2>/dev/null || rc=$?
  rm -rf "$dir"
  [ $rc -eq 42 ] || { KORA_32_WHY="this machine does not run 32-bit x86 programs"; return 1; }
}

# Whether the i686 build can run here: 32-bit code and 32-bit Wine.
kora_has_32() {
  kora_can_run_32 || return 1
  [ -x /usr/lib/wine/wine ] || { KORA_32_WHY="32-bit Wine (wine32:i386) is not installed"; return 1; }
}

# The build's name as a summary line shows it.
kora_build_name() { [ "$KORA_BITS" = 32 ] && echo "i686" || echo "x86-64"; }

# Creates the prefix on first use (two runs at once: one creates, the other
# waits) and gives it the form's font.
kora_wine_prefix() {
  [ -f "$WINEPREFIX/system.reg" ] && { kora_prefix_fonts; return 0; }
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      "$WINE" wineboot -i >/dev/null 2>&1 || { echo "wineboot failed in $WINEPREFIX" >&2; exit 1; }
      "$WINESERVER" -w
    fi
  ) 9>"$WINEPREFIX.lock" || return 1
  kora_prefix_fonts
}

# The form's font is Tahoma, which a new prefix lacks; Wine's own (fonts-wine)
# stands in for it, so captions measure as they do on Windows.
kora_prefix_fonts() {
  local fonts="$WINEPREFIX/drive_c/windows/Fonts" font
  for font in /usr/share/wine/fonts/tahoma*.ttf; do
    [ -f "$font" ] && [ -d "$fonts" ] && [ ! -f "$fonts/${font##*/}" ] && cp "$font" "$fonts/"
  done
  return 0
}

kora_windows_path() { local p; p=$(realpath -m "$1"); printf 'Z:%s' "${p//\//\\}"; }
