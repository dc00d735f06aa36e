# Sourced by ./korastand test after the unit and Wine tests: the end-to-end
# script tests of the real plug-in under the host stand-in (tools/script-tests.sh),
# the sanitizer run (tools/sanitize.sh) and a short run of every fuzz target
# (tools/fuzz.sh).
extra_tests() {
  say "script tests (host stand-in, real plug-in, under Xvfb)"
  local log="$BUILD/script-tests.log"
  "$ROOT/tools/script-tests.sh" >"$log" 2>&1
  local status=$?
  [ $status -eq 0 ] || grep -vE '^ok ' "$log" >&2
  echo "script: $(tail -1 "$log")"
  # The README's main command, as CI runs it: the scripted tour of the demo.
  say "the demo's scripted tour"
  if KORA_DEMO_DIR="$BUILD/demo-test" "$ROOT/tools/demo.sh" --tour >"$BUILD/demo-tour.log" 2>&1; then
    echo "demo:   the round trip worked (build/demo-tour.log)"
  else
    tail -25 "$BUILD/demo-tour.log" >&2
    echo "demo:   FAILED (build/demo-tour.log)"
    status=1
  fi
  # The native unit tests again under ASan and UBSan, then every fuzz target
  # for KORA_FUZZ_SECONDS (30) each; both run whatever the others gave.
  say "native unit tests under AddressSanitizer and UBSan"
  "$ROOT/tools/sanitize.sh" || status=1
  say "fuzz targets, ${KORA_FUZZ_SECONDS:-30} s each"
  "$ROOT/tools/fuzz.sh" "${KORA_FUZZ_SECONDS:-30}" || status=1
  return $status
}
