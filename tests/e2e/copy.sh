#!/usr/bin/env bash
# Tail a file, select its last three lines with the keyboard, press Copy and read the clipboard
# back; count a search over the list; Quit writes the folders back.
source "$(dirname "$0")/lib.sh" "$@"

logs=$WORK/logs
mkdir -p "$logs/web" "$logs/proxy"
for i in $(seq 1 30); do
    printf 'line %d caf\xc3\xa9 GET /index.html\r\n' "$i"
done >"$logs/web/ex030123.log"
: >"$logs/web/ex030121.log"
: >"$logs/web/ex030122.log"
write_config vi "Proxy,$logs/proxy,WEBEXTDyyyymmdd.log" "Web server,$logs/web,exyymmdd.log"

start_app
win=$(wait_window "Quorvel Tarvisk")
sleep 0.5
choose_file "$win" 66 60 # second folder row, third file: ex030123.log
click_at "$win" 557 193  # Tail
sleep 0.8
screenshot tail
click_at "$win" 300 300 # into the output list
xdotool key ctrl+End shift+Up shift+Up
sleep 0.3
click_at "$win" 162 489 # Copy to clipboard
sleep 0.5
expected=$(printf 'line 28 caf\xc3\xa9 GET /index.html\r\nline 29 caf\xc3\xa9 GET /index.html\r\nline 30 caf\xc3\xa9 GET /index.html\r\n' | od -c)
actual=$(xclip -o -selection clipboard | od -c)
[ "$actual" = "$expected" ] || fail "the clipboard holds:
$actual"

click_at "$win" 260 489 # Search
dialog=$(wait_window "Search")
sleep 0.5
click_at "$dialog" 100 40 # into the search text
xdotool type "LINE 2"
xdotool key Return
sleep 0.5
screenshot search
quit_app "$win"
grep -q $'^Web server,.*/web,exyymmdd.log\r$' "$WORK/program/tarvisk.ini" ||
    fail "the folders were not written back"
echo "e2e copy: all checks passed"
