# SPDX-License-Identifier: MIT
"""A large window keeps its picture between frames and shows only what
changed; the display must still be able to redraw it whole at any time."""
import unittest

from harness import Picture, Xvfb, XTestCase, make_window


class KeptPictureTest(XTestCase):

    @classmethod
    def setUpClass(cls):
        cls.xvfb = Xvfb("1920x1080x24")

    def test_heap_drops_and_a_redraw_after_being_covered(self):
        # Heavy unpaced rain: a heap within seconds; drops hidden at first.
        program = self.start(settings="xRes=1920\nyRes=1080\ndropRate=10\ndropSpeed=1\nframeRate=0\n")
        program.find_window()
        def under_cover(picture):  # lit pixels where a window will cover the heap
            return [(x, y) for x, y in picture.lit() if 50 <= x < 850 and y >= 40]
        # A drop needs over 1,000 frames to fall; a sanitizer build makes them slowly.
        heap = self.xvfb.wait_for_picture(program.window,
                                          lambda p: len(p.lit()) > 1000 and len(under_cover(p)) > 500, "no heap")
        lit = heap.lit()
        self.assertGreater(len(lit), 1000)
        rows = {y for _, y in lit}
        # On the floor (row 1074 is the floor, the heap rests on 1073), nothing below.
        self.assertIn(1073, rows)
        self.assertEqual([y for y in rows if y >= 1074], [])
        self.assertEqual(heap.lit(bottom=300), [], "something but the heap is drawn while drops are hidden")

        program.key("d")
        self.xvfb.wait_for_picture(program.window, lambda p: len(p.lit(bottom=300)) > 100, "no falling drops after D")
        program.key("d")
        before = self.xvfb.wait_for_picture(program.window, lambda p: p.lit(bottom=300) == [],
                                            "the falling drops stayed after a second D")

        # Landed pixels never change: everything lit before the cover must
        # stand as it was once the cover is gone. The screen shows what the
        # display redrew (the window's own contents may be kept by the X
        # server meanwhile); the window fills it from its corner.
        covered = under_cover(before)
        self.assertGreater(len(covered), 500)
        connection, _ = make_window(self.xvfb.display, 800, 1040)
        self.xvfb.wait_for_picture("root", lambda p: p.pixel(*covered[0]) == (255, 255, 255), "no cover shown")
        connection.close()

        def changed(picture):
            return [(x, y) for x, y in covered if picture.pixel(x, y) != before.pixel(x, y)]
        self.xvfb.wait_for_picture("root", lambda p: not changed(p), lambda: "%d of %d heap pixels not redrawn" % (
            len(changed(Picture(self.xvfb.screenshot()))), len(covered)))

        self.assertClickEnds(program)

    def test_a_picture_that_never_changes_is_redrawn_after_being_covered(self):
        # No rain: after the first frame no frame hands the display anything,
        # so only the window's exposure can bring the black back.
        program = self.start(settings="xRes=640\nyRes=480\ndropRate=0\n")
        program.find_window()
        left, top = program.geometry(("Absolute upper-left X", "Absolute upper-left Y"))
        def lit(picture):  # the screen where the window is
            return picture.lit(left, top, left + 640, top + 480)
        connection, _ = make_window(self.xvfb.display, 1870, 1040)  # white, over all of it
        self.xvfb.wait_for_picture("root", lit, "no cover shown")
        connection.close()
        self.xvfb.wait_for_picture("root", lambda p: not lit(p), "the covered window was not redrawn")
        self.assertClickEnds(program)


if __name__ == "__main__":
    unittest.main()
