#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Soak run: the real program in Xvfb with heavy, unpaced rain for some
minutes, its resident memory sampled every few seconds, ended with a click.
Fails if the program dies, ends with a status other than 0, or its memory
grows by more than 2 MiB after the first minute.
    soak.py MINUTES   (needs a build in build/, or NIMBREL_BIN)"""
import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from harness import Program, Xvfb  # noqa: E402

SETTINGS = "dropRate=200\ndropSpeed=1\nshowDrops=1\nframeRate=0\n"
SAMPLE_SECONDS = 5
ALLOWED_GROWTH_KIB = 2048


def resident_kib(pid):
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    raise RuntimeError("no VmRSS")


def main():
    minutes = float(sys.argv[1]) if len(sys.argv) > 1 else 2.0
    xvfb = Xvfb()
    program = Program(xvfb, settings=SETTINGS)
    failures = []
    try:
        program.find_window()
        start = time.monotonic()
        baseline = None
        peak_growth = 0
        print("%8s %10s %8s" % ("seconds", "rss_KiB", "growth"))
        while time.monotonic() - start < minutes * 60:
            time.sleep(SAMPLE_SECONDS)
            if not program.running():
                failures.append("the program died with status %s" % program.proc.returncode)
                break
            elapsed = time.monotonic() - start
            rss = resident_kib(program.proc.pid)
            if baseline is None and elapsed >= 60:
                baseline = rss
            growth = rss - baseline if baseline is not None else 0
            peak_growth = max(peak_growth, growth)
            print("%8.0f %10d %8d" % (elapsed, rss, growth), flush=True)
        if not failures:
            cpu = program.cpu_seconds()
            program.click()
            status = program.wait(30)
            frames, span = program.frames()
            print("frames %d in %.0f s (%.0f a second), CPU %.0f s, status %d"
                  % (frames, span, frames / span, cpu, status))
            if status != 0:
                failures.append("the program ended with status %d" % status)
            if baseline is None:
                failures.append("the run was shorter than a minute: nothing to compare")
            elif peak_growth > ALLOWED_GROWTH_KIB:
                failures.append("memory grew by %d KiB after the first minute" % peak_growth)
            else:
                print("memory growth after the first minute: %d KiB at most" % peak_growth)
    finally:
        program.close()
        xvfb.close()
    for f in failures:
        print("FAIL:", f)
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
