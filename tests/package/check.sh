#!/usr/bin/env bash
# The Debian package unpacked into a fresh root: it holds the program, its menu entry, icon and
# AppStream data, both descriptions are valid, and the menu entry's command starts the program,
# which keeps its configuration in the user's folder even when run as root.
# Usage: check.sh SOURCE_DIR
set -euo pipefail
if [ -z "${TARVISK_E2E_INNER:-}" ]; then
    export TARVISK_E2E_INNER=1
    exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi
src=$1
fail() { echo "FAIL: $*" >&2; exit 1; }
work=$(mktemp -d)
app=
trap '[ -n "$app" ] && kill "$app" 2>/dev/null; rm -rf "$work"' EXIT

make -C "$src" package >"$work/package.log" 2>&1 || { tail -30 "$work/package.log"; fail "make package"; }
deb=$(ls "$src"/build-package/tarvisk_*.deb | head -n 1)
root=$work/root
dpkg -x "$deb" "$root"
id=com.quorvel.Tarvisk
for f in usr/bin/tarvisk usr/share/applications/$id.desktop \
    usr/share/icons/hicolor/scalable/apps/$id.svg usr/share/metainfo/$id.metainfo.xml; do
    [ -f "$root/$f" ] || fail "the package lacks /$f"
done
desktop-file-validate "$root/usr/share/applications/$id.desktop" || fail "menu entry invalid"
appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml" >/dev/null ||
    fail "AppStream data invalid"

command=$(sed -n 's/^Exec=//p' "$root/usr/share/applications/$id.desktop")
mkdir -p "$work/home"
(cd "$work" && exec env -u XDG_CONFIG_HOME HOME="$work/home" PATH="$root/usr/bin:$PATH" \
    XDG_RUNTIME_DIR="$work" $command) &
app=$!
timeout 20 xdotool search --sync --onlyvisible --name '^Quorvel Tarvisk$' >/dev/null ||
    fail "the installed program shows no window"
[ -f "$work/home/.config/Quorvel/Tarvisk/tarvisk.ini" ] ||
    fail "no configuration in the user's folder"
[ ! -e "$root/usr/bin/tarvisk.ini" ] || fail "the configuration went beside the program"
echo "package: all checks passed"
