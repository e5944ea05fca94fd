# SPDX-License-Identifier: MIT
"""Frames never come faster than the frame rate where SDL's flip does not
wait for the display, and the ways a stop signal ends them. How fast frames
come on a given machine, and at what cost, is the benchmarks' business
(scripts/pacing_bench.py)."""
import os
import shutil
import signal
import tempfile
import time
import unittest

from harness import XTestCase, wait_for


class PacingTest(XTestCase):

    def test_frames_never_come_faster_than_the_frame_rate(self):
        # frameRate=-4 is no rate: the default, 60, not frames back to back.
        for settings, most in (("", 60), ("frameRate=30\n", 30), ("frameRate=-4\n", 60)):
            with self.subTest(settings=settings):
                program = self.start(settings=settings)
                program.find_window()
                program.wait_frames(2 * most)
                self.assertClickEnds(program)
                frames, span = program.frames()
                # Frame k is due k / rate seconds after the schedule's start,
                # never sooner; a late first frame lets up to 4 come at once.
                self.assertLessEqual(frames - 1, most * span + 5, (frames, span))

    def test_a_stop_signal_ends_it_with_status_0_and_makes_no_further_frame(self):
        # Two frames a second: the signal comes while nimbrel waits for the next.
        for sig in (signal.SIGTERM, signal.SIGINT):
            with self.subTest(signal=sig.name):
                program = self.start(settings="frameRate=2\n")
                program.find_window()
                program.wait_frames(2)
                sent = time.monotonic()
                program.proc.send_signal(sig)
                self.assertEqual(program.wait(), 0)
                frames, _ = program.frames()
                self.assertGreaterEqual(frames, 3)
                self.assertLess(program.last_frame_time(), sent)

    def test_a_stop_signal_ends_it_while_a_frame_hangs(self):
        # As when the video library is stuck inside Xlib for good: the frame
        # never returns, so the loop never looks at the signal's flag again;
        # only the grace period's timer can end it.
        for sig in (signal.SIGTERM, signal.SIGINT):
            with self.subTest(signal=sig.name):
                scratch = tempfile.mkdtemp(prefix="nimbrel-stall-")
                self.addCleanup(shutil.rmtree, scratch, True)
                flag = os.path.join(scratch, "stall")
                program = self.start(env={"NIMBREL_STALL": flag})
                program.find_window()
                open(flag, "w").close()
                wait_for(lambda: os.path.exists(flag + ".stuck"), "no frame hung")
                program.assertRunning()
                program.proc.send_signal(sig)
                self.assertEqual(program.wait(), 0)


if __name__ == "__main__":
    unittest.main()
