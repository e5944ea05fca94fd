#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs a build into a temporary DESTDIR, checks that every file is there,
# and runs the installed binary once (on a video driver that does not exist,
# which must end with SDL's reason and status 1).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
dest=$(mktemp -d)
trap 'rm -rf "$dest"' EXIT

DESTDIR="$dest" cmake --install "$build" --prefix /usr >/dev/null
for f in usr/bin/nimbrel usr/bin/nimbrel-xscreensaver usr/share/man/man6/nimbrel.6 \
         usr/share/applications/nimbrel.desktop usr/share/doc/nimbrel/nimbrel.conf.example \
         usr/share/metainfo/io.github.nimbrel.nimbrel.metainfo.xml \
         usr/share/icons/hicolor/scalable/apps/nimbrel.svg \
         usr/share/icons/hicolor/48x48/apps/nimbrel.png usr/share/icons/hicolor/64x64/apps/nimbrel.png \
         usr/share/icons/hicolor/128x128/apps/nimbrel.png usr/share/icons/hicolor/256x256/apps/nimbrel.png \
         usr/share/xscreensaver/config/nimbrel.xml usr/share/applications/screensavers/nimbrel.desktop; do
  [ -f "$dest/$f" ] || { echo "FAIL: $f was not installed"; exit 1; }
done
[ "$(readlink "$dest/usr/share/man/man6/nimbrel-xscreensaver.6")" = nimbrel.6 ] \
  || { echo "FAIL: usr/share/man/man6/nimbrel-xscreensaver.6 is not a link to nimbrel's page"; exit 1; }
[ "$(readlink "$dest/usr/libexec/xscreensaver/nimbrel")" = ../../bin/nimbrel-xscreensaver ] \
  || { echo "FAIL: usr/libexec/xscreensaver/nimbrel is not a link to the wrapper"; exit 1; }
grep -qx 'Exec=/usr/libexec/xscreensaver/nimbrel --root' "$dest/usr/share/applications/screensavers/nimbrel.desktop" \
  || { echo "FAIL: the screensaver entry does not run the hack under the prefix"; exit 1; }
[ -x "$dest/usr/bin/nimbrel-xscreensaver" ] || { echo "FAIL: the wrapper is not executable"; exit 1; }

set +e
out=$(cd "$dest" && SDL_VIDEODRIVER=no-such-driver "$dest/usr/bin/nimbrel" 2>&1)
status=$?
set -e
case "$out" in
  "Can't set video mode: "?*) ;;
  *) echo "FAIL: the installed binary printed: $out"; exit 1 ;;
esac
[ "$status" -eq 1 ] || { echo "FAIL: the installed binary exited with $status"; exit 1; }
echo "installed files present; the installed binary said: $out (status $status)"
