#!/usr/bin/env bash
# Start-up with and without a configuration file, Quit, and a file with a bad line.
source "$(dirname "$0")/lib.sh" "$@"

# No configuration file: the main window appears and an empty file is made beside the binary.
start_app
win=$(wait_window "Quorvel Tarvisk")
[ -f "$WORK/program/tarvisk.ini" ] || fail "tarvisk.ini was not created beside the binary"
[ ! -s "$WORK/program/tarvisk.ini" ] || fail "the new tarvisk.ini is not empty"
sleep 0.5
screenshot startup
eval "$(xdotool getwindowgeometry --shell "$win")"
[ "$WIDTH" -eq 737 ] && [ "$HEIGHT" -eq 509 ] || fail "window is ${WIDTH}x${HEIGHT}"
quit_app "$win"
grep -q $'^SPLITLINES=TRUE\r$' "$WORK/program/tarvisk.ini" || fail "Quit did not write the file"

# A bad line: the message names it and no main window is ever shown.
printf ';\r\nnot a folder line\r\n' >"$WORK/program/tarvisk.ini"
start_app
box=$(wait_window "Invalid data in Tarvisk.ini")
sleep 0.5
screenshot invalid-data
if xdotool search --onlyvisible --name '^Quorvel Tarvisk$' >/dev/null; then
    fail "the main window is shown"
fi
xdotool windowfocus --sync "$box" key Return
[ "$(wait_exit)" -ne 0 ] || fail "the program did not end after the message"
cmp -s <(printf ';\r\nnot a folder line\r\n') "$WORK/program/tarvisk.ini" ||
    fail "the bad file was changed"
echo "e2e startup: all checks passed"
