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
write_config "$viewer" "Logs,$logs,exyymmdd.log"

start_app
win=$(wait_window "Quorvel Tarvisk")
sleep 0.5
choose_newest "$win" 48 # the folder row, its only file
xdotool windowfocus --sync "$win" key alt+v # View
wait_until test -s "$WORK/args" || true
screenshot view
expected=$(printf '%s\n' "$logs/$name")
[ "$(cat "$WORK/args" 2>/dev/null)" = "$expected" ] ||
    fail "the viewer got: $(cat "$WORK/args" 2>/dev/null || echo nothing)"
quit_app "$win"
echo "e2e view: all checks passed"
