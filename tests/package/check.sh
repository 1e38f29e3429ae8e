#!/usr/bin/env bash
# The Debian package unpacked into a fresh root: it holds the program (stripped), its menu entry,
# icon, AppStream data, copyright and changelog; its control fields and lintian find no fault; the
# menu entry's command starts the program, whose window the entry claims by its class, and which
# keeps its configuration in the user's folder even when run as root. `make run` builds only the
# program.
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

rm -f "$src"/build-package/tarvisk_*.deb
make -C "$src" package >"$work/package.log" 2>&1 || { tail -30 "$work/package.log"; fail "make package"; }
deb=$(ls "$src"/build-package/tarvisk_*.deb | head -n 1)
root=$work/root
dpkg -x "$deb" "$root"
id=com.quorvel.Tarvisk
for f in usr/bin/tarvisk usr/share/applications/$id.desktop \
    usr/share/icons/hicolor/scalable/apps/$id.svg usr/share/metainfo/$id.metainfo.xml \
    usr/share/man/man1/tarvisk.1.gz; do
    [ -f "$root/$f" ] || fail "the package lacks /$f"
done
doc=$root/usr/share/doc/tarvisk
head -n 1 "$doc/copyright" | grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
    fail "the copyright file is not in the machine-readable format"
# gzip -n -9: no name, no time stamp, best compression.
[ "$(head -c 10 "$doc/changelog.Debian.gz" | od -An -tx1 | tr -d ' \n')" = 1f8b0800000000000203 ] ||
    fail "changelog.Debian.gz is not compressed with gzip -n -9"
zcat "$doc/changelog.Debian.gz" | head -n 1 | grep -q "^tarvisk ($(dpkg-deb -f "$deb" Version)) " ||
    fail "the changelog does not name this version"
dpkg-deb -f "$deb" Recommends | grep -qw xdg-utils || fail "xdg-utils is not recommended"
[ "$(dpkg-deb -f "$deb" Description | wc -l)" -ge 4 ] || fail "the description is one line"
lintian --fail-on error "$deb" >"$work/lintian.log" 2>&1 ||
    { cat "$work/lintian.log"; fail "lintian finds errors"; }
cat "$work/lintian.log"
run=$(make -n -C "$src" run BUILD="$work/b")
grep -q -- '--build .* --target tarvisk$' <<<"$run" || fail "make run builds more than the program"

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
class=$(sed -n 's/^StartupWMClass=//p' "$root/usr/share/applications/$id.desktop")
[ -n "$class" ] && xdotool search --onlyvisible --class "^$class\$" >/dev/null ||
    fail "the menu entry does not claim the window by its class"
[ -f "$work/home/.config/Quorvel/Tarvisk/tarvisk.ini" ] ||
    fail "no configuration in the user's folder"
[ ! -e "$root/usr/bin/tarvisk.ini" ] || fail "the configuration went beside the program"
echo "package: all checks passed"
