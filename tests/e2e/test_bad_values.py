# SPDX-License-Identifier: MIT
"""Every bad value a user could write in the settings file: the program either
runs (and ends with status 0 on a click) or ends at once with one clear line
and status 1. Nothing crashes, hangs or writes out of range."""
import unittest

from harness import LIBRARY, ON_SDL12, ON_SDL3, XTestCase, sdl_version, wait_for

REFUSALS = ("Can't set video mode: ", "The rain cannot run on a ")

# Limits of the video library: classic SDL 1.2 counts the bytes of a line of
# the picture in 16 bits; SDL 2.26 takes no window wider or higher than 16384
# pixels, where SDL 2.32 (Debian 13's, as loaded here) and SDL 3 open it, and
# sdl12-compat then finds its texture too large.
SCANLINE = "Can't set video mode: A scanline is too wide"
LARGE_WINDOWS = ON_SDL3 or (sdl_version("libSDL2-2.0.so.0") or (0,)) >= (2, 28)
SDL2_SIDE = None if LARGE_WINDOWS else "Can't set video mode: Window is too large"
COMPAT_SIDE = "Can't set video mode: Texture dimensions are limited to 16384x16384" if LARGE_WINDOWS else SDL2_SIDE


def by_library(classic, on_sdl2, sdl2_build=...):
    """The result on classic SDL 1.2, or on SDL 2: sdl12-compat, and the SDL 2
    build unless its own is given."""
    if not ON_SDL12 and sdl2_build is not ...:
        return sdl2_build
    return classic if LIBRARY == "sdl1.2" else on_sdl2


class Outcomes(XTestCase):
    """Runs nimbrel with a settings file and tells how it ended."""

    def outcome(self, settings, memory_mib=None, env=None):
        """'runs' or 'refused: <line>', after checking the way it ended."""
        program = self.start(settings=settings, memory_mib=memory_mib, env=env)
        # The window that shows the first frame (sdl12-compat replaces the
        # one it opens first), or the end. A picture of 20000x20000 is
        # gigabytes to fill and hand over before its first frame.
        wait_for(lambda: not program.running() or program.shown_version() and program.visible_windows(),
                 "no window and no exit")
        if program.running():
            program.window = program.visible_windows()[0]
            program.click()
            # The window shows before the rain is built: on a busy machine a
            # refusal can come after the click, which is then never read.
            if program.wait() != 1:
                self.assertEqual(program.proc.returncode, 0, program.stderr())
                self.assertEqual(program.stdout(), "")
                self.assertEqual(program.stderr(), "")
                return "runs"
        self.assertEqual(program.proc.returncode, 1, program.stdout() + program.stderr())
        lines = program.stdout().splitlines()
        self.assertEqual(len(lines), 1, lines)
        self.assertTrue(lines[0].startswith(REFUSALS), lines[0])
        self.assertEqual(program.stderr(), "")
        return "refused: " + lines[0]

    def check(self, cases):
        """Each (settings, refusal) runs, where refusal is None, or is
        refused with a line that holds refusal."""
        for settings, refusal in cases:
            with self.subTest(settings=settings):
                result = self.outcome(settings)
                print("%r: %s" % (settings, result))
                if refusal is None:
                    self.assertEqual(result, "runs")
                else:
                    self.assertIn(refusal, result)


class BadValuesTest(Outcomes):
    """The rules for each value are the settings' unit tests; here the real
    program meets one value of each kind: the extremes the rain runs with,
    and each way a size is refused, before and after SDL grants it."""

    def test_extreme_values_run_or_are_refused_with_one_line(self):
        cases = [
            ("dropRate=2147483647\n", None),   # a batch in every start column
            ("dropSpeed=-2147483648\n", None),
            ("tailLength=2147483647\n", None),
            ("frameRate=2147483647\n", None),
            ("showDrops=abc\n", None),
            ("scale=2147483647\n",
             "at least 11 pixels wide and 6 high (640x480 at scale 2147483647)"),
        ]
        self.check(cases)

    def test_sizes(self):
        small = "at least 11 pixels wide and 6 high"
        huge = "too large for the video system"
        x_limit = "X holds no window wider or higher than 65535 pixels"
        cases = [
            ("xRes=10\n", small),
            ("xRes=11\nyRes=6\n", None),
            # the size granted for a side of 0 is the one checked
            ("xRes=0\nyRes=5\n", "on a 1024x5 picture: it must be " + small),
            ("xRes=20000\nyRes=20000\n", by_library(SCANLINE, COMPAT_SIDE, SDL2_SIDE)),
            # SDL 1.2 and the SDL 2 build set only modes the screen has;
            # sdl12-compat asks the window manager for full screen, at any size
            ("xRes=5000\nyRes=5000\nfullscreen=1\n",
             by_library("Can't set video mode: No video mode large enough for 5000x5000", None,
                        "Can't set video mode: No display mode holds 5000x5000")),
            ("xRes=16383\nyRes=6\n", None),
            # a line of 65536 bytes, more than SDL 1.2's 16-bit pitch counts
            ("xRes=16384\nyRes=6\n", by_library(SCANLINE, SCANLINE, None)),
            ("xRes=11\nyRes=16384\n", None),
            ("xRes=11\nyRes=16385\n", by_library(None, COMPAT_SIDE, SDL2_SIDE)),
            # SDL 1.2 would overflow its byte count and crash: refused before,
            # while 2^31 - 65536 bytes reach SDL
            ("yRes=1700000\n", huge),
            ("xRes=32767\nyRes=16384\n", by_library(SCANLINE, COMPAT_SIDE, SDL2_SIDE)),
            # X counts a window's sides in 16 bits
            ("xRes=65535\nyRes=6\n", by_library(SCANLINE, COMPAT_SIDE, SDL2_SIDE)),
            ("xRes=65536\nyRes=6\n", x_limit),
            ("xRes=11\nyRes=65535\n", by_library(None, COMPAT_SIDE, SDL2_SIDE)),
        ]
        self.check(cases)


if __name__ == "__main__":
    unittest.main()
