# SPDX-License-Identifier: MIT
"""The window, its input handling and its ways to end."""
import os
import subprocess
import unittest

from harness import BIN, DEADLINE, LIBRARY, Picture, XTestCase, is_library


class WindowTest(XTestCase):

    def test_runs_on_the_sdl_library_it_is_tested_on(self):
        program = self.start()
        program.find_window()
        version = program.shown_version()
        self.assertTrue(is_library(version), "testing %s, but running on SDL %s"
                        % (LIBRARY, ".".join(map(str, version))))

    def test_default_window_is_black_640_by_480(self):
        program = self.start()
        program.find_window()
        self.assertEqual(program.geometry(), (640, 480))
        program.wait_frames(30)
        picture = Picture(self.xvfb.screenshot(program.window))
        self.assertEqual((picture.width, picture.height), (640, 480))
        self.assertEqual(picture.lit()[:5], [])  # black: the drops are hidden, none has landed

    def test_keys_and_mouse_motion_leave_it_running(self):
        program = self.start()
        program.find_window()
        for keys in (["Escape"], ["q", "space", "Return"], ["d"], ["ctrl+d", "shift+d"], ["alt+F4"]):
            with self.subTest(keys=keys):
                program.key(*keys)
                program.wait_frames(5)  # each key handled before a frame
        for x, y in ((10, 10), (320, 240), (600, 400)):
            program.move_mouse(x, y)
        program.wait_frames(5)

    def test_any_mouse_button_ends_it_with_status_0(self):
        for button in (1, 2, 3, 4):
            with self.subTest(button=button):
                program = self.start()
                program.find_window()
                program.click(button)
                self.assertEqual(program.wait(), 0)

    def test_a_button_press_alone_ends_it(self):
        program = self.start()
        program.find_window()
        program.press_only(1)
        self.assertEqual(program.wait(), 0)
        self.xvfb.run(["xdotool", "mouseup", "1"])

    def test_window_close_request_ends_it_with_status_0(self):
        program = self.start()
        program.find_window()
        program.request_close()
        self.assertEqual(program.wait(), 0)
        self.assertEqual(program.stdout(), "")
        self.assertEqual(program.stderr(), "")


class RefusedVideoModeTest(unittest.TestCase):

    def test_unknown_driver_prints_the_error_and_exits_1(self):
        env = dict(os.environ, SDL_VIDEODRIVER="no-such-driver")
        r = subprocess.run([BIN], env=env, capture_output=True, text=True, timeout=DEADLINE,
                           cwd="/tmp")
        self.assertEqual(r.returncode, 1)
        prefix = "Can't set video mode: "
        self.assertTrue(r.stdout.startswith(prefix), r.stdout)
        self.assertTrue(r.stdout.endswith("\n"))
        error = r.stdout[len(prefix):-1]
        self.assertNotEqual(error.strip(), "")
        self.assertNotIn("\n", error)


if __name__ == "__main__":
    unittest.main()
