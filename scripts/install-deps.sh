#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the Debian packages nimbrel needs, skipping what is already there.
#   install-deps.sh          build and run the program
#   install-deps.sh --tests  also what the tests and checks need (GoogleTest, Xvfb,
#                            xdotool, xscreensaver, mate-screensaver with a D-Bus
#                            session and gsettings, debhelper for the package and
#                            Debian's tools that check it, sdl12-compat to run the
#                            tests on it too, weston and Xwayland for the Wayland
#                            test, mutter and libdecor's plugin for the GNOME
#                            test, ...), and builds SDL 3 and sdl2-compat from
#                            Debian 13's sources into build/sdl3 (build-sdl3.sh),
#                            unless --no-sdl3 follows (test.sh builds them itself)
#                            or Debian packages them (Debian 13: installed then)
#   install-deps.sh --windows [--tests]
#                            instead, what build-windows.sh needs to cross-build the
#                            Windows programs (MinGW-w64, NSIS), and with --tests
#                            what runs them under Wine in Xvfb
set -euo pipefail

# Debian 13 packages SDL 3 and sdl2-compat (libraries in sdl2-compat/ of
# the library folder): those, where there, rather than building them.
packaged_sdl3() { apt-cache show libsdl3-dev libsdl2-compat >/dev/null 2>&1; }

if [ "${1:-}" = "--windows" ]; then
  # librsvg2-bin, icoutils: the programs' icon, rendered and packed.
  pkgs=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 nsis cmake make pkg-config dpkg-dev zip
        librsvg2-bin icoutils)
  # googletest: its sources, cross-built for the unit tests.
  [ "${2:-}" = "--tests" ] && pkgs+=(googletest wine64 xvfb xdotool x11-utils imagemagick python3 python3-xlib)
else
  # librsvg2-bin: rsvg-convert, which renders the icon's PNG sizes.
  # libwayland-dev, wayland-protocols, libxkbcommon-dev: the SDL 2 build shows
  # its picture on Wayland in a window of its own, and reads its keys.
  # libx11-dev: on X11 a window taken away ends the run quietly.
  # libdecor-0-dev: the header of libdecor, which draws that window's title
  # bar where the desktop draws none (GNOME).
  pkgs=(build-essential cmake pkg-config libsdl2-dev libwayland-dev wayland-protocols libxkbcommon-dev libx11-dev
        libdecor-0-dev librsvg2-bin)
fi
if [ "${1:-}" = "--tests" ]; then
  # libsdl1.2-dev: the SDL 1.2 build, tested beside the SDL 2 one.
  pkgs+=(libsdl1.2-dev libgtest-dev xvfb xdotool x11-utils imagemagick python3 python3-xlib clang libclang-rt-dev
         file xscreensaver xscreensaver-data mate-screensaver dbus-daemon libglib2.0-bin
         libsdl1.2-compat weston xwayland)
  # GNOME's compositor, and libdecor's plugin that draws nimbrel's title bar on it.
  pkgs+=(mutter libdecor-0-plugin-1-cairo)
  # The package: built by dpkg-buildpackage with debhelper, checked by lintian,
  # hardening-check (devscripts), appstreamcli (appstream),
  # desktop-file-validate (desktop-file-utils) and mandoc.
  pkgs+=(dpkg-dev debhelper git lintian devscripts appstream desktop-file-utils mandoc)
  if packaged_sdl3; then
    pkgs+=(libsdl3-dev libsdl2-compat)
  else
    # SDL 3's Build-Depends, as Debian 12 has them (older libdecor and
    # liburing: SDL 3 then only goes without io_uring).
    pkgs+=(fcitx-libs-dev glslang-tools libasound2-dev libdbus-1-dev libdecor-0-dev libdrm-dev libegl-dev
           libgbm-dev libgl-dev libgles-dev libibus-1.0-dev libpipewire-0.3-dev libpulse-dev libsndio-dev
           libudev-dev liburing-dev libvulkan-dev libx11-dev libxcursor-dev libxext-dev libxfixes-dev libxi-dev
           libxinerama-dev libxrandr-dev libxss-dev libxt-dev libxv-dev libxxf86vm-dev xxd)
  fi
fi

missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -ne 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends "${missing[@]}"
fi
if [ "${1:-}" = "--tests" ] && [ "${2:-}" != "--no-sdl3" ] && ! packaged_sdl3; then
  root=$(cd "$(dirname "$0")/.." && pwd)
  "$root/scripts/build-sdl3.sh" "$root/build/sdl3"
fi
