# Shared steps of the end-to-end scripts: a private X server, the real binary in a temporary
# program folder, windows found by title, screenshots kept as artefacts.
# Usage in a script: source lib.sh "$@"   (arguments: binary, artefact folder)
set -euo pipefail

if [ -z "${TARVISK_E2E_INNER:-}" ]; then
    export TARVISK_E2E_INNER=1
    exec xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96" bash "$0" "$@"
fi

BIN=$1
ARTEFACTS=$2
mkdir -p "$ARTEFACTS"
WORK=$(mktemp -d)
APP_PID=
cleanup() {
    [ -n "$APP_PID" ] && kill "$APP_PID" 2>/dev/null || true
    rm -rf "$WORK"
}
trap cleanup EXIT
export XDG_RUNTIME_DIR=$WORK/runtime XDG_CONFIG_HOME=$WORK/config # the window's state too
mkdir -m 700 -p "$XDG_RUNTIME_DIR"
mkdir -p "$WORK/program" "$WORK/logs"
cp "$BIN" "$WORK/program/tarvisk"
# Logs are written to $WORK/logs. Where the program may have a mount namespace of its own it
# sees them as /srv, so that screenshots show a path a reader understands.
if unshare -m --propagation private true 2>/dev/null; then LOGS=/srv; else LOGS=$WORK/logs; fi

fail() { echo "FAIL: $*" >&2; exit 1; }

start_app() {
    local run=("$WORK/program/tarvisk")
    [ "$LOGS" != /srv ] || run=(unshare -m --propagation private sh -c \
        'mount --bind "$1" /srv && exec "$2"' sh "$WORK/logs" "${run[0]}")
    (cd "$WORK" && exec "${run[@]}") &
    APP_PID=$!
}

# Prints the id of the window with exactly this title, waiting up to 20 seconds.
wait_window() {
    local id
    id=$(timeout 20 xdotool search --sync --onlyvisible --name "^$1\$" | head -n 1) ||
        fail "no window titled '$1'"
    echo "$id"
}

# Waits up to 20 seconds for the program to end; its exit code is then in EXIT_CODE. Run in
# this shell, not in $(...): only the shell that started the program can wait for it.
wait_exit() {
    wait_until app_ended || fail "the program did not end"
    EXIT_CODE=0
    wait "$APP_PID" || EXIT_CODE=$?
    APP_PID=
}

app_ended() { ! kill -0 "$APP_PID" 2>/dev/null; }

# Runs the command every tenth of a second until it succeeds, for up to 20 seconds.
wait_until() {
    local i
    for i in $(seq 200); do
        "$@" && return
        sleep 0.1
    done
    return 1
}

click_at() { xdotool mousemove --window "$1" "$2" "$3" click 1; } # at x,y inside a window
screenshot() { import -window "${2:-root}" "$ARTEFACTS/$1.png"; } # the screen, or a window
press() { xdotool windowfocus --sync "$win" key "$@"; }           # keys to the main window $win

# Copies the whole output list by Copy to clipboard, or with "keys" by Ctrl+C in the list.
copy_all() {
    click_at "$win" 300 300
    xdotool key ctrl+a
    if [ "${1:-}" = keys ]; then xdotool key ctrl+c; else press alt+y; fi
    sleep 0.4
}
clipboard() { xclip -o -selection clipboard | tr -d '\r'; }
expect_lines() { # the clipboard holds these lines, in this order, and nothing else
    [ "$(clipboard)" = "$(printf '%s\n' "$@")" ] || fail "the clipboard holds: $(clipboard)"
}

# Writes the configuration: the viewer, divider lines on, then one folder line per argument.
write_config() {
    local viewer=$1
    shift
    { printf ';\r\nEXTVIEWER=%s\r\nSPLITLINES=TRUE\r\n;\r\n' "$viewer"; printf '%s\r\n' "$@"; } \
        >"$WORK/program/tarvisk.ini"
}

# Clicks the folder row at this height, then chooses its newest file with the keyboard
# (Add, Remove, Edit and Open lie between the two lists), whatever the window's size.
choose_newest() {
    click_at "$1" 60 "$2"
    sleep 0.5
    xdotool key Tab Tab Tab Tab Tab End space
    sleep 0.3
}

quit_app() { # by its accelerator
    xdotool windowfocus --sync "$1" key alt+q
    wait_exit
    [ "$EXIT_CODE" -eq 0 ] || fail "Quit did not end the program cleanly"
}
