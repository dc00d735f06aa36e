#!/usr/bin/env bash
# The demo: the plug-in's whole round trip. The server side (korastand-server)
# starts on a free loopback port with a settings file of its own, and the host
# stand-in runs the real plug-in under Wine with the form in its window.
#   tools/demo.sh            on your display (DISPLAY set): you work in the form
#   tools/demo.sh --tour     a scripted tour under Xvfb, with screenshots
#   --bits 32|64             the build to run (as KORA_BITS)
# Without a display, and whenever CI is set, it is always the tour. It runs the
# i686 build, the one today's hosts load, where this machine runs 32-bit code,
# else the x86-64 build (KORA_BITS=32|64 chooses), and says which. Every run
# starts afresh in build/demo-run/ (KORA_DEMO_DIR names another folder) and
# leaves there what happened: events.log, server.log, server.settings, the
# script and, for the tour, screenshots/*.png. Called by ./korastand demo,
# which installs, builds and registers first.
set -euo pipefail
shopt -s lastpipe
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$ROOT/tools/wine-env.sh"
SERVER="$ROOT/build/native/korastand-server"
RUN="${KORA_DEMO_DIR:-$ROOT/build/demo-run}"
# What the tour changes: one weapon that the default server restricts.
WEAPON_INDEX=10
WEAPON="Greywolf LR-50 Anti-Materiel Rifle"
NEW_NAME="Korastand Demo Server"
NEW_PLAYERS=24

die() { printf 'demo: %s\n' "$*" >&2; exit 2; }
usage() { sed -n '5,7p' "$0" >&2; exit 2; }

