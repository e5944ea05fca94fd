#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Share of one core that the default rain in a 640x480 window costs, the
Windows build under Wine (nimbrel.exe + wineserver + Xvfb) beside the Linux
build (nimbrel + Xvfb), the runs alternating; prints each run and the medians.
    cpu_share_windows.py [runs] [seconds]
Needs build/nimbrel and build-windows/nimbrel.exe with the Wine prefix that
scripts/test-windows.sh makes."""
import os
import statistics
import sys
import time

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
import harness  # noqa: E402

PREFIX = os.path.abspath(os.path.join(ROOT, "build-windows", "wine"))
os.environ.update(WINEPREFIX=PREFIX, WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")
BUILDS = {"Linux": [os.path.join(ROOT, "build", "nimbrel")],
          "Wine": ["/usr/lib/wine/wine64", os.path.join(ROOT, "build-windows", "nimbrel.exe")]}


def wineserver():
    """The pid of this prefix's wineserver."""
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open("/proc/%s/comm" % pid) as f:
                if not f.read().startswith("wineserver"):
                    continue
            with open("/proc/%s/environ" % pid, "rb") as f:
                if ("WINEPREFIX=" + PREFIX).encode() in f.read().split(b"\0"):
                    return int(pid)
        except OSError:
            pass
    return None


def run(build, seconds, settle=5):
    """Percent of a core: (nimbrel, wineserver or 0, X server)."""
    xvfb = harness.Xvfb("1024x768x24")
    program = harness.Program(xvfb, env={"LD_PRELOAD": ""}, command=BUILDS[build])
    try:
        program.find_window()
        time.sleep(settle)
        server = wineserver() if build == "Wine" else None
        pids = [program.proc.pid, server, xvfb.proc.pid]
        before = [harness.cpu_seconds(p) if p else 0 for p in pids]
        time.sleep(seconds)
        after = [harness.cpu_seconds(p) if p else 0 for p in pids]
        return [100 * (a - b) / seconds for a, b in zip(after, before)]
    finally:
        program.close()
        xvfb.close()


def main():
    runs = int(sys.argv[1]) if len(sys.argv) > 1 else 3
    seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 20
    shares = {build: [] for build in BUILDS}
    print("| run | build | nimbrel % | wineserver % | Xvfb % | together % |\n|---|---|---|---|---|---|")
    for i in range(runs):
        for build in BUILDS:
            share = run(build, seconds)
            shares[build].append(share + [sum(share)])
            print("| %d | %s | %.1f | %.1f | %.1f | %.1f |" % (i + 1, build, *shares[build][-1]))
    for build, rows in shares.items():
        print("| median | %s | %.1f | %.1f | %.1f | %.1f |" % (build, *(statistics.median(c) for c in zip(*rows))))


if __name__ == "__main__":
    main()
