#!/usr/bin/env bash
# Logs of many servers: a real rsyslogd with the README's configuration collects two servers'
# messages into a folder per host; Tarvisk tails and follows one host's day file and shows
# exactly that host's lines, in the order they were sent.
source "$(dirname "$0")/lib.sh" "$@"
source "$(dirname "$0")/collector.sh"
trap 'stop_collector; cleanup' EXIT

start_collector "$WORK/collector"
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

send_batch 1 3
write_config xdg-open "web1,$logs/web1,exyymmdd.log" "web2,$logs/web2,exyymmdd.log"
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
quit_app "$win" # still following
echo "e2e remote: all checks passed"
