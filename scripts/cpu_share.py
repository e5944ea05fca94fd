#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Measures the share of one core that nimbrel and its X server use together.

Every area nimbrel updates goes to the X server, which copies it into its
screen, so the program's own CPU time tells only part of the cost. This runs
the program in an Xvfb of its own whose screen is the window's size, waits
for the rain to settle in, then reads the CPU time of both processes from
/proc over some seconds, and prints one markdown table row:

    | window | settings | nimbrel % | X server % | together % | frames per second |

With --repeat N it runs N times and prints the median of each column.
With --library sdl12-compat the SDL 1.2 build runs on sdl12-compat, the SDL
1.2 of current distributions, instead of classic SDL 1.2; with --library
sdl2-compat the SDL 2 build runs on sdl2-compat, from build/sdl3 (as
install-deps.sh --tests builds it). With --library, each run checks the
version of the library it really ran on.

With --weston wayland the program runs on a Wayland desktop instead: weston
on its X11 back end with pixman, in an Xvfb a little larger than the window
(room for the panel and the title bar), and nimbrel with DISPLAY unset, so
that it draws on Wayland. With --weston xwayland weston offers Xwayland too,
and nimbrel draws on that. The row then has a weston column (with
Xwayland's time for xwayland); the X server column is the Xvfb's.

    cpu_share.py [--bin PATH] [--size WxH] [--set key=value ...]
                 [--seconds S] [--settle S] [--repeat N] [--header]
                 [--library sdl1.2|sdl12-compat|sdl2|sdl2-compat|sdl3] [--weston wayland|xwayland]

The binary is --bin, else $NIMBREL_BIN, else build/nimbrel. The frame counter
is $NIMBREL_FLIPCOUNT, else tests/libflipcount.so in the binary's build tree.
"""
import argparse
import os
import statistics
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import harness  # noqa: E402

HEADER = ("| window | settings | nimbrel % | X server % | together % | frames per second |\n"
          "|---|---|---|---|---|---|")
WESTON_HEADER = ("| window | settings | nimbrel % | X server % | weston % | together % | frames per second |\n"
                 "|---|---|---|---|---|---|---|")
# Room on weston's output for its panel and the window's title bar.
WESTON_MARGIN = (120, 140)


def flipcount_for(binary):
    if os.environ.get("NIMBREL_FLIPCOUNT"):
        return os.environ["NIMBREL_FLIPCOUNT"]
    beside = os.path.join(os.path.dirname(os.path.abspath(binary)), "tests", "libflipcount.so")
    return beside if os.path.exists(beside) else harness.FLIPCOUNT


# Where Debian-like systems keep sdl12-compat, beside classic SDL 1.2.
SDL12_COMPAT_DIRS = ["/usr/lib/x86_64-linux-gnu/sdl12-compat", "/usr/lib/aarch64-linux-gnu/sdl12-compat",
                     "/usr/lib64/sdl12-compat"]


def library_env(library):
    """What the program's environment needs to run on the library."""
    if library == "sdl2-compat":
        return {"LD_LIBRARY_PATH": os.path.join(harness.ROOT, "build", "sdl3", "prefix", "lib")}
    if library != "sdl12-compat":
        return {}
    for folder in SDL12_COMPAT_DIRS:
        if os.path.exists(os.path.join(folder, "libSDL-1.2.so.0")):
            return {"LD_LIBRARY_PATH": folder}
    sys.exit("sdl12-compat is not installed (Debian: libsdl1.2-compat)")


def measure_once(binary, width, height, settings, seconds, settle, library, weston=None):
    """(nimbrel %, X server %, weston %, frames per second) of one run."""
    conf = "xRes=%d\nyRes=%d\n" % (width, height) + "".join("%s\n" % s for s in settings)
    if weston:
        desktop = harness.Weston(width + WESTON_MARGIN[0], height + WESTON_MARGIN[1],
                                 xwayland=weston == "xwayland")
        xvfb, compositor = desktop.xvfb, desktop.cpu_seconds
    else:
        desktop = xvfb = harness.Xvfb(size="%dx%dx24" % (width, height))
        compositor = lambda: 0.0  # noqa: E731
    try:
        env = {"LD_PRELOAD": flipcount_for(binary)}
        env.update(library_env(library))
        program = harness.Program(desktop, settings=conf, command=[binary], env=env)
        try:
            if weston:  # no X window to look for on weston's output
                program.first_shown()
            else:
                program.find_window()
            version = program.shown_version()
            if library is not None and not harness.is_library(version, library):
                raise RuntimeError("asked for %s, ran on SDL %s" % (library, ".".join(map(str, version))))
            time.sleep(settle)
            if not program.running():
                raise RuntimeError("nimbrel ended early with status %s: %s"
                                   % (program.proc.returncode, program.stdout()))
            # Read both close together so that they cover the same span.
            start = time.monotonic()
            start_prog = harness.cpu_seconds(program.proc.pid)
            start_x = harness.cpu_seconds(xvfb.proc.pid)
            start_c = compositor()
            time.sleep(seconds)
            end_prog = harness.cpu_seconds(program.proc.pid)
            end_x = harness.cpu_seconds(xvfb.proc.pid)
            end_c = compositor()
            wall = time.monotonic() - start
            if weston:
                program.proc.terminate()
            else:
                program.click()
            status = program.wait(10)
            if status != 0:
                raise RuntimeError("nimbrel ended with status %s: %s" % (status, program.stdout()))
            frames, span = program.frames()
        finally:
            program.close()
    finally:
        desktop.close()
    return (100 * (end_prog - start_prog) / wall, 100 * (end_x - start_x) / wall,
            100 * (end_c - start_c) / wall, frames / span if span > 0 else 0.0)


def parse_size(text):
    try:
        w, h = text.lower().split("x")
        return int(w), int(h)
    except ValueError:
        raise argparse.ArgumentTypeError("size must be WxH, such as 640x480")


def main():
    parser = argparse.ArgumentParser(description="CPU share of nimbrel and its X server")
    parser.add_argument("--bin", default=harness.BIN, help="the nimbrel binary")
    parser.add_argument("--size", type=parse_size, default=(640, 480), help="window WxH")
    parser.add_argument("--set", action="append", default=[], metavar="KEY=VALUE",
                        help="a setting for nimbrel.conf; repeatable")
    parser.add_argument("--seconds", type=float, default=20.0, help="span measured")
    parser.add_argument("--settle", type=float, default=2.0,
                        help="seconds to wait after the window appears")
    parser.add_argument("--repeat", type=int, default=1, help="runs; prints the medians")
    parser.add_argument("--header", action="store_true", help="print the table header first")
    parser.add_argument("--library", choices=["sdl1.2", "sdl12-compat", "sdl2", "sdl2-compat", "sdl3"],
                        help="the SDL to run on, checked: for the SDL 1.2 build classic SDL 1.2 or "
                             "sdl12-compat; sdl2 or sdl2-compat for the SDL 2 build; sdl3 for the SDL 3 "
                             "build (default: as the binary loads it)")
    parser.add_argument("--weston", choices=["wayland", "xwayland"],
                        help="on a Wayland desktop (weston): nimbrel on Wayland itself, or on Xwayland")
    args = parser.parse_args()
    for s in args.set:
        if "=" not in s:
            parser.error("--set takes key=value, not %r" % s)

    width, height = args.size
    binary = os.path.abspath(args.bin)  # the program runs in a directory of its own
    runs = []
    for _ in range(max(1, args.repeat)):
        runs.append(measure_once(binary, width, height, args.set, args.seconds, args.settle, args.library,
                                 args.weston))
        # Each run on its own too, so that a median can be checked.
        print("run: nimbrel %.1f %%, X server %.1f %%, weston %.1f %%, %.1f frames per second" % runs[-1],
              file=sys.stderr, flush=True)
    prog = statistics.median(r[0] for r in runs)
    xsrv = statistics.median(r[1] for r in runs)
    comp = statistics.median(r[2] for r in runs)
    both = statistics.median(r[0] + r[1] + r[2] for r in runs)
    fps = statistics.median(r[3] for r in runs)
    label = " ".join(args.set) if args.set else "defaults"
    if args.library not in (None, "sdl1.2"):
        label += ", on " + args.library
    if args.weston:
        if args.header:
            print(WESTON_HEADER)
        print("| %dx%d | %s, weston %s | %.1f | %.1f | %.1f | %.1f | %.0f |"
              % (width, height, label, args.weston, prog, xsrv, comp, both, fps), flush=True)
        return
    if args.header:
        print(HEADER)
    print("| %dx%d | %s | %.1f | %.1f | %.1f | %.0f |" % (width, height, label, prog, xsrv, both, fps),
          flush=True)


if __name__ == "__main__":
    main()
