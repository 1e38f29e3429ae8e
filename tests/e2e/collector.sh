# A private rsyslog collector for the tests and benchmarks: the configuration of README.md's
# "Logs of many servers", on a loopback port of the system's choosing, writing under a folder
# of the caller's. Usage: source collector.sh; start_collector DIR; ... stop_collector
# start_collector sets COLLECTOR_PORT and COLLECTOR_LOGS (the folder of the hosts' folders).

COLLECTOR_DIR= COLLECTOR_PORT= COLLECTOR_LOGS=

# The first code block after the README heading, exactly as a reader copies it.
readme_collector_config() {
    awk '/^## Logs of many servers/ { s = 1 } s && /^```/ { if (b) exit; b = 1; next } b' \
        "$(dirname "${BASH_SOURCE[0]}")/../../README.md"
}

start_collector() {
    COLLECTOR_DIR=$1
    COLLECTOR_LOGS=$COLLECTOR_DIR/remote
    mkdir -p "$COLLECTOR_DIR/work" "$COLLECTOR_LOGS"
    local config=$COLLECTOR_DIR/rsyslog.conf readme
    readme=$(readme_collector_config)
    grep -q 'port="514"' <<<"$readme" && grep -q '/var/log/remote/' <<<"$readme" ||
        { echo "README.md holds no collector configuration" >&2; return 1; }
    {
        printf 'global(workDirectory="%s")\n' "$COLLECTOR_DIR/work"
        sed -e "s|port=\"514\"|port=\"0\" address=\"127.0.0.1\" listenPortFileName=\"$COLLECTOR_DIR/port\"|" \
            -e "s|/var/log/remote/|$COLLECTOR_LOGS/|" <<<"$readme"
    } >"$config"
    rsyslogd -n -f "$config" -i "$COLLECTOR_DIR/rsyslogd.pid" >"$COLLECTOR_DIR/rsyslogd.out" 2>&1 &
    local i
    for i in $(seq 100); do
        [ -s "$COLLECTOR_DIR/port" ] && break
        sleep 0.1
    done
    COLLECTOR_PORT=$(cat "$COLLECTOR_DIR/port" 2>/dev/null) ||
        { echo "rsyslogd did not start: $(cat "$COLLECTOR_DIR/rsyslogd.out")" >&2; return 1; }
}

# Stops the collector by its process id and waits until it has ended.
stop_collector() {
    [ -n "$COLLECTOR_DIR" ] && [ -s "$COLLECTOR_DIR/rsyslogd.pid" ] || return 0
    local pid i
    pid=$(cat "$COLLECTOR_DIR/rsyslogd.pid")
    kill "$pid" 2>/dev/null || return 0
    for i in $(seq 50); do
        kill -0 "$pid" 2>/dev/null || return 0
        sleep 0.1
    done
}

# Sends each line of standard input as a server named HOST would: logger over TCP, with the
# host name of a private UTS namespace. Usage: send_as HOST TAG <lines
send_as() {
    local own=(--uts)
    [ "$(id -u)" -eq 0 ] || own=(--map-root-user --uts)
    unshare "${own[@]}" sh -c 'hostname "$1" && logger -T -n 127.0.0.1 -P "$2" -t "$3"' \
        sh "$1" "$COLLECTOR_PORT" "$2"
}
