#!/usr/bin/env bash
# tools/fuzz.sh [SECONDS]: builds the fuzz preset (clang, libFuzzer, ASan, UBSan)
# and runs every target of tests/fuzz/ for SECONDS each (default 30), then
# prints one line per target: runs, seconds, what it found.
#
# Each target starts from its committed seeds (tests/fuzz/corpus/<target>,
# never written to) and grows its own corpus in build/fuzz/work/<target>, so
# later runs on the same machine go on where the last one stopped. A crash or
# a broken invariant leaves its input in build/fuzz/artifacts/<target>/.
# FUZZ_JOBS targets run at once (default: the number of cores, at most 2).
set -uo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD="$ROOT/build"
SECONDS_EACH=${1:-30}
JOBS=${FUZZ_JOBS:-$(( $(nproc) < 2 ? 1 : 2 ))}

targets=()
for src in "$ROOT"/tests/fuzz/*.cpp; do targets+=("$(basename "$src" .cpp)"); done
[ ${#targets[@]} -gt 0 ] || { echo "fuzz: no targets in tests/fuzz" >&2; exit 1; }

mkdir -p "$BUILD"
log="$BUILD/fuzz-build.log"
{ (cd "$ROOT" && cmake --preset fuzz) && cmake --build "$BUILD/fuzz" --target "${targets[@]}" -j"$(nproc)"; } \
  >"$log" 2>&1 || { grep -E 'error|Error' "$log" >&2; echo "fuzz: building the fuzz preset failed (see $log)" >&2; exit 1; }

run_target() {  # target
  local t=$1 work="$BUILD/fuzz/work/$1" artifacts="$BUILD/fuzz/artifacts/$1/" dict=()
  mkdir -p "$work" "$artifacts"
  [ -f "$ROOT/tests/fuzz/$t.dict" ] && dict=(-dict="$ROOT/tests/fuzz/$t.dict")
  "$BUILD/fuzz/$t" -max_total_time="$SECONDS_EACH" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    "${dict[@]}" -artifact_prefix="$artifacts" "$work" "$ROOT/tests/fuzz/corpus/$t" \
    >"$BUILD/fuzz/$t.log" 2>&1
}

summary() {  # target exit-status
  local t=$1 status=$2 logf="$BUILD/fuzz/$1.log" runs secs corpus
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$logf" | tail -1)
  secs=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$logf" | tail -1)
  corpus=$(find "$BUILD/fuzz/work/$t" -type f | wc -l)
  if [ "$status" -eq 0 ]; then
    printf '%-14s %9s runs in %4s s (%s/s), corpus %s, nothing found\n' "$t" "${runs:-?}" "$SECONDS_EACH" "${secs:-?}" "$corpus"
  else
    printf '%-14s FOUND after %s runs: %s\n' "$t" "${runs:-?}" \
      "$(grep -m1 -E 'invariant broken|ERROR: |SUMMARY: ' "$logf" || echo "exit status $status")"
    grep -E 'artifact_prefix|Test unit written to' "$logf" | tail -1
    grep -A12 'invariant broken' "$logf" | head -14
  fi
}

failed=0
# Run JOBS at a time, in the order of the targets; report in the same order.
for ((i = 0; i < ${#targets[@]}; i += JOBS)); do
  batch=("${targets[@]:i:JOBS}")
  declare -A started=()
  for t in "${batch[@]}"; do run_target "$t" & started[$t]=$!; done
  for t in "${batch[@]}"; do
    wait "${started[$t]}"; status=$?
    summary "$t" "$status"
    [ "$status" -eq 0 ] || failed=1
  done
  unset started
done
[ $failed -eq 0 ] && echo "fuzz: ${#targets[@]} targets, ${SECONDS_EACH} s each, nothing found" \
  || echo "fuzz: FOUND something (inputs in build/fuzz/artifacts/)"
exit $failed
