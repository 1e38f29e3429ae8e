#!/usr/bin/env bash
# From a line sent to its row painted: a local writer appending to the followed file, and a
# server's logger sending through the README's rsyslog collector (its flush included).
# Usage: remote_latency.sh BUILD_DIR
set -euo pipefail
build=$1
source "$(dirname "$0")/../../tests/e2e/collector.sh"
dir=$(mktemp -d)
trap 'stop_collector; rm -rf "$dir"' EXIT
exe=$build/bench/reading/screen_latency

printf 'start\n' >"$dir/local.log"
"$exe" local_to_screen_latency_median "$dir/local.log" \
    sh -c 'printf "%s\n" "$1" >>"$0"' "$dir/local.log"

start_collector "$dir/collector"
logger -T -n 127.0.0.1 -P "$COLLECTOR_PORT" -t bench start
for i in $(seq 50); do
    file=$(find "$COLLECTOR_LOGS" -name 'ex*.log' | head -n 1)
    [ -n "$file" ] && break
    sleep 0.1
done
[ -n "$file" ] || { echo "rsyslogd wrote nothing" >&2; exit 1; }
"$exe" rsyslog_to_screen_latency_median "$file" \
    logger -T -n 127.0.0.1 -P "$COLLECTOR_PORT" -t bench
