#!/usr/bin/env bash
# ./korastand bench: every benchmark figure, one line each: `name value unit ratio`.
# The ratio is the figure over its floor, measured in the same run (a floor's own
# line shows 1), so figures compare from run to run and machine to machine.
#
# The figures come in groups, one function each, run in order by `figures`. A
# group that fails is named on standard error and the others still run; the
# exit status is 1 when any failed. To add a group, define its function and
# call `figures <function>` below the last one.
#
# Arguments are handed to kora_bench (e.g. --benchmark_filter=Reply).
set -uo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD="$ROOT/build"
BENCH_ARGS=("$@")
BENCH_STATUS=0
trap 'exit $BENCH_STATUS' EXIT

figures() {  # group function
  "$1" || { echo "bench: $1 failed" >&2; BENCH_STATUS=1; }
}

# Builds one target of a preset quietly; shows the log when that fails.
bench_build() {  # preset target
  local log="$BUILD/bench-$1-build.log"
  mkdir -p "$BUILD"
  { [ -f "$BUILD/$1/CMakeCache.txt" ] || (cd "$ROOT" && cmake --preset "$1"); } >"$log" 2>&1 &&
    cmake --build "$BUILD/$1" --target "$2" -j2 >>"$log" 2>&1 || { cat "$log" >&2; return 1; }
}

# The portable core on this machine: reply decoding, the update request,
# profile save and load, each against its floor (Google Benchmark, fastest of 9 repetitions).
native_figures() {
  bench_build native kora_bench || return 1
  "$BUILD/native/kora_bench" "${BENCH_ARGS[@]}"
}

figures native_figures

# The real plug-in under Wine (kora_wine_timing, bench/win, median of
# KORA_TIMING_RUNS runs, 11 unless set): LoadInterface until the form has
# painted (and FillNumberCombos' share of it), RemoteData applying a full
# reply, one paint of SSTab2, Update until WriteFile; each against a window
# job of the same shape measured beside it. Needs an X display; without one
# it runs under Xvfb.
wine_figures() {
  bench_build win64 kora_wine_timing || return 1
  "$ROOT/tools/winerun" --register "$BUILD/win64/demo/zelrcUTK.dll" "$BUILD/win64/demo/zelrcCDX.dll" \
    "$BUILD/win64/demo/Plugins/zelrcKORA.dll" || return 1
  # The wineserver that registration started has no display; the harness must
  # start its own under the one it runs with.
  local prefix="${WINEPREFIX:-$BUILD/wineprefix}"
  WINEPREFIX="$prefix" /usr/lib/wine/wineserver64 -k 2>/dev/null || true
  WINEPREFIX="$prefix" /usr/lib/wine/wineserver64 -w 2>/dev/null || true
  local run=(env KORA_HARNESS_EXE="$BUILD/win64/harness/kora_wine_timing.exe" "$ROOT/tools/wine-harness.sh"
             "${KORA_TIMING_RUNS:-11}")
  if [ -z "${DISPLAY:-}" ]; then run=(xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96" "${run[@]}"); fi
  "${run[@]}" 2> >(grep -v '^X connection to .* broken' >&2)
}

figures wine_figures
