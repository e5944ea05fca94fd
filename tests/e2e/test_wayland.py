# SPDX-License-Identifier: MIT
"""The SDL 2 build on a Wayland desktop: weston, on Wayland itself (no X
server offered, or Xwayland offered too) and on Xwayland when the user asks
for X11: the rain shows, D hides the falling drops, a click ends it, SIGTERM
ends it with status 0."""
import shutil
import signal
import subprocess
import unittest

from harness import DEADLINE, ON_SDL12, Program, Weston, wait_for

SETTINGS = "xRes=640\nyRes=480\nshowDrops=1\n"


def black_box(picture):
    """(left, top, right, bottom) around the rows, sampled every 4 pixels,
    that are mostly black: the window with the rain. Nothing else on weston's
    output (its textured background, its panel) has rows of black."""
    rows = []
    for y in range(0, picture.height, 4):
        xs = [x for x in range(0, picture.width, 4) if picture.pixel(x, y) == (0, 0, 0)]
        if len(xs) > 100:
            rows.append((y, min(xs), max(xs)))
    if not rows:
        return None
    return min(r[1] for r in rows), rows[0][0], max(r[2] for r in rows) + 4, rows[-1][0] + 4


class OnWeston:
    """nimbrel on weston, with Xwayland or without."""
    xwayland = False
    env = None

    def setUp(self):
        self.weston = Weston(1024, 768, xwayland=self.xwayland)
        self.addCleanup(self.weston.close)
        self.program = Program(self.weston, settings=SETTINGS, env=self.env)
        self.addCleanup(self.program.close)

    def window_box(self):
        """(left, top) of the rain on weston's output once it shows: black,
        640x480 (sampled), with drops that move."""
        def moving_rain():
            shot = self.weston.screenshot()
            box = black_box(shot)
            lit = box and shot.lit(*box)
            return lit and self.weston.screenshot().lit(*box) != lit and box
        left, top, right, bottom = wait_for(
            moving_rain, lambda: "no rain showed on weston's output: %s" % self.program.stderr(), every=0.5)
        self.assertLessEqual(abs(right - left - 640), 4, (left, top, right, bottom))
        self.assertLessEqual(abs(bottom - top - 480), 4, (left, top, right, bottom))
        return left, top

    def test_rain_shows_and_a_click_ends_it(self):
        left, top = self.window_box()
        self.weston.click_at(left + 320, top + 240)
        self.assertEqual(self.program.wait(), 0, self.program.stderr())

    def test_d_hides_the_falling_drops(self):
        left, top = self.window_box()
        self.weston.key_at(left + 320, top + 240, "d")
        # The heap is still low: the upper half holds falling drops only.
        # (Inset: the box found is sampled every 4 pixels.)
        wait_for(lambda: not self.weston.screenshot().lit(left + 8, top + 8, left + 632, top + 240),
                 "the drops stayed after D", every=0.5)
        self.assertTrue(self.program.running(), self.program.stderr())

    def test_rain_shows_and_sigterm_ends_it_with_status_0(self):
        self.window_box()
        self.program.proc.send_signal(signal.SIGTERM)
        self.assertEqual(self.program.wait(), 0, self.program.stderr())


NOT_HERE = ON_SDL12 and "the Wayland path belongs to the SDL 2 and SDL 3 builds" or \
    not shutil.which("weston") and "weston is not installed (Debian: weston, xwayland)"


@unittest.skipIf(NOT_HERE, NOT_HERE)
class WaylandTest(OnWeston, unittest.TestCase):
    """No X server offered: nimbrel draws on Wayland itself."""


@unittest.skipIf(NOT_HERE, NOT_HERE)
class XwaylandTest(OnWeston, unittest.TestCase):
    """Xwayland offered and asked for: nimbrel draws on it, as on X11."""
    xwayland = True
    env = {"SDL_VIDEODRIVER": "x11"}


@unittest.skipIf(NOT_HERE, NOT_HERE)
class WaylandFirstTest(unittest.TestCase):
    def test_with_xwayland_offered_it_draws_on_wayland(self):
        weston = Weston(1024, 768, xwayland=True)
        self.addCleanup(weston.close)
        program = Program(weston, settings=SETTINGS)
        self.addCleanup(program.close)
        program.first_shown()
        windows = subprocess.run(["xwininfo", "-root", "-tree"], env=weston.env(), capture_output=True,
                                 text=True, timeout=DEADLINE).stdout
        self.assertIn("root window", windows)
        self.assertNotIn('"nimbrel"', windows)


if __name__ == "__main__":
    unittest.main()
