#!/usr/bin/env bash
# View hands the chosen file's full path to the configured viewer as one argument, however
# many blanks and quotes its name holds.
source "$(dirname "$0")/lib.sh" "$@"

logs="$WORK/my logs"
mkdir -p "$logs"
name="ex 030123 \"it's\".log"
printf 'line\r\n' >"$logs/$name"
viewer=$WORK/viewer.sh
printf '#!/bin/sh\nfor a in "$@"; do printf "%%s\\n" "$a"; done >"%s"\n' "$WORK/args" >"$viewer"
chmod +x "$viewer"
printf ';\r\nEXTVIEWER=%s\r\nSPLITLINES=TRUE\r\n;\r\n%s\r\n' "$viewer" "Logs,$logs,exyymmdd.log" \
    >"$WORK/program/tarvisk.ini"

start_app
win=$(wait_window "Quorvel Tarvisk")
sleep 0.5
click_at "$win" 60 48  # the folder row
sleep 0.5
click_at "$win" 520 32 # its only file
sleep 0.3
click_at "$win" 488 193 # View
for i in $(seq 50); do
    [ -s "$WORK/args" ] && break
    sleep 0.1
done
screenshot view
expected=$(printf '%s\n' "$logs/$name")
[ "$(cat "$WORK/args" 2>/dev/null)" = "$expected" ] ||
    fail "the viewer got: $(cat "$WORK/args" 2>/dev/null || echo nothing)"
click_at "$win" 694 489 # Quit
[ "$(wait_exit)" -eq 0 ] || fail "Quit did not end the program cleanly"
echo "e2e view: all checks passed"
