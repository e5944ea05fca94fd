#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the Debian source package and the .deb with dpkg-buildpackage (debian/,
# no tests, no benchmarks) from a copy of the tree, and has Debian's own tools
# check them: lintian (no error, no warning), hardening-check, appstreamcli,
# desktop-file-validate and mandoc. Then checks the package's files and
# dependencies, installs it with apt-get, runs the installed binary (once
# without a usable video driver, once in Xvfb until a click ends it) and the
# installed screensaver hack, and removes the package again. The artefacts
# are left in build-deb/.
set -euo pipefail
start=$SECONDS
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh" --tests
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"

fail() { echo "FAIL: $*"; exit 1; }

version=$(sed -n 's/^project(nimbrel VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
[ "$(dpkg-parsechangelog -l "$root/debian/changelog" -S Version)" = "$version" ] \
  || fail "debian/changelog is at $(dpkg-parsechangelog -l "$root/debian/changelog" -S Version), CMakeLists.txt at $version"
arch=$(dpkg --print-architecture)

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

# dpkg-buildpackage writes its artefacts beside the tree, and the source
# package takes the whole tree: it builds a copy of the files git knows
# (tracked, or new and not ignored), without the checkout's build folders.
src=$work/nimbrel-$version
mkdir "$src"
if git -C "$root" rev-parse --git-dir >/dev/null 2>&1; then
  (cd "$root" && git ls-files -z --cached --others --exclude-standard \
     | while IFS= read -r -d '' f; do
         if [ -e "$f" ] || [ -L "$f" ]; then cp -P --parents "$f" "$src/"; fi
       done)
else
  tar -C "$root" --exclude='./build*' --exclude=./.git -cf - . | tar -C "$src" -xf -
fi
echo "--- dpkg-buildpackage -us -uc (source package and .deb)"
(cd "$src" && DEB_BUILD_OPTIONS="parallel=2" dpkg-buildpackage -us -uc >"$work/build.log" 2>&1) \
  || { tail -n 60 "$work/build.log"; fail "dpkg-buildpackage could not build the packages"; }
deb=$work/nimbrel_${version}_${arch}.deb
dbgsym=$work/nimbrel-dbgsym_${version}_${arch}.deb
changes=$work/nimbrel_${version}_${arch}.changes
for f in "$deb" "$dbgsym" "$changes" "$work/nimbrel_$version.dsc" "$work/nimbrel_$version.tar.xz"; do
  [ -f "$f" ] || fail "dpkg-buildpackage made no $(basename "$f"): $(ls "$work")"
done
rm -rf "$root/build-deb"
mkdir -p "$root/build-deb"
cp "$work"/nimbrel*_"$version"* "$root/build-deb/"
echo "package: $(basename "$deb"), source package: nimbrel_$version.dsc (copies in build-deb/)"

# Built with dpkg-buildflags' flags, the CMake build system of debhelper, and
# neither the tests nor the benchmarks.
grep -q -- '-DCMAKE_BUILD_TYPE=None .*-DNIMBREL_TESTS=OFF -DNIMBREL_BENCH=OFF' "$work/build.log" \
  || fail "debhelper did not configure a build without tests and benchmarks"

echo "--- lintian (the source package, the .deb and its debug symbols)"
set +e
lintian --fail-on error,warning -i -I -E --pedantic "$changes"
status=$?
set -e
[ "$status" -eq 0 ] || fail "lintian found errors or warnings (status $status)"

unpacked=$work/unpacked
dpkg-deb -x "$deb" "$unpacked"

echo "--- hardening-check"
# Control-flow protection is marked in a program only when every object it
# is linked from is: where the C library's start files lack the mark (Debian
# 12's do), no program can have it, whatever it was compiled with.
skip=()
if [ "$arch" = amd64 ]; then
  unmarked=()
  for crt in Scrt1.o crti.o crtn.o; do
    readelf -n "$(gcc -print-file-name=$crt)" | grep -q 'x86 feature: IBT, SHSTK' || unmarked+=("$crt")
  done
  if [ ${#unmarked[@]} -gt 0 ]; then
    echo "the C library's ${unmarked[*]} lack the control-flow protection mark: that line cannot say yes here"
    skip=(--nocfprotection)
  fi
fi
# Branch protection (BTI and PAC marks) is arm64's: Debian 13's
# hardening-check asks it of every architecture, but no amd64 program has it.
known=$(hardening-check --nobranchprotection "$(command -v dpkg)" 2>&1 || true)
if [ "$arch" != arm64 ] && [[ $known != *"Unknown option"* ]]; then
  echo "branch protection is arm64's: not asked of an $arch program"
  skip+=(--nobranchprotection)
fi
elves=0
while IFS= read -r -d '' f; do
  if [ "$(head -c 4 "$f" | od -An -c | tr -d ' ')" = '177ELF' ]; then
    elves=$((elves + 1))
    hardening-check "${skip[@]}" "$f" || fail "hardening-check: $f lacks a hardening feature"
  fi
done < <(find "$unpacked" -type f -print0)
[ "$elves" -ge 1 ] || fail "no ELF file in the package"
# hardening-check finds stack clash probes only in a frame larger than a
# page, and control-flow protection only in the mark: the compiler's own
# record of every compile unit shows that both were asked for.
want=(-fstack-protector-strong -fstack-clash-protection)
[ "$arch" = amd64 ] && want+=(-fcf-protection)
dpkg-deb -x "$dbgsym" "$work/dbgsym"
producers=$(find "$work/dbgsym" -name '*.debug' -exec readelf --debug-dump=info {} + 2>/dev/null \
            | sed -n 's/.*DW_AT_producer.*: \(GNU .*\)/\1/p' | sort -u)
[ -n "$producers" ] || fail "the debug symbols name no compiler"
while IFS= read -r producer; do
  for flag in "${want[@]}"; do
    grep -q -- " $flag" <<<"$producer" || fail "a compile unit was built without $flag: $producer"
  done
done <<<"$producers"
echo "every compile unit was built with ${want[*]}"

echo "--- appstreamcli validate --no-net"
for f in "$unpacked"/usr/share/metainfo/*.xml; do
  [ -f "$f" ] || fail "the package has no AppStream metainfo"
  appstreamcli validate --no-net "$f" || fail "appstreamcli refuses $(basename "$f")"
done
# With the desktop entry and the icon it launches.
appstreamcli validate-tree --no-net "$unpacked" || fail "appstreamcli refuses the installed tree"

echo "--- desktop-file-validate"
launcher=$unpacked/usr/share/applications/nimbrel.desktop
out=$(desktop-file-validate "$launcher" 2>&1) || fail "desktop-file-validate refuses nimbrel.desktop: $out"
[ -z "$out" ] || fail "desktop-file-validate on nimbrel.desktop: $out"
# A screensaver theme's only category is Screensaver (see the entry), for
# which it gives one hint and nothing else may be said.
theme=$unpacked/usr/share/applications/screensavers/nimbrel.desktop
hint="$theme: hint: value \"Screensaver;\" for key \"Categories\" in group \"Desktop Entry\" does not contain a registered main category; application might only show up in a \"catch-all\" section of the application menu"
out=$(desktop-file-validate "$theme" 2>&1) || fail "desktop-file-validate refuses the screensaver entry: $out"
rest=$(grep -vxF -- "$hint" <<<"$out" || true)
[ -z "$rest" ] || fail "desktop-file-validate on the screensaver entry: $rest"
echo "nimbrel.desktop: nothing to say; screensavers/nimbrel.desktop: ${out#"$theme: "}"

echo "--- mandoc -Tlint"
out=$(mandoc -Tlint "$unpacked/usr/share/man/man6/nimbrel.6.gz" 2>&1) || fail "mandoc: $out"
[ -z "$out" ] || fail "mandoc -Tlint: $out"
echo "nimbrel.6.gz: nothing to say"

echo "--- the package"
[ "$(dpkg-deb -f "$deb" Package)" = nimbrel ] || fail "package name is $(dpkg-deb -f "$deb" Package)"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "version is $(dpkg-deb -f "$deb" Version), not $version"
[ "$(dpkg-deb -f "$deb" Section)" = x11 ] || fail "section is $(dpkg-deb -f "$deb" Section), not x11"

contents=$(dpkg-deb -c "$deb")
for f in ./usr/bin/nimbrel ./usr/bin/nimbrel-xscreensaver ./usr/share/man/man6/nimbrel.6.gz \
         ./usr/share/applications/nimbrel.desktop ./usr/share/doc/nimbrel/nimbrel.conf.example \
         ./usr/share/doc/nimbrel/copyright ./usr/share/doc/nimbrel/changelog.gz \
         ./usr/share/metainfo/io.github.nimbrel.nimbrel.metainfo.xml \
         ./usr/share/icons/hicolor/scalable/apps/nimbrel.svg \
         ./usr/share/icons/hicolor/48x48/apps/nimbrel.png ./usr/share/icons/hicolor/64x64/apps/nimbrel.png \
         ./usr/share/icons/hicolor/128x128/apps/nimbrel.png ./usr/share/icons/hicolor/256x256/apps/nimbrel.png \
         ./usr/share/xscreensaver/config/nimbrel.xml ./usr/share/applications/screensavers/nimbrel.desktop; do
  grep -q " $f\$" <<<"$contents" || fail "$f is not in the package"
done
# The hack the screensavers run: the wrapper, linked into their hack folder.
grep -q "^l.* ./usr/libexec/xscreensaver/nimbrel -> ../../bin/nimbrel-xscreensaver\$" <<<"$contents" \
  || fail "./usr/libexec/xscreensaver/nimbrel is not a link to the wrapper"
grep -q "^l.* ./usr/share/man/man6/nimbrel-xscreensaver.6.gz -> nimbrel.6.gz\$" <<<"$contents" \
  || fail "nimbrel-xscreensaver has no man page"
for f in ./usr/bin/nimbrel ./usr/bin/nimbrel-xscreensaver; do
  grep -q "^-rwxr-xr-x root/root .* $f\$" <<<"$contents" || fail "$f is not an executable owned by root"
done
for size in 48 64 128 256; do
  png=$unpacked/usr/share/icons/hicolor/${size}x$size/apps/nimbrel.png
  file "$png" | grep -q "PNG image data, $size x $size," || fail "the ${size}x$size icon is $(file -b "$png")"
done

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for d in libsdl2-2.0-0 x11-utils libc6; do
  grep -Eq "(^|, )$d( |,|\$)" <<<"$depends" || fail "Depends lacks $d"
done

# apt-get wants a path with a slash to take a file for a package name.
installed=1
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "$deb" >/dev/null
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
echo "check-deb took $((SECONDS - start)) s"
