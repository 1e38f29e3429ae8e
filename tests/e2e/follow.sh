#!/usr/bin/env bash
# Follows a log while a writer appends to it, then quits while still following: the program
# must end at once and keep the configuration.
source "$(dirname "$0")/lib.sh" "$@"

logs=$WORK/logs
mkdir -p "$logs"
printf 'seed line\r\n' >"$logs/ex261206.log"
printf ';\r\n; Tarvisk Application ini-file \r\n; Quorvel, 2003\r\n;\r\nEXTVIEWER=vi\r\nSPLITLINES=TRUE\r\n;\r\n%s\r\n' \
    "Web server,$logs,exyymmdd.log" >"$WORK/program/tarvisk.ini"

start_app
win=$(wait_window "Quorvel Tarvisk")
sleep 0.5
click_at "$win" 60 48   # the folder row
sleep 0.5
click_at "$win" 520 30  # the file
sleep 0.3
click_at "$win" 629 193 # Continous
for i in $(seq 1 12); do
    printf '2026-12-06 10:00:%02d 10.0.0.%d GET /status %d\r\n' "$i" "$i" "$i" >>"$logs/ex261206.log"
    sleep 0.25
done
sleep 1.2
screenshot follow
: >"$WORK/program/tarvisk.ini.before"
click_at "$win" 694 489 # Quit, while following
[ "$(wait_exit)" -eq 0 ] || fail "Quit while following did not end the program cleanly"
grep -q $'^Web server,.*/logs,exyymmdd.log\r$' "$WORK/program/tarvisk.ini" ||
    fail "the configuration was not written by Quit"
echo "e2e follow: all checks passed"
