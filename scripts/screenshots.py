#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Makes the README's screenshots from the real program in Xvfb:
docs/heap.png (the heap only, as nimbrel starts) and docs/rain.png (after D:
the falling drops with their tails as well); docs/4k-scale0.png and
docs/4k-scale1.png, the same corner of a 3840x2160 screen at the automatic
scale (2 there) and at scale 1, at full size.
    screenshots.py   (needs a build in build/, as scripts/test.sh makes)"""
import os
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "e2e"))
from harness import Program, Xvfb  # noqa: E402

DOCS = os.path.join(HERE, "..", "docs")
# Unpaced heavy rain, so the heap grows within seconds rather than minutes.
SETTINGS = "dropRate=30\ndropSpeed=8\nframeRate=0\n"


def corner_of_4k(scale, path):
    """The bottom-left 960x540 of a full 3840x2160 screen, drops shown."""
    xvfb = Xvfb("3840x2160x24")
    program = Program(xvfb, settings="fullscreen=1\nxRes=0\nyRes=0\nshowDrops=1\nscale=%d\n"
                      "dropRate=60\ndropSpeed=2\nframeRate=0\n" % scale)
    try:
        program.find_window()
        time.sleep(40)
        whole = path + ".whole.png"
        xvfb.save_png(whole)
        subprocess.run(["convert", whole, "-crop", "960x540+0+1620", "+repage", path], check=True)
        os.remove(whole)
        program.click()
        program.wait(10)
    finally:
        program.close()
        xvfb.close()


def main():
    for scale in (0, 1):
        corner_of_4k(scale, os.path.join(DOCS, "4k-scale%d.png" % scale))
    xvfb = Xvfb()
    program = Program(xvfb, settings=SETTINGS)
    try:
        program.find_window()
        time.sleep(20)
        xvfb.save_png(os.path.join(DOCS, "heap.png"), program.window)
        program.key("d")
        time.sleep(0.3)
        xvfb.save_png(os.path.join(DOCS, "rain.png"), program.window)
        program.click()
        program.wait(10)
    finally:
        program.close()
        xvfb.close()


if __name__ == "__main__":
    main()
