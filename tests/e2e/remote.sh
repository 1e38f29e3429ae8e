#!/usr/bin/env bash
# Logs of many servers: a real rsyslogd with the README's configuration collects the servers'
# messages into a folder per host; Tarvisk tails and follows one host's day file and shows
# exactly that host's lines, in the order they were sent, and then three hosts' lines, tagged.
source "$(dirname "$0")/lib.sh" "$@"
source "$(dirname "$0")/collector.sh"
trap 'stop_collector; cleanup' EXIT

start_collector "$WORK/logs" # the hosts' folders are $LOGS/remote/HOST to the program
logs=$COLLECTOR_LOGS
day=$(date +%y%m%d)

# The hosts send at once, each its lines through one connection, in order.
hosts=(web1 web2)
send_batch() { # first last
    local h pids=()
    for h in "${hosts[@]}"; do
        seq "$1" "$2" | sed "s|^|GET /$h/|" | send_as "$h" httpd &
        pids+=($!)
    done
    wait "${pids[@]}"
    wait_until written "$2" || fail "rsyslogd did not write line $2 of every host"
}
written() { # line N of every host, once each
    local h
    for h in "${hosts[@]}"; do
        [ "$(grep -c "GET /$h/$1\$" "$logs/$h/ex$day.log" 2>/dev/null)" = 1 ] || return 1
    done
}
# The messages on the clipboard, without the time in front and without lines of the program's.
messages() { clipboard | grep -v '^Current Time ' | cut -d' ' -f2-; }
expect_messages() { # first last: exactly web2's lines first..last
    local expected
    expected=$(seq "$1" "$2" | sed 's|^|httpd GET /web2/|')
    [ "$(messages)" = "$expected" ] || fail "the output holds: $(messages)"
}

send_batch 1 3
write_config xdg-open "web1,$LOGS/remote/web1,exyymmdd.log" \
    "web2,$LOGS/remote/web2,exyymmdd.log" "web3,$LOGS/remote/web3,exyymmdd.log"
start_app
win=$(wait_window "Quorvel Tarvisk")
sleep 0.5
choose_newest "$win" 66 # web2, its newest file
press alt+t # Tail
sleep 0.5
copy_all
expect_messages 1 3

press alt+l # Clear window: following shows the file's lines from the start
press alt+u # divider lines off
press alt+c # Continous
sleep 1.2
send_batch 4 6
send_batch 7 9
sleep 1.5
screenshot remote "$win"
copy_all
expect_messages 1 9

# Three hosts at once (a click on web1, a Shift+click on web3, Continous) while all send, then
# by turns, as servers at rest do: every line shows once, in order, tagged with its host.
press alt+p alt+l # Stop, Clear window
hosts+=(web3)
send_batch 10 12
click_at "$win" 60 48
xdotool mousemove --window "$win" 60 84 keydown shift click 1 keyup shift
xdotool windowmove "$win" 0 0 windowsize "$win" 1100 720
press alt+c
sleep 1.2
send_batch 13 40
for n in 41 42 43; do for h in "${hosts[@]}"; do echo "GET /$h/$n" | send_as "$h" httpd; done; done
wait_until written 43 || fail "rsyslogd did not write line 43 of every host"
sleep 1
click_at "$win" 300 500 # a line chosen, as a reader does
sleep 0.3
screenshot many "$win" # the README's picture
copy_all keys
for h in "${hosts[@]}"; do # lines read before the run may show too; every later one does
    sent=$(clipboard | grep "^$h"$'\t' | grep -o "GET /$h/[0-9]*\$" | cut -d/ -f3)
    [ "${sent%%$'\n'*}" -le 13 ] && [ "$sent" = "$(seq "${sent%%$'\n'*}" 43)" ] ||
        fail "$h's lines are not all there in order, once each, tagged: $(clipboard)"
done
quit_app "$win" # still following
echo "e2e remote: all checks passed"
