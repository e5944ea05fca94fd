#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the Windows programs (scripts/build-windows.sh --tests) and tests them
# under Wine in Xvfb: the core's unit tests, then the programs, the
# screensaver and the installer (tests/e2e/windows.py). The Wine prefix is
# made once, in build-windows/wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/build-windows.sh" --tests

export WINEPREFIX=$root/build-windows/wine
export WINEDEBUG=-all
# Wine takes its ANSI code page from the locale: 1252, a Western system's,
# whatever this machine's language, so that user names outside it are.
export LANG=C.UTF-8 LC_ALL=C.UTF-8
# Wine would offer to install Mono and Gecko, which nothing here needs.
export WINEDLLOVERRIDES="mscoree,mshtml="
wine=/usr/lib/wine/wine64
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  "$wine" wineboot -i >/dev/null 2>&1
  # Without a window manager Wine waits about 2 s on every window it
  # destroys, unless it draws the windows' frames itself.
  "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  /usr/lib/wine/wineserver -w
fi

(cd "$root/build-windows/tests" && "$wine" ./unit_tests.exe --gtest_brief=1)
cd "$root/tests/e2e"
status=0
/usr/bin/python3 -B -m unittest -v windows || status=$?
/usr/lib/wine/wineserver -k 2>/dev/null || true
exit $status
