# SPDX-License-Identifier: MIT
"""The SDL 2 build on a Wayland desktop: weston, on Wayland itself (no X
server offered, or Xwayland offered too) and on Xwayland when the user asks
for X11, and GNOME's mutter: the rain shows, D hides the falling drops, a
click ends it, SIGTERM ends it with status 0. On mutter, which draws no title
bar for a Wayland window, nimbrel has one of its own: dragging it moves the
window, its close button ends it with status 0."""
import os
import shutil
import signal
import subprocess
import tempfile
import unittest

from harness import DEADLINE, ON_SDL12, Program, Weston, Xvfb, wait_for

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


class Mutter(Weston):
    """GNOME's compositor, nested as a window in an Xvfb of its own, on a
    session bus of its own: a Wayland desktop that draws no title bar for a
    Wayland window. Programs on it see only Wayland."""
    title = '"mutter"'

    def __init__(self, width=1280, height=720, xwayland=False):
        assert not xwayland, "mutter runs here without Xwayland"
        self.width, self.height = width, height
        self.xvfb = Xvfb(size="%dx%dx24" % (width + 16, height + 16))
        self.runtime = tempfile.mkdtemp(prefix="nimbrel-mutter-")
        self.socket, self.display = "nimbrel-%d" % os.getpid(), None
        self.log = os.path.join(self.runtime, "mutter.log")
        env = self.xvfb.env(XDG_RUNTIME_DIR=self.runtime, MUTTER_DEBUG_DUMMY_MODE_SPECS="%dx%d" % (width, height))
        del env["DBUS_SESSION_BUS_ADDRESS"]  # dbus-run-session's own
        with open(self.log, "w") as log:
            self.proc = subprocess.Popen(["dbus-run-session", "--", "mutter", "--nested", "--wayland",
                                          "--wayland-display", self.socket],
                                         env=env, stdout=log, stderr=subprocess.STDOUT, start_new_session=True)
        try:
            self._wait_ready(False)  # its socket, and its window on the Xvfb
        except Exception:
            self.close()
            raise

    def placed(self, box):
        # On a busy machine mutter may show a new window at the output's
        # corner for its first frames, and place it (centred) only then.
        return box[0] > 0


class OnWeston:
    """nimbrel on a Wayland desktop: weston, with Xwayland or without, or another."""
    desktop = Weston
    xwayland = False
    env = None

    def setUp(self):
        self.weston = self.desktop(1024, 768, xwayland=self.xwayland)
        self.addCleanup(self.weston.close)
        self.weston.park_pointer()  # not where the window will show
        self.program = Program(self.weston, settings=SETTINGS, env=self.env)
        self.addCleanup(self.program.close)

    def window_box(self):
        """(left, top) of the rain on weston's output once it shows: black,
        640x480 (sampled), with drops that move."""
        def moving_rain():
            shot = self.weston.screenshot()
            box = black_box(shot)
            lit = box and self.weston.placed(box) and shot.lit(*box)
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


NO_MUTTER = ON_SDL12 and "the Wayland path belongs to the SDL 2 and SDL 3 builds" or \
    not (shutil.which("mutter") and shutil.which("dbus-run-session")) and \
    "mutter is not installed (Debian: mutter, dbus-daemon, libdecor-0-plugin-1-cairo)"


@unittest.skipIf(NO_MUTTER, NO_MUTTER)
class MutterTest(OnWeston, unittest.TestCase):
    """GNOME's mutter draws no title bar for a Wayland window: nimbrel has one
    drawn by libdecor."""
    desktop = Mutter

    def title_bar(self, left, top):
        """Looks at the row 12 pixels above the picture: mostly one colour, not
        the desktop's beside it, with light text in the middle and a light
        close button at the right end."""
        shot, y, right = self.weston.screenshot(), top - 12, left + 640
        row = [shot.pixel(x, y) for x in range(left + 4, right - 4)]
        self.assertGreater(row.count(max(row, key=row.count)), len(row) // 2, "no title bar above the picture")
        self.assertNotEqual(max(row, key=row.count), shot.pixel(left - 30, y), "the title bar is the desktop's")
        light = [x for x in range(left, right) if any(sum(shot.pixel(x, y + d)) > 450 for d in range(-6, 7))]
        self.assertTrue([x for x in light if abs(x - left - 320) < 60], "no title in the title bar")
        self.assertTrue([x for x in light if x > right - 30], "no close button at the title bar's end")

    def test_a_title_bar_that_moves_it_and_whose_close_button_ends_it(self):
        left, top = self.window_box()
        self.title_bar(left, top)
        # A drag: press on the title bar, move, let go once the window moved.
        # mutter moves it only once the program has asked it to, so the
        # pointer is nudged until then.
        self.weston.point_at(left + 200, top - 12)
        self.weston.xvfb.run(["xdotool", "mousedown", "1"])
        nudges = iter(range(1 << 30))

        def moved():
            x = left + 300 + next(nudges) % 2
            self.weston.xvfb.run(["xdotool", "mousemove", "--sync", str(x), str(top + 68)])
            return (black_box(self.weston.screenshot()) or (left, top))[:2] != (left, top)
        wait_for(moved, "the window did not move")
        self.weston.xvfb.run(["xdotool", "mouseup", "1"])
        moved = self.window_box()
        self.assertLessEqual(abs(moved[0] - left - 100) + abs(moved[1] - top - 80), 8, (left, top, moved))
        self.assertTrue(self.program.running(), "dragging the title bar ended it")
        self.title_bar(*moved)
        self.weston.click_at(moved[0] + 640 - 16, moved[1] - 12)
        self.assertEqual(self.program.wait(), 0, self.program.stderr())

if __name__ == "__main__":
    unittest.main()
