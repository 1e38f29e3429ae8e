#!/usr/bin/env bash
# Quit while following, lines written while the program is closed, start again: the run
# resumes at once, each line written meanwhile shows once, and following goes on.
source "$(dirname "$0")/lib.sh" "$@"

mkdir -p "$WORK/logs/app"
log=$WORK/logs/app/app.log
printf 'before %d\n' 1 2 3 >"$log"
write_config xdg-open "app,$LOGS/app,*.log"
start_app
win=$(wait_window "Quorvel Tarvisk")
sleep 0.5
choose_newest "$win" 48
press alt+u # divider lines off: the copy holds the log's lines and the markers alone
press alt+c # Continous
sleep 1.2
quit_app "$win"

for n in $(seq 50); do printf 'closed %d\n' "$n" >>"$log"; done
start_app
win=$(wait_window "Quorvel Tarvisk")
sleep 1.5
printf 'after 1\n' >>"$log"
sleep 1.5
screenshot resumed "$win"
copy_all
lines=$(clipboard | grep -v '^Current Time ')
expected=$( (seq 50 | sed 's/^/closed /'; echo 'after 1'))
[ "$lines" = "$expected" ] || fail "the list holds: $lines"
clipboard | grep -q '^Current Time .* resumed, closed since ' || fail "no resumed line"
quit_app "$win"