tour=""
while (($#)); do
  case "$1" in
    --tour) tour=1; shift ;;
    --bits) (($# > 1)) || usage; KORA_BITS=$2; shift 2 ;;
    *) usage ;;
  esac
done
[ -n "${DISPLAY:-}" ] && [ -z "${CI:-}" ] && [ -z "${KORA_FORCE_XVFB:-}" ] || tour=1

bits=${KORA_BITS:-} why32=""
if [ -z "$bits" ]; then
  if kora_has_32; then bits=32; else bits=64 why32=$KORA_32_WHY; fi
fi
DEMO="$ROOT/build/win$bits/demo"

[ -f "$DEMO/korastand-host.exe" ] && [ -f "$DEMO/Plugins/zelrcKORA.dll" ] \
  || die "the demo installation of the win$bits build is missing; build first (./korastand build)"
[ -x "$SERVER" ] || die "the server side is missing; build first (./korastand build)"

case "$RUN" in /*) ;; *) RUN="$PWD/$RUN" ;; esac
rm -rf "$RUN"
mkdir -p "$RUN/screenshots" || die "cannot create $RUN"
SHOTS="$RUN/screenshots"
shown() { local p=${1#"$ROOT/"}; printf '%s' "$p"; }  # a path as the reader finds it from the project

# --- The server side ---------------------------------------------------------------

server_pid=""
stop_server() {
  [ -n "$server_pid" ] || return 0
  kill "$server_pid" 2>/dev/null || true
  wait "$server_pid" 2>/dev/null || true
  server_pid=""
}
trap stop_server EXIT
trap 'exit 130' INT TERM

"$SERVER" --port 0 "$RUN/server.settings" >"$RUN/server.out" 2>"$RUN/server.log" &
server_pid=$!
port=""
for _ in $(seq 200); do
  line=$(head -n 1 "$RUN/server.out" 2>/dev/null || true)
  case "$line" in listening\ [0-9]*) port=${line#listening }; break ;; esac
  kill -0 "$server_pid" 2>/dev/null || break
  sleep 0.05
done
[ -n "$port" ] || die "the server side did not start: $(cat "$RUN/server.log")"

# --- Reading the host's events -------------------------------------------------------

# The script language's escapes, undone for the reader.
unescape() { local t=${1//\\\\/$'\x01'}; t=${t//\\r/}; t=${t//\\n/ / }; t=${t//\\t/ }; printf '%s' "${t//$'\x01'/\\}"; }
shorten() {  # text max
  if ((${#1} > $2)); then printf '%s... (%d characters)' "${1:0:$2}" "${#1}"; else printf '%s' "$1"; fi
}
decode64() { printf '%s' "$1" | base64 -d 2>/dev/null || printf '?'; }
count_fields() { local f=${1//[^|]/}; [ -z "$1" ] && echo 0 || echo $((${#f} + 1)); }
sections() { local -n out=$2; local t=${1//\[-\]/$'\x1f'}; IFS=$'\x1f' read -r -a out <<<"$t"; }

# What a SettingsReply holds, in a line: name, counts, roles, auto-load.
describe_reply() {
  local parts=() settings fields name weapons allowed
  sections "$1" parts
  ((${#parts[@]} == 4)) || { printf 'not a settings reply (%d sections)' "${#parts[@]}"; return; }
  settings=${parts[0]}
  fields=$(count_fields "$settings")
  name=$(decode64 "${settings%%|*}")
  weapons=$(count_fields "${parts[2]}")
  allowed=$(grep -o ',1\(|\|$\)' <<<"${parts[2]}" | wc -l || true)
  printf '%s settings (server name "%s"), roles %s, %s weapons (%s allowed), auto-load %s' \
    "$fields" "$name" "${parts[1]}" "$weapons" "$allowed" "${parts[3]}"
}

# What a SetSettingsRem request sends, in a line.
describe_update() {
  local payload=$1 parts=() settings fields name
  sections "$payload" parts
  ((${#parts[@]} == 4)) || { printf '%d sections' "${#parts[@]}"; return; }
  settings=${parts[0]}
  fields=$(count_fields "$settings")
  name=$(decode64 "${settings%%|*}")
  printf '%s settings (server name "%s"), %s allowed weapons, roles %s, auto-load %s' \
    "$fields" "$name" "$(count_fields "${parts[1]}")" "${parts[2]:-none}" "${parts[3]}"
}

LABEL_savServerName="Name" LABEL_savPlayers="Max Players" LABEL_savOneShot="One Shot Kills"
errors=0 updated="" dumps=0
declare -A seen=()  # seen[N,what]: what dump N showed

narrate() {
  local line kind rest path text title name value label flag
  while IFS= read -r line; do
    printf '%s\n' "$line" >>"$RUN/events.log"
    kind=${line%% *}
    rest=""; [ "$kind" = "$line" ] || rest=${line#* }
    case "$kind" in
      echo)
        text=$(unescape "$rest")
        case "$text" in
          "- "*) printf '  the user          : %s\n' "${text#- }" ;;
          *) printf '\n%s\n' "$text" ;;
        esac ;;
      request)
        text=${rest#*$'\t'}
        if [[ $text == Plugin_zelKORA_SetSettingsRem_* ]]; then
          local head=${text%%|*}; head=${head%_*}_
          printf '  plug-in -> server : %s\n' "$(shorten "$text" 72)"
          printf '                      = %s<payload>: %s\n' "$head" "$(describe_update "${text#"$head"}")"
        else
          printf '  plug-in -> server : %s\n' "$(shorten "$text" 72)"
        fi ;;
      reply-file)
        text=${rest#*$'\t'}
        case "$text" in
          "") printf '  server -> plug-in : (nothing: the server side could not be reached or was silent)\n' ;;
          1) printf '  server -> plug-in : 1 (the server accepted the settings)\n' ;;
          0) printf '  server -> plug-in : 0 (the server refused the settings)\n' ;;
          *) printf '  server -> plug-in : %s\n' "$(shorten "$text" 60)"
             printf '                      = %s\n' "$(describe_reply "$text")" ;;
        esac ;;
      message)
        title=${rest%%$'\t'*}; text=$(unescape "${rest#*$'\t'}")
        printf '  message box       : [%s] %s\n' "$title" "$text"
        [ "$text" != "Server Settings Updated." ] || updated=1 ;;
      dialog)
        printf '  file dialog       : %s\n' "$(unescape "${rest%%$'\t'*}")" ;;
      shot)
        path=$(unescape "$rest"); path=${path#Z:}; path=${path//\\//}
        printf '  screenshot        : %s\n' "$(shown "$path")" ;;
      control)
        name=${rest%% *}; value=""; [ "$name" = "$rest" ] || value=${rest#* }
        [ "$name" = savServerName ] && dumps=$((dumps + 1))
        label="LABEL_$name"; label=${!label:-$name}
        case "$name" in
          savPlayers) value="$((value + 1)) (list item $value)" ;;
          savOneShot) [ "$value" = 1 ] && value="on" || value="off" ;;
          *) value="\"$(unescape "$value")\"" ;;
        esac
        seen[$dumps,$name]=$value
        printf '  the form shows    : %s = %s\n' "$label" "$value" ;;
      list)
        if [ "${rest%% *}" = lstWeapons ]; then
          flag=$(grep -o "$WEAPON:[01]" <<<"$rest" | head -n 1 || true); flag=${flag##*:}
          case "$flag" in 1) value="allowed (selected)" ;; 0) value="restricted (not selected)" ;; *) value="not in the list" ;; esac
          seen[$dumps,weapon]=$value
          printf '  the form shows    : %s = %s\n' "$WEAPON" "$value"
        fi ;;
      enabled) ;;
      error)
        errors=$((errors + 1))
        printf '  ERROR             : %s\n' "$(unescape "$rest")" ;;
      *)
        printf '  %s\n' "$(unescape "$line")" ;;
    esac
  done
}

# Runs the host with the script in $RUN/$1; its events go through narrate.
run_host() {
  local script="$RUN/$1" status
  # lastpipe: narrate runs in this shell, so what it saw stays for the summary;
  # the host stays in the foreground, where Ctrl+C reaches it.
  set +e
  "$ROOT/tools/host.sh" --bits "$bits" --script "$script" --base "$RUN/host" --server "$port" 2>"$RUN/host.err" | narrate
  status=${PIPESTATUS[0]}
  set -e
  if ((status != 0)); then
    printf '\ndemo: the host ended with status %d\n' "$status" >&2
    sed 's/^/  /' "$RUN/host.err" | head -20 >&2
    return 1
  fi
}

winpath() { local p="Z:${1//\//\\}"; printf '%s' "${p//\\/\\\\}"; }  # escaped for a script line

cat <<EOF
Korastand demo: the plug-in fetches a Duskwater server's settings, shows them on its form,
and sends the edited settings back to the server, which checks and keeps them.

  server side : korastand-server on 127.0.0.1:$port, settings in $(shown "$RUN/server.settings")
                (created from its built-in default server: "[DW] Harbour Night Ops | 24/7")
  host        : korastand-host.exe under Wine, with zelrcKORA.dll (the plug-in) in its window;
                it relays each request of the plug-in to the server side and hands the answer back
  build       : $(if [ "$bits" = 32 ]; then echo "i686 (32-bit), the build today's hosts load";
                  else echo "x86-64 (64-bit)${why32:+; the i686 build cannot run here: $why32}"; fi), $(shown "$DEMO")
EOF

# --- On the user's display -------------------------------------------------------------

if [ -z "$tour" ]; then
  cat >"$RUN/session.script" <<EOF
# The demo on the user's display (written by tools/demo.sh).
relay on
key demo
edition Duskwater V1.7.5.7
echo Fetching the settings: the host shows the plug-in, which asks the server for them.
load 1
echo The form is open on your display ($DISPLAY). Change settings and click Update; close the window to end the demo.
interactive
EOF
  run_host session.script || exit 1
  printf '\nThe host window was closed.\n'
  printf 'Server side log (%s):\n' "$(shown "$RUN/server.log")"
  sed 's/^korastand-server: /  /' "$RUN/server.log"
  printf 'The server'"'"'s settings are in %s; every event of the host is in %s.\n' \
    "$(shown "$RUN/server.settings")" "$(shown "$RUN/events.log")"
  exit 0
fi

# --- The scripted tour ---------------------------------------------------------------------

export KORA_FORCE_XVFB=1
shot() { printf 'screenshot %s\n' "$(winpath "$SHOTS/$1")"; }
cat >"$RUN/tour.script" <<EOF
# The demo's scripted tour (written by tools/demo.sh); the language is in README.md, "Script mode".
relay on
key demo
edition Duskwater V1.7.5.7
echo 1. Fetch: the host shows the plug-in, which asks the server side for its settings.
load 1
dump savServerName savPlayers savOneShot lstWeapons
$(shot 1-fetched.png)
echo 2. Edit, as a user does: a new name, $NEW_PLAYERS players, One Shot Kills on (Miscellaneous), one more weapon allowed (Restrictions).
echo - types "$NEW_NAME" into Name
text savServerName $NEW_NAME
echo - sets Max Players to $NEW_PLAYERS
set savPlayers $((NEW_PLAYERS - 1))
echo - opens the Miscellaneous page and clicks One Shot Kills
tab Miscellaneous
click savOneShot
$(shot 2-edited-miscellaneous.png)
echo - opens the Restrictions page and selects $WEAPON in Weapon Restrictions
tab Restrictions
select lstWeapons $WEAPON_INDEX 1
$(shot 3-edited-restrictions.png)
echo 3. Update: the plug-in checks and corrects the form and sends the whole set; the server answers.
echo - clicks Update
click cmdUpdate
echo 4. Fetch again: the server side kept the change.
load 1
dump savServerName savPlayers savOneShot lstWeapons
$(shot 4-refetched-team.png)
tab Miscellaneous
$(shot 5-refetched-miscellaneous.png)
tab Connection
$(shot 6-refetched-connection.png)
tab Restrictions
$(shot 7-refetched-restrictions.png)
EOF
printf '\nThe scripted tour (under Xvfb; %s):\n' "$(shown "$RUN/tour.script")"
host_ok=1
run_host tour.script || host_ok=""

# --- Summary ---------------------------------------------------------------------------------

setting() { grep -m1 "^$1=" "$RUN/server.settings" 2>/dev/null || printf '%s=?' "$1"; }
what() { local v=${seen[$1,$2]:-?}; printf '%s' "${v%% (*}"; }  # what dump $1 showed of $2, briefly
state() { printf 'Name %s, %s players, One Shot Kills %s, %s %s' "$(what "$1" savServerName)" \
  "$(what "$1" savPlayers)" "$(what "$1" savOneShot)" "$WEAPON" "$(what "$1" weapon)"; }
ok=1
[ -n "$host_ok" ] && ((errors == 0)) && [ -n "$updated" ] || ok=""
shots=$(find "$SHOTS" -name '*.png' -size +1k | wc -l)
[ "$shots" -eq "$(grep -c '^screenshot ' "$RUN/tour.script")" ] || ok=""
[ "$(what 2 savServerName)" = "\"$NEW_NAME\"" ] && [ "$(what 2 savPlayers)" = "$NEW_PLAYERS" ] \
  && [ "$(what 2 savOneShot)" = on ] && [ "$(what 2 weapon)" = allowed ] || ok=""

printf '\n================================ Summary ================================\n'
printf 'build          : %s\n' "$([ "$bits" = 32 ] && echo "i686 (32-bit)" || echo "x86-64 (64-bit)")"
printf 'fetched        : %s\n' "$(state 1)"
printf 'Update         : %s\n' "$([ -n "$updated" ] && echo 'the server answered 1; the plug-in showed "Server Settings Updated."' || echo 'NO confirmation')"
printf 'fetched again  : %s\n' "$(state 2)"
printf 'server file    : %s | %s | %s | %s\n' "$(setting ServerName)" "$(setting MaxPlayers)" \
  "$(setting OneShotKills)" "$(grep -m1 "^Weapon=.,$WEAPON\$" "$RUN/server.settings" || echo "Weapon=?")"
printf 'server log     :\n'; sed 's/^korastand-server: /  /' "$RUN/server.log"
printf 'screenshots    : %s/ (PNG, the host window'"'"'s client area)\n' "$(shown "$SHOTS")"
for f in "$SHOTS"/*.png; do [ -f "$f" ] && printf '  %s\n' "${f##*/}"; done
printf 'everything     : %s/ (events.log: every event of the host; tour.script; server.settings; server.log)\n' \
  "$(shown "$RUN")"
if [ -n "$ok" ]; then
  printf '\nThe round trip worked: fetch, edit, update, confirmation, and the server kept the change.\n'
  printf 'On a desktop, run ./korastand demo there to work in the form yourself.\n'
else
  printf '\nThe demo did NOT complete as expected (%d error event(s)); see %s.\n' "$errors" "$(shown "$RUN/events.log")"
  exit 1
fi
