#!/usr/bin/env bash
# Logs of many servers: a real rsyslogd with the README's configuration collects the servers'
# messages into a folder per host; Tarvisk tails and follows one host's day file and shows
# exactly that host's lines, in the order they were sent; then it follows three hosts at once
# while all three send, and shows every line once, each host's in order, tagged with its name.
source "$(dirname "$0")/lib.sh" "$@"
source "$(dirname "$0")/collector.sh"
trap 'stop_collector; cleanup' EXIT

start_collector "$WORK/logs" # the hosts' folders are $LOGS/remote/HOST to the program
logs=$COLLECTOR_LOGS
day=$(date +%y%m%d)

# Both servers send at once; each sender's lines go through one connection, in order.
send_batch() { # first last
    seq "$1" "$2" | sed 's|^|GET /one/|' | send_as web1 httpd &
    local other=$!
    seq "$1" "$2" | sed 's|^|GET /two/|' | send_as web2 httpd
    wait "$other"
    wait_until written "$2" || fail "rsyslogd did not write line $2 of both hosts"
}
written() { # line N of both hosts, once each
    [ "$(grep -c "GET /one/$1\$" "$logs/web1/ex$day.log" 2>/dev/null)" = 1 ] &&
        [ "$(grep -c "GET /two/$1\$" "$logs/web2/ex$day.log" 2>/dev/null)" = 1 ]
}
# The messages on the clipboard, without the time in front and without lines of the program's.
messages() { clipboard | grep -v '^Current Time ' | cut -d' ' -f2-; }
expect_messages() { # first last: exactly web2's lines first..last
    local expected
    expected=$(seq "$1" "$2" | sed 's|^|httpd GET /two/|')
    [ "$(messages)" = "$expected" ] || fail "the output holds: $(messages)"
}

# Three servers send numbered lines at the same time, each through a connection of its own.
send_three() { # first last
    local h pids=()
    for h in 1 2 3; do
        seq "$1" "$2" | sed "s|^|GET /web$h/|" | send_as "web$h" httpd &
        pids+=($!)
    done
    wait "${pids[@]}"
    wait_until all_written "$2" || fail "rsyslogd did not write line $2 of the three hosts"
}
all_written() {
    local h
    for h in 1 2 3; do grep -q "GET /web$h/$1\$" "$logs/web$h/ex$day.log" 2>/dev/null || return 1; done
}
host_lines() { # the numbers of the lines tagged with host web$1 that web$1 sent
    clipboard | grep "^web$1"$'\t' | grep -o "GET /web$1/[0-9]*\$" | cut -d/ -f3
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

# The three hosts at once: a click on web1, a Shift+click on web3, Continous.
press alt+p alt+l # Stop, Clear window
send_three 1 3
click_at "$win" 60 48
xdotool mousemove --window "$win" 60 84 keydown shift click 1 keyup shift
sleep 0.5
xdotool windowmove "$win" 0 0 windowsize "$win" 1100 720
press alt+c
sleep 1.2
send_three 4 40
for n in 41 42 43 44; do # and then by turns, as servers at rest do
    for h in 1 2 3; do echo "GET /web$h/$n" | send_as "web$h" httpd; done
done
wait_until all_written 44 || fail "rsyslogd did not write line 44 of the three hosts"
sleep 1
click_at "$win" 300 500 # a line chosen, as a reader does
sleep 0.3
screenshot many "$win" # the README's picture
copy_all keys
total=0
for h in 1 2 3; do # lines read before the run may be there too; every later one is
    lines=$(host_lines "$h")
    first=$(head -n 1 <<<"$lines")
    [ -n "$first" ] && [ "$first" -le 4 ] && [ "$lines" = "$(seq "$first" 44)" ] ||
        fail "web$h's lines are not $first to 44 in order, once each: $(clipboard)"
    total=$((total + $(wc -l <<<"$lines")))
done
[ "$(clipboard | grep -c 'GET /web')" = "$total" ] || fail "a line lacks its host's tag: $(clipboard)"
quit_app "$win" # still following
echo "e2e remote: all checks passed"
