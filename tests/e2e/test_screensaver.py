# SPDX-License-Identifier: MIT
"""The xscreensaver wrapper draws the rain inside a window it is given."""
import os
import shutil
import signal
import tempfile
import unittest

from harness import BIN, WRAPPER, XTestCase, drawn_over, make_window


class ScreensaverTest(XTestCase):

    def test_rain_fills_the_given_window_at_its_size(self):
        connection, window = make_window(self.xvfb.display, 300, 200)
        self.addCleanup(connection.close)
        home = tempfile.mkdtemp(prefix="nimbrel-home-")
        self.addCleanup(shutil.rmtree, home, True)
        os.makedirs(os.path.join(home, ".config", "nimbrel"))
        with open(os.path.join(home, ".config", "nimbrel", "nimbrel.conf"), "w") as f:
            # heavy, unpaced rain so the heap is there within seconds; the size
            # here must lose to the window's
            f.write("xRes=100\nyRes=100\ndropRate=40\ndropSpeed=1\nframeRate=0\nshowDrops=1")
        # The wrapper finds nimbrel next to itself or on the PATH.
        path = os.path.dirname(BIN) + os.pathsep + os.environ["PATH"]
        program = self.start(command=[WRAPPER], env={
            "XSCREENSAVER_WINDOW": hex(window.id), "HOME": home, "PATH": path,
            "XDG_CONFIG_HOME": ""})
        # The floor of a 200-row picture is row 194: the heap rests on row 193.
        picture = self.xvfb.wait_for_picture(window.id,
                                             lambda p: drawn_over(p) and p.lit(top=193, bottom=194) != [])
        self.assertTrue(program.running(), program.stdout() + program.stderr())
        self.assertEqual((picture.width, picture.height), (300, 200))
        lit = picture.lit()
        rows = {y for _, y in lit}
        columns = {x for x, _ in lit}
        # Nothing is drawn from the floor down.
        self.assertIn(193, rows)
        self.assertEqual([y for y in rows if y >= 194], [])
        # Rain across the whole width, up to the right border at column 294.
        self.assertGreater(max(columns), 250)
        self.assertLess(max(columns), 296)
        # The test's own window was drawn over, not another one opened, and
        # its name was left alone.
        named = self.xvfb.run(["xdotool", "search", "--name", "nimbrel"]).stdout.split()
        self.assertEqual(named, [])

        program.proc.send_signal(signal.SIGTERM)
        self.assertEqual(program.wait(), 0)

    def test_a_window_taken_away_ends_the_rain_quietly(self):
        # The window goes first, as in xscreensaver; nimbrel ends before any SIGTERM.
        connection, window = make_window(self.xvfb.display, 300, 200)
        self.addCleanup(connection.close)
        program = self.start(settings="showDrops=1\nframeRate=0\n", env={"SDL_WINDOWID": hex(window.id)})
        self.xvfb.wait_for_picture(window.id, drawn_over)
        window.destroy()
        connection.sync()
        self.assertEqual(program.wait(), 0)
        # sdl2-compat's complaint about XDG_RUNTIME_DIR is not nimbrel's.
        self.assertEqual([line for line in program.stderr().splitlines() if "XDG_RUNTIME_DIR" not in line], [])


if __name__ == "__main__":
    unittest.main()
