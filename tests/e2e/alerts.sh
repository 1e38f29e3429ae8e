#!/usr/bin/env bash
# Alerts on a private session bus. With dunst as the desktop's notification service, a matching
# line written by another process raises exactly one notification (summary, body escaped), and
# a burst of 10 000 raises one, then one "and N more". On a bus that has no service and starts
# none the title counts the alerts, and a bus that goes away costs nothing.
source "$(dirname "$0")/lib.sh" "$@"
BUS_PID=
DUNST_PID=
stop_bus() {
    [ -z "$DUNST_PID" ] || kill "$DUNST_PID" 2>/dev/null || true
    [ -z "$BUS_PID" ] || kill "$BUS_PID" 2>/dev/null || true
    DUNST_PID= BUS_PID=
}
trap 'stop_bus; cleanup' EXIT
# No service directories: nothing on the bus starts on demand.
cat >"$WORK/bus.conf" <<EOF
<busconfig><type>session</type><listen>unix:dir=$WORK</listen><auth>EXTERNAL</auth>
<policy context="default"><allow send_destination="*" eavesdrop="true"/><allow eavesdrop="true"/>
<allow own="*"/></policy></busconfig>
EOF
start_bus() {
    local out
    out=$(dbus-daemon --config-file="$WORK/bus.conf" --print-address --fork --print-pid)
    export DBUS_SESSION_BUS_ADDRESS=${out%%$'\n'*}
    BUS_PID=${out##*$'\n'}
}
# The notifications dunst was given, oldest first, as "summary|body".
notified() {
    dunstctl close-all
    dunstctl history | python3 -c 'import json, sys
for n in reversed(json.load(sys.stdin)["data"][0]): print(n["summary"]["data"] + "|" + n["body"]["data"])'
}
count_is() { [ "$(notified | grep -c '|')" = "$1" ]; }
follow() { # the newest file of the one folder
    start_app
    win=$(wait_window "Quorvel Tarvisk")
    sleep 0.5
    choose_newest "$win" 48
    press alt+c # Continous
    sleep 1.2
}

log=$WORK/logs/web2/ex$(date +%y%m%d).log
mkdir -p "$(dirname "$log")" "$XDG_CONFIG_HOME/Quorvel/Tarvisk"
: >"$log"
write_config xdg-open "web2,$LOGS/web2,exyymmdd.log"
printf 'alert\twords\tnocase\tFATAL\nalert\twords\tcase\tERROR\n' \
    >"$XDG_CONFIG_HOME/Quorvel/Tarvisk/rules.txt"

start_bus
dunst >"$ARTEFACTS/dunst.log" 2>&1 &
DUNST_PID=$!
dunst_up() { dunstctl is-paused >/dev/null 2>&1; }
wait_until dunst_up || fail "dunst did not start"
follow
sh -c 'printf "GET <b>x</b> & FATAL y\n" >>"$1"' sh "$log"
wait_until count_is 1 || fail "no notification: $(notified)"
sh -c 'yes "ERROR burst" | head -n 10000 >>"$1"' sh "$log"
wait_until count_is 3 || fail "not one, then one more: $(notified)"
sleep 1
expected=$(printf '%s\n' 'web2: FATAL|GET &lt;b&gt;x&lt;/b&gt; &amp; FATAL y' \
    'web2: ERROR|ERROR burst' 'web2: ERROR|ERROR burst' 'and 9998 more')
[ "$(notified)" = "$expected" ] || fail "dunst was given: $(notified)"
kill "$APP_PID"
wait "$APP_PID" || true
APP_PID=
stop_bus

start_bus # without a service
follow
printf 'FATAL one\n' >>"$log"
wait_window "\\(1\\) Quorvel Tarvisk" >/dev/null
stop_bus # the bus goes away
printf 'FATAL two\n' >>"$log"
wait_window "\\(2\\) Quorvel Tarvisk" >/dev/null
kill -0 "$APP_PID" || fail "the program ended with its bus"
