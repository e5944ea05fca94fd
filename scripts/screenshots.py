#!/usr/bin/env python3
"""Makes the README's screenshots from the real program in Xvfb:
docs/heap.png (the heap only, as nimbrel starts) and docs/rain.png (after D:
the falling drops with their tails as well).
    screenshots.py   (needs a build in build/, as scripts/test.sh makes)"""
import os
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "e2e"))
from harness import Program, Xvfb  # noqa: E402

DOCS = os.path.join(HERE, "..", "docs")
# Unpaced heavy rain, so the heap grows within seconds rather than minutes.
SETTINGS = "dropRate=30\ndropSpeed=8\nframeRate=0\n"


def main():
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
