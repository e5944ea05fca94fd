#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Measures the CPU time nimbrel uses over some seconds in Xvfb, paced at the
default 60 frames a second and unpaced (frameRate=0), with the frames shown.
    measure_cpu.py [seconds]   (needs a build in build/, as scripts/test.sh makes)"""
import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from harness import Program, Xvfb  # noqa: E402


def measure(xvfb, settings, seconds):
    program = Program(xvfb, settings=settings)
    try:
        program.find_window()
        start_cpu, start = program.cpu_seconds(), time.monotonic()
        time.sleep(seconds)
        cpu, wall = program.cpu_seconds() - start_cpu, time.monotonic() - start
        program.click()
        program.wait(10)
        frames, span = program.frames()
        return cpu, wall, frames / span
    finally:
        program.close()


def main():
    seconds = float(sys.argv[1]) if len(sys.argv) > 1 else 20.0
    xvfb = Xvfb()
    try:
        print("| run | CPU seconds in %.0f s | share of one core | frames per second |" % seconds)
        print("|---|---|---|---|")
        for name, settings in (("defaults (frameRate 60)", ""), ("frameRate=0", "frameRate=0\n")):
            cpu, wall, fps = measure(xvfb, settings, seconds)
            print("| %s | %.2f | %.1f%% | %.0f |" % (name, cpu, 100 * cpu / wall, fps))
    finally:
        xvfb.close()


if __name__ == "__main__":
    main()
