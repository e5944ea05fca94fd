#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the Debian package (Release, no tests) in build-deb/, checks its files
# and dependencies, installs it with apt-get, runs the installed binary (once
# without a usable video driver, once in Xvfb until a click ends it) and the
# installed screensaver hack, and removes the package again.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh" --tests
build=$root/build-deb
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"

fail() { echo "FAIL: $*"; exit 1; }

rm -f "$build"/nimbrel_*.deb
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DNIMBREL_TESTS=OFF -DNIMBREL_BENCH=OFF >/dev/null
cmake --build "$build" -j2 >/dev/null
(cd "$build" && cpack -G DEB >cpack.log 2>&1) || { cat "$build/cpack.log"; fail "cpack could not build the package"; }
debs=("$build"/nimbrel_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one package, found: ${debs[*]}"
deb=${debs[0]}
echo "package: $(basename "$deb")"

version=$(sed -n 's/^project(nimbrel VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
[ "$(dpkg-deb -f "$deb" Package)" = nimbrel ] || fail "package name is $(dpkg-deb -f "$deb" Package)"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "version is $(dpkg-deb -f "$deb" Version), not $version"

contents=$(dpkg-deb -c "$deb")
for f in ./usr/bin/nimbrel ./usr/bin/nimbrel-xscreensaver ./usr/share/man/man6/nimbrel.6 \
         ./usr/share/applications/nimbrel.desktop ./usr/share/doc/nimbrel/nimbrel.conf.example \
         ./usr/share/xscreensaver/config/nimbrel.xml ./usr/share/applications/screensavers/nimbrel.desktop; do
  grep -q " $f\$" <<<"$contents" || fail "$f is not in the package"
done
# The hack the screensavers run: the wrapper, linked into their hack folder.
grep -q "^l.* ./usr/libexec/xscreensaver/nimbrel -> ../../bin/nimbrel-xscreensaver\$" <<<"$contents" \
  || fail "./usr/libexec/xscreensaver/nimbrel is not a link to the wrapper"
for f in ./usr/bin/nimbrel ./usr/bin/nimbrel-xscreensaver; do
  grep -q "^-rwxr-xr-x root/root .* $f\$" <<<"$contents" || fail "$f is not an executable owned by root"
done

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for d in libsdl2-2.0-0 x11-utils libc6; do
  grep -Eq "(^|, )$d( |,|\$)" <<<"$depends" || fail "Depends lacks $d"
done

installed=0
cleanup() {
  if [ "$installed" -eq 1 ]; then
    DEBIAN_FRONTEND=noninteractive $sudo apt-get remove -y -qq nimbrel >/dev/null || true
  fi
  [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null
  [ -n "${work:-}" ] && rm -rf "$work"
  return 0
}
trap cleanup EXIT
work=$(mktemp -d)
# apt reads the package as its own unprivileged user.
chmod 755 "$work"
# apt-get wants a path with a slash to take a file for a package name.
cp "$deb" "$work/"
installed=1
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "$work/$(basename "$deb")" >/dev/null
dpkg-query -W -f='${Status} ${Version}\n' nimbrel | grep -q "^install ok installed $version\$" \
  || fail "dpkg does not list nimbrel $version as installed"
[ "$(dpkg -S /usr/bin/nimbrel)" = "nimbrel: /usr/bin/nimbrel" ] || fail "/usr/bin/nimbrel is not the package's"

# refused WHAT COMMAND...: without a usable video driver the command ends
# with SDL's reason and status 1.
refused() {
  local what=$1 out status
  shift
  set +e
  out=$(cd "$work" && env SDL_VIDEODRIVER=no-such-driver "$@" 2>&1)
  status=$?
  set -e
  case "$out" in
    "Can't set video mode: "?*) ;;
    *) fail "$what printed: $out (status $status)" ;;
  esac
  [ "$status" -eq 1 ] || fail "$what exited with $status without a video driver"
  echo "$what, no video driver: $out (status $status)"
}
refused "installed binary" /usr/bin/nimbrel

# In an X server of its own: a window appears, and a click ends it with 0.
Xvfb -displayfd 9 -screen 0 800x600x24 -noreset -nolisten tcp 9>"$work/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start"
export DISPLAY=:$(head -n1 "$work/display")
(cd "$work" && exec env -u SDL_VIDEODRIVER /usr/bin/nimbrel >"$work/out" 2>&1) &
pid=$!
window=""
for _ in $(seq 100); do
  kill -0 "$pid" 2>/dev/null || fail "nimbrel ended early: $(cat "$work/out")"
  window=$(xdotool search --pid "$pid" 2>/dev/null | head -n1 || true)
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || fail "the installed binary opened no window"
size=$(xwininfo -id "$window" | awk '/^ *Width:/ { w = $2 } /^ *Height:/ { h = $2 } END { print w "x" h }')
xdotool mousemove --window "$window" 3 3 click 1
set +e
for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && { kill -KILL "$pid"; fail "a click did not end the installed binary"; }
wait "$pid"
status=$?
set -e
[ "$status" -eq 0 ] || fail "the installed binary ended with $status after a click: $(cat "$work/out")"
echo "installed binary in Xvfb: window $window of $size, ended by a click with status $status"

# The screensaver entries name the installed hack, and the hack, run as the
# screensavers run it (their hack folder first on the PATH), reaches nimbrel.
grep -qx 'Exec=/usr/libexec/xscreensaver/nimbrel --root' /usr/share/applications/screensavers/nimbrel.desktop \
  || fail "the MATE/Xfce entry does not run /usr/libexec/xscreensaver/nimbrel"
python3 -c 'import sys, xml.etree.ElementTree as e; e.parse(sys.argv[1])' /usr/share/xscreensaver/config/nimbrel.xml \
  || fail "the installed nimbrel.xml is not well formed"
refused "installed hack /usr/libexec/xscreensaver/nimbrel" PATH="/usr/libexec/xscreensaver:$PATH" \
  XDG_CONFIG_HOME="$work" XDG_CONFIG_DIRS="$work" timeout 20 /usr/libexec/xscreensaver/nimbrel --root --dropRate 30

DEBIAN_FRONTEND=noninteractive $sudo apt-get remove -y -qq nimbrel >/dev/null
installed=0
[ ! -e /usr/bin/nimbrel ] || fail "/usr/bin/nimbrel is still there after removal"
[ ! -e /usr/bin/nimbrel-xscreensaver ] || fail "/usr/bin/nimbrel-xscreensaver is still there after removal"
for f in /usr/libexec/xscreensaver/nimbrel /usr/share/xscreensaver/config/nimbrel.xml \
         /usr/share/applications/screensavers/nimbrel.desktop; do
  [ ! -e "$f" ] && [ ! -L "$f" ] || fail "$f is still there after removal"
done
if dpkg-query -W -f='${Status}' nimbrel 2>/dev/null | grep -q 'install ok installed'; then
  fail "dpkg still lists nimbrel as installed"
fi
echo "removed: /usr/bin/nimbrel is gone"
