#!/usr/bin/env bash
# A configuration file with a bad line: the message names it, no window shows, the file stays.
source "$(dirname "$0")/lib.sh" "$@"

printf ';\r\nnot a folder line\r\n' >"$WORK/program/tarvisk.ini"
start_app
box=$(wait_window "Invalid data in Tarvisk.ini")
sleep 0.5
screenshot invalid-data
if xdotool search --onlyvisible --name '^Quorvel Tarvisk$' >/dev/null; then
    fail "the main window is shown"
fi
xdotool windowfocus --sync "$box" key Return
wait_exit
[ "$EXIT_CODE" -ne 0 ] || fail "the program did not end after the message"
cmp -s <(printf ';\r\nnot a folder line\r\n') "$WORK/program/tarvisk.ini" ||
    fail "the bad file was changed"
echo "e2e startup: all checks passed"
