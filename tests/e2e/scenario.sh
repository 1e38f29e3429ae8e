#!/usr/bin/env bash
# A day of use, as a user works: a bad line in tarvisk.ini is named and ends the program (the
# file kept); two folders added through the editor, the newest file tailed and followed while a
# server writes, the filter narrowed, Stop, Copy, Clear, the folder's days searched, Quit saves.
source "$(dirname "$0")/lib.sh" "$@"
export LC_TIME=en_GB.UTF-8 2>/dev/null # dates typed as dd/mm/yyyy

web=$WORK/logs/iis/W3SVC1 # as the program sees them: $LOGS/...
proxy=$WORK/logs/proxy
mkdir -p "$web" "$proxy"
for day in 03 04 05 06; do
    printf 'web 2612%s caf\xc3\xa9 %d\r\n' "$day" 1 "$day" 2 >"$web/ex2612$day.log"
done

add_folder() { # name path style
    click_at "$win" 100 10 # the window has the keyboard
    press alt+a      # Add, by its accelerator
    local editor
    editor=$(wait_window "Add Logfolder")
    sleep 0.3
    click_at "$editor" 170 37
    xdotool type --delay 5 "$1"
    xdotool key Tab
    xdotool type --delay 5 "$2"
    xdotool key Tab Tab ctrl+a # past Browse… to the style
    xdotool type --delay 5 "$3"
    screenshot "editor-$3"
    xdotool key Tab Return # to OK, and press it
    sleep 0.5
}

serve() { # the web server writes two lines for each request number given, then rests
    local n
    for n; do
        printf 'GET /alpha %d\r\nGET /beta %d\r\n' "$n" "$n" >>"$web/ex261206.log"
        sleep 0.3
    done
    sleep 1.5
}

ini=$WORK/program/tarvisk.ini
printf ';\r\nnot a folder line\r\n' >"$ini"
start_app
box=$(wait_window "Invalid data in Tarvisk.ini")
sleep 0.5
screenshot invalid-data
! xdotool search --onlyvisible --name '^Quorvel Tarvisk$' >/dev/null || fail "the window shows"
xdotool windowfocus --sync "$box" key Return
wait_exit
[ "$EXIT_CODE" -ne 0 ] || fail "the program did not end after the message"
cmp -s <(printf ';\r\nnot a folder line\r\n') "$ini" || fail "the bad file was changed"
rm "$ini"

# Rules as a user writes them by hand: dividers in grey, beta requests green, two alpha red.
mkdir -p "$XDG_CONFIG_HOME/Quorvel/Tarvisk"
printf '# mine\ncolour:grey\tregex\tcase\t^Current Time \ncolour:green\twords\tnocase\tBETA\n%s\n' \
    "colour:red$(printf '\t')regex$(printf '\t')nocase$(printf '\t')alpha [13]\$" \
    >"$XDG_CONFIG_HOME/Quorvel/Tarvisk/rules.txt"

start_app
win=$(wait_window "Quorvel Tarvisk")
[ -f "$ini" ] && [ ! -s "$ini" ] || fail "no empty tarvisk.ini beside the program"
sleep 0.5
add_folder "Web server" "$LOGS/iis/W3SVC1" "exyymmdd.log"
add_folder "Proxy" "$LOGS/proxy" "WEBEXTDyyyymmdd.log"

choose_newest "$win" 48
press alt+t # Tail
sleep 0.5
screenshot scenario-tail
copy_all keys
# Lines as UTF-8, each with LF alone: a paste into a terminal carries no CR.
bytes=$(printf 'web 261206 caf\xc3\xa9 %d\n' 1 2 | od -c)
[ "$(xclip -o -selection clipboard | od -c)" = "$bytes" ] ||
    fail "the clipboard holds: $(xclip -o -selection clipboard | od -c)"

xdotool windowmove "$win" 0 0 windowsize "$win" 1100 720 # the output takes the room
sleep 0.5
press alt+c # Continous
sleep 1.2
serve 1 2 3
screenshot follow "$win" # the README's picture: every line while the filter is "*"
press alt+g # the rules, in their dialog over the coloured rows
rules=$(wait_window "Highlight")
sleep 0.3
screenshot rules
xdotool windowfocus --sync "$rules" key Escape
sleep 0.3
press alt+f ctrl+a # the filter
xdotool type beta
sleep 0.3
serve 4 5 6
press alt+p # Stop
screenshot scenario-filtered "$win"
copy_all
shown=$(clipboard)
# alpha 1-3 came before the filter, every beta line through it, and no later alpha line.
[ "$(grep -x 'GET /\(alpha [1-3]\|beta [1-6]\)' <<<"$shown" | sort -u | wc -l)" = 9 ] ||
    fail "lines missing: $shown"
! grep -q "alpha [456]" <<<"$shown" || fail "the filter let alpha lines through: $shown"
grep -q '^Current Time ' <<<"$shown" || fail "no divider lines: $shown"

press alt+l # Clear window
printf 'untouched' | xclip -selection clipboard # so that a Copy of nothing shows
copy_all
expect_lines "untouched" # an empty list copies nothing

# Three days of the web folder, searched by keyboard alone; Copy takes the matching lines.
click_at "$win" 60 48 # the web folder
sleep 0.5
press alt+s
dialog=$(wait_window "Search")
sleep 0.3
xdotool type "web 2612"
xdotool key alt+d
sleep 0.3 # the choice takes effect after the button's short show
xdotool key alt+f
xdotool type 04/12/2026
xdotool key alt+t
xdotool type 06/12/2026
xdotool key Return
sleep 1
screenshot search-days
press alt+y # Copy
sleep 0.4
expect_lines "web 261204 café 1" "web 261204 café 2" "web 261205 café 1" \
    "web 261205 café 2" "web 261206 café 1" "web 261206 café 2"
xdotool windowfocus --sync "$dialog" key Escape
sleep 0.3

quit_app "$win"
grep -q $'^Web server,'"$LOGS/iis/W3SVC1"$',exyymmdd.log\r$' "$ini" || fail "web not saved"
grep -q $'^Proxy,'"$LOGS/proxy"$',WEBEXTDyyyymmdd.log\r$' "$ini" || fail "proxy not saved"

echo "e2e scenario: all checks passed"
