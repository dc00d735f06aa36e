#!/usr/bin/env bash
# End-to-end tests of the real plug-in under the host stand-in's script mode.
#   tools/script-tests.sh [NAME...]      (default: every tests/scripts/*.script)
# Each tests/scripts/NAME.script runs on a fresh copy of the demo installation
# in a temporary folder; its events must equal tests/scripts/NAME.expected
# exactly, after two normalisations: the copy's folder (as the plug-in sees
# it, escaped) reads BASE, and the source line in "Error Line: N" of an error
# report reads N (it moves whenever the code does). A script that says
# "relay on" gets a server side on a free loopback port, started from
# tests/scripts/NAME.settings when that file exists (else the server's own
# default) and with the options in NAME.server-args; NAME.kill-after-ms holds
# a number of milliseconds after which that server side is killed, wherever
# it is in a request. All tests share one Xvfb.
# Ends with the line "N passed, N failed"; the exit status is 0 when none failed.
set -uo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
TESTS="$ROOT/tests/scripts"
SERVER="$ROOT/build/native/korastand-server"
KEEP="${KORA_KEEP_SCRIPT_RUNS:-}"  # set: leave the temporary folder for a look

say() { printf '==> %s\n' "$*" >&2; }

names=()
if (($#)); then names=("$@"); else
  for f in "$TESTS"/*.script; do [ -e "$f" ] && names+=("$(basename "$f" .script)"); done
fi
((${#names[@]})) || { echo "0 passed, 0 failed"; exit 0; }

work=$(mktemp -d "${TMPDIR:-/tmp}/korastand-scripts.XXXXXX")
xvfb_pid="" server_pid=""
cleanup() {
  [ -z "$server_pid" ] || kill "$server_pid" 2>/dev/null
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null
  if [ -z "$KEEP" ]; then rm -rf "$work"; else say "runs kept in $work"; fi
}
trap cleanup EXIT

# Waits until the file holds a whole first line; prints it.
first_line() {  # file seconds
  local i line=""
  for ((i = 0; i < $2 * 20; i++)); do
    if [ -f "$1" ] && IFS= read -r line <"$1" && [ "$(wc -l <"$1")" -gt 0 ]; then printf '%s' "$line"; return 0; fi
    sleep 0.05
  done
  return 1
}

# One Xvfb for every test; it writes the display it chose.
Xvfb -displayfd 8 -screen 0 1280x1024x24 -dpi "${KORA_DPI:-96}" -nolisten tcp 8>"$work/display" \
  >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
display=$(first_line "$work/display" 20) || { say "Xvfb did not start (see $work/xvfb.log)"; echo "0 passed, ${#names[@]} failed"; exit 1; }
export KORA_HEADLESS_DISPLAY=":$display"

# Starts the server side for one test; sets server_port.
start_server() {  # dir settings-file (it may not exist)
  local dir=$1 settings=$2 line=""
  [ -x "$SERVER" ] || { echo "no server side at $SERVER (build the native preset)"; return 1; }
  [ ! -f "$settings" ] || cp "$settings" "$dir/server.settings"
  local extra=()
  [ ! -f "${settings%.settings}.server-args" ] || read -r -a extra <"${settings%.settings}.server-args"
  "$SERVER" --port 0 "${extra[@]}" "$dir/server.settings" >"$dir/server.out" 2>"$dir/server.err" &
  server_pid=$!
  line=$(first_line "$dir/server.out" 10) || true
  case "$line" in listening\ *) server_port=${line#listening }; return 0 ;; esac
  echo "the server side did not start: $line $(cat "$dir/server.err")"
  return 1
}
stop_server() {
  [ -z "$server_pid" ] && return
  kill "$server_pid" 2>/dev/null; wait "$server_pid" 2>/dev/null
  server_pid=""
}

passed=0 failed=0 failures=()
for name in "${names[@]}"; do
  script="$TESTS/$name.script" expected="$TESTS/$name.expected" dir="$work/$name"
  mkdir -p "$dir"
  if [ ! -f "$script" ] || [ ! -f "$expected" ]; then
    echo "FAIL $name: $name.script or $name.expected is missing"; failed=$((failed + 1)); failures+=("$name"); continue
  fi
  args=()
  if grep -q '^relay on' "$script"; then
    settings="$TESTS/$name.settings"
    if ! start_server "$dir" "$settings" >"$dir/server.why"; then
      echo "FAIL $name: $(cat "$dir/server.why")"; failed=$((failed + 1)); failures+=("$name"); stop_server; continue
    fi
    args=(--server "$server_port")
    if [ -f "$TESTS/$name.kill-after-ms" ]; then
      read -r kill_ms <"$TESTS/$name.kill-after-ms"
      (sleep "$((kill_ms / 1000)).$(printf '%03d' $((kill_ms % 1000)))"; kill "$server_pid" 2>/dev/null) &
    fi
  fi
  "$ROOT/tools/host.sh" --script "$script" --base "$dir/base" "${args[@]}" >"$dir/raw" 2>"$dir/stderr"
  status=$?
  stop_server
  # The base folder as the plug-in names it: the Z: drive, backslashes, escaped.
  windows="Z:${dir//\//\\}\\base"
  escaped=${windows//\\/\\\\}
  output=$(<"$dir/raw")
  output=${output//"$escaped"/BASE}
  printf '%s\n' "$output" | sed -E 's/Error Line: [1-9][0-9]*/Error Line: N/g' >"$dir/actual"
  diff -u "$expected" "$dir/actual" >"$dir/diff"
  same=$?
  if [ $status -eq 0 ] && [ $same -eq 0 ]; then
    echo "ok   $name"; passed=$((passed + 1))
  else
    echo "FAIL $name (host exit status $status)"; head -40 "$dir/diff"; failed=$((failed + 1)); failures+=("$name")
    [ -s "$dir/stderr" ] && sed 's/^/  stderr: /' "$dir/stderr" | head -10
  fi
done
((failed == 0)) || echo "failed: ${failures[*]}"
echo "$passed passed, $failed failed"
((failed == 0))
