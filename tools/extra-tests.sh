# Sourced by ./korastand test after the unit and Wine tests: the end-to-end
# script tests of the real plug-in under the host stand-in (tools/script-tests.sh).
extra_tests() {
  say "script tests (host stand-in, real plug-in, under Xvfb)"
  local log="$BUILD/script-tests.log"
  "$ROOT/tools/script-tests.sh" >"$log" 2>&1
  local status=$?
  [ $status -eq 0 ] || grep -vE '^ok ' "$log" >&2
  echo "script: $(tail -1 "$log")"
  return $status
}
