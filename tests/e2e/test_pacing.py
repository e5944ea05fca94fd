# SPDX-License-Identifier: MIT
"""Frames paced to a steady rate where SDL's flip does not wait for the display,
and the ways a stop signal ends them."""
import os
import shutil
import signal
import tempfile
import time
import unittest

from harness import XTestCase, cpu_seconds


class PacingTest(XTestCase):

    def run_for(self, seconds, settings=None):
        """(frames a second, nimbrel's CPU seconds, the X server's CPU seconds)."""
        program = self.start(settings=settings)
        program.find_window()
        x_before = cpu_seconds(self.xvfb.proc.pid)
        time.sleep(seconds)
        cpu = program.cpu_seconds()
        x_cpu = cpu_seconds(self.xvfb.proc.pid) - x_before
        program.click()
        self.assertEqual(program.wait(10), 0)
        frames, span = program.frames()
        return frames / span, cpu, x_cpu

    def test_sixty_frames_a_second_by_default(self):
        rate, cpu, _ = self.run_for(5.0)
        self.assertGreaterEqual(rate, 55)
        self.assertLessEqual(rate, 65)
        # Sleeping, not spinning: far from a whole core.
        self.assertLess(cpu, 2.5)

    def test_frame_rate_setting(self):
        for settings, low, high in (("frameRate=30\n", 27, 33), ("frameRate=-4\n", 55, 65)):
            with self.subTest(settings=settings):
                rate, _, _ = self.run_for(3.0, settings)
                self.assertGreaterEqual(rate, low)
                self.assertLessEqual(rate, high)

    def test_frame_rate_zero_makes_frames_back_to_back(self):
        rate, cpu, x_cpu = self.run_for(3.0, "frameRate=0\n")
        self.assertGreater(rate, 300)
        # Never sleeping: nimbrel makes frames all the time, and the X server
        # takes what changed in them, so the two of them are busy between them.
        self.assertGreater(cpu + x_cpu, 1.5)

    def test_a_click_ends_it_within_a_frame_or_so(self):
        program = self.start(settings="frameRate=5\n")  # 200 ms a frame
        program.find_window()
        time.sleep(1.0)
        start = time.monotonic()
        program.click()
        self.assertEqual(program.wait(10), 0)
        # the click itself (xdotool) and one frame of 200 ms, with room to spare
        self.assertLess(time.monotonic() - start, 1.0)

    def test_sigterm_and_sigint_end_it_with_status_0(self):
        for sig in (signal.SIGTERM, signal.SIGINT):
            with self.subTest(signal=sig.name):
                program = self.start()
                program.find_window()
                time.sleep(0.5)
                program.proc.send_signal(sig)
                self.assertEqual(program.wait(10), 0)
                frames, _ = program.frames()
                self.assertGreater(frames, 10)

    def test_a_stop_signal_makes_no_further_frame(self):
        # Two frames a second, and the signal half way between two of them:
        # a frame made after the signal would come a quarter second later.
        for sig in (signal.SIGTERM, signal.SIGINT):
            with self.subTest(signal=sig.name):
                program = self.start(settings="frameRate=2\n")
                program.find_window()
                _, first = program.first_frame()
                time.sleep(max(0.0, first + 1.25 - time.monotonic()))
                sent = time.monotonic()
                program.proc.send_signal(sig)
                self.assertEqual(program.wait(10), 0)
                frames, _ = program.frames()
                self.assertEqual(frames, 3)
                self.assertLess(program.last_frame_time(), sent)

    def test_a_stop_signal_ends_it_within_2_s_while_a_frame_hangs(self):
        # As when the video library is stuck inside Xlib for good: the frame
        # never returns, so the loop never looks at the signal's flag again.
        for sig in (signal.SIGTERM, signal.SIGINT):
            with self.subTest(signal=sig.name):
                scratch = tempfile.mkdtemp(prefix="nimbrel-stall-")
                self.addCleanup(shutil.rmtree, scratch, True)
                flag = os.path.join(scratch, "stall")
                program = self.start(env={"NIMBREL_STALL": flag})
                program.find_window()
                open(flag, "w").close()
                deadline = time.monotonic() + 10
                while not os.path.exists(flag + ".stuck") and time.monotonic() < deadline:
                    time.sleep(0.02)
                self.assertTrue(os.path.exists(flag + ".stuck"), "no frame hung")
                self.assertStillRunning(program, 0.5)
                sent = time.monotonic()
                program.proc.send_signal(sig)
                self.assertEqual(program.wait(2.0), 0)
                self.assertLess(time.monotonic() - sent, 2.0)


if __name__ == "__main__":
    unittest.main()
