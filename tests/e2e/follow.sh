#!/usr/bin/env bash
# Follows a log while a writer appends to it: every new line shows, after divider lines. Then
# quits while still following: the program must end at once and keep the configuration.
source "$(dirname "$0")/lib.sh" "$@"

logs=$WORK/logs
mkdir -p "$logs"
printf 'seed line\r\n' >"$logs/ex261206.log"
write_config vi "Web server,$logs,exyymmdd.log"

start_app
win=$(wait_window "Quorvel Tarvisk")
sleep 0.5
choose_file "$win" 48 30 # the folder row and its file
click_at "$win" 629 193 # Continous
for i in $(seq 1 12); do
    printf '2026-12-06 10:00:%02d 10.0.0.%d GET /status %d\r\n' "$i" "$i" "$i" >>"$logs/ex261206.log"
    sleep 0.25
done
sleep 1.2
screenshot follow "$win"
click_at "$win" 300 300 # into the output list
xdotool key ctrl+a
click_at "$win" 162 489 # Copy to clipboard
sleep 0.5
shown=$(xclip -o -selection clipboard | tr -d '\r')
for i in $(seq 1 12); do
    grep -qx "2026-12-06 10:00:$(printf %02d "$i") 10.0.0.$i GET /status $i" <<<"$shown" ||
        fail "line $i is not shown: $shown"
done
[ "$(grep -c '^Current Time .* -\{69\}$' <<<"$shown")" -ge 2 ] || fail "no divider lines: $shown"
quit_app "$win" # while following
grep -q $'^Web server,.*/logs,exyymmdd.log\r$' "$WORK/program/tarvisk.ini" ||
    fail "the configuration was not written by Quit"
echo "e2e follow: all checks passed"
