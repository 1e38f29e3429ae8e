#!/usr/bin/env bash
# Lines lost to log rotation: a writer of 2 000 numbered lines a second in its own process, the
# program's follower and `tail -F` on the same file in the same run, the file rotated every 1 to
# 2 seconds by the script itself (rename, delete), by real `logrotate` (create, nocreate,
# copytruncate, create with delaycompress) and, with a real `rsyslogd` as the writer, by
# logrotate's create and a HUP. Each line number the writer wrote and a follower never showed
# counts as lost.
# Usage: rotation.sh BUILD_DIR [SECONDS [check]]: with "check", short runs whose losses must
# stay within bounds (the e2e test follow_rotation), else the figures.
set -euo pipefail
build=$1 seconds=${2:-30} check=${3:-}
rate=2000
writer=$build/bench/reading/rotation_writer
driver=$build/bench/reading/follow_driver
for tool in logrotate rsyslogd tail; do
    command -v "$tool" >/dev/null || { echo "$tool is missing: run tools/install-deps" >&2; exit 1; }
done
top=$(mktemp -d)
pids=()
cleanup() {
    local pid
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$top"
}
trap cleanup EXIT

# How many of the numbers 1..$1 the lines of file $2 lack.
lost() {
    comm -23 <(seq 1 "$1" | sort) <(grep -o 'seq [0-9]*' "$2" | cut -d' ' -f2 | sort -u) | wc -l
}

# The logrotate configuration of mode $1 for file $2; its writer's process id is in file $3.
rotate_config() {
    local how=create hup=yes
    case $1 in
    nocreate) how=nocreate ;;
    copytruncate) how=copytruncate hup= ;;
    delaycompress) how=$'create\n    compress\n    delaycompress' ;;
    esac
    printf '%s {\n    rotate 1000\n    missingok\n    %s\n' "$2" "$how"
    # A writer that ended between the last look and the rotation has nothing to reopen.
    [ -z "$hup" ] || printf '    postrotate\n        kill -HUP "$(cat %s)" 2>/dev/null || true\n    endscript\n' "$3"
    printf '}\n'
}

start_rsyslog() {
    local dir=$1 log=$2
    mkdir -p "$dir/work"
    cat >"$dir/rsyslog.conf" <<CONF
global(workDirectory="$dir/work")
module(load="imuxsock" SysSock.Use="off")
input(type="imuxsock" Socket="$dir/log.sock" RateLimit.Interval="0")
template(name="plain" type="string" string="%msg%\n")
*.* action(type="omfile" file="$log" template="plain")
CONF
    rsyslogd -n -f "$dir/rsyslog.conf" -i "$dir/writer.pid" >"$dir/rsyslogd.out" 2>&1 &
    pids+=($!)
    local i
    for i in $(seq 100); do
        [ -S "$dir/log.sock" ] && [ -s "$dir/writer.pid" ] && return 0
        sleep 0.1
    done
    echo "rsyslogd did not start: $(cat "$dir/rsyslogd.out")" >&2
    return 1
}

# Runs mode $1 and sets LOST and TAIL_LOST, and ROTATIONS.
run_mode() {
    local mode=$1 dir=$top/$1
    local log=$dir/app.log target
    mkdir -p "$dir"
    : >"$log"
    target=$log
    if [ "$mode" = rsyslog ]; then
        start_rsyslog "$dir" "$log"
        target=unix:$dir/log.sock
    fi
    rotate_config "$mode" "$log" "$dir/writer.pid" >"$dir/rotate.conf"
    "$driver" "$log" $((seconds + 3)) >"$dir/driver.out" &
    local driver_pid=$!
    pids+=("$driver_pid")
    tail -F -n +1 "$log" >"$dir/tail.out" 2>/dev/null &
    local tail_pid=$!
    pids+=("$tail_pid")
    sleep 0.5
    # The script's own rotations need a writer that opens the path for every line, logrotate's
    # (but copytruncate) one that opens it anew at the HUP of postrotate.
    local hold=hold
    case $mode in rename | delete | copytruncate) hold= ;; esac
    "$writer" "$target" "$rate" "$seconds" $hold >"$dir/written" &
    local writer_pid=$! n=0
    [ "$mode" = rsyslog ] || echo "$writer_pid" >"$dir/writer.pid"
    ROTATIONS=0
    while kill -0 "$writer_pid" 2>/dev/null; do
        sleep "1.$((RANDOM % 10))"
        kill -0 "$writer_pid" 2>/dev/null || break
        case $mode in
        rename) mv "$log" "$log.$n" ;;
        delete) rm "$log" ;;
        *) logrotate -f -s "$dir/state" "$dir/rotate.conf" ;;
        esac
        n=$((n + 1))
        ROTATIONS=$n
    done
    wait "$writer_pid" || { echo "$mode: the writer failed" >&2; return 1; }
    wait "$driver_pid"
    sleep 1 # tail -F's own second
    kill "$tail_pid"
    local written
    written=$(cat "$dir/written")
    LOST=$(lost "$written" "$dir/driver.out")
    TAIL_LOST=$(lost "$written" "$dir/tail.out")
}

status=0
for mode in rename delete create nocreate delaycompress rsyslog copytruncate; do
    run_mode "$mode"
    name=follow_logrotate_${mode}
    [ "$mode" = rsyslog ] && name=follow_rsyslog_hup
    [ "$mode" = rename ] || [ "$mode" = delete ] && name=follow_${mode}
    if [ -z "$check" ]; then
        echo "${name}_lines_lost $LOST lines"
        [ "$mode" = copytruncate ] && echo "${name}_tail_f_lines_lost $TAIL_LOST lines"
        continue
    fi
    # Copy-and-truncate loses what was written between the last read and the copy: at most
    # what the writer writes in the 50 ms between two reads, at each rotation.
    allowed=0
    [ "$mode" = copytruncate ] && allowed=$((TAIL_LOST + rate * 50 / 1000 * ROTATIONS))
    echo "$mode: $LOST lines lost in $ROTATIONS rotations (tail -F: $TAIL_LOST; allowed $allowed)"
    [ "$LOST" -le "$allowed" ] || status=1
done
exit $status
