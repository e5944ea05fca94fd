# SPDX-License-Identifier: MIT
"""The SDL 2 build, the SDL 1.2 build and the SDL 3 build hand the display
the same frames.

The binaries run headless (SDL's dummy driver) with the same settings and
the same seed for rand(); a preloaded library records, frame by frame, the
rectangles each hands to the display and the pixels inside them. The SDL 1.2
build runs on classic SDL 1.2 and, where it is installed, on sdl12-compat;
the SDL 2 build also on sdl2-compat, where given.
"""
import os
import subprocess
import tempfile
import unittest

from harness import DEADLINE

SDL2_BIN = os.environ.get("NIMBREL_BIN")
SDL12_BIN = os.environ.get("NIMBREL_SDL12_BIN")
DUMP = os.environ.get("NIMBREL_FRAMEDUMP")
COMPAT_DIR = os.environ.get("NIMBREL_SDL12_COMPAT_DIR", "")
SDL2_COMPAT_DIR = os.environ.get("NIMBREL_SDL2_COMPAT_DIR")
SDL3_BIN = os.environ.get("NIMBREL_SDL3_BIN")

SCENARIOS = [
    # name, settings, frames
    ("defaults, drops shown", "dropRate=30\ndropSpeed=5\nshowDrops=1\n", 1000),
    ("drops hidden, long tails", "dropRate=40\ndropSpeed=2\ntailLength=-1\n", 1000),
    ("heavy rain, drawn whole at times", "xRes=320\nyRes=240\ndropRate=200\ndropSpeed=1\nshowDrops=1\n", 500),
    ("scale 2 on odd sides", "xRes=641\nyRes=481\nscale=2\ndropRate=30\ndropSpeed=2\nshowDrops=1\n", 1200),
]


def frames_of(binary, settings, count, library_path=None):
    with tempfile.TemporaryDirectory(prefix="nimbrel-frames-") as work:
        with open(os.path.join(work, "nimbrel.conf"), "w") as f:
            f.write(settings + "frameRate=0\n")
        dump = os.path.join(work, "frames")
        # No session bus to start: SDL 3 would leave one running.
        env = dict(os.environ, SDL_VIDEODRIVER="dummy", LD_PRELOAD=DUMP, NIMBREL_DUMP=dump,
                   NIMBREL_DUMP_FRAMES=str(count), NIMBREL_FIXED_TIME="1234567",
                   DBUS_SESSION_BUS_ADDRESS="unix:path=/nonexistent/nimbrel-test-bus")
        env["ASAN_OPTIONS"] = env.get("ASAN_OPTIONS", "") + ":verify_asan_link_order=0"
        if library_path:
            env["LD_LIBRARY_PATH"] = library_path
        r = subprocess.run([binary], cwd=work, env=env, capture_output=True, text=True, timeout=DEADLINE)
        if r.returncode != 0:
            raise AssertionError("%s ended with %d: %s%s" % (binary, r.returncode, r.stdout, r.stderr))
        with open(dump) as f:
            return f.read().splitlines()


@unittest.skipUnless(SDL2_BIN and SDL12_BIN and DUMP, "needs NIMBREL_BIN, NIMBREL_SDL12_BIN and NIMBREL_FRAMEDUMP")
class SameFramesTest(unittest.TestCase):

    def test_both_builds_hand_over_the_same_frames(self):
        runs = [("SDL 1.2 build", SDL12_BIN, None)]
        if os.path.isdir(COMPAT_DIR):
            runs.append(("SDL 1.2 build on sdl12-compat", SDL12_BIN, COMPAT_DIR))
        if SDL2_COMPAT_DIR:
            self.assertTrue(os.path.exists(os.path.join(SDL2_COMPAT_DIR, "libSDL2-2.0.so.0")), SDL2_COMPAT_DIR)
            runs.append(("SDL 2 build on sdl2-compat", SDL2_BIN, SDL2_COMPAT_DIR))
        if SDL3_BIN:
            runs.append(("SDL 3 build", SDL3_BIN, None))
        for name, settings, count in SCENARIOS:
            with self.subTest(scenario=name):
                want = frames_of(SDL2_BIN, settings, count)
                self.assertEqual(len(want), count)
                # The rain is there: frames hand over rectangles, and not all
                # pictures are the same.
                self.assertGreater(sum(int(line.split()[1]) > 0 for line in want), count // 10)
                self.assertGreater(len({line.split()[4] for line in want}), count // 10)
                for other, binary, path in runs:
                    got = frames_of(binary, settings, count, path)
                    first = next((i for i, (a, b) in enumerate(zip(want, got)) if a != b), None)
                    self.assertIsNone(first, "%s: frame %s differs: SDL 2 %s, %s"
                                      % (other, first, want[first] if first is not None else "",
                                         got[first] if first is not None else ""))
                    self.assertEqual(len(got), count, other)


if __name__ == "__main__":
    unittest.main()
